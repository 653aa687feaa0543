// SPDX-License-Identifier: GPL-3.0-or-later
// The history form: the triggers' names, the start's stock as typed, the checks of a history.

#include <algorithm>
#include <numeric>

#include "analysis/history.h"
#include "engine/run.h"

namespace tobiuo {

std::string ReleaseText(size_t i, const HistoryRelease& r) {
  return std::to_string(i) + "件目の解除（" + std::to_string(r.game) + "ゲーム目）";
}

const TriggerName& NameOf(Trigger trigger) {
  for (const TriggerName& name : kTriggerNames) {
    if (name.trigger == trigger) return name;
  }
  return kTriggerNames.back();
}

std::optional<Trigger> TriggerNamed(std::string_view text) {
  for (const TriggerName& name : kTriggerNames) {
    if (text == name.key || text == name.label) return name.trigger;
  }
  return std::nullopt;
}

std::vector<int16_t> UnknownStock() {
  std::vector<int16_t> all(kMaxInitialStock + 1);
  std::iota(all.begin(), all.end(), int16_t{0});
  return all;
}

Status CheckHistory(const History& h) {
  if (h.games < 1 || h.games > kMaxGames) {
    return Refuse(kCountGamesField, "P数は1～8000の整数で入力してください");
  }
  if (h.watched_from < 1 || h.watched_from > h.games) {
    return Refuse(kWatchedFromField, "見始めたゲームは1～P数の整数で入力してください");
  }
  int32_t previous = 0, noted_misses = 0;
  for (size_t i = 0; i < h.releases.size(); ++i) {
    const HistoryRelease& r = h.releases[i];
    if (r.game < 1 || r.game > h.games) {
      return Status::BadInput(kHistoryField.key,
                              ReleaseText(i + 1, r) + ": 解除のゲームは1～P数で入力してください",
                              i + 1);
    }
    if (r.game <= previous) {
      return Status::BadInput(
          kHistoryField.key, ReleaseText(i + 1, r) + ": 解除のゲームは前の解除より後にしてください",
          i + 1);
    }
    if (r.game < h.watched_from && r.trigger != Trigger::kUnknown) {
      return Status::BadInput(
          kHistoryField.key,
          ReleaseText(i + 1, r) + ": 見始める前の解除の契機は「不明」にしてください", i + 1);
    }
    previous = r.game;
    noted_misses += r.trigger == Trigger::kPureMiss ? 1 : 0;
  }
  if (h.pure_misses && (*h.pure_misses < 0 || *h.pure_misses > h.games - h.watched_from + 1)) {
    return Refuse(kPureMissField, h.watched_from == 1
                                      ? "純ハズレ回数は0～P数の整数で入力してください"
                                      : "純ハズレ回数は0～見ていたゲーム数（" +
                                            std::to_string(h.games - h.watched_from + 1) +
                                            "）の整数で入力してください");
  }
  if (h.pure_misses && *h.pure_misses < noted_misses) {
    return Refuse(kPureMissField, "純ハズレ回数が契機「純ハズレ」の解除の数より少なくなっています");
  }
  return Status::Ok();
}

Status ValidateHistory(const HistoryInputs& in, History* history, HistoryStart* start) {
  int64_t games = 0;
  std::optional<int64_t> misses;
  if (Status s = ReadWholeField(in.games, kCountGamesField, 1, kMaxGames, &games); !s.ok()) {
    return s;
  }
  std::optional<int64_t> watched;
  if (Status s = ReadOptionalWholeField(in.watched_from, kWatchedFromField, 1, games, &watched);
      !s.ok()) {
    return s;
  }
  if (Status s = ReadOptionalWholeField(in.pure_misses, kPureMissField, 0, games, &misses);
      !s.ok()) {
    return s;
  }
  History h;
  h.games = static_cast<int32_t>(games);
  h.watched_from = static_cast<int32_t>(watched.value_or(1));
  if (misses) h.pure_misses = static_cast<int32_t>(*misses);
  h.releases = in.releases;
  HistoryStart from;
  if (in.stock_unknown) {
    from.stocks = UnknownStock();
  } else if (Status s = ReadStockChoice(in.stock, kStockField, &from.stocks); !s.ok()) {
    return s;
  }
  from.setting_changed = in.setting_changed;
  if (in.setting_changed_unknown) from.setting_changed.reset();
  if (Status s = CheckHistory(h); !s.ok()) return s;
  *history = std::move(h);
  *start = std::move(from);
  return Status::Ok();
}

Status ReadStockChoice(std::string_view typed, FieldName field, std::vector<int16_t>* stocks) {
  std::string text(typed);
  // what an input method types for the separators reads like ASCII
  for (const auto& [wide, ascii] :
       {std::pair{"，", ","}, {"、", ","}, {"－", "-"}, {"～", "-"}, {"〜", "-"}, {"~", "-"}}) {
    for (size_t at; (at = text.find(wide)) != std::string::npos;)
      text.replace(at, std::string_view(wide).size(), ascii);
  }
  const size_t begin = text.find_first_not_of(' '), end = text.find_last_not_of(' ');
  const std::string_view trimmed = begin == std::string::npos
                                       ? std::string_view()
                                       : std::string_view(text).substr(begin, end - begin + 1);
  if (trimmed == "不明" || trimmed == "unknown") {
    *stocks = UnknownStock();
    return Status::Ok();
  }
  const auto read = [&](std::string_view part, int16_t* value) {
    return ReadRoundedField(part, field, 0, kMaxInitialStock, value);
  };
  std::vector<int16_t> chosen;
  const size_t dash = trimmed.find('-', 1);
  if (dash != std::string_view::npos && trimmed.find(',') == std::string_view::npos) {
    int16_t low = 0, high = 0;
    if (Status s = read(trimmed.substr(0, dash), &low); !s.ok()) return s;
    if (Status s = read(trimmed.substr(dash + 1), &high); !s.ok()) return s;
    if (low > high)
      return Refuse(field, std::string(field.label) + "の範囲は小さい方から書いてください");
    for (int32_t s = low; s <= high; ++s) chosen.push_back(static_cast<int16_t>(s));
  } else {
    for (size_t start = 0;;) {
      const size_t comma = std::min(trimmed.find(',', start), trimmed.size());
      if (Status s = read(trimmed.substr(start, comma - start), &chosen.emplace_back()); !s.ok()) {
        return s;
      }
      if (comma == trimmed.size()) break;
      start = comma + 1;
    }
  }
  // a set of equally likely stocks: one named twice is still one of them
  std::vector<int16_t> once;
  for (const int16_t s : chosen) {
    if (std::find(once.begin(), once.end(), s) == once.end()) once.push_back(s);
  }
  *stocks = std::move(once);
  return Status::Ok();
}

}  // namespace tobiuo
