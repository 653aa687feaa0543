// SPDX-License-Identifier: GPL-3.0-or-later
// The machine's three lotteries besides the role of a game.
//
// DrawReleaseGame picks a release category from the empty-stock, heaven or normal table (in that
// order of precedence) with one draw of 1..2048 and a game inside the category's 30-game range with
// one draw of 1..30. DrawChanceZone picks the last game of the next chance zone with one draw of
// 1..251. DrawBigPayout plays one BIG bonus of at most 30 games, one draw of 1..65536 each, and
// returns its net coins (93 to 545). All read the tables that LoadSettingTables stored.
// All are templates on the random source, so that the game loop's generator is called directly.
#pragma once

#include <array>
#include <cstdint>

#include "engine/checked.h"
#include "engine/random_source.h"
#include "engine/sim_state.h"

namespace tobiuo {

// First game of each release category's 30-game range.
inline constexpr std::array<int16_t, 16> kReleaseBaseGame = {
    1, 32, 63, 101, 201, 301, 401, 501, 601, 701, 777, 808, 901, 1001, 1101, 1201};

namespace lottery {

// Index of the first entry of a range table that holds `number`, or -1.
template <typename Low, typename High>
int FirstEntryHolding(const Low& low, const High& high, int32_t number) {
  for (size_t i = 0; i < low.size(); ++i) {
    if (low[i] <= number && number <= high[i]) return static_cast<int>(i);
  }
  return -1;
}

struct ChanceZoneRow {
  int16_t last_draw;
  int16_t game;
};
inline constexpr std::array<ChanceZoneRow, 6> kChanceZone = {
    {{100, 32}, {176, 63}, {246, 94}, {249, 201}, {250, 532}, {251, 1232}}};

// A cherry's second draw of 1..65535: above the first, it releases a stocked bonus at once;
// above the second, that release pays nothing (制御でこぼし).
inline constexpr int32_t kCherryPaysUpTo = 46166;
inline constexpr int32_t kCherryReleasePaysUpTo = 61596;

inline constexpr int kBigGames = 30;
inline constexpr int kBigEndsFromGame = 22;

// The sizes of the draws: each is one draw of 1..n.
inline constexpr int32_t kRoleDraws = 65535;       // a game's role, and a cherry's second draw
inline constexpr int32_t kCategoryDraws = 2048;    // a release category
inline constexpr int32_t kRangeGames = 30;         // the game inside the category's range
inline constexpr int32_t kChanceZoneDraws = 251;   // the chance zone's last game
inline constexpr int32_t kBigGameDraws = 65536;    // each game of a BIG bonus
inline constexpr int32_t kInitialModeDraws = 61;   // the mode after a setting change
inline constexpr int32_t kInitialHeavenUpTo = 10;  // ... heaven up to this draw

// The last game any release range holds: a stocked stretch releases by this game.
inline constexpr int32_t kLatestRelease = kReleaseBaseGame.back() + kRangeGames - 1;

}  // namespace lottery

// Sets ReleaseCategory, ReleaseRangeBase and ReleaseGame.
template <typename Random>
void DrawReleaseGame(SimState& state, Random& random) {
  using lottery::FirstEntryHolding;
  const int32_t d = DrawInt(random, lottery::kCategoryDraws);
  int category;
  if (state.Stock.Count == 0) {
    category = FirstEntryHolding(state.EmptyStockReleaseLow, state.EmptyStockReleaseHigh, d);
  } else if (state.NextMode == Mode::kHeaven) {
    category = FirstEntryHolding(state.HeavenReleaseLow, state.HeavenReleaseHigh, d);
  } else {
    category = FirstEntryHolding(state.NormalReleaseLow, state.NormalReleaseHigh, d);
  }
  if (category >= 0) state.ReleaseCategory = static_cast<int16_t>(category);
  state.ReleaseRangeBase = kReleaseBaseGame[static_cast<size_t>(state.ReleaseCategory)];
  const int32_t k = DrawInt(random, lottery::kRangeGames);
  CheckedSet(state.ReleaseGame, state.ReleaseRangeBase + k - 1, "解除ゲーム");
}

// Sets ChanceZoneDraw and ChanceZoneGame.
template <typename Random>
void DrawChanceZone(SimState& state, Random& random) {
  state.ChanceZoneDraw = static_cast<int16_t>(DrawInt(random, lottery::kChanceZoneDraws));
  for (const lottery::ChanceZoneRow& row : lottery::kChanceZone) {
    if (state.ChanceZoneDraw <= row.last_draw) {
      state.ChanceZoneGame = row.game;
      return;
    }
  }
}

// The net coins of one BIG bonus; changes no member.
template <typename Random>
int16_t DrawBigPayout(const SimState& state, Random& random) {
  int16_t total = 15;
  bool first_bonus_game_played = false;
  for (int game = 1; game <= lottery::kBigGames; ++game) {
    const int32_t b = DrawInt(random, lottery::kBigGameDraws);
    CheckedAdd(total, -3, "BIG獲得枚数");
    switch (lottery::FirstEntryHolding(state.BigGameLow, state.BigGameHigh, b)) {
      case 0:
        CheckedAdd(total, 12, "BIG獲得枚数");
        break;
      case 1:
        if (!first_bonus_game_played) {
          CheckedAdd(total, 114, "BIG獲得枚数");
          first_bonus_game_played = true;
        } else if (game >= lottery::kBigEndsFromGame) {
          CheckedAdd(total, 114, "BIG獲得枚数");
          return total;
        }
        break;
      case 2:
        CheckedAdd(total, 14, "BIG獲得枚数");
        break;
      case 3:
        CheckedAdd(total, 6, "BIG獲得枚数");
        break;
      default:
        break;
    }
  }
  return total;
}

}  // namespace tobiuo
