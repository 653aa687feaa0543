// SPDX-License-Identifier: GPL-3.0-or-later
// Which setting is this machine: the posterior probability of settings 1 to 6 from what a player
// can count over the games played (G): the pure misses (K), and optionally the BIG and REG
// releases (N = B + R) and how many of those came in heaven mode (H).
//
// The pure misses are judged exactly: every game draws its role once, and a game is a pure miss
// with the probability p_s that the engine's draw gives role 5 in setting s, whatever else happens,
// so K is Binomial(G, p_s). The releases depend on K (a pure miss with a stock releases a bonus)
// and on each other, so they are judged from the simulator's own runs under the stated start
// (ReleaseModel): N given K as a normal whose mean is linear in K, and H given N and K as a normal
// whose mean is linear in both and whose variance grows with N, fitted per setting at the G asked.
// The share of BIG among the bonuses is the same in every setting, so only N enters. A floor on
// each release term keeps the answer finite; releases that no setting's runs come near are left
// out (the pure misses alone judge), and flagged.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/parallel_for.h"
#include "base/fields.h"
#include "base/status.h"
#include "engine/run.h"

namespace tobiuo {

using Prior = std::array<double, 6>;  // weights of settings 1 to 6

struct EstimateStart {
  int16_t stock = 20;
  bool setting_changed = false;
  bool operator==(const EstimateStart&) const = default;
};

// What a player counted.
struct Counts {
  int32_t games = 0;
  int32_t pure_misses = 0;
  std::optional<int32_t> big{}, reg{}, heaven{};  // heaven only with big and reg

  // N = B + R, the only thing the releases tell apart from H: the BIG share is the same in every
  // setting.
  int32_t releases() const { return big.value_or(0) + reg.value_or(0); }
};

struct Posterior {
  Prior probability{};
  int most_likely = 0;
  double p_4_or_more = 0;
  double p_5_or_6 = 0;
  // No setting's simulated runs come near the releases counted: they are left out, and the
  // posterior is the pure misses' alone.
  bool unlike_any_run = false;
};

// The probability that a game is a pure miss in the setting: the share of the generator's 2^24
// reals that the role draw sends into role 5 (for setting 1, 22529 / 2^24, not 88 / 65535).
double PureMissProbability(int setting);

// The fields of an estimate, as its refusals name them.
inline constexpr FieldName kCountGamesField{"games", "P数"};
inline constexpr FieldName kPureMissField{"pure-miss", "純ハズレ回数"};
inline constexpr FieldName kBigField{"big", "BIG回数"};
inline constexpr FieldName kRegField{"reg", "REG回数"};
inline constexpr FieldName kHeavenField{"heaven", "天国回数"};
inline constexpr FieldName kPriorField{"prior", "設定の見込み"};
inline constexpr FieldName kModelRunsField{"runs", "プレイ回数"};
inline constexpr FieldName kModelThreadsField{"threads", "スレッド数"};

// What a player counted, as typed: BIG, REG and heaven may be empty (not counted).
struct CountsInputs {
  std::string games, pure_misses, big, reg, heaven;
};

// Reads the counts (whole numbers, 0 to 8000) and checks them together (CheckCounts).
[[nodiscard]] Status ValidateCounts(const CountsInputs& inputs, Counts* counts);

// Refuses counts outside their ranges (K > G, B without R, H without B and R, H > B + R, ...).
[[nodiscard]] Status CheckCounts(const Counts& counts);

// Refuses a negative or not-finite weight and an all-zero prior; scales the weights to sum to 1.
[[nodiscard]] Status NormalizePrior(Prior* prior);

// Six weights separated by commas (ASCII, full-width "，" or "、"), normalised; an empty weight (a
// trailing comma) is refused.
[[nodiscard]] Status ReadPrior(std::string_view text, Prior* prior);

// The rest of an estimate's fields, as typed: the start, the prior and the simulated runs.
struct ModelInputs {
  std::string stock = "20";
  bool setting_changed = false;
  std::string prior = "1,1,1,1,1,1";
  std::string runs = "1000";  // per setting, 10 to 100000
  std::string seed{};         // empty: a fresh one
  std::string threads{};      // empty: the number of cores
};

struct ModelPlan {
  EstimateStart start;
  Prior prior{};
  uint64_t runs = 1000;
  uint32_t seed = 0;
  unsigned threads = 1;
};

[[nodiscard]] Status ValidateModelInputs(const ModelInputs& inputs, ModelPlan* plan);

// The simulated runs the releases are judged by: `runs` runs of each setting from the start, run i
// played with seed + i, each kept as the games of its pure misses and releases, so that the counts
// over the first g games of a run are at hand for any g up to games() (with no quit rule, a g-game
// run is the first g games of a longer run with the same seed).
class ReleaseModel {
 public:
  struct Key {
    EstimateStart start;
    int32_t games = 0;
    uint64_t runs = 0;
    uint32_t seed = 0;
    bool operator==(const Key&) const = default;
  };

  // Plays the runs on `threads` threads; reports runs done and honours a stop through `progress`.
  // Each run is written by the one worker that plays it: the model is the same for any number of
  // threads.
  [[nodiscard]] static Status Build(const Key& key, unsigned threads, Progress& progress,
                                    ReleaseModel* model);

  const Key& key() const { return key_; }
  // What a player counts in run `run` of the setting over its first `games` games.
  Counts CountsOf(int setting, size_t run, int32_t games) const;

  // log f_s(N, H | K) with each term floored; sets `unlike` when a count lies more than four
  // standard deviations from what the setting's runs give.
  double LogReleaseLikelihood(int setting, const Counts& counts, bool* unlike) const;

 private:
  struct RunEvents {
    std::vector<int32_t> pure_misses, releases, big_releases, heaven_releases;  // ascending
  };
  struct Fit {
    double n_mean0 = 0, n_per_k = 0, n_var = 1, n_var0 = 1, n_var_per_k = 0;    // N | K
    double h_mean0 = 0, h_per_n = 0, h_per_k = 0, h_var0 = 1, h_var_per_n = 0;  // H | N, K
  };
  // K, N and H over the first `games` games of a run: all that the fits read.
  struct Tally {
    int32_t pure_misses = 0, releases = 0, heaven = 0;
  };
  Tally TallyOf(int setting, size_t run, int32_t games) const;
  Fit FitAt(int setting, int32_t games) const;
  Fit MakeFit(int setting, int32_t games) const;

  // The fits by games, made when first asked for; the lock lets the power table's workers share
  // them.
  struct FitCache {
    std::mutex mutex;
    std::vector<std::pair<int32_t, std::array<Fit, 6>>> fits;
  };

  Key key_;
  std::array<std::vector<RunEvents>, 6> runs_;
  std::unique_ptr<FitCache> cache_ = std::make_unique<FitCache>();
};

// The posterior from the pure misses and, when the counts have them and a model is given, the
// releases and heaven-mode releases. Expects checked counts and a normalised prior.
Posterior Estimate(const Counts& counts, const Prior& prior, const ReleaseModel* model);

// The posterior of the six settings' log weights (prior times likelihood, up to one constant),
// at least one finite, normalised in log space so that no likelihood is too small.
Posterior PosteriorOf(const std::array<double, 6>& log_p);

// How many games until a player can tell: for each true setting and number of games, the share
// of simulated runs (of `evaluation`, whose seeds differ from the model's) in which the most
// likely setting is the true one, and the mean posterior of the true setting, from the pure misses
// alone and from all counts.
struct PowerRow {
  int setting = 0;
  int32_t games = 0;
  double hit_pure = 0, mean_true_pure = 0;
  double hit_all = 0, mean_true_all = 0;
};
// The rows are worked out on `threads` threads; a stop through `progress` leaves `rows` empty.
[[nodiscard]] Status PowerTable(const ReleaseModel& model, const ReleaseModel& evaluation,
                                const Prior& prior, const std::vector<int32_t>& games,
                                unsigned threads, Progress& progress, std::vector<PowerRow>* rows);

// What a posterior was judged from: the pure misses alone, every count, or the bonus history.
enum class JudgedBy { kPureMisses, kCounts, kHistory };

}  // namespace tobiuo
