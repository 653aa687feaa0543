// SPDX-License-Identifier: GPL-3.0-or-later
// How well the history tells the settings apart, over runs played from a start.

#include <algorithm>

#include "analysis/history.h"
#include "analysis/parallel_for.h"

namespace tobiuo {

Status HistoryPowerTable(const HistoryStart& from, const Prior& prior,
                         const std::vector<int32_t>& games, uint64_t runs, uint32_t seed,
                         unsigned threads, Progress& progress, std::vector<HistoryPowerRow>* rows) {
  RunPlan plan;
  plan.games = *std::max_element(games.begin(), games.end());
  plan.games_text = std::to_string(plan.games);
  // each run's judgement at each number of games, written by the one worker that plays it
  std::vector<Posterior> judged(6 * runs * games.size());
  const Status done = ParallelFor(6 * runs, threads, progress, [&](uint64_t item, unsigned) {
    RunPlan own = plan;
    own.setting = static_cast<int>(item / runs) + 1;
    own.seed = static_cast<uint32_t>(seed + item % runs);
    // run i starts from the start's stock i mod n and, when the change is 不明, changed in every
    // other round of the n stocks: as even a spread over the start as the runs allow
    const uint64_t i = item % runs, n = from.stocks.size();
    own.stock = from.stocks[i % n];
    own.setting_changed = from.setting_changed.value_or((i / n) % 2 == 1);
    HistoryRecorder recorder;
    (void)PlayRun(own, Keep::kFigures, &recorder);
    for (size_t g = 0; g < games.size(); ++g) {
      Posterior& p = judged[item * games.size() + g];
      if (!EstimateFromHistory(recorder.HistoryOver(games[g]), from, prior, &p).ok()) p = {};
    }
    progress.Advance(1, static_cast<uint64_t>(plan.games));
  });
  if (!done.ok()) return done;
  std::vector<HistoryPowerRow> table;
  for (int s = 1; s <= 6; ++s) {
    for (size_t g = 0; g < games.size(); ++g) {
      HistoryPowerRow& row = table.emplace_back(HistoryPowerRow{s, games[g]});
      for (uint64_t i = 0; i < runs; ++i) {
        const Posterior& p = judged[((static_cast<uint64_t>(s) - 1) * runs + i) * games.size() + g];
        row.hit += (p.most_likely == s ? 1.0 : 0.0) / static_cast<double>(runs);
        row.mean_true += p.probability[static_cast<size_t>(s - 1)] / static_cast<double>(runs);
      }
    }
  }
  *rows = std::move(table);
  return Status::Ok();
}

}  // namespace tobiuo
