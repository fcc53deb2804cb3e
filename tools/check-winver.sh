#!/usr/bin/env bash
# Reads from the built Windows programs what they need to run, and checks it
# against Windows 7 (x64), the oldest Windows the README names:
#  1. the PE header: a 64-bit (x86-64) program whose OS and subsystem
#     versions do not exceed 6.1 (Windows 7);
#  2. the DLLs it imports at start-up, and those tianti.exe loads on first
#     use (cmake/delay/*.def): only system DLLs that every Windows since 7
#     has (no api-ms-win-* sets, no Universal CRT, no MinGW runtime DLL);
#  3. every imported function, and every delay-loaded one, is declared by the
#     MinGW-w64 headers with _WIN32_WINNT and WINVER set to Windows 7 (0x0601):
#     functions of later versions are hidden there, so a compile fails. (A
#     control compile of GetDpiForWindow, a Windows 10 function, must fail.)
#     msvcrt.dll's functions are those of the C runtime the MinGW-w64
#     toolchain targets, present in every Windows version;
#  4. tianti.exe's manifest lists Windows 7 among its supported systems.
# Functions that dpi.cpp looks up by name at run time (the Windows 8.1/10 DPI
# functions) are optional: the program falls back when they are missing.
# Usage: tools/check-winver.sh [DIR]   DIR holds tianti.exe and tianti-cli.exe
#        (default: the two programs of the build tree build/windows)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
objdump=x86_64-w64-mingw32-objdump
cc=x86_64-w64-mingw32-gcc-posix
if [ $# -ge 1 ]; then
  exes=("$1/tianti.exe" "$1/tianti-cli.exe")
else
  exes=()
  for exe in tianti.exe tianti-cli.exe; do
    exes+=("$(find "$root/build/windows" -name "$exe" -not -path '*/CMakeFiles/*' -print -quit)")
  done
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
bad() { echo "FAIL: $*" >&2; fail=1; }

allowed="KERNEL32.dll USER32.dll GDI32.dll COMCTL32.dll ole32.dll OLEAUT32.dll SHELL32.dll SHLWAPI.dll OLEACC.dll msvcrt.dll"
: > "$work/functions"
for exe in "${exes[@]}"; do
  [ -f "$exe" ] || { echo "no ${exe:-program}: build the windows preset first" >&2; exit 1; }
  $objdump -p "$exe" > "$work/p"
  name=$(basename "$exe")
  grep -q 'file format pei-x86-64' "$work/p" || bad "$name is not a 64-bit PE program"
  for field in OSystem Subsystem; do
    major=$(awk -v f="Major${field}Version" '$1 == f {print $2}' "$work/p")
    minor=$(awk -v f="Minor${field}Version" '$1 == f {print $2}' "$work/p")
    if [ $(( major * 100 + minor )) -gt 601 ]; then
      bad "$name: ${field} version $major.$minor is later than Windows 7 (6.1)"
    fi
    printf '%s: %s version %s.%s\n' "$name" "$field" "$major" "$minor"
  done
  dlls=$(awk '/DLL Name:/ {print $3}' "$work/p" | sort -u | tr '\n' ' ')
  echo "$name imports: $dlls"
  for dll in $dlls; do
    case " $allowed " in *" $dll "*) ;; *) bad "$name imports $dll" ;; esac
  done
  # Imported functions by name, with their DLL; msvcrt's are left out.
  awk '/DLL Name:/ {dll = $3} /^\t[0-9a-f]+\t +[0-9]+  [A-Za-z_]/ {print dll, $3}' "$work/p" |
    grep -v '^msvcrt.dll ' >> "$work/functions" || true
  # A DLL none of whose functions were read means the listing was not
  # understood: the check below would then pass on nothing.
  for dll in $dlls; do
    [ "$dll" = msvcrt.dll ] || grep -q "^$dll " "$work/functions" ||
      bad "$name: no function read for $dll from objdump's import listing"
  done
done
for def in "$root"/cmake/delay/*.def; do
  dll=$(awk '$1 == "LIBRARY" {print $2}' "$def")
  case " $allowed " in *" $dll "*) ;; *) bad "tianti.exe loads $dll on first use" ;; esac
  awk -v dll="$dll" 'NF && $1 !~ /^;/ && $1 != "LIBRARY" && $1 != "EXPORTS" {print dll, $1}' "$def" >> "$work/functions"
done
sort -u "$work/functions" -o "$work/functions"
echo "$(wc -l < "$work/functions") functions imported (msvcrt.dll's aside)"

headers='#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <oleacc.h>'
{
  echo "$headers"
  echo "void used(void);"
  echo "void used(void) {"
  awk '{print "  (void)&" $2 ";"}' "$work/functions"
  echo "}"
} > "$work/win7.c"
flags=(-fsyntax-only -D_WIN32_WINNT=0x0601 -DWINVER=0x0601 -DNTDDI_VERSION=0x06010000 -DUNICODE -D_UNICODE)
if $cc "${flags[@]}" "$work/win7.c" 2> "$work/win7.err"; then
  echo "ok: every imported function is declared for Windows 7 (_WIN32_WINNT=0x0601)"
else
  grep -E 'undeclared|error' "$work/win7.err" | head -n 20 >&2
  bad "functions that Windows 7 does not have"
fi
printf '%s\nvoid used(void);\nvoid used(void) { (void)&GetDpiForWindow; }\n' "$headers" > "$work/control.c"
if $cc "${flags[@]}" "$work/control.c" 2>/dev/null; then
  bad "the control compile of GetDpiForWindow passed: the headers do not hide later functions"
fi

# The manifest as embedded in tianti.exe.
python3 - "${exes[0]}" <<'PY' || fail=1
import sys
data = open(sys.argv[1], "rb").read()
start = data.find(b"<assembly")
end = data.find(b"</assembly>", start)
if start < 0 or end < 0:
    sys.exit("FAIL: no manifest in tianti.exe")
manifest = data[start:end].decode("utf-8")
systems = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}
listed = [name for guid, name in systems.items() if guid in manifest]
print("manifest supportedOS: " + ", ".join(listed))
if "Windows 7" not in listed:
    sys.exit("FAIL: the manifest does not list Windows 7")
PY

if [ "$fail" -ne 0 ]; then exit 1; fi
echo "ok: the programs need Windows 7 or later, 64-bit"
