// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/hit_rates.h"

#include <algorithm>
#include <cmath>

namespace tobiuo {
namespace {

#include "analysis/hit_rates.inc"

using Hits = std::array<double, kHitRateGames.size()>;

double Interpolate(const Hits& hits, int32_t games) {
  const double g = std::clamp<double>(games, 1, kMaxGames);
  const auto at = [](size_t i) { return static_cast<double>(kHitRateGames[i]); };
  if (g <= at(0)) return 1.0 / 6 + (hits[0] - 1.0 / 6) * g / at(0);
  size_t i = 1;
  while (i + 1 < hits.size() && g > at(i)) ++i;
  const double t = std::log(g / at(i - 1)) / std::log(at(i) / at(i - 1));
  return hits[i - 1] + (hits[i] - hits[i - 1]) * t;
}

// The measured start nearest the assumed one: a single stock is 0 or not, several are 不明.
HitRateStart Nearest(const HistoryStart& assumed) {
  HitRateStart near;
  near.stock = assumed.stocks.size() > 1 ? -1 : assumed.stocks[0] == 0 ? 0 : 20;
  near.changed = assumed.setting_changed ? *assumed.setting_changed : -1;
  return near;
}

bool Same(const HistoryStart& a, const HistoryStart& b) {
  return a.stocks == b.stocks && a.setting_changed == b.setting_changed;
}

}  // namespace

HistoryStart StartOf(const HitRateStart& start) {
  HistoryStart s;
  s.stocks =
      start.stock < 0 ? UnknownStock() : std::vector<int16_t>{static_cast<int16_t>(start.stock)};
  if (start.changed < 0) {
    s.setting_changed.reset();
  } else {
    s.setting_changed = start.changed == 1;
  }
  return s;
}

HitRate HitRateFor(JudgedBy method, int32_t games, const HistoryStart& assumed) {
  HitRate answer;
  if (method == JudgedBy::kPureMisses) {  // the pure misses know nothing of the start
    answer = {Interpolate(kPureMissHits, games), assumed, true};
  } else if (method == JudgedBy::kCounts) {
    answer = {Interpolate(kCountHits, games), HistoryStart{}, Same(assumed, HistoryStart{})};
  } else {
    const HitRateStart near = Nearest(assumed);
    for (const HistoryHitRow& row : kHistoryHits) {
      if (row.start.stock != near.stock || row.start.changed != near.changed) continue;
      answer = {Interpolate(row.hits, games), StartOf(row.start), false};
      answer.for_assumed = Same(answer.start, assumed);
    }
  }
  return answer;
}

std::string StartText(const HistoryStart& start) {
  std::string stocks;
  if (start.stocks == UnknownStock()) {
    stocks = "不明";
  } else if (start.stocks.size() > 2 && start.stocks.back() - start.stocks.front() + 1 ==
                                            static_cast<int>(start.stocks.size())) {
    stocks = std::to_string(start.stocks.front()) + "-" + std::to_string(start.stocks.back());
  } else {
    for (int16_t stock : start.stocks)
      stocks += (stocks.empty() ? "" : ",") + std::to_string(stock);
  }
  const std::string changed = !start.setting_changed   ? "設定変更不明"
                              : *start.setting_changed ? "設定変更あり"
                                                       : "設定変更なし";
  return "初期ストック" + stocks + "・" + changed;
}

Hits MeanHits(const std::vector<HistoryPowerRow>& rows) {
  Hits mean{};
  for (const HistoryPowerRow& row : rows) {
    const auto at = std::find(kHitRateGames.begin(), kHitRateGames.end(), row.games);
    if (at != kHitRateGames.end())
      mean[static_cast<size_t>(at - kHitRateGames.begin())] += row.hit / 6;
  }
  return mean;
}

const std::vector<HistoryHitRow>& HistoryHits() { return kHistoryHits; }
const Hits& PureMissHits() { return kPureMissHits; }
const Hits& CountHits() { return kCountHits; }

}  // namespace tobiuo
