"""Tests of tools/make_rows.py: naming conventions, cutting, refusals, output."""

import contextlib
import io
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import make_rows  # noqa: E402


def run(cpu_text, gpu_text, summary=None):
    """Runs make_rows on the two texts; returns (status, stderr, {name: output text}).
    The summary goes to `summary` if given."""
    with tempfile.TemporaryDirectory() as d:
        paths = {}
        for name, text in (("cpu.tsv", cpu_text), ("gpu.tsv", gpu_text)):
            paths[name] = os.path.join(d, name)
            with open(paths[name], "wb") as f:
                f.write(text.encode("utf-8"))
        out = os.path.join(d, "out")
        err = io.StringIO()
        with contextlib.redirect_stderr(err), contextlib.redirect_stdout(summary or io.StringIO()):
            status = make_rows.main(["--cpu", paths["cpu.tsv"], "--gpu", paths["gpu.tsv"],
                                     "--out-dir", out])
        files = {}
        for name in ("cpu.txt", "gpu.txt"):
            path = os.path.join(out, name)
            if os.path.exists(path):
                with open(path, "rb") as f:
                    files[name] = f.read().decode("utf-8")
        return status, err.getvalue(), files


def gpu_row(name, score=100):
    status, err, files = run("A\t1\n", "%s\t%d\n" % (name, score))
    assert status == 0, err
    return files["gpu.txt"].rstrip("\n")


class Conventions(unittest.TestCase):
    def test_at_sign_is_joined_in_both_lists(self):
        status, _, files = run("Intel Xeon L5630 @ 2.13GHz\t3048\n", "X @ Y\t5\n")
        self.assertEqual(status, 0)
        self.assertEqual(files["cpu.txt"],
                         "|C1   |Intel Xeon L5630@2.13GHz                | 3048|\n")
        self.assertIn("|X@Y ", files["gpu.txt"])

    def test_two_card_combination(self):
        self.assertEqual(gpu_row("Radeon R7 + R7 350 Dual", 1982),
                         "|G1   |Radeon R7 + R7 350双卡                  | 1982|")
        # Only a name with " + " that ends in " Dual" is a combination.
        self.assertIn("|Radeon PRO W7900 Dual ", gpu_row("Radeon PRO W7900 Dual"))
        self.assertIn("|Radeon R7 + R5 435 Dual A10 ", gpu_row("Radeon R7 + R5 435 Dual A10"))
        # CPU names are left alone.
        self.assertIn("|A + B Dual ", run("A + B Dual\t1\n", "G\t1\n")[2]["cpu.txt"])

    def test_mobility_prefix(self):
        self.assertEqual(gpu_row("Mobility Radeon HD 5870", 1075),
                         "|G1   |移动版 Radeon HD 5870                   | 1075|")
        self.assertIn("|FirePro M6000 Mobility Pro ", gpu_row("FirePro M6000 Mobility Pro"))

    def test_cut_at_40_columns_drops_a_straddling_ideograph(self):
        self.assertEqual(gpu_row("A" * 45), "|G1   |" + "A" * 40 + "|  100|")
        self.assertEqual(gpu_row("B" * 32 + " + C Dual"), "|G1   |" + "B" * 32 + " + C双卡|  100|")
        # 39 columns + 双卡, 38 without the space before "+": still too wide,
        # so cut; 双 would straddle 40-41.
        self.assertEqual(gpu_row("B" * 35 + " + C Dual")[7:47], "B" * 35 + " + C ")
        self.assertEqual(gpu_row("C" * 40 + " Dual")[7:47], "C" * 40)

    def test_two_card_name_drops_the_space_before_plus_where_that_keeps_the_word(self):
        # 41 columns with the space, 40 without it.
        self.assertEqual(gpu_row("B" * 33 + " + C Dual"), "|G1   |" + "B" * 33 + "+ C双卡|  100|")
        # The three such names of today's list, and two that are too long even so.
        names = ["Radeon HD 7660G + HD 7500/7600 7500/7600 Dual",
                 "Radeon HD 8650G N HD 8650G + HD 8600/8700M Dual",
                 "Radeon HD 8650G N HD 8650G + HD 8570M Dual",
                 "Radeon HD 8650G + HD 8600M N HD 8600M Dual",
                 "Radeon HD 7660G N HD 7660G + HD 7670M Dual"]
        gpu = "".join("%s\t%d\n" % (n, 900 - i) for i, n in enumerate(names))
        out = io.StringIO()
        status, err, files = run("A\t1\n", gpu, out)
        self.assertEqual(status, 0, err)
        self.assertEqual(files["gpu.txt"].splitlines(), [
            "|G1   |Radeon HD 7660G + HD 7500/7600 7500/7600|  900|",
            "|G2   |Radeon HD 8650G N HD 8650G + HD 8600/870|  899|",
            "|G3   |Radeon HD 8650G N HD 8650G+ HD 8570M双卡|  898|",
            "|G4   |Radeon HD 8650G+ HD 8600M N HD 8600M双卡|  897|",
            "|G5   |Radeon HD 7660G N HD 7660G+ HD 7670M双卡|  896|"])
        report = out.getvalue()
        self.assertIn("2 cut to 40 columns", report)
        self.assertIn("keep \"双卡\" whole: 3\n    |G3   |", report)
        self.assertIn("too long to keep \"双卡\" whole, cut at 40 columns: 2\n"
                      "    |G1   |Radeon HD 7660G + HD 7500/7600 7500/7600|  900|\n"
                      "    |G2   |", report)
        # A one-card name, and a CPU name, are cut as before.
        self.assertEqual(gpu_row("B" * 33 + " + C")[7:47], "B" * 33 + " + C   ")
        self.assertIn("|" + "B" * 33 + " + C Du|", run("B" * 33 + " + C Dual\t1\n", "G\t1\n")[2]["cpu.txt"])

    def test_outer_spaces_are_stripped_inner_kept(self):
        self.assertEqual(gpu_row("  GeForce  X  "), "|G1   |GeForce  X" + " " * 30 + "|  100|")

    def test_output_is_utf8_lf_in_rank_order(self):
        status, _, files = run("A\t9\nB\t9\nC\t1\r\n", "G\t1")
        self.assertEqual(status, 0)
        self.assertEqual([r[:8] for r in files["cpu.txt"].split("\n")],
                         ["|C1   |A", "|C2   |B", "|C3   |C", ""])
        self.assertNotIn("\r", files["cpu.txt"])


class Refusals(unittest.TestCase):
    def assertRefused(self, cpu_text, message, gpu_text="G\t1\n"):
        status, err, files = run(cpu_text, gpu_text)
        self.assertEqual(status, 1)
        self.assertIn(message, err)
        self.assertEqual(files, {}, "nothing may be written")

    def test_bad_names(self):
        self.assertRefused("A|B\t5\n", "cpu.tsv:1: name holds a bar")
        self.assertRefused("A\t5\nA\tB\t5\n", "cpu.tsv:2: name holds a tab")
        self.assertRefused("Caf\u00e9\t5\n", "U+00E9")
        self.assertRefused("   \t5\n", "name is empty")
        self.assertRefused("A 5\n", "no tab")
        self.assertRefused("A\t5\n\nB\t4\n", "cpu.tsv:2: line is blank")

    def test_bad_scores(self):
        for score in ("0", "100000", "012", "-5", "5.0", "", " 5"):
            self.assertRefused("A\t%s\n" % score, "cpu.tsv:1: score")
        self.assertRefused("A\t5\nB\t6\n", "cpu.tsv:2: score 6 is higher than the score 5")

    def test_a_file_that_cannot_be_replaced_leaves_both_as_they_were(self):
        with tempfile.TemporaryDirectory() as d:
            for name, text in (("cpu.tsv", "A\t5\n"), ("gpu.tsv", "G\t1\n"), ("cpu.txt", "old\n")):
                with open(os.path.join(d, name), "w", encoding="utf-8") as f:
                    f.write(text)
            os.mkdir(os.path.join(d, "gpu.txt"))
            err = io.StringIO()
            with contextlib.redirect_stderr(err), contextlib.redirect_stdout(io.StringIO()):
                status = make_rows.main(["--cpu", os.path.join(d, "cpu.tsv"),
                                         "--gpu", os.path.join(d, "gpu.tsv"), "--out-dir", d])
            self.assertEqual(status, 1)
            self.assertEqual(err.getvalue(), "make_rows: cannot write %s: Is a directory; no file "
                             "was changed\n" % os.path.join(d, "gpu.txt"))
            with open(os.path.join(d, "cpu.txt"), encoding="utf-8") as f:
                self.assertEqual(f.read(), "old\n")
            self.assertEqual(sorted(os.listdir(d)), ["cpu.tsv", "cpu.txt", "gpu.tsv", "gpu.txt"])

    def test_list_sizes(self):
        self.assertRefused("", "cpu.tsv:1: the list is empty")
        self.assertRefused("A\t1\n" * 4000, "at most 4736", gpu_text="G\t1\n" * 737)
        self.assertEqual(run("A\t1\n" * 4000, "G\t1\n" * 736)[0], 0)


if __name__ == "__main__":
    unittest.main()
