#!/usr/bin/env bash
# Installs what is missing, checks the documents' links and the format, runs
# clang-tidy, builds everything and runs every test: the native suite, the
# same suite under AddressSanitizer/UBSan, a minute of each fuzz target, the
# Windows programs' tests under the host's Wine (8) in a private Xvfb display
# and again under Debian 13's Wine 10 in a chroot (tools/wine10.sh; made on
# the machine's first run), and the release package: built twice and
# compared, then unpacked and run in a fresh Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
jobs=$(nproc)

# The documents' links (README.md, docs/): every relative one names an
# existing file or heading; then the check's own cases.
python3 tools/check-links.py
python3 tests/tools/check_links_test.py

# The house rules first, before anything is built: every tracked C++ file as
# clang-format writes it, and clang-tidy without a warning over the native and
# the Windows sources (tools/lint.sh).
tools/lint.sh check
# A fault planted in a Windows-only branch fails the Windows pass (on a copy).
tests/tools/lint_windows_test.sh

cmake --preset native
cmake --build --preset native -j "$jobs"
ctest --preset native

cmake --preset native-asan
cmake --build --preset native-asan -j "$jobs"
ctest --preset native-asan

# Each libFuzzer target for a minute from its seed corpus (clang, the
# sanitizers); a crash or a failed check fails the run.
tools/fuzz.sh 60

cmake --preset windows
cmake --build --preset windows -j "$jobs"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset windows
# The same tests under Wine 10, and the chroot script's clean-up and mounts.
tools/wine10.sh ctest build/windows
tests/tools/wine10_cleanup_test.sh
tests/tools/wine10_binds_test.sh

# The release package from two clean clones, compared byte for byte; then the
# shipped zip's smoke test (and the oldest Windows its programs need).
tools/check-repro.sh
tools/smoke-package.sh build/repro/dist/tianti-"$(cmake -P cmake/version.cmake)"-win64.zip
