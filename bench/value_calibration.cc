// SPDX-License-Identifier: GPL-3.0-or-later
// The value of playing on, judged against what really came: 3000 runs of known setting (stock 0,
// 20 and unknown, with and without a setting change, G from 200 to 6000, N of 100, 300 and 1000),
// seen as a player sees them up to game G, answered with 200 draws, then played on to G + N, and
// 60 times more from the engine's real state at G. The real coins less the answer, and the mean of
// those futures less the answer (the sharper check), average 0 within 3 standard errors overall,
// by N and by the ハマり;
// the slope of the real coins on the answer (weights 1/N, a robust standard error) is 1 within 3;
// P(heaven) and P(stock empty) agree with the engine's state in bins of the chance said. Prints
// what it measured; exits 1 when a check fails. A minute of work on two cores: CI runs it apart
// from the quick tests.

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "analysis/parallel_for.h"
#include "analysis/value.h"
#include "base/mean.h"
#include "engine/run.h"

namespace tobiuo {
namespace {

int failures = 0;

// Says a check's outcome; a failed one is counted.
void Check(bool ok, const std::string& what) {
  if (!ok) {
    ++failures;
    std::printf("FAILED: %s\n", what.c_str());
  }
}

constexpr uint32_t kFutures = 60;

struct Case {
  double said = 0, real = 0;  // coins over the N games after G
  double futures = 0;         // their mean over kFutures runs resumed from the real state at G
  int32_t more = 0, gap = 0;
  double heaven = 0, empty = 0;  // the chances said
  bool was_heaven = false, was_empty = false;
};

Case Judge(uint32_t i) {
  const uint32_t mix = 2654435761u * (i + 1);
  const int setting = static_cast<int>(i % 6) + 1;
  const int kind = static_cast<int>(i / 6 % 3);  // stock 0, 20, unknown (the run's own 0..255)
  const int16_t stock = kind == 0 ? 0 : kind == 1 ? 20 : static_cast<int16_t>(mix >> 9 & 255);
  const bool changed = (mix >> 20 & 1) != 0;
  const int32_t games = 200 + static_cast<int32_t>(mix % 5801);
  const int32_t more = std::array{100, 300, 1000}[i / 18 % 3];
  RunPlan plan{.setting = setting, .stock = stock, .setting_changed = changed, .seed = 3000000 + i};
  plan.games = games + more;
  plan.games_text = std::to_string(plan.games);
  HistoryRecorder recorder;
  const RunRecord whole = PlayRun(plan, Keep::kFigures, &recorder);
  PausedRun paused;
  Check(PauseRun(plan, games, &paused), "run " + std::to_string(i) + " paused");
  ValueQuestion q;
  q.history = recorder.HistoryOver(games);
  q.start = {{stock}, changed};
  if (kind == 2) q.start.stocks = UnknownStock();
  q.games_left = more;
  q.more.clear();
  q.streak_rules = false;
  q.seed = i;
  q.draws = 200;
  ValueAnswer a;
  Progress progress;
  Check(ValueOfPlaying(q, progress, &a).ok(), "run " + std::to_string(i) + " answered");
  double futures = 0;
  for (uint32_t f = 0; f < kFutures; ++f) {
    PausedRun again = paused;
    again.random = Mt19937Source(mix ^ (0x9E3779B9u * (f + 1)));
    futures += ResumeRun(plan, std::move(again), Keep::kFigures).figures.CoinDiff -
               paused.figures.CoinDiff;
  }
  return {a.rules.at(1).coins,
          static_cast<double>(whole.figures.CoinDiff - paused.figures.CoinDiff),
          futures / kFutures,
          more,
          a.hamari,
          a.now.heaven,
          a.now.stock_empty,
          paused.machine.NextMode == Mode::kHeaven,
          paused.machine.Stock.Count == 0};
}

void Measure() {
  constexpr uint32_t kRuns = 3000;
  std::vector<Case> cases(kRuns);
  Progress progress;
  Check(ParallelFor(kRuns, AllCores(), progress,
                    [&](uint64_t i, unsigned) { cases[i] = Judge(static_cast<uint32_t>(i)); })
            .ok(),
        "all runs judged");
  // the real coins less the answer, and the futures from the real state less the answer (free of
  // the one real future's spread, so sharper): mean 0 overall, by N and by the ハマり
  std::map<std::string, Mean> residuals, from_state;
  std::map<int32_t, Mean> real_by_n;
  for (const Case& c : cases) {
    for (const std::string& key : {std::string("all"), "N " + std::to_string(c.more),
                                   std::string(c.gap < 100   ? "gap < 100"
                                               : c.gap < 400 ? "gap 100-400"
                                                             : "gap >= 400")}) {
      residuals[key].Add(c.real - c.said);
      from_state[key].Add(c.futures - c.said);
    }
    real_by_n[c.more].Add(c.real);
  }
  for (const auto& [what, by] : {std::pair{"real", &residuals}, {"futures", &from_state}}) {
    for (const auto& [key, m] : *by) {
      std::printf("%-12s %7s - answer %8.2f ± %6.2f (%lld runs)\n", key.c_str(), what, m.Value(),
                  m.Error(), static_cast<long long>(m.n));
      Check(std::abs(m.Value()) <= 3 * m.Error(),
            key + ": " + what + " less the answer within 3 standard errors");
    }
  }
  // the share of each N's variance the answer explains
  for (const auto& [n, real] : real_by_n) {
    const Mean& residual = residuals["N " + std::to_string(n)];
    std::printf("N %-5d the answer explains %.2f of the variance\n", n,
                1 - residual.Variance() / real.Variance());
  }
  // slope of the real coins on the answer, weights 1/N, with a robust standard error
  double w_sum = 0, x_mean = 0, y_mean = 0;
  for (const Case& c : cases) {
    const double w = 1.0 / c.more;
    w_sum += w;
    x_mean += w * c.said;
    y_mean += w * c.real;
  }
  x_mean /= w_sum;
  y_mean /= w_sum;
  double sxx = 0, sxy = 0;
  for (const Case& c : cases) {
    sxx += (c.said - x_mean) * (c.said - x_mean) / c.more;
    sxy += (c.said - x_mean) * (c.real - y_mean) / c.more;
  }
  const double slope = sxy / sxx;
  double meat = 0;
  for (const Case& c : cases) {
    const double e = c.real - y_mean - slope * (c.said - x_mean);
    meat += std::pow((c.said - x_mean) * e / c.more, 2);
  }
  const double slope_se = std::sqrt(meat) / sxx;
  std::printf("slope of real on answer %.3f ± %.3f\n", slope, slope_se);
  Check(std::abs(slope - 1) <= 3 * slope_se, "the slope within 3 standard errors of 1");
  // the chances of the hidden state now against the engine's, in bins of the chance said
  for (const bool heaven : {true, false}) {
    std::map<int, std::array<double, 3>> bins;  // said, seen, variance
    for (const Case& c : cases) {
      const double p = heaven ? c.heaven : c.empty;
      std::array<double, 3>& b = bins[p < 0.1 ? 0 : p < 0.5 ? 1 : p < 0.9 ? 2 : 3];
      b[0] += p;
      b[1] += (heaven ? c.was_heaven : c.was_empty) ? 1 : 0;
      b[2] += p * (1 - p);
    }
    for (const auto& [bin, b] : bins) {
      std::printf("%s bin %d: said %.1f, seen %.0f\n", heaven ? "heaven" : "empty", bin, b[0],
                  b[1]);
      Check(std::abs(b[0] - b[1]) <= 3 * std::sqrt(b[2]) + 1e-9,
            std::string(heaven ? "heaven" : "empty") + " bin " + std::to_string(bin));
    }
  }
}

}  // namespace
}  // namespace tobiuo

int main() {
  tobiuo::Measure();
  std::printf("%s\n", tobiuo::failures == 0 ? "calibrated" : "NOT calibrated");
  return tobiuo::failures == 0 ? 0 : 1;
}
