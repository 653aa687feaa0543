// SPDX-License-Identifier: GPL-3.0-or-later
// How often 設定判別's most likely setting is the true one, for the start a player assumes: what
// the windows, the command line and the web page say beside a posterior ("当たる割合 約43%").
//
// The rates are measured, not derived: the power table's runs (1000 of each setting, seed 2026,
// an equal prior) judged at 1000, 2000, 4000 and 8000 games and averaged over the six settings,
// written to hit_rates.inc by `tobiuo-hit-rates` (tools/hit_rates.cc). The history's rates are
// measured for the starts a player most often assumes (初期ストック 0, 20 or 不明, each with the
// setting changed, not changed or 不明); another start is answered with the nearest of them, and
// the answer says which. The pure misses do not depend on the start; the counts are measured for
// the default start only.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/estimate.h"
#include "analysis/history.h"
#include "analysis/parallel_for.h"

namespace tobiuo {

inline constexpr std::array<int32_t, 4> kHitRateGames = {1000, 2000, 4000, 8000};
inline constexpr uint64_t kHitRateRuns = 1000;
inline constexpr uint32_t kHitRateSeed = 2026;

// A start the history's rates are measured for: stock -1 is 不明 (0 to 255), changed -1 不明.
struct HitRateStart {
  int stock = 20;
  int changed = 0;
};
struct HistoryHitRow {
  HitRateStart start;
  std::array<double, kHitRateGames.size()> hits{};  // at kHitRateGames
};

struct HitRate {
  double rate = 0;           // the share of runs whose most likely setting is the true one
  HistoryStart start;        // the start it was measured for
  bool for_assumed = false;  // whether that is the start assumed
};

// The rate after `games` games (clamped to 1..8000) by the method from the start assumed:
// interpolated in log(games) between the measured numbers of games and towards chance (1 in 6)
// below the first.
HitRate HitRateFor(JudgedBy method, int32_t games, const HistoryStart& assumed);

// The start in a player's words: 初期ストック20・設定変更なし, 初期ストック不明・設定変更不明.
std::string StartText(const HistoryStart& start);

// ---- Measuring (tools/hit_rates.cc and the test that re-measures a row) ----

HistoryStart StartOf(const HitRateStart& start);
// The mean over the settings of each number of games' hit rate.
std::array<double, kHitRateGames.size()> MeanHits(const std::vector<HistoryPowerRow>& rows);
// The measured rows of the history, and of the pure misses and counts for the default start.
const std::vector<HistoryHitRow>& HistoryHits();
const std::array<double, kHitRateGames.size()>& PureMissHits();
const std::array<double, kHitRateGames.size()>& CountHits();

}  // namespace tobiuo
