#include "engine/batch.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <mutex>
#include <thread>

#include "engine/random_source.h"
#include "engine/summary.h"

namespace tobiuo {
namespace {

constexpr int kDiffOffset = 32768;
constexpr double kZ95 = 1.96;
constexpr int kBet = 3;
constexpr size_t kPureMissRole = 5;
constexpr size_t kRawValues = 2048;     // per chart row, before the values are counted
__extension__ using Int128 = __int128;  // exact products of the 64-bit sums

// Division rounded toward minus infinity: the bin of a value does not depend on its sign.
int FloorDiv(int value, int width) {
  return value >= 0 ? value / width : -((-value + width - 1) / width);
}

uint64_t RankOf(uint64_t n, int p) {
  return std::max<uint64_t>(1, (static_cast<uint64_t>(p) * n + 99) / 100);
}

// The coin difference at every chart row of one run, as the bands count it: the start row is 0,
// and the rows a run that the quit rule ended did not reach keep its final value.
class RowValues final : public RunObserver {
 public:
  explicit RowValues(size_t rows) : values_(rows) {}
  void Start() { std::fill(values_.begin(), values_.end(), kUnset); }
  void OnRow(int row, int16_t coin_diff) override {
    values_[static_cast<size_t>(row - 1)] = coin_diff;
  }
  // Appends the finished run's rows to `out`.
  void AppendTo(int16_t final_diff, std::vector<int32_t>& out) {
    values_.front() = 0;
    for (int32_t& value : values_) {
      if (value == kUnset) value = final_diff;
    }
    out.insert(out.end(), values_.begin(), values_.end());
  }

 private:
  static constexpr int32_t kUnset = INT32_MIN;
  std::vector<int32_t> values_;
};

// One histogram per chart row of one setting, shared by the workers: each adds a chunk of runs at
// a time under the lock, so the counts do not depend on which worker played which run.
struct SettingBands {
  std::mutex mutex;
  std::vector<GrowingHistogram> rows;

  void Add(const std::vector<int32_t>& values) {
    const std::lock_guard lock(mutex);
    // Row by row, so that one histogram's busy bins stay in the cache.
    for (size_t r = 0; r < rows.size(); ++r) {
      for (size_t i = r; i < values.size(); i += rows.size()) rows[r].Add(values[i]);
    }
  }
  std::vector<BandRow> Percentiles(uint64_t runs, int32_t games) const {
    std::vector<BandRow> bands(rows.size());
    for (size_t r = 0; r < rows.size(); ++r) {
      BandRow& band = bands[r];
      band.row = static_cast<int>(r + 1);
      band.game = r + 1 == rows.size() ? games : static_cast<int32_t>(r) * kGamesPerChartRow;
      if (runs > 0) band.percentiles = rows[r].Percentiles();
    }
    return bands;
  }
};

}  // namespace

void BatchSums::Add(const RunRecord& run) {
  const RunFigures& f = run.figures;
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
  releases += f.Releases;
  heaven_releases += f.HeavenModeCount;
  pure_misses += run.role_counts[kPureMissRole];
  cherry_releases += f.CherryReleases;
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
  releases += o.releases;
  heaven_releases += o.heaven_releases;
  pure_misses += o.pure_misses;
  cherry_releases += o.cherry_releases;
  return *this;
}

void GrowingHistogram::Add(int value) {
  ++n_;
  if (pages_.empty() && raw_.size() < kRawValues) {
    raw_.push_back(value);
    return;
  }
  if (pages_.empty()) {
    for (int v : raw_) Count(v);
    raw_ = {};
  }
  Count(value);
}

void GrowingHistogram::Count(int value) {
  const int page_low = FloorDiv(value, kPageValues) * kPageValues;
  if (pages_.empty()) low_ = page_low;
  if (page_low < low_) {
    const auto extra = static_cast<size_t>((low_ - page_low) / kPageValues);
    std::vector<std::unique_ptr<Page>> grown(extra + pages_.size());
    std::move(pages_.begin(), pages_.end(), grown.begin() + static_cast<std::ptrdiff_t>(extra));
    pages_.swap(grown);
    low_ = page_low;
  }
  const auto page = static_cast<size_t>((page_low - low_) / kPageValues);
  if (page >= pages_.size()) pages_.resize(page + 1);
  if (!pages_[page]) pages_[page] = std::make_unique<Page>();
  ++(*pages_[page])[static_cast<size_t>(value - page_low)];
}

size_t GrowingHistogram::bytes() const {
  size_t bytes = raw_.capacity() * sizeof(int) + pages_.capacity() * sizeof(pages_[0]);
  for (const auto& page : pages_) bytes += page ? sizeof(Page) : 0;
  return bytes;
}

std::array<int, 5> GrowingHistogram::Percentiles() const {
  std::array<uint64_t, 5> ranks{};
  for (size_t k = 0; k < ranks.size(); ++k) ranks[k] = RankOf(n_, kPercentiles[k]);
  std::array<int, 5> values{};
  if (pages_.empty()) {
    std::vector<int> sorted = raw_;
    std::sort(sorted.begin(), sorted.end());
    for (size_t k = 0; k < ranks.size() && !sorted.empty(); ++k) values[k] = sorted[ranks[k] - 1];
    return values;
  }
  size_t k = 0;
  uint64_t seen = 0;
  for (size_t p = 0; p < pages_.size() && k < ranks.size(); ++p) {
    if (!pages_[p]) continue;
    const Page& page = *pages_[p];
    for (size_t i = 0; i < page.size() && k < ranks.size(); ++i) {
      seen += page[i];
      for (; k < ranks.size() && seen >= ranks[k]; ++k) {
        values[k] = low_ + static_cast<int>(p) * kPageValues + static_cast<int>(i);
      }
    }
  }
  return values;
}

void CoinDiffHistogram::Bin(SettingStats& stats) const {
  stats.bins.clear();
  for (size_t i = 0; i < counts_.size(); ++i) {
    const uint32_t count = counts_[i].load(std::memory_order_relaxed);
    if (count == 0) continue;
    const int value = static_cast<int>(i) - kDiffOffset;
    const int bin = FloorDiv(value, kBinCoins);
    if (stats.bins.empty()) stats.first_bin = bin;
    stats.bins.resize(static_cast<size_t>(bin - stats.first_bin) + 1, 0);
    stats.bins.back() += count;
  }
}

int CoinDiffHistogram::NearestRank(uint64_t n, int p) const {
  const uint64_t rank = RankOf(n, p);
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
  const auto games = static_cast<double>(games_bet);
  s.pure_miss_rate = static_cast<double>(pure_misses) / games;
  s.cherry_release_rate = static_cast<double>(cherry_releases) / games;
  s.heaven_share =
      releases > 0 ? static_cast<double>(heaven_releases) / static_cast<double>(releases) : 0;
  s.releases_mean = static_cast<double>(releases) / n;
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
        histograms_(options.settings.size()),
        bands_(options.bands ? options.settings.size() : 0) {
    for (SettingBands& bands : bands_) {
      bands.rows.resize(static_cast<size_t>(ChartRowsFor(options.plan.games)));
    }
  }

  uint64_t items() const { return chunks_per_setting_ * options_.settings.size(); }
  CoinDiffHistogram& histogram(size_t setting) { return histograms_[setting]; }
  std::vector<BandRow> Bands(size_t setting, uint64_t runs) const {
    return bands_.empty() ? std::vector<BandRow>()
                          : bands_[setting].Percentiles(runs, options_.plan.games);
  }

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
    RowValues rows(bands_.empty() ? 0 : bands_[setting].rows.size());
    std::vector<int32_t> chunk_rows;
    int64_t games = 0;
    for (uint64_t i = first; i < last && !progress_.stop.load(std::memory_order_relaxed); ++i) {
      plan.seed = static_cast<uint32_t>(options_.seed + i);
      rows.Start();
      const RunRecord run = PlayRun(plan, Keep::kFigures, bands_.empty() ? nullptr : &rows);
      if (run.finished()) {
        sums.Add(run);
        histograms_[setting].Add(run.figures.CoinDiff);
        if (!bands_.empty()) rows.AppendTo(run.figures.CoinDiff, chunk_rows);
        games += run.figures.games_bet;
      } else {
        ++sums.overflow_runs;
      }
    }
    if (!bands_.empty()) bands_[setting].Add(chunk_rows);
    progress_.runs_done += last - first;
    progress_.games_done += static_cast<uint64_t>(games);
  }

  const BatchOptions& options_;
  BatchProgress& progress_;
  const uint64_t chunk_;
  const uint64_t chunks_per_setting_;
  std::vector<CoinDiffHistogram> histograms_;
  std::vector<SettingBands> bands_;
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
    stats->back().bands = work.Bands(s, total.runs);
    work.histogram(s).Bin(stats->back());
  }
  return Status::Ok();
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
