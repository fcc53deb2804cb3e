#!/usr/bin/env bash
# Installs, with apt-get, what building, running and testing tianti needs on
# Debian 12 (emscripten for the page, Chromium and selenium for its tests),
# and the fonts of the Wine prefixes (tools/wine-prefix.sh) in
# /usr/local/share/tianti/fonts: marlett.ttf, the one file wanted from
# fonts-wine (its Tahoma has no Chinese glyphs, so the package itself is not
# installed), and WenQuanYi Zen Hei with smoothing at every size
# (tools/font-gasp.py); and the zh_CN.GBK locale, under which Wine's console
# has code page 936 (the console test runs tianti-cli in it). Does nothing
# when everything is already there.
# With --fonts it only makes the fonts, from the packages already installed
# (tools/wine10.sh runs it so inside its chroot).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
fonts=${TIANTI_FONT_DIR:-/usr/local/share/tianti/fonts}
pkgs=(
  cmake ninja-build g++ make clang libclang-rt-14-dev clang-format clang-tidy
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-utils xdotool imagemagick
  fonts-wqy-zenhei fonts-wqy-microhei
  hyperfine python3 file locales debootstrap pci.ids
  emscripten chromium chromium-driver python3-selenium
)
fonts_only=0
[ "${1:-}" = --fonts ] && fonts_only=1
missing=()
[ $fonts_only = 1 ] || for p in "${pkgs[@]}"; do
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
if [ $fonts_only = 0 ] && ! locale -a 2>/dev/null | grep -qix 'zh_CN\.gbk'; then
  echo "Generating the locale zh_CN.GBK"
  grep -qx 'zh_CN.GBK GBK' /etc/locale.gen 2>/dev/null ||
    echo 'zh_CN.GBK GBK' | $sudo_ tee -a /etc/locale.gen >/dev/null
  $sudo_ locale-gen
fi
