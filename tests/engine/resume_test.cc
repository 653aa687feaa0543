// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

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

}  // namespace
}  // namespace tobiuo
