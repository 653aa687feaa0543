// SPDX-License-Identifier: GPL-3.0-or-later
// What playing on is worth at a machine, from the bonus history a player sees: for each way of
// stopping, the coins (差枚) and money (収支) it ends with on average, with their standard errors,
// the chance of ending in the plus, the games it plays and the spread of one play.
//
// The hidden state now is drawn exactly from its posterior (HiddenStates), and from each draw the
// engine plays on with its own game loop; every rule reads the same played games (common random
// numbers), so their differences are sharper than each alone. The money is what a player who
// sits down now with `coins` in hand ends with: floor(coins at the end / rate) x 100 - money
// invested - floor(coins in hand / rate) x 100, buying 50 coins for 1,000 yen whenever out.
// The rules:
//  - kNow: stop now, the reference (all 0, exact);
//  - kGames: play N more games (or up to the games left);
//  - kStreak: play until the next release, then after each release go on only while another
//    comes within `check` games; at most the games left;
//  - kSitAt: sit down only when the ハマり (games since the last release) is at least `sit_at`,
//    then play as kStreak; otherwise walk past (0).
// The answer depends only on the question, its seed and the number of draws, never on the threads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/estimate.h"
#include "analysis/history.h"
#include "analysis/parallel_for.h"
#include "base/fields.h"
#include "base/status.h"

namespace tobiuo {

inline constexpr FieldName kCoinsField{"coins", "持ちコイン"};
inline constexpr FieldName kGamesLeftField{"games-left", "閉店まで"};
inline constexpr FieldName kMoreField{"more", "追加ゲーム数"};
inline constexpr FieldName kSitAtField{"sit-at", "着席ハマり"};
inline constexpr FieldName kDrawsField{"draws", "試行回数"};
inline constexpr int32_t kDefaultCheck = 92;  // the heaven table's short ranges end there
inline constexpr int32_t kDefaultSitAt = 1000;
inline constexpr int32_t kDefaultDraws = 1000;
inline constexpr int16_t kMostCoinsInHand = 20000;

enum class StopRule { kNow, kGames, kStreak, kSitAt };

struct ValueQuestion {
  History history;
  HistoryStart start;
  Prior prior{1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6};
  int16_t rate = 5;        // coins per 100 yen
  int16_t coins = 0;       // in hand
  int32_t games_left = 0;  // 閉店まで: the most games that can still be played, 1 or more
  std::vector<int32_t> more{100, 300, 500, 1000};  // rule kGames besides the games left
  bool streak_rules = true;                        // kStreak and kSitAt
  int32_t sit_at = kDefaultSitAt;
  int32_t check = kDefaultCheck;
  uint32_t seed = 0;
  int32_t draws = kDefaultDraws;
  unsigned threads = 1;
};

// One rule's figures over the draws.
struct RuleValue {
  StopRule rule = StopRule::kNow;
  int32_t games = 0;  // kGames: N
  double coins = 0, coins_se = 0, yen = 0, yen_se = 0;
  double p_plus = 0;      // 収支 > 0
  double mean_games = 0;  // games played
  int32_t coins_p5 = 0, coins_p95 = 0;
};

struct ValueAnswer {
  Posterior posterior;
  HiddenNow now;
  int32_t hamari = 0;            // games since the last release (since the first game when none)
  std::vector<RuleValue> rules;  // kNow, then kGames by N, then kStreak and kSitAt when asked
  size_t best = 0;               // by expected 収支
  double lead = 0, lead_se = 0;  // its expected 収支 over the next best's, paired
  int32_t draws = 0;
};

// How a rule is named: in files ("now", "games", "streak", "sit_at") and to players
// ("今やめる", "あと300G", "閉店まで(4600G)", ...).
std::string_view RuleKey(StopRule rule);
std::string RuleName(const RuleValue& value, const ValueQuestion& question);

// Validates what the history does not: the games left (1 to 8000 - G), the N asked (1 or more;
// those past the games left are dropped), coins (0 to kMostCoinsInHand), sit_at (0 or more) and
// draws (1 or more); then refuses a history no setting can produce as EstimateFromHistory does.
// A stop through `progress` gives Stopped().
[[nodiscard]] Status ValueOfPlaying(const ValueQuestion& question, Progress& progress,
                                    ValueAnswer* answer);

}  // namespace tobiuo
