// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/estimate.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/lotteries.h"
#include "engine/random_source.h"
#include "engine/setting_tables.h"

namespace tobiuo {
namespace {

using lottery::kRoleDraws;
constexpr double kMinVariance = 0.25;
// Each release term is at least e^-18 (about 1.5e-8): counts that no simulated run comes near
// weigh the settings by their pure misses, not by how far out in a normal's tail they fall.
constexpr double kLogFloor = -18;
constexpr double kFar = 4;  // standard deviations: counts this far out in every setting are flagged

double LogBinomial(int32_t k, int32_t n, double p) {
  return std::lgamma(n + 1.0) - std::lgamma(k + 1.0) - std::lgamma(n - k + 1.0) + k * std::log(p) +
         (n - k) * std::log1p(-p);
}

// The log density, floored; `far` is set when x lies more than kFar standard deviations out.
double LogNormal(double x, double mean, double variance, bool* far) {
  const double v = std::max(variance, kMinVariance);
  const double z2 = (x - mean) * (x - mean) / v;
  if (z2 > kFar * kFar) *far = true;
  return std::max(-0.5 * std::log(2 * std::numbers::pi * v) - z2 / 2, kLogFloor);
}

int32_t CountBefore(const std::vector<int32_t>& games, int32_t g) {
  return static_cast<int32_t>(std::lower_bound(games.begin(), games.end(), g) - games.begin());
}

// Least squares for y = c0 + c1 x1 (+ c2 x2): the normal equations, solved by Cramer's rule; a
// regressor that does not vary gets coefficient 0.
struct LeastSquares {
  std::array<std::array<double, 3>, 3> xx{};
  std::array<double, 3> xy{};
  void Add(double y, double x1, double x2) {
    const std::array<double, 3> x = {1, x1, x2};
    for (size_t i = 0; i < 3; ++i) {
      for (size_t j = 0; j < 3; ++j) xx[i][j] += x[i] * x[j];
      xy[i] += x[i] * y;
    }
  }
  static double Det(const std::array<std::array<double, 3>, 3>& m) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  }
  // Coefficients over the regressors in use (`used` of x1, x2).
  std::array<double, 3> Solve(size_t used) const {
    std::array<std::array<double, 3>, 3> m = xx;
    std::array<double, 3> y = xy;
    for (size_t i = used + 1; i < 3; ++i) {  // drop the regressors not in use
      for (size_t j = 0; j < 3; ++j) m[i][j] = m[j][i] = i == j ? 1 : 0;
      y[i] = 0;
    }
    const double det = Det(m);
    if (std::abs(det) < 1e-9 * std::max(1.0, std::abs(m[0][0] * m[1][1] * m[2][2]))) {
      return used == 0 || xx[0][0] == 0
                 ? std::array<double, 3>{xx[0][0] != 0 ? xy[0] / xx[0][0] : 0, 0, 0}
                 : LeastSquares{*this}.Solve(used - 1);
    }
    std::array<double, 3> c{};
    for (size_t k = 0; k < 3; ++k) {
      std::array<std::array<double, 3>, 3> mk = m;
      for (size_t i = 0; i < 3; ++i) mk[i][k] = y[i];
      c[k] = Det(mk) / det;
    }
    return c;
  }
};

// Records a run's pure misses and releases by game.
class EventRecorder final : public RunObserver {
 public:
  EventRecorder(std::vector<int32_t>& misses, std::vector<int32_t>& releases,
                std::vector<int32_t>& big, std::vector<int32_t>& heaven)
      : misses_(misses), releases_(releases), big_(big), heaven_(heaven) {}
  void OnPureMiss(int32_t game) override { misses_.push_back(game); }
  void OnRelease(int32_t game, bool heaven, bool big) override {
    releases_.push_back(game);
    if (big) big_.push_back(game);
    if (heaven) heaven_.push_back(game);
  }

 private:
  std::vector<int32_t>& misses_;
  std::vector<int32_t>& releases_;
  std::vector<int32_t>& big_;
  std::vector<int32_t>& heaven_;
};

}  // namespace

double PureMissProbability(int setting) {
  SimState tables;
  LoadSettingTables(tables, setting);
  const int64_t low = tables.RoleLow[kPureMissRole], high = tables.RoleHigh[kPureMissRole];
  return DrawShare(low, high, kRoleDraws);
}

Status CheckCounts(const Counts& c) {
  if (c.games < 1 || c.games > kMaxGames) {
    return Refuse(kCountGamesField, "P数は1～8000の整数で入力してください");
  }
  if (c.pure_misses < 0 || c.pure_misses > c.games) {
    return Refuse(kPureMissField, "純ハズレ回数は0～P数の整数で入力してください");
  }
  if (c.big.has_value() != c.reg.has_value()) {
    return Refuse(c.big ? kRegField : kBigField, "BIGとREGは両方とも入力してください");
  }
  for (const auto& [count, field] : {std::pair{c.big, kBigField}, {c.reg, kRegField}}) {
    if (count && (*count < 0 || *count > c.games)) {
      return Refuse(field, "BIG・REG回数は0～P数の整数で入力してください");
    }
  }
  if (c.heaven && !c.big) return Refuse(kHeavenField, "天国回数はBIGとREGと一緒に入力してください");
  if (c.heaven && (*c.heaven < 0 || *c.heaven > *c.big + *c.reg)) {
    return Refuse(kHeavenField, "天国回数は0～BIG+REGの整数で入力してください");
  }
  return Status::Ok();
}

Status NormalizePrior(Prior* prior) {
  double sum = 0;
  for (double w : *prior) {
    if (!std::isfinite(w) || w < 0)
      return Refuse(kPriorField, "設定の見込みは0以上の数で入力してください");
    sum += w;
  }
  if (sum <= 0) return Refuse(kPriorField, "設定の見込みがすべて0です");
  if (!std::isfinite(sum)) {  // weights too large to add: scale them down by the largest first
    const double largest = *std::max_element(prior->begin(), prior->end());
    sum = 0;
    for (double& w : *prior) sum += (w /= largest);
  }
  for (double& w : *prior) w /= sum;
  return Status::Ok();
}

Status ValidateCounts(const CountsInputs& inputs, Counts* counts) {
  const std::pair<const std::string*, FieldName> fields[] = {{&inputs.games, kCountGamesField},
                                                             {&inputs.pure_misses, kPureMissField},
                                                             {&inputs.big, kBigField},
                                                             {&inputs.reg, kRegField},
                                                             {&inputs.heaven, kHeavenField}};
  std::array<std::optional<int64_t>, 5> values;
  for (size_t i = 0; i < 5; ++i) {
    const auto& [text, field] = fields[i];
    const int64_t low = i == 0 ? 1 : 0;  // at least one game; any count may be 0
    const Status s = i < 2 ? ReadWholeField(*text, field, low, kMaxGames, &values[i].emplace())
                           : ReadOptionalWholeField(*text, field, low, kMaxGames, &values[i]);
    if (!s.ok()) return s;
  }
  const auto narrow = [](const std::optional<int64_t>& v) -> std::optional<int32_t> {
    if (!v) return std::nullopt;
    return static_cast<int32_t>(*v);
  };
  Counts c{static_cast<int32_t>(*values[0]), static_cast<int32_t>(*values[1]), narrow(values[2]),
           narrow(values[3]), narrow(values[4])};
  if (Status s = CheckCounts(c); !s.ok()) return s;
  *counts = c;
  return Status::Ok();
}

Status ReadPrior(std::string_view typed, Prior* prior) {
  // The commas a Japanese input method types separate the weights as ASCII ones do.
  std::string text(typed);
  for (const std::string_view comma : {"，", "、"}) {
    for (size_t at; (at = text.find(comma)) != std::string::npos;)
      text.replace(at, comma.size(), ",");
  }
  Prior weights{};
  size_t count = 0;
  for (size_t start = 0;; ++count) {
    const size_t comma = std::min(text.find(',', start), text.size());
    if (count < weights.size()) {
      if (Status s = ReadRealField(text.substr(start, comma - start), kPriorField, &weights[count]);
          !s.ok()) {
        return Refuse(kPriorField, "設定の見込みは0以上の数で入力してください");
      }
    }
    if (comma == text.size()) break;
    start = comma + 1;
  }
  if (count + 1 != weights.size()) {
    return Refuse(kPriorField, "設定の見込みは6つをカンマで区切って入力してください");
  }
  if (Status s = NormalizePrior(&weights); !s.ok()) return s;
  *prior = weights;
  return Status::Ok();
}

Status ValidateModelInputs(const ModelInputs& inputs, ModelPlan* plan) {
  ModelPlan p;
  int64_t runs = 0, threads = 1;
  Status s = ReadRoundedField(inputs.stock, kStockField, 0, kMaxInitialStock, &p.start.stock);
  if (s.ok()) s = ReadPrior(inputs.prior, &p.prior);
  if (s.ok()) s = ReadWholeField(inputs.runs, kModelRunsField, 10, 100000, &runs);
  if (s.ok()) s = ReadSeed(inputs.seed, &p.seed);
  if (s.ok() && !inputs.threads.empty()) {
    s = ReadWholeField(inputs.threads, kModelThreadsField, 1, 1024, &threads);
  } else {
    threads = AllCores();
  }
  if (!s.ok()) return s;
  p.start.setting_changed = inputs.setting_changed;
  p.runs = static_cast<uint64_t>(runs);
  p.threads = static_cast<unsigned>(threads);
  *plan = p;
  return Status::Ok();
}

Status ReleaseModel::Build(const Key& key, unsigned threads, Progress& progress,
                           ReleaseModel* model) {
  ReleaseModel built;
  built.key_ = key;
  for (auto& runs : built.runs_) runs.resize(key.runs);
  RunPlan plan;
  plan.games = key.games;
  plan.games_text = std::to_string(key.games);
  plan.stock = key.start.stock;
  plan.setting_changed = key.start.setting_changed;
  const Status played =
      ParallelFor(6 * key.runs, threads, progress, [&](uint64_t item, unsigned /*worker*/) {
        RunPlan own = plan;
        own.setting = static_cast<int>(item / key.runs) + 1;
        own.seed = static_cast<uint32_t>(key.seed + item % key.runs);
        RunEvents& events = built.runs_[item / key.runs][item % key.runs];
        EventRecorder recorder(events.pure_misses, events.releases, events.big_releases,
                               events.heaven_releases);
        const RunRecord run = PlayRun(own, Keep::kFigures, &recorder);
        progress.Advance(1, static_cast<uint64_t>(run.figures.GamesBet));
      });
  if (!played.ok()) return played;
  *model = std::move(built);
  return Status::Ok();
}

ReleaseModel::Tally ReleaseModel::TallyOf(int setting, size_t run, int32_t games) const {
  const RunEvents& events = runs_[static_cast<size_t>(setting - 1)][run];
  return {CountBefore(events.pure_misses, games), CountBefore(events.releases, games),
          CountBefore(events.heaven_releases, games)};
}

Counts ReleaseModel::CountsOf(int setting, size_t run, int32_t games) const {
  const Tally t = TallyOf(setting, run, games);
  const int32_t big = CountBefore(runs_[static_cast<size_t>(setting - 1)][run].big_releases, games);
  return {games, t.pure_misses, big, t.releases - big, t.heaven};
}

ReleaseModel::Fit ReleaseModel::FitAt(int setting, int32_t games) const {
  const std::lock_guard lock(cache_->mutex);
  auto& fits = cache_->fits;
  auto cached = std::find_if(fits.begin(), fits.end(), [&](auto& f) { return f.first == games; });
  if (cached == fits.end()) {
    std::array<Fit, 6> made;
    for (int s = 1; s <= 6; ++s) made[static_cast<size_t>(s - 1)] = MakeFit(s, games);
    fits.emplace_back(games, made);
    cached = fits.end() - 1;
  }
  return cached->second[static_cast<size_t>(setting - 1)];
}

ReleaseModel::Fit ReleaseModel::MakeFit(int setting, int32_t games) const {
  LeastSquares n_given_k, h_given_nk, h_var, n_var;
  std::vector<Tally> tallies;
  for (size_t i = 0; i < key_.runs; ++i) tallies.push_back(TallyOf(setting, i, games));
  for (const Tally& t : tallies) {
    n_given_k.Add(t.releases, t.pure_misses, 0);
    h_given_nk.Add(t.heaven, t.releases, t.pure_misses);
  }
  Fit fit;
  const auto n = n_given_k.Solve(1), h = h_given_nk.Solve(2);
  fit.n_mean0 = n[0], fit.n_per_k = n[1];
  fit.h_mean0 = h[0], fit.h_per_n = h[1], fit.h_per_k = h[2];
  double n_squares = 0;
  for (const Tally& t : tallies) {
    const double r = t.releases - fit.n_mean0 - fit.n_per_k * t.pure_misses;
    n_squares += r * r;
    n_var.Add(r * r, t.pure_misses, 0);
    const double e =
        t.heaven - fit.h_mean0 - fit.h_per_n * t.releases - fit.h_per_k * t.pure_misses;
    h_var.Add(e * e, t.releases, 0);
  }
  fit.n_var = tallies.size() > 2 ? n_squares / static_cast<double>(tallies.size() - 2) : 1;
  const auto nv = n_var.Solve(1);
  fit.n_var0 = nv[0], fit.n_var_per_k = nv[1];
  const auto v = h_var.Solve(1);
  fit.h_var0 = v[0], fit.h_var_per_n = v[1];
  return fit;
}

double ReleaseModel::LogReleaseLikelihood(int setting, const Counts& c, bool* unlike) const {
  if (!c.big) return 0;
  const Fit f = FitAt(setting, c.games);
  const double n = c.releases(), k = c.pure_misses;
  bool far = false;
  double log_f = LogNormal(n, f.n_mean0 + f.n_per_k * k, f.n_var0 + f.n_var_per_k * k, &far);
  if (c.heaven) {
    log_f += LogNormal(*c.heaven, f.h_mean0 + f.h_per_n * n + f.h_per_k * k,
                       f.h_var0 + f.h_var_per_n * n, &far);
  }
  *unlike = far;
  return log_f;
}

Posterior Estimate(const Counts& counts, const Prior& prior, const ReleaseModel* model) {
  std::array<double, 6> log_p{};
  bool unlike_all = model != nullptr && counts.big.has_value();
  for (int s = 1; s <= 6; ++s) {
    const auto i = static_cast<size_t>(s - 1);
    log_p[i] = prior[i] > 0 ? std::log(prior[i]) : -INFINITY;
    log_p[i] += LogBinomial(counts.pure_misses, counts.games, PureMissProbability(s));
    if (model && counts.big && prior[i] > 0) {
      bool unlike = false;
      log_p[i] += model->LogReleaseLikelihood(s, counts, &unlike);
      unlike_all = unlike_all && unlike;
    }
  }
  if (unlike_all) {  // a floored normal tail says nothing a player can trust
    Counts pure = counts;
    pure.big.reset(), pure.reg.reset(), pure.heaven.reset();
    Posterior alone = Estimate(pure, prior, nullptr);
    alone.unlike_any_run = true;
    return alone;
  }
  Posterior posterior = PosteriorOf(log_p);
  posterior.unlike_any_run = unlike_all;
  return posterior;
}

Posterior PosteriorOf(const std::array<double, 6>& log_p) {
  // log-sum-exp: finite for every allowed input, however small the likelihoods.
  const double top = *std::max_element(log_p.begin(), log_p.end());
  double sum = 0;
  for (double lp : log_p) sum += std::exp(lp - top);
  Posterior posterior;
  for (size_t i = 0; i < 6; ++i) posterior.probability[i] = std::exp(log_p[i] - top) / sum;
  const auto& p = posterior.probability;
  posterior.most_likely = static_cast<int>(std::max_element(p.begin(), p.end()) - p.begin()) + 1;
  posterior.p_4_or_more = p[3] + p[4] + p[5];
  posterior.p_5_or_6 = p[4] + p[5];
  return posterior;
}

Status PowerTable(const ReleaseModel& model, const ReleaseModel& evaluation, const Prior& prior,
                  const std::vector<int32_t>& games, unsigned threads, Progress& progress,
                  std::vector<PowerRow>* rows) {
  std::vector<PowerRow> table(6 * games.size());
  const Status done =
      ParallelFor(table.size(), threads, progress, [&](uint64_t item, unsigned /*worker*/) {
        const int s = static_cast<int>(item / games.size()) + 1;
        PowerRow& row = table[item];
        row = {s, games[item % games.size()]};
        const auto runs = static_cast<double>(evaluation.key().runs);
        for (size_t i = 0; i < evaluation.key().runs; ++i) {
          Counts c = evaluation.CountsOf(s, i, row.games);
          const Posterior all = Estimate(c, prior, &model);
          c.big.reset(), c.reg.reset(), c.heaven.reset();
          const Posterior pure = Estimate(c, prior, nullptr);
          const auto truth = static_cast<size_t>(s - 1);
          row.hit_pure += (pure.most_likely == s) / runs;
          row.mean_true_pure += pure.probability[truth] / runs;
          row.hit_all += (all.most_likely == s) / runs;
          row.mean_true_all += all.probability[truth] / runs;
        }
        progress.Advance(1, 0);
      });
  if (!done.ok()) return done;
  *rows = std::move(table);
  return Status::Ok();
}

}  // namespace tobiuo
