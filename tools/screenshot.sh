#!/usr/bin/env bash
# Screenshot of the program under Wine: starts it on a private Xvfb screen in
# a Wine desktop (so that window frames are drawn), types a query into the
# main term box with the keyboard, presses Alt+S and saves the screen.
#
# Usage: tools/screenshot.sh [DPI] [OUT.png] [QUERY]
#   DPI    96 (default), 120, 144 ...: the prefix's LogPixels
#   OUT    the PNG to write (default: screenshot-DPI.png)
#   QUERY  the main term (default: "ryzen 9 7"); "-" types nothing
# Environment: TIANTI_BUILD, the Windows build tree (default: build/windows).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
dpi=${1:-96}
out=$(realpath -m "${2:-screenshot-$dpi.png}")
query=${3:-ryzen 9 7}
build=${TIANTI_BUILD:-$root/build/windows}
exe=$build/ui/win32/tianti.exe
[ -f "$exe" ] || { echo "no $exe: build the windows preset first" >&2; exit 1; }
# A screen large enough for the main window at this DPI.
width=$(( (1280 * dpi + 95) / 96 )); height=$(( (1024 * dpi + 95) / 96 ))
size=${width}x${height}

if [ "${TIANTI_SHOT_INNER:-}" = 1 ]; then
  # On the Xvfb screen, with the prefix's environment from the outer run.
  wine explorer /desktop=tianti,"$size" "$exe" >/dev/null 2>&1 </dev/null &
  # The main window is an X window of its own inside the Wine desktop.
  window=""
  for _ in $(seq 1 120); do
    window=$(xdotool search --name "CPU/GPU" 2>/dev/null | head -n1 || true)
    [ -n "$window" ] && break
    sleep 0.5
  done
  [ -n "$window" ] || { echo "the main window did not appear" >&2; exit 1; }
  sleep 2  # the program draws
  xdotool mousemove 0 0  # no tool tip in the picture
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  sleep 0.5
  if [ "$query" != "-" ]; then
    # The focus starts on Quit; three Shift+Tab reach the main term box.
    xdotool key --delay 150 shift+Tab shift+Tab shift+Tab
    xdotool type --delay 80 "$query"
    xdotool key --delay 150 alt+s
    sleep 2
  fi
  import -window root "$out"
  wineserver -k || true
  exit 0
fi

# A prefix per DPI, beside the build tree's test prefix.
prefix=$build/wineprefix-shot-$dpi
"$root/tools/wine-prefix.sh" "$prefix"
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="winemenubuilder.exe,mscoree,mshtml="
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 </dev/null
wineserver -w
TIANTI_SHOT_INNER=1 xvfb-run -a -s "-screen 0 ${size}x24" "$0" "$dpi" "$out" "$query"
echo "$out"
