// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "base/mean.h"
#include "tests/support.h"

namespace tobiuo {
namespace {

ValueQuestion QuestionOf(const History& history, const HistoryStart& start, int setting,
                         int32_t more, uint32_t seed, int32_t draws) {
  ValueQuestion q;
  q.history = history;
  q.start = start;
  if (setting > 0) {
    q.prior = {};
    q.prior[static_cast<size_t>(setting - 1)] = 1;
  }
  q.games_left = more;
  q.more.clear();
  q.streak_rules = false;
  q.seed = seed;
  q.draws = draws;
  return q;
}

// The coins of playing N more games after G games with no release, against the engine's own runs
// that released nothing in their first G games: in every setting, from an empty stock, a full
// one and a setting change.
TEST(ValueTest, PlayingOnAfterNoReleaseIsWhatTheEngineRunsWithNoReleasePlay) {
  constexpr int32_t kSeen = 100, kMore = 300;
  struct Start {
    int16_t stock;
    bool changed;
  };
  for (const Start start : {Start{0, false}, Start{20, false}, Start{20, true}}) {
    for (int setting = 1; setting <= 6; ++setting) {
      Mean engine;
      for (uint32_t seed = 1; engine.n < 3000; ++seed) {
        const RunPlan plan = testing::PlanOf({.setting = setting,
                                              .stock = start.stock,
                                              .setting_changed = start.changed,
                                              .seed = seed},
                                             kSeen + kMore);
        PausedRun paused;
        ASSERT_TRUE(PauseRun(plan, kSeen, &paused));
        if (paused.figures.Releases > 0) continue;
        const int16_t before = paused.figures.CoinDiff;
        engine.Add(ResumeRun(plan, std::move(paused), Keep::kFigures).figures.CoinDiff - before);
      }
      ValueAnswer answer;
      Progress progress;
      ASSERT_TRUE(ValueOfPlaying(QuestionOf({.games = kSeen, .releases = {}, .pure_misses = {}},
                                            {{start.stock}, start.changed}, setting, kMore,
                                            static_cast<uint32_t>(setting), 3000),
                                 progress, &answer)
                      .ok());
      const RuleValue& played = answer.rules.at(1);
      EXPECT_NEAR(played.coins, engine.Value(), 3 * std::hypot(played.coins_se, engine.Error()))
          << "setting " << setting << ", stock " << start.stock
          << (start.changed ? ", changed" : "");
    }
  }
}

// The sharp check: for runs of every setting seen as a player sees them (setting unknown), the
// answer against the mean of many futures played from the engine's real state at that game. The
// differences, run by run, average 0 within 3 standard errors overall, by N and by the ハマり.
TEST(ValueTest, TheAnswerAgreesWithFuturesFromTheRealState) {
  std::map<std::string, Mean> differences;
  for (uint32_t i = 0; i < 240; ++i) {
    const uint32_t mix = 2654435761u * (i + 1);
    const int setting = static_cast<int>(i % 6) + 1;
    const int16_t stock = i / 6 % 2 == 0 ? 20 : 0;
    const int32_t seen = 300 + static_cast<int32_t>(mix % 2700);
    const int32_t more = std::array{100, 300, 600}[i / 12 % 3];
    const RunPlan plan =
        testing::PlanOf({.setting = setting, .stock = stock, .seed = 900000 + i}, seen + more);
    HistoryRecorder recorder;
    PlayRun(plan, Keep::kFigures, &recorder);
    const History history = recorder.HistoryOver(seen);
    PausedRun paused;
    ASSERT_TRUE(PauseRun(plan, seen, &paused));
    Mean truth;
    for (uint32_t future = 0; future < 300; ++future) {
      PausedRun again = paused;
      again.random = Mt19937Source(mix ^ (future * 7919u + 1));
      const int16_t before = again.figures.CoinDiff;
      truth.Add(ResumeRun(plan, std::move(again), Keep::kFigures).figures.CoinDiff - before);
    }
    ValueAnswer answer;
    Progress progress;
    ASSERT_TRUE(
        ValueOfPlaying(QuestionOf(history, {{stock}, false}, 0, more, i, 300), progress, &answer)
            .ok());
    const double d = answer.rules.at(1).coins - truth.Value();
    const int32_t gap = answer.hamari;
    differences["all"].Add(d);
    differences["N " + std::to_string(more)].Add(d);
    differences[gap < 100 ? "gap < 100" : gap < 400 ? "gap 100-400" : "gap >= 400"].Add(d);
  }
  for (const auto& [what, m] : differences) {
    EXPECT_LE(std::abs(m.Value()), 3 * m.Error())
        << what << ": " << m.Value() << " ± " << m.Error();
  }
}

// Every rule reads the same draws: the paired lead of the best is at most its own spread, rule 1
// is exactly 0, and the answer does not depend on the threads.
TEST(ValueTest, RulesShareTheirDrawsAndThreadsDoNotChangeTheAnswer) {
  ValueQuestion q =
      QuestionOf({.games = 2140,
                  .releases = {{400, true, Trigger::kCherry}, {1500, false, Trigger::kNone}},
                  .pure_misses = {}},
                 {}, 0, 2000, 7, 400);
  q.more = {100, 500};
  q.streak_rules = true;
  q.sit_at = 600;
  ValueAnswer one, two;
  Progress progress;
  ASSERT_TRUE(ValueOfPlaying(q, progress, &one).ok());
  q.threads = 2;
  ASSERT_TRUE(ValueOfPlaying(q, progress, &two).ok());
  ASSERT_EQ(one.rules.size(), 6u);  // now, 100, 500, 2000, streak, sit at 600
  for (size_t i = 0; i < one.rules.size(); ++i) {
    EXPECT_EQ(one.rules[i].coins, two.rules[i].coins);
    EXPECT_EQ(one.rules[i].yen, two.rules[i].yen);
  }
  EXPECT_EQ(one.rules[0].coins, 0);
  EXPECT_EQ(one.hamari, 640);
  // seated at a ハマり past 600, the sit-down rule is the streak rule itself
  EXPECT_EQ(one.rules[5].yen, one.rules[4].yen);
  EXPECT_EQ(one.rules[3].mean_games, 2000);
  EXPECT_GT(one.rules[4].mean_games, 0);
  EXPECT_LE(one.rules[4].mean_games, 2000);
}

// What the question may not hold is refused, naming the field.
TEST(ValueTest, RefusesAQuestionOutOfRange) {
  Progress progress;
  ValueAnswer answer;
  ValueQuestion q =
      QuestionOf({.games = 7900, .releases = {}, .pure_misses = {}}, {{0}, false}, 0, 101, 1, 10);
  EXPECT_EQ(ValueOfPlaying(q, progress, &answer).field(), "games-left");
  q.games_left = 100;
  q.coins = -1;
  EXPECT_EQ(ValueOfPlaying(q, progress, &answer).field(), "coins");
  q.coins = 0;
  q.more = {0};
  EXPECT_EQ(ValueOfPlaying(q, progress, &answer).field(), "more");
  q.more = {50, 500};  // past the games left: dropped
  EXPECT_TRUE(ValueOfPlaying(q, progress, &answer).ok());
  EXPECT_EQ(answer.rules.size(), 3u);
}

}  // namespace
}  // namespace tobiuo
