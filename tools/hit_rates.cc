// SPDX-License-Identifier: GPL-3.0-or-later
// Writes analysis/hit_rates.inc on standard output: how often 設定判別's most likely setting is
// the true one, measured on the power table's runs (`tobiuo-sim estimate --power --seed 2026`)
// for the pure misses, the counts and, for each start of the table below, the history. Takes a
// few minutes on every core:
//   build/tools/tobiuo-hit-rates > analysis/hit_rates.inc
#include "analysis/hit_rates.h"

#include <cstdio>

namespace {

using tobiuo::kHitRateGames;
using Hits = std::array<double, kHitRateGames.size()>;

void Print(const Hits& hits) {
  std::printf("{");
  for (size_t i = 0; i < hits.size(); ++i) std::printf("%s%.17g", i ? ", " : "", hits[i]);
  std::printf("}");
}

}  // namespace

int main() {
  using namespace tobiuo;
  const unsigned threads = AllCores();
  const std::vector<int32_t> games(kHitRateGames.begin(), kHitRateGames.end());
  const Prior equal = {1, 1, 1, 1, 1, 1};
  Progress progress;
  ReleaseModel::Key key{EstimateStart{}, kMaxGames, kHitRateRuns, kHitRateSeed};
  ReleaseModel model, evaluation;
  std::vector<PowerRow> rows;
  if (!ReleaseModel::Build(key, threads, progress, &model).ok()) return 1;
  key.seed += static_cast<uint32_t>(key.runs);  // runs the model has not seen, as --power
  if (!ReleaseModel::Build(key, threads, progress, &evaluation).ok() ||
      !PowerTable(model, evaluation, equal, games, threads, progress, &rows).ok()) {
    return 1;
  }
  Hits pure{}, all{};
  for (const PowerRow& row : rows) {
    for (size_t g = 0; g < games.size(); ++g) {
      pure[g] += row.games == games[g] ? row.hit_pure / 6 : 0;
      all[g] += row.games == games[g] ? row.hit_all / 6 : 0;
    }
  }
  std::printf(
      "// Written by tobiuo-hit-rates (tools/hit_rates.cc); run it again rather than editing.\n");
  std::printf("constexpr std::array<double, 4> kPureMissHits = ");
  Print(pure);
  std::printf(";\nconstexpr std::array<double, 4> kCountHits = ");
  Print(all);
  std::printf(";\nconst std::vector<HistoryHitRow> kHistoryHits = {\n");
  for (int stock : {0, 20, -1}) {
    for (int changed : {0, 1, -1}) {
      const HitRateStart start{stock, changed};
      std::vector<HistoryPowerRow> history;
      if (!HistoryPowerTable(StartOf(start), equal, games, key.runs, key.seed, threads, progress,
                             &history)
               .ok()) {
        return 1;
      }
      std::printf("    {{%d, %d}, ", stock, changed);
      Print(MeanHits(history));
      std::printf("},\n");
      std::fflush(stdout);
    }
  }
  std::printf("};\n");
  return 0;
}
