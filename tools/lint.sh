#!/usr/bin/env bash
# The house rules, kept by tools (clang-format and clang-tidy, Debian's 14):
#   tools/lint.sh format          reformat every tracked C++ file in place
#   tools/lint.sh format-check    fail, naming them, if clang-format would change any
#   tools/lint.sh tidy [native|windows]...
#                                 clang-tidy (.clang-tidy) over the project's own sources of
#                                 that build (both when none is named); any warning fails
#   tools/lint.sh check           format-check, then tidy of both builds (tools/test.sh runs this)
# Tidy configures the preset first (so its compile database is current), and
# reads the Windows build with clang's MinGW target and the MinGW headers.
# Files run in parallel, one a core (LINT_JOBS to change it).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${LINT_JOBS:-$(nproc)}

cxx_files() {
  git ls-files -z -- '*.cpp' '*.h'
}

format() {
  cxx_files | xargs -0 -r clang-format -i --style=file
}

format_check() {
  local out
  # One error a file at most; the names are taken from the messages.
  if out=$(cxx_files | xargs -0 -r clang-format --dry-run --Werror --ferror-limit=1 --style=file 2>&1); then
    echo "format: every tracked C++ file is formatted"
    return 0
  fi
  local bad
  bad=$(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' <<<"$out" | sort -u)
  if [ -z "$bad" ]; then
    printf '%s\n' "$out" >&2
    echo "format: clang-format failed" >&2
  else
    echo "format: clang-format would change $(wc -l <<<"$bad") file(s) (tools/lint.sh format fixes them):" >&2
    sed 's/^/  /' <<<"$bad" >&2
  fi
  return 1
}

# The tracked sources of a compile database, each once.
db_sources() {
  python3 - "$root" "$1" <<'EOF'
import json, os, subprocess, sys
root = sys.argv[1]
tracked = set(subprocess.check_output(["git", "ls-files", "*.cpp"], cwd=root, text=True).split())
with open(sys.argv[2]) as f:
    files = {os.path.relpath(os.path.join(e["directory"], e["file"]), root) for e in json.load(f)} & tracked
print("\n".join(sorted(files)))
EOF
}

tidy() {
  local build=$1 db=build/$1/compile_commands.json
  # Configuring again keeps the compile database current (a few seconds).
  cmake --preset "$build" >/dev/null || return 1
  local args=(-p "build/$build" --quiet)
  local files
  if [ "$build" = windows ]; then
    # Clang 14 does not find the C++ headers of Debian's MinGW GCC (its
    # version directory is "12-posix"), so they are named here, in the
    # compiler's own order.
    args+=(--extra-arg=--target=x86_64-w64-mingw32)
    local dir
    while read -r dir; do
      args+=("--extra-arg=-isystem$dir")
    done < <(x86_64-w64-mingw32-g++-posix -xc++ -E -v /dev/null 2>&1 | sed -n 's|^ \(/.*/c++.*\)$|\1|p')
  fi
  # Every source of the build, those the native build compiles as well: their
  # _WIN32 branches (cli/main.cpp's wmain, query/upcase_portable.cpp) are
  # only seen here.
  files=$(db_sources "$db") || return 1
  if [ -z "$files" ]; then
    echo "tidy $build: no sources in $db" >&2
    return 1
  fi
  echo "tidy $build: $(wc -w <<<"$files") files"
  local log
  log=$(mktemp)
  # clang-tidy fails on a warning (WarningsAsErrors); each file's output is
  # kept whole, and shown after the run when anything failed.
  if ! xargs -r -P "$jobs" -n 1 sh -c 'out=$(clang-tidy "$@" 2>&1) || { printf "%s\n" "$out"; exit 1; }' tidy "${args[@]}" \
    <<<"$files" >"$log"; then
    grep -v -E '^[0-9]+ (warnings?|errors?)( and [0-9]+ errors?)? generated\.$' "$log" >&2 || true
    rm -f "$log"
    echo "tidy $build: clang-tidy found problems (above)" >&2
    return 1
  fi
  rm -f "$log"
  echo "tidy $build: no warnings"
}

case ${1:-check} in
  format) format ;;
  format-check) format_check ;;
  tidy)
    shift
    builds=("$@")
    [ ${#builds[@]} -gt 0 ] || builds=(native windows)
    status=0
    for b in "${builds[@]}"; do
      tidy "$b" || status=1
    done
    exit $status
    ;;
  check)
    status=0
    format_check || status=1
    tidy native || status=1
    tidy windows || status=1
    exit $status
    ;;
  *)
    sed -n '2,11p' "$0" >&2
    exit 2
    ;;
esac
