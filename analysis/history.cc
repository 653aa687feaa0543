// SPDX-License-Identifier: GPL-3.0-or-later
// The posterior of the settings from a history, and what to change when none can produce it.

#include "analysis/history.h"

#include <cmath>
#include <limits>

namespace tobiuo {

namespace {
constexpr double kMinusInfinity = -std::numeric_limits<double>::infinity();
}  // namespace

namespace {

bool PossibleInSome(const History& history, const HistoryStart& start, const Prior& prior) {
  for (size_t i = 0; i < 6; ++i) {
    if (prior[i] > 0 && FitHistory(static_cast<int>(i) + 1, history, start).impossible_at == 0) {
      return true;
    }
  }
  return false;
}

// What a player may change so that some setting can produce the history, each tried through the
// pass: the refused release's trigger, the start's stock or setting change, or the pure misses
// left out. Nothing when no single change does.
std::string Advice(const History& history, const HistoryStart& start, const Prior& prior,
                   size_t impossible_at) {
  std::vector<std::string> changes;
  if (impossible_at <= history.releases.size() &&
      history.releases[impossible_at - 1].trigger != Trigger::kUnknown) {
    History unknown = history;
    unknown.releases[impossible_at - 1].trigger = Trigger::kUnknown;
    if (PossibleInSome(unknown, start, prior)) changes.emplace_back("その契機を「不明」にする");
  }
  if (start.stocks != UnknownStock() &&
      PossibleInSome(history, {UnknownStock(), start.setting_changed}, prior)) {
    changes.emplace_back("初期ストック数を「不明」にする");
  }
  if (start.setting_changed.has_value() &&
      PossibleInSome(history, {start.stocks, std::nullopt}, prior)) {
    changes.emplace_back("設定変更を「不明」にする");
  }
  if (history.pure_misses.has_value()) {
    History without = history;
    without.pure_misses.reset();
    if (PossibleInSome(without, start, prior)) changes.emplace_back("純ハズレ回数を空にする");
  }
  if (changes.empty()) return "";
  std::string text = "。起こりうる履歴になるのは: ";
  for (size_t i = 0; i < changes.size(); ++i) text += (i == 0 ? "" : "、または") + changes[i];
  return text;
}

}  // namespace

Status EstimateFromHistory(const History& history, const HistoryStart& start, const Prior& prior,
                           Posterior* posterior, HiddenNow* now) {
  std::array<double, 6> log_p{};
  std::array<HiddenNow, 6> given{};
  size_t impossible_at = 0;
  bool possible = false;
  for (size_t i = 0; i < 6; ++i) {
    if (prior[i] <= 0) {
      log_p[i] = kMinusInfinity;
      continue;
    }
    const HistoryFit fit = FitHistory(static_cast<int>(i) + 1, history, start, now != nullptr);
    log_p[i] = std::log(prior[i]) + fit.log_likelihood;
    given[i] = fit.now;
    possible = possible || fit.impossible_at == 0;
    impossible_at = std::max(impossible_at, fit.impossible_at);
  }
  if (!possible) {
    const size_t n = history.releases.size();
    const std::string advice = Advice(history, start, prior, impossible_at);
    if (impossible_at <= n) {
      const HistoryRelease& r = history.releases[impossible_at - 1];
      return Status::BadInput(
          kHistoryField.key,
          ReleaseText(impossible_at, r) + "はどの設定でも起こりえません" + advice, impossible_at);
    }
    if (impossible_at == n + 1) {
      return Refuse(kHistoryField, "最後の解除から" + std::to_string(history.games) +
                                       "Pまで解除がないことはどの設定でも起こりえません" + advice);
    }
    return Refuse(kPureMissField, "純ハズレ回数がこの解除履歴とどの設定でも合いません" + advice);
  }
  *posterior = PosteriorOf(log_p);
  if (now) {
    *now = {};
    for (size_t i = 0; i < 6; ++i) {
      now->stock_empty += posterior->probability[i] * given[i].stock_empty;
      now->heaven += posterior->probability[i] * given[i].heaven;
    }
  }
  return Status::Ok();
}

}  // namespace tobiuo
