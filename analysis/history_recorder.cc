// SPDX-License-Identifier: GPL-3.0-or-later
// What a player sees of a run: its releases, their triggers and the pure misses.

#include <algorithm>

#include "analysis/history.h"

namespace tobiuo {

void HistoryRecorder::OnPureMiss(int32_t game) { pure_misses_.push_back(game + 1); }

void HistoryRecorder::OnCherry(int32_t game, bool paid) {
  if (paid) paid_cherry_game_ = game;
}

void HistoryRecorder::OnRelease(int32_t game, bool /*heaven*/, bool big) {
  Trigger trigger = Trigger::kNone;
  if (!pure_misses_.empty() && pure_misses_.back() == game + 1) trigger = Trigger::kPureMiss;
  if (paid_cherry_game_ == game) trigger = Trigger::kCherry;
  releases_.push_back({game + 1, big, trigger});
}

History HistoryRecorder::HistoryOver(int32_t games, int32_t watched_from) const {
  History h;
  h.games = games;
  h.watched_from = watched_from;
  for (HistoryRelease r : releases_) {
    if (r.game < watched_from) r.trigger = Trigger::kUnknown;
    if (r.game <= games) h.releases.push_back(r);
  }
  h.pure_misses = static_cast<int32_t>(
      std::upper_bound(pure_misses_.begin(), pure_misses_.end(), games) -
      std::lower_bound(pure_misses_.begin(), pure_misses_.end(), watched_from));
  return h;
}

History HistoryOfRun(const RunPlan& plan) {
  HistoryRecorder recorder;
  const RunRecord run = PlayRun(plan, Keep::kFigures, &recorder);
  return recorder.HistoryOver(run.figures.GamesBet);
}

}  // namespace tobiuo
