#!/usr/bin/env bash
# Installs, with apt-get, what building, running and testing tianti needs on
# Debian 12. Does nothing when everything is already there.
set -euo pipefail
pkgs=(
  cmake ninja-build g++ make clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-utils xdotool imagemagick fonts-wqy-zenhei
  hyperfine python3 file
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then exit 0; fi
echo "Installing: ${missing[*]}"
sudo_=""; [ "$(id -u)" -eq 0 ] || sudo_=sudo
$sudo_ apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo_ apt-get install -y -q --no-install-recommends "${missing[@]}"
