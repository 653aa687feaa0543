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
constexpr std::array<FigureSpec, kFigureCount> kFigures = {{
    {Figure::kSetting, "setting", "/setting", false,
     [](In in) { return FigureValue{int64_t{in.setting}}; }, Format::kWhole, "設定", "台の設定（1～6）", 1, "設定", 1, ""},
    {Figure::kRuns, "runs", "/runs", false,
     [](In in) { return Whole(in.sums[Sum::kRuns] + in.sums[Sum::kOverflowRuns]); }, Format::kWhole,
     nullptr, nullptr, 0, nullptr, 0, "回"},
    {Figure::kOverflowRuns, "overflow_runs", "/overflow_runs", false,
     [](In in) { return Whole(in.sums[Sum::kOverflowRuns]); }, Format::kWhole, nullptr, nullptr, 0, nullptr,
     0, "回"},
    {Figure::kGamesBet, "games_bet", "/games_bet", false,
     [](In in) { return Whole(in.sums[Sum::kGamesBet]); }, Format::kWhole, nullptr, nullptr, 0, nullptr, 0, "ゲーム"},
    {Figure::kCoinsIn, "coins_in", "/coins_in", false,
     [](In in) { return Whole(kBet * in.sums[Sum::kGamesBet]); }, Format::kWhole, nullptr, nullptr, 0,
     nullptr, 0, "枚"},
    {Figure::kCoinsOut, "coins_out", "/coins_out", false,
     [](In in) { return Whole(kBet * in.sums[Sum::kGamesBet] + in.sums[Sum::kDiff]); },
     Format::kWhole, nullptr, nullptr, 0, nullptr, 0, "枚"},
    {Figure::kPayoutRatio, "payout_ratio", "/payout_ratio", true,
     [](In in) { return FigureValue{PayoutRatio(in)}; }, Format::kPercent, "機械割", "払い出したコインの数 ÷ 使ったコインの数。100%を超えると打つ人が得をする台", 2, "機械割",
     2, "比"},
    {Figure::kPayoutRatioLow, "payout_ratio_ci95_low", "/payout_ratio_ci95/0", true,
     [](In in) { return FigureValue{PayoutRatio(in) - kZ95 * PayoutRatioSe(in)}; },
     Format::kInterval, "機械割の95%区間", "本当の機械割が95%の確からしさで入る範囲。プレイ回数を増やすと狭くなります", 3, "95%区間", 3, "比"},
    {Figure::kPayoutRatioHigh, "payout_ratio_ci95_high", "/payout_ratio_ci95/1", true,
     [](In in) { return FigureValue{PayoutRatio(in) + kZ95 * PayoutRatioSe(in)}; },
     Format::kPercent, nullptr, nullptr, 0, nullptr, 0, "比"},
    {Figure::kCoinDiffMean, "coin_diff_mean", "/coin_diff/mean", true,
     [](In in) { return FigureValue{PerRun(in, Sum::kDiff)}; }, Format::kFixed0, "平均差枚", "1回のプレイで増えた（減った）コインの数の平均", 5,
     "平均差枚", 4, "枚"},
    {Figure::kCoinDiffSd, "coin_diff_sd", "/coin_diff/sd", true,
     [](In in) { return FigureValue{CoinDiffSd(in)}; }, Format::kFixed0, nullptr, nullptr, 0, nullptr, 0, "枚"},
    {Figure::kCoinDiffMin, "coin_diff_min", "/coin_diff/min", true,
     [](In in) { return FigureValue{int64_t{in.min}}; }, Format::kWhole, nullptr, nullptr, 0, nullptr, 0, "枚"},
    {Figure::kCoinDiffMax, "coin_diff_max", "/coin_diff/max", true,
     [](In in) { return FigureValue{int64_t{in.max}}; }, Format::kWhole, nullptr, nullptr, 0, nullptr, 0, "枚"},
    {Figure::kCoinDiffP5, "coin_diff_p5", "/coin_diff/p5", true,
     [](In in) { return FigureValue{int64_t{in.percentiles[0]}}; }, Format::kWhole, "差枚数（下位5%）", "20回に1回はこれより悪い差枚数になる、という値", 6,
     "5%", 6, "枚"},
    {Figure::kCoinDiffP25, "coin_diff_p25", "/coin_diff/p25", true,
     [](In in) { return FigureValue{int64_t{in.percentiles[1]}}; }, Format::kWhole, nullptr, nullptr, 0,
     "25%", 7, "枚"},
    {Figure::kCoinDiffP50, "coin_diff_p50", "/coin_diff/p50", true,
     [](In in) { return FigureValue{int64_t{in.percentiles[2]}}; }, Format::kWhole, "差枚数（中央値）", "半分のプレイがこれより良く、半分が悪い差枚数", 7,
     "50%", 8, "枚"},
    {Figure::kCoinDiffP75, "coin_diff_p75", "/coin_diff/p75", true,
     [](In in) { return FigureValue{int64_t{in.percentiles[3]}}; }, Format::kWhole, nullptr, nullptr, 0,
     "75%", 9, "枚"},
    {Figure::kCoinDiffP95, "coin_diff_p95", "/coin_diff/p95", true,
     [](In in) { return FigureValue{int64_t{in.percentiles[4]}}; }, Format::kWhole, "差枚数（上位5%）", "20回に1回はこれより良い差枚数になる、という値", 8,
     "95%", 10, "枚"},
    {Figure::kWinRate, "win_rate", "/win_rate", true,
     [](In in) { return FigureValue{PerRun(in, Sum::kWins)}; }, Format::kPercent, "差枚プラス率", "差枚数がプラスで終わったプレイの割合（収支ではありません）", 0, nullptr,
     0, "比"},
    {Figure::kBalanceWinRate, "balance_win_rate", "/balance_win_rate", true,
     [](In in) { return FigureValue{PerRun(in, Sum::kBalanceWins)}; }, Format::kPercent, "勝率", "収支がプラスで終わったプレイの割合（換金率で現金にしたとき）", 4, "勝率",
     5, "比"},
    {Figure::kBalanceYenMean, "balance_yen_mean", "/balance_yen_mean", true,
     [](In in) { return FigureValue{PerRun(in, Sum::kBalance)}; }, Format::kYen, "平均収支", "換金率で現金にしたときの、1回のプレイの収支の平均（円）", 9,
     "平均収支", 11, "円"},
    {Figure::kBigMean, "big_mean", "/big_mean", true,
     [](In in) { return FigureValue{PerRun(in, Sum::kBig)}; }, Format::kFixed2, "平均BIG回数", "1回のプレイで当たったBIGの回数の平均", 10,
     nullptr, 0, "回"},
    {Figure::kRegMean, "reg_mean", "/reg_mean", true,
     [](In in) { return FigureValue{PerRun(in, Sum::kReg)}; }, Format::kFixed2, "平均REG回数", "1回のプレイで当たったREGの回数の平均", 11,
     nullptr, 0, "回"},
    {Figure::kPureMissRate, "pure_miss_rate", "/pure_miss_rate", true,
     [](In in) { return FigureValue{PerGame(in, Sum::kPureMisses)}; }, Format::kOneIn,
     "純ハズレ出現率", "純ハズレが何ゲームに1回出たか（解除したものもしないものも数えます）", 12, "純ハズレ", 12, "何ゲームに1回"},
    {Figure::kCherryReleaseRate, "cherry_release_rate", "/cherry_release_rate", true,
     [](In in) { return FigureValue{PerGame(in, Sum::kCherryReleases)}; }, Format::kOneIn,
     "チェ解除率", "チェリーでボーナスが解除されたのが何ゲームに1回か", 13, nullptr, 0, "何ゲームに1回"},
    {Figure::kHeavenShare, "heaven_share", "/heaven_share", true,
     [](In in) {
       const Int128 releases = in.sums[Sum::kReleases];
       return FigureValue{releases > 0 ? D(in.sums[Sum::kHeavenReleases]) / D(releases) : 0};
     },
     Format::kPercent, "天国率", "解除されたボーナスのうち天国モードだったものの割合", 14, "天国率", 13, "比"},
    {Figure::kReleasesMean, "releases_mean", "/releases_mean", true,
     [](In in) { return FigureValue{PerRun(in, Sum::kReleases)}; }, Format::kFixed2, nullptr, nullptr, 0,
     nullptr, 0, "回"},
}};
static_assert(EveryRowInOrder(kFigures), "a figure's row out of place or missing");

// A view's columns are numbered 1 to n, each once.
constexpr bool NumberedFromOne(int FigureSpec::*column) {
  int columns = 0;
  for (const FigureSpec& spec : kFigures) columns += spec.*column > 0 ? 1 : 0;
  for (int n = 1; n <= columns; ++n) {
    int held = 0;
    for (const FigureSpec& spec : kFigures) held += spec.*column == n ? 1 : 0;
    if (held != 1) return false;
  }
  return true;
}
static_assert(NumberedFromOne(&FigureSpec::window_column), "the window's columns skip or repeat");
static_assert(NumberedFromOne(&FigureSpec::text_column), "the text table's columns skip or repeat");

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

// A figure's CSV column title, its unit in brackets: 機械割(比), 平均差枚(枚).
std::string CsvTitle(const FigureSpec& spec, const char* part = "") {
  const std::string unit = spec.unit;
  return spec.title + std::string(part) + (unit.empty() ? "" : "(" + unit + ")");
}

// A figure's exact number in the unit its title gives: a rate shown as 1/758 as 758.3...
std::string CsvValue(const SettingStats& s, const FigureSpec& spec) {
  if (spec.format == Format::kOneIn && s.Real(spec.id) > 0) return ExactDouble(1 / s.Real(spec.id));
  if (spec.format == Format::kOneIn) return "";
  return ExactText(s[spec.id]);
}

}  // namespace

std::string StatsTableCsv(const std::vector<SettingStats>& stats) {
  std::vector<const FigureSpec*> figures;
  std::string csv;
  for (const FigureSpec* spec : Columns(&FigureSpec::window_column)) {
    figures.push_back(spec);
    csv += csv.empty() ? "" : ",";
    if (spec->format != Format::kInterval) {
      csv += CsvTitle(*spec);
      continue;
    }
    figures.push_back(&kFigures[static_cast<size_t>(spec->id) + 1]);
    csv += CsvTitle(*spec, "下限") + "," + CsvTitle(*spec, "上限");
  }
  csv += "\n";
  for (const SettingStats& s : stats) {
    for (size_t i = 0; i < figures.size(); ++i) csv += (i ? "," : "") + CsvValue(s, *figures[i]);
    csv += "\n";
  }
  return csv;
}

Distribution DistributionOf(const std::vector<SettingStats>& stats) {
  Distribution d;
  int first = INT32_MAX, last = INT32_MIN;
  uint64_t runs = UINT64_MAX;
  for (const SettingStats& s : stats) {
    uint64_t held = 0;
    for (uint64_t count : s.bins) held += count;
    runs = std::min(runs, held);
    if (s.bins.empty()) continue;
    first = std::min(first, s.first_bin);
    last = std::max(last, s.first_bin + static_cast<int>(s.bins.size()) - 1);
  }
  d.counts.resize(stats.size());
  if (first > last) return d;
  // About 2 n^(1/3) bars over the range for n runs (Rice's rule): smooth at a hundred runs,
  // fine at a hundred thousand; always a whole number of kBinCoins.
  const double bars = std::max(1.0, 2 * std::cbrt(static_cast<double>(runs)));
  const int per_bar = std::max(1, static_cast<int>(std::ceil((last - first + 1) / bars)));
  const auto bar_of = [per_bar](int bin) {
    return bin >= 0 ? bin / per_bar : -((-bin + per_bar - 1) / per_bar);
  };
  d.width = per_bar * kBinCoins;
  d.first_low = bar_of(first) * d.width;
  const auto count = static_cast<size_t>(bar_of(last) - bar_of(first) + 1);
  for (size_t i = 0; i < stats.size(); ++i) {
    d.counts[i].assign(count, 0);
    for (size_t b = 0; b < stats[i].bins.size(); ++b) {
      const int bar = bar_of(stats[i].first_bin + static_cast<int>(b)) - bar_of(first);
      d.counts[i][static_cast<size_t>(bar)] += stats[i].bins[b];
    }
  }
  return d;
}

std::string HistogramCsv(const std::vector<SettingStats>& stats) {
  const Distribution d = DistributionOf(stats);
  std::string csv = "差枚数の下限(枚),差枚数の上限(枚)";
  for (const SettingStats& s : stats) csv += ",設定" + std::to_string(s.setting) + "(回)";
  csv += "\n";
  const size_t bars = d.counts.empty() ? 0 : d.counts[0].size();
  for (size_t bar = 0; bar < bars; ++bar) {
    const int64_t low = d.first_low + static_cast<int64_t>(bar) * d.width;
    csv += std::to_string(low) + "," + std::to_string(low + d.width);
    for (const std::vector<uint64_t>& counts : d.counts) csv += "," + std::to_string(counts[bar]);
    csv += "\n";
  }
  return csv;
}

std::string BandsCsv(const std::vector<SettingStats>& stats, CsvHeader header) {
  std::string csv = header == CsvHeader::kKeys ? "setting,row,game" : "設定,行,ゲーム数";
  for (int p : kPercentiles) {
    csv += header == CsvHeader::kKeys ? ",p" + std::to_string(p)
                                      : ",差枚数" + std::to_string(p) + "%点(枚)";
  }
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
