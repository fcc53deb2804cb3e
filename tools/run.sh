#!/usr/bin/env bash
# Installs what is missing, builds the Windows program and starts it.
# On Linux it runs under Wine in a prefix of its own (build/wineprefix, with
# the font replacements the result table needs); without an X display it
# starts one with Xvfb, which nobody can see, so run it from a desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset windows -DTIANTI_TESTS=OFF
cmake --build --preset windows -j "$(nproc)" --target tianti
exe=$(find build/windows -name tianti.exe -print -quit)
exec cmake/wine-run.sh "$PWD/build/wineprefix" "$exe" "$@"
