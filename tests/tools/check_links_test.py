#!/usr/bin/env python3
"""tools/check-links.py on small planted trees: each case writes README.md and
docs/a.md, and the check must pass, or fail naming the broken link."""
import os
import subprocess
import sys
import tempfile

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "check-links.py")

DOC = """# 行为说明 / Behaviour notes

## 命令行版：`--format`（全部）

## MSVC

## MSVC

```sh
[not a link](missing.md)
```
"""

# (name, README.md text, None when the check passes or the text its failure names)
CASES = [
    ("good links", "[a](docs/a.md) [b](docs/a.md#行为说明--behaviour-notes) ![p](docs/p.png) [c](#tianti)\n# tianti\n", None),
    ("CJK heading with code and punctuation", "[x](docs/a.md#命令行版--format全部)\n", None),
    ("repeated heading", "[x](docs/a.md#msvc-1)\n", None),
    ("web addresses and code are not followed", "[w](https://example.com/x.md) `[c](gone.md)`\n", None),
    ("missing file", "[a](docs/gone.md)\n", "README.md:1: docs/gone.md: no such file"),
    ("missing heading", "[a](docs/a.md#behaviour)\n", "no heading with the anchor #behaviour in docs/a.md"),
    ("third repeat that is not there", "[x](docs/a.md#msvc-2)\n", "#msvc-2"),
    ("missing heading in the same file", "# One\n[a](#two)\n", "README.md:2: #two"),
    ("fragment on a picture", "[a](docs/p.png#x)\n", "not a Markdown file"),
    ("absolute path", "[a](/docs/a.md)\n", "an absolute path"),
]


def main():
    failures = 0
    for name, readme, want in CASES:
        with tempfile.TemporaryDirectory() as root:
            os.mkdir(os.path.join(root, "docs"))
            with open(os.path.join(root, "README.md"), "w", encoding="utf-8") as f:
                f.write(readme)
            with open(os.path.join(root, "docs", "a.md"), "w", encoding="utf-8") as f:
                f.write(DOC)
            open(os.path.join(root, "docs", "p.png"), "wb").close()
            run = subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)
            if want is None and run.returncode != 0:
                print("FAIL: %s: the check failed:\n%s" % (name, run.stderr), file=sys.stderr)
                failures += 1
            elif want is not None and (run.returncode != 1 or want not in run.stderr):
                print("FAIL: %s: expected exit 1 naming %r, got %d:\n%s" % (name, want, run.returncode, run.stderr),
                      file=sys.stderr)
                failures += 1
    if failures:
        return 1
    print("check-links: %d cases" % len(CASES))
    return 0


if __name__ == "__main__":
    sys.exit(main())
