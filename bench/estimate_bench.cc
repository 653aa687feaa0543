// SPDX-License-Identifier: GPL-3.0-or-later
// The setting estimate's speed: one estimate with releases at 8000 games with the default 1000
// simulated runs per setting (building the model included), and 200 cases of different game
// counts judged against one model; and the exact history estimate of one 8000-game run, from
// each start (a known stock of 20 or 0, and everything unknown), with and without the pure misses;
// and what playing on is worth after a 3000-game history.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <tuple>
#include <utility>

#include "analysis/estimate.h"
#include "analysis/history.h"
#include "analysis/value.h"

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

// What a player saw of a run of `games` games (seed 7) whose setting and initial stock are the
// benchmark's first two arguments, and the start assumed: that stock, or unknown (-1) with the
// setting change unknown too.
std::pair<History, HistoryStart> SeenOf(const benchmark::State& bench, int32_t games) {
  RunPlan plan;
  plan.setting = static_cast<int>(bench.range(0));
  plan.games = games;
  plan.games_text = std::to_string(games);
  plan.stock = static_cast<int16_t>(std::max<int64_t>(bench.range(1), 0));
  plan.seed = 7;
  if (bench.range(1) < 0) return {HistoryOfRun(plan), {UnknownStock(), std::nullopt}};
  return {HistoryOfRun(plan), {{plan.stock}, false}};
}

// Arguments: the run's setting, its initial stock (-1: the start unknown), whether the pure misses
// are counted.
void BM_HistoryAt8000Games(benchmark::State& bench) {
  auto [history, start] = SeenOf(bench, 8000);
  if (bench.range(2) == 0) history.pure_misses.reset();
  for (auto _ : bench) {
    Posterior posterior;
    if (!EstimateFromHistory(history, start, kEqual, &posterior).ok()) std::abort();
    benchmark::DoNotOptimize(posterior);
  }
  bench.counters["releases"] = static_cast<double>(history.releases.size());
}
BENCHMARK(BM_HistoryAt8000Games)
    ->ArgsProduct({{1, 6}, {20, 0, -1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// How the cost grows with the releases: a history of N releases at random games of an 8000-game
// run (seeded, so the same every time), random kinds and triggers 不明, stock 20 or unknown (-1).
// A stretch costs the stocks that hold mass times the games it has, so the pass grows about as
// the releases times the stocks reached; counted pure misses multiply it by their slices.
void BM_HistoryOfManyReleases(benchmark::State& bench) {
  const auto releases = static_cast<size_t>(bench.range(0));
  std::mt19937 random(11);
  std::vector<int32_t> games(8000);
  std::iota(games.begin(), games.end(), 1);
  std::shuffle(games.begin(), games.end(), random);
  games.resize(releases);
  std::sort(games.begin(), games.end());
  History history{8000, {}, std::nullopt};
  for (const int32_t game : games) {
    history.releases.push_back({game, random() % 2 == 0, Trigger::kUnknown});
  }
  HistoryStart start{{20}, false};
  if (bench.range(1) < 0) start = {UnknownStock(), std::nullopt};
  for (auto _ : bench) {
    Posterior posterior;
    if (!EstimateFromHistory(history, start, kEqual, &posterior).ok()) std::abort();
    benchmark::DoNotOptimize(posterior);
  }
}
BENCHMARK(BM_HistoryOfManyReleases)
    ->ArgsProduct({{100, 1000, 8000}, {20, -1}})
    ->Unit(benchmark::kMillisecond);

// What playing on is worth after a 3000-game history with 5000 games left, the default rules and
// draws, on one thread. Arguments: the run's setting, its initial stock (-1: the start unknown).
void BM_ValueAt3000Games(benchmark::State& bench) {
  ValueQuestion question;
  std::tie(question.history, question.start) = SeenOf(bench, 3000);
  question.games_left = 5000;
  for (auto _ : bench) {
    Progress progress;
    ValueAnswer answer;
    if (!ValueOfPlaying(question, progress, &answer).ok()) std::abort();
    benchmark::DoNotOptimize(answer);
  }
  bench.counters["releases"] = static_cast<double>(question.history.releases.size());
}
BENCHMARK(BM_ValueAt3000Games)->ArgsProduct({{1, 6}, {20, 0, -1}})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tobiuo

BENCHMARK_MAIN();
