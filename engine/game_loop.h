// SPDX-License-Identifier: GPL-3.0-or-later
// The game loop: plays the chosen number of games one by one and releases stocked bonuses.
//
// Each game buys coins when the player has run out, bets 3 coins, draws the role (1..65535),
// applies it (small wins, cherry and pure-miss releases, bonuses won into the stock) and, when the
// count of games since the last release reaches ReleaseGame, pays the head of the stock with the
// release block of log lines, the quit rule and the next mode, release game and chance zone. Every
// 100 games it writes the chart row. After the last game it writes the closing "ヤメ:" line, the
// result summary and the last chart row.
//
// The loop fills the record's figures itself, as it plays. It expects the run's preparation
// (tables, stock, first release game and chance zone, chart rows) or a paused run's state; a
// counter leaving its integer type throws RunAbort at that point. Used by the run's functions.
#pragma once

#include "engine/run.h"

namespace tobiuo {

// Plays on from `counters` (zero for a fresh run) to the plan's last game, or until
// counters->GameNo reaches `pause_at` (0: never); true when it paused there, the counters as
// they then stand, without the end of the run.
bool RunGames(SimState& state, RandomSource& random, RunRecord& record, Keep keep,
              RunObserver* observer, LoopCounters* counters, int32_t pause_at = 0);

}  // namespace tobiuo
