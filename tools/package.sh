#!/usr/bin/env bash
# Builds the release package from the committed tree (HEAD; changes that are
# not committed are left out):
#   dist/tianti-<version>-win64.zip   one folder tianti-<version>/ holding
#                                     tianti.exe, tianti-cli.exe, the page
#                                     tianti.html, README.md and LICENSE
#   dist/SHA256SUMS                   SHA-256 of the zip, of both programs
#                                     and of the page
# <version> is the one in cmake/version.cmake.
#
# The same commit gives the same bytes wherever and whenever it is built: no
# build path in the programs (-ffile-prefix-map), the commit's time as the
# programs' PE time stamp (SOURCE_DATE_EPOCH) and as every zip entry's time,
# fixed order and permissions in the zip. tools/check-repro.sh checks it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/install-deps.sh

commit=$(git rev-parse HEAD)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH
work=$root/build/package
rm -rf "$work"
mkdir -p "$work/src"
git archive --format=tar "$commit" | tar -x -C "$work/src"

version=$(cmake -P "$work/src/cmake/version.cmake")
name=tianti-$version
echo "Packaging $name from $commit"

# Only the two programs, without the tests.
(cd "$work/src" && cmake --preset windows -DTIANTI_TESTS=OFF >/dev/null &&
  cmake --build --preset windows -j "$(nproc)" --target tianti tianti-cli)

# The page: the same engine as WebAssembly in one HTML file (the web preset).
(cd "$work/src" && cmake --preset web >/dev/null && cmake --build --preset web -j "$(nproc)")

stage=$work/stage/$name
mkdir -p "$stage"
for exe in tianti.exe tianti-cli.exe; do
  built=$(find "$work/src/build/windows" -name "$exe" -not -path '*/CMakeFiles/*' -print -quit)
  [ -n "$built" ] || { echo "no $exe in the build" >&2; exit 1; }
  cp "$built" "$stage/"
done
cp "$work/src/build/web/tianti.html" "$work/src/README.md" "$work/src/LICENSE" "$stage/"
python3 "$work/src/tools/package.py" stamp "$SOURCE_DATE_EPOCH" "$stage/tianti.exe" "$stage/tianti-cli.exe"

mkdir -p dist
zip=$name-win64.zip
rm -f "dist/$zip" dist/SHA256SUMS
python3 "$work/src/tools/package.py" zip "$SOURCE_DATE_EPOCH" "dist/$zip" "$stage"
(cd dist && sha256sum "$zip") > "$work/sums"
(cd "$work/stage" && sha256sum "$name/tianti.exe" "$name/tianti-cli.exe" "$name/tianti.html") >> "$work/sums"
mv "$work/sums" dist/SHA256SUMS
echo "dist/$zip ($(stat -c %s "dist/$zip") bytes)"
cat dist/SHA256SUMS
