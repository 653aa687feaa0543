// Speed of one 6000-game run (setting 6, stock 20): through a panel that discards all output, and
// through the recording panel that keeps every log line, chart point and the summary.
#include <benchmark/benchmark.h>

#include "engine/random_source.h"
#include "engine/recording_panel.h"
#include "engine/run_command.h"
#include "engine/sim_state.h"

namespace tobiuo {
namespace {

RunPlan Plan() {
  RunPlan plan;
  plan.setting = "6";
  plan.games = 6000;
  plan.games_text = "6000";
  plan.stock = 20;
  return plan;
}

template <typename MakePanel>
void RunBenchmark(benchmark::State& bench, MakePanel make_panel) {
  const RunPlan plan = Plan();
  uint32_t seed = 1;
  int64_t games = 0;
  for (auto _ : bench) {
    SimState state;
    auto panel = make_panel();
    Mt19937Source random(seed++);
    const RunOutcome outcome = PlayRun(state, panel, random, plan);
    benchmark::DoNotOptimize(outcome.result.figures.CoinDiff);
    games += outcome.result.games_bet;
  }
  bench.counters["games/s"] = benchmark::Counter(static_cast<double>(games), benchmark::Counter::kIsRate);
}

void BM_Run6000Silent(benchmark::State& bench) {
  RunBenchmark(bench, [] { return SilentPanel(); });
}
BENCHMARK(BM_Run6000Silent)->Unit(benchmark::kMicrosecond);

void BM_Run6000Recorded(benchmark::State& bench) {
  RunBenchmark(bench, [] { return RecordingPanel(); });
}
BENCHMARK(BM_Run6000Recorded)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tobiuo

BENCHMARK_MAIN();
