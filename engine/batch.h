// Batch statistics: many runs of each setting, summed into what a setting really pays.
//
// Run i (0-based) of every setting is the run that the seed (seed + i) mod 2^32 plays, exactly as a
// single run with that seed; every setting sees the same seeds. Each run's figures are kept as
// exact integer sums and a histogram of final coin differences, so the statistics are the same for
// any number of threads and any order of runs, and memory does not grow with the number of runs.
// Runs that end with an overflow are counted apart and left out of every other figure.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/game_loop.h"

namespace tobiuo {

struct SettingStats {
  std::string setting;
  uint64_t runs = 0;
  uint64_t overflow_runs = 0;
  int64_t games_bet = 0;
  int64_t coins_in = 0;
  int64_t coins_out = 0;
  double payout_ratio = 0;
  double payout_ratio_low = 0;   // 95% confidence interval
  double payout_ratio_high = 0;
  double coin_diff_mean = 0;
  double coin_diff_sd = 0;       // sample standard deviation
  int coin_diff_min = 0;
  int coin_diff_max = 0;
  std::array<int, 5> percentiles{};  // p5, p25, p50, p75, p95 by nearest rank
  double win_rate = 0;
  double balance_yen_mean = 0;
  double big_mean = 0;
  double reg_mean = 0;

  uint64_t valid_runs() const { return runs - overflow_runs; }
};

inline constexpr std::array<int, 5> kPercentiles = {5, 25, 50, 75, 95};

// Counts of the final coin differences of one setting's runs, shared by all the batch's workers so
// that memory stays the same however many threads play.
class CoinDiffHistogram {
 public:
  CoinDiffHistogram() : counts_(65536) {}
  void Add(int16_t coin_diff) { counts_[static_cast<size_t>(coin_diff + 32768)].fetch_add(1, std::memory_order_relaxed); }
  // The value of rank ceil(p n / 100) (rank 1 when that is 0) in ascending order.
  int NearestRank(uint64_t n, int p) const;

 private:
  std::vector<std::atomic<uint32_t>> counts_;
};

// Exact sums over the runs of one setting; merging two gives the sums over both. The final coin
// differences go to the histogram the accumulator was made with.
class BatchAccumulator {
 public:
  explicit BatchAccumulator(CoinDiffHistogram& histogram) : histogram_(histogram) {}
  void AddOverflow() { ++overflow_runs_; }
  void Add(const RunResult& result);
  void Merge(const BatchAccumulator& other);
  SettingStats Finish(const std::string& setting) const;

 private:
  CoinDiffHistogram& histogram_;
  uint64_t runs_ = 0;
  uint64_t overflow_runs_ = 0;
  uint64_t wins_ = 0;
  int64_t games_bet_ = 0;
  int64_t diff_sum_ = 0;
  int64_t diff_squares_ = 0;
  int64_t in_squares_ = 0;
  int64_t out_squares_ = 0;
  int64_t in_out_ = 0;
  int64_t balance_sum_ = 0;
  int64_t big_sum_ = 0;
  int64_t reg_sum_ = 0;
};

struct BatchOptions {
  RunPlan plan;  // the setting is taken from `settings`
  std::vector<std::string> settings = {"1", "2", "3", "4", "5", "6"};
  uint64_t runs = 1;
  uint32_t seed = 0;
  unsigned threads = 1;
};

// Shared between the batch's workers and whoever watches them.
struct BatchProgress {
  std::atomic<uint64_t> runs_done{0};
  std::atomic<uint64_t> games_done{0};
  std::atomic<bool> stop{false};  // set to end the batch early; it then has no result
};

// Plays the batch; returns the statistics per setting in the order given, or nothing when stopped.
std::vector<SettingStats> RunBatch(const BatchOptions& options, BatchProgress& progress);

}  // namespace tobiuo
