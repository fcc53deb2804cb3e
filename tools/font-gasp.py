#!/usr/bin/env python3
"""Writes a copy of a TrueType font or collection whose 'gasp' table asks
for grey-scale smoothing at every size, and whose font revision is one
higher, so that Wine prefers the copy to the original of the same name.

WenQuanYi Zen Hei's table turns smoothing off from 9 to 16 pixels per em,
where its hinted outlines then come out as coarse bitmaps; the glyphs and
metrics of the copy are the original's.

Usage: font-gasp.py SOURCE.ttc DEST.ttc
"""
import os
import struct
import sys

GASP_DOGRAY = 0x0002


def main(source, dest):
    data = bytearray(open(source, "rb").read())
    if data[:4] == b"ttcf":
        count = struct.unpack(">I", data[8:12])[0]
        fonts = struct.unpack(">%dI" % count, data[12:12 + 4 * count])
    else:
        fonts = (0,)
    patched = set()
    smoothed = False
    for font in fonts:
        tables = struct.unpack(">H", data[font + 4:font + 6])[0]
        for i in range(tables):
            entry = font + 12 + 16 * i
            tag, _, offset, _ = struct.unpack(">4sIII", data[entry:entry + 16])
            if offset in patched:
                continue  # a table that the fonts of a collection share
            if tag == b"gasp":
                ranges = struct.unpack(">H", data[offset + 2:offset + 4])[0]
                for r in range(ranges):
                    at = offset + 4 + 4 * r + 2
                    behaviour = struct.unpack(">H", data[at:at + 2])[0]
                    data[at:at + 2] = struct.pack(">H", behaviour | GASP_DOGRAY)
                patched.add(offset)
                smoothed = True
            elif tag == b"head":
                revision = struct.unpack(">i", data[offset + 4:offset + 8])[0]
                data[offset + 4:offset + 8] = struct.pack(">i", revision + 1)
                patched.add(offset)
    if not smoothed:
        # A copy with only a higher revision would be preferred to the
        # original and change nothing.
        sys.exit("font-gasp.py: no gasp table in " + source)
    with open(dest + ".tmp", "wb") as out:
        out.write(data)
    os.replace(dest + ".tmp", dest)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
