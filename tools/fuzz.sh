#!/usr/bin/env bash
# tools/fuzz.sh [SECONDS] [TARGET...]
#
# Builds the libFuzzer targets (preset fuzz) and runs each one, a single job,
# for SECONDS (default 60), starting from its seed corpus fuzz/corpus/<target>.
# Targets: fuzz_rowcheck, fuzz_query, fuzz_resolve (default: all). Prints the
# executions each target reached. New corpus entries go to a temporary directory that is
# removed at the end, unless TIANTI_FUZZ_CORPUS names a directory to keep
# them in (one subdirectory per target).
#
# Exits non-zero when a build fails or a target crashes (a sanitizer report,
# a failed check, a run over 10 s, or over 2 GB of memory); the input that
# did it is kept as <build dir>/artifacts/<target>-crash-... and the report
# is printed.
#
# Environment: TIANTI_FUZZ_BUILD_DIR (default build/fuzz), TIANTI_FUZZ_CORPUS,
# TIANTI_JOBS (build jobs, default the number of processors).
set -euo pipefail
cd "$(dirname "$0")/.."

all_targets=(fuzz_rowcheck fuzz_query fuzz_resolve)
seconds=${1:-60}
[ $# -gt 0 ] && shift
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: tools/fuzz.sh [SECONDS] [TARGET...]   (targets: ${all_targets[*]})" >&2
  exit 2
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")
for t in "${targets[@]}"; do
  if ! [[ " ${all_targets[*]} " == *" $t "* ]]; then
    echo "tools/fuzz.sh: unknown target $t (targets: ${all_targets[*]})" >&2
    exit 2
  fi
done

build_dir=${TIANTI_FUZZ_BUILD_DIR:-build/fuzz}
jobs=${TIANTI_JOBS:-$(nproc)}
cmake --preset fuzz -B "$build_dir"
cmake --build "$build_dir" -j "$jobs" --target "${targets[@]}"

work=$(mktemp -d "${TMPDIR:-/tmp}/tianti-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
artifacts=$build_dir/artifacts
mkdir -p "$artifacts"

status=0
summary=()
for t in "${targets[@]}"; do
  if [ -n "${TIANTI_FUZZ_CORPUS:-}" ]; then
    corpus=$TIANTI_FUZZ_CORPUS/$t
  else
    corpus=$work/$t
  fi
  mkdir -p "$corpus"
  log=$work/$t.log
  echo "== $t: ${seconds} s"
  rc=0
  "$build_dir/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$artifacts/$t-" "$corpus" "fuzz/corpus/$t" \
    >"$log" 2>&1 || rc=$?
  execs=$(awk '/^stat::number_of_executed_units:/ {print $2}' "$log" | tail -n 1)
  rate=$(awk '/^stat::average_exec_per_sec:/ {print $2}' "$log" | tail -n 1)
  if [ "$rc" -ne 0 ]; then
    status=1
    # The report: from the first complaint (a failed check, a sanitizer,
    # libFuzzer itself) 40 lines on, then where the input was written.
    awk '/^(fuzz_[a-z]+: |==[0-9]+== ?ERROR|.*runtime error: )/ && !on {on = 1}
         on && n++ < 40' "$log"
    grep -E "^(SUMMARY|artifact_prefix)" "$log" || tail -n 20 "$log"
    summary+=("$t: FAILED (exit $rc) after ${execs:-?} executions; input in $artifacts/")
  else
    summary+=("$t: ${execs:-?} executions in ${seconds} s (${rate:-?}/s)")
  fi
done

echo "== fuzzing summary"
printf '%s\n' "${summary[@]}"
exit "$status"
