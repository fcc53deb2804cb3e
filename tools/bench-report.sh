#!/usr/bin/env bash
# tools/bench-report.sh [--build DIR] [--quick] [--strict] [--no-gui] [--no-web] [--wine 8|10]
#
# Speed report: each line sets a figure of the program beside a yardstick
# measured in the same run, with their ratio and the goal for the ratio.
#
#   core  the worst query (rule e, nothing found, scope ALL, so every slot is
#         scanned) in the query core, against one memchr pass over the same
#         row bytes; tianti-bench, medians of interleaved repetitions.
#   resolve  one device-name resolution (the CLI's --compare, --near,
#         --mine: names as systems report them and buyers write them, in
#         turn) against the worst query in the core, both from one
#         tianti-bench run.
#   ladder  the ladder (天梯图) of the whole GPU list, layout and SVG text
#         (what tianti-cli --ladder --scope gpu prints), against the worst
#         query in the core, both from one tianti-bench run; the SVG's size
#         in bytes (GPU and CPU lists) is printed under the table.
#   cli   tianti-cli as a whole process against grep -F -i over data/*.txt,
#         for the same term: one found in many rows and one found in none;
#         hyperfine, medians.
#   page  the page (build/web/tianti.html, the web preset, built if needed)
#         in headless Chromium: from navigation to window.tiantiReady against
#         the same browser loading a plain HTML file of the same size; one
#         press of 查询 to the laid-out table (painted in the next frame)
#         against one 60 Hz frame; tools/bench-web.py, medians. --no-web
#         skips them.
#   gui   the Windows program under Wine: start-up against an empty window
#         (beside it the themed empty window and the 30 controls created
#         bare), a press of Query to the finished table, the .exe's size and
#         peak working set; tools/bench-gui.sh, run at the end (--no-gui
#         skips it). --wine 10 runs them under Debian 13's Wine 10
#         (tools/wine10.sh), --wine 8 (the default) under the host's Wine.
#
# Builds the native preset first if needed: the build directory is --build
# DIR, else TIANTI_BUILD_DIR, else build/native (the preset's); TIANTI_JOBS
# sets the build jobs (default 2). --quick takes fewer samples, for a smoke
# run; --strict makes the exit status 1 when a ratio misses its goal. The raw
# measurements (Google Benchmark and hyperfine JSON) are kept in the
# directory named by TIANTI_REPORT_DIR, if set.
#
# Adding a line: write a function that prints two times in nanoseconds, the
# figure's and the yardstick's, and register it with add_line (under "the
# lines" below); it can use $build, $samples and $raw (a directory for its
# raw output).
# The measuring functions are called through add_line's table:
# shellcheck disable=SC2317
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

build=${TIANTI_BUILD_DIR:-$root/build/native}
quick=0
strict=0
gui=1
web=1
wine_version=8
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=${2:?--build needs a directory}; shift 2 ;;
    --build=*) build=${1#--build=}; shift ;;
    --quick) quick=1; shift ;;
    --strict) strict=1; shift ;;
    --no-gui) gui=0; shift ;;
    --no-web) web=0; shift ;;
    --wine) wine_version=${2:?--wine needs 8 or 10}; shift 2 ;;
    --wine=*) wine_version=${1#--wine=}; shift ;;
    -h|--help) sed -n '2,/^# The measuring functions/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "usage: tools/bench-report.sh [--build DIR] [--quick] [--strict] [--no-gui] [--no-web] [--wine 8|10]" >&2; exit 2 ;;
  esac
done
case $build in /*) ;; *) build=$root/$build ;; esac

for tool in cmake hyperfine python3 grep; do
  command -v "$tool" >/dev/null || { echo "bench-report: $tool is missing (tools/install-deps.sh)" >&2; exit 1; }
done

# ---- build -------------------------------------------------------------------
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset native -B "$build" >/dev/null
fi
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
if [ "$build_type" != Release ]; then
  echo "bench-report: $build is a ${build_type:-default} build; figures are meant for Release" >&2
fi
cmake --build "$build" -j "${TIANTI_JOBS:-2}" --target tianti-bench tianti-cli >/dev/null

page=$root/build/web/tianti.html
if [ $web = 1 ]; then
  cmake --preset web >/dev/null && cmake --build --preset web -j "${TIANTI_JOBS:-2}" >/dev/null
fi

if [ -n "${TIANTI_REPORT_DIR:-}" ]; then
  raw=$TIANTI_REPORT_DIR
  mkdir -p "$raw"
else
  raw=$(mktemp -d)
  trap 'rm -rf "$raw"' EXIT
fi
if [ $quick = 1 ]; then samples=5; else samples=30; fi
export LC_ALL=C.UTF-8

# Prints the median of a JSON file's entry: json_median FILE KIND NAME, where
# KIND is "gbench" (NAME is the benchmark's run name; nanoseconds) or
# "hyperfine" (NAME is the index of the command; seconds, printed as ns).
json_median() {
  python3 - "$@" <<'EOF'
import json, sys
path, kind, name = sys.argv[1:4]
data = json.load(open(path))
if kind == "gbench":
    scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}
    for b in data["benchmarks"]:
        if b.get("run_name") == name and b.get("aggregate_name") == "median":
            print(b["real_time"] * scale[b["time_unit"]])
            break
    else:
        sys.exit("no median of " + name + " in " + path)
else:
    print(data["results"][int(name)]["median"] * 1e9)
EOF
}

# ---- the lines -----------------------------------------------------------------
labels=() yardsticks=() goals=() functions=()

# add_line LABEL YARDSTICK GOAL FUNCTION: GOAL is the largest ratio allowed.
add_line() {
  labels+=("$1") yardsticks+=("$2") goals+=("$3") functions+=("$4")
}

core_worst_query() {
  "$build/bench/tianti-bench" --benchmark_filter='^BM_(WorstQuery|Memchr)$' \
    --benchmark_repetitions="$samples" --benchmark_enable_random_interleaving=true \
    --benchmark_min_time=0.05 --benchmark_report_aggregates_only=true \
    --benchmark_out="$raw/core.json" --benchmark_out_format=json --benchmark_color=false \
    >"$raw/core.txt" 2>"$raw/core.err"
  echo "$(json_median "$raw/core.json" gbench BM_WorstQuery)" \
       "$(json_median "$raw/core.json" gbench BM_Memchr)"
}

resolve_name() {
  "$build/bench/tianti-bench" --benchmark_filter='^BM_(Resolve|WorstQuery)$' \
    --benchmark_repetitions="$samples" --benchmark_enable_random_interleaving=true \
    --benchmark_min_time=0.05 --benchmark_report_aggregates_only=true \
    --benchmark_out="$raw/resolve.json" --benchmark_out_format=json --benchmark_color=false \
    >"$raw/resolve.txt" 2>"$raw/resolve.err"
  echo "$(json_median "$raw/resolve.json" gbench BM_Resolve)" \
       "$(json_median "$raw/resolve.json" gbench BM_WorstQuery)"
}

ladder_gpu() {
  "$build/bench/tianti-bench" --benchmark_filter='^BM_(LadderGpu|LadderCpu|WorstQuery)$' \
    --benchmark_repetitions="$samples" --benchmark_enable_random_interleaving=true \
    --benchmark_min_time=0.05 --benchmark_report_aggregates_only=true \
    --benchmark_out="$raw/ladder.json" --benchmark_out_format=json --benchmark_color=false \
    >"$raw/ladder.txt" 2>"$raw/ladder.err"
  echo "$(json_median "$raw/ladder.json" gbench BM_LadderGpu)" \
       "$(json_median "$raw/ladder.json" gbench BM_WorstQuery)"
}

# cli_against_grep TERM: tianti-cli TERM, and grep -F -i TERM over the lists.
cli_against_grep() {
  local json=$raw/cli-$1.json
  hyperfine -N --ignore-failure --warmup 20 --runs $((samples * 10)) --export-json "$json" \
    "$build/cli/tianti-cli $1" "grep -F -i $1 data/cpu.txt data/gpu.txt" >/dev/null 2>&1
  echo "$(json_median "$json" hyperfine 0)" "$(json_median "$json" hyperfine 1)"
}
cli_ryzen() { cli_against_grep ryzen; }
cli_nothing() { cli_against_grep nosuchdevice; }

# The page in headless Chromium (Debian's selenium lives with /usr/bin/python3).
page_load() { /usr/bin/python3 tools/bench-web.py load "$page" "$samples" 2>"$raw/page-load.err"; }
page_query() { /usr/bin/python3 tools/bench-web.py query "$page" "$samples" 2>"$raw/page-query.err"; }

add_line "worst query in the core (rule e, nothing found)" "memchr over the same row bytes" 3 core_worst_query
add_line "one device-name resolution (system names)" "worst query in the core" 10 resolve_name
add_line "ladder SVG of the whole GPU list (layout + text)" "worst query in the core" 50 ladder_gpu
add_line "tianti-cli ryzen, whole process" "grep -F -i ryzen data/*.txt" 1.5 cli_ryzen
add_line "tianti-cli nosuchdevice, whole process" "grep -F -i nosuchdevice data/*.txt" 1.5 cli_nothing
if [ $web = 1 ]; then
  add_line "page: navigation to tiantiReady" "a plain HTML file of the same size" 3 page_load
  add_line "page: one query, press to the laid-out table" "one 60 Hz frame" 1 page_query
fi

# ---- the report ----------------------------------------------------------------
# A time in nanoseconds, in the unit that suits it.
human() {
  awk -v t="$1" 'BEGIN {
    if (t < 1e3) printf "%.0f ns", t; else if (t < 1e6) printf "%.1f us", t / 1e3;
    else if (t < 1e9) printf "%.2f ms", t / 1e6; else printf "%.2f s", t / 1e9 }'
}

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo 2>/dev/null | head -n 1)
echo "tianti speed report, $(date -u '+%Y-%m-%d %H:%M UTC'), ${cpu:-unknown processor}, $(nproc) processors"
echo "build: $build ($build_type)"
printf '%-50s %10s   %-38s %10s %8s %8s\n' "figure" "measured" "yardstick" "measured" "ratio" "goal"
missed=0
for i in "${!labels[@]}"; do
  measured="" yardstick=""
  read -r measured yardstick < <("${functions[$i]}") || true
  if ! awk -v a="$measured" -v b="$yardstick" 'BEGIN { exit !(a > 0 && b > 0) }'; then
    printf '%-50s %10s   %-38s %10s %8s %7s %s\n' "${labels[$i]}" "-" "${yardsticks[$i]}" "-" \
      "-" "<=${goals[$i]}x" "NOT MEASURED (raw output: ${TIANTI_REPORT_DIR:-set TIANTI_REPORT_DIR})"
    missed=1
    continue
  fi
  ratio=$(awk -v a="$measured" -v b="$yardstick" 'BEGIN { printf "%.2f", a / b }')
  verdict=$(awk -v r="$ratio" -v g="${goals[$i]}" 'BEGIN { print (r <= g) ? "met" : "MISSED" }')
  [ "$verdict" = met ] || missed=1
  printf '%-50s %10s   %-38s %10s %7sx %7s %s\n' "${labels[$i]}" "$(human "$measured")" \
    "${yardsticks[$i]}" "$(human "$yardstick")" "$ratio" "<=${goals[$i]}x" "$verdict"
done
if [ -f "$raw/core.txt" ]; then
  sed -e 's/\x1b\[[0-9;]*m//g' "$raw/core.txt" |
    sed -n 's/^worst query .*(\(.*\) filter).*/row filter in use: \1/p'
fi

if [ $web = 1 ] && [ -f "$page" ]; then
  size=$(stat -c %s "$page")
  verdict=$([ "$size" -le 2097152 ] && echo met || echo MISSED)
  [ "$verdict" = met ] || missed=1
  echo "page size: build/web/tianti.html $size bytes (goal: at most 2 MB = 2097152) $verdict"
fi

# The ladder's SVG size, from the same run's counters.
if [ -f "$raw/ladder.json" ]; then
  python3 - "$raw/ladder.json" <<'EOF'
import json, sys
sizes = {b["run_name"]: int(b["svg_bytes"]) for b in json.load(open(sys.argv[1]))["benchmarks"]
         if b.get("aggregate_name") == "median" and "svg_bytes" in b}
gpu, cpu = sizes.get("BM_LadderGpu"), sizes.get("BM_LadderCpu")
if gpu and cpu:
    print(f"ladder SVG size: whole GPU list {gpu} bytes ({gpu / 1024:.0f} KiB), "
          f"whole CPU list {cpu} bytes ({cpu / 1024:.0f} KiB)")
EOF
fi

# The Windows program's figures (start-up, Query press, size, working set)
# under Wine, from tools/bench-gui.sh, in the same run.
if [ $gui = 1 ]; then
  echo
  gui_args=(--wine "$wine_version")
  [ $quick = 1 ] && gui_args+=(--quick)
  [ $strict = 1 ] && gui_args+=(--strict)
  tools/bench-gui.sh "${gui_args[@]}" || missed=1
fi
if [ $strict = 1 ] && [ $missed = 1 ]; then exit 1; fi
exit 0
