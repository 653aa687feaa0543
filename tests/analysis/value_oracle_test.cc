// SPDX-License-Identifier: GPL-3.0-or-later
// An exact oracle for playing N more games: a dynamic programme over the machine's own rules,
// written apart from the engine and the history's pass, for the state after one game with no
// release from an empty stock. The expected coins are N times a game's mean payout less the bet,
// plus the expected releases times a released bonus's mean (every entry a bonus won, BIG with the
// setting's share); the releases come from the programme, the BIG's mean from one over its games.

#include <gtest/gtest.h>

#include <vector>

#include "analysis/value.h"
#include "engine/lotteries.h"
#include "engine/random_source.h"
#include "engine/setting_tables.h"

namespace tobiuo {
namespace {

using lottery::kRoleDraws;

// The share of each outcome of a draw of 1..n sent to the first range of `low`/`high` holding it.
template <typename Low, typename High>
std::vector<double> FirstHolding(const Low& low, const High& high, size_t first, int32_t n) {
  std::vector<double> share(low.size() + 1, 0.0);  // the last: no range holds it
  for (int32_t d = 1; d <= n; ++d) {
    size_t at = low.size();
    for (size_t i = first; i < low.size(); ++i) {
      if (low[i] <= d && d <= high[i]) {
        at = i;
        break;
      }
    }
    share[at] += DrawShare(d, d, n);
  }
  return share;
}

// P(R = r) for a release table, r = 1..kLatestRelease.
std::vector<double> ReleaseTable(const std::array<int16_t, 16>& low,
                                 const std::array<int16_t, 16>& high) {
  const std::vector<double> category = FirstHolding(low, high, 0, lottery::kCategoryDraws);
  EXPECT_EQ(category.back(), 0);  // every draw names a category
  std::vector<double> at(lottery::kLatestRelease + 1, 0.0);
  for (size_t c = 0; c < 16; ++c) {
    for (int32_t k = 1; k <= lottery::kRangeGames; ++k) {
      at[static_cast<size_t>(kReleaseBaseGame[c] + k - 1)] +=
          category[c] * DrawShare(k, k, lottery::kRangeGames);
    }
  }
  return at;
}

// The mean net coins of a BIG: over its games, with whether its first bonus game has come.
double MeanBig(const SimState& t) {
  const std::vector<double> p =
      FirstHolding(t.BigGameLow, t.BigGameHigh, 0, lottery::kBigGameDraws);
  std::array<double, 2> mass{1, 0};  // by the first bonus game played
  double mean = 15;
  for (int game = 1; game <= lottery::kBigGames; ++game) {
    const double going = mass[0] + mass[1];
    mean += going * (-3 + 12 * p[0] + 14 * p[2] + 6 * p[3]) + mass[0] * 114 * p[1];
    const bool ends = game >= lottery::kBigEndsFromGame;
    if (ends) mean += mass[1] * 114 * p[1];
    mass = {mass[0] * (1 - p[1]), mass[0] * p[1] + mass[1] * (ends ? 1 - p[1] : 1)};
  }
  return mean;
}

// E[coins over n games] after one game with no release from an empty stock, in the setting.
double ExactCoins(int setting, int32_t n) {
  SimState t;
  LoadSettingTables(t, setting);
  // entries 1..7 of the role table; 0: no role
  std::vector<double> role(8, 0.0);
  const std::vector<double> first = FirstHolding(t.RoleLow, t.RoleHigh, 1, kRoleDraws);
  for (size_t r = 1; r <= 7; ++r) role[r] = first[r];
  const double win = role[6] + role[7], big_share = role[6] / win;
  const double cherry_pays = DrawShare(1, lottery::kCherryReleasePaysUpTo, kRoleDraws);
  const double immediate =
      role[5] + role[2] * DrawShare(lottery::kCherryPaysUpTo + 1, kRoleDraws, kRoleDraws);
  const double per_game = 3 * role[1] + 6 * role[3] + 10 * role[4] + 7 * role[2] * cherry_pays - 3;
  const std::vector<double> normal = ReleaseTable(t.NormalReleaseLow, t.NormalReleaseHigh);
  const std::vector<double> heaven = ReleaseTable(t.HeavenReleaseLow, t.HeavenReleaseHigh);
  const std::vector<double> empty = ReleaseTable(t.EmptyStockReleaseLow, t.EmptyStockReleaseHigh);
  std::vector<double> zone(lottery::kChanceZone.back().game + 1, 0.0);
  for (int32_t d = 1, row = 0; d <= lottery::kChanceZoneDraws; ++d) {
    while (lottery::kChanceZone[static_cast<size_t>(row)].last_draw < d) ++row;
    zone[static_cast<size_t>(lottery::kChanceZone[static_cast<size_t>(row)].game)] +=
        DrawShare(d, d, lottery::kChanceZoneDraws);
  }
  // Relative counts, capped where the horizon makes them alike: d = R - c (games until the
  // release game; -1 passed, top: not within the games left), e = zone - c (-1: the zone has
  // passed, so the next mode is normal; top: heaven for any release to come). An empty stock
  // keeps c, the games since the last release, for the empty-stock table counted from it.
  const auto top = static_cast<size_t>(n + 2);
  const auto rel = [&](int32_t x) { return static_cast<size_t>(std::clamp(x, -1, n + 1) + 1); };
  using Grid = std::vector<std::vector<double>>;  // [d or c][e]
  std::vector<Grid> stocked(static_cast<size_t>(n + 3),
                            Grid(top + 1, std::vector<double>(top + 1)));
  Grid quiet(top + 1, std::vector<double>(top + 1, 0.0));  // an empty stock, by c
  // after game 1 (c = 1): nothing won, or a bonus won whose release game lies ahead
  for (size_t z = 1; z < zone.size(); ++z) {
    if (zone[z] == 0) continue;
    const size_t e = rel(static_cast<int32_t>(z) - 1);
    quiet[1][e] += (1 - win) * zone[z];
    for (size_t r = 1; r < empty.size(); ++r) {
      stocked[1][rel(static_cast<int32_t>(r) - 1)][e] += win * zone[z] * empty[r];
    }
  }
  double releases = 0;
  for (int32_t game = 0; game < n; ++game) {
    std::vector<Grid> next(stocked.size(), Grid(top + 1, std::vector<double>(top + 1, 0.0)));
    Grid next_quiet(top + 1, std::vector<double>(top + 1, 0.0));
    const auto decrement = [&](size_t x) { return x == 0 || x == top ? x : x - 1; };
    // the releases of this game by the stock they leave from and the mode they set (the zone
    // reaching the release's count: heaven), the next stretches drawn once for each
    std::vector<std::array<double, 2>> released(stocked.size(), {0.0, 0.0});
    const auto release = [&](size_t s, size_t e, double mass) {
      releases += mass;
      released[s][e >= 1 ? 1 : 0] += mass;
    };
    for (size_t s = 1; s + 1 < stocked.size(); ++s) {
      for (size_t d = 0; d <= top; ++d) {
        for (size_t e = 0; e <= top; ++e) {
          const double m = stocked[s][d][e];
          if (m == 0) continue;
          release(s, e, m * immediate);  // a pure miss or a releasing cherry
          if (d == 1) {                  // the release game is this one
            release(s + 1, e, m * win);
            release(s, e, m * (1 - immediate - win));
          } else {
            next[s + 1][decrement(d)][decrement(e)] += m * win;
            next[s][decrement(d)][decrement(e)] += m * (1 - immediate - win);
          }
        }
      }
    }
    for (size_t c = 0; c <= top; ++c) {
      for (size_t e = 0; e <= top; ++e) {
        const double m = quiet[c][e];
        if (m == 0) continue;
        const auto games = static_cast<int32_t>(c);
        next_quiet[std::min(c + 1, top)][decrement(e)] += m * (1 - win);
        for (size_t r = 1; r < empty.size(); ++r) {  // a win: its release game from the table
          if (empty[r] == 0) continue;
          const int32_t ahead = static_cast<int32_t>(r) - games;
          if (ahead == 0) {
            release(1, e, m * win * empty[r]);
          } else {
            next[1][rel(ahead - 1)][decrement(e)] += m * win * empty[r];
          }
        }
      }
    }
    for (size_t s = 1; s < released.size(); ++s) {
      for (size_t mode = 0; mode < 2; ++mode) {
        const double mass = released[s][mode];
        if (mass == 0) continue;
        for (size_t z = 1; z < zone.size(); ++z) {
          if (zone[z] == 0) continue;
          const size_t e = rel(static_cast<int32_t>(z) - 1);  // the count starts again
          if (s == 1) {
            next_quiet[1][e] += mass * zone[z];
            continue;
          }
          const std::vector<double>& table = mode == 1 ? heaven : normal;
          for (size_t r = 1; r < table.size(); ++r) {
            next[s - 1][rel(static_cast<int32_t>(r) - 1)][e] += mass * zone[z] * table[r];
          }
        }
      }
    }
    stocked = std::move(next);
    quiet = std::move(next_quiet);
  }
  return n * per_game + releases * (big_share * MeanBig(t) + (1 - big_share) * 113);
}

// With one quiet game seen from an empty stock, playing 60 more games is worth what the exact
// programme says, in every setting, within 3 standard errors of 4000 draws.
TEST(ValueOracleTest, PlayingOnIsTheExactExpectationAfterOneQuietGame) {
  for (int setting = 1; setting <= 6; ++setting) {
    ValueQuestion q;
    q.history = {.games = 1, .releases = {}, .pure_misses = {}};
    q.start = {{0}, false};
    q.prior = {};
    q.prior[static_cast<size_t>(setting - 1)] = 1;
    q.games_left = 60;
    q.more.clear();
    q.streak_rules = false;
    q.seed = static_cast<uint32_t>(setting);
    q.draws = 4000;
    ValueAnswer answer;
    Progress progress;
    ASSERT_TRUE(ValueOfPlaying(q, progress, &answer).ok());
    const RuleValue& played = answer.rules.at(1);
    EXPECT_NEAR(played.coins, ExactCoins(setting, 60), 3 * played.coins_se)
        << "setting " << setting;
  }
}

}  // namespace
}  // namespace tobiuo
