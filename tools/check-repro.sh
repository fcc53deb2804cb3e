#!/usr/bin/env bash
# Checks that the release package is reproducible: clones the commit HEAD
# twice, into two directories of different names and depths, runs
# tools/package.sh in each, one after the other (so at different times, the
# second one also under another time zone and umask), and compares the two
# dist/ folders byte for byte, the programs and the page inside the zips
# included.
# On success the first clone's dist/ is copied to build/repro/dist.
# Usage: tools/check-repro.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
commit=$(git rev-parse HEAD)
work=$root/build/repro
rm -rf "$work"
one=$work/a/tianti
two=$work/second-clone/of/the/tianti-source
start=$(date +%s)

build() {  # build CLONE
  git clone -q --no-hardlinks "$root" "$1"
  git -C "$1" checkout -q --detach "$commit"
  bash "$1/tools/package.sh" >"$1.log" 2>&1 || { tail -n 30 "$1.log" >&2; echo "tools/package.sh failed in $1" >&2; exit 1; }
}
build "$one"
sleep 1
(umask 027; TZ=Asia/Shanghai build "$two")

status=0
for f in "$one"/dist/*; do
  other=$two/dist/$(basename "$f")
  if cmp -s "$f" "$other"; then
    echo "same:    $(basename "$f")"
  else
    echo "DIFFERS: $(basename "$f")"; status=1
  fi
done
[ "$(ls "$one/dist")" = "$(ls "$two/dist")" ] || { echo "DIFFERS: the file lists of dist/"; status=1; }
for file in tianti.exe tianti-cli.exe tianti.html; do
  if cmp -s "$one"/build/package/stage/*/"$file" "$two"/build/package/stage/*/"$file"; then
    echo "same:    $file"
  else
    echo "DIFFERS: $file"; status=1
  fi
done
echo "two builds of $commit in $(( $(date +%s) - start )) s"
if [ "$status" -ne 0 ]; then
  echo "the release package is not reproducible" >&2
  exit 1
fi
rm -rf "$work/dist"
cp -r "$one/dist" "$work/dist"
cat "$work/dist/SHA256SUMS"
