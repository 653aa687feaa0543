// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>

#include "engine/summary.h"
#include "tests/support.h"

namespace tobiuo {
namespace {

RunPlan Plan(int setting, int32_t games, uint32_t seed = 0) {
  return testing::PlanOf({.setting = setting, .seed = seed}, games);
}

RunFigures SingleRun(const RunPlan& plan) {
  const RunRecord record = PlayRun(plan, Keep::kFigures);
  EXPECT_TRUE(record.finished());
  return record.figures;
}

std::vector<SettingStats> Batch(const std::vector<int>& settings, uint64_t runs, uint32_t seed,
                                unsigned threads, int32_t games = 1000, double quit = 0) {
  BatchOptions options;
  options.plan = Plan(6, games);
  options.plan.quit = quit;
  options.bands = true;
  options.settings = settings;
  options.runs = runs;
  options.seed = seed;
  options.threads = threads;
  Progress progress;
  std::vector<SettingStats> stats;
  EXPECT_TRUE(RunBatch(options, progress, &stats).ok());
  return stats;
}

RunRecord Synthetic(int16_t diff, int32_t games_bet = 10) {
  RunRecord r;
  r.figures.CoinDiff = diff;
  r.figures.ExchangeRate = 5;
  r.figures.GamesBet = games_bet;
  return r;
}

SettingStats FinishRuns(const std::vector<RunRecord>& runs, uint64_t overflow_runs = 0) {
  SettingTally tally, more;
  for (size_t i = 0; i < runs.size(); ++i) {
    SettingTally& half = i % 2 ? tally : more;  // two halves, merged as two shards' tallies are
    half.sums.Add(runs[i]);
    half.final_diffs.Add(runs[i].figures.CoinDiff);
  }
  more.sums[Sum::kOverflowRuns] = overflow_runs;
  EXPECT_TRUE(tally.Merge(more));
  tally.setting = 1;
  return Finish(tally, 10);
}

TEST(BatchTest, RunIIsTheSingleRunWithSeedPlusI) {
  const uint32_t seed = 4294967294u;  // the third run's seed wraps to 0
  for (uint32_t i = 0; i < 3; ++i) {
    const SettingStats one = Batch({3}, 1, seed + i, 1).at(0);
    const RunFigures single = SingleRun(Plan(3, 1000, seed + i));
    EXPECT_EQ(one.Real(Figure::kCoinDiffMean), single.CoinDiff);
    EXPECT_EQ(one.Real(Figure::kBigMean), single.BigReleases);
    EXPECT_EQ(one.Real(Figure::kRegMean), single.RegReleases);
    EXPECT_EQ(one.Real(Figure::kBalanceYenMean), Balance(single));
    EXPECT_EQ(one.Whole(Figure::kGamesBet), single.GamesBet);
  }
}

TEST(BatchTest, StatisticsMatchTheirRunsWorkedOutDirectly) {
  const uint32_t seed = 77;
  const size_t n = 40;
  const double dn = static_cast<double>(n);
  for (const SettingStats& s : Batch({2, 5}, n, seed, 2)) {
    std::vector<double> diffs, ins, outs;
    double in = 0, out = 0, balance = 0, wins = 0, misses = 0, heaven = 0, releases = 0;
    for (size_t i = 0; i < n; ++i) {
      const RunRecord run =
          PlayRun(Plan(s.setting, 1000, seed + static_cast<uint32_t>(i)), Keep::kFigures);
      const RunFigures& r = run.figures;
      misses += run.pure_misses();
      heaven += r.HeavenModeCount;
      releases += r.Releases;
      diffs.push_back(r.CoinDiff);
      ins.push_back(3.0 * r.GamesBet);
      outs.push_back(ins.back() + r.CoinDiff);
      in += ins.back();
      out += outs.back();
      balance += Balance(r);
      wins += r.CoinDiff > 0;
    }
    const double ratio = out / in, mean = (out - in) / dn;
    double e2 = 0, var = 0;
    for (size_t i = 0; i < n; ++i) {
      e2 += (outs[i] - ratio * ins[i]) * (outs[i] - ratio * ins[i]);
      var += (diffs[i] - mean) * (diffs[i] - mean) / (dn - 1);
    }
    const double se = std::sqrt(e2 / (dn * (dn - 1))) * dn / in;
    std::sort(diffs.begin(), diffs.end());
    EXPECT_EQ(s.Whole(Figure::kCoinsOut) - s.Whole(Figure::kCoinsIn),
              static_cast<int64_t>(out - in));
    EXPECT_NEAR(s.Real(Figure::kPayoutRatio), ratio, 1e-12);
    EXPECT_NEAR(s.Real(Figure::kPayoutRatioLow), ratio - 1.96 * se, 1e-9);
    EXPECT_NEAR(s.Real(Figure::kPayoutRatioHigh), ratio + 1.96 * se, 1e-9);
    EXPECT_NEAR(s.Real(Figure::kCoinDiffMean), mean, 1e-9);
    EXPECT_NEAR(s.Real(Figure::kCoinDiffSd), std::sqrt(var), 1e-9);
    EXPECT_EQ(s.Whole(Figure::kCoinDiffMin) + s.Whole(Figure::kCoinDiffMax),
              diffs.front() + diffs.back());
    // Nearest ranks of 40 values: 2, 10, 20, 30 and 38.
    const std::pair<Figure, size_t> ranks[] = {{Figure::kCoinDiffP5, 2},
                                               {Figure::kCoinDiffP25, 10},
                                               {Figure::kCoinDiffP50, 20},
                                               {Figure::kCoinDiffP75, 30},
                                               {Figure::kCoinDiffP95, 38}};
    for (const auto& [figure, rank] : ranks) EXPECT_EQ(s.Real(figure), diffs[rank - 1]);
    EXPECT_DOUBLE_EQ(s.Real(Figure::kWinRate), wins / dn);
    EXPECT_DOUBLE_EQ(s.Real(Figure::kBalanceYenMean), balance / dn);
    EXPECT_DOUBLE_EQ(s.Real(Figure::kPureMissRate), misses / (in / 3));
    EXPECT_DOUBLE_EQ(s.Real(Figure::kHeavenShare), heaven / releases);
    EXPECT_DOUBLE_EQ(s.Real(Figure::kReleasesMean), releases / dn);
  }
}

// Row k of the bands holds the nearest-rank percentiles of row k of the runs' charts, a run that
// quit early counting its final coin difference on the rows it did not reach.
TEST(BatchTest, BandsAreThePercentilesOfTheRunsChartRows) {
  const uint32_t seed = 11;
  const size_t n = 40;
  const std::vector<SettingStats> two = Batch({4}, n, seed, 2, 1050, 400);
  ASSERT_EQ(two.at(0).bands.size(), 12u);
  EXPECT_EQ(Batch({4}, n, seed, 3, 1050, 400).at(0).bands.back().percentiles,
            two[0].bands.back().percentiles);
  std::vector<std::vector<int>> rows(12);
  bool quit_seen = false;
  for (size_t i = 0; i < n; ++i) {
    RunPlan plan = Plan(4, 1050, seed + static_cast<uint32_t>(i));
    plan.quit = 400;
    const RunRecord run = PlayRun(plan, Keep::kRecord);
    quit_seen |= run.end == RunEnd::kQuit;
    for (size_t r = 0; r < 12; ++r)
      rows[r].push_back(run.chart[r].coin_diff.value_or(run.figures.CoinDiff));
  }
  EXPECT_TRUE(quit_seen);
  for (size_t r = 0; r < 12; ++r) {
    std::sort(rows[r].begin(), rows[r].end());
    const BandRow& band = two[0].bands[r];
    EXPECT_EQ(band.game, r == 11 ? 1050 : static_cast<int>(r) * 100);
    EXPECT_EQ(band.percentiles,
              (std::array<int, 5>{rows[r][1], rows[r][9], rows[r][19], rows[r][29], rows[r][37]}))
        << "row " << r + 1;
  }
}

TEST(ParallelForTest, EveryItemOnceOnTheCallersThreadAloneWithOneThread) {
  for (unsigned threads : {1u, 2u, 5u}) {
    std::vector<std::atomic<int>> seen(50);
    std::atomic<bool> elsewhere{false};
    const auto caller = std::this_thread::get_id();
    Progress progress;
    ASSERT_TRUE(ParallelFor(50, threads, progress, [&](uint64_t item, unsigned worker) {
                  seen[item] += 1;
                  if (std::this_thread::get_id() != caller) elsewhere = true;
                  EXPECT_LT(worker, Workers(50, threads));
                }).ok());
    for (const auto& count : seen) EXPECT_EQ(count, 1);
    if (threads == 1) {
      EXPECT_FALSE(elsewhere);
    }
  }
}

TEST(BatchTest, AStoppedBatchSaysSoAndHasNoResult) {
  BatchOptions options;
  options.runs = 1000;
  Progress progress;
  progress.stop = true;
  std::vector<SettingStats> stats = {SettingStats{}};
  EXPECT_EQ(RunBatch(options, progress, &stats).code(), Status::Code::kStopped);
  EXPECT_TRUE(stats.empty());
}

// Past a few thousand values a row counts them instead, growing its range both ways.
TEST(BatchSumsTest, ARowsPercentilesAreExactWhetherItKeepsOrCountsItsValues) {
  GrowingHistogram row;
  std::vector<int> values;
  uint32_t x = 12345;
  for (int i = 0; i < 9000; ++i) {
    x = x * 1103515245u + 12345u;
    const int spread = i < 3000 ? 50 : 4000;  // later values fall outside the first range
    values.push_back(static_cast<int>(x >> 16) % (2 * spread + 1) - spread + 700);
    row.Add(values.back());
    if (i == 99 || i == 8999) {
      std::vector<int> sorted = values;
      std::sort(sorted.begin(), sorted.end());
      const size_t n = sorted.size();
      EXPECT_EQ(
          row.Percentiles(),
          (std::array<int, 5>{sorted[(5 * n + 99) / 100 - 1], sorted[(25 * n + 99) / 100 - 1],
                              sorted[(50 * n + 99) / 100 - 1], sorted[(75 * n + 99) / 100 - 1],
                              sorted[(95 * n + 99) / 100 - 1]}))
          << n;
    }
  }
}

TEST(BatchSumsTest, ConfidenceIntervalOfKnownSamples) {
  const SettingStats single = FinishRuns({Synthetic(6)});
  EXPECT_DOUBLE_EQ(single.Real(Figure::kPayoutRatio), 36.0 / 30);
  EXPECT_EQ(single.Real(Figure::kPayoutRatioLow), single.Real(Figure::kPayoutRatio));
  EXPECT_EQ(single.Real(Figure::kPayoutRatioHigh), single.Real(Figure::kPayoutRatio));
  EXPECT_EQ(single.Real(Figure::kCoinDiffSd), 0);

  // out = 33 and 27 for in = 30 each: ratio 1, residuals +3 and -3, se = 3 * 2 / 60.
  const SettingStats s = FinishRuns({Synthetic(3), Synthetic(-3)}, 1);
  EXPECT_EQ(s.Whole(Figure::kRuns), 3);
  EXPECT_EQ(s.Whole(Figure::kOverflowRuns), 1);
  EXPECT_DOUBLE_EQ(s.Real(Figure::kPayoutRatio), 1.0);
  EXPECT_NEAR(s.Real(Figure::kPayoutRatioLow), 1 - 1.96 * 0.1, 1e-12);
  EXPECT_NEAR(s.Real(Figure::kPayoutRatioHigh), 1 + 1.96 * 0.1, 1e-12);
  EXPECT_NEAR(s.Real(Figure::kCoinDiffSd), std::sqrt(18.0), 1e-12);
}

// The distribution's bars: as many as the runs can fill (wider for fewer runs), the same bars for
// every setting, every run in exactly one, negative bins rounded down to their bar.
TEST(DistributionTest, BarsSuitTheRunsAndHoldEveryRunOnce) {
  const auto stats_of = [](int first_bin, std::vector<uint64_t> bins) {
    SettingStats s;
    s.first_bin = first_bin;
    s.bins = std::move(bins);
    return s;
  };
  // 30 bins of 500 coins from -5000, 100 runs in each setting
  std::vector<uint64_t> spread(30, 3), other(25, 4);
  spread[0] += 10;
  const std::vector<SettingStats> few = {stats_of(-10, spread), stats_of(-7, other)};
  const Distribution d = DistributionOf(few);
  EXPECT_EQ(d.width % kBinCoins, 0);
  EXPECT_GT(d.width, kBinCoins);  // 100 runs cannot fill 30 bars
  EXPECT_LE(d.first_low, -10 * kBinCoins);
  EXPECT_GT(d.first_low, -10 * kBinCoins - d.width);
  ASSERT_EQ(d.counts.size(), 2u);
  EXPECT_EQ(d.counts[0].size(), d.counts[1].size());
  for (size_t i = 0; i < 2; ++i) {
    uint64_t held = 0, runs = 0;
    for (uint64_t c : d.counts[i]) held += c;
    for (uint64_t c : few[i].bins) runs += c;
    EXPECT_EQ(held, runs);
  }
  // many runs: every bin its own bar
  const std::vector<SettingStats> many = {stats_of(-3, std::vector<uint64_t>(8, 5000))};
  EXPECT_EQ(DistributionOf(many).width, kBinCoins);
  EXPECT_EQ(DistributionOf(many).first_low, -3 * kBinCoins);
  EXPECT_TRUE(DistributionOf({}).counts.empty());
}

}  // namespace
}  // namespace tobiuo
