// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/estimate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace tobiuo {
namespace {

constexpr Prior kEqual = {1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6};

ReleaseModel Model(uint32_t seed, uint64_t runs, int32_t games = 8000, unsigned threads = 2) {
  Progress progress;
  ReleaseModel model;
  EXPECT_TRUE(ReleaseModel::Build({{}, games, runs, seed}, threads, progress, &model).ok());
  return model;
}

// Each simulated run is played by whichever worker takes it; what a player would count in it, and
// so every posterior and the power table, must not depend on how many workers there were.
TEST(EstimateTest, TheModelAndThePowerTableAreTheSameForOneAndTwoThreads) {
  const ReleaseModel one = Model(31, 40, 3000, 1), two = Model(31, 40, 3000, 2);
  for (int s = 1; s <= 6; ++s) {
    for (size_t i = 0; i < 40; ++i) {
      const Counts a = one.CountsOf(s, i, 3000), b = two.CountsOf(s, i, 3000);
      ASSERT_EQ(std::tie(a.pure_misses, a.big, a.reg, a.heaven),
                std::tie(b.pure_misses, b.big, b.reg, b.heaven));
    }
  }
  const ReleaseModel evaluation = Model(71, 20, 3000, 1);
  std::vector<PowerRow> rows_one, rows_two;
  Progress progress;
  ASSERT_TRUE(PowerTable(one, evaluation, kEqual, {1000, 3000}, 1, progress, &rows_one).ok());
  ASSERT_TRUE(PowerTable(two, evaluation, kEqual, {1000, 3000}, 2, progress, &rows_two).ok());
  ASSERT_EQ(rows_one.size(), 12u);
  for (size_t r = 0; r < rows_one.size(); ++r) {
    EXPECT_EQ(rows_one[r].mean_true_all, rows_two[r].mean_true_all) << r;
    EXPECT_EQ(rows_one[r].hit_all, rows_two[r].hit_all) << r;
  }
  progress.stop = true;
  EXPECT_EQ(PowerTable(one, evaluation, kEqual, {1000}, 2, progress, &rows_one).code(),
            Status::Code::kStopped);
}

TEST(EstimateTest, PureMissesAloneAreABinomialOfTheEnginesOwnOdds) {
  EXPECT_EQ(PureMissProbability(1) * (1 << 24), 22529);
  // Hand computation: G = 700, K = 1 against setting 1's and setting 6's odds.
  const double p1 = PureMissProbability(1), p6 = PureMissProbability(6);
  const double l1 = 700 * p1 * std::pow(1 - p1, 699), l6 = 700 * p6 * std::pow(1 - p6, 699);
  Posterior post = Estimate({700, 1}, {1, 0, 0, 0, 0, 1}, nullptr);
  EXPECT_NEAR(post.probability[0], l1 / (l1 + l6), 1e-12);
  EXPECT_NEAR(post.probability[5], l6 / (l1 + l6), 1e-12);
  // Hand computation with an equal prior: K = 0 of G = 100.
  post = Estimate({100, 0}, kEqual, nullptr);
  double sum = 0;
  for (int s = 1; s <= 6; ++s) sum += std::pow(1 - PureMissProbability(s), 100);
  EXPECT_NEAR(post.probability[2], std::pow(1 - PureMissProbability(3), 100) / sum, 1e-12);
  EXPECT_NEAR(post.p_5_or_6, post.probability[4] + post.probability[5], 1e-15);
  // The extremes stay finite.
  for (int32_t k : {0, 8000}) {
    post = Estimate({8000, k}, kEqual, nullptr);
    for (double p : post.probability) EXPECT_TRUE(std::isfinite(p)) << k;
    EXPECT_EQ(post.most_likely, k == 0 ? 1 : 6);
  }
}

TEST(EstimateTest, CountsAndPriorsOutsideTheirRangesAreRefused) {
  const Counts bad[] = {{0, 0},
                        {8001, 0},
                        {100, 101},
                        {100, 1, 5, std::nullopt},
                        {100, 1, 5, 5, 11},
                        {100, 1, std::nullopt, std::nullopt, 1}};
  for (const Counts& c : bad) EXPECT_EQ(CheckCounts(c).code(), Status::Code::kBadInput);
  Prior prior = {0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(NormalizePrior(&prior).ok());
  prior = {1, -1, 0, 0, 0, 1};
  EXPECT_FALSE(NormalizePrior(&prior).ok());
  prior = {2, 0, 0, 0, 0, 2};
  ASSERT_TRUE(NormalizePrior(&prior).ok());
  EXPECT_EQ(prior[0], 0.5);
}

// Releases no simulated run comes near say nothing a floored tail can be trusted with: they are
// left out, and the answer says so.
TEST(EstimateTest, ReleasesUnlikeAnyRunAreLeftOut) {
  const ReleaseModel model = Model(5, 100, 3000);
  const Posterior far = Estimate({3000, 5, 400, 300, 0}, kEqual, &model);
  EXPECT_TRUE(far.unlike_any_run);
  EXPECT_EQ(far.probability, Estimate({3000, 5}, kEqual, nullptr).probability);
  EXPECT_FALSE(Estimate({3000, 5, 14, 7, 6}, kEqual, &model).unlike_any_run);
}

// On runs of known setting whose seeds differ from the model's: the posterior is calibrated (the
// true setting's probability is on average what the posterior says it should be) and the releases
// and heaven count make it sharper than the pure misses alone.
TEST(EstimateTest, TheReleaseRefinementIsCalibratedAndSharper) {
  const ReleaseModel model = Model(1000, 1000);
  const ReleaseModel cases = Model(500000, 1500);
  double calibration_n = 0, calibration_all = 0, gain = 0, count = 0;
  bool unlike = false;
  for (int s = 1; s <= 6; ++s) {
    for (size_t i = 0; i < cases.key().runs; ++i) {
      Counts c = cases.CountsOf(s, i, 8000);
      const Posterior all = Estimate(c, kEqual, &model);
      unlike |= all.unlike_any_run;
      c.heaven.reset();
      const Posterior with_n = Estimate(c, kEqual, &model);
      c.big.reset(), c.reg.reset();
      const Posterior pure = Estimate(c, kEqual, nullptr);
      const auto truth = static_cast<size_t>(s - 1);
      double squares_n = 0, squares_all = 0;
      for (size_t k = 0; k < 6; ++k) {
        squares_n += with_n.probability[k] * with_n.probability[k];
        squares_all += all.probability[k] * all.probability[k];
      }
      calibration_n += with_n.probability[truth] - squares_n;
      calibration_all += all.probability[truth] - squares_all;
      gain += std::log(all.probability[truth]) - std::log(pure.probability[truth]);
      ++count;
    }
  }
  EXPECT_NEAR(calibration_n / count, 0, 0.015);
  EXPECT_NEAR(calibration_all / count, 0, 0.015);
  EXPECT_GE(gain / count, 0.03);
  EXPECT_FALSE(unlike);
}

}  // namespace
}  // namespace tobiuo
