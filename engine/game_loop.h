// The game loop: plays the chosen number of games one by one and releases stocked bonuses.
//
// Each game buys coins when the player has run out, bets 3 coins, draws the role (1..65535),
// applies it (small wins, cherry and pure-miss releases, bonuses won into the stock) and, when the
// count of games since the last release reaches ReleaseGame, pays the head of the stock with the
// release block of log lines, the quit rule and the next mode, release game and chance zone. Every
// 100 games it plots the coin difference. After the last game it writes the closing "ヤメ:" line,
// the result summary and the last chart point.
//
// RunGames expects the Run command's preparation (tables, stock, first release game and chance
// zone, chart rows). A counter leaving its integer type throws RunAbort at that point.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/summary.h"

namespace tobiuo {

class Panel;
class RandomSource;
struct SimState;

// The validated start inputs of one run.
struct RunPlan {
  std::string setting = "6";        // "1" to "6"
  std::string games_text = "6000";  // the games field as typed; labels the chart's last row
  int32_t games = 6000;             // 1 to 8000
  int16_t rate = 5;                 // coins per 100 yen, 1 or more
  int16_t stock = 20;               // initial stock, 0 to 255
  double quit = 0;                  // quit after a release when no more games than this are left
  bool setting_changed = false;
};

struct RunResult {
  RunFigures figures;
  std::array<int32_t, 8> role_counts{};  // games by role 1..7; index 0 counts games without a role
  int32_t games_bet = 0;      // games in which coins were bet, the one the quit rule stops included
  bool stopped_early = false; // the quit rule ended the run
};

// Plays the run; expects the Run command's preparation. Throws RunAbort on an overflow.
RunResult RunGames(SimState& state, Panel& panel, RandomSource& random, const RunPlan& plan);

}  // namespace tobiuo
