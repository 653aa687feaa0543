#include "engine/batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "engine/random_source.h"
#include "engine/recording_panel.h"
#include "engine/run_command.h"
#include "engine/setting_tables.h"
#include "engine/sim_state.h"

namespace tobiuo {
namespace {

RunPlan Plan(const std::string& setting, int32_t games) {
  RunInputs inputs;
  inputs.setting = setting;
  inputs.games = std::to_string(games);
  const InputCheck check = ValidateInputs(inputs);
  EXPECT_TRUE(check.ok);
  return check.plan;
}

RunResult SingleRun(const RunPlan& plan, uint32_t seed) {
  SimState state;
  RecordingPanel panel;
  Mt19937Source random(seed);
  const RunOutcome outcome = PlayRun(state, panel, random, plan);
  EXPECT_TRUE(outcome.ok());
  return outcome.result;
}

std::vector<SettingStats> Batch(const std::vector<std::string>& settings, uint64_t runs, uint32_t seed,
                                unsigned threads, int32_t games = 1000) {
  BatchOptions options;
  options.plan = Plan("6", games);
  options.settings = settings;
  options.runs = runs;
  options.seed = seed;
  options.threads = threads;
  BatchProgress progress;
  return RunBatch(options, progress);
}

RunResult Synthetic(int16_t diff, int32_t games_bet = 10) {
  RunResult r;
  r.figures.CoinDiff = diff;
  r.figures.ExchangeRate = 5;
  r.games_bet = games_bet;
  return r;
}

TEST(BatchTest, RunIIsTheSingleRunWithSeedPlusI) {
  const uint32_t seed = 4294967294u;  // the third run's seed wraps to 0
  for (uint32_t i = 0; i < 3; ++i) {
    const SettingStats one = Batch({"3"}, 1, seed + i, 1).at(0);
    const RunResult single = SingleRun(Plan("3", 1000), seed + i);
    EXPECT_EQ(one.coin_diff_mean, single.figures.CoinDiff);
    EXPECT_EQ(one.big_mean * 1000 + one.reg_mean, single.figures.BigReleases * 1000 + single.figures.RegReleases);
    EXPECT_EQ(one.balance_yen_mean, Balance(single.figures));
    EXPECT_EQ(one.games_bet, single.games_bet);
  }
}

TEST(BatchTest, StatisticsMatchTheirRunsWorkedOutDirectly) {
  const uint32_t seed = 77;
  const size_t n = 40;
  const double dn = static_cast<double>(n);
  for (const SettingStats& s : Batch({"2", "5"}, n, seed, 2)) {
    std::vector<double> diffs, ins, outs;
    double in = 0, out = 0, balance = 0, wins = 0;
    for (size_t i = 0; i < n; ++i) {
      const RunResult r = SingleRun(Plan(s.setting, 1000), seed + static_cast<uint32_t>(i));
      diffs.push_back(r.figures.CoinDiff);
      ins.push_back(3.0 * r.games_bet);
      outs.push_back(ins.back() + r.figures.CoinDiff);
      in += ins.back();
      out += outs.back();
      balance += Balance(r.figures);
      wins += r.figures.CoinDiff > 0;
    }
    const double ratio = out / in, mean = (out - in) / dn;
    double e2 = 0, var = 0;
    for (size_t i = 0; i < n; ++i) {
      e2 += (outs[i] - ratio * ins[i]) * (outs[i] - ratio * ins[i]);
      var += (diffs[i] - mean) * (diffs[i] - mean) / (dn - 1);
    }
    const double se = std::sqrt(e2 / (dn * (dn - 1))) * dn / in;
    std::sort(diffs.begin(), diffs.end());
    EXPECT_EQ(s.coins_out - s.coins_in, static_cast<int64_t>(out - in));
    EXPECT_NEAR(s.payout_ratio, ratio, 1e-12);
    EXPECT_NEAR(s.payout_ratio_low, ratio - 1.96 * se, 1e-9);
    EXPECT_NEAR(s.payout_ratio_high, ratio + 1.96 * se, 1e-9);
    EXPECT_NEAR(s.coin_diff_mean, mean, 1e-9);
    EXPECT_NEAR(s.coin_diff_sd, std::sqrt(var), 1e-9);
    EXPECT_EQ(s.coin_diff_min + s.coin_diff_max, diffs.front() + diffs.back());
    // Nearest ranks of 40 values: 2, 10, 20, 30 and 38.
    EXPECT_EQ(s.percentiles, (std::array<int, 5>{static_cast<int>(diffs[1]), static_cast<int>(diffs[9]),
                                                 static_cast<int>(diffs[19]), static_cast<int>(diffs[29]),
                                                 static_cast<int>(diffs[37])}));
    EXPECT_DOUBLE_EQ(s.win_rate, wins / dn);
    EXPECT_DOUBLE_EQ(s.balance_yen_mean, balance / dn);
  }
}

TEST(BatchAccumulatorTest, NearestRankPercentilesOfASmallSample) {
  CoinDiffHistogram histogram;
  BatchAccumulator sums(histogram);
  for (int d : {20, -5, 10, 0, 3}) sums.Add(Synthetic(static_cast<int16_t>(d)));
  const SettingStats s = sums.Finish("1");
  EXPECT_EQ(s.percentiles, (std::array<int, 5>{-5, 0, 3, 10, 20}));
  EXPECT_EQ(s.coin_diff_min, -5);
  EXPECT_EQ(s.coin_diff_max, 20);
  EXPECT_DOUBLE_EQ(s.win_rate, 0.6);
}

TEST(BatchAccumulatorTest, ConfidenceIntervalOfKnownSamples) {
  CoinDiffHistogram histogram_one, histogram_two;
  BatchAccumulator one(histogram_one);
  one.Add(Synthetic(6));
  const SettingStats single = one.Finish("1");
  EXPECT_DOUBLE_EQ(single.payout_ratio, 36.0 / 30);
  EXPECT_EQ(single.payout_ratio_low, single.payout_ratio);
  EXPECT_EQ(single.payout_ratio_high, single.payout_ratio);
  EXPECT_EQ(single.coin_diff_sd, 0);

  // out = 33 and 27 for in = 30 each: ratio 1, residuals +3 and -3, se = 3 * 2 / 60.
  BatchAccumulator two(histogram_two);
  two.Add(Synthetic(3));
  two.Add(Synthetic(-3));
  BatchAccumulator overflow(histogram_two);
  overflow.AddOverflow();
  two.Merge(overflow);
  const SettingStats s = two.Finish("1");
  EXPECT_EQ(s.runs, 3u);
  EXPECT_EQ(s.overflow_runs, 1u);
  EXPECT_DOUBLE_EQ(s.payout_ratio, 1.0);
  EXPECT_NEAR(s.payout_ratio_low, 1 - 1.96 * 0.1, 1e-12);
  EXPECT_NEAR(s.payout_ratio_high, 1 + 1.96 * 0.1, 1e-12);
  EXPECT_NEAR(s.coin_diff_sd, std::sqrt(18.0), 1e-12);
}

// Role shares of a table: entry k's width over 65535.
std::array<double, 8> Shares(const SimState& tables, int offset) {
  std::array<double, 8> shares{};
  for (size_t k = 1; k <= 7; ++k) {
    const size_t entry = k + static_cast<size_t>(offset);
    shares[k] = (tables.RoleHigh[entry] - tables.RoleLow[entry] + 1) / 65535.0;
  }
  return shares;
}

// Whether every role's count lies within 4 standard deviations of its share.
bool CountsFit(const std::array<int64_t, 8>& counts, int64_t games, const std::array<double, 8>& shares) {
  for (size_t k = 1; k <= 7; ++k) {
    const double expected = shares[k] * static_cast<double>(games);
    if (std::abs(static_cast<double>(counts[k]) - expected) > 4 * std::sqrt(expected * (1 - shares[k]))) {
      return false;
    }
  }
  return true;
}

TEST(BatchTest, RoleFrequenciesMatchTheRoleTable) {
  for (int setting = 1; setting <= 6; ++setting) {
    const std::string name = std::to_string(setting);
    std::array<int64_t, 8> counts{};
    int64_t games = 0;
    SilentPanel panel;
    const RunPlan plan = Plan(name, 8000);
    for (uint32_t seed = 1000; seed < 1600; ++seed) {  // 4.8 million games
      SimState state;
      Mt19937Source random(seed);
      const RunOutcome outcome = PlayRun(state, panel, random, plan);
      for (size_t k = 0; k < 8; ++k) counts[k] += outcome.result.role_counts[k];
      games += outcome.result.games_bet;
    }
    SimState right, neighbour;
    LoadSettingTables(right, name);
    LoadSettingTables(neighbour, std::to_string(setting == 1 ? 2 : setting - 1));
    EXPECT_TRUE(CountsFit(counts, games, Shares(right, 0))) << "setting " << setting;
    // A table one entry off, or a neighbouring setting's column, does not fit the counts.
    EXPECT_FALSE(CountsFit(counts, games, Shares(right, 1))) << "setting " << setting;
    EXPECT_FALSE(CountsFit(counts, games, Shares(neighbour, 0))) << "setting " << setting;
  }
}

}  // namespace
}  // namespace tobiuo
