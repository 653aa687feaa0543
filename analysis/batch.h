// SPDX-License-Identifier: GPL-3.0-or-later
// Batch statistics: many runs of each setting, summed into what a setting really pays.
//
// Run i (0-based) of every setting is the run that the seed (seed + i) mod 2^32 plays, exactly as a
// single run with that seed; every setting sees the same seeds. Each run's figures are added to
// exact integer sums (BatchSums) and to a histogram of final coin differences, so the statistics
// are the same for any number of threads and any order of runs, and memory does not grow with the
// number of runs. The figures are then worked out from the sums (figures.h). Runs that end with an
// overflow are counted apart and left out of every other figure.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/figures.h"
#include "analysis/parallel_for.h"
#include "analysis/sums.h"
#include "engine/run.h"

namespace tobiuo {

class GrowingHistogram;

// Counts of the final coin differences of one setting's runs, shared by all the batch's workers so
// that memory stays the same however many threads play.
class CoinDiffHistogram {
 public:
  CoinDiffHistogram() : counts_(65536) {}
  void Add(int16_t coin_diff) {
    counts_[static_cast<size_t>(coin_diff + 32768)].fetch_add(1, std::memory_order_relaxed);
  }
  // Adds every value held to the histogram.
  void AddTo(GrowingHistogram& histogram) const;

 private:
  std::vector<std::atomic<uint32_t>> counts_;
};

// The values of one chart row over a setting's runs, for exact percentiles in bounded memory: the
// values themselves while there are few (a small batch then touches little memory), then counts in
// pages of kPageValues neighbouring values, a page made when a value first falls in it. The core
// of a row's values is dense, its tails sparse: only the pages that hold values take memory.
class GrowingHistogram {
 public:
  static constexpr int kPageValues = 256;

  void Add(int value) { Add(value, 1); }
  void Add(int value, uint64_t count);
  // Adds every value of the other; false, changing nothing, if a count would not fit.
  [[nodiscard]] bool Merge(const GrowingHistogram& other);
  uint64_t count() const { return n_; }
  // The values of rank ceil(p n / 100) (rank 1 when that is 0) in ascending order for each p of
  // kPercentiles, n being the number of values added.
  std::array<int, 5> Percentiles() const;
  // The values of the given ranks (from 1, ascending), in one pass.
  std::vector<int> ValuesAtRanks(const std::vector<uint64_t>& ranks) const;
  // Calls f(value, count) for each value held, ascending.
  template <typename F>
  void ForEach(F f) const;
  size_t bytes() const;

 private:
  using Page = std::array<uint32_t, kPageValues>;
  void Count(int value, uint64_t count);
  uint64_t CountOf(int value) const;

  std::vector<int> raw_;
  uint64_t n_ = 0;
  int low_ = 0;  // the first value of pages_[0], a multiple of kPageValues
  std::vector<std::unique_ptr<Page>> pages_;
};

template <typename F>
void GrowingHistogram::ForEach(F f) const {
  if (pages_.empty()) {
    std::vector<int> sorted = raw_;
    std::sort(sorted.begin(), sorted.end());
    for (size_t i = 0; i < sorted.size();) {
      size_t j = i;
      while (j < sorted.size() && sorted[j] == sorted[i]) ++j;
      f(sorted[i], static_cast<uint64_t>(j - i));
      i = j;
    }
    return;
  }
  for (size_t p = 0; p < pages_.size(); ++p) {
    if (!pages_[p]) continue;
    for (size_t i = 0; i < static_cast<size_t>(kPageValues); ++i) {
      const uint32_t c = (*pages_[p])[i];
      if (c > 0) f(low_ + static_cast<int>(p) * kPageValues + static_cast<int>(i), uint64_t{c});
    }
  }
}

// Everything a batch's figures, distribution and bands are worked out from, for one setting: the
// exact sums, the final coin differences and the coin differences at every chart row. Tallies of
// the same options over disjoint runs add up to the tally of their union.
struct SettingTally {
  int setting = 0;
  BatchSums sums;
  GrowingHistogram final_diffs;
  std::vector<GrowingHistogram> rows;  // with BatchOptions::bands, one per chart row

  // Adds the other's runs; false, changing nothing certain, if a count would not fit.
  [[nodiscard]] bool Merge(const SettingTally& other);
};

// The figures of a tally; `games` is the games per run (the bands' last row).
SettingStats Finish(const SettingTally& tally, int32_t games);

struct BatchOptions {
  RunPlan plan;  // the setting and the seed are the batch's own
  std::vector<int> settings = {1, 2, 3, 4, 5, 6};
  uint64_t runs = 1;
  uint32_t seed = 0;
  uint64_t first_run = 0;  // run i plays seed + i, for i from first_run on
  // The whole batch a shard belongs to, runs 0 to batch_runs - 1, so that a merge names a lost
  // first or last shard; 0: not said.
  uint64_t batch_runs = 0;
  unsigned threads = 1;
  bool bands = false;  // also the percentiles at every chart row (SettingStats::bands)
};

// The fields of a batch as typed: the run's start fields (its setting is not read: the batch has
// its own list) and the batch's own. Each field has one range, in the window as on the command
// line.
struct BatchInputs {
  RunInputs run;
  std::string runs = "1000";             // per setting, 1 to 100000000
  std::string settings = "1,2,3,4,5,6";  // each of 1 to 6 at most once, separated by commas
  std::string first_run = "0";           // 0 to 4294967295
  std::string batch_runs{};              // at least first_run + runs; empty: not said
  std::string threads{};                 // 1 to 1024; empty: the number of cores
  bool bands = false;
};

inline constexpr FieldName kRunsField{"runs", "プレイ回数"};
inline constexpr FieldName kSettingsField{"settings", "設定"};
inline constexpr FieldName kFirstRunField{"first-run", "最初のプレイ番号"};
inline constexpr FieldName kThreadsField{"threads", "スレッド数"};
inline constexpr FieldName kBatchRunsField{"batch-runs", "全体のプレイ回数"};
inline constexpr int64_t kMaxBatchRuns = 100'000'000;

[[nodiscard]] Status ValidateBatch(const BatchInputs& inputs, BatchOptions* options);

// The conditions a batch was played under, as players read them:
// "1000回・6000P・5枚交換・初期ストック20・設定変更なし・シード 42" (and ・ヤメ時 N with a quit
// rule; 最初のプレイ番号 K for a shard).
std::string BatchConditions(const BatchOptions& options);

// Plays the batch into one tally per setting, in the order given; a stopped batch says so.
[[nodiscard]] Status RunBatchTallies(const BatchOptions& options, Progress& progress,
                                     std::vector<SettingTally>* tallies);

// Plays the batch into `stats`, one entry per setting in the order given; a stopped batch says so
// and leaves `stats` empty.
[[nodiscard]] Status RunBatch(const BatchOptions& options, Progress& progress,
                              std::vector<SettingStats>* stats);

}  // namespace tobiuo
