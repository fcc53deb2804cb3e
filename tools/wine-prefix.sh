#!/usr/bin/env bash
# Prepares a private Wine prefix: 64-bit, no install prompts, and the fonts
# that tianti's windows need (installed by tools/install-deps.sh):
#   - "宋体"/"SimSun" (and 新宋体/NSimSun) replaced by WenQuanYi Zen Hei
#     Mono, a fixed-pitch face whose CJK glyphs are exactly twice as wide as
#     its Latin ones, in the copy that is smoothed at every size
#     (wqy-zenhei-smooth.ttc, linked into the prefix's Fonts folder, where
#     Wine prefers it to the system's copy by its higher revision);
#   - Wine's UI font Tahoma replaced by WenQuanYi Micro Hei, so that window
#     captions, message boxes and tool tips show smooth Chinese;
#   - Marlett (only marlett.ttf of fonts-wine) for the title-bar and
#     scroll-bar glyphs.
# Then tools/wine-font-probe.cpp, built here with MinGW-w64, checks the
# result inside the prefix; set-up stops with its message if a font is
# missing. Idempotent; a prefix made by an older version of this script is
# brought up to date (the stamp file holds the version).
# Usage: tools/wine-prefix.sh PREFIX
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh PREFIX}
root=$(cd "$(dirname "$0")/.." && pwd)
version=2
stamp=$prefix/.tianti-prefix
fonts=${TIANTI_FONT_DIR:-/usr/local/share/tianti/fonts}
simsun_face="WenQuanYi Zen Hei Mono"
ui_face="WenQuanYi Micro Hei"

[ "$(cat "$stamp" 2>/dev/null)" = "$version" ] && exit 0
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="winemenubuilder.exe,mscoree,mshtml="
exec 9>"$prefix.lock"
flock 9
[ "$(cat "$stamp" 2>/dev/null)" = "$version" ] && exit 0

fail() { echo "wine-prefix.sh: $*" >&2; exit 1; }
[ -f "$fonts/marlett.ttf" ] ||
  fail "$fonts/marlett.ttf is missing: run tools/install-deps.sh (it takes marlett.ttf from Debian's fonts-wine)"
[ -f "$fonts/wqy-zenhei-smooth.ttc" ] ||
  fail "$fonts/wqy-zenhei-smooth.ttc is missing: run tools/install-deps.sh (it writes it from fonts-wqy-zenhei)"
[ -f /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ] ||
  fail "the font \"$ui_face\" is missing: install fonts-wqy-microhei (tools/install-deps.sh)"

if [ ! -f "$prefix/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 </dev/null || true
fi
key='HKCU\Software\Wine\Fonts\Replacements'
for face in 宋体 SimSun 新宋体 NSimSun; do
  wine reg add "$key" /v "$face" /t REG_SZ /d "$simsun_face" /f >/dev/null 2>&1 </dev/null
done
wine reg add "$key" /v Tahoma /t REG_SZ /d "$ui_face" /f >/dev/null 2>&1 </dev/null
mkdir -p "$prefix/drive_c/windows/Fonts"
cp "$fonts/marlett.ttf" "$prefix/drive_c/windows/Fonts/marlett.ttf"
ln -sfn "$fonts/wqy-zenhei-smooth.ttc" "$prefix/drive_c/windows/Fonts/wqy-zenhei-smooth.ttc"
wineserver -w

# The check, with the program's own font test (TIANTI_FONT_PROBE: the same
# program built elsewhere, where there is no MinGW, as in tools/wine10.sh).
probe=$prefix/tianti-font-probe.exe
if [ -n "${TIANTI_FONT_PROBE:-}" ]; then
  cp "$TIANTI_FONT_PROBE" "$probe"
else
  x86_64-w64-mingw32-g++-posix -std=c++17 -O1 -municode -static -I"$root" \
    "$root/tools/wine-font-probe.cpp" "$root/ui/win32/fonts.cpp" -lgdi32 -o "$probe"
fi
run_probe() {
  if [ -n "${DISPLAY:-}" ]; then wine "$probe" </dev/null; else xvfb-run -a wine "$probe" </dev/null; fi
}
if ! report=$(run_probe 2>/dev/null | tr -d '\r'); then
  wineserver -w
  fail "the fonts of $prefix are not right:"$'\n'"$report"
fi
wineserver -w
rm -f "$prefix/.tianti-ready"  # the marker of the first version of this script
echo "$version" >"$stamp"
