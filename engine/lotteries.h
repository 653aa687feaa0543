// The machine's three lotteries besides the role of a game.
//
// DrawReleaseGame picks a release category from the empty-stock, heaven or normal table (in that
// order of precedence) with one draw of 1..2048 and a game inside the category's 30-game range with
// one draw of 1..30. DrawChanceZone picks the last game of the next chance zone with one draw of
// 1..251. DrawBigPayout plays one BIG bonus of at most 30 games, one draw of 1..65536 each, and
// returns its net coins (93 to 545). All read the tables that LoadSettingTables stored.
#pragma once

#include <array>
#include <cstdint>

#include "engine/sim_state.h"

namespace tobiuo {

class RandomSource;

// First game of each release category's 30-game range.
inline constexpr std::array<int16_t, 16> kReleaseBaseGame = {
    1, 32, 63, 101, 201, 301, 401, 501, 601, 701, 777, 808, 901, 1001, 1101, 1201};

// Sets ReleaseCategory, ReleaseRangeBase and ReleaseGame.
void DrawReleaseGame(SimState& state, RandomSource& random);

// Sets ChanceZoneDraw and ChanceZoneGame.
void DrawChanceZone(SimState& state, RandomSource& random);

// The net coins of one BIG bonus; changes no member.
int16_t DrawBigPayout(const SimState& state, RandomSource& random);

}  // namespace tobiuo
