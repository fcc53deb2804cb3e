#!/usr/bin/env python3
"""Refresh the ranking facts from newer chart exports and report what changed.

Usage:
    python3 tools/refresh_facts.py --cpu CPU_CHART --gpu GPU_CHART
        [--restore-from OLDER_CPU_LIST] [--reviewed LIST] [--facts-dir DIR]
        [--rows-dir DIR] [--dry-run] [--verbose]
        [--cpu-format F] [--gpu-format F] [--restore-from-format F]    (F: text or json)

CPU_CHART is the CPU Mark chart, GPU_CHART the G3D Mark chart, best first.
Each may be
  - text: one "name<TAB>score" line per entry (UTF-8, CR LF tolerated);
  - JSON: an object {"name": score, ...} in chart order; or an array of
    objects, or an object whose "data" member is one, each with a "name" and
    a score ("score", "cpumark", "g3dmark" or "mark"). A score is an integer
    or a string of digits, thousands separated by commas ("2,320"). Objects
    that carry a "rank" are taken in rank order, else in file order; objects
    whose "cpuCount" is not 1 (multi-socket results) are skipped.
A file named .json is JSON, one named .tsv, .txt or .tab is text, and
--cpu-format and the like say it for any other name. Without either the
content decides where it cannot be taken for the other: a complete JSON
document is JSON, a first line "name<TAB>score" is text (a text chart may
well start with "[2-Way] ..."); a file that is neither is refused.

Selection, in chart order: device and driver strings (PCI\\VEN_... paths,
"PCI <driver>", Winsta0\\..., names with a "#0x...#" hash) and scores of
100000 or more are dropped; so is what is no product (product_rules.py):
virtual GPU profiles, display, mirror, USB and remote-desktop drivers,
engineering samples, virtual processors, renamed drivers, and the names the
reviewed LIST (default data/facts/reviewed.tsv) takes out by hand. A mangled
trademark sign is respelled ("RadeonT 780M" -> "Radeon 780M"), and where two
entries are one product (after that, or by the maker's name in front, or by
"with Radeon Graphics" after a processor's name, or by the reviewed list) the
one spelled as systems report it stays, else the one ranked higher. A CPU name
whose "/" the chart turned into "-" gets its "/" back where OLDER_CPU_LIST
(same formats) holds exactly one name that reads the same with "-"; the best
3012 CPUs and 1722 GPUs are kept, ties in chart order.

Output: DIR/cpu.tsv and DIR/gpu.tsv (default data/facts) and the ranking rows
cpu.txt and gpu.txt (default data/, made by make_rows.py), and on stdout a
report against the fact lists being replaced: entries that entered and left,
the largest rank moves, new number ones, the descriptions cut at 40 columns
and the two-card names that could not keep "双卡" whole; and what each kind
of rule took out, respelled or merged, with a few examples (--verbose: all of
them). Every name is printed escaped where it holds control characters, lone
surrogates or characters the output's encoding lacks. --dry-run prints the
report and writes nothing.

Bad input is refused on stderr with exit status 1, and then nothing is
written: "file:line: what is wrong" for a text chart, "file: entry [i] on
line n: what is wrong" for JSON (the entry's index in its list, or its key;
no line when the document is one line). Each kind of fault is shown five
times at most, and one line counts the rest. A JSON document too deeply nested
for the parser is one such fault.

The four files are replaced all or nothing: each is written to a temporary
file first; if replacing any of them fails, those already replaced get their
former content back, and one line on stderr names the file and the reason
(exit status 1).
"""

import argparse
import bisect
import json
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_rows  # noqa: E402
import product_rules  # noqa: E402
import refresh_report  # noqa: E402
from product_rules import shown  # noqa: E402

CPU_ROWS = 3012
GPU_ROWS = 1722
SCORE_LIMIT = refresh_report.SCORE_LIMIT
DEVICE_ID_RE = re.compile(r"^PCI[\\ ]|^Winsta\d+\\|#0x[0-9A-Fa-f]+#")
SCORE_KEYS = ("score", "cpumark", "g3dmark", "mark")


class ChartError(Exception):
    """A fault in an input file, and where it is: a line number (text charts),
    an entry of a JSON chart ('entry [12]', 'entry data[12]', 'entry "name"', with
    " on line N" when the file has lines), or None for the file as a whole."""

    def __init__(self, where, message):
        super().__init__(message)
        self.where = where


class Entry:
    __slots__ = ("name", "score", "where")

    def __init__(self, name, score, where):
        self.name, self.score, self.where = name, score, where


def fault(path, e):
    """'file:line: what', 'file: entry [i] on line n: what' or 'file: what'."""
    if isinstance(e.where, int):
        return "%s:%d: %s" % (path, e.where, e)
    if e.where:
        return "%s: %s: %s" % (path, e.where, e)
    return "%s: %s" % (path, e)


def place(where):
    """Where an earlier entry stood, for a message about a later one."""
    if isinstance(where, int):
        return "on line %d" % where
    return "at " + where


EXHAUSTED = "nested too deeply to read; the JSON parser ran out of stack"


# ---------------------------------------------------------------- reading

def read_text(path):
    """The file's text, or ChartError for an unreadable or non-UTF-8 file."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        raise ChartError(None, "cannot read: %s" % (e.strerror or e))
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as e:
        raise ChartError(data[: e.start].count(b"\n") + 1,
                         "invalid UTF-8 (byte 0x%02X)" % data[e.start])
    return text[1:] if text.startswith("\ufeff") else text


TEXT_EXTENSIONS = (".tsv", ".txt", ".tab")
TEXT_LINE_RE = re.compile(r"[^\t]*[^\t ][^\t]*\t *[0-9][0-9,]* *\r?")


def chart_format(path, text, given=None):
    """"text" or "json": as given on the command line, else by the file's
    extension (.json; .tsv, .txt, .tab), else by content that cannot be taken
    for the other: a document that parses as JSON, or a first line that is
    a name, a tab and a score. A text chart may start with "[" ("[2-Way] ...")."""
    if given:
        return given
    extension = os.path.splitext(path)[1].lower()
    if extension == ".json":
        return "json"
    if extension in TEXT_EXTENSIONS:
        return "text"
    stripped = text.lstrip(" \t\r\n")
    if stripped[:1] in ("[", "{"):
        try:
            json.loads(text)
            return "json"
        except RecursionError:
            return "json"
        except json.JSONDecodeError:
            pass
        except ValueError:          # a number beyond the parser's digit limit
            return "json"
    first = stripped.split("\n", 1)[0]
    if TEXT_LINE_RE.fullmatch(first):
        return "text"
    raise ChartError(None, "cannot tell whether this is a text chart or JSON: it is no complete "
                     "JSON document, and its first line is not a name, a tab and a score; "
                     "name the file .tsv or .json, or say which with --cpu-format, "
                     "--gpu-format or --restore-from-format")


def parse_tsv(text):
    entries, errors = [], []
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    for number, line in enumerate(lines, start=1):
        if line.endswith("\r"):
            line = line[:-1]
        if line.strip(" ") == "":
            errors.append(ChartError(number, "line is blank"))
        elif "\t" not in line:
            errors.append(ChartError(number, "line has no tab between name and score"))
        else:
            name, score = line.rsplit("\t", 1)
            if not re.fullmatch(r"[0-9]+", score):
                errors.append(ChartError(number, "score %r is not a decimal integer" % score))
            else:
                entries.append(Entry(name, int(score), number))
    return entries, errors


def score_of(value, where):
    if isinstance(value, int) and not isinstance(value, bool) and value >= 0:
        return value
    if isinstance(value, str) and re.fullmatch(r"[0-9]{1,3}(,[0-9]{3})*|[0-9]+", value):
        return int(value.replace(",", ""))
    raise ChartError(where, "score %s is not a whole number" % json.dumps(value, ensure_ascii=False))


class Member:
    __slots__ = ("key", "pos", "where", "index", "inner")

    def __init__(self, key, pos, where, index, inner=None):
        self.key, self.pos, self.where, self.index, self.inner = key, pos, where, index, inner


class JsonWalker:
    """Walks a JSON document one member at a time, so that each entry knows
    where it stands: its index in its list or its key, and its line when the
    document has more than one."""

    def __init__(self, text):
        self.text = text
        self.decoder = json.JSONDecoder()
        self.newlines = [m.start() for m in re.finditer("\n", text)]
        self.has_lines = "\n" in text.strip(" \t\r\n")

    def line_col(self, pos):
        line = bisect.bisect_left(self.newlines, pos) + 1
        start = self.newlines[line - 2] + 1 if line > 1 else 0
        return line, pos - start + 1

    def at(self, pos):
        return "at line %d column %d" % self.line_col(pos)

    def where(self, label, pos):
        label = "entry " + label
        return "%s on line %d" % (label, self.line_col(pos)[0]) if self.has_lines else label

    def skip(self, pos):
        while pos < len(self.text) and self.text[pos] in " \t\r\n":
            pos += 1
        return pos

    def value(self, pos, where):
        try:
            return self.decoder.raw_decode(self.text, pos)
        except json.JSONDecodeError as e:
            raise ChartError(where, "invalid JSON: %s at line %d column %d" % (e.msg, e.lineno, e.colno))
        except RecursionError:
            raise ChartError(where, EXHAUSTED)
        except ValueError as e:
            raise ChartError(where, "cannot be read: %s" % e)

    def expect(self, pos, chars, what, where):
        pos = self.skip(pos)
        if pos >= len(self.text) or self.text[pos] not in chars:
            raise ChartError(where, "invalid JSON: expected %s %s" % (what, self.at(pos)))
        return pos + 1, self.text[pos]

    def members(self, pos, closer, prefix="", top=False):
        """The members up to `closer`, and the position after it. A top-level
        "data" list is walked too (its members in Member.inner)."""
        pos = self.skip(pos)
        if pos < len(self.text) and self.text[pos] == closer:
            return [], pos + 1
        out = []
        while True:
            pos = self.skip(pos)
            index = len(out)
            key = None
            if closer == "}":
                before = "the member after %s" % out[-1].where if out else "the first member"
                key, pos = self.value(pos, before)
                if not isinstance(key, str):
                    raise ChartError(before, "invalid JSON: expected a member name %s"
                                     % self.at(pos))
                label = json.dumps(key, ensure_ascii=False)
                pos, _ = self.expect(pos, ":", "':'", self.where(label, pos))
                pos = self.skip(pos)
            else:
                label = "%s[%d]" % (prefix, index)
            where = self.where(label, pos)
            member = Member(key, pos, where, index)
            out.append(member)
            if top and key == "data" and self.text[pos:pos + 1] == "[":
                member.inner, pos = self.members(pos + 1, "]", "data")
            else:
                _, pos = self.value(pos, where)
            pos, ch = self.expect(pos, "," + closer, "',' or '%s' after it" % closer, where)
            if ch == closer:
                return out, pos


def parse_json(text):
    walker = JsonWalker(text)
    pos, opener = walker.expect(0, "[{", "'[' or '{' to begin with", None)
    members, end = walker.members(pos, "]" if opener == "[" else "}", top=True)
    if walker.skip(end) != len(text):
        raise ChartError(None, "invalid JSON: text after the end %s" % walker.at(walker.skip(end)))
    if opener == "[":
        return parse_json_objects(walker, members)
    data = [m for m in members if m.key == "data" and m.inner is not None]
    if data:
        return parse_json_objects(walker, data[0].inner)
    entries, errors, seen = [], [], {}
    for m in members:
        try:
            if m.key in seen:
                raise ChartError(m.where, "name %s appears again (first at %s)"
                                 % (json.dumps(m.key, ensure_ascii=False), seen[m.key].where))
            seen[m.key] = m
            entries.append(Entry(m.key, score_of(walker.value(m.pos, m.where)[0], m.where), m.where))
        except ChartError as e:
            errors.append(e)
    return entries, errors


def parse_json_objects(walker, members):
    entries, errors, ranked = [], [], []
    for m in members:
        where = m.where
        try:
            obj = walker.value(m.pos, where)[0]
            if not isinstance(obj, dict):
                raise ChartError(where, "entry is not an object with a name and a score")
            if not isinstance(obj.get("name"), str):
                raise ChartError(where, "entry has no \"name\" string")
            count = obj.get("cpuCount", 1)
            if count not in (1, "1"):
                continue
            keys = [k for k in obj if k.lower() in SCORE_KEYS]
            if len(keys) != 1:
                raise ChartError(where, "entry needs exactly one score member (%s)"
                                 % ", ".join(SCORE_KEYS))
            score = score_of(obj[keys[0]], where)
            rank = obj.get("rank")
            if rank is not None and (type(rank) is not int or rank < 1):
                raise ChartError(where, "rank %s is not a positive integer" % json.dumps(rank))
            ranked.append(rank)
            entries.append(Entry(obj["name"], score, where))
        except ChartError as e:
            errors.append(e)
    if errors:
        return entries, errors
    with_rank = [r for r in ranked if r is not None]
    if with_rank and len(with_rank) != len(ranked):
        missing = entries[ranked.index(None)]
        return entries, [ChartError(missing.where, "entry has no \"rank\" though others have one")]
    if with_rank:
        first = {}
        for r, e in zip(ranked, entries):
            if r in first:
                errors.append(ChartError(e.where, "rank %d again (first at %s)"
                                         % (r, first[r].where)))
            else:
                first[r] = e
        if errors:
            return entries, errors
        entries = [e for _, e in sorted(zip(ranked, entries), key=lambda pair: pair[0])]
    return entries, errors


def read_chart(path, given_format=None):
    """Entries of a chart file in chart order, and its faults as texts
    ('file:line: ...' for a text chart, 'file: entry [i]: ...' for JSON)."""
    try:
        text = read_text(path)
        if chart_format(path, text, given_format) == "json":
            entries, errors = parse_json(text)
        else:
            entries, errors = parse_tsv(text)
    except ChartError as e:
        entries, errors = [], [e]
    except RecursionError:
        entries, errors = [], [ChartError(None, EXHAUSTED)]
    except MemoryError:
        entries, errors = [], [ChartError(None, "too large to read into memory")]
    for entry in entries:
        entry.name = entry.name.strip(" ")
    if not errors:
        errors = check_chart(entries)
    return entries, [fault(path, e) for e in errors]


def check_chart(entries):
    errors, seen = [], {}
    if not entries:
        errors.append(ChartError(None, "the chart holds no entries"))
    for before, entry in zip([None] + entries, entries):
        if entry.name == "":
            errors.append(ChartError(entry.where, "name is empty"))
        elif entry.name in seen:
            errors.append(ChartError(entry.where, "name %r appears again (first %s)"
                                     % (entry.name, place(seen[entry.name]))))
        else:
            seen[entry.name] = entry.where
        if before is not None and entry.score > before.score:
            errors.append(ChartError(entry.where, "score %d is higher than the %d %s; a chart "
                                     "runs from the highest score down"
                                     % (entry.score, before.score, place(before.where))))
    return errors


# ---------------------------------------------------------------- selecting

def restore_map(older):
    """"-" spelling -> "/" name, for the older list's names that hold a "/".

    A spelling is left out when two names share it or when the older list
    also holds it as a name of its own: then the "-" may be genuine."""
    names = {e.name for e in older}
    found = {}
    for e in older:
        if "/" in e.name:
            found.setdefault(e.name.replace("/", "-"), set()).add(e.name)
    return {k: v.pop() for k, v in found.items() if len(v) == 1 and k not in names}


def select(entries, keep, restore=None, reviewed=None):
    """The kept entries and what the selection did, in chart order."""
    restore = restore or {}
    present = {e.name for e in entries}
    kept, candidates = [], []
    stats = {"device": [], "high": 0, "restored": 0, "past": 0}
    for e in entries:
        if DEVICE_ID_RE.search(e.name):
            stats["device"].append(e)
        elif e.score >= SCORE_LIMIT:
            stats["high"] += 1
        else:
            candidates.append(e)
    products, stats["products"] = product_rules.sort_out(
        candidates, reviewed or product_rules.Reviewed(), Entry)
    for e in products:
        if len(kept) == keep:
            stats["past"] += 1
        else:
            name = restore.get(e.name)
            if name is not None and name not in present:
                e = Entry(name, e.score, e.where)
                stats["restored"] += 1
            kept.append(e)
    return kept, stats


def check_kept(path, kept, keep, entries):
    """Faults of the kept entries that a ranking row cannot take, as texts."""
    errors = []
    for e in kept:
        try:
            make_rows.check_name(e.name)
            if e.score < 1:
                raise make_rows.InputError("score 0; a ranking row's score runs from 1 to 99999")
        except make_rows.InputError as err:
            errors.append(fault(path, ChartError(e.where, str(err))))
    if len(kept) < keep:
        last = entries[-1].where if entries else None
        errors.append(fault(path, ChartError(last, "the chart ends after %d usable entries; the "
                                             "list keeps %d" % (len(kept), keep))))
    return errors


def main(argv=None):
    repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(
        description="Make the ranking facts and rows from newer chart exports and report the changes.")
    parser.add_argument("--cpu", required=True, help="CPU Mark chart (name<TAB>score or JSON)")
    parser.add_argument("--gpu", required=True, help="G3D Mark chart (name<TAB>score or JSON)")
    parser.add_argument("--restore-from", help="an older full CPU list to restore '/' in names from")
    for option in ("cpu", "gpu", "restore-from"):
        parser.add_argument("--%s-format" % option, choices=("text", "json"),
                            help="how the --%s file is written, where its extension (.json; .tsv, "
                                 ".txt, .tab) does not say" % option)
    parser.add_argument("--facts-dir", default=os.path.join(repo, "data", "facts"),
                        help="where cpu.tsv and gpu.tsv are replaced (default data/facts)")
    parser.add_argument("--rows-dir", default=os.path.join(repo, "data"),
                        help="where cpu.txt and gpu.txt are replaced (default data)")
    parser.add_argument("--reviewed", default=os.path.join(repo, "data", "facts", "reviewed.tsv"),
                        help="names taken out or merged by hand (default data/facts/reviewed.tsv)")
    parser.add_argument("--dry-run", action="store_true", help="report only; write nothing")
    parser.add_argument("--verbose", action="store_true",
                        help="list every entry the rules took out, respelled or merged")
    args = parser.parse_args(argv)
    # A name is escaped before it is printed; this only keeps anything else
    # the output's encoding lacks from ending the run.
    if hasattr(sys.stdout, "reconfigure"):
        sys.stdout.reconfigure(errors="backslashreplace")

    reviewed, errors = product_rules.read_reviewed(args.reviewed)
    restore = {}
    if args.restore_from:
        older, older_errors = read_chart(args.restore_from, args.restore_from_format)
        errors.extend(older_errors)
        restore = restore_map(older)

    lists = []
    for letter, label, chart, keep, name, given in (
            ("C", "CPU", args.cpu, CPU_ROWS, "cpu", args.cpu_format),
            ("G", "GPU", args.gpu, GPU_ROWS, "gpu", args.gpu_format)):
        entries, chart_errors = read_chart(chart, given)
        errors.extend(chart_errors)
        if chart_errors:
            continue
        kept, stats = select(entries, keep, restore if letter == "C" else None, reviewed)
        kept_errors = check_kept(chart, kept, keep, entries)
        errors.extend(kept_errors)
        if kept_errors:
            continue
        facts = "".join("%s\t%d\n" % (e.name, e.score) for e in kept)
        facts_path = os.path.join(args.facts_dir, name + ".tsv")
        rows, row_stats, row_errors = make_rows.convert(facts_path, facts, letter)
        errors.extend(row_errors)
        lists.append((letter, label, chart, entries, kept, stats, facts_path, facts, rows,
                      row_stats, name))

    if errors:
        encoding = getattr(sys.stderr, "encoding", None) or "utf-8"
        for message in make_rows.cap_messages(errors):
            print(shown(message, encoding), file=sys.stderr)
        print("refresh_facts: %d fault(s); nothing written" % len(errors), file=sys.stderr)
        return 1

    files = {}
    charted = set()
    for letter, label, chart, entries, kept, stats, facts_path, facts, rows, row_stats, name in lists:
        charted.update(e.name for e in entries)
        try:
            old = refresh_report.read_facts(facts_path)
        except (OSError, UnicodeDecodeError) as e:
            old = "%s: %s" % (facts_path, getattr(e, "strerror", None) or e)
        restored_from = args.restore_from if letter == "C" else None
        print("\n".join(refresh_report.report(letter, label, chart, entries, kept, stats,
                                              restored_from, old, rows, row_stats, args.verbose)))
        files[facts_path] = facts
        files[os.path.join(args.rows_dir, name + ".txt")] = "".join(r + "\n" for r in rows)
    unused = [n for n in list(reviewed.excluded) + list(reviewed.merged) if n not in charted]
    if unused:
        print("%s: %d names that neither chart holds: %s"
              % (args.reviewed, len(unused), "; ".join(shown(n) for n in unused)))
    if args.dry_run:
        print("dry run: nothing written")
        return 0
    try:
        make_rows.write_files_atomically(files)
    except make_rows.WriteError as e:
        print("refresh_facts: %s" % e, file=sys.stderr)
        return 1
    print("wrote " + ", ".join(sorted(files)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
