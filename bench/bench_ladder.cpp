// The 天梯图 of the whole GPU list: layout and SVG text, as tianti-cli
// --ladder --scope gpu and the page make them (BM_LadderGpu), and the same
// for the CPU list (BM_LadderCpu). The SVG's size in bytes is the counter
// "svg_bytes". tools/bench-report.sh sets BM_LadderGpu beside the core's
// worst query (bench_query.cpp) of the same run.
#include <benchmark/benchmark.h>

#include <string>

#include "query/ladder_svg.h"

namespace {

void Ladder(benchmark::State& state, tianti::query::Scope scope) {
  std::size_t bytes = 0;
  for ([[maybe_unused]] auto _ : state) {
    const std::string svg = tianti::query::LadderSvg(scope, tianti::query::Terms{}, {});
    bytes = svg.size();
    benchmark::DoNotOptimize(svg.data());
  }
  state.counters["svg_bytes"] = static_cast<double>(bytes);
}

void BM_LadderGpu(benchmark::State& state) { Ladder(state, tianti::query::Scope::kGpu); }
BENCHMARK(BM_LadderGpu);

void BM_LadderCpu(benchmark::State& state) { Ladder(state, tianti::query::Scope::kCpu); }
BENCHMARK(BM_LadderCpu);

}  // namespace
