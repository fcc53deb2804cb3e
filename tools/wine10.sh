#!/usr/bin/env bash
# Usage: tools/wine10.sh setup | ctest [BUILD_DIR] [CTEST ARGS...] | run [--bind DIR]... [--] COMMAND [ARGS...]
#
# Debian 13's Wine 10 beside the host's Wine: a minimal Debian 13 chroot in
# /var/cache/tianti/wine10/root (TIANTI_WINE10_DIR), made with debootstrap
# from the Debian archive that apt uses on this machine, shared by every
# clone on it and brought up to date when the needs below change (the stamp
# holds their version). Needs root.
#   setup         makes or updates the chroot; does nothing when it is current
#   ctest         runs the Windows tests of a build tree made on the host
#                 (default build/windows) under Wine 10:
#                 ctest --preset windows --test-dir BUILD_DIR [CTEST ARGS]
#   run           runs COMMAND in the chroot, in the current directory, which
#                 must be in a project tree (this clone, another clone, a
#                 build tree, or a --bind DIR)
# The clone, the build tree and each --bind DIR are mounted at their own
# paths, so that absolute paths hold. None of them may cover the chroot's
# own files ("/", /usr, /etc, ...): mounted there, the host's system would
# run in place of Debian 13's (exit 2, before anything is mounted).
# Programs run on an Xvfb of the run's own, which picks a display number
# free on the host as well (-displayfd; the chroot shares the host's /tmp,
# where the number's lock file is then written, so that host X servers keep
# off it). The mounts live in a private mount namespace: they are undone,
# and whatever the run started in the chroot is ended, on every way out
# (success, failure, Ctrl-C, TERM). Test programs see the file /etc/tianti-wine
# ("wine10") and use Wine prefixes of their own (cmake/wine-run.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
base=$(realpath -m "${TIANTI_WINE10_DIR:-/var/cache/tianti/wine10}")
jail=$base/root
stamp=$base/.tianti-chroot
suite=trixie
# Raise the version when the packages or the set-up below change.
version=2
packages=(wine wine64 xvfb xauth python3 cmake locales fonts-wqy-zenhei fonts-wqy-microhei)

fail() { echo "wine10.sh: $*" >&2; exit 1; }
refuse() { echo "wine10.sh: $*" >&2; exit 2; }
# Chroots and mounts need root.
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "$0: needs root (or sudo)" >&2; exit 1; }
  exec sudo --preserve-env=TIANTI_WINE10_DIR,TERM "$0" "$@"
fi
usage() { sed -n '2p' "$0" | sed 's/^# //' >&2; exit 2; }

# ---- the chroot ------------------------------------------------------------

# The URI of the host's Debian archive, and of its security archive, from
# apt's own sources (deb822 files and the one-line format).
archive_uri() {  # archive_uri main|security
  python3 - "$1" <<'EOF'
import glob, sys
want = sys.argv[1]
entries = []  # (uri, suites)
for path in sorted(glob.glob("/etc/apt/sources.list.d/*.sources")):
    for para in open(path, encoding="utf-8").read().split("\n\n"):
        fields = {}
        for line in para.splitlines():
            if line.startswith("#") or ":" not in line or line[0].isspace():
                continue
            key, value = line.split(":", 1)
            fields[key.strip().lower()] = value.split()
        if "deb" in fields.get("types", []) and fields.get("enabled", ["yes"])[0] != "no":
            entries += [(uri, fields.get("suites", [])) for uri in fields.get("uris", [])]
for path in ["/etc/apt/sources.list"] + sorted(glob.glob("/etc/apt/sources.list.d/*.list")):
    try:
        lines = open(path, encoding="utf-8").read().splitlines()
    except OSError:
        continue
    for line in lines:
        words = [w for w in line.split("#")[0].split() if not w.startswith("[")]
        if len(words) >= 3 and words[0] == "deb":
            entries.append((words[1], [words[2]]))
for uri, suites in entries:
    security = any(s.endswith("-security") for s in suites)
    if "debian" in uri and security == (want == "security"):
        print(uri.rstrip("/"))
        break
EOF
}

root_is_current() { [ "$(cat "$stamp" 2>/dev/null)" = "$version" ] && [ -x "$jail/usr/bin/wine" ]; }

setup() {
  root_is_current && return 0
  [ "$(id -u)" -eq 0 ] || fail "making the chroot needs root"
  command -v debootstrap >/dev/null || fail "debootstrap is missing: run tools/install-deps.sh"
  command -v unshare >/dev/null || fail "unshare (util-linux) is missing"
  mkdir -p "$base"
  exec 8>"$base/lock"
  flock 8
  root_is_current && { flock -u 8; return 0; }
  local mirror security started=$SECONDS fresh=0
  mirror=$(archive_uri main)
  security=$(archive_uri security)
  [ -n "$mirror" ] || fail "no Debian archive found in apt's sources (/etc/apt/sources.list.d)"
  if [ ! -x "$jail/usr/bin/apt-get" ]; then
    fresh=1
    echo "wine10.sh: making a Debian 13 chroot in $jail from $mirror"
    rm -rf "$jail.new"
    debootstrap --variant=minbase --keyring=/usr/share/keyrings/debian-archive-keyring.gpg \
      "$suite" "$jail.new" "$mirror" >"$base/debootstrap.log" 2>&1 ||
      fail "debootstrap failed (see $base/debootstrap.log)"
    rm -rf "$jail"
    mv "$jail.new" "$jail"
  fi
  {
    echo "Types: deb"
    echo "URIs: $mirror"
    echo "Suites: $suite $suite-updates"
    echo "Components: main"
    if [ -n "$security" ]; then
      echo
      echo "Types: deb"
      echo "URIs: $security"
      echo "Suites: $suite-security"
      echo "Components: main"
    fi
  } >"$jail/etc/apt/sources.list.d/debian.sources"
  rm -f "$jail/etc/apt/sources.list"
  cp /etc/resolv.conf "$jail/etc/resolv.conf"
  echo "wine10.sh: installing ${packages[*]} in the chroot"
  in_namespace install
  echo wine10 >"$jail/etc/tianti-wine"
  echo "$version" >"$stamp"
  local took=$((SECONDS - started)) disk
  disk=$(du -sm "$jail" | cut -f1)
  # shellcheck disable=SC2016  # dpkg-query's format
  echo "wine10.sh: the chroot is ready: Wine $(chroot "$jail" dpkg-query -W -f '${Version}' wine 2>/dev/null), ${took} s," \
    "$(cat "$base/downloaded-mb" 2>/dev/null || echo '?') MB downloaded, $disk MB on disk$([ $fresh = 1 ] || echo ' (updated)')"
  flock -u 8
}

# Inside the chroot's namespace: the package installation of setup.
install_packages() {
  chroot "$jail" apt-get update -q >/dev/null
  DEBIAN_FRONTEND=noninteractive chroot "$jail" apt-get install -y -q --no-install-recommends "${packages[@]}" >"$base/apt.log" 2>&1 ||
    { tail -n 20 "$base/apt.log" >&2; fail "apt-get install in the chroot failed (see $base/apt.log)"; }
  # The locale under which Wine's console has code page 936 (the console test).
  grep -qx 'zh_CN.GBK GBK' "$jail/etc/locale.gen" 2>/dev/null || echo 'zh_CN.GBK GBK' >>"$jail/etc/locale.gen"
  chroot "$jail" locale-gen >>"$base/apt.log" 2>&1 || fail "locale-gen failed in the chroot (see $base/apt.log)"
  # The fonts of the Wine prefixes, made from the chroot's own packages.
  bind "$root" "$root"
  chroot "$jail" bash "$root/tools/install-deps.sh" --fonts >>"$base/apt.log" 2>&1 ||
    fail "the fonts could not be made in the chroot (see $base/apt.log)"
  # What debootstrap and apt fetched, before the package files are dropped.
  du -cm "$jail"/var/cache/apt/archives/*.deb 2>/dev/null | tail -n 1 | cut -f1 >"$base/downloaded-mb" || true
  chroot "$jail" apt-get clean
}

# ---- a run -----------------------------------------------------------------

mounts=()
x_lock=""  # the lock file of the run's X display, once written
bind() {  # bind SOURCE [TARGET]: SOURCE mounted at TARGET (default: the same path) in the chroot
  local target=$jail${2:-$1} m
  for m in "${mounts[@]}"; do
    case $target/ in "$m"/*) return 0 ;; esac  # already inside a mount
  done
  if [ -d "$1" ]; then mkdir -p "$target"; else fail "$1 is missing"; fi
  mount --rbind "$1" "$target"
  mount --make-rslave "$target"
  mounts+=("$target")
}

# Ends what this run started in the chroot (its mount namespace, its root),
# then unmounts, last mount first.
cleanup() {
  local own proc pid left tries
  own=$(readlink /proc/self/ns/mnt)
  for tries in 1 2 3 4 5 6 7 8 9 10; do
    left=0
    for proc in /proc/[0-9]*; do
      pid=${proc#/proc/}
      [ "$pid" != $$ ] || continue
      [ "$(readlink "/proc/$pid/ns/mnt" 2>/dev/null)" = "$own" ] || continue
      [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$jail" ] || continue
      left=1
      kill "$([ "$tries" -lt 5 ] && echo -TERM || echo -KILL)" "$pid" 2>/dev/null || true
    done
    [ $left = 1 ] || break
    sleep 0.3
  done
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount -R "${mounts[$i]}" 2>/dev/null || umount -R -l "${mounts[$i]}" 2>/dev/null || true
  done
  mounts=()
  if [ -n "$x_lock" ]; then rm -f "$x_lock"; fi
}

# in_namespace ACTION ARGS...: this script again, in a private mount
# namespace, with the system's file systems mounted in the chroot.
in_namespace() {
  unshare --mount --propagation private -- "$0" __inside "$@"
}

inside() {
  trap 'cleanup' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  mkdir -p "$jail/proc" "$jail/sys" "$jail/dev" "$jail/tmp"
  mount -t proc proc "$jail/proc"
  mounts+=("$jail/proc")
  bind /sys
  bind /dev
  bind /tmp
  local action=$1
  shift
  case $action in
    install) install_packages ;;
    run) run_inside "$@" ;;
  esac
}

# run_inside DIR [BIND...] -- COMMAND...: the command in DIR with an Xvfb of
# its own; its exit status is the run's.
run_inside() {
  local dir=$1
  shift
  while [ "$1" != -- ]; do bind "$1"; shift; done
  shift
  local shown=$base/display.$$ display=""
  rm -f "$shown"
  chroot "$jail" Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$shown" >/dev/null 2>&1 </dev/null &
  local server=$!
  for _ in $(seq 1 100); do
    display=$(head -n 1 "$shown" 2>/dev/null || true)
    [ -z "$display" ] || break
    sleep 0.1
  done
  rm -f "$shown"
  [ -n "$display" ] || fail "Xvfb did not start in the chroot"
  # Xvfb writes no lock file when it picks its number; the one written here
  # keeps the host's xvfb-run -a and X servers off that number.
  if (set -C && printf '%10d\n' "$server" >"/tmp/.X$display-lock") 2>/dev/null; then
    x_lock=/tmp/.X$display-lock
  fi
  # shellcheck disable=SC2016  # expanded by the shell in the chroot
  env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    LANG=C.UTF-8 LC_ALL=C.UTF-8 TERM="${TERM:-dumb}" DISPLAY=":$display" TIANTI_FONT_PROBE="$probe_inside" \
    chroot "$jail" /bin/sh -c 'cd "$1" && shift && exec "$@"' sh "$dir" "$@" &
  local child=$! status=0
  wait "$child" || status=$?
  exit "$status"
}

# The font check of tools/wine-prefix.sh, built on the host (the chroot has
# no MinGW) into the chroot, once for each version of its sources.
font_probe() {
  local sum out
  sum=$(cat "$root/tools/wine-font-probe.cpp" "$root/ui/win32/fonts.cpp" "$root/ui/win32/fonts.h" | sha256sum | cut -c1-16)
  out=/opt/tianti/font-probe-$sum.exe
  if [ ! -f "$jail$out" ]; then
    command -v x86_64-w64-mingw32-g++-posix >/dev/null ||
      fail "x86_64-w64-mingw32-g++-posix (MinGW-w64) is missing: run tools/install-deps.sh"
    mkdir -p "$jail/opt/tianti"
    x86_64-w64-mingw32-g++-posix -std=c++17 -O1 -municode -static -I"$root" \
      "$root/tools/wine-font-probe.cpp" "$root/ui/win32/fonts.cpp" -lgdi32 -o "$jail$out.$$"
    mv "$jail$out.$$" "$jail$out"
  fi
  echo "$out"
}

# The top of the project tree that holds DIR: a clone (CMakePresets.json and
# tools/wine10.sh) or a build tree (CMakeCache.txt); nothing when none does.
project_tree() {
  local dir=$1
  while :; do
    if [ -f "$dir/CMakeCache.txt" ] || { [ -f "$dir/CMakePresets.json" ] && [ -f "$dir/tools/wine10.sh" ]; }; then
      echo "$dir"
      return 0
    fi
    [ "$dir" != / ] || return 0
    dir=$(dirname "$dir")
  done
}

# Refuses a directory that, mounted at its own path, would cover files of the
# chroot: "/", or a path the chroot has with anything in it (its /usr, /etc,
# /usr/local, /opt ...). The mount points of earlier runs are empty.
check_bind() {
  local dir=$1
  case $dir in "$jail" | "$jail"/* | "$base" | "$base"/*) refuse "$dir is the chroot itself" ;; esac
  case $dir in /tmp/* | /dev/* | /sys/*) return 0 ;; esac  # inside the run's own mounts of these
  if [ "$dir" = / ] || [ -n "$(ls -A "$jail$dir" 2>/dev/null)" ]; then
    refuse "$dir would be mounted over the chroot's own $dir (the host's system would run, not Debian 13's); work in a project tree"
  fi
}

# run_in_chroot DIR BIND... -- COMMAND...
run_in_chroot() {
  setup
  exec 8>"$base/lock"
  flock -s 8  # no set-up while a run uses the chroot
  root_is_current || fail "the chroot at $jail is not ready"
  local arg
  for arg in "${@:2}"; do
    [ "$arg" != -- ] || break
    check_bind "$arg"
  done
  export probe_inside
  probe_inside=$(font_probe)
  exec unshare --mount --propagation private -- "$0" __inside run "$@"
}

case ${1:-} in
  __inside)
    shift
    probe_inside=${probe_inside:-}
    inside "$@"
    ;;
  setup)
    setup
    ;;
  ctest)
    shift
    build=$root/build/windows
    if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then build=$1; shift; fi
    case $build in /*) ;; *) build=$PWD/$build ;; esac
    [ -f "$build/CTestTestfile.cmake" ] ||
      fail "$build holds no built Windows tests: cmake --preset windows && cmake --build --preset windows"
    # The tree's own sources (its test commands name them), which may be
    # another clone's.
    source=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
    [ -f "$source/CMakePresets.json" ] || fail "the sources of $build ($source) are missing"
    run_in_chroot "$source" "$root" "$source" "$build" -- ctest --preset windows --test-dir "$build" "$@"
    ;;
  run)
    shift
    binds=("$root")
    while [ $# -gt 0 ]; do
      case $1 in
        --bind) binds+=("$(cd "${2:?--bind needs a directory}" && pwd)"); shift 2 ;;
        --bind=*) binds+=("$(cd "${1#--bind=}" && pwd)"); shift ;;
        --) shift; break ;;
        *) break ;;
      esac
    done
    [ $# -gt 0 ] || usage
    # The working directory must be in a project tree, not, say, /usr; the
    # tree is mounted too, unless a mount holds it already.
    here=""
    for dir in "${binds[@]}"; do
      case $PWD/ in "${dir%/}"/*) here=$dir ;; esac
    done
    if [ -z "$here" ]; then
      here=$(project_tree "$PWD")
      [ -n "$here" ] || refuse "run from a project tree (a clone, a build tree or a --bind DIR): $PWD is in none"
      binds+=("$here")
    fi
    run_in_chroot "$PWD" "${binds[@]}" -- "$@"
    ;;
  *) usage ;;
esac
