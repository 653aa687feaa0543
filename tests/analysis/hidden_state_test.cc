// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/hidden_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "base/mean.h"
#include "tests/support.h"

namespace tobiuo {
namespace {

// The state drawn from what a player saw against the engine's own state at that game, on
// independent runs of every setting from an empty, a full and an unknown start (whose real stock
// is any of 0..255), seen to 150..3000 games: one draw per run, every feature that decides the
// games to come agrees on average within 3 standard errors of the paired differences.
void Pair(Mean& m, double drawn, double real) { m.Add(drawn - real); }

TEST(HiddenStatesTest, DrawsAgreeWithTheEngineStateAtTheLastGame) {
  std::map<std::string, Mean> features;  // drawn less real, run by run
  for (uint32_t i = 0; i < 3000; ++i) {
    const uint32_t mix = 2654435761u * (i + 1);
    const int setting = static_cast<int>(i % 6) + 1;
    const int kind = static_cast<int>(i / 6 % 3);
    const int16_t stock = kind == 0 ? 0 : kind == 1 ? 20 : static_cast<int16_t>(mix >> 8 & 255);
    const bool changed = (mix >> 20 & 3) == 0;
    const int32_t games = 150 + static_cast<int32_t>(mix % 2851);
    const RunPlan plan = testing::PlanOf(
        {.setting = setting, .stock = stock, .setting_changed = changed, .seed = 500000 + i},
        games + 1);
    HistoryRecorder recorder;
    PlayRun(plan, Keep::kFigures, &recorder);
    PausedRun paused;
    ASSERT_TRUE(PauseRun(plan, games, &paused));
    HistoryStart start{.stocks = {stock}, .setting_changed = changed};
    if (kind == 2) start.stocks = UnknownStock();
    Prior known{};
    known[static_cast<size_t>(setting - 1)] = 1;
    HiddenStates states;
    // every fourth run seen from halfway
    const int32_t watched = i % 4 == 3 ? games / 2 : 1;
    ASSERT_TRUE(
        HiddenStates::Make(recorder.HistoryOver(games, watched), start, known, 300, &states).ok());
    Mt19937Source random(i);
    const MachineNow drawn = states.Draw(random);
    const SimState& real = paused.machine;
    const int32_t since = paused.counters.GamesSinceRelease;
    ASSERT_EQ(drawn.games_since_release, since);
    const auto stocked = [](int n, int16_t r) { return n > 0 && r < kNoReleasePending; };
    const auto ahead = [&](int n, int16_t r) {
      return stocked(n, r) && r >= since ? r - since : -1;
    };
    const int real_count = real.Stock.Count;
    const int drawn_count = static_cast<int>(drawn.stock.size());
    const auto real_big = static_cast<double>(real.Stock.Big);
    const auto drawn_big =
        static_cast<double>(std::count(drawn.stock.begin(), drawn.stock.end(), 'B'));
    const std::string start_name =
        std::array{"empty ", "full ", "unknown "}[static_cast<size_t>(kind)];
    for (const std::string& prefix : {std::string(), start_name}) {
      Pair(features[prefix + "stock (to 40)"], std::min(drawn_count, 40), std::min(real_count, 40));
      Pair(features[prefix + "empty"], drawn_count == 0, real_count == 0);
      Pair(features[prefix + "BIG in stock (to 40)"], std::min(drawn_big, 40.0),
           std::min(real_big, 40.0));
      Pair(features[prefix + "heaven"], drawn.mode == Mode::kHeaven,
           real.NextMode == Mode::kHeaven);
      Pair(features[prefix + "release in 50"],
           ahead(drawn_count, drawn.release_game) >= 0 &&
               ahead(drawn_count, drawn.release_game) < 50,
           ahead(real_count, real.ReleaseGame) >= 0 && ahead(real_count, real.ReleaseGame) < 50);
      Pair(features[prefix + "release passed"],
           stocked(drawn_count, drawn.release_game) && drawn.release_game < since,
           stocked(real_count, real.ReleaseGame) && real.ReleaseGame < since);
      Pair(features[prefix + "chance zone"], drawn.chance_zone_game, real.ChanceZoneGame);
    }
  }
  for (const auto& [name, p] : features) {
    EXPECT_LE(std::abs(p.Value()), 3 * p.Error() + 1e-12)
        << name << ": " << p.Value() << " ± " << p.Error();
  }
}

}  // namespace
}  // namespace tobiuo
