#!/usr/bin/env bash
# Installs, with apt-get, what building, running and testing tianti needs on
# Debian 12, and the fonts of the Wine prefixes (tools/wine-prefix.sh) in
# /usr/local/share/tianti/fonts: marlett.ttf, the one file wanted from
# fonts-wine (its Tahoma has no Chinese glyphs, so the package itself is not
# installed), and WenQuanYi Zen Hei with smoothing at every size
# (tools/font-gasp.py). Does nothing when everything is already there.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
fonts=${TIANTI_FONT_DIR:-/usr/local/share/tianti/fonts}
pkgs=(
  cmake ninja-build g++ make clang libclang-rt-14-dev clang-format clang-tidy
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-utils xdotool imagemagick
  fonts-wqy-zenhei fonts-wqy-microhei
  hyperfine python3 file
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo_=""; [ "$(id -u)" -eq 0 ] || sudo_=sudo
updated=0
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo_ apt-get update -q
  updated=1
  DEBIAN_FRONTEND=noninteractive $sudo_ apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if [ ! -f "$fonts/marlett.ttf" ]; then
  echo "Unpacking marlett.ttf from fonts-wine into $fonts"
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  if ! (cd "$tmp" && apt-get download -q fonts-wine); then
    [ $updated = 1 ] || $sudo_ apt-get update -q
    (cd "$tmp" && apt-get download -q fonts-wine)
  fi
  dpkg-deb -x "$tmp"/fonts-wine_*.deb "$tmp/unpacked"
  $sudo_ install -D -m 644 "$tmp/unpacked/usr/share/wine/fonts/marlett.ttf" "$fonts/marlett.ttf"
fi
if [ ! -f "$fonts/wqy-zenhei-smooth.ttc" ]; then
  echo "Writing $fonts/wqy-zenhei-smooth.ttc"
  $sudo_ mkdir -p "$fonts"
  $sudo_ python3 "$here/font-gasp.py" /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc "$fonts/wqy-zenhei-smooth.ttc"
fi
