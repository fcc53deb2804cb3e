"""Which chart entries are products a buyer could have, and which spelling of
a product the ranking keeps.

The charts list whatever name a benchmarked system reported for its processor
or graphics device. Besides products that includes virtual GPU profiles,
display, mirror, USB and remote-desktop drivers, engineering samples, virtual
processors, renamed drivers, names whose trademark sign was mangled, names cut
short, and one product under two spellings. The rules below take out or respell
what a pattern can tell; what only knowledge of the products can tell is in a
reviewed list (data/facts/reviewed.tsv), one name a line with its kind and a
reason, read by refresh_facts.py.
"""

import re
import sys
import unicodedata

# The kinds, in the order the report shows them, and what each is.
KINDS = (
    ("vgpu", "virtual GPU profiles (a slice of a data-centre card)"),
    ("driver", "display, mirror, USB and remote-desktop drivers"),
    ("sample", "engineering samples and sample names"),
    ("virtual", "virtual processors"),
    ("renamed", "renamed drivers"),
    ("cut", "names cut short"),
    ("mark", "mangled trademark signs, respelled"),
    ("merge", "one product under two spellings, merged"),
)
KIND_NAMES = tuple(kind for kind, _ in KINDS)
EXCLUDED_KINDS = ("vgpu", "driver", "sample", "virtual", "renamed", "cut")

# First match decides. Each pattern names something no product is called.
RULES = (
    # card-size-letter: "L40-48Q", "GRID P40-2B", "GRID P4-2B4" (four displays),
    # "RTX6000-Ada-3A", "GRID M6-0B" (frame buffer in GB, one or two digits,
    # then the profile series A, B, C or Q; a Radeon "A10-8850B" has four
    # digits and is a processor's name); any GRID name ending in a size
    # ("GRID GTX P40-6"); the Kepler profiles "GRID K140Q" to "GRID K280Q" of the
    # cards GRID K1 and K2 (and not GRID K340 or K520, which are cards);
    # Moore Threads' profiles "MTvGPU-1132"; an AMD virtual function that names
    # no card. "Radeon Pro V620 MxGPU" names its card and may be all of it: kept.
    ("vgpu", re.compile(r"-\d{1,2}[ABCQ]\d?$|^(?:NVIDIA )?GRID (?:.*-\d{1,2}|K[12][0-8]0Q?)$|"
                        r"\bMTvGPU-\d|^MxGPU$", re.IGNORECASE)),
    ("driver", re.compile(
        r"USB|Display(?:Link|$| Device| Driver|-\d+hz)|Idd(?:Driver| Device|CX)|Indirect Display|"
        r"spacedesk|\bVNC\b|Mirror|MIRRORV\d|Mirage Driver|Miracast|Display WDDM|Projector|"
        r"VirtIO|\bQXL\b|KMDOD|RDPDD|BASICDISPLAY|VMware|Citrix|DameWare|Framebuffer",
        re.IGNORECASE)),
    ("sample", re.compile(r"\bEng(?:ineering)? Sample\b|\bprototype\b", re.IGNORECASE)),
    # "Virtual @ 4.03GHz", "ARM Apple M1 (Virtual) ...", "Android virtual",
    # QEMU's machine types "virt-10.1", Huawei's "StratoVirt".
    ("virtual", re.compile(r"\bvirtual\b|^virt-\d+(?:\.\d+)*$|StratoVirt", re.IGNORECASE)),
    # A name that calls itself a driver ("TENSOR 1.0 Driver Intel HD 630"), and
    # the PHDGD packs of modified Intel drivers ("PHDGD Ivy 5").
    ("renamed", re.compile(r"\bDrivers?\b|^PHDGD\b", re.IGNORECASE)),
)

# "Radeon(TM)", "Core(R)", or the sign cut to a letter: "RadeonT 780M",
# "Intel CoreTM Ultra 5 115U".
MARK_WORDS = (r"Radeon|Core|Ryzen|Athlon|Xeon|Pentium|Celeron|Atom|GeForce|Iris|Intel|AMD|"
              r"Quadro|EPYC|Arc|Snapdragon|Adreno")
MARK_RE = re.compile(r"\b(%s)(?:\((?:TM|R)\)|[\u2122\u00ae]|TM\b|T\b)" % MARK_WORDS)

# Parts that one product's spellings differ by: the maker's name in front, and
# the graphics the processor's own name carries ("... with Radeon Graphics").
MAKER_RE = re.compile(r"^(?:NVIDIA|AMD|ATI|Intel)\s+", re.IGNORECASE)
WITH_GRAPHICS_RE = re.compile(r"\s+with Radeon (?:Vega (?:Mobile )?Gfx|Graphics)$", re.IGNORECASE)


def respell(name):
    """The name with its trademark signs written as the product is named."""
    return MARK_RE.sub(r"\1", name)


def rule_kind(name):
    """The kind of the first rule the name meets, or None."""
    for kind, pattern in RULES:
        if pattern.search(name):
            return kind
    return None


def product_key(name):
    """What the spellings of one product have in common."""
    name = WITH_GRAPHICS_RE.sub("", MAKER_RE.sub("", name))
    return " ".join(name.split()).casefold()


def as_reported(name):
    """How near a spelling is to what a system reports: the maker's name in
    front, the processor's graphics at the end ("NVIDIA A40", "Ryzen 7 6800HS
    with Radeon Graphics")."""
    return int(bool(MAKER_RE.match(name))) + int(bool(WITH_GRAPHICS_RE.search(name)))


# ---------------------------------------------------------------- the reviewed list

class Reviewed:
    """Names taken out or merged by hand: name -> (kind, reason, line), and
    for merges name -> the name kept instead."""

    def __init__(self):
        self.excluded, self.merged = {}, {}


REVIEWED_FORMAT = ("KIND<TAB>NAME<TAB>REASON, or merge<TAB>NAME<TAB>KEPT NAME<TAB>REASON; "
                   "KIND one of " + ", ".join(EXCLUDED_KINDS))


def parse_reviewed(path, text):
    """The reviewed list and its faults, as 'file:line: what is wrong'."""
    reviewed, errors, seen = Reviewed(), [], {}
    for number, line in enumerate(text.split("\n"), start=1):
        line = line[:-1] if line.endswith("\r") else line
        if line.strip() == "" or line.lstrip().startswith("#"):
            continue
        fields = line.split("\t")
        kind = fields[0]
        want = 4 if kind == "merge" else 3

        def bad(what):
            errors.append("%s:%d: %s" % (path, number, what))
        if kind != "merge" and kind not in EXCLUDED_KINDS:
            bad("unknown kind %s; a line is %s" % (shown(kind), REVIEWED_FORMAT))
        elif len(fields) != want:
            bad("%d fields where a %s line has %d: %s" % (len(fields), kind, want, REVIEWED_FORMAT))
        elif any(f.strip() == "" or f != f.strip() for f in fields[1:]):
            bad("a name or reason is empty or has spaces around it")
        elif fields[1] in seen:
            bad("%s is listed again (first on line %d)" % (shown(fields[1]), seen[fields[1]]))
        elif kind == "merge" and fields[2] == fields[1]:
            bad("%s is merged into itself" % shown(fields[1]))
        else:
            seen[fields[1]] = number
            if kind == "merge":
                reviewed.merged[fields[1]] = (fields[2], fields[3], number)
            else:
                reviewed.excluded[fields[1]] = (kind, fields[2], number)
    return reviewed, errors


def read_reviewed(path):
    """The reviewed list of a file, and its faults; a missing or unreadable
    file is one fault."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        return Reviewed(), ["%s: cannot read: %s" % (path, e.strerror or e)]
    try:
        text = data.decode("utf-8-sig")
    except UnicodeDecodeError as e:
        return Reviewed(), ["%s:%d: invalid UTF-8 (byte 0x%02X)"
                            % (path, data[: e.start].count(b"\n") + 1, data[e.start])]
    return parse_reviewed(path, text)


# ---------------------------------------------------------------- printing names

def shown(name, encoding=None):
    """The name as it may go to a terminal: control and format characters,
    lone surrogates and whatever the output's encoding lacks written as
    \\xNN, \\uNNNN or \\UNNNNNNNN escapes."""
    if encoding is None:
        encoding = getattr(sys.stdout, "encoding", None) or "utf-8"
    out = []
    for ch in name:
        category = unicodedata.category(ch)
        printable = category[0] != "C" and category not in ("Zl", "Zp") and (
            ch == " " or not ch.isspace())
        if printable:
            try:
                ch.encode(encoding)
            except (UnicodeEncodeError, LookupError):
                printable = False
        if printable:
            out.append(ch)
        elif ord(ch) < 0x100:
            out.append("\\x%02x" % ord(ch))
        elif ord(ch) < 0x10000:
            out.append("\\u%04x" % ord(ch))
        else:
            out.append("\\U%08x" % ord(ch))
    return "".join(out)


# ---------------------------------------------------------------- applying them

def sort_out(entries, reviewed, entry_type):
    """The entries that are products, respelled and one per product, in chart
    order, and what was done: kind -> entries taken out; "mark" -> (chart
    name, respelled name); "merge" -> (entry dropped, entry kept); "unmerged"
    -> reviewed merges whose kept name the chart does not hold."""
    done = {kind: [] for kind in KIND_NAMES}
    done["unmerged"] = []
    products = []
    for e in entries:
        hand = reviewed.excluded.get(e.name)
        kind = hand[0] if hand else rule_kind(e.name)
        if kind:
            done[kind].append(e)
            continue
        name = respell(e.name)
        if name != e.name:
            done["mark"].append((e.name, name))
            e = entry_type(name, e.score, e.where)
        products.append(e)

    names = {e.name: i for i, e in enumerate(products)}
    dropped = {}
    for name, (into, _, _) in reviewed.merged.items():
        if name in names and into in names:
            dropped[names[name]] = names[into]
        elif name in names:
            done["unmerged"].append((name, into))
    groups = {}
    for i, e in enumerate(products):
        if i not in dropped:
            groups.setdefault(product_key(e.name), []).append(i)
    for members in groups.values():
        keep = max(members, key=lambda i: (as_reported(products[i].name), -i))
        for i in members:
            if i != keep:
                dropped[i] = keep
    for i in sorted(dropped):
        done["merge"].append((products[i], products[dropped[i]]))
    return [e for i, e in enumerate(products) if i not in dropped], done


EXAMPLES = 3


def at(where):
    """Where an entry stands in its chart: 'line 12' or its JSON entry."""
    return "line %d" % where if isinstance(where, int) else shown(str(where))


def notes(done, kept_names, verbose=False):
    """The report's lines on what each kind's rules did: how many, and a few
    examples (all with verbose). Entries are marked with where they stood in
    the chart; a merge says which spelling stayed."""
    out = []
    for kind, title in KINDS:
        items = done[kind]
        if not items:
            continue
        out.append("  %s: %d" % (title, len(items)))
        shown_items = items if verbose else items[:EXAMPLES]
        for item in shown_items:
            if kind == "mark":
                out.append("    %s -> %s" % (shown(item[0]), shown(item[1])))
            elif kind == "merge":
                gone, kept = item
                out.append("    %s (%d, %s) -> %s (%d, %s)%s" % (
                    shown(gone.name), gone.score, at(gone.where), shown(kept.name), kept.score,
                    at(kept.where), "" if kept.name in kept_names else ", below the cut"))
            else:
                out.append("    %s (%d, %s)" % (shown(item.name), item.score, at(item.where)))
        if len(items) > len(shown_items):
            out.append("    ... and %d more (--verbose lists them)" % (len(items) - len(shown_items)))
    for name, into in done["unmerged"]:
        out.append("  reviewed merge not applied: %s -> %s, which the chart does not hold"
                   % (shown(name), shown(into)))
    return out
