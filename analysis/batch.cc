// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/batch.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <mutex>

#include "analysis/parallel_for.h"
#include "base/number_text.h"
#include "engine/random_source.h"

namespace tobiuo {
namespace {

constexpr int kDiffOffset = 32768;
constexpr size_t kRawValues = 2048;  // per chart row, before the values are counted

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
};

}  // namespace

void GrowingHistogram::Add(int value, uint64_t count) {
  n_ += count;
  if (pages_.empty() && raw_.size() + count <= kRawValues) {
    raw_.insert(raw_.end(), count, value);
    return;
  }
  if (pages_.empty()) {
    for (int v : raw_) Count(v, 1);
    raw_ = {};
  }
  Count(value, count);
}

void GrowingHistogram::Count(int value, uint64_t count) {
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
  uint32_t& bin = (*pages_[page])[static_cast<size_t>(value - page_low)];
  bin = static_cast<uint32_t>(bin + count);
}

uint64_t GrowingHistogram::CountOf(int value) const {
  if (pages_.empty()) return static_cast<uint64_t>(std::count(raw_.begin(), raw_.end(), value));
  const int page_low = FloorDiv(value, kPageValues) * kPageValues;
  if (page_low < low_) return 0;
  const auto page = static_cast<size_t>((page_low - low_) / kPageValues);
  if (page >= pages_.size() || !pages_[page]) return 0;
  return (*pages_[page])[static_cast<size_t>(value - page_low)];
}

bool GrowingHistogram::Merge(const GrowingHistogram& other) {
  // A bin holds at most 2^32 - 1 runs: look before changing anything, bin by bin only when the
  // totals could pass that (CountOf scans the values themselves while there are few).
  constexpr uint64_t kMaxBin = std::numeric_limits<uint32_t>::max();
  if (n_ + other.n_ > kMaxBin) {
    bool fits = true;
    other.ForEach(
        [&](int value, uint64_t count) { fits = fits && CountOf(value) + count <= kMaxBin; });
    if (!fits) return false;
  }
  other.ForEach([&](int value, uint64_t count) { Add(value, count); });
  return true;
}

size_t GrowingHistogram::bytes() const {
  size_t bytes = raw_.capacity() * sizeof(int) + pages_.capacity() * sizeof(pages_[0]);
  for (const auto& page : pages_) bytes += page ? sizeof(Page) : 0;
  return bytes;
}

std::vector<int> GrowingHistogram::ValuesAtRanks(const std::vector<uint64_t>& ranks) const {
  std::vector<int> values(ranks.size(), 0);
  size_t k = 0;
  uint64_t seen = 0;
  ForEach([&](int value, uint64_t count) {
    seen += count;
    for (; k < ranks.size() && seen >= ranks[k]; ++k) values[k] = value;
  });
  return values;
}

std::array<int, 5> GrowingHistogram::Percentiles() const {
  std::vector<uint64_t> ranks;
  for (int p : kPercentiles) ranks.push_back(RankOf(n_, p));
  const std::vector<int> values = ValuesAtRanks(ranks);
  std::array<int, 5> percentiles{};
  std::copy(values.begin(), values.end(), percentiles.begin());
  return percentiles;
}

void CoinDiffHistogram::AddTo(GrowingHistogram& histogram) const {
  for (size_t i = 0; i < counts_.size(); ++i) {
    const uint32_t count = counts_[i].load(std::memory_order_relaxed);
    if (count > 0) histogram.Add(static_cast<int>(i) - kDiffOffset, count);
  }
}

bool SettingTally::Merge(const SettingTally& other) {
  if (!final_diffs.Merge(other.final_diffs) || rows.size() != other.rows.size()) return false;
  for (size_t r = 0; r < rows.size(); ++r) {
    if (!rows[r].Merge(other.rows[r])) return false;
  }
  sums += other.sums;
  return true;
}

SettingStats Finish(const SettingTally& tally, int32_t games) {
  SettingStats s;
  s.setting = tally.setting;
  const uint64_t runs = static_cast<uint64_t>(tally.sums[Sum::kRuns]);
  FigureInputs inputs{tally.setting, tally.sums};
  if (runs > 0) {
    const std::vector<int> extremes = tally.final_diffs.ValuesAtRanks({1, runs});
    inputs.min = extremes[0];
    inputs.max = extremes[1];
    inputs.percentiles = tally.final_diffs.Percentiles();
  }
  s.figures = ComputeFigures(inputs);
  for (size_t r = 0; r < tally.rows.size(); ++r) {
    BandRow band;
    band.row = static_cast<int>(r + 1);
    band.game = r + 1 == tally.rows.size() ? games : static_cast<int32_t>(r) * kGamesPerChartRow;
    band.percentiles = tally.rows[r].Percentiles();
    s.bands.push_back(band);
  }
  tally.final_diffs.ForEach([&s](int value, uint64_t count) {
    const int bin = FloorDiv(value, kBinCoins);
    if (s.bins.empty()) s.first_bin = bin;
    s.bins.resize(static_cast<size_t>(bin - s.first_bin) + 1, 0);
    s.bins.back() += count;
  });
  return s;
}

namespace {

// The batch's work, handed out in chunks of runs of one setting to whichever worker is free.
class BatchWork {
 public:
  BatchWork(const BatchOptions& options, Progress& progress)
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
  std::vector<GrowingHistogram> TakeRows(size_t setting) {
    return bands_.empty() ? std::vector<GrowingHistogram>() : std::move(bands_[setting].rows);
  }

  // Plays chunk `item`: runs of one setting, summed into `sums`, the worker's own for the setting.
  void PlayChunk(uint64_t item, std::vector<BatchSums>& sums) {
    const auto setting = static_cast<size_t>(item / chunks_per_setting_);
    const uint64_t first = (item % chunks_per_setting_) * chunk_;
    RunPlan plan = options_.plan;
    plan.setting = options_.settings[setting];
    const uint64_t last = std::min(first + chunk_, options_.runs);
    RowValues rows(bands_.empty() ? 0 : bands_[setting].rows.size());
    std::vector<int32_t> chunk_rows;
    int64_t games = 0;
    for (uint64_t i = first; i < last && !progress_.stopped(); ++i) {
      plan.seed = static_cast<uint32_t>(options_.seed + options_.first_run + i);
      rows.Start();
      const RunRecord run = PlayRun(plan, Keep::kFigures, bands_.empty() ? nullptr : &rows);
      if (run.finished()) {
        sums[setting].Add(run);
        histograms_[setting].Add(run.figures.CoinDiff);
        if (!bands_.empty()) rows.AppendTo(run.figures.CoinDiff, chunk_rows);
        games += run.figures.GamesBet;
      } else {
        sums[setting][Sum::kOverflowRuns] += 1;
      }
    }
    if (!bands_.empty()) bands_[setting].Add(chunk_rows);
    progress_.Advance(last - first, static_cast<uint64_t>(games));
  }

 private:
  const BatchOptions& options_;
  Progress& progress_;
  const uint64_t chunk_;
  const uint64_t chunks_per_setting_;
  std::vector<CoinDiffHistogram> histograms_;
  std::vector<SettingBands> bands_;
};

}  // namespace

namespace {

// The settings of a comma-separated list, each 1 to 6 and each at most once.
Status ReadSettings(const std::string& list, RunInputs inputs, std::vector<int>* settings) {
  if (NormalizeNumberText(list).empty()) {
    return Refuse(kSettingsField, "比較する設定を1つ以上選んでください");
  }
  settings->clear();
  inputs.seed = "0";  // read already; spares a fresh seed per item
  for (size_t start = 0;;) {
    const size_t comma = std::min(list.find(',', start), list.size());
    inputs.setting = list.substr(start, comma - start);
    RunPlan plan;
    if (Status s = ValidateInputs(inputs, &plan); !s.ok()) {
      return Refuse(kSettingsField, s.message() + "（" + list + "）");
    }
    if (std::find(settings->begin(), settings->end(), plan.setting) != settings->end()) {
      return Refuse(kSettingsField, "設定" + std::to_string(plan.setting) + "が2回選ばれています");
    }
    settings->push_back(plan.setting);
    if (comma == list.size()) return Status::Ok();
    start = comma + 1;
  }
}

}  // namespace

std::string BatchConditions(const BatchOptions& o) {
  std::string text = std::to_string(o.runs) + "回・" + std::to_string(o.plan.games) + "P・" +
                     std::to_string(o.plan.rate) + "枚交換・初期ストック" +
                     std::to_string(o.plan.stock) +
                     (o.plan.setting_changed ? "・設定変更あり" : "・設定変更なし");
  if (o.plan.quit >= 1) text += "・ヤメ時 " + std::to_string(static_cast<int64_t>(o.plan.quit));
  if (o.first_run != 0) text += "・最初のプレイ番号 " + std::to_string(o.first_run);
  return text + "・シード " + std::to_string(o.seed);
}

Status ValidateBatch(const BatchInputs& inputs, BatchOptions* options) {
  BatchOptions o;
  int64_t runs = 0, first_run = 0, threads = 1;
  Status s = ReadWholeField(inputs.runs, kRunsField, 1, kMaxBatchRuns, &runs);
  if (s.ok()) s = ValidateInputs(inputs.run, &o.plan);
  if (s.ok()) s = ReadSettings(inputs.settings, inputs.run, &o.settings);
  if (s.ok()) s = ReadWholeField(inputs.first_run, kFirstRunField, 0, UINT32_MAX, &first_run);
  if (s.ok() && !inputs.threads.empty()) {
    s = ReadWholeField(inputs.threads, kThreadsField, 1, 1024, &threads);
  } else {
    threads = AllCores();
  }
  int64_t batch_runs = 0;
  if (s.ok() && !inputs.batch_runs.empty()) {
    s = ReadWholeField(inputs.batch_runs, kBatchRunsField, first_run + runs,
                       int64_t{UINT32_MAX} + kMaxBatchRuns, &batch_runs);
  }
  if (!s.ok()) return s;
  o.runs = static_cast<uint64_t>(runs);
  o.first_run = static_cast<uint64_t>(first_run);
  o.batch_runs = static_cast<uint64_t>(batch_runs);
  o.threads = static_cast<unsigned>(threads);
  o.seed = o.plan.seed;
  o.bands = inputs.bands;
  *options = std::move(o);
  return Status::Ok();
}

Status RunBatchTallies(const BatchOptions& options, Progress& progress,
                       std::vector<SettingTally>* tallies) {
  tallies->clear();
  BatchWork work(options, progress);
  // Each worker sums into its own BatchSums; the histograms are shared, through atomics, and the
  // bands under a lock. Sums and counts add up alike in any order, so the result does not depend
  // on which worker played which chunk.
  std::vector<std::vector<BatchSums>> partial(Workers(work.items(), options.threads),
                                              std::vector<BatchSums>(options.settings.size()));
  const Status played =
      ParallelFor(work.items(), options.threads, progress,
                  [&](uint64_t item, unsigned worker) { work.PlayChunk(item, partial[worker]); });
  if (!played.ok()) return played;
  for (size_t s = 0; s < options.settings.size(); ++s) {
    SettingTally& tally = tallies->emplace_back();
    tally.setting = options.settings[s];
    for (const auto& sums : partial) tally.sums += sums[s];
    work.histogram(s).AddTo(tally.final_diffs);
    tally.rows = work.TakeRows(s);
  }
  return Status::Ok();
}

Status RunBatch(const BatchOptions& options, Progress& progress, std::vector<SettingStats>* stats) {
  stats->clear();
  std::vector<SettingTally> tallies;
  if (Status s = RunBatchTallies(options, progress, &tallies); !s.ok()) return s;
  for (const SettingTally& tally : tallies) stats->push_back(Finish(tally, options.plan.games));
  return Status::Ok();
}

}  // namespace tobiuo
