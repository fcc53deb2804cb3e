#!/usr/bin/env python3
"""Turn the two ranking fact lists into the ranking-row list files.

Usage:
    python3 tools/make_rows.py [--cpu CPU.tsv] [--gpu GPU.tsv] [--out-dir DIR]

Defaults: CPU.tsv and GPU.tsv are data/facts/cpu.tsv and data/facts/gpu.tsv
in the repository (data/facts/README.md says where they come from); DIR is
data/ in the repository.

Input: UTF-8, one line per entry, best first, "name<TAB>score"; the line
number is the rank. A leading byte order mark and CR LF line ends are
tolerated; a blank line is not.

Output: DIR/cpu.txt and DIR/gpu.txt, UTF-8 without byte order mark, LF line
ends, one ranking row per line in rank order, each row 54 display columns
wide (a CJK ideograph counts two, any other character one):

    |C1   |AMD Ryzen Threadripper 3970X            |47956|

that is a bar, the number field (5 columns: list letter C or G, then the rank
number, left-aligned), a bar, the description (40 columns, left-aligned), a
bar, the score (5 columns, right-aligned) and a closing bar; spaces fill.

A name becomes a description as follows:
  - leading and trailing spaces are stripped (inner spacing is kept as given);
  - " @ " becomes "@" (both lists);
  - a GPU name that contains " + " and ends in " Dual" drops " Dual" and gets
    "双卡" directly after the last card;
  - a GPU name that starts with "Mobility " starts with "移动版 " instead;
  - a two-card description wider than 40 columns that fits once the space
    before its "+" is left out is written that way, "双卡" whole:
    "Radeon HD 8650G N HD 8650G+ HD 8570M双卡";
  - any other description wider than 40 columns is cut to its first 40
    columns; a CJK ideograph that would straddle the cut is dropped, and
    spaces fill. Two-card names cut this way lose part or all of "双卡"; the
    summary lists them.

The script refuses its input (exit status 1, one message per fault on stderr,
five of each kind at most and the rest counted, nothing written) when a line has no tab, a name is empty or holds a bar, a tab
or any character other than printable ASCII and CJK ideographs, a score is not
a plain decimal integer from 1 to 99999 (no sign, no leading zero), a list is
empty or not in non-increasing score order, or the two lists together exceed
4736 rows. Both files are written only when both lists are sound, and then
together: if either cannot be replaced, both are left as they were and one
line names the file and the reason (exit status 1). A summary of what was
converted goes to stdout.
"""

import argparse
import os
import re
import shutil
import sys
import tempfile

MAX_TOTAL_ROWS = 4736
DESC_COLUMNS = 40
ROW_COLUMNS = 54
SCORE_RE = re.compile(r"[1-9][0-9]{0,4}")
DUAL = "双卡"
FAULTS_OF_A_KIND = 5          # fault messages shown before the rest are counted


class InputError(Exception):
    """A fault in one input line; str() is the complete message."""


def is_cjk(ch):
    cp = ord(ch)
    return 0x4E00 <= cp <= 0x9FFF or 0x3400 <= cp <= 0x4DBF


def display_width(text):
    return sum(2 if is_cjk(ch) else 1 for ch in text)


def cut_to_columns(text, columns):
    """First `columns` display columns of text; a straddling CJK char is dropped."""
    out = []
    used = 0
    for ch in text:
        w = 2 if is_cjk(ch) else 1
        if used + w > columns:
            break
        out.append(ch)
        used += w
    return "".join(out)


def describe(name, letter):
    """The description text for a hardware name (before cutting to 40 columns)."""
    text = name.strip(" ")
    text = text.replace(" @ ", "@")
    if letter == "G":
        if " + " in text and text.endswith(" Dual"):
            text = text[: -len(" Dual")] + "双卡"
        if text.startswith("Mobility "):
            text = "移动版 " + text[len("Mobility "):]
    return text


def is_two_card(description, letter):
    return letter == "G" and " + " in description and description.endswith(DUAL)


def fit_description(description, letter):
    """The description as its 40-column field holds it, and how it got there:
    "whole", "joined" (a two-card description that fits with the space before
    its "+" left out) or "cut"."""
    if display_width(description) <= DESC_COLUMNS:
        return description, "whole"
    if is_two_card(description, letter):
        plus = description.rfind(" + ")
        joined = description[:plus] + description[plus + 1:]
        if display_width(joined) <= DESC_COLUMNS:
            return joined, "joined"
    return cut_to_columns(description, DESC_COLUMNS), "cut"


def check_name(name):
    """Raise InputError for a character that a ranking row cannot hold."""
    if "|" in name:
        raise InputError("name holds a bar '|', the row field separator")
    if "\t" in name:
        raise InputError("name holds a tab; only one tab may separate name and score")
    for ch in name:
        if not (0x20 <= ord(ch) <= 0x7E or is_cjk(ch)):
            raise InputError(
                "name holds the character U+%04X, which is neither printable ASCII nor "
                "a CJK ideograph" % ord(ch))


def make_row(letter, rank, description, score):
    number = (letter + str(rank)).ljust(5)
    desc = description + " " * (DESC_COLUMNS - display_width(description))
    row = "|%s|%s|%5d|" % (number, desc, score)
    # Every earlier check should make this impossible; keep the output honest.
    if len(number) != 5 or display_width(row) != ROW_COLUMNS or description.startswith(" "):
        raise InputError("internal error: row %r is malformed" % row)
    return row


def convert(path, text, letter):
    """Rows, statistics and fault messages for one list read from `path`."""
    if text.startswith("\ufeff"):
        text = text[1:]
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    errors = []
    rows = []
    stats = {"cut": 0, "cjk": 0, "at": 0, "dual": 0, "mobility": 0, "stripped": 0,
             "joined": [], "long_dual": []}
    previous = None
    for number, line in enumerate(lines, start=1):
        try:
            if line.endswith("\r"):
                line = line[:-1]
            if "\r" in line:
                raise InputError("line holds a carriage return inside it")
            if line.strip(" ") == "":
                raise InputError("line is blank")
            if "\t" not in line:
                raise InputError("line has no tab between name and score")
            name, score_text = line.rsplit("\t", 1)
            check_name(name)
            if not SCORE_RE.fullmatch(score_text):
                raise InputError(
                    "score %r is not a decimal integer from 1 to 99999 without sign, "
                    "spaces or leading zero (the score field holds five digits)" % score_text)
            score = int(score_text)
            if previous is not None and score > previous:
                raise InputError(
                    "score %d is higher than the score %d of the line before; the list "
                    "must run from the highest score down" % (score, previous))
            previous = score
            if name.strip(" ") == "":
                raise InputError("name is empty")
            if name != name.strip(" "):
                stats["stripped"] += 1
            description = describe(name, letter)
            stats["at"] += " @ " in name
            stats["dual"] += "双卡" in description and "双卡" not in name
            stats["mobility"] += description.startswith("移动版 ") and name.lstrip(" ").startswith("Mobility ")
            two_card = is_two_card(description, letter)
            description, fit = fit_description(description, letter)
            stats["cut"] += fit == "cut"
            if any(is_cjk(ch) for ch in description):
                stats["cjk"] += 1
            rows.append(make_row(letter, number, description, score))
            if fit == "joined":
                stats["joined"].append(rows[-1])
            elif fit == "cut" and two_card:
                stats["long_dual"].append(rows[-1])
        except InputError as e:
            errors.append("%s:%d: %s" % (path, number, e))
    if not lines:
        errors.append("%s:1: the list is empty" % path)
    return rows, stats, errors


def _umask():
    mask = os.umask(0)
    os.umask(mask)
    return mask


class WriteError(Exception):
    """A file that could not be replaced; str() is the complete one-line message."""


def _backup(path, directory):
    """A copy of the file at `path` beside it (a second link where the file
    system allows one, so mode and owner stay), or None when there is none."""
    if not os.path.lexists(path):
        return None
    fd, backup = tempfile.mkstemp(dir=directory, prefix=".make_rows.", suffix=".bak")
    os.close(fd)
    os.unlink(backup)
    try:
        os.link(path, backup, follow_symlinks=False)
    except OSError:
        try:
            shutil.copy2(path, backup, follow_symlinks=False)
        except BaseException:
            if os.path.lexists(backup):
                os.unlink(backup)
            raise
    return backup


def _reason(e):
    if isinstance(e, OSError) and e.strerror:
        return e.strerror
    return str(e) or type(e).__name__


def write_files_atomically(files):
    """Writes {path: text} all or nothing.

    Every text goes to a temporary file beside its target first; then each
    target is kept as a backup and replaced in turn. If anything goes wrong on
    the way, every target already replaced gets its backup back (a target that
    did not exist is removed again) and WriteError names the file and the
    reason. A file keeps the mode of the one it replaces (a new one gets the
    usual 0666 less the umask, not mkstemp's 0600)."""
    temps = {}
    backups = {}
    replaced = []
    path = None
    try:
        for path, text in files.items():
            directory = os.path.dirname(os.path.abspath(path))
            os.makedirs(directory, exist_ok=True)
            fd, tmp = tempfile.mkstemp(dir=directory, prefix=".make_rows.", suffix=".tmp")
            temps[path] = tmp
            with os.fdopen(fd, "w", encoding="utf-8", newline="\n") as f:
                f.write(text)
            try:
                mode = os.stat(path).st_mode & 0o7777
            except FileNotFoundError:
                mode = 0o666 & ~_umask()
            os.chmod(tmp, mode)
        for path in files:
            backups[path] = _backup(path, os.path.dirname(os.path.abspath(path)))
            os.replace(temps[path], path)
            replaced.append(path)
    except BaseException as e:
        failed = path
        lost = []
        for path in reversed(replaced):
            try:
                if backups[path] is None:
                    os.unlink(path)
                else:
                    os.replace(backups[path], path)
                    backups[path] = None
            except OSError as undo:
                lost.append("%s (%s; its former content is in %s)"
                            % (path, _reason(undo), backups[path]))
                backups[path] = None      # keep it: it is the only copy
        if not isinstance(e, Exception):
            raise
        message = "cannot write %s: %s; " % (failed, _reason(e))
        if lost:
            message += "could not put back " + ", ".join(lost)
        else:
            message += "no file was changed"
        raise WriteError(message) from e
    finally:
        for tmp in temps.values():
            if os.path.lexists(tmp):
                os.unlink(tmp)
        for backup in backups.values():
            if backup is not None and os.path.lexists(backup):
                os.unlink(backup)


def rows_text(rows):
    return "".join(row + "\n" for row in rows)


_VALUES_RE = re.compile(r"'(?:[^'\\]|\\.)*'|\"(?:[^\"\\]|\\.)*\"|[0-9]+")


def cap_messages(messages, shown=FAULTS_OF_A_KIND):
    """The messages with each kind of fault (the same words about other names,
    numbers or lines) shown `shown` times at most, and for each kind cut short
    one line that counts the rest."""
    out, seen, first = [], {}, {}
    for message in messages:
        kind = _VALUES_RE.sub("#", message)
        seen[kind] = seen.get(kind, 0) + 1
        if seen[kind] <= shown:
            out.append(message)
            first.setdefault(kind, message)
    for kind, count in seen.items():
        if count > shown:
            out.append("... and %d more like: %s" % (count - shown, first[kind]))
    return out


def two_card_notes(stats):
    """Report lines on the two-card descriptions that did not fit as named."""
    out = []
    if stats["joined"]:
        out.append("  two-card descriptions written without the space before \"+\" to keep "
                   "\"双卡\" whole: %d" % len(stats["joined"]))
        out.extend("    " + row for row in stats["joined"])
    if stats["long_dual"]:
        out.append("  two-card names too long to keep \"双卡\" whole, cut at 40 columns: %d"
                   % len(stats["long_dual"]))
        out.extend("    " + row for row in stats["long_dual"])
    return out


def main(argv=None):
    repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    facts = os.path.join(repo, "data", "facts")
    parser = argparse.ArgumentParser(
        description="Turn cpu.tsv and gpu.tsv into the ranking-row files cpu.txt and gpu.txt.")
    parser.add_argument("--cpu", default=os.path.join(facts, "cpu.tsv"), help="CPU fact list")
    parser.add_argument("--gpu", default=os.path.join(facts, "gpu.tsv"), help="GPU fact list")
    parser.add_argument("--out-dir", default=os.path.join(repo, "data"),
                        help="directory that receives cpu.txt and gpu.txt")
    args = parser.parse_args(argv)

    lists = []
    errors = []
    for path, letter in ((args.cpu, "C"), (args.gpu, "G")):
        try:
            with open(path, "rb") as f:
                data = f.read()
            text = data.decode("utf-8")
        except OSError as e:
            errors.append("%s: cannot read: %s" % (path, e.strerror or e))
            continue
        except UnicodeDecodeError as e:
            line = data[: e.start].count(b"\n") + 1
            errors.append("%s:%d: invalid UTF-8 (byte 0x%02X)" % (path, line, data[e.start]))
            continue
        rows, stats, list_errors = convert(path, text, letter)
        errors.extend(list_errors)
        lists.append((path, letter, rows, stats))

    if not errors:
        total = sum(len(rows) for _, _, rows, _ in lists)
        if total > MAX_TOTAL_ROWS:
            errors.append("the two lists hold %d rows together; the table holds at most %d"
                          % (total, MAX_TOTAL_ROWS))
    if errors:
        for message in cap_messages(errors):
            print(message, file=sys.stderr)
        print("make_rows: %d fault(s); nothing written" % len(errors), file=sys.stderr)
        return 1

    files = {}
    for path, letter, rows, stats in lists:
        out = os.path.join(args.out_dir, "cpu.txt" if letter == "C" else "gpu.txt")
        files[out] = rows_text(rows)
        print("%s: %d rows from %s; %d cut to 40 columns, %d with CJK, %d ' @ ' joined, "
              "%d two-card, %d mobile, %d stripped"
              % (out, len(rows), path, stats["cut"], stats["cjk"], stats["at"],
                 stats["dual"], stats["mobility"], stats["stripped"]))
        for line in two_card_notes(stats):
            print(line)
    try:
        write_files_atomically(files)
    except WriteError as e:
        print("make_rows: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
