#include "engine/batch.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "engine/panel.h"
#include "engine/random_source.h"
#include "engine/run_command.h"
#include "engine/sim_state.h"

namespace tobiuo {
namespace {

constexpr int kDiffOffset = 32768;
constexpr double kZ95 = 1.96;
constexpr int kBet = 3;
__extension__ using Int128 = __int128;  // exact products of the 64-bit sums

}  // namespace

void BatchAccumulator::Add(const RunResult& result) {
  const RunFigures& f = result.figures;
  const int64_t in = int64_t{kBet} * result.games_bet;
  const int64_t out = in + f.CoinDiff;
  ++runs_;
  if (f.CoinDiff > 0) ++wins_;
  games_bet_ += result.games_bet;
  diff_sum_ += f.CoinDiff;
  diff_squares_ += int64_t{f.CoinDiff} * f.CoinDiff;
  in_squares_ += in * in;
  out_squares_ += out * out;
  in_out_ += in * out;
  balance_sum_ += Balance(f);
  big_sum_ += f.BigReleases;
  reg_sum_ += f.RegReleases;
  histogram_.Add(f.CoinDiff);
}

void BatchAccumulator::Merge(const BatchAccumulator& o) {
  runs_ += o.runs_;
  overflow_runs_ += o.overflow_runs_;
  wins_ += o.wins_;
  games_bet_ += o.games_bet_;
  diff_sum_ += o.diff_sum_;
  diff_squares_ += o.diff_squares_;
  in_squares_ += o.in_squares_;
  out_squares_ += o.out_squares_;
  in_out_ += o.in_out_;
  balance_sum_ += o.balance_sum_;
  big_sum_ += o.big_sum_;
  reg_sum_ += o.reg_sum_;
}

int CoinDiffHistogram::NearestRank(uint64_t n, int p) const {
  const uint64_t rank = std::max<uint64_t>(1, (static_cast<uint64_t>(p) * n + 99) / 100);
  uint64_t seen = 0;
  for (size_t i = 0; i < counts_.size(); ++i) {
    seen += counts_[i].load(std::memory_order_relaxed);
    if (seen >= rank) return static_cast<int>(i) - kDiffOffset;
  }
  return 0;
}

SettingStats BatchAccumulator::Finish(const std::string& setting) const {
  SettingStats s;
  s.setting = setting;
  s.runs = runs_ + overflow_runs_;
  s.overflow_runs = overflow_runs_;
  s.games_bet = games_bet_;
  s.coins_in = int64_t{kBet} * games_bet_;
  s.coins_out = s.coins_in + diff_sum_;
  const uint64_t n = runs_;
  if (n == 0) return s;
  const double dn = static_cast<double>(n);
  const auto in = static_cast<long double>(s.coins_in);
  const auto ratio = static_cast<long double>(s.coins_out) / in;
  s.payout_ratio = static_cast<double>(ratio);
  s.payout_ratio_low = s.payout_ratio_high = s.payout_ratio;
  if (n > 1) {
    // Residuals e_i = out_i - ratio * in_i, summed as squares from the exact sums.
    const long double e2 = static_cast<long double>(out_squares_) - 2 * ratio * static_cast<long double>(in_out_) +
                           ratio * ratio * static_cast<long double>(in_squares_);
    const long double se = std::sqrt(std::max(e2, 0.0L) / (dn * (dn - 1))) * dn / in;
    s.payout_ratio_low = static_cast<double>(ratio - kZ95 * se);
    s.payout_ratio_high = static_cast<double>(ratio + kZ95 * se);
    const Int128 spread = static_cast<Int128>(n) * diff_squares_ - static_cast<Int128>(diff_sum_) * diff_sum_;
    s.coin_diff_sd = std::sqrt(static_cast<double>(spread) / (dn * (dn - 1)));
  }
  s.coin_diff_mean = static_cast<double>(diff_sum_) / dn;
  s.coin_diff_min = histogram_.NearestRank(n, 0);
  s.coin_diff_max = histogram_.NearestRank(n, 100);
  for (size_t i = 0; i < kPercentiles.size(); ++i) s.percentiles[i] = histogram_.NearestRank(n, kPercentiles[i]);
  s.win_rate = static_cast<double>(wins_) / dn;
  s.balance_yen_mean = static_cast<double>(balance_sum_) / dn;
  s.big_mean = static_cast<double>(big_sum_) / dn;
  s.reg_mean = static_cast<double>(reg_sum_) / dn;
  return s;
}

namespace {

// The batch's work, handed out in chunks of runs of one setting to whichever worker is free.
class BatchWork {
 public:
  BatchWork(const BatchOptions& options, BatchProgress& progress)
      : options_(options), progress_(progress),
        chunk_(std::clamp<uint64_t>(options.runs / (8 * std::max(options.threads, 1u)), 1, 256)),
        chunks_per_setting_((options.runs + chunk_ - 1) / chunk_),
        histograms_(options.settings.size()) {}

  uint64_t items() const { return chunks_per_setting_ * options_.settings.size(); }
  CoinDiffHistogram& histogram(size_t setting) { return histograms_[setting]; }

  // One worker: plays chunks until none are left, summing into its own accumulators.
  std::vector<BatchAccumulator> Work() {
    std::vector<BatchAccumulator> sums;
    for (CoinDiffHistogram& histogram : histograms_) sums.emplace_back(histogram);
    for (uint64_t item; (item = next_.fetch_add(1)) < items() && !progress_.stop.load();) {
      const size_t setting = static_cast<size_t>(item / chunks_per_setting_);
      PlayChunk(setting, (item % chunks_per_setting_) * chunk_, sums[setting]);
    }
    return sums;
  }

 private:
  void PlayChunk(size_t setting, uint64_t first, BatchAccumulator& sums) {
    RunPlan plan = options_.plan;
    plan.setting = options_.settings[setting];
    const uint64_t last = std::min(first + chunk_, options_.runs);
    int64_t games = 0;
    for (uint64_t i = first; i < last && !progress_.stop.load(std::memory_order_relaxed); ++i) {
      SimState state;
      SilentPanel panel;
      Mt19937Source random(static_cast<uint32_t>(options_.seed + i));
      const RunOutcome outcome = PlayRun(state, panel, random, plan);
      if (outcome.ok()) {
        sums.Add(outcome.result);
        games += outcome.result.games_bet;
      } else {
        sums.AddOverflow();
      }
    }
    progress_.runs_done += last - first;
    progress_.games_done += static_cast<uint64_t>(games);
  }

  const BatchOptions& options_;
  BatchProgress& progress_;
  const uint64_t chunk_;
  const uint64_t chunks_per_setting_;
  std::vector<CoinDiffHistogram> histograms_;
  std::atomic<uint64_t> next_{0};
};

}  // namespace

std::vector<SettingStats> RunBatch(const BatchOptions& options, BatchProgress& progress) {
  BatchWork work(options, progress);
  const auto threads = static_cast<unsigned>(std::clamp<uint64_t>(options.threads, 1, work.items()));
  std::vector<std::vector<BatchAccumulator>> partial(threads);
  {
    std::vector<std::jthread> workers;
    for (unsigned t = 1; t < threads; ++t) workers.emplace_back([&, t] { partial[t] = work.Work(); });
    partial[0] = work.Work();
  }
  if (progress.stop.load()) return {};
  std::vector<SettingStats> stats;
  for (size_t s = 0; s < options.settings.size(); ++s) {
    BatchAccumulator total(work.histogram(s));
    for (const auto& sums : partial) total.Merge(sums[s]);
    stats.push_back(total.Finish(options.settings[s]));
  }
  return stats;
}

}  // namespace tobiuo
