#!/usr/bin/env bash
# Smoke test of the release package as shipped: unpacks the zip into a fresh
# Wine prefix (made by tools/wine-prefix.sh), runs
# "tianti-cli.exe --scope gpu 4090" and compares its output with the native
# tianti-cli's, starts tianti.exe, waits for its main window with the
# program's caption, closes it with WM_CLOSE and checks the exit code 0.
# Also checks that the zip holds exactly the five files of the package (the
# page tianti.html among them, with its engine, at most 2 MB), and
# the oldest Windows the programs need (tools/check-winver.sh).
# Usage: tools/smoke-package.sh [ZIP]   (default dist/tianti-<version>-win64.zip)
# Environment: TIANTI_NATIVE_CLI, the native tianti-cli to compare with
# (default build/native/cli/tianti-cli, built when it is missing).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
version=$(cmake -P "$root/cmake/version.cmake")
caption="CPU/GPU性能天梯查询 Ver$version 开源免费软件"
export LANG=C.UTF-8 LC_ALL=C.UTF-8

if [ "${TIANTI_SMOKE_INNER:-}" = 1 ]; then
  # On the Xvfb display, with the prefix's environment from the outer run.
  dir=$1
  wine tianti.exe >/dev/null 2>&1 </dev/null &
  pid=$!
  window=""
  for _ in $(seq 1 120); do
    for w in $(xdotool search --name "CPU/GPU" 2>/dev/null || true); do
      if [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$caption" ]; then window=$w; break; fi
    done
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.5
  done
  if [ -z "$window" ]; then
    echo "FAIL: no main window captioned \"$caption\"" >&2
    xdotool search --name . getwindowname %@ >&2 2>/dev/null || true
    wineserver -k || true
    exit 1
  fi
  echo "ok: main window \"$caption\""
  # Wine's taskkill without /f posts WM_CLOSE to the program's windows.
  wine taskkill /im tianti.exe >/dev/null 2>&1 </dev/null || true
  code=0
  for _ in $(seq 1 60); do kill -0 "$pid" 2>/dev/null || break; sleep 0.5; done
  if kill -0 "$pid" 2>/dev/null; then
    echo "FAIL: tianti.exe still runs 30 s after WM_CLOSE" >&2
    wineserver -k || true
    exit 1
  fi
  wait "$pid" || code=$?
  [ "$code" -eq 0 ] || { echo "FAIL: tianti.exe ended with exit code $code" >&2; exit 1; }
  echo "ok: closed by WM_CLOSE, exit code 0"
  exit 0
fi

start=$(date +%s)
zip=$(realpath -m "${1:-$root/dist/tianti-$version-win64.zip}")
[ -f "$zip" ] || { echo "no $zip: run tools/package.sh first" >&2; exit 1; }
native=${TIANTI_NATIVE_CLI:-$root/build/native/cli/tianti-cli}
if [ ! -x "$native" ]; then
  (cd "$root" && cmake --preset native >/dev/null && cmake --build --preset native --target tianti-cli)
fi

work=$root/build/smoke
rm -rf "$work"
mkdir -p "$work"
prefix=$work/wineprefix
"$here/wine-prefix.sh" "$prefix"
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe,mscoree,mshtml="

# Unpack into the prefix's drive C:, as a user would into a folder of theirs.
dest=$prefix/drive_c/tianti
mkdir -p "$dest"
python3 - "$zip" "$dest" "tianti-$version" <<'PY'
import sys, zipfile
zip_path, dest, top = sys.argv[1:]
z = zipfile.ZipFile(zip_path)
names = sorted(z.namelist())
want = sorted([top + "/"] + [top + "/" + n for n in ("LICENSE", "README.md", "tianti-cli.exe", "tianti.exe",
                                                    "tianti.html")])
if names != want:
    sys.exit("FAIL: the zip holds %s, expected %s" % (names, want))
z.extractall(dest)
page = z.read(top + "/tianti.html")
if not page.startswith(b"<!DOCTYPE html>") or b"createTiantiEngine" not in page or len(page) > 2 * 1024 * 1024:
    sys.exit("FAIL: tianti.html in the zip is not the page of at most 2 MB")
print("ok: the zip holds %s/ with its five files" % top)
PY
dir=$dest/tianti-$version
"$here/check-winver.sh" "$dir"
cd "$dir"

"$native" --scope gpu 4090 > "$work/cli-native.txt"
wine tianti-cli.exe --scope gpu 4090 > "$work/cli-wine.txt" 2>"$work/cli-wine.err" </dev/null ||
  { cat "$work/cli-wine.err" >&2; echo "FAIL: tianti-cli.exe failed" >&2; exit 1; }
if ! cmp -s "$work/cli-native.txt" "$work/cli-wine.txt"; then
  diff "$work/cli-native.txt" "$work/cli-wine.txt" | head -n 20 >&2 || true
  echo "FAIL: tianti-cli.exe --scope gpu 4090 differs from the native tianti-cli" >&2
  exit 1
fi
[ -s "$work/cli-native.txt" ] || { echo "FAIL: no output from the native tianti-cli" >&2; exit 1; }
echo "ok: tianti-cli.exe --scope gpu 4090 = native tianti-cli ($(wc -l < "$work/cli-wine.txt") lines)"

TIANTI_SMOKE_INNER=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$here/smoke-package.sh" "$dir"
wineserver -w || true
echo "smoke test of $(basename "$zip") passed in $(( $(date +%s) - start )) s"
