#!/usr/bin/env python3
"""The ladder's SVG read back by an XML parser.

Usage: ladder_svg_test.py PATH-TO-ladder_svg_sample PATH-TO-tianti-cli DATA-DIR

A made-up ladder of hostile descriptions must parse and give its texts back
as they were; tianti-cli --ladder over the real lists must draw every row of
the list once, the query's rows and the marks.
"""
import re
import subprocess
import sys
import unittest
import xml.etree.ElementTree as ET

SAMPLE = CLI = DATA = None
NS = "{http://www.w3.org/2000/svg}"
ROW = re.compile(r"^\|([CG])(\d+) *\|(.*?) *\| *(\d+)\|$")


def parse(svg_bytes):
    return ET.fromstring(svg_bytes)


def rows_drawn(root):
    """(description, score, marked) of every row label: a text with a score tspan."""
    rows = []
    marked = {g.find(NS + "text[@class='m']") for g in root.iter(NS + "g") if g.get("class") == "mark"}
    for text in root.iter(NS + "text"):
        spans = text.findall(NS + "tspan")
        if len(spans) == 1 and spans[0].get("class") == "s":
            rows.append((text.text or "", int(spans[0].text), text in marked))
    return rows


def list_rows(letter):
    rows = []
    with open(f"{DATA}/{'cpu' if letter == 'C' else 'gpu'}.txt", encoding="utf-8") as f:
        for line in f:
            m = ROW.match(line.rstrip("\n"))
            assert m, line
            rows.append((m.group(3), int(m.group(4))))
    return rows


def cli(*args):
    p = subprocess.run([CLI, "--ladder", *args], capture_output=True)
    return p.returncode, p.stdout, p.stderr.decode("utf-8")


def all_text(root):
    return "".join(root.itertext())


class LadderSvg(unittest.TestCase):
    def test_hostile_texts_come_back_as_they_were(self):
        out = subprocess.run([SAMPLE], capture_output=True, check=True).stdout
        root = parse(out)
        descriptions = [d for d, _, _ in rows_drawn(root)]
        self.assertEqual(descriptions, [
            "<script>alert('x')</script> & \"AMD\"",
            "GeForce ]]> <!-- --> &amp; \ufffd end",
            "Intel \ufffd Arc \ufffd 测试卡 < 9 >",
            "&#x3C; plain",
        ])
        marked = [d for d, _, m in rows_drawn(root) if m]
        self.assertEqual(marked, ["GeForce ]]> <!-- --> &amp; \ufffd end"])
        mark = next(g for g in root.iter(NS + "g") if g.get("class") == "mark")
        self.assertEqual(mark.get("id"), "mark-G2")
        self.assertIn("G2", [t.text for t in mark.iter(NS + "text")])
        titles = [t.text for t in root.iter(NS + "text") if t.get("class") == "t"]
        self.assertEqual(titles, ["GPU 显卡天梯图：</text><text>\"&'"])
        # Nothing outside the file: no links, no external fonts or images.
        self.assertNotIn(b"href", out)
        self.assertNotIn(b"url(", out)
        self.assertNotIn(b"@import", out)

    def test_whole_lists_draw_every_row_once(self):
        for scope, letter, source in (("gpu", "G", "PassMark G3D Mark"), ("cpu", "C", "PassMark CPU Mark")):
            with self.subTest(scope=scope):
                code, out, err = cli("--scope", scope)
                self.assertEqual(code, 0, err)
                root = parse(out)
                drawn = sorted((d, s) for d, s, _ in rows_drawn(root))
                self.assertEqual(drawn, sorted(list_rows(letter)))
                text = all_text(root)
                for word in (source, "2026", "旗舰", "办公", "得分"):
                    self.assertIn(word, text)
                style = root.find(NS + "style").text
                for font in ("Microsoft YaHei", "PingFang SC", "Noto Sans CJK SC", "sans-serif"):
                    self.assertIn(font, style)
                self.assertEqual(root.get("viewBox"), f"0 0 {root.get('width')} {root.get('height')}")

    def test_query_rows_and_marks(self):
        code, out, err = cli("--scope", "gpu", "--mark", "GeForce RTX 3060", "rtx 40")
        self.assertEqual(code, 0, err)
        root = parse(out)
        rows = rows_drawn(root)
        self.assertTrue(any("RTX 40" in d.upper() for d, _, _ in rows))
        for d, _, marked in rows:
            self.assertTrue(marked or "RTX 40" in d.upper(), d)
        self.assertEqual([d for d, _, m in rows if m], ["GeForce RTX 3060"])
        self.assertIn("RTX 40", all_text(root))
        # The query is not cut at the table's 30 rows.
        code, out, err = cli("--scope", "gpu", "radeon")
        self.assertGreater(len(rows_drawn(parse(out))), 30)

    def test_hostile_query_term(self):
        code, out, err = cli("--scope", "cpu", "--", "<&'\"\x01>")
        self.assertEqual(code, 0, err)
        titles = [t.text for t in parse(out).iter(NS + "text") if t.get("class") == "t"]
        self.assertEqual(titles, ["CPU 天梯图：<&'\"\ufffd>"])


if __name__ == "__main__":
    SAMPLE, CLI, DATA = sys.argv[1:4]
    unittest.main(argv=sys.argv[:1])
