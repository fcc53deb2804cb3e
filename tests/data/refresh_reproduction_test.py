"""Rebuilding the facts from the chart lists in data/facts/sources gives today's
data/facts/*.tsv and data/*.txt byte for byte, from text and from JSON exports."""

import contextlib
import io
import json
import os
import sys
import tempfile
import unittest

REPO = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
SOURCES = os.path.join(REPO, "data", "facts", "sources")
sys.path.insert(0, os.path.join(REPO, "tools"))
import refresh_facts  # noqa: E402

CPU = os.path.join(SOURCES, "cpu_passmark_2026-04_tiereduptech.tsv")
GPU = os.path.join(SOURCES, "gpu_g3d_2026-04_tiereduptech.tsv")
OLDER_CPU = os.path.join(SOURCES, "cpu_passmark_2024-02_gabrielcarreon.tsv")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def pairs(path):
    with open(path, encoding="utf-8") as f:
        return [line.rstrip("\n").rsplit("\t", 1) for line in f]


def refresh(d, cpu, restore):
    out, err = io.StringIO(), io.StringIO()
    with contextlib.redirect_stdout(out), contextlib.redirect_stderr(err):
        status = refresh_facts.main(["--cpu", cpu, "--gpu", GPU, "--restore-from", restore,
                                     "--facts-dir", d, "--rows-dir", d])
    assert status == 0, err.getvalue()
    return out.getvalue()


class Reproduction(unittest.TestCase):
    def assertToday(self, d, names):
        for name in names:
            today = os.path.join(REPO, "data", "facts" if name.endswith(".tsv") else "", name)
            self.assertEqual(read(os.path.join(d, name)), read(today), name)

    def test_text_exports(self):
        with tempfile.TemporaryDirectory() as d:
            out = refresh(d, CPU, OLDER_CPU)
            self.assertToday(d, ("cpu.tsv", "gpu.tsv", "cpu.txt", "gpu.txt"))
            self.assertIn("\"/\" restored in 62 names", out)
        # make_rows.py on its own takes the facts inside the repository.
        with tempfile.TemporaryDirectory() as d:
            with contextlib.redirect_stdout(io.StringIO()):
                self.assertEqual(refresh_facts.make_rows.main(["--out-dir", d]), 0)
            self.assertToday(d, ("cpu.txt", "gpu.txt"))

    def test_json_exports(self):
        # The CPU chart as a name -> score object, the older list as an array
        # in name order with ranks, "1,234" scores and a multi-socket entry to
        # skip, as the scrapers wrote them.
        with tempfile.TemporaryDirectory() as d:
            cpu_json = os.path.join(d, "cpus.json")
            with open(cpu_json, "w", encoding="utf-8") as f:
                json.dump({n: int(s) for n, s in pairs(CPU)}, f, indent=2, ensure_ascii=False)
            older_json = os.path.join(d, "cpu.json")
            with open(older_json, "w", encoding="utf-8") as f:
                rows = [{"name": n, "cpumark": "{:,}".format(int(s)), "rank": r, "cpuCount": 1}
                        for r, (n, s) in enumerate(pairs(OLDER_CPU), start=1)]
                rows.append({"name": "X/Y", "cpumark": "NA", "rank": 1, "cpuCount": 2})
                json.dump({"data": sorted(rows, key=lambda o: o["name"])}, f)
            refresh(d, cpu_json, older_json)
            self.assertToday(d, ("cpu.tsv", "cpu.txt"))


if __name__ == "__main__":
    unittest.main()
