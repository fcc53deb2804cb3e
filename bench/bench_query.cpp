// The worst query against one memchr pass over the same row text.
//
// The worst query is rule e (the main term and three OR terms) with no match,
// so the scan visits every one of the 4736 slots. It runs through the real
// Form1 with the in-memory services, exactly as a press of Query does, with
// the row filter this processor gets (BM_WorstQuery) and with each filter
// implementation it has (BM_WorstQueryOn/path:N, labelled). The yardstick is
// memchr over the UTF-16 text of both lists as bytes, looking for a byte
// value that does not occur in it, so it too reads everything.
//
// At the end of the run the ratio of the worst query to memchr is printed
// from the medians; tools/bench-report.sh reads the same figures from the
// JSON output (--benchmark_out).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/form1.h"
#include "data/ranking_rows.h"
#include "query/row_search.h"
#include "ui/memory_services.h"

namespace {

using tianti::ui::Ctl;

struct Setup {
  tianti::ui::MemoryServices ui;
  tianti::Form1 form{ui};
  Setup() {
    ui.SetSink(&form);
    form.Form_Load();
    // Plausible names that are in neither list.
    ui.SetText(Ctl::Text1, u"geforce rtx 9090");
    ui.SetText(Ctl::Text5, u"radeon rx 9990");
    ui.SetText(Ctl::Text6, u"core i11");
    ui.SetText(Ctl::Text7, u"ryzen 13");
  }
};

void RunWorstQuery(benchmark::State& state) {
  Setup s;
  for ([[maybe_unused]] auto _ : state) {
    s.form.Command2_Click();
    benchmark::DoNotOptimize(s.form.ResultCount);
  }
  // Rule e with no match: the table head alone, and all slots visited.
  if (s.form.ResultCount != 0 || s.form.ScanIndex != 4737 || !s.ui.messages().empty()) {
    state.SkipWithError("the benchmark query matched something");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          (tianti::data::kCpuRows.start[tianti::data::kCpuRows.count] +
                           tianti::data::kGpuRows.start[tianti::data::kGpuRows.count]) *
                          2);
}

void BM_WorstQuery(benchmark::State& state) { RunWorstQuery(state); }
BENCHMARK(BM_WorstQuery);

void BM_WorstQueryOn(benchmark::State& state) {
  using tianti::query::ScanPath;
  const ScanPath path = static_cast<ScanPath>(state.range(0));
  const char* const names[] = {"portable", "SSE2", "AVX2"};
  state.SetLabel(names[state.range(0)]);
  const ScanPath saved = tianti::query::ActiveScanPath();
  if (!tianti::query::UseScanPath(path)) {
    state.SkipWithError("this filter is not available on this processor");
    return;
  }
  RunWorstQuery(state);
  tianti::query::UseScanPath(saved);
}
BENCHMARK(BM_WorstQueryOn)
    ->ArgName("path")
    ->Arg(static_cast<int>(tianti::query::ScanPath::kPortable))
    ->Arg(static_cast<int>(tianti::query::ScanPath::kSse2))
    ->Arg(static_cast<int>(tianti::query::ScanPath::kAvx2));

void BM_Memchr(benchmark::State& state) {
  const tianti::data::RowList* lists[] = {&tianti::data::kCpuRows, &tianti::data::kGpuRows};
  // A byte value that occurs in neither text, so every pass reads all bytes.
  std::array<bool, 256> seen{};
  std::size_t total = 0;
  for (const auto* list : lists) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(list->text);
    const std::size_t size = list->start[list->count] * sizeof(char16_t);
    for (std::size_t i = 0; i < size; ++i) seen[bytes[i]] = true;
    total += size;
  }
  int absent = -1;
  for (int b = 255; b >= 0 && absent < 0; --b) {
    if (!seen[static_cast<std::size_t>(b)]) absent = b;
  }
  if (absent < 0) {
    state.SkipWithError("every byte value occurs in the row text");
    return;
  }
  for ([[maybe_unused]] auto _ : state) {
    for (const auto* list : lists) {
      const void* hit = std::memchr(list->text, absent, list->start[list->count] * sizeof(char16_t));
      benchmark::DoNotOptimize(hit);
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * total));
}
BENCHMARK(BM_Memchr);

// Keeps the console output and collects each benchmark's time per
// iteration, so the ratio can be printed at the end of the same run (with
// --benchmark_repetitions, from the medians).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const std::string& name = run.run_name.function_name;
      if (run.run_type == Run::RT_Iteration) {
        ns_[name].push_back(run.GetAdjustedRealTime());
      } else if (run.aggregate_name == "median") {
        median_[name] = run.GetAdjustedRealTime();
      }
    }
  }

  // The median time of a benchmark, 0 when it did not run.
  double Median(const std::string& name) const {
    if (const auto m = median_.find(name); m != median_.end()) return m->second;
    const auto it = ns_.find(name);
    if (it == ns_.end() || it->second.empty()) return 0;
    std::vector<double> times = it->second;
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
  }

 private:
  std::map<std::string, std::vector<double>> ns_;
  std::map<std::string, double> median_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const double query = reporter.Median("BM_WorstQuery");
  const double scan = reporter.Median("BM_Memchr");
  if (query > 0 && scan > 0) {
    const char* const names[] = {"portable", "SSE2", "AVX2"};
    std::printf("worst query %.0f ns (%s filter), memchr %.0f ns, ratio %.1f\n", query,
                names[static_cast<int>(tianti::query::ActiveScanPath())], scan, query / scan);
  }
  return 0;
}
