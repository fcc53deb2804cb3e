#!/usr/bin/env bash
# Draws the program icon and writes resources/tianti.ico: one 48 x 48 image,
# 8 bits per pixel with a 256-colour palette and a 1-bit transparency mask
# (a classic DIB icon, not PNG-in-ICO).
# ImageMagick draws the artwork: a blue rounded tile with a ladder of rising
# orange bars. Its own ICO writer picks the bit depth from the colour count
# (and may write 32-bit images), so the ICO bytes are written here instead.
# Needs ImageMagick (convert) and python3.
# Usage: resources/make_icon.sh [OUTPUT.ico]   (default: resources/tianti.ico)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/tianti.ico}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Drawn at 4x (192 px) and reduced, so edges inside the tile are smooth.
convert -size 192x192 xc:none \
  \( -size 184x184 gradient:'#2f8ae0'-'#0b3f8c' \
     \( -size 184x184 xc:none -fill white -draw 'roundrectangle 0,0 183,183 30,30' \) \
     -compose CopyOpacity -composite \) -geometry +4+4 -compose Over -composite \
  -fill '#ffffff' -draw 'rectangle 24,160 171,167' \
  -fill '#ffb03a' -draw 'rectangle 32,120 55,159' \
  -fill '#ff9a1f' -draw 'rectangle 68,92 91,159' \
  -fill '#ff8a0a' -draw 'rectangle 104,64 127,159' \
  -fill '#f57c00' -draw 'rectangle 140,36 163,159' \
  -fill '#ffe2b8' -draw 'rectangle 32,120 55,123' -draw 'rectangle 68,92 91,95' \
  -draw 'rectangle 104,64 127,67' -draw 'rectangle 140,36 163,39' \
  -fill none -stroke '#ffffff' -strokewidth 8 -draw 'line 36,102 141,30' \
  -fill '#ffffff' -stroke none -draw 'polygon 166,12 152,44 130,14' \
  -filter Box -resize 48x48 \
  -channel A -threshold 50% +channel \
  +dither -colors 255 \
  -depth 8 "RGBA:$work/icon.rgba"

python3 - "$work/icon.rgba" "$out" <<'EOF'
import struct, sys

SIZE = 48
raw = open(sys.argv[1], 'rb').read()
assert len(raw) == SIZE * SIZE * 4, len(raw)

# Palette entry 0 (black) stands under the transparent pixels; the opaque
# colours follow in order of first use; unused entries stay black.
palette = [(0, 0, 0)]
index_of = {}
indices = []   # top-down
mask = []      # top-down, 1 = transparent
for i in range(SIZE * SIZE):
    r, g, b, a = raw[4 * i:4 * i + 4]
    if a < 128:
        indices.append(0)
        mask.append(1)
        continue
    if (r, g, b) not in index_of:
        index_of[(r, g, b)] = len(palette)
        palette.append((r, g, b))
    indices.append(index_of[(r, g, b)])
    mask.append(0)
assert len(palette) <= 256, f'{len(palette)} colours'
palette += [(0, 0, 0)] * (256 - len(palette))

xor = bytearray()
andmask = bytearray()
for y in reversed(range(SIZE)):              # DIB rows run bottom-up
    xor += bytes(indices[y * SIZE:(y + 1) * SIZE])  # 48 bytes: already 32-bit aligned
    row = mask[y * SIZE:(y + 1) * SIZE]
    bits = bytearray(8)                       # 48 bits padded to 64
    for x, m in enumerate(row):
        if m:
            bits[x // 8] |= 0x80 >> (x % 8)
    andmask += bits

header = struct.pack('<IiiHHIIiiII', 40, SIZE, 2 * SIZE, 1, 8, 0,
                     len(xor) + len(andmask), 0, 0, 0, 0)
colours = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
image = header + colours + bytes(xor) + bytes(andmask)

icondir = struct.pack('<HHH', 0, 1, 1)
entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
with open(sys.argv[2], 'wb') as f:
    f.write(icondir + entry + image)
print(f'{sys.argv[2]}: 48x48, 8 bpp, {len(index_of)} colours in use, {len(image) + 22} bytes',
      file=sys.stderr)
EOF
