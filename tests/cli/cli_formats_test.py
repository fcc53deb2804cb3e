#!/usr/bin/env python3
"""tianti-cli --format tsv and json against the table output of the same query.

Usage: cli_formats_test.py PATH-TO-tianti-cli
"""
import json
import re
import subprocess
import sys
import unittest

CLI = None
ROW = re.compile(r"^\|([CG])(\d+) *\|(.*?) *\| *(\d+)\|$")


def run(*args):
    p = subprocess.run([CLI, *args], capture_output=True)
    return p.returncode, p.stdout.decode("utf-8"), p.stderr.decode("utf-8")


def table_rows(text):
    """The rows of the framed table, taken apart independently of the CLI."""
    rows = []
    for line in text.splitlines():
        m = ROW.match(line)
        if m:
            rows.append((m.group(1), int(m.group(2)), m.group(3), int(m.group(4))))
        else:
            assert line.startswith("+") or line.startswith("|编号"), line
    return rows


# Queries that cover every rule, both scopes' letters, CJK descriptions, the
# limit note and a table without rows.
QUERIES = [
    (["ryzen"], "a", True),
    (["--scope", "gpu", "4090"], "a", False),
    (["--scope", "cpu", "--and", "7950", "ryzen"], "b", False),
    (["--or", "双卡", "5090 D"], "c", True),
    (["--or", "4090", "--or", "7970X", "3090 Ti"], "d", False),
    (["--or", "a", "--or", "b", "--or", "c", "geforce"], "e", True),
    (["no such device"], "a", False),
]


class Formats(unittest.TestCase):
    def test_tsv_and_json_hold_the_table_rows(self):
        for args, rule, truncated in QUERIES:
            with self.subTest(args=args):
                code, table, table_err = run(*args)
                self.assertEqual(code, 0)
                expected = table_rows(table)
                self.assertEqual(len(expected) == 30, truncated)

                code, tsv, tsv_err = run("--format", "tsv", *args)
                self.assertEqual(code, 0)
                self.assertEqual(tsv_err, table_err)  # messages still on stderr
                got = [tuple(line.split("\t")) for line in tsv.splitlines()]
                self.assertEqual(got, [(l, str(r), d, str(s)) for l, r, d, s in expected])

                code, out, err = run("--format", "json", *args)
                self.assertEqual(code, 0)
                self.assertEqual(err, "")
                doc = json.loads(out)
                self.assertEqual(
                    [(r["list"], r["rank"], r["description"], r["score"]) for r in doc["rows"]],
                    expected)
                self.assertEqual(doc["rule"], rule)
                self.assertIs(doc["truncated"], truncated)
                # The messages are the texts stderr shows after the title.
                self.assertEqual(doc["messages"],
                                 [m.split("：", 1)[1] for m in table_err.splitlines()])
                if truncated:
                    self.assertEqual(doc["messages"], [f"注:仅显示前30条记录(请缩少范围){rule}。"])

    def test_missing_term_and_bad_format(self):
        code, out, err = run("--format", "json", " ")
        self.assertEqual(code, 2)
        self.assertEqual(err, "")
        self.assertEqual(json.loads(out), {"rows": [], "rule": None, "truncated": False,
                                           "messages": ["Sorry,请输入查询条件!"]})
        code, out, err = run("--format", "tsv", " ")
        self.assertEqual((code, out), (2, ""))
        self.assertIn("Sorry", err)
        for bad in (["--format", "xml", "x"], ["--format"], ["--format", "tsv", "--format", "json", "x"],
                    ["--cpu", "--format", "json"], ["--format", "tsv", "--crlf", "x"]):
            with self.subTest(bad=bad):
                code, out, err = run(*bad)
                self.assertEqual((code, out), (2, ""))
                self.assertIn("Usage", err)


if __name__ == "__main__":
    CLI = sys.argv.pop(1)
    unittest.main()
