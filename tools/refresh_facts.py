#!/usr/bin/env python3
"""Refresh the ranking facts from newer chart exports and report what changed.

Usage:
    python3 tools/refresh_facts.py --cpu CPU_CHART --gpu GPU_CHART
        [--restore-from OLDER_CPU_LIST] [--facts-dir DIR] [--rows-dir DIR] [--dry-run]

CPU_CHART is the CPU Mark chart, GPU_CHART the G3D Mark chart, best first.
Each may be
  - text: one "name<TAB>score" line per entry (UTF-8, CR LF tolerated);
  - JSON: an object {"name": score, ...} in chart order; or an array of
    objects, or an object whose "data" member is one, each with a "name" and
    a score ("score", "cpumark", "g3dmark" or "mark"). A score is an integer
    or a string of digits, thousands separated by commas ("2,320"). Objects
    that carry a "rank" are taken in rank order, else in file order; objects
    whose "cpuCount" is not 1 (multi-socket results) are skipped.

Selection, in chart order: device and driver strings (PCI\\VEN_... paths,
"PCI <driver>", Winsta0\\..., names with a "#0x...#" hash) and scores of
100000 or more are dropped; a CPU name whose "/" the chart turned into "-"
gets its "/" back where OLDER_CPU_LIST (same formats) holds exactly one name
that reads the same with "-"; the best 3012 CPUs and 1722 GPUs are kept, ties
in chart order.

Output: DIR/cpu.tsv and DIR/gpu.tsv (default data/facts) and the ranking rows
cpu.txt and gpu.txt (default data/, made by make_rows.py), and on stdout a
report against the fact lists being replaced: entries that entered and left,
the largest rank moves, new number ones, and the descriptions cut at 40
columns. --dry-run prints the report and writes nothing.

Bad input is refused with "file:line: what is wrong" on stderr and exit
status 1; then nothing is written. Every file is written to a temporary file
first and renamed into place only when all four are complete.
"""

import argparse
import bisect
import json
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_rows  # noqa: E402

CPU_ROWS = 3012
GPU_ROWS = 1722
SCORE_LIMIT = 100000          # a row's score field holds five digits
DEVICE_ID_RE = re.compile(r"^PCI[\\ ]|^Winsta\d+\\|#0x[0-9A-Fa-f]+#")
SCORE_KEYS = ("score", "cpumark", "g3dmark", "mark")
MOVES_SHOWN = 5


class ChartError(Exception):
    """A fault in an input file; carries the line it was found on."""

    def __init__(self, line, message):
        super().__init__(message)
        self.line = line


class Entry:
    __slots__ = ("name", "score", "line")

    def __init__(self, name, score, line):
        self.name, self.score, self.line = name, score, line


# ---------------------------------------------------------------- reading

def read_text(path):
    """The file's text, or ChartError for an unreadable or non-UTF-8 file."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        raise ChartError(0, "cannot read: %s" % (e.strerror or e))
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as e:
        raise ChartError(data[: e.start].count(b"\n") + 1,
                         "invalid UTF-8 (byte 0x%02X)" % data[e.start])
    return text[1:] if text.startswith("\ufeff") else text


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


def score_of(value, line):
    if isinstance(value, int) and not isinstance(value, bool) and value >= 0:
        return value
    if isinstance(value, str) and re.fullmatch(r"[0-9]{1,3}(,[0-9]{3})*|[0-9]+", value):
        return int(value.replace(",", ""))
    raise ChartError(line, "score %s is not a whole number" % json.dumps(value))


class JsonWalker:
    """Walks a JSON document one member at a time, so each entry knows its line."""

    def __init__(self, text):
        self.text = text
        self.decoder = json.JSONDecoder()
        self.newlines = [m.start() for m in re.finditer("\n", text)]

    def line_at(self, pos):
        return bisect.bisect_left(self.newlines, pos) + 1

    def skip(self, pos):
        while pos < len(self.text) and self.text[pos] in " \t\r\n":
            pos += 1
        return pos

    def value(self, pos):
        try:
            return self.decoder.raw_decode(self.text, pos)
        except json.JSONDecodeError as e:
            raise ChartError(e.lineno, "invalid JSON: %s" % e.msg)

    def expect(self, pos, chars, what):
        pos = self.skip(pos)
        if pos >= len(self.text) or self.text[pos] not in chars:
            raise ChartError(self.line_at(pos), "invalid JSON: expected %s" % what)
        return pos + 1, self.text[pos]

    def members(self, pos, closer):
        """(key or None, start position, value position) of each member up to `closer`."""
        pos = self.skip(pos)
        if pos < len(self.text) and self.text[pos] == closer:
            return [], pos + 1
        out = []
        while True:
            pos = self.skip(pos)
            key = None
            if closer == "}":
                key, pos = self.value(pos)
                if not isinstance(key, str):
                    raise ChartError(self.line_at(pos), "invalid JSON: expected a member name")
                pos, _ = self.expect(pos, ":", "':'")
                pos = self.skip(pos)
            out.append((key, pos))
            _, pos = self.value(pos)
            pos, ch = self.expect(pos, "," + closer, "',' or '%s'" % closer)
            if ch == closer:
                return out, pos


def parse_json(text):
    walker = JsonWalker(text)
    pos, opener = walker.expect(0, "[{", "'[' or '{'")
    members, end = walker.members(pos, "]" if opener == "[" else "}")
    if walker.skip(end) != len(text):
        raise ChartError(walker.line_at(walker.skip(end)), "invalid JSON: text after the end")
    if opener == "{":
        data = [(p, k) for k, p in members if k == "data"]
        if data and text[data[0][0]] == "[":
            members, _ = walker.members(data[0][0] + 1, "]")
            return parse_json_objects(walker, members)
        entries, seen = [], {}
        for key, p in members:
            line = walker.line_at(p)
            if key in seen:
                raise ChartError(line, "name %r appears again (first on line %d)" % (key, seen[key]))
            seen[key] = line
            entries.append(Entry(key, score_of(walker.value(p)[0], line), line))
        return entries, []
    return parse_json_objects(walker, members)


def parse_json_objects(walker, members):
    entries, errors, ranked = [], [], []
    for _, p in members:
        line = walker.line_at(p)
        obj = walker.value(p)[0]
        try:
            if not isinstance(obj, dict):
                raise ChartError(line, "entry is not an object with a name and a score")
            if not isinstance(obj.get("name"), str):
                raise ChartError(line, "entry has no \"name\" string")
            count = obj.get("cpuCount", 1)
            if count not in (1, "1"):
                continue
            keys = [k for k in obj if k.lower() in SCORE_KEYS]
            if len(keys) != 1:
                raise ChartError(line, "entry needs exactly one score member (%s)"
                                 % ", ".join(SCORE_KEYS))
            score = score_of(obj[keys[0]], line)
            rank = obj.get("rank")
            if rank is not None and (type(rank) is not int or rank < 1):
                raise ChartError(line, "rank %s is not a positive integer" % json.dumps(rank))
            ranked.append(rank)
            entries.append(Entry(obj["name"], score, line))
        except ChartError as e:
            errors.append(e)
    if errors:
        return entries, errors
    with_rank = [r for r in ranked if r is not None]
    if with_rank and len(with_rank) != len(ranked):
        missing = entries[ranked.index(None)]
        return entries, [ChartError(missing.line, "entry has no \"rank\" though others have one")]
    if with_rank:
        first = {}
        for r, e in zip(ranked, entries):
            if r in first:
                return entries, [ChartError(e.line, "rank %d again (first on line %d)" % (r, first[r]))]
            first[r] = e.line
        entries = [e for _, e in sorted(zip(ranked, entries), key=lambda pair: pair[0])]
    return entries, errors


def read_chart(path):
    """Entries of a chart file in chart order, and its faults as 'file:line: ...' texts."""
    try:
        text = read_text(path)
        if text.lstrip(" \t\r\n")[:1] in ("[", "{"):
            entries, errors = parse_json(text)
        else:
            entries, errors = parse_tsv(text)
    except ChartError as e:
        entries, errors = [], [e]
    for entry in entries:
        entry.name = entry.name.strip(" ")
    if not errors:
        errors = check_chart(entries)
    return entries, ["%s: %s" % ("%s:%d" % (path, e.line) if e.line else path, e) for e in errors]


def check_chart(entries):
    errors, seen = [], {}
    if not entries:
        errors.append(ChartError(1, "the chart holds no entries"))
    for before, entry in zip([None] + entries, entries):
        if entry.name == "":
            errors.append(ChartError(entry.line, "name is empty"))
        elif entry.name in seen:
            errors.append(ChartError(entry.line, "name %r appears again (first on line %d)"
                                     % (entry.name, seen[entry.name])))
        else:
            seen[entry.name] = entry.line
        if before is not None and entry.score > before.score:
            errors.append(ChartError(entry.line, "score %d is higher than the %d on line %d; a chart "
                                     "runs from the highest score down"
                                     % (entry.score, before.score, before.line)))
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


def select(entries, keep, restore=None):
    """The kept entries and what the selection did, in chart order."""
    restore = restore or {}
    present = {e.name for e in entries}
    kept = []
    stats = {"device": [], "high": 0, "restored": 0, "past": 0}
    for e in entries:
        if DEVICE_ID_RE.search(e.name):
            stats["device"].append(e)
        elif e.score >= SCORE_LIMIT:
            stats["high"] += 1
        elif len(kept) == keep:
            stats["past"] += 1
        else:
            name = restore.get(e.name)
            if name is not None and name not in present:
                e = Entry(name, e.score, e.line)
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
            errors.append("%s:%d: %s" % (path, e.line, err))
    if len(kept) < keep:
        last = entries[-1].line if entries else 1
        errors.append("%s:%d: the chart ends after %d usable entries; the list keeps %d"
                      % (path, last, len(kept), keep))
    return errors


# ---------------------------------------------------------------- reporting

def read_facts(path):
    """(name, score) pairs of an existing fact list, or None when there is none."""
    if not os.path.exists(path):
        return None
    with open(path, encoding="utf-8-sig") as f:
        return [tuple((line.rstrip("\r\n").rsplit("\t", 1) + ["?"])[:2])
                for line in f if line.strip()]


def report(letter, label, chart, entries, kept, stats, restored_from, old, rows):
    out = []
    say = out.append
    say("%s list: %d rows from %s (%d entries)" % (label, len(kept), chart, len(entries)))
    say("  left out: %d device or driver strings%s, %d scoring %d or more, %d past rank %d"
        % (len(stats["device"]),
           "" if not stats["device"] else " (" + "; ".join(e.name for e in stats["device"]) + ")",
           stats["high"], SCORE_LIMIT, stats["past"], len(kept)))
    if restored_from:
        say("  \"/\" restored in %d names from %s" % (stats["restored"], restored_from))
    if old is None:
        say("  no earlier list to compare with")
    else:
        old_rank = {name: r for r, (name, _) in enumerate(old, start=1)}
        new_rank = {e.name: r for r, e in enumerate(kept, start=1)}
        entered = [e for e in kept if e.name not in old_rank]
        left = [name for name, _ in old if name not in new_rank]
        say("  against the %d rows it replaces: %d entered, %d left, %d stayed"
            % (len(old), len(entered), len(left), len(kept) - len(entered)))
        if not old or old[0][0] != kept[0].name:
            say("  new number one: %s (%d)%s" % (
                kept[0].name, kept[0].score,
                "; was %s (%s)" % old[0] if old else ""))
        else:
            say("  number one unchanged: %s (%s, now %d)" % (kept[0].name, old[0][1], kept[0].score))
        moves = [(old_rank[e.name] - r, r, e) for r, e in enumerate(kept, start=1)
                 if e.name in old_rank]
        for title, chosen in (("rose", sorted((m for m in moves if m[0] > 0), key=lambda m: -m[0])),
                              ("fell", sorted((m for m in moves if m[0] < 0), key=lambda m: m[0]))):
            if chosen:
                say("  largest moves, %s:" % title)
                for delta, r, e in chosen[:MOVES_SHOWN]:
                    say("    %s%d -> %s%d (%+d)  %s" % (letter, r + delta, letter, r, delta, e.name))
        if entered:
            say("  best of the entered: " + "; ".join(
                "%s%d %s" % (letter, new_rank[e.name], e.name) for e in entered[:MOVES_SHOWN]))
        if left:
            say("  best of those that left: " + "; ".join(
                "%s%d %s" % (letter, old_rank[n], n) for n in left[:MOVES_SHOWN]))
    cut = [(row, e) for row, e in zip(rows, kept)
           if make_rows.display_width(make_rows.describe(e.name, letter)) > make_rows.DESC_COLUMNS]
    say("  descriptions cut at 40 columns: %d" % len(cut))
    for row, e in cut:
        say("    %s  <- %s" % (row, e.name))
    return out


def main(argv=None):
    repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(
        description="Make the ranking facts and rows from newer chart exports and report the changes.")
    parser.add_argument("--cpu", required=True, help="CPU Mark chart (name<TAB>score or JSON)")
    parser.add_argument("--gpu", required=True, help="G3D Mark chart (name<TAB>score or JSON)")
    parser.add_argument("--restore-from", help="an older full CPU list to restore '/' in names from")
    parser.add_argument("--facts-dir", default=os.path.join(repo, "data", "facts"),
                        help="where cpu.tsv and gpu.tsv are replaced (default data/facts)")
    parser.add_argument("--rows-dir", default=os.path.join(repo, "data"),
                        help="where cpu.txt and gpu.txt are replaced (default data)")
    parser.add_argument("--dry-run", action="store_true", help="report only; write nothing")
    args = parser.parse_args(argv)

    errors = []
    restore = {}
    if args.restore_from:
        older, older_errors = read_chart(args.restore_from)
        errors.extend(older_errors)
        restore = restore_map(older)

    lists = []
    for letter, label, chart, keep, name in (("C", "CPU", args.cpu, CPU_ROWS, "cpu"),
                                             ("G", "GPU", args.gpu, GPU_ROWS, "gpu")):
        entries, chart_errors = read_chart(chart)
        errors.extend(chart_errors)
        if chart_errors:
            continue
        kept, stats = select(entries, keep, restore if letter == "C" else None)
        kept_errors = check_kept(chart, kept, keep, entries)
        errors.extend(kept_errors)
        if kept_errors:
            continue
        facts = "".join("%s\t%d\n" % (e.name, e.score) for e in kept)
        facts_path = os.path.join(args.facts_dir, name + ".tsv")
        rows, _, row_errors = make_rows.convert(facts_path, facts, letter)
        errors.extend(row_errors)
        lists.append((letter, label, chart, entries, kept, stats, facts_path, facts, rows, name))

    if errors:
        for message in errors:
            print(message, file=sys.stderr)
        print("refresh_facts: %d fault(s); nothing written" % len(errors), file=sys.stderr)
        return 1

    files = {}
    for letter, label, chart, entries, kept, stats, facts_path, facts, rows, name in lists:
        old = read_facts(facts_path)
        restored_from = args.restore_from if letter == "C" else None
        print("\n".join(report(letter, label, chart, entries, kept, stats, restored_from, old, rows)))
        files[facts_path] = facts
        files[os.path.join(args.rows_dir, name + ".txt")] = "".join(r + "\n" for r in rows)
    if args.dry_run:
        print("dry run: nothing written")
        return 0
    make_rows.write_files_atomically(files)
    print("wrote " + ", ".join(sorted(files)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
