#!/usr/bin/env python3
"""Checks the links between the project's documents: every relative link in
README.md and docs/*.md must name an existing file, and a #fragment must name
a heading of the Markdown file it points into (or of the same file), by the
anchors GitHub gives headings: the heading's text in lower case, spaces as
"-", punctuation dropped, letters of every script (Chinese too) kept, and
"-1", "-2" ... after repeats. Links to web addresses are not followed; links
inside code are not links.

  check-links.py [ROOT]    ROOT: the tree to check (default: this clone)

Prints one line per broken link (file:line: link: why) and exits 1 when there
is any, else 0. Standard library only.
"""
import glob
import os
import re
import sys
import unicodedata
import urllib.parse

FENCE_RE = re.compile(r"^ {0,3}(`{3,}|~{3,})")
HEADING_RE = re.compile(r"^ {0,3}(#{1,6})[ \t]+(.*?)[ \t]*#*[ \t]*$")
# [text](target) and ![alt](target); the target may be <...> and may carry a title.
LINK_RE = re.compile(r"!?\[(?:[^\[\]]|\[[^\[\]]*\])*\]\(\s*(<[^>]*>|[^\s()]*(?:\([^\s()]*\)[^\s()]*)*)(?:\s+(?:\"[^\"]*\"|'[^']*'))?\s*\)")
CODE_SPAN_RE = re.compile(r"(`+)(.+?)\1")
HTML_ANCHOR_RE = re.compile(r"<a\s[^>]*\b(?:id|name)\s*=\s*[\"']([^\"']+)[\"']", re.I)
EXTERNAL_RE = re.compile(r"^[a-zA-Z][a-zA-Z0-9+.-]*:")  # https:, mailto: ...


def heading_text(raw):
    """The text GitHub makes the anchor from: the heading with its inline
    markup taken off (code spans keep their text, links their text)."""
    text = CODE_SPAN_RE.sub(lambda m: m.group(2).strip(), raw)
    text = re.sub(r"!?\[([^\]]*)\]\([^)]*\)", r"\1", text)
    return re.sub(r"<[^>]+>", "", text)


def slug(text):
    out = []
    for ch in text.lower():
        if ch in " -_":
            out.append("-" if ch == " " else ch)
        elif unicodedata.category(ch)[0] in "LNM":
            out.append(ch)
    return "".join(out)


def lines_outside_code(path):
    """(line number, line) of a Markdown file, fenced code blocks left out."""
    fence = None
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            m = FENCE_RE.match(line)
            if fence is None and m:
                fence = m.group(1)[0] * len(m.group(1))
                continue
            if fence is not None:
                if line.strip().startswith(fence) and line.strip().strip(fence[0]) == "":
                    fence = None
                continue
            yield number, line


_anchors = {}


def anchors(path):
    if path not in _anchors:
        found, seen = set(), {}
        for _, line in lines_outside_code(path):
            for name in HTML_ANCHOR_RE.findall(line):
                found.add(name)
            m = HEADING_RE.match(line)
            if not m:
                continue
            base = slug(heading_text(m.group(2)))
            n = seen.get(base, 0)
            seen[base] = n + 1
            found.add(base if n == 0 else "%s-%d" % (base, n))
        _anchors[path] = found
    return _anchors[path]


def check_file(path, root):
    problems = []
    for number, line in lines_outside_code(path):
        line = CODE_SPAN_RE.sub("", line)
        for m in LINK_RE.finditer(line):
            link = m.group(1).strip("<>")
            if not link or EXTERNAL_RE.match(link):
                continue
            target, _, fragment = link.partition("#")
            target = urllib.parse.unquote(target)
            fragment = urllib.parse.unquote(fragment)
            where = "%s:%d: %s" % (os.path.relpath(path, root), number, link)
            if target.startswith("/"):
                problems.append("%s: an absolute path (links are relative to the file)" % where)
                continue
            full = os.path.normpath(os.path.join(os.path.dirname(path), target)) if target else path
            if not os.path.exists(full):
                problems.append("%s: no such file" % where)
                continue
            if fragment:
                if not (os.path.isfile(full) and full.endswith(".md")):
                    problems.append("%s: a #fragment on something that is not a Markdown file" % where)
                elif fragment not in anchors(full):
                    problems.append("%s: no heading with the anchor #%s in %s" % (where, fragment, os.path.relpath(full, root)))
    return problems


def main(argv):
    root = os.path.abspath(argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    files = [os.path.join(root, "README.md")] + sorted(glob.glob(os.path.join(root, "docs", "*.md")))
    files = [f for f in files if os.path.isfile(f)]
    if not files:
        print("check-links: no README.md or docs/*.md under %s" % root, file=sys.stderr)
        return 1
    problems = [p for f in files for p in check_file(f, root)]
    for p in problems:
        print(p, file=sys.stderr)
    if problems:
        print("check-links: %d broken link(s)" % len(problems), file=sys.stderr)
        return 1
    print("check-links: %d files, every relative link names an existing file or heading" % len(files))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
