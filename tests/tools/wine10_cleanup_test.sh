#!/usr/bin/env bash
# tools/wine10.sh leaves nothing behind, whichever way a run ends: a command
# that succeeds, one that fails (its status is the run's), and one stopped
# by Ctrl-C (SIGINT to its process group) or by TERM. After each, no process
# of the run is left in the chroot (so its mount namespace, with every mount
# of the run, is gone), nothing of the chroot is mounted on the host, and
# the run's X display is released. While a run lasts, its display is taken
# on the host as well (lock file and socket), so that the host's Xvfb never
# picks the same number. Needs the chroot (tools/wine10.sh setup) and root.
set -euo pipefail
# Chroots and mounts need root.
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "$0: needs root (or sudo)" >&2; exit 1; }
  exec sudo --preserve-env=TIANTI_WINE10_DIR,TERM "$0" "$@"
fi
cd "$(dirname "$0")/../.."
jail=$(realpath -m "${TIANTI_WINE10_DIR:-/var/cache/tianti/wine10}")/root
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

in_chroot() {  # prints the processes whose root is the chroot
  local p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$jail" ] && echo "${p#/proc/} $(tr '\0' ' ' <"$p/cmdline" 2>/dev/null)"
  done
  return 0
}
expect_clean() {  # expect_clean CASE [DISPLAY]
  local left
  left=$(in_chroot)
  [ -z "$left" ] || fail "$1: processes left in the chroot: $left"
  ! grep -q " ${jail}[/ ]" /proc/self/mountinfo || fail "$1: the chroot is still mounted on the host"
  if [ -n "${2:-}" ] && [ -e "/tmp/.X$2-lock" ]; then fail "$1: display :$2 is still locked"; fi
}

# Success and failure.
# shellcheck disable=SC2016  # the run's DISPLAY
out=$(tools/wine10.sh run -- sh -c 'echo "$DISPLAY"')
case $out in :[0-9]*) ;; *) fail "success: no display in the run (got '$out')" ;; esac
expect_clean success "${out#:}"
status=0
tools/wine10.sh run -- sh -c 'exit 3' || status=$?
[ "$status" = 3 ] || fail "failure: exit status $status, expected 3"
expect_clean failure

# Stopped while it runs: Ctrl-C and TERM.
set -m  # the run gets a process group of its own, as in a terminal
for signal in INT TERM; do
  shown=$(mktemp)
  tools/wine10.sh run -- sh -c "echo \"\$DISPLAY\" >'$shown'; exec sleep 300" >/dev/null 2>&1 &
  run=$!
  for _ in $(seq 1 300); do
    [ -s "$shown" ] && in_chroot | grep -q 'sleep 300' && break
    sleep 0.1
  done
  display=$(cat "$shown")
  display=${display#:}
  if [ -z "$display" ]; then
    fail "$signal: the run did not start"
  else
    [ -e "/tmp/.X$display-lock" ] || fail "$signal: display :$display is not locked on the host"
    grep -q "@/tmp/.X11-unix/X$display\$" /proc/net/unix || fail "$signal: display :$display has no socket on the host"
  fi
  if [ $signal = INT ]; then kill -INT -- "-$run"; else kill -TERM "$run"; fi
  status=0
  wait "$run" || status=$?
  [ "$status" -ne 0 ] || fail "$signal: the stopped run reported success"
  expect_clean "$signal" "$display"
  rm -f "$shown"
done

[ $failures = 0 ] || exit 1
echo "wine10.sh clean-up: success, failure, Ctrl-C and TERM leave nothing behind"
