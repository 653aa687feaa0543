// SPDX-License-Identifier: GPL-3.0-or-later
// The figures of a batch, declared once: each figure's name (its CSV column), its place in a
// setting's JSON object (a JSON pointer), whether it needs a finished run, how it is worked out
// from the sums and the final coin differences, and how players read it: its Japanese title and
// format, and its column in the window's table and in the command line's text table.
//
// The figures are worked out from exact integer sums in double precision, which rounds the same
// way on every platform (the build forbids fused multiply-adds), so a batch prints the same bytes
// everywhere. A figure that needs a finished run has no value when every run overflowed.
//
// Adding a figure is a row in kFigures (and its name in Figure); SettingStats, the three
// command-line formats, the window's table and its CSV follow from the table.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "analysis/sums.h"

namespace tobiuo {

inline constexpr std::array<int, 5> kPercentiles = {5, 25, 50, 75, 95};
inline constexpr int kBinCoins = 500;

enum class Figure : size_t {
  kSetting,
  kRuns,
  kOverflowRuns,
  kGamesBet,
  kCoinsIn,
  kCoinsOut,
  kPayoutRatio,
  kPayoutRatioLow,  // 95% confidence interval
  kPayoutRatioHigh,
  kCoinDiffMean,
  kCoinDiffSd,  // sample standard deviation
  kCoinDiffMin,
  kCoinDiffMax,
  kCoinDiffP5,  // the percentiles of kPercentiles by nearest rank
  kCoinDiffP25,
  kCoinDiffP50,
  kCoinDiffP75,
  kCoinDiffP95,
  kWinRate,         // runs whose coin difference ends above 0, per run
  kBalanceWinRate,  // 勝率: runs whose balance in yen ends above 0, per run
  kBalanceYenMean,
  kBigMean,
  kRegMean,
  kPureMissRate,       // pure misses (with or without a release) per game bet
  kCherryReleaseRate,  // cherry releases per game bet
  kHeavenShare,        // releases made in heaven mode per release; 0 with none
  kReleasesMean,       // releases per run
  kCount
};
inline constexpr size_t kFigureCount = static_cast<size_t>(Figure::kCount);

// A whole number, a real, or nothing (a figure that needs a finished run, without one).
using FigureValue = std::variant<std::monostate, int64_t, double>;

// What a figure is worked out from: the sums, and the order statistics of the final coin
// differences (the percentiles of kPercentiles, the least and the greatest).
struct FigureInputs {
  int setting = 0;
  const BatchSums& sums;
  std::array<int, 5> percentiles{};
  int min = 0, max = 0;
};

// How a player reads a figure.
enum class Format {
  kWhole,     // 1234
  kPercent,   // 97.3%
  kInterval,  // 85.2～97.3%: this figure and the next
  kFixed0,    // 1234
  kFixed2,    // 12.34
  kYen,       // -12,345円
  kOneIn,     // 1/432
};

struct FigureSpec {
  Figure id;
  const char* key;   // CSV column
  const char* json;  // JSON pointer of its place in a setting's object
  bool needs_runs;   // nothing without a finished run
  FigureValue (*compute)(const FigureInputs& in);
  Format format;
  const char* title;       // the window's column title; nullptr when not a column there
  const char* meaning;     // what the column tells a player: its header's tooltip
  int window_column;       // from 1; 0: not in the window's table
  const char* text_title;  // the command line's text table
  int text_column;         // from 1; 0: not in the text table
  const char* unit;        // of its exact number in a file: 枚, 円, 比 (0.973 for 97.3%), ...
};

extern const std::array<FigureSpec, kFigureCount> kFigures;

// The spread of the coin difference at one chart row over a setting's runs.
struct BandRow {
  int row = 0;       // from 1, as the run's chart
  int32_t game = 0;  // the game the row stands for: 0, 100, 200, ... and the last game
  std::array<int, 5> percentiles{};  // kPercentiles by nearest rank
};

// Everything a batch tells of one setting.
struct SettingStats {
  int setting = 0;
  std::array<FigureValue, kFigureCount> figures{};
  std::vector<BandRow> bands;  // with the rows kept: one per chart row
  // The final coin differences in bins of kBinCoins, [kBinCoins k, kBinCoins (k + 1)), from bin
  // first_bin up to the last bin that holds a run.
  int first_bin = 0;
  std::vector<uint64_t> bins;

  const FigureValue& operator[](Figure f) const { return figures[static_cast<size_t>(f)]; }
  // The figure as a real, 0 when it has no value.
  double Real(Figure f) const;
  int64_t Whole(Figure f) const;
};

// Every figure worked out from the inputs.
std::array<FigureValue, kFigureCount> ComputeFigures(const FigureInputs& inputs);

// The figure as players read it: its format, "-" when it has no value.
std::string FigureText(const SettingStats& stats, const FigureSpec& spec);

// The shortest decimal text that reads back as exactly `value`; a whole number as digits; empty
// for no value.
std::string ExactText(const FigureValue& value);
std::string ExactDouble(double value);

// The figures in the order of a view's columns (window_column or text_column).
std::vector<const FigureSpec*> Columns(int FigureSpec::*column);

// The window's table as CSV (UTF-8, a header of the titles with their units): a line per setting,
// each figure of the window's columns as its exact number (an interval as its two ends) in the
// unit its title names: 機械割(比) 0.973 for 97.3%, 純ハズレ出現率(何ゲームに1回) 758.3 for 1/758.
std::string StatsTableCsv(const std::vector<SettingStats>& stats);

// The final coin differences of every setting in common bars whose width suits the runs (wider
// bars for fewer runs, always whole kBinCoins): counts[i][k] runs of stats[i] ended in
// [first_low + k width, first_low + (k + 1) width), from the lowest to the highest bar held.
struct Distribution {
  int64_t first_low = 0;
  int64_t width = kBinCoins;
  std::vector<std::vector<uint64_t>> counts;  // per setting, per bar
};
Distribution DistributionOf(const std::vector<SettingStats>& stats);

// The distribution as CSV, a line per bar: its bounds, then the runs of each setting.
std::string HistogramCsv(const std::vector<SettingStats>& stats);

// The bands as CSV, a line per setting and chart row: the setting, the row, its game and the
// percentiles of kPercentiles; the header as the command line's keys
// ("setting,row,game,p5,p25,p50,p75,p95") or in Japanese for a spreadsheet.
enum class CsvHeader { kKeys, kJapanese };
std::string BandsCsv(const std::vector<SettingStats>& stats, CsvHeader header = CsvHeader::kKeys);

}  // namespace tobiuo
