#include <gtest/gtest.h>

#include <tuple>
#include <string>
#include <vector>

#include "engine/recording_panel.h"
#include "engine/run_command.h"
#include "engine/sim_state.h"
#include "tests/fakes.h"

namespace tobiuo {
namespace {

using testing::ScriptedRandom;

// Role draws of 1..65535 for setting 6.
constexpr int kNone = 60000, kPays10 = 12000, kCherry = 9000, kPureMiss = 16400, kBig = 16600,
              kReg = 17200;

RunPlan Plan(int32_t games, int16_t stock, double quit = 0) {
  return {.games_text = std::to_string(games), .games = games, .stock = stock, .quit = quit};
}

struct Played {
  SimState state;
  RecordingPanel panel;
  RunOutcome outcome;
};

Played Play(const RunPlan& plan, ScriptedRandom& random) {
  Played p;
  p.outcome = PlayRun(p.state, p.panel, random, plan);
  return p;
}

// Scripts a one-entry "B" stock whose release game is 1230 and a chance zone of 32 games.
void OneBigStocked(ScriptedRandom& random) {
  random.Push(1, 2).Push(2048, 2048).Push(30, 30).Push(1, 251);
}

TEST(GameLoopTest, CoinPurchasesFollowTheCountdown) {
  // Without wins, coins are bought in games 1, 34, 51, 68...
  const std::pair<int, std::pair<int, int>> cases[] = {
      {1, {47, 1000}}, {17, {-1, 1000}}, {33, {-49, 1000}}, {34, {-2, 2000}}, {51, {-3, 3000}}};
  for (auto [games, expected] : cases) {
    ScriptedRandom random;
    Played p = Play(Plan(games, 0), random);
    ASSERT_TRUE(p.outcome.ok());
    EXPECT_EQ(p.outcome.result.figures.CoinsHeld, expected.first) << games;
    EXPECT_EQ(p.outcome.result.figures.InvestTotal, expected.second) << games;
    EXPECT_EQ(p.outcome.result.figures.CoinDiff, -3 * games);
  }
}

TEST(GameLoopTest, PureMissWithoutStockIsLoggedAndChangesNothingElse) {
  ScriptedRandom random;
  random.Push(1, 251).Push(kPureMiss, 65535);
  Played p = Play(Plan(1, 0), random);
  EXPECT_EQ(p.panel.log(), (std::vector<std::string>{"初期モード:通常",
                                                     "@@@@@ 純ハズレ (ストックなし) @@@@@", "ヤメ:1P"}));
  EXPECT_EQ(p.outcome.result.figures.PureMissReleases, 0);
  EXPECT_EQ(p.outcome.result.figures.CoinDiff, -3);
}

TEST(GameLoopTest, PureMissWithStockReleasesTheHeadInTheSameGame) {
  ScriptedRandom random;
  OneBigStocked(random);
  random.Push(kPureMiss, 65535);  // game 0; the BIG's 30 games take the fallback, entry 2
  Played p = Play(Plan(2, 1), random);
  const std::vector<std::string> expected = {
      "初期モード:通常",        "@@@@@ 純ハズレ (解除) @@@@@", "----- BIG 1回目 (通常)-----",
      "解除範囲:1201～1231",    "実際解除P:0",                  "投資金額:1,000円",
      "トータルP:0",            "持ちコイン:392",               "差枚数:342",
      "チャンスゾーン:32Pまで", "次回モード:天国",              "次回チャンスゾーン:94Pまで",
      "ヤメ:2P"};
  EXPECT_EQ(p.panel.log(), expected);
  const RunFigures& f = p.outcome.result.figures;
  EXPECT_EQ(f.PureMissReleases + f.BigReleases + f.NormalModeCount, 3);
  EXPECT_EQ(f.StockCount, 0);
  EXPECT_EQ(p.state.ReleaseGame, kNoReleasePending);
}

TEST(GameLoopTest, CherrySecondDrawDecidesPayoutAndRelease) {
  // {second draw, stock, cherry line or none, coin difference after the game}
  const std::tuple<int, int16_t, const char*, int> cases[] = {
      {46166, 1, nullptr, 4},
      {46167, 1, "+-+-+ チェ解除（チェリ－） +-+-+", 4 + 345},
      {61596, 0, nullptr, 4},
      {61597, 1, "+-+-+ チェ解除（制御でこぼし） +-+-+", -3 + 345},
      {61597, 0, nullptr, -3},
  };
  for (const auto& [second, stock, line, coin_diff] : cases) {
    ScriptedRandom random;
    if (stock > 0) {
      OneBigStocked(random);
    } else {
      random.Push(1, 251);
    }
    random.Push(kCherry, 65535).Push(second, 65535);
    Played p = Play(Plan(1, stock), random);
    const auto& log = p.panel.log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[1], line ? line : "ヤメ:1P") << second;
    EXPECT_EQ(log.size() > 2 && log[2] == "----- BIG 1回目 (通常)-----", line != nullptr) << second;
    EXPECT_EQ(p.outcome.result.figures.CoinDiff, coin_diff) << second;
    EXPECT_EQ(p.outcome.result.figures.CherryReleases, line ? 1 : 0);
  }
}

TEST(GameLoopTest, BonusWonInTheReleaseGameIsStockedBeforeTheRelease) {
  ScriptedRandom random;
  // Stock "B" released at game 1; chance zone 32.
  random.Push(1, 2).Push(1, 2048).Push(1, 30).Push(1, 251);
  random.Push(kNone, 65535).Push(kBig, 65535);  // games 0 and 1
  random.Repeat(30, 65536, 65536);              // the BIG pays 105
  random.Push(1, 2048).Push(5, 30);             // the next release game for "B:1": 5 (heaven table)
  Played p = Play(Plan(2, 1), random);
  const auto& log = p.panel.log();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[1], "1P:BIG 成立 ストック数|B: 2|R:0|合計:2");
  EXPECT_EQ(log[2], "----- BIG 1回目 (通常)-----");
  EXPECT_EQ(log[3], "解除範囲:1～31");
  EXPECT_EQ(p.state.StockCount, 1);
  EXPECT_EQ(p.state.StockQueue[1].Text() + "|" + p.state.StockQueue[2].Text(), "B:1|");
  EXPECT_EQ(p.state.ReleaseGame, 5);
}

TEST(GameLoopTest, FirstBonusIntoAnEmptyStockDrawsFromTheEmptyStockTable) {
  ScriptedRandom random;
  random.Push(1, 251).Push(kReg, 65535).Push(2048, 2048).Push(7, 30).Push(kBig, 65535);
  Played p = Play(Plan(2, 0), random);
  const auto& log = p.panel.log();
  EXPECT_EQ(log[1], "0P: REG 成立  ストック数|B: 0|R:1|合計:1");
  EXPECT_EQ(log[2], "1P:BIG 成立 ストック数|B: 1|R:1|合計:2");
  EXPECT_EQ(p.state.ReleaseGame, 1207);  // empty-stock category 15, seventh game of its range
  EXPECT_EQ(p.state.StockQueue[1].Text() + p.state.StockQueue[2].Text(), "R:1B:2");
}

TEST(GameLoopTest, QuitRuleStopsWhenGamesLeftAreAtMostTheThreshold) {
  for (int release_game : {4, 5}) {
    ScriptedRandom random;
    OneBigStocked(random);
    random.Repeat(release_game, kNone, 65535).Push(kPureMiss, 65535);
    Played p = Play(Plan(10, 1, 5), random);
    ASSERT_TRUE(p.outcome.ok());
    const bool stops = release_game == 5;  // 5 games left, the current one included
    EXPECT_EQ(p.outcome.result.stopped_early, stops);
    EXPECT_EQ(p.panel.log().back(), stops ? "ヤメ:5P" : "ヤメ:10P");
    EXPECT_EQ(p.outcome.result.games_bet, stops ? 6 : 10);
    if (stops) {
      EXPECT_EQ(*(p.panel.log().end() - 2), "差枚数:" + std::to_string(p.outcome.result.figures.CoinDiff));
      EXPECT_EQ(p.state.StockCount, p.state.StockBig + p.state.StockReg);
      // The last chart row still shows the final coin difference; the summary is written.
      EXPECT_EQ(p.panel.chart_rows().back().value, std::to_string(p.outcome.result.figures.CoinDiff));
      EXPECT_FALSE(p.panel.summary().empty());
    }
  }
}

TEST(GameLoopTest, OverflowEndsTheRunWithAnErrorAndNoSummary) {
  ScriptedRandom random(testing::RealFor(kPays10, 65535));  // every game wins 10 coins
  Played p = Play(Plan(8000, 0), random);
  EXPECT_EQ(p.outcome.status, RunOutcome::Status::kAborted);
  EXPECT_NE(p.outcome.message.find("オーバーフロー"), std::string::npos);
  EXPECT_EQ(p.panel.log(), std::vector<std::string>{"初期モード:通常"});
  EXPECT_TRUE(p.panel.summary().empty());
  EXPECT_FALSE(p.panel.file_menu_enabled());
}

struct ChartCase {
  int games;
  size_t rows;
  std::vector<std::pair<size_t, std::string>> labels;  // row (1-based), label
};

TEST(GameLoopTest, ChartRowsLabelsAndValues) {
  const ChartCase cases[] = {
      {100, 2, {{1, "0"}, {2, "100"}}},
      {150, 3, {{1, "0"}, {2, "100"}, {3, "150"}}},
      {900, 10, {{1, "0"}, {2, "100"}, {9, "800"}, {10, "900"}}},
      {1000, 11, {{1, "0"}, {2, ""}, {6, "500"}, {10, ""}, {11, "1000"}}},
      {6000, 61, {{1, "0"}, {5, ""}, {6, "500"}, {56, "5500"}, {60, ""}, {61, "6000"}}},
  };
  for (const ChartCase& c : cases) {
    ScriptedRandom random;
    Played p = Play(Plan(c.games, 0), random);
    const auto& rows = p.panel.chart_rows();
    ASSERT_EQ(rows.size(), c.rows) << c.games;
    for (const auto& [row, label] : c.labels) EXPECT_EQ(rows[row - 1].label, label) << c.games << " row " << row;
    // Row 1 holds the start; row r is written in game number (r - 1) * 100, after its bet.
    EXPECT_EQ(rows[0].value, "0");
    for (size_t r = 2; r < c.rows; ++r) {
      EXPECT_EQ(rows[r - 1].value, std::to_string(-3 * (static_cast<int>(r - 1) * 100 + 1))) << c.games;
    }
    EXPECT_EQ(rows.back().value, std::to_string(-3 * c.games));
    EXPECT_EQ(p.panel.progress_maximum(), static_cast<double>(c.rows));
    EXPECT_EQ(p.panel.progress_value(), static_cast<double>(c.rows));
  }
}

TEST(GameLoopTest, SilentPanelRunGivesTheSameFigures) {
  const RunPlan plan = Plan(8000, 20);
  Mt19937Source loud_random(7), quiet_random(7);
  Played loud;
  loud.outcome = PlayRun(loud.state, loud.panel, loud_random, plan);
  SimState quiet_state;
  SilentPanel silent;
  const RunOutcome quiet = PlayRun(quiet_state, silent, quiet_random, plan);
  EXPECT_EQ(FormatResultSummary(quiet.result.figures), loud.panel.summary());
}

}  // namespace
}  // namespace tobiuo
