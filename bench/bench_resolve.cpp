// One device-name resolution (query/resolver.h), as --compare, --near and
// --mine make one per name: names as Windows, Linux and browsers report
// processors and adapters, and as buyers write them (BM_Resolve), and names that fit many rows without a model number
// (BM_ResolveGeneric), which read the most rows. Each iteration resolves the
// next name of its set in scope ALL; the time is per resolution.
// tools/bench-report.sh sets BM_Resolve beside the core's worst query
// (bench_query.cpp) of the same run.
#include <benchmark/benchmark.h>

#include <iterator>

#include "query/resolver.h"

namespace {

constexpr const char16_t* kSystemNames[] = {
    u"Intel(R) Core(TM) i7-7700 CPU @ 3.60GHz",
    u"13th Gen Intel(R) Core(TM) i9-13900K",
    u"AMD Ryzen 9 7950X 16-Core Processor",
    u"AMD Ryzen 7 7840HS w/ Radeon 780M Graphics",
    u"NVIDIA GeForce RTX 4090",
    u"AMD Radeon RX 580 Series",
    u"Intel(R) UHD Graphics 620",
    u"Radeon RX 470/480/570/570X/580/580X/590",
    u"NVIDIA GeForce RTX 3070 Mobile / Max-Q",
    u"ANGLE (NVIDIA, NVIDIA GeForce GTX 1060 6GB Direct3D11 vs_5_0 ps_5_0, D3D11)",
    u"13900K",
};

constexpr const char16_t* kGenericNames[] = {
    u"AMD EPYC",
    u"Intel(R) Xeon(R) Processor",
    u"AMD Radeon(TM) Graphics",
    u"显卡",
};

template <std::size_t N>
void ResolveEach(benchmark::State& state, const char16_t* const (&names)[N], bool some_resolve) {
  std::size_t next = 0;
  int resolved = 0;
  for (auto _ : state) {
    const tianti::query::Resolution r = tianti::query::Resolve(names[next], tianti::query::Scope::kAll);
    resolved += r.row ? 1 : 0;
    benchmark::DoNotOptimize(r);
    next = (next + 1) % N;
  }
  // The system names are real devices: most have their row.
  if (some_resolve && state.iterations() >= static_cast<benchmark::IterationCount>(N) && resolved == 0) {
    state.SkipWithError("no system name resolved");
  }
}

void BM_Resolve(benchmark::State& state) { ResolveEach(state, kSystemNames, true); }
BENCHMARK(BM_Resolve);

void BM_ResolveGeneric(benchmark::State& state) { ResolveEach(state, kGenericNames, false); }
BENCHMARK(BM_ResolveGeneric);

}  // namespace
