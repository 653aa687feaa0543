// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of one 6000-game run (setting 6, stock 20): keeping the figures only, as a batch does, and
// keeping the whole record (every log line, chart row and the summary), as the window does.
#include <benchmark/benchmark.h>

#include "engine/run.h"

namespace tobiuo {
namespace {

void RunBenchmark(benchmark::State& bench, Keep keep) {
  RunPlan plan;
  int64_t games = 0;
  for (auto _ : bench) {
    ++plan.seed;
    const RunRecord record = PlayRun(plan, keep);
    benchmark::DoNotOptimize(record.figures.CoinDiff);
    games += record.figures.GamesBet;
  }
  bench.counters["games/s"] =
      benchmark::Counter(static_cast<double>(games), benchmark::Counter::kIsRate);
}

void BM_Run6000Figures(benchmark::State& bench) { RunBenchmark(bench, Keep::kFigures); }
BENCHMARK(BM_Run6000Figures)->Unit(benchmark::kMicrosecond);

void BM_Run6000Record(benchmark::State& bench) { RunBenchmark(bench, Keep::kRecord); }
BENCHMARK(BM_Run6000Record)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tobiuo

BENCHMARK_MAIN();
