#!/usr/bin/env bash
# The Windows pass of tools/lint.sh reads the Windows branches of files that
# the native build compiles too. On a temporary copy of the tree (never the
# tree itself), in which git tracks only cli/main.cpp and
# query/upcase_portable.cpp (tools/lint.sh reads the tracked sources of the
# build, so the pass reads just these two): untouched, `tools/lint.sh tidy
# windows` passes; with a fault planted in each file's _WIN32 branch it
# fails and names both, while the native pass, which never sees those
# branches, still passes.
set -euo pipefail
cd "$(dirname "$0")/../.."
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT

git ls-files -z | tar --null -T - -cf - | tar -xf - -C "$copy"
cd "$copy"
git init -q
git add cli/main.cpp query/upcase_portable.cpp

status=0
out=$(tools/lint.sh tidy windows 2>&1) || status=$?
[ "$status" = 0 ] || fail "the untouched copy: tidy windows failed ($status):"$'\n'"$out"
grep -q '^tidy windows: 2 files$' <<<"$out" || fail "the untouched copy: expected 2 files, got: $out"

# cert-err33-c in wmain (an unchecked fputs), clang-analyzer's division by
# zero in a new Windows branch of the portable case mapping.
sed -i 's|^  _setmode(_fileno(stdout), _O_BINARY);$|&\n  std::fputs("planted", stderr);|' cli/main.cpp
sed -i 's|^#if !defined(_WIN32)$|#if defined(_WIN32)\nint PlantedDivide(int a) {\n  int zero = 0;\n  return a / zero;\n}\n#else|' query/upcase_portable.cpp
grep -q 'std::fputs("planted", stderr);' cli/main.cpp || fail "the fault was not planted in cli/main.cpp"
grep -q 'PlantedDivide' query/upcase_portable.cpp || fail "the fault was not planted in query/upcase_portable.cpp"

status=0
out=$(tools/lint.sh tidy windows 2>&1) || status=$?
[ "$status" = 1 ] || fail "planted faults: tidy windows exit status $status, expected 1"
grep -q 'cli/main.cpp:[0-9]*:[0-9]*: error: .*\[cert-err33-c' <<<"$out" ||
  fail "planted faults: the fault in cli/main.cpp's wmain is not reported:"$'\n'"$out"
grep -q 'query/upcase_portable.cpp:[0-9]*:[0-9]*: error: .*\[clang-analyzer-core.DivideZero' <<<"$out" ||
  fail "planted faults: the fault in query/upcase_portable.cpp's _WIN32 branch is not reported:"$'\n'"$out"

status=0
out=$(tools/lint.sh tidy native 2>&1) || status=$?
[ "$status" = 0 ] || fail "planted faults: the native pass should not see the Windows branches, but failed:"$'\n'"$out"

[ $failures = 0 ] || exit 1
echo "lint: faults in the Windows branches of shared files fail tools/lint.sh tidy windows"
