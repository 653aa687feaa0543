// SPDX-License-Identifier: GPL-3.0-or-later
// Batch speed: games per second with one and with two worker threads (the ratio of the two is the
// speed-up), for 8000-game runs of all six settings with stock 20.
#include <benchmark/benchmark.h>

#include "analysis/batch.h"

namespace tobiuo {
namespace {

void BM_Batch(benchmark::State& bench) {
  BatchOptions options;
  options.plan.games = 8000;
  options.runs = 100;
  options.threads = static_cast<unsigned>(bench.range(0));
  options.bands = bench.range(1) != 0;
  int64_t games = 0;
  for (auto _ : bench) {
    Progress progress;
    std::vector<SettingStats> stats;
    if (!RunBatch(options, progress, &stats).ok()) bench.SkipWithError("stopped");
    for (const SettingStats& s : stats) games += s.Whole(Figure::kGamesBet);
    ++options.seed;
  }
  bench.counters["games/s"] =
      benchmark::Counter(static_cast<double>(games), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Batch)
    ->ArgNames({"threads", "bands"})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({1, 1})
    ->Args({2, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace tobiuo

BENCHMARK_MAIN();
