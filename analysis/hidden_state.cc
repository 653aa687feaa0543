// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/hidden_state.h"

#include <algorithm>
#include <cmath>

namespace tobiuo {
namespace {

// A uniform real in [0, 1) from two of the source's 24-bit draws.
double Uniform(RandomSource& random) {
  constexpr int32_t k24 = 1 << 24;
  const double high = random.Draw(k24) - 1, low = random.Draw(k24) - 1;
  return (high * k24 + low) * 0x1.0p-48;
}

// Wins among `games` games, each a win with odds `p`: by inversion, from no win up.
int32_t Binomial(int32_t games, double p, RandomSource& random) {
  const double u = Uniform(random);
  double term = std::pow(1 - p, games), below = term;
  int32_t k = 0;
  while (u >= below && k < games) {
    term *= static_cast<double>(games - k) / (k + 1) * p / (1 - p);
    ++k;
    below += term;
  }
  return k;
}

// A release game from the table `at`, among the games `allowed` admits.
template <typename Allowed>
int16_t ReleaseGameAmong(const std::array<double, lottery::kLatestRelease + 1>& at, Allowed allowed,
                         RandomSource& random) {
  double total = 0;
  for (int32_t r = 1; r <= lottery::kLatestRelease; ++r)
    total += allowed(r) ? at[static_cast<size_t>(r)] : 0;
  double left = Uniform(random) * total;
  int16_t chosen = 0;
  for (int32_t r = 1; r <= lottery::kLatestRelease; ++r) {
    if (!allowed(r) || at[static_cast<size_t>(r)] == 0) continue;
    chosen = static_cast<int16_t>(r);  // the last possible one, should rounding reach it
    left -= at[static_cast<size_t>(r)];
    if (left < 0) break;
  }
  return chosen;
}

}  // namespace

Status HiddenStates::Make(const History& history, const HistoryStart& start, const Prior& prior,
                          int32_t games_left, HiddenStates* out) {
  HiddenStates h;
  if (Status s = EstimateFromHistory(history, start, prior, &h.posterior_, &h.now_); !s.ok()) {
    return s;
  }
  h.games_left_ = games_left;
  h.releases_ = static_cast<int16_t>(history.releases.size());
  std::array<std::vector<int16_t>, 2> stocks;
  for (const int16_t x : start.stocks) stocks[x > h.releases_ ? 1 : 0].push_back(x);
  double cumulative = 0;
  for (size_t i = 0; i < 6; ++i) {
    const double p_setting = h.posterior_.probability[i];
    if (p_setting <= 0) continue;
    std::array<double, 2> log_weight{-1.0 / 0.0, -1.0 / 0.0};
    for (size_t g = 0; g < 2; ++g) {
      Group& group = h.groups_[i][g];
      group.stocks = stocks[g];
      if (group.stocks.empty()) continue;
      HistoryStart part = start;
      // above the releases every stock plays alike: one pass from the lowest, shifted when drawn
      part.stocks =
          g == 0 ? group.stocks : std::vector<int16_t>{static_cast<int16_t>(h.releases_ + 1)};
      group.ends =
          EndsOfHistory(static_cast<int>(i) + 1, history, part, static_cast<size_t>(games_left));
      h.games_since_release_ = group.ends.games_since_release;
      log_weight[g] =
          std::log(static_cast<double>(group.stocks.size())) + group.ends.log_likelihood;
    }
    const double top = std::max(log_weight[0], log_weight[1]);
    const double norm = std::exp(log_weight[0] - top) + std::exp(log_weight[1] - top);
    for (size_t g = 0; g < 2; ++g) {
      const HistoryEnds& e = h.groups_[i][g].ends;
      const double weight = p_setting * std::exp(log_weight[g] - top) / norm;
      if (!(weight > 0)) continue;
      const auto add = [&](double p, Case::Kind kind, bool heaven, size_t value) {
        if (p <= 0) return;
        cumulative += weight * p;
        h.cases_.push_back({cumulative, static_cast<uint8_t>(i), static_cast<uint8_t>(g), kind,
                            heaven, static_cast<int32_t>(value)});
      };
      for (size_t heaven = 0; heaven < 2; ++heaven) {
        for (size_t s = 1; s < e.stocked[heaven].size(); ++s) {
          add(e.stocked[heaven][s], Case::Kind::kStocked, heaven == 1, s);
        }
      }
      add(e.nothing_won, Case::Kind::kNothingWon, false, 0);
      for (size_t won = 0; won < e.won_at.size(); ++won)
        add(e.won_at[won], Case::Kind::kWon, false, won);
    }
  }
  *out = std::move(h);
  return Status::Ok();
}

// The stock at the last game: at the stretch's start plus the bonuses won since (one at the win
// game after an empty stock), as the pass counts it (from the stock above the releases for the
// group above).
int32_t HiddenStates::StockLeft(const Case& c, const Group& g, RandomSource& random) const {
  const HistoryEnds& e = g.ends;
  switch (c.kind) {
    case Case::Kind::kStocked:
      return c.value + Binomial(e.quiet_games, e.win_among_quiet, random);
    case Case::Kind::kWon:
      return 1 + Binomial(e.games_since_release - 1 - c.value, e.win_among_quiet, random);
    case Case::Kind::kNothingWon:
      break;
  }
  return 0;
}

MachineNow HiddenStates::Draw(RandomSource& random) const {
  const double u = Uniform(random) * cases_.back().cumulative;
  const auto it = std::upper_bound(cases_.begin(), cases_.end(), u,
                                   [](double x, const Case& c) { return x < c.cumulative; });
  const Case& c = it == cases_.end() ? cases_.back() : *it;
  const Group& g = groups_[c.setting_index][c.group];
  const HistoryEnds& e = g.ends;
  MachineNow now;
  now.setting = c.setting_index + 1;
  now.games_since_release = e.games_since_release;
  SimState zone;
  DrawChanceZone(zone, random);
  now.chance_zone_game = zone.ChanceZoneGame;
  const int32_t last = e.games_since_release - 1;  // the stretch's games that released nothing
  switch (c.kind) {
    case Case::Kind::kStocked:
      now.mode = c.heaven ? Mode::kHeaven : Mode::kNormal;
      now.release_game = ReleaseGameAmong(
          c.heaven ? e.heaven : e.normal, [&](int32_t r) { return r > last; }, random);
      break;
    case Case::Kind::kWon:
      now.release_game = ReleaseGameAmong(
          e.empty, [&](int32_t r) { return r < c.value || r > last; }, random);
      [[fallthrough]];
    case Case::Kind::kNothingWon:
      now.mode = Uniform(random) < e.heaven_before ? Mode::kHeaven : Mode::kNormal;
      break;
  }
  // In release order: the initial stock's entries left (above the releases only), then the
  // bonuses won; a stock past the games left cannot run empty in them, so it is cut there.
  const bool pooled =
      c.kind == Case::Kind::kStocked && static_cast<size_t>(c.value) == e.pooled_from;
  int32_t won = StockLeft(c, g, random), initial = 0;
  if (c.group == 1) {
    const auto x =
        g.stocks[static_cast<size_t>(random.Draw(static_cast<int32_t>(g.stocks.size())) - 1)];
    initial = x - releases_;
    won -= 1;
  }
  const int32_t most = std::min(games_left_ + 1, kStockCapacity);
  const int32_t total = pooled ? most : std::min(initial + won, most);
  for (int32_t k = 0; k < total; ++k) {
    const bool big = k < initial ? random.Draw(2) == 1 : Uniform(random) < e.big_share;
    now.stock += big ? 'B' : 'R';
  }
  return now;
}

}  // namespace tobiuo
