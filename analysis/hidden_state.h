// SPDX-License-Identifier: GPL-3.0-or-later
// The machine's hidden state at a history's last game, drawn from its exact posterior given what
// the player saw, for the games to come to be played from it.
//
// The history's forward pass, carried past the last release, gives the chance of every state
// that decides the future: the stock (exact up to one more than the games left, beyond which it
// cannot run empty before they are played), whether the initial stock still holds entries (each
// a BIG with probability 1/2, the bonuses won a BIG with the setting's share), and the stretch
// under way: a stocked one with its mode and a release game at or past the games since the last
// release; an empty stock with nothing won since (no release game drawn); or a bonus won at a
// known game of the stretch, whose release game, drawn from the empty-stock table, lies ahead or
// has already passed. Wins in the games since are binomial among the games that released nothing.
// The chance zone drawn at the last release and the pure misses do not show in those games, so
// they keep their prior. Each draw is exact; only the number of draws limits what is simulated
// from them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "analysis/estimate.h"
#include "analysis/history.h"
#include "base/status.h"
#include "engine/lotteries.h"
#include "engine/random_source.h"
#include "engine/run.h"

namespace tobiuo {

// What the forward pass leaves at the last game, in one setting, as chances that sum to 1 (all
// empty when the history is impossible there).
struct HistoryEnds {
  double log_likelihood = -1.0 / 0.0;
  int32_t games_since_release = 0;  // as the game loop counts them at the last game
  int32_t quiet_games = 0;          // the games after the last release (from the start: all)
  // a stocked stretch under way, by the stock at its start (1..; the entry `pooled_from` meaning
  // that many or more), its mode normal [0] or heaven [1]
  std::array<std::vector<double>, 2> stocked;
  size_t pooled_from = 0;
  double nothing_won = 0;      // an empty stock, nothing won since the last release
  std::vector<double> won_at;  // an empty stock then a bonus won, by the game of the stretch
  double heaven_before = 0;    // the chance that the stretch's mode is heaven, before its games
  double win_among_quiet = 0;  // a game that released nothing won a bonus
  double big_share = 0;        // a bonus won is a BIG
  std::array<double, lottery::kLatestRelease + 1> normal{}, heaven{}, empty{};  // P(R = r)
};

// The pass of FitHistory with the stock kept exact up to `extra` + 1 at the end. Expects a
// history that EstimateFromHistory took.
HistoryEnds EndsOfHistory(int setting, const History& history, const HistoryStart& start,
                          size_t extra);

class HiddenStates {
 public:
  // For a checked history; refuses, naming where, a history that no setting can produce (as
  // EstimateFromHistory does). The stock is drawn exact up to `games_left` + 1 entries.
  [[nodiscard]] static Status Make(const History& history, const HistoryStart& start,
                                   const Prior& prior, int32_t games_left, HiddenStates* out);

  const Posterior& posterior() const { return posterior_; }
  const HiddenNow& now() const { return now_; }
  int32_t games_since_release() const { return games_since_release_; }

  // One state from the posterior; the player's coins and purchase are left at 0.
  MachineNow Draw(RandomSource& random) const;

 private:
  // One way the last game can stand, with its chance and the cumulative chance up to it.
  struct Case {
    double cumulative = 0;
    uint8_t setting_index = 0, group = 0;
    enum class Kind : uint8_t { kStocked, kNothingWon, kWon } kind = Kind::kStocked;
    bool heaven = false;
    int32_t value = 0;  // the stock at the stretch's start, or the game of the win
  };
  // The initial stocks split where it matters: those the releases used up [0], and those above
  // [1], which never ran empty and still hold stock - releases initial entries.
  struct Group {
    HistoryEnds ends;
    std::vector<int16_t> stocks;
  };
  int32_t StockLeft(const Case& c, const Group& g, RandomSource& random) const;

  Posterior posterior_;
  HiddenNow now_;
  int32_t games_since_release_ = 0;
  int32_t games_left_ = 0;
  int16_t releases_ = 0;
  std::vector<Case> cases_;
  std::array<std::array<Group, 2>, 6> groups_;
};

}  // namespace tobiuo
