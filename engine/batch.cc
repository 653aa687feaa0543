#include "engine/batch.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "engine/random_source.h"
#include "engine/summary.h"

namespace tobiuo {
namespace {

constexpr int kDiffOffset = 32768;
constexpr double kZ95 = 1.96;
constexpr int kBet = 3;
__extension__ using Int128 = __int128;  // exact products of the 64-bit sums

}  // namespace

void BatchSums::Add(const RunFigures& f) {
  const int64_t in = int64_t{kBet} * f.games_bet;
  ++runs;
  if (f.CoinDiff > 0) ++wins;
  games_bet += f.games_bet;
  diff += f.CoinDiff;
  diff_squares += int64_t{f.CoinDiff} * f.CoinDiff;
  diff_in += f.CoinDiff * in;
  in_squares += in * in;
  balance += Balance(f);
  big += f.BigReleases;
  reg += f.RegReleases;
}

BatchSums& BatchSums::operator+=(const BatchSums& o) {
  runs += o.runs;
  overflow_runs += o.overflow_runs;
  wins += o.wins;
  games_bet += o.games_bet;
  diff += o.diff;
  diff_squares += o.diff_squares;
  diff_in += o.diff_in;
  in_squares += o.in_squares;
  balance += o.balance;
  big += o.big;
  reg += o.reg;
  return *this;
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

SettingStats BatchSums::Finish(int setting, const CoinDiffHistogram& histogram) const {
  SettingStats s;
  s.setting = setting;
  s.runs = runs + overflow_runs;
  s.overflow_runs = overflow_runs;
  s.games_bet = games_bet;
  s.coins_in = int64_t{kBet} * games_bet;
  s.coins_out = s.coins_in + diff;
  if (runs == 0) return s;
  const auto n = static_cast<double>(runs);
  const auto in = static_cast<double>(s.coins_in);
  s.payout_ratio = static_cast<double>(s.coins_out) / in;
  s.payout_ratio_low = s.payout_ratio_high = s.payout_ratio;
  if (runs > 1) {
    // The residuals out_i - ratio * in_i are d_i - c * in_i with c = (sum d) / (sum in); their
    // squares are summed from the exact sums without the cancellation of out_i^2 against in_i^2.
    const double c = static_cast<double>(diff) / in;
    const double e2 = static_cast<double>(diff_squares) - 2 * c * static_cast<double>(diff_in) +
                      c * c * static_cast<double>(in_squares);
    const double se = std::sqrt(std::max(e2, 0.0) / (n * (n - 1))) * n / in;
    s.payout_ratio_low = s.payout_ratio - kZ95 * se;
    s.payout_ratio_high = s.payout_ratio + kZ95 * se;
    const Int128 spread =
        static_cast<Int128>(runs) * diff_squares - static_cast<Int128>(diff) * diff;
    s.coin_diff_sd = std::sqrt(static_cast<double>(spread) / (n * (n - 1)));
  }
  s.coin_diff_mean = static_cast<double>(diff) / n;
  s.coin_diff_min = histogram.NearestRank(runs, 0);
  s.coin_diff_max = histogram.NearestRank(runs, 100);
  for (size_t i = 0; i < kPercentiles.size(); ++i) {
    s.percentiles[i] = histogram.NearestRank(runs, kPercentiles[i]);
  }
  s.win_rate = static_cast<double>(wins) / n;
  s.balance_yen_mean = static_cast<double>(balance) / n;
  s.big_mean = static_cast<double>(big) / n;
  s.reg_mean = static_cast<double>(reg) / n;
  return s;
}

namespace {

// The batch's work, handed out in chunks of runs of one setting to whichever worker is free.
class BatchWork {
 public:
  BatchWork(const BatchOptions& options, BatchProgress& progress)
      : options_(options),
        progress_(progress),
        chunk_(std::clamp<uint64_t>(options.runs / (8 * std::max(options.threads, 1u)), 1, 256)),
        chunks_per_setting_((options.runs + chunk_ - 1) / chunk_),
        histograms_(options.settings.size()) {}

  uint64_t items() const { return chunks_per_setting_ * options_.settings.size(); }
  CoinDiffHistogram& histogram(size_t setting) { return histograms_[setting]; }

  // One worker: plays chunks until none are left, summing into its own BatchSums.
  std::vector<BatchSums> Work() {
    std::vector<BatchSums> sums(options_.settings.size());
    for (uint64_t item; (item = next_.fetch_add(1)) < items() && !progress_.stop.load();) {
      const size_t setting = static_cast<size_t>(item / chunks_per_setting_);
      PlayChunk(setting, (item % chunks_per_setting_) * chunk_, sums[setting]);
    }
    return sums;
  }

 private:
  void PlayChunk(size_t setting, uint64_t first, BatchSums& sums) {
    RunPlan plan = options_.plan;
    plan.setting = options_.settings[setting];
    const uint64_t last = std::min(first + chunk_, options_.runs);
    int64_t games = 0;
    for (uint64_t i = first; i < last && !progress_.stop.load(std::memory_order_relaxed); ++i) {
      plan.seed = static_cast<uint32_t>(options_.seed + i);
      const RunRecord run = PlayRun(plan, Keep::kFigures);
      if (run.finished()) {
        sums.Add(run.figures);
        histograms_[setting].Add(run.figures.CoinDiff);
        games += run.figures.games_bet;
      } else {
        ++sums.overflow_runs;
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

Status RunBatch(const BatchOptions& options, BatchProgress& progress,
                std::vector<SettingStats>* stats) {
  stats->clear();
  BatchWork work(options, progress);
  const auto threads =
      static_cast<unsigned>(std::clamp<uint64_t>(options.threads, 1, work.items()));
  std::vector<std::vector<BatchSums>> partial(threads);
  {
    // Each worker sums into its own BatchSums; only the histograms are shared, through atomics.
    std::vector<std::jthread> workers;
    for (unsigned t = 1; t < threads; ++t) {
      workers.emplace_back([&, t] { partial[t] = work.Work(); });
    }
    partial[0] = work.Work();
  }
  if (progress.stop.load()) return Status::Stopped();
  for (size_t s = 0; s < options.settings.size(); ++s) {
    BatchSums total;
    for (const auto& sums : partial) total += sums[s];
    stats->push_back(total.Finish(options.settings[s], work.histogram(s)));
  }
  return Status::Ok();
}

}  // namespace tobiuo
