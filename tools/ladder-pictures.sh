#!/usr/bin/env bash
# Remakes the ladder pictures in docs/ from the native build's tianti-cli:
# the SVG of a query and of both whole lists, and PNGs of their tops taken
# with headless Chromium (256 colours, to keep them small).
set -euo pipefail
cd "$(dirname "$0")/.."
cli=build/native/cli/tianti-cli
[ -x "$cli" ] || { echo "ladder-pictures: build the native preset first ($cli)" >&2; exit 2; }
"$cli" --ladder --scope gpu "RTX 40" --mark "GeForce RTX 4070" --mark "GeForce RTX 3060" > docs/ladder-rtx40.svg
"$cli" --ladder --scope gpu > docs/ladder-gpu.svg
"$cli" --ladder --scope cpu > docs/ladder-cpu.svg
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
shot() { # out.png width,height picture.svg
  /usr/bin/chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$tmp/profile" --hide-scrollbars --screenshot="$tmp/shot.png" \
    --window-size="$2" "file://$PWD/$3" 2>/dev/null
  convert "$tmp/shot.png" -strip -colors 256 "PNG8:$1"
}
width() { sed -n 's/.*<svg [^>]*width="\([0-9]*\)".*/\1/p' "$1" | head -n 1; }
shot docs/ladder-gpu-top.png "$(width docs/ladder-gpu.svg),1400" docs/ladder-gpu.svg
shot docs/ladder-cpu-top.png "$(width docs/ladder-cpu.svg),1400" docs/ladder-cpu.svg
height=$(sed -n 's/.*<svg [^>]*height="\([0-9]*\)".*/\1/p' docs/ladder-rtx40.svg | head -n 1)
shot docs/ladder-rtx40.png "$(width docs/ladder-rtx40.svg),$height" docs/ladder-rtx40.svg
ls -l docs/ladder-*
