#!/usr/bin/env bash
# Prepares a private Wine prefix once: 64-bit, no install prompts, and the
# font replacements that give "宋体"/"SimSun" a fixed-pitch font whose CJK
# glyphs are exactly twice as wide as its Latin ones.
# Usage: tools/wine-prefix.sh PREFIX
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh PREFIX}
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="winemenubuilder.exe,mscoree,mshtml="
exec 9>"$prefix.lock"
flock 9
if [ -f "$prefix/.tianti-ready" ]; then exit 0; fi
wineboot -i >/dev/null 2>&1 </dev/null || true
key='HKCU\Software\Wine\Fonts\Replacements'
for face in 宋体 SimSun 新宋体 NSimSun; do
  wine reg add "$key" /v "$face" /t REG_SZ /d "WenQuanYi Zen Hei Mono" /f >/dev/null 2>&1 </dev/null
done
wineserver -w
touch "$prefix/.tianti-ready"
