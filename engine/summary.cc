// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/summary.h"

#include <cmath>

#include "base/number_text.h"
#include "engine/checked.h"

namespace tobiuo {
namespace {

using Lines = std::vector<std::string>;

void Line(Lines& lines, std::string_view label, const std::string& value = "",
          std::string_view unit = "") {
  lines.push_back(std::string(label).append(value).append(unit));
}

// The rate line: the chosen number of games per event, rounded down. Left out for no events.
void RateLine(Lines& text, std::string_view label, int32_t games, int16_t count) {
  if (count <= 0) return;
  Line(text, label, std::to_string(games / count));
}

}  // namespace

int32_t CashOut(int16_t coins_held, int16_t exchange_rate) {
  if (exchange_rate < 1) return 0;
  const double steps = std::floor(static_cast<double>(coins_held) / exchange_rate);
  return static_cast<int32_t>(steps * 100);
}

int32_t Balance(const RunFigures& figures) {
  int32_t balance = 0;
  CheckedSet(
      balance,
      static_cast<int64_t>(CashOut(figures.CoinsHeld, figures.ExchangeRate)) - figures.InvestTotal,
      "収支");
  return balance;
}

std::vector<std::string> FormatResultSummary(const RunFigures& f) {
  using std::to_string;
  Lines t;
  Line(t, "+++++ ボーナス情報 +++++");
  Line(t, " BIGボーナス：", to_string(f.BigReleases), "回");
  Line(t, " REGボーナス：", to_string(f.RegReleases), "回");
  Line(t, "合計ボーナス：", to_string(f.Releases), "回");
  Line(t, "純ハズレ解除：", to_string(f.PureMissReleases), "回");
  RateLine(t, "純ハズレ確率：1/", f.GamesChosen, f.PureMissReleases);
  Line(t, "チェ解除：", to_string(f.CherryReleases), "回");
  RateLine(t, "チェ解除確率：1/", f.GamesChosen, f.CherryReleases);
  Line(t, "+++++ コイン＆収支情報 +++++");
  Line(t, "持ちコイン：", to_string(f.CoinsHeld));
  Line(t, "Peek時コイン：", to_string(f.PeakCoins), "枚");
  Line(t, "差枚数:", to_string(f.CoinDiff));
  Line(t, "総投資金額合計:", FormatMoney(f.InvestTotal), "円");
  Line(t, "換金額:", FormatMoney(CashOut(f.CoinsHeld, f.ExchangeRate)), "円");
  Line(t, "収支:", FormatMoney(Balance(f)), "円");
  Line(t, "+++++ ハマリ情報 +++++");
  Line(t, "最大BIG間ハマリ：", to_string(f.MaxBigGap), "P");
  Line(t, "最大ボーナス間ハマリ：", to_string(f.MaxBonusGap), "P");
  Line(t, "+++++ モード情報 +++++");
  Line(t, "天国モード回数：", to_string(f.HeavenModeCount), "回");
  Line(t, "通常モード回数：", to_string(f.NormalModeCount), "回");
  Line(t, "+++++ ストック情報 +++++");
  Line(t, "最終BIGストック数：", to_string(f.FinalStock.Big), "個");
  Line(t, "最終REGストック数：", to_string(f.FinalStock.Reg), "個");
  Line(t, "最終合計ストック数：", to_string(f.FinalStock.Count), "個");
  return t;
}

}  // namespace tobiuo
