#!/usr/bin/env bash
# ctest's emulator for the Windows programs: runs one under Wine in the build
# tree's private prefix, on the X display of the caller or on a private Xvfb.
# Usage: wine-run.sh PREFIX PROGRAM.exe [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=$1; shift
# Another Wine (tools/wine10.sh's chroot names itself in /etc/tianti-wine)
# gets a prefix of its own beside this one.
if [ -f /etc/tianti-wine ]; then prefix=$prefix-$(cat /etc/tianti-wine); fi
"$here/../tools/wine-prefix.sh" "$prefix"
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="winemenubuilder.exe,mscoree,mshtml="
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@"
fi
exec wine "$@"
