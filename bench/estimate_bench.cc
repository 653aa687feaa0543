// SPDX-License-Identifier: GPL-3.0-or-later
// The setting estimate's speed: one estimate with releases at 8000 games with the default 1000
// simulated runs per setting (building the model included), and 200 cases of different game
// counts judged against one model.
#include <benchmark/benchmark.h>

#include "analysis/estimate.h"

namespace tobiuo {
namespace {

constexpr Prior kEqual = {1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6};

ReleaseModel Build(uint32_t seed) {
  Progress progress;
  ReleaseModel model;
  if (!ReleaseModel::Build({{}, 8000, 1000, seed}, 2, progress, &model).ok()) std::abort();
  return model;
}

void BM_EstimateWithReleases(benchmark::State& bench) {
  uint32_t seed = 1;
  for (auto _ : bench) {
    const ReleaseModel model = Build(seed++);
    benchmark::DoNotOptimize(Estimate({8000, 20, 40, 20, 25}, kEqual, &model));
  }
}
BENCHMARK(BM_EstimateWithReleases)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TwoHundredCases(benchmark::State& bench) {
  uint32_t seed = 1;
  for (auto _ : bench) {
    const ReleaseModel model = Build(seed++);
    for (int32_t i = 0; i < 200; ++i) {
      const int32_t games = 40 * (i + 1);
      benchmark::DoNotOptimize(
          Estimate({games, games / 700, games / 150, games / 300, games / 200}, kEqual, &model));
    }
  }
}
BENCHMARK(BM_TwoHundredCases)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tobiuo

BENCHMARK_MAIN();
