// SPDX-License-Identifier: GPL-3.0-or-later
// The hit rates a player is told: measured as the table says, answered for the start assumed.
#include "analysis/hit_rates.h"

#include <gtest/gtest.h>

namespace tobiuo {
namespace {

// The table is what its program measures: one of its rows measured again gives the same bits.
// (The 1000-game column of a start without stock: the cheapest to play; every row of the table
// comes from the same function.)
TEST(HitRatesTest, ARowMeasuredAgainIsTheTables) {
  const HitRateStart start{0, 0};
  std::vector<HistoryPowerRow> rows;
  Progress progress;
  const unsigned threads = AllCores();
  ASSERT_TRUE(HistoryPowerTable(StartOf(start), {1, 1, 1, 1, 1, 1}, {kHitRateGames[0]},
                                kHitRateRuns, kHitRateSeed + kHitRateRuns, threads, progress, &rows)
                  .ok());
  const auto& table = HistoryHits();
  const auto row = std::find_if(table.begin(), table.end(), [&](const HistoryHitRow& r) {
    return r.start.stock == start.stock && r.start.changed == start.changed;
  });
  ASSERT_NE(row, table.end());
  EXPECT_EQ(MeanHits(rows)[0], row->hits[0]);
}

// From chance upwards with the games for every method and start; the releases add to the pure
// misses and the history more; a start the table lacks is answered with the nearest, named.
TEST(HitRatesTest, TheRateGrowsWithTheGamesAndSaysWhichStartItIsFor) {
  const HistoryStart unknown{UnknownStock(), std::nullopt};
  EXPECT_NEAR(HitRateFor(JudgedBy::kPureMisses, 1, HistoryStart{}).rate, 1.0 / 6, 1e-3);
  for (const HitRateStart& start :
       {HitRateStart{0, 0}, HitRateStart{20, 1}, HitRateStart{-1, -1}}) {
    for (JudgedBy method : {JudgedBy::kPureMisses, JudgedBy::kCounts, JudgedBy::kHistory}) {
      double previous = 0;
      for (int32_t games = 100; games <= kMaxGames; games += 100) {
        const double hit = HitRateFor(method, games, StartOf(start)).rate;
        EXPECT_GT(hit, previous) << games;
        previous = hit;
      }
    }
  }
  const HistoryStart standard;
  EXPECT_GT(HitRateFor(JudgedBy::kCounts, 8000, standard).rate,
            HitRateFor(JudgedBy::kPureMisses, 8000, standard).rate);
  EXPECT_GT(HitRateFor(JudgedBy::kHistory, 8000, standard).rate,
            HitRateFor(JudgedBy::kCounts, 8000, standard).rate);

  EXPECT_TRUE(HitRateFor(JudgedBy::kHistory, 3000, unknown).for_assumed);
  EXPECT_TRUE(HitRateFor(JudgedBy::kPureMisses, 3000, unknown).for_assumed);
  EXPECT_FALSE(HitRateFor(JudgedBy::kCounts, 3000, HistoryStart{{0}, false}).for_assumed);
  const HitRate five = HitRateFor(JudgedBy::kHistory, 3000, HistoryStart{{5}, true});
  EXPECT_FALSE(five.for_assumed);
  EXPECT_EQ(StartText(five.start), "初期ストック20・設定変更あり");
  HistoryStart range{{}, false};
  for (int16_t stock = 0; stock <= 30; ++stock) range.stocks.push_back(stock);
  EXPECT_EQ(StartText(range), "初期ストック0-30・設定変更なし");
  EXPECT_EQ(StartText(HitRateFor(JudgedBy::kHistory, 3000, range).start),
            "初期ストック不明・設定変更なし");
  EXPECT_EQ(StartText(HistoryStart{{10, 20, 40}, std::nullopt}),
            "初期ストック10,20,40・設定変更不明");
}

}  // namespace
}  // namespace tobiuo
