// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "engine/lotteries.h"
#include "engine/report.h"
#include "engine/run.h"
#include "engine/setting_tables.h"
#include "engine/summary.h"
#include "tests/fakes.h"
#include "tests/support.h"

namespace tobiuo {
namespace {

using testing::ScriptedRandom;

// Role draws of 1..65535 for setting 6.
constexpr int kNone = 60000, kPays10 = 12000, kCherry = 9000, kPureMiss = 16400, kBig = 16600;

RunPlan Plan(int32_t games, int16_t stock, double quit = 0) {
  return testing::PlanOf({.stock = stock, .quit = quit}, games);
}

struct Played {
  SimState state;
  RunRecord record;
};

Played Play(const RunPlan& plan, ScriptedRandom& random) {
  Played p;
  p.record = PlayRunOn(p.state, plan, random, Keep::kRecord);
  return p;
}

// Scripts a one-entry stock of the given kind whose release game is 1230, and a 32-game chance
// zone.
void OneStocked(ScriptedRandom& random, char kind = 'B') {
  random.Push(kind == 'B' ? 1 : 2, 2).Push(2048, 2048).Push(30, 30).Push(1, 251);
}

TEST(GameLoopTest, TheRecordOfASeededRunMatchesTheGoldenReport) {
  RunInputs inputs{.setting = "4", .games = "8000", .rate = "7", .stock = "3", .seed = "8"};
  inputs.setting_changed = true;
  RunPlan plan;
  ASSERT_TRUE(ValidateInputs(inputs, &plan).ok());
  const RunRecord record = PlayRun(plan, Keep::kRecord);
  std::string text;
  for (const std::string& line : ReportLines(record)) text += line + "\n";
  EXPECT_EQ(text, testing::Golden("run_setting4_seed8.txt"));
  EXPECT_EQ(record.end, RunEnd::kDone);
  // Keeping the figures only plays the same run without a line of text.
  const RunRecord figures = PlayRun(plan, Keep::kFigures);
  EXPECT_EQ(FormatResultSummary(figures.figures), record.summary);
  EXPECT_TRUE(figures.log.empty() && figures.chart.empty() && figures.summary.empty());
}

TEST(GameLoopTest, RegReleasedAtItsGamePays113AndCountsTowardTheBigGap) {
  ScriptedRandom random;
  OneStocked(random, 'R');
  random.Repeat(1230, kNone, 65535);
  const Played p = Play(Plan(1300, 1), random);
  const std::vector<std::string> block = {"+++++ REG 1回目 (通常)+++++", "解除範囲:1201～1231",
                                          "実際解除P:1230", "投資金額:72,000円", "トータルP:1230"};
  ASSERT_GE(p.record.log.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(p.record.log.begin() + 1, p.record.log.begin() + 6), block);
  const RunFigures& f = p.record.figures;
  EXPECT_EQ(f.RegReleases, 1);
  EXPECT_EQ(f.BigReleases, 0);
  EXPECT_EQ(f.CoinDiff, -3 * 1300 + 113);
  EXPECT_EQ(f.MaxBonusGap, 1230);
  EXPECT_EQ(f.MaxBigGap, 0);  // no BIG yet: the gap is only counted when a BIG is paid
  EXPECT_EQ(f.FinalStock.Reg, 0);
}

TEST(GameLoopTest, CherrySecondDrawDecidesPayoutAndRelease) {
  // {second draw, stock, cherry line or none, coin difference after the game}
  const std::tuple<int, int16_t, const char*, int> cases[] = {
      {46166, 1, nullptr, 4},  {46167, 1, "+-+-+ チェ解除（チェリ－） +-+-+", 4 + 345},
      {61596, 0, nullptr, 4},  {61597, 1, "+-+-+ チェ解除（制御でこぼし） +-+-+", -3 + 345},
      {61597, 0, nullptr, -3},
  };
  for (const auto& [second, stock, line, coin_diff] : cases) {
    ScriptedRandom random;
    if (stock > 0) {
      OneStocked(random);
    } else {
      random.Push(1, 251);
    }
    random.Push(kCherry, 65535).Push(second, 65535);
    const Played p = Play(Plan(1, stock), random);
    const auto& log = p.record.log;
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[1], line ? line : "ヤメ:1P") << second;
    EXPECT_EQ(log.size() > 2 && log[2] == "----- BIG 1回目 (通常)-----", line != nullptr) << second;
    EXPECT_EQ(p.record.figures.CoinDiff, coin_diff) << second;
    EXPECT_EQ(p.record.figures.CherryReleases, line ? 1 : 0);
  }
}

// A release decides the next mode: heaven when its game is inside the chance zone (at most the
// zone's last game), normal past it. The BIG gap runs on across the REGs in between.
TEST(GameLoopTest, ReleasesInsideTheChanceZoneLeadToHeavenAndBigGapsSpanRegs) {
  SimState tables;
  LoadSettingTables(tables, 6);
  const int category1 = tables.NormalReleaseLow[1];  // a normal-mode release at games 32 to 61
  for (const auto& [k, mode] : {std::pair{1, "天国"}, {2, "通常"}}) {
    ScriptedRandom random;
    random.Push(2, 2).Push(1, 2);                           // the stock: R, then B
    random.Push(category1, 2048).Push(k, 30).Push(1, 251);  // REG at game 31 + k; zone to 32
    random.Repeat(32 + k, kNone, 65535);            // the games up to the release game's, included
    random.Push(1, 2048).Push(5, 30).Push(1, 251);  // the BIG five games after the REG
    random.Repeat(5, kNone, 65535).Repeat(30, 65536, 65536);
    const Played p = Play(Plan(31 + k + 7, 2), random);
    const auto& log = p.record.log;
    EXPECT_NE(std::find(log.begin(), log.end(), std::string("次回モード:") + mode), log.end()) << k;
    EXPECT_NE(std::find(log.begin(), log.end(), std::string("----- BIG 1回目 (") + mode + ")-----"),
              log.end())
        << k;
    EXPECT_EQ(p.record.figures.MaxBigGap, 31 + k + 5) << k;
    EXPECT_EQ(p.record.figures.MaxBonusGap, 31 + k) << k;
  }
}

// The chance zone's last game by its draw (1..251): each row holds the draws up to its last.
TEST(LotteriesTest, TheChanceZoneIsTheFirstRowHoldingTheDraw) {
  const std::pair<int, int> draws[] = {{1, 32},   {100, 32},  {101, 63},  {176, 63},  {177, 94},
                                       {246, 94}, {247, 201}, {249, 201}, {250, 532}, {251, 1232}};
  for (const auto& [draw, game] : draws) {
    SimState state;
    ScriptedRandom random;
    random.Push(draw, 251);
    DrawChanceZone(state, random);
    EXPECT_EQ(state.ChanceZoneGame, game) << draw;
  }
}

TEST(GameLoopTest, BonusWonInTheReleaseGameIsStockedBeforeTheRelease) {
  ScriptedRandom random;
  // Stock "B" released at game 1; chance zone 32.
  random.Push(1, 2).Push(1, 2048).Push(1, 30).Push(1, 251);
  random.Push(kNone, 65535).Push(kBig, 65535);  // games 0 and 1
  random.Repeat(30, 65536, 65536);              // the BIG pays 105
  random.Push(1, 2048).Push(5, 30);             // the next release game for "B:1": 5 (heaven table)
  const Played p = Play(Plan(2, 1), random);
  const auto& log = p.record.log;
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[1], "1P:BIG 成立 ストック数|B: 2|R:0|合計:2");
  EXPECT_EQ(log[2], "----- BIG 1回目 (通常)-----");
  EXPECT_EQ(log[3], "解除範囲:1～31");
  EXPECT_EQ(p.state.Stock.Count, 1);
  EXPECT_EQ(p.state.StockQueue[1].Text(), "B:1");
  EXPECT_EQ(p.state.StockQueue[2].Text(), "");
  EXPECT_EQ(p.state.ReleaseGame, 5);
}

TEST(GameLoopTest, QuitRuleStopsWhenGamesLeftAreAtMostTheThreshold) {
  for (int release_game : {4, 5}) {
    ScriptedRandom random;
    OneStocked(random);
    random.Repeat(release_game, kNone, 65535).Push(kPureMiss, 65535);
    const Played p = Play(Plan(10, 1, 5), random);
    const RunRecord& r = p.record;
    const bool stops = release_game == 5;  // 5 games left, the current one included
    EXPECT_EQ(r.end, stops ? RunEnd::kQuit : RunEnd::kDone);
    EXPECT_EQ(r.log.back(), stops ? "ヤメ:5P" : "ヤメ:10P");
    EXPECT_EQ(r.figures.GamesBet, stops ? 6 : 10);
    if (stops) {
      EXPECT_EQ(*(r.log.end() - 2), "差枚数:" + std::to_string(r.figures.CoinDiff));
      // The last chart row still shows the final coin difference; the summary is written.
      EXPECT_EQ(r.chart.back().coin_diff, r.figures.CoinDiff);
      EXPECT_FALSE(r.summary.empty());
    }
  }
}

TEST(GameLoopTest, OverflowEndsTheRunWithAMessageTheLogSoFarAndNoSummary) {
  ScriptedRandom random(testing::RealFor(kPays10, 65535));  // every game wins 10 coins
  const Played p = Play(Plan(8000, 0), random);
  EXPECT_EQ(p.record.end, RunEnd::kAborted);
  EXPECT_NE(p.record.abort_message.find("オーバーフロー"), std::string::npos);
  EXPECT_NE(p.record.abort_message.find("持ちコイン"), std::string::npos);  // it passes first
  EXPECT_EQ(p.record.log, std::vector<std::string>{"初期モード:通常"});
  EXPECT_TRUE(p.record.summary.empty());
  // 32767 coins are passed in game 4682: rows up to 4600 games were written.
  EXPECT_EQ(p.record.LastChartRow(), 47);
}

struct ChartCase {
  int games;
  size_t rows;
  std::vector<std::pair<size_t, std::string>> labels;  // row (1-based), label
};

TEST(GameLoopTest, ChartRowsLabelsAndValues) {
  const ChartCase cases[] = {
      {50, 2, {{1, "0"}, {2, "50"}}},
      {100, 2, {{1, "0"}, {2, "100"}}},
      {150, 3, {{1, "0"}, {2, "100"}, {3, "150"}}},
      {900, 10, {{1, "0"}, {2, "100"}, {9, "800"}, {10, "900"}}},
      {1000, 11, {{1, "0"}, {2, ""}, {6, "500"}, {10, ""}, {11, "1000"}}},
      {6000, 61, {{1, "0"}, {5, ""}, {6, "500"}, {56, "5500"}, {60, ""}, {61, "6000"}}},
  };
  for (const ChartCase& c : cases) {
    ScriptedRandom random;
    const RunRecord r = Play(Plan(c.games, 0), random).record;
    ASSERT_EQ(r.chart.size(), c.rows) << c.games;
    for (const auto& [row, label] : c.labels) {
      EXPECT_EQ(r.chart[row - 1].label, label) << c.games << " row " << row;
    }
    // Row 1 holds the start; row r is written in game number (r - 1) * 100, after its bet.
    EXPECT_EQ(r.chart[0].coin_diff, 0);
    for (size_t row = 2; row < c.rows; ++row) {
      EXPECT_EQ(r.chart[row - 1].coin_diff, -3 * (static_cast<int>(row - 1) * 100 + 1)) << c.games;
    }
    EXPECT_EQ(r.chart.back().coin_diff, -3 * c.games);
    EXPECT_EQ(r.LastChartRow(), static_cast<int>(c.rows));
  }
}

TEST(GameLoopTest, TheRunObserverSeesEveryRowAlsoWhenOnlyFiguresAreKept) {
  struct Rows : RunObserver {
    void OnRow(int row, int16_t coin_diff) override { seen.emplace_back(row, coin_diff); }
    std::vector<std::pair<int, int16_t>> seen;
  } rows;
  RunPlan plan = Plan(250, 20);
  plan.seed = 3;
  const RunRecord full = PlayRun(plan, Keep::kRecord);
  const RunRecord figures = PlayRun(plan, Keep::kFigures, &rows);
  ASSERT_EQ(rows.seen.size(), 3u);  // rows 2 and 3 as played, row 4 at the end; row 1 is the start
  for (const auto& [row, diff] : rows.seen)
    EXPECT_EQ(full.chart[static_cast<size_t>(row - 1)].coin_diff, diff);
  EXPECT_EQ(figures.figures.CoinDiff, full.figures.CoinDiff);
}

}  // namespace
}  // namespace tobiuo
