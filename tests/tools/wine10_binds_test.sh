#!/usr/bin/env bash
# tools/wine10.sh run mounts only project trees into the chroot: started from
# a system directory ("/", /usr) it refuses with exit 2 and a one-line reason
# before anything is made or mounted (mounted there, the host's Wine would run
# instead of Debian 13's), and so does a --bind DIR that would cover the
# chroot's own files. From inside the clone, or from a build tree elsewhere,
# the command runs under Wine 10 in that directory, the whole tree visible.
# Needs the chroot (tools/wine10.sh setup) and root.
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "$0: needs root (or sudo)" >&2; exit 1; }
  exec sudo --preserve-env=TIANTI_WINE10_DIR,TERM "$0" "$@"
fi
cd "$(dirname "$0")/../.."
root=$PWD
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
scratch=$(mktemp -d -p /var/tmp)
trap 'rm -rf "$scratch"' EXIT

# refused CASE DIR ARGS...: wine10.sh run ARGS from DIR exits 2 with one line
# on standard error, and its command never runs.
refused() {
  local name=$1 dir=$2 status=0 err
  shift 2
  rm -f "$scratch/ran"
  err=$(cd "$dir" && "$root/tools/wine10.sh" run "$@" -- touch "$scratch/ran" 2>&1 >/dev/null) || status=$?
  [ "$status" = 2 ] || fail "$name: exit status $status, expected 2"
  [ "$(wc -l <<<"$err")" = 1 ] && [ "${err#wine10.sh: }" != "$err" ] || fail "$name: expected one line of reason, got: $err"
  [ ! -e "$scratch/ran" ] || fail "$name: the command ran"
}

# A working directory outside every project tree is refused before the chroot
# is even looked at: an empty TIANTI_WINE10_DIR stays empty.
empty=$scratch/no-chroot
mkdir "$empty"
TIANTI_WINE10_DIR=$empty refused "run from /" /
TIANTI_WINE10_DIR=$empty refused "run from /usr" /usr
[ -z "$(ls -A "$empty")" ] || fail "a refused run made files in TIANTI_WINE10_DIR: $(ls -A "$empty")"
# Binds that would cover the chroot's own tree.
refused "--bind /usr" "$root" --bind /usr
refused "--bind /usr/local" "$root" --bind /usr/local
refused "--bind /" "$root" --bind /

# Accepted: a subdirectory of the clone, and a build tree outside it (the
# whole tree is mounted, so its files are there under Wine 10).
out=$(cd "$root/tests" && "$root/tools/wine10.sh" run -- sh -c 'pwd; cat /etc/tianti-wine; wine --version' 2>/dev/null) ||
  fail "run from the clone's tests/ failed"
[ "$(sed -n '1,2p' <<<"$out")" = "$(printf '%s\nwine10' "$root/tests")" ] && grep -q '^wine-10\.' <<<"$out" ||
  fail "run from the clone's tests/: got '$out'"
echo tree-marker >"$scratch/CMakeCache.txt"
mkdir "$scratch/sub"
out=$(cd "$scratch/sub" && "$root/tools/wine10.sh" run -- sh -c 'pwd; cat ../CMakeCache.txt; wine --version' 2>/dev/null) ||
  fail "run from a build tree outside the clone failed"
[ "$(sed -n '1,2p' <<<"$out")" = "$(printf '%s\ntree-marker' "$scratch/sub")" ] && grep -q '^wine-10\.' <<<"$out" ||
  fail "run from a build tree outside the clone: got '$out'"

[ $failures = 0 ] || exit 1
echo "wine10.sh binds: system directories refused (exit 2), project trees run under Wine 10"
