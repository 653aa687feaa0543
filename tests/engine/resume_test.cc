// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/run.h"
#include "tests/support.h"

namespace tobiuo {
namespace {

// What the state after a game may hold, each of which a resumed run must carry exactly.
struct Seen {
  bool empty_stock = false;     // nothing stocked, no release pending (9999)
  bool heaven = false;          // the next release is a heaven one
  bool passed_release = false;  // a release game already passed, waiting for a pure miss
  bool mid_purchase = false;    // coins bought and not yet all bet
};

// A run paused after any game and resumed plays exactly what the whole run plays after it: the
// same log lines, chart rows, pure misses and summary, whatever the state at the pause.
TEST(ResumeTest, ARunResumedAfterAnyGamePlaysWhatTheWholeRunPlays) {
  Seen seen;
  int resumed = 0;
  for (uint32_t seed = 1; seed <= 60; ++seed) {
    const RunPlan plan = testing::PlanOf({.setting = static_cast<int>(seed % 6) + 1,
                                          .stock = static_cast<int16_t>(seed % 3 == 0 ? 0 : 20),
                                          .setting_changed = seed % 2 == 0,
                                          .quit = seed % 5 == 0 ? 400.0 : 0.0,
                                          .seed = seed},
                                         3000);
    const RunRecord whole = PlayRun(plan, Keep::kRecord);
    for (const int32_t games : {1, 37, 101, 650, 1234, 2999}) {
      PausedRun paused;
      if (!PauseRun(plan, games, &paused)) {
        EXPECT_EQ(whole.end, RunEnd::kQuit) << seed;  // it stopped before
        continue;
      }
      const SimState& m = paused.machine;
      seen.empty_stock |= m.Stock.Count == 0 && m.ReleaseGame == kNoReleasePending;
      seen.heaven |= m.NextMode == Mode::kHeaven;
      seen.passed_release |= m.Stock.Count > 0 && m.ReleaseGame < paused.counters.GamesSinceRelease;
      seen.mid_purchase |= paused.counters.PurchaseCountdown > 0;
      const RunRecord after = ResumeRun(plan, std::move(paused), Keep::kRecord);
      ++resumed;
      SCOPED_TRACE("seed " + std::to_string(seed) + ", after game " + std::to_string(games));
      ASSERT_EQ(after.end, whole.end);
      ASSERT_LE(after.log.size(), whole.log.size());
      EXPECT_TRUE(std::equal(after.log.rbegin(), after.log.rend(), whole.log.rbegin()));
      EXPECT_EQ(after.summary, whole.summary);
      EXPECT_EQ(after.role_counts, whole.role_counts);
      for (size_t row = static_cast<size_t>(games / kGamesPerChartRow) + 1;
           row < whole.chart.size(); ++row) {
        EXPECT_EQ(after.chart[row].coin_diff, whole.chart[row].coin_diff) << "row " << row + 1;
      }
    }
  }
  EXPECT_GT(resumed, 300);
  EXPECT_TRUE(seen.empty_stock && seen.heaven && seen.passed_release && seen.mid_purchase);
}

// Everything a run shows from a game on, counted from that game.
struct Events : RunObserver {
  std::vector<int32_t> seen;
  void OnPureMiss(int32_t game) override { seen.insert(seen.end(), {1, game}); }
  void OnCherry(int32_t game, bool paid) override { seen.insert(seen.end(), {2, game, paid}); }
  void OnRelease(int32_t game, bool heaven, bool big) override {
    seen.insert(seen.end(), {3, game, heaven, big});
  }
};

// The state as a player's view would give it: read back from a paused run.
MachineNow NowOf(int setting, const PausedRun& paused) {
  MachineNow now{.setting = setting,
                 .stock = {},
                 .mode = paused.machine.NextMode,
                 .release_game = paused.machine.ReleaseGame,
                 .chance_zone_game = paused.machine.ChanceZoneGame,
                 .games_since_release = paused.counters.GamesSinceRelease,
                 .purchase_countdown = paused.counters.PurchaseCountdown,
                 .coins = paused.figures.CoinsHeld,
                 .invested = paused.figures.InvestTotal};
  for (int i = 1; i <= paused.machine.Stock.Count; ++i) {
    now.stock += paused.machine.StockQueue[static_cast<size_t>(i)].kind;
  }
  return now;
}

// A run resumed from the state as given (not the paused run itself) plays what the whole run
// plays after that game, in steps of any length: the same events, coins and money.
TEST(ResumeTest, ARunResumedFromItsStateAsGivenPlaysWhatTheWholeRunPlays) {
  Seen seen;
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    const int setting = static_cast<int>(seed % 6) + 1;
    const RunPlan plan = testing::PlanOf({.setting = setting,
                                          .stock = static_cast<int16_t>(seed % 2 ? 0 : 20),
                                          .setting_changed = seed % 3 == 0,
                                          .seed = seed},
                                         4000);
    for (const int32_t games : {static_cast<int32_t>(seed * 53 % 997 + 1), 1500, 3333}) {
      PausedRun paused;
      ASSERT_TRUE(PauseRun(plan, games, &paused));
      const SimState& m = paused.machine;
      seen.empty_stock |= m.Stock.Count == 0 && m.ReleaseGame == kNoReleasePending;
      seen.heaven |= m.NextMode == Mode::kHeaven;
      seen.passed_release |= m.Stock.Count > 0 && m.ReleaseGame < paused.counters.GamesSinceRelease;
      seen.mid_purchase |= paused.counters.PurchaseCountdown > 0;
      PausedRun given = PausedAt(NowOf(setting, paused), 0);
      given.random = paused.random;
      const RunFigures before = paused.figures;
      Events whole, rest;
      const RunRecord after = ResumeRun(plan, std::move(paused), Keep::kFigures, &whole);
      RunPlan left = plan;
      left.games = plan.games - games;
      std::string aborted;
      for (int32_t step = 1; PlayOn(left, &given, step * 250, &rest, &aborted); ++step) {
      }
      SCOPED_TRACE("seed " + std::to_string(seed) + ", after game " + std::to_string(games));
      for (size_t i = 0; i < whole.seen.size(); i += static_cast<size_t>(whole.seen[i] + 1)) {
        whole.seen[i + 1] -= games;  // each event: its kind (1, 2, 3), then as many numbers
      }
      EXPECT_EQ(rest.seen, whole.seen);
      EXPECT_EQ(given.figures.CoinsHeld, after.figures.CoinsHeld);
      EXPECT_EQ(given.figures.InvestTotal, after.figures.InvestTotal);
      EXPECT_EQ(given.figures.CoinDiff, after.figures.CoinDiff - before.CoinDiff);
      EXPECT_EQ(given.figures.Releases, after.figures.Releases - before.Releases);
      EXPECT_TRUE(aborted.empty());
    }
  }
  EXPECT_TRUE(seen.empty_stock && seen.heaven && seen.passed_release && seen.mid_purchase);
}

}  // namespace
}  // namespace tobiuo
