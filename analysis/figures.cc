// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/figures.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/number_text.h"

namespace tobiuo {
namespace {

constexpr double kZ95 = 1.96;

double D(Int128 value) { return static_cast<double>(value); }
double Runs(const FigureInputs& in) { return D(in.sums[Sum::kRuns]); }
double CoinsIn(const FigureInputs& in) { return D(kBet * in.sums[Sum::kGamesBet]); }
// A sum per finished run.
double PerRun(const FigureInputs& in, Sum sum) { return D(in.sums[sum]) / Runs(in); }
// A sum per game bet.
double PerGame(const FigureInputs& in, Sum sum) {
  return D(in.sums[sum]) / D(in.sums[Sum::kGamesBet]);
}

double PayoutRatio(const FigureInputs& in) {
  return D(kBet * in.sums[Sum::kGamesBet] + in.sums[Sum::kDiff]) / CoinsIn(in);
}

// The standard error of the payout ratio (a ratio estimator): the residuals out_i - ratio * in_i
// are d_i - c * in_i with c = (sum d) / (sum in); their squares are summed from the exact sums
// without the cancellation of out_i^2 against in_i^2. 0 for a single run.
double PayoutRatioSe(const FigureInputs& in) {
  if (in.sums[Sum::kRuns] < 2) return 0;
  const double n = Runs(in);
  const double c = D(in.sums[Sum::kDiff]) / CoinsIn(in);
  const double e2 = D(in.sums[Sum::kDiffSquares]) - 2 * c * D(in.sums[Sum::kDiffIn]) +
                    c * c * D(in.sums[Sum::kInSquares]);
  return std::sqrt(std::max(e2, 0.0) / (n * (n - 1))) * n / CoinsIn(in);
}

double CoinDiffSd(const FigureInputs& in) {
  if (in.sums[Sum::kRuns] < 2) return 0;
  const double n = Runs(in);
  const Int128 spread =
      in.sums[Sum::kRuns] * in.sums[Sum::kDiffSquares] - in.sums[Sum::kDiff] * in.sums[Sum::kDiff];
  return std::sqrt(D(spread) / (n * (n - 1)));
}

FigureValue Whole(Int128 value) { return static_cast<int64_t>(value); }

using In = const FigureInputs&;

}  // namespace

// Row by row: what each figure is, where it goes and how players read it. The rows are in the
// order of the CSV columns and of the JSON keys.
const std::array<FigureSpec, kFigureCount> kFigures = {{
    {Figure::kSetting, "setting", "/setting", false,
     [](In in) { return FigureValue{int64_t{in.setting}}; }, Format::kWhole, "設定", "台の設定（1～6）", 1, "設定", 1},
    {Figure::kRuns, "runs", "/runs", false,
     [](In in) { return Whole(in.sums[Sum::kRuns] + in.sums[Sum::kOverflowRuns]); }, Format::kWhole,
     nullptr, nullptr, 0, nullptr, 0},
    {Figure::kOverflowRuns, "overflow_runs", "/overflow_runs", false,
     [](In in) { return Whole(in.sums[Sum::kOverflowRuns]); }, Format::kWhole, nullptr, nullptr, 0, nullptr,
     0},
    {Figure::kGamesBet, "games_bet", "/games_bet", false,
     [](In in) { return Whole(in.sums[Sum::kGamesBet]); }, Format::kWhole, nullptr, nullptr, 0, nullptr, 0},
    {Figure::kCoinsIn, "coins_in", "/coins_in", false,
     [](In in) { return Whole(kBet * in.sums[Sum::kGamesBet]); }, Format::kWhole, nullptr, nullptr, 0,
     nullptr, 0},
    {Figure::kCoinsOut, "coins_out", "/coins_out", false,
     [](In in) { return Whole(kBet * in.sums[Sum::kGamesBet] + in.sums[Sum::kDiff]); },
     Format::kWhole, nullptr, nullptr, 0, nullptr, 0},
    {Figure::kPayoutRatio, "payout_ratio", "/payout_ratio", true,
     [](In in) { return FigureValue{PayoutRatio(in)}; }, Format::kPercent, "機械割", "払い出したコインの数 ÷ 使ったコインの数。100%を超えると打つ人が得をする台", 2, "機械割",
     2},
    {Figure::kPayoutRatioLow, "payout_ratio_ci95_low", "/payout_ratio_ci95/0", true,
     [](In in) { return FigureValue{PayoutRatio(in) - kZ95 * PayoutRatioSe(in)}; },
     Format::kInterval, "機械割の95%範囲", "本当の機械割が95%の確からしさで入る範囲。試行回数を増やすと狭くなります", 3, "95%区間", 3},
    {Figure::kPayoutRatioHigh, "payout_ratio_ci95_high", "/payout_ratio_ci95/1", true,
     [](In in) { return FigureValue{PayoutRatio(in) + kZ95 * PayoutRatioSe(in)}; },
     Format::kPercent, nullptr, nullptr, 0, nullptr, 0},
    {Figure::kCoinDiffMean, "coin_diff_mean", "/coin_diff/mean", true,
     [](In in) { return FigureValue{PerRun(in, Sum::kDiff)}; }, Format::kFixed0, "平均差枚", "1回のプレイで増えた（減った）コインの数の平均", 5,
     "平均差枚", 4},
    {Figure::kCoinDiffSd, "coin_diff_sd", "/coin_diff/sd", true,
     [](In in) { return FigureValue{CoinDiffSd(in)}; }, Format::kFixed0, nullptr, nullptr, 0, nullptr, 0},
    {Figure::kCoinDiffMin, "coin_diff_min", "/coin_diff/min", true,
     [](In in) { return FigureValue{int64_t{in.min}}; }, Format::kWhole, nullptr, nullptr, 0, nullptr, 0},
    {Figure::kCoinDiffMax, "coin_diff_max", "/coin_diff/max", true,
     [](In in) { return FigureValue{int64_t{in.max}}; }, Format::kWhole, nullptr, nullptr, 0, nullptr, 0},
    {Figure::kCoinDiffP5, "coin_diff_p5", "/coin_diff/p5", true,
     [](In in) { return FigureValue{int64_t{in.percentiles[0]}}; }, Format::kWhole, "差枚数（下位5%）", "20回に1回はこれより悪い差枚数になる、という値", 6,
     "5%", 6},
    {Figure::kCoinDiffP25, "coin_diff_p25", "/coin_diff/p25", true,
     [](In in) { return FigureValue{int64_t{in.percentiles[1]}}; }, Format::kWhole, nullptr, nullptr, 0,
     "25%", 7},
    {Figure::kCoinDiffP50, "coin_diff_p50", "/coin_diff/p50", true,
     [](In in) { return FigureValue{int64_t{in.percentiles[2]}}; }, Format::kWhole, "差枚数（中央値）", "半分のプレイがこれより良く、半分が悪い差枚数", 7,
     "50%", 8},
    {Figure::kCoinDiffP75, "coin_diff_p75", "/coin_diff/p75", true,
     [](In in) { return FigureValue{int64_t{in.percentiles[3]}}; }, Format::kWhole, nullptr, nullptr, 0,
     "75%", 9},
    {Figure::kCoinDiffP95, "coin_diff_p95", "/coin_diff/p95", true,
     [](In in) { return FigureValue{int64_t{in.percentiles[4]}}; }, Format::kWhole, "差枚数（上位5%）", "20回に1回はこれより良い差枚数になる、という値", 8,
     "95%", 10},
    {Figure::kWinRate, "win_rate", "/win_rate", true,
     [](In in) { return FigureValue{PerRun(in, Sum::kWins)}; }, Format::kPercent, "差枚プラス率", "差枚数がプラスで終わったプレイの割合（収支ではありません）", 0, nullptr,
     0},
    {Figure::kBalanceWinRate, "balance_win_rate", "/balance_win_rate", true,
     [](In in) { return FigureValue{PerRun(in, Sum::kBalanceWins)}; }, Format::kPercent, "勝率", "収支がプラスで終わったプレイの割合（換金率で現金にしたとき）", 4, "勝率",
     5},
    {Figure::kBalanceYenMean, "balance_yen_mean", "/balance_yen_mean", true,
     [](In in) { return FigureValue{PerRun(in, Sum::kBalance)}; }, Format::kYen, "平均収支", "換金率で現金にしたときの、1回のプレイの収支の平均（円）", 9,
     "平均収支", 11},
    {Figure::kBigMean, "big_mean", "/big_mean", true,
     [](In in) { return FigureValue{PerRun(in, Sum::kBig)}; }, Format::kFixed2, "平均BIG回数", "1回のプレイで当たったBIGの回数の平均", 10,
     nullptr, 0},
    {Figure::kRegMean, "reg_mean", "/reg_mean", true,
     [](In in) { return FigureValue{PerRun(in, Sum::kReg)}; }, Format::kFixed2, "平均REG回数", "1回のプレイで当たったREGの回数の平均", 11,
     nullptr, 0},
    {Figure::kPureMissRate, "pure_miss_rate", "/pure_miss_rate", true,
     [](In in) { return FigureValue{PerGame(in, Sum::kPureMisses)}; }, Format::kOneIn,
     "純ハズレ出現率", "純ハズレが何ゲームに1回出たか（解除したものもしないものも数えます）", 12, "純ハズレ", 12},
    {Figure::kCherryReleaseRate, "cherry_release_rate", "/cherry_release_rate", true,
     [](In in) { return FigureValue{PerGame(in, Sum::kCherryReleases)}; }, Format::kOneIn,
     "チェ解除率", "チェリーでボーナスが解除されたのが何ゲームに1回か", 13, nullptr, 0},
    {Figure::kHeavenShare, "heaven_share", "/heaven_share", true,
     [](In in) {
       const Int128 releases = in.sums[Sum::kReleases];
       return FigureValue{releases > 0 ? D(in.sums[Sum::kHeavenReleases]) / D(releases) : 0};
     },
     Format::kPercent, "天国率", "解除されたボーナスのうち天国モードだったものの割合", 14, "天国率", 13},
    {Figure::kReleasesMean, "releases_mean", "/releases_mean", true,
     [](In in) { return FigureValue{PerRun(in, Sum::kReleases)}; }, Format::kFixed2, nullptr, nullptr, 0,
     nullptr, 0},
}};

std::array<FigureValue, kFigureCount> ComputeFigures(const FigureInputs& inputs) {
  std::array<FigureValue, kFigureCount> values{};
  const bool any = inputs.sums[Sum::kRuns] > 0;
  for (const FigureSpec& spec : kFigures) {
    if (any || !spec.needs_runs) values[static_cast<size_t>(spec.id)] = spec.compute(inputs);
  }
  return values;
}

double SettingStats::Real(Figure f) const {
  const FigureValue& v = (*this)[f];
  if (const double* real = std::get_if<double>(&v)) return *real;
  if (const int64_t* whole = std::get_if<int64_t>(&v)) return static_cast<double>(*whole);
  return 0;
}

int64_t SettingStats::Whole(Figure f) const {
  const int64_t* whole = std::get_if<int64_t>(&(*this)[f]);
  return whole ? *whole : 0;
}

std::string FigureText(const SettingStats& s, const FigureSpec& spec) {
  if (std::holds_alternative<std::monostate>(s[spec.id])) return "-";
  const double v = s.Real(spec.id);
  switch (spec.format) {
    case Format::kWhole:
      return std::to_string(s.Whole(spec.id));
    case Format::kPercent:
      return FormatFixed(100 * v, 1) + "%";
    case Format::kInterval: {
      const auto next = static_cast<Figure>(static_cast<size_t>(spec.id) + 1);
      return FormatFixed(100 * v, 1) + "～" + FormatFixed(100 * s.Real(next), 1) + "%";
    }
    case Format::kFixed0:
      return FormatFixed(v, 0);
    case Format::kFixed2:
      return FormatFixed(v, 2);
    case Format::kYen:
      return FormatMoney(std::llround(v)) + "円";
    case Format::kOneIn:
      return FormatOneIn(v);
  }
  return "-";
}

std::string ExactDouble(double value) { return ShortestDouble(value); }

std::string ExactText(const FigureValue& value) {
  if (const double* real = std::get_if<double>(&value)) return ExactDouble(*real);
  if (const int64_t* whole = std::get_if<int64_t>(&value)) return std::to_string(*whole);
  return "";
}

std::vector<const FigureSpec*> Columns(int FigureSpec::*column) {
  std::vector<const FigureSpec*> columns;
  for (const FigureSpec& spec : kFigures) {
    if (spec.*column > 0) columns.push_back(&spec);
  }
  std::sort(columns.begin(), columns.end(),
            [column](const FigureSpec* a, const FigureSpec* b) { return a->*column < b->*column; });
  return columns;
}

namespace {

// The unit of a figure's exact number in a CSV, where the window shows it scaled or as 1/x.
const char* CsvUnit(Format format) {
  switch (format) {
    case Format::kPercent:
    case Format::kInterval:
      return "(比)";
    case Format::kOneIn:
      return "(1ゲームあたり)";
    case Format::kYen:
      return "(円)";
    default:
      return "";
  }
}

}  // namespace

std::string StatsTableCsv(const std::vector<SettingStats>& stats) {
  std::vector<const FigureSpec*> figures;
  std::string csv;
  for (const FigureSpec* spec : Columns(&FigureSpec::window_column)) {
    figures.push_back(spec);
    if (spec->format != Format::kInterval) {
      csv += (csv.empty() ? "" : ",") + std::string(spec->title) + CsvUnit(spec->format);
      continue;
    }
    figures.push_back(&kFigures[static_cast<size_t>(spec->id) + 1]);
    const std::string unit = CsvUnit(spec->format);
    csv += std::string(",") + spec->title + "下限" + unit + "," + spec->title + "上限" + unit;
  }
  csv += "\n";
  for (const SettingStats& s : stats) {
    for (size_t i = 0; i < figures.size(); ++i) {
      csv += (i ? "," : "") + ExactText(s[figures[i]->id]);
    }
    csv += "\n";
  }
  return csv;
}

std::string HistogramCsv(const std::vector<SettingStats>& stats) {
  std::string csv = "bin_low,bin_high";
  int first = INT32_MAX, last = INT32_MIN;
  for (const SettingStats& s : stats) {
    csv += ",設定" + std::to_string(s.setting);
    if (s.bins.empty()) continue;
    first = std::min(first, s.first_bin);
    last = std::max(last, s.first_bin + static_cast<int>(s.bins.size()) - 1);
  }
  csv += "\n";
  for (int bin = first; bin <= last; ++bin) {
    csv += std::to_string(bin * kBinCoins) + "," + std::to_string((bin + 1) * kBinCoins);
    for (const SettingStats& s : stats) {
      const int at = bin - s.first_bin;
      const bool held = at >= 0 && at < static_cast<int>(s.bins.size());
      csv += "," + std::to_string(held ? s.bins[static_cast<size_t>(at)] : 0);
    }
    csv += "\n";
  }
  return csv;
}

std::string BandsCsv(const std::vector<SettingStats>& stats) {
  std::string csv = "setting,row,game";
  for (int p : kPercentiles) csv += ",p" + std::to_string(p);
  csv += "\n";
  for (const SettingStats& s : stats) {
    for (const BandRow& band : s.bands) {
      csv += std::to_string(s.setting) + "," + std::to_string(band.row) + "," +
             std::to_string(band.game);
      for (int value : band.percentiles) csv += "," + std::to_string(value);
      csv += "\n";
    }
  }
  return csv;
}

}  // namespace tobiuo
