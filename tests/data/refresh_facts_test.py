"""Tests of tools/refresh_facts.py: selection rules, refusals, report.

The JSON shapes are tried on the real charts in refresh_reproduction_test.py."""

import contextlib
import io
import json
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import refresh_facts  # noqa: E402

E = refresh_facts.Entry


def names(entries):
    return [e.name for e in entries]


def chart(prefix, count, top=90000):
    """count distinct entries, best first, scores falling by one."""
    return [("%s %d" % (prefix, i), top - i) for i in range(count)]


def tsv(entries):
    return "".join("%s\t%s\n" % pair for pair in entries)


class Selection(unittest.TestCase):
    def test_drops_device_strings_and_six_digit_scores_keeps_ties_in_order(self):
        entries = [E("Big", 100000, 1), E("PCI\\VEN_1002&DEV_164E Ryzen", 99999, 2),
                   E("Top", 99999, 3), E("PCI GDIHOOK5", 5000, 4), E("Winsta0\\\\Default", 5000, 5),
                   E("Intel UHD 770#0x1c005d839205d7e9#", 5000, 6), E("Tesla P100-PCIE-12GB", 5000, 7),
                   E("Tie B", 5000, 8), E("Tie A", 5000, 9), E("Last", 4000, 10)]
        kept, stats = refresh_facts.select(entries, 3)
        self.assertEqual(names(kept), ["Top", "Tesla P100-PCIE-12GB", "Tie B"])
        self.assertEqual((len(stats["device"]), stats["high"], stats["past"]), (4, 1, 2))

    def test_restores_slash_only_where_the_older_list_is_unambiguous(self):
        older = [E(n, 1, i) for i, n in enumerate(
            ["MT6983W/CZA",
             "X 1/2", "X 1-2",                  # the "-" spelling is a name of its own
             "Y a/b-c", "Y a-b/c"], 1)]         # two names read the same with "-"
        restore = refresh_facts.restore_map(older)
        self.assertEqual(restore, {"MT6983W-CZA": "MT6983W/CZA"})
        new = [E("MT6983W-CZA", 9, 1), E("X 1-2", 8, 2), E("Y a-b-c", 7, 3), E("Z-1", 6, 4)]
        kept, stats = refresh_facts.select(new, 4, restore)
        self.assertEqual(names(kept), ["MT6983W/CZA", "X 1-2", "Y a-b-c", "Z-1"])
        self.assertEqual(stats["restored"], 1)
        # A chart that already holds the "/" spelling keeps both as they are.
        kept, _ = refresh_facts.select([E("MT6983W/CZA", 9, 1), E("MT6983W-CZA", 8, 2)], 2, restore)
        self.assertEqual(names(kept), ["MT6983W/CZA", "MT6983W-CZA"])


class Products(unittest.TestCase):
    """The rules by kind on a small made-up chart: what goes, what stays, and
    that the list is filled from below."""

    def sort(self, names, keep, reviewed=None):
        entries = [E(n, 9000 - i, i + 1) for i, n in enumerate(names)]
        return refresh_facts.select(entries, keep, reviewed=reviewed)

    def test_each_kind_goes_and_its_near_misses_stay(self):
        gone = {
            "vgpu": ["nVidia L40-48Q", "L40S-12A", "GRID P40-2B", "GRID P4-2B4", "RTX6000-Ada-3A",
                     "RTX Pro 6000 Blackwell DC-24Q", "GRID M6-0B", "GRID GTX P40-6", "GRID K280Q",
                     "GRID K140Q", "Moore Threads S3000 MTvGPU-1132"],
            "driver": ["TURZX Display", "AicUsbDisplay Device", "SMI USB Display", "spacedesk Adapter",
                       "VNC Mirror Driver", "Citrix Indirect Display Adapter", "MS Idd Device",
                       "DisplayLink USB Device Ryzen 7 7735HS", "OrayIddDriver Device",
                       "LuminonCore IDDCX Adapter", "Red Hat QXL controller",
                       "ICE DISPLAY WDDM DRIVER", "SQExtFramebufferUmode Device"],
            "sample": ["Radeon Eng Sample: 100-000000544-40_Y", "Spreadtrum UIS7885(prototype)"],
            "virtual": ["Virtual @ 4.03GHz", "StratoVirt", "virt-10.1", "Android virtual",
                        "ARM Apple M1 (Virtual) 4 Core 0 MHz", "QEMU Virtual version 8.2.0"],
            "renamed": ["TENSOR 1.0 Driver Intel HD 630", "PHDGD Ivy 5", "Master X3100 Driver"],
        }
        stay = ["A10", "GRID K2", "GRID K520", "nVidia L40", "NVIDIA A10G", "FirePro W7000 Adapter",
                "Radeon R7 PRO A10-8850B", "Radeon R7 A10 PRO-7850B", "Radeon Pro V620 MxGPU",
                "Ryzen 7 9800X3D 8-Core Processor", "AMD Ryzen Z1 Extreme",
                "Snapdragon X Elite - X1E84100 - Qualcomm", "Matrox G200e WDDM 2.0",
                "Tesla P100-PCIE-12GB", "Intel Core i5-12400T", "AMD Ryzen 5 5600XT"]
        chart = [n for kind in gone for n in gone[kind]]
        chart[3:3] = stay          # the near misses among the rest, in chart order
        kept, stats = self.sort(chart + ["Below 1", "Below 2"], len(stay) + 1)
        self.assertEqual([e.name for e in kept], stay + ["Below 1"])
        done = stats["products"]
        for kind, expected in gone.items():
            self.assertEqual([e.name for e in done[kind]], expected, kind)
        self.assertEqual(stats["past"], 1)

    def test_marks_respelled_and_one_row_per_product(self):
        chart = ["RadeonT 780M", "Ryzen 7 6800HS", "NVIDIA A40", "Radeon 780M", "AMD Ryzen 5 150",
                 "Intel CoreTM Ultra 5 115U", "Ryzen 7 6800HS with Radeon Graphics",
                 "Ryzen 5 150 with Radeon Graphics", "Radeon(TM) Vega 8", "A40"]
        kept, stats = self.sort(chart, 6)
        # After respelling, the two "Radeon 780M" are one: the higher ranked stays.
        # The spelling systems report decides the others: "with Radeon Graphics",
        # the maker's name; where each has one of them, the higher ranked.
        self.assertEqual([(e.name, e.score) for e in kept], [
            ("Radeon 780M", 9000), ("NVIDIA A40", 8998), ("AMD Ryzen 5 150", 8996),
            ("Intel Core Ultra 5 115U", 8995), ("Ryzen 7 6800HS with Radeon Graphics", 8994),
            ("Radeon Vega 8", 8992)])
        done = stats["products"]
        self.assertEqual(len(done["mark"]), 3)
        self.assertEqual([(gone.name, stay.name) for gone, stay in done["merge"]], [
            ("Ryzen 7 6800HS", "Ryzen 7 6800HS with Radeon Graphics"),
            ("Radeon 780M", "Radeon 780M"), ("Ryzen 5 150 with Radeon Graphics", "AMD Ryzen 5 150"),
            ("A40", "NVIDIA A40")])

    def test_reviewed_list_takes_out_and_merges_by_hand(self):
        reviewed, errors = refresh_facts.product_rules.parse_reviewed("r.tsv", (
            "# comment\n\ncut\tAMD Ryzen 5 40\tthe model number is cut off\n"
            "merge\tIntel HD 4600 manual-gen9\tIntel HD 4600\ta driver build's name\n"
            "merge\tX 1\tNot In The Chart\tstays, and the report says so\n"))
        self.assertEqual(errors, [])
        kept, stats = self.sort(["AMD Ryzen 5 40", "Intel HD 4600 manual-gen9", "X 1",
                                 "Intel HD 4600", "Last"], 3, reviewed)
        self.assertEqual([e.name for e in kept], ["X 1", "Intel HD 4600", "Last"])
        self.assertEqual([e.name for e in stats["products"]["cut"]], ["AMD Ryzen 5 40"])
        self.assertIn("  reviewed merge not applied: X 1 -> Not In The Chart, which the chart does "
                      "not hold", refresh_facts.product_rules.notes(stats["products"], set()))


class Refresh(unittest.TestCase):
    """Runs the tool on files in a temporary directory that already holds facts and rows."""

    def setUp(self):
        self.d = self.enterContext(tempfile.TemporaryDirectory())
        self.old_cpu = chart("Cpu", 3012)
        self.old_gpu = chart("Gpu", 1722, top=30000)
        self.write("cpu.tsv", tsv(self.old_cpu))
        self.write("gpu.tsv", tsv(self.old_gpu))
        self.write("cpu.txt", "old rows\n")
        self.write("gpu.txt", "old rows\n")
        self.before = self.snapshot()

    def write(self, name, text):
        with open(os.path.join(self.d, name), "w", encoding="utf-8", newline="") as f:
            f.write(text)

    def snapshot(self):
        out = {}
        for name in sorted(os.listdir(self.d)):
            path = os.path.join(self.d, name)
            if os.path.isdir(path):
                out[name] = os.listdir(path)
                continue
            with open(path, "rb") as f:
                out[name] = f.read()
        return out

    def run_tool(self, cpu_text, restore_text=None, cpu_name="new_cpu.tsv", extra=(), gpu_text=None):
        self.write(cpu_name, cpu_text)
        self.write("new_gpu.tsv", tsv(self.old_gpu) if gpu_text is None else gpu_text)
        argv = ["--cpu", os.path.join(self.d, cpu_name), "--gpu", os.path.join(self.d, "new_gpu.tsv"),
                "--facts-dir", self.d, "--rows-dir", self.d] + list(extra)
        if restore_text is not None:
            self.write("older.tsv", restore_text)
            argv += ["--restore-from", os.path.join(self.d, "older.tsv")]
        out, err = io.StringIO(), io.StringIO()
        with contextlib.redirect_stdout(out), contextlib.redirect_stderr(err):
            status = refresh_facts.main(argv)
        return status, out.getvalue(), err.getvalue()

    def test_writes_facts_and_rows_and_reports_the_changes(self):
        new = list(self.old_cpu)
        mover = new.pop(3000)                         # Cpu 3000 climbs to rank 2
        new.insert(1, (mover[0], 89999))
        new[0] = ("Newcomer-X @ 3.00GHz", 95000)      # Cpu 0 leaves at the top
        new.insert(5, ("Long " + "name " * 9 + "end", new[4][1]))   # pushes Cpu 3011 out
        status, out, err = self.run_tool(tsv(new), restore_text="Newcomer/X @ 3.00GHz\t1\n")
        self.assertEqual(status, 0, err)
        files = self.snapshot()
        self.assertEqual(files["cpu.tsv"].decode(),
                         tsv(new[:3012]).replace("Newcomer-X", "Newcomer/X"))
        self.assertTrue(files["cpu.txt"].decode().startswith(
            "|C1   |Newcomer/X@3.00GHz                      |95000|\n"))
        self.assertEqual(files["gpu.tsv"], self.before["gpu.tsv"])
        self.assertNotIn("old rows", files["gpu.txt"].decode())
        self.assertEqual([n for n in files if n.startswith(".")], [])
        for line in ("against the 3012 rows it replaces: 2 entered, 2 left, 3010 stayed",
                     "\"/\" restored in 1 names from",
                     "new number one: Newcomer/X @ 3.00GHz (95000); was Cpu 0 (90000)",
                     "C3001 -> C2 (+2999)  Cpu 3000",
                     "best of those that left: C1 Cpu 0; C3012 Cpu 3011",
                     "descriptions cut at 40 columns: 1",
                     "|C6   |Long name name name name name name name |89997|  <- Long name",
                     "number one unchanged: Gpu 0 (30000, now 30000)"):
            self.assertIn(line, out)

    def assertRefused(self, cpu_text, message, cpu_name="new_cpu.tsv", extra=()):
        status, out, err = self.run_tool(cpu_text, cpu_name=cpu_name, extra=extra)
        self.assertEqual(status, 1, out)
        self.assertIn(os.path.join(self.d, cpu_name) + ":" + message, err)
        self.assertIn("nothing written", err)
        after = self.snapshot()
        for name in ("cpu.tsv", "gpu.tsv", "cpu.txt", "gpu.txt"):
            self.assertEqual(after[name], self.before[name], name)
        self.assertEqual([n for n in after if n.startswith(".")], [])

    def test_refuses_bad_input_with_file_and_line_and_writes_nothing(self):
        lines = tsv(chart("Cpu", 3020)).splitlines(True)

        def at_line(number, text):
            return "".join(lines[:number - 1]) + text + "\n" + "".join(lines[number - 1:])
        self.assertRefused(at_line(3, "Cpu x 12"), "3: line has no tab")
        self.assertRefused(at_line(4, "Cpu x\t1,000"), "4: score '1,000' is not a decimal integer")
        self.assertRefused(at_line(4, "Cpu x\t95000"), "4: score 95000 is higher than the 89998 on line 3")
        self.assertRefused(at_line(4, "Cpu 1\t89997"), "4: name 'Cpu 1' appears again (first on line 2)")
        self.assertRefused(at_line(3, "Cpu|x\t89998"), "3: name holds a bar")
        self.assertRefused(at_line(3, "Caf\u00e9\t89998"), "3: name holds the character U+00E9")
        self.assertRefused(tsv(chart("Cpu", 3011) + [("Zero", 0)]), "3012: score 0")
        self.assertRefused(tsv(chart("Cpu", 3011) + [("PCI GDIHOOK5", 1)]),
                           "3012: the chart ends after 3011 usable entries; the list keeps 3012")
        self.assertRefused('{\n "A": 5,\n "B": 4\n "C": 3\n}\n',
                           " entry \"B\" on line 3: invalid JSON: expected ',' or '}' after it "
                           "at line 4 column 2", cpu_name="new_cpu.json")
        self.assertRefused('[\n {"name": "A", "score": 5},\n {"name": "B", "score": "NA"}\n]',
                           " entry [1] on line 3: score \"NA\" is not a whole number",
                           cpu_name="new_cpu.json")
        self.assertRefused('[\n {"name": "A", "score": 5},\n {"title": "B", "score": 4}\n]',
                           " entry [1] on line 3: entry has no \"name\" string", cpu_name="new_cpu.json")
        self.assertRefused('{\n "A": 5,\n "A": 4\n}', " entry \"A\" on line 3: name \"A\" appears "
                           "again (first at entry \"A\" on line 2)", cpu_name="new_cpu.json")

    def test_text_or_json_by_extension_option_or_unmistakable_content(self):
        # A text chart headed by a multi-socket system starts with "[".
        text = tsv([("[2-Way] Intel Xeon Gold 6238 @ 2.10GHz", 95000)] + chart("Cpu", 3011))
        for name in ("new_cpu.tsv", "new_cpu.txt", "new_cpu", "new_cpu.export"):
            status, out, err = self.run_tool(text, cpu_name=name)
            self.assertEqual(status, 0, name + ": " + err)
            with open(os.path.join(self.d, "cpu.txt"), encoding="utf-8") as f:
                self.assertEqual(f.readline(), "|C1   |[2-Way] Intel Xeon Gold 6238@2.10GHz    |95000|\n")
        # JSON under a name that says nothing, and JSON under a text name when told.
        as_json = "{%s}" % ", ".join('"%s": %d' % pair for pair in chart("Cpu", 3012))
        self.assertEqual(self.run_tool(as_json, cpu_name="cpu.export")[0], 0)
        status, _, err = self.run_tool(as_json, cpu_name="cpu.txt", extra=["--cpu-format", "json"])
        self.assertEqual(status, 0, err)
        self.before = self.snapshot()
        # Told text, a JSON chart is read as text and refused for it.
        self.assertRefused(as_json.replace(", ", ",\n"), "1: line has no tab", cpu_name="x.json",
                           extra=["--cpu-format", "text"])
        # Neither a whole JSON document nor a text line: refused, not guessed.
        self.assertRefused('[\n {"name": "A", "score": 5}\n', " cannot tell whether this is a "
                           "text chart or JSON", cpu_name="new_cpu.export")

    def test_json_faults_located_by_entry_repeats_counted_deep_nesting_one_error(self):
        # Minified: one line, so each fault names its entry, not line 1.
        minified = "[" + ",".join('{"name":"Cpu %d","score":"NA"}' % i for i in range(3012)) + "]"
        status, _, err = self.run_tool(minified, cpu_name="new_cpu.json")
        self.assertEqual(status, 1)
        path = os.path.join(self.d, "new_cpu.json")
        self.assertEqual(err.splitlines(), [
            path + ": entry [%d]: score \"NA\" is not a whole number" % i for i in range(5)] + [
            "... and 3007 more like: " + path + ": entry [0]: score \"NA\" is not a whole number",
            "refresh_facts: 3012 fault(s); nothing written"])
        self.assertRefused('{"data":[{"name":"A","score":5},{"name":"B","score":4}{"name":"C"}]}',
                           " entry data[1]: invalid JSON: expected ',' or ']' after it at line 1 "
                           "column 55", cpu_name="new_cpu.json")
        self.assertRefused('{"A":5,"B":"x","C":3}', " entry \"B\": score \"x\" is not a whole number",
                           cpu_name="new_cpu.json")
        # Nesting that exhausts the parser is one clear fault, located where it can be.
        deep = "[" * 200000 + "]" * 200000
        for text, message in ((deep, " entry [0]: nested too deeply to read"),
                              ('{"data": [' + deep + "]}", " entry data[0]: nested too deeply")):
            for name in ("new_cpu.json", "new_cpu.export"):
                status, _, err = self.run_tool(text, cpu_name=name)
                self.assertEqual(status, 1)
                self.assertEqual(len(err.splitlines()), 2, err)
                self.assertIn(os.path.join(self.d, name) + ":" + message, err)

    def test_a_failed_replacement_puts_every_file_back(self):
        new = tsv(chart("Cpu", 3012, top=80000))
        for blocked in ("cpu.tsv", "cpu.txt", "gpu.tsv", "gpu.txt"):
            path = os.path.join(self.d, blocked)
            os.unlink(path)
            os.mkdir(path)                  # cannot be replaced by a file
            before = self.snapshot()
            status, out, err = self.run_tool(new)
            self.assertEqual(status, 1, out)
            self.assertEqual(err, "refresh_facts: cannot write %s: Is a directory; no file was "
                             "changed\n" % path)
            after = self.snapshot()
            for name in ("cpu.tsv", "gpu.tsv", "cpu.txt", "gpu.txt"):
                self.assertEqual(after[name], before[name], name)
            self.assertEqual([n for n in after if n.startswith(".")], [])
            os.rmdir(path)
            self.write(blocked, self.before[blocked].decode())
        # The same four files with nothing in the way are replaced.
        self.assertEqual(self.run_tool(new)[0], 0)
        self.assertNotEqual(self.snapshot()["cpu.txt"], self.before["cpu.txt"])

    def test_two_card_names_keep_the_word_where_the_space_before_plus_goes(self):
        gpu = list(self.old_gpu)
        gpu[10:13] = [("Radeon HD 8650G N HD 8650G + HD 8570M Dual", gpu[10][1]),
                      ("Radeon HD 8650G + HD 8600M N HD 8600M Dual", gpu[11][1]),
                      ("Radeon HD 7660G + HD 7500/7600 7500/7600 Dual", gpu[12][1])]
        status, out, err = self.run_tool(tsv(self.old_cpu), gpu_text=tsv(gpu))
        self.assertEqual(status, 0, err)
        rows = self.snapshot()["gpu.txt"].decode().splitlines()
        self.assertEqual(rows[10:13], ["|G11  |Radeon HD 8650G N HD 8650G+ HD 8570M双卡|29990|",
                                       "|G12  |Radeon HD 8650G+ HD 8600M N HD 8600M双卡|29989|",
                                       "|G13  |Radeon HD 7660G + HD 7500/7600 7500/7600|29988|"])
        self.assertIn("descriptions cut at 40 columns: 1\n    |G13  |", out)
        self.assertIn("keep \"双卡\" whole: 2\n    |G11  |", out)
        self.assertIn("too long to keep \"双卡\" whole, cut at 40 columns: 1\n    |G13  |", out)

    def test_a_malformed_reviewed_line_is_located_and_nothing_is_written(self):
        path = os.path.join(self.d, "reviewed.tsv")
        for text, message in (
                (b"driver\tX\n", "1: 2 fields where a driver line has 3"),
                (b"# why\nbogus\tX\tbecause\n", "2: unknown kind bogus"),
                (b"cut\tX\t\n", "1: a name or reason is empty"),
                (b"cut\tX\tbecause\nsample\tX\tbecause\n", "2: X is listed again (first on line 1)"),
                (b"merge\tX\tX\tbecause\n", "1: X is merged into itself"),
                (b"cut\tX\tbecause\nmerge\tY\tZ\n", "2: 3 fields where a merge line has 4"),
                (b"cut\tX\tbecause\ncut\tX\xff\tbecause\n", "2: invalid UTF-8")):
            with open(path, "wb") as f:
                f.write(text)
            status, out, err = self.run_tool(tsv(chart("Cpu", 3012, top=80000)),
                                             extra=["--reviewed", path])
            self.assertEqual(status, 1, out)
            self.assertIn(path + ":" + message, err)
            self.assertIn("nothing written", err)
            after = self.snapshot()
            for name in ("cpu.tsv", "gpu.tsv", "cpu.txt", "gpu.txt"):
                self.assertEqual(after[name], self.before[name], name)

    def test_names_taken_out_are_printed_escaped_under_a_gbk_terminal(self):
        # A lone surrogate (JSON allows one), terminal escape sequences, a
        # right-to-left override, a character GBK lacks: each is printed as an
        # escape, and the run ends normally.
        junk = {"\ud800 L40-4Q": "\\ud800 L40-4Q (35000, entry ",
                "\x1b[2J\x1b]0;owned\x07TURZX Display":
                    "\\x1b[2J\\x1b]0;owned\\x07TURZX Display (35000, entry ",
                "Caf\u0219 USB Display": "Caf\\u0219 USB Display (35000, entry ",
                "\u202eRTX6000-Ada-3A": "\\u202eRTX6000-Ada-3A (35000, entry ",
                "PCI\\VEN_\u2122": "device or driver strings (PCI\\VEN_\\u2122)"}
        gpu = os.path.join(self.d, "new_gpu.json")
        with open(gpu, "w", encoding="ascii") as f:
            json.dump(dict([(n, 35000) for n in junk] + self.old_gpu), f)
        self.write("new_cpu.tsv", tsv(self.old_cpu))
        env = {k: v for k, v in os.environ.items() if not k.startswith(("PYTHONIO", "PYTHONUTF8"))}
        env["LC_ALL"] = "zh_CN.GBK"
        probe = subprocess.run([sys.executable, "-c", "import sys; print(sys.stdout.encoding)"],
                               env=env, capture_output=True, text=True)
        self.assertEqual(probe.stdout.strip().lower(), "gbk", "tools/install-deps.sh makes zh_CN.GBK")
        run = subprocess.run([sys.executable, refresh_facts.__file__, "--cpu",
                              os.path.join(self.d, "new_cpu.tsv"), "--gpu", gpu, "--facts-dir", self.d,
                              "--rows-dir", self.d, "--dry-run", "--verbose"],
                             env=env, capture_output=True)
        self.assertEqual(run.returncode, 0, run.stderr.decode("gbk", "replace"))
        self.assertEqual(run.stderr, b"")
        self.assertNotIn(b"\x1b", run.stdout)
        out = run.stdout.decode("gbk")
        for shown in junk.values():
            self.assertIn(shown, out)

    def test_dry_run_reports_and_writes_nothing(self):
        status, out, err = self.run_tool(tsv(chart("Cpu", 3012, top=80000)), extra=["--dry-run"])
        self.assertEqual(status, 0, err)
        self.assertIn("number one unchanged: Cpu 0 (90000, now 80000)", out)
        self.assertIn("dry run: nothing written", out)
        after = self.snapshot()
        self.assertEqual({n: after[n] for n in self.before}, self.before)


if __name__ == "__main__":
    unittest.main()
