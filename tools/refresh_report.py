"""The refresh tool's report on stdout: what the selection left out, what
each kind of product rule did, and what changed against the fact lists being
replaced (tools/refresh_facts.py prints it)."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_rows  # noqa: E402
import product_rules  # noqa: E402
from product_rules import shown  # noqa: E402

SCORE_LIMIT = 100000          # a row's score field holds five digits
MOVES_SHOWN = 5


def read_facts(path):
    """(name, score) pairs of an existing fact list, or None when there is none;
    OSError or UnicodeDecodeError when it cannot be read."""
    if not os.path.exists(path):
        return None
    with open(path, encoding="utf-8-sig") as f:
        return [tuple((line.rstrip("\r\n").rsplit("\t", 1) + ["?"])[:2])
                for line in f if line.strip()]


def report(letter, label, chart, entries, kept, stats, restored_from, old, rows, row_stats,
           verbose=False):
    out = []
    say = out.append
    say("%s list: %d rows from %s (%d entries)" % (label, len(kept), chart, len(entries)))
    done = stats["products"]
    say("  left out: %d device or driver strings%s, %d scoring %d or more, %d no products, "
        "%d merged, %d past rank %d"
        % (len(stats["device"]),
           "" if not stats["device"] else
           " (" + "; ".join(shown(e.name) for e in stats["device"]) + ")",
           stats["high"], SCORE_LIMIT,
           sum(len(done[k]) for k in product_rules.EXCLUDED_KINDS), len(done["merge"]),
           stats["past"], len(kept)))
    out.extend(product_rules.notes(done, {e.name for e in kept}, verbose))
    if restored_from:
        say("  \"/\" restored in %d names from %s" % (stats["restored"], restored_from))
    if isinstance(old, str):
        say("  cannot read the list it replaces: %s" % old)
    elif old is None:
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
                shown(kept[0].name), kept[0].score,
                "; was %s (%s)" % (shown(old[0][0]), shown(old[0][1])) if old else ""))
        else:
            say("  number one unchanged: %s (%s, now %d)"
                % (shown(kept[0].name), shown(old[0][1]), kept[0].score))
        moves = [(old_rank[e.name] - r, r, e) for r, e in enumerate(kept, start=1)
                 if e.name in old_rank]
        for title, chosen in (("rose", sorted((m for m in moves if m[0] > 0), key=lambda m: -m[0])),
                              ("fell", sorted((m for m in moves if m[0] < 0), key=lambda m: m[0]))):
            if chosen:
                say("  largest moves, %s:" % title)
                for delta, r, e in chosen[:MOVES_SHOWN]:
                    say("    %s%d -> %s%d (%+d)  %s"
                        % (letter, r + delta, letter, r, delta, shown(e.name)))
        if entered:
            say("  best of the entered: " + "; ".join(
                "%s%d %s" % (letter, new_rank[e.name], shown(e.name)) for e in entered[:MOVES_SHOWN]))
        if left:
            say("  best of those that left: " + "; ".join(
                "%s%d %s" % (letter, old_rank[n], shown(n)) for n in left[:MOVES_SHOWN]))
    cut = [(row, e) for row, e in zip(rows, kept)
           if make_rows.fit_description(make_rows.describe(e.name, letter), letter)[1] == "cut"]
    say("  descriptions cut at 40 columns: %d" % len(cut))
    for row, e in cut:
        say("    %s  <- %s" % (shown(row), shown(e.name)))
    out.extend(make_rows.two_card_notes(row_stats))
    return out
