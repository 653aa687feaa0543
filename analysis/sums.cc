// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/sums.h"

#include <algorithm>
#include <cmath>

#include "engine/summary.h"

namespace tobiuo {
namespace {

Int128 CoinsIn(const RunRecord& run) { return Int128{kBet} * run.figures.GamesBet; }

using L = const SumLimits&;
Int128 Finished(L l) { return l.sums[Sum::kRuns]; }
SumRange Exactly(Int128 value) { return {value, value}; }
SumRange UpToRuns(L l) { return {0, l.runs}; }
// A count of something that happens at most once a game.
SumRange PerGameBet(L l) { return {0, l.sums[Sum::kGamesBet]}; }
Int128 FloorDiv(Int128 a, Int128 b) { return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0); }
Int128 CeilDiv(Int128 a, Int128 b) { return -FloorDiv(-a, b); }

// A run's coin difference and its coins are 16-bit.
constexpr Int128 kLeast = -32768, kMost = 32767;

SumRange DiffInRange(L l) {
  // |sum of d x| <= sqrt(sum of d^2 * sum of x^2) (with a margin for the rounding of the root,
  // taken before sum of x^2 is checked), and within the largest |d| times the coins in
  const auto positive = [](Int128 v) { return static_cast<double>(std::max<Int128>(v, 0)); };
  const double root =
      std::sqrt(positive(l.sums[Sum::kDiffSquares]) * positive(l.sums[Sum::kInSquares]));
  const Int128 in = kBet * l.sums[Sum::kGamesBet];
  const Int128 most = -kLeast * in;
  const double margin = root * (1 + 1e-12);
  const Int128 bound = margin >= static_cast<double>(most) ? most : static_cast<Int128>(margin) + 1;
  return {-bound, bound};
}

SumRange InSquaresRange(L l) {
  // from (sum of x)^2 / n (all runs betting alike) to the most a run bets times the sum of x
  const Int128 in = kBet * l.sums[Sum::kGamesBet];
  if (Finished(l) == 0) return Exactly(0);
  return {CeilDiv(in * in, Finished(l)), Int128{kBet} * l.games * in};
}

SumRange BalanceRange(L l) {
  // cashing out 16-bit coins at the rate, less at most 1000 yen a game invested
  return {Finished(l) * (FloorDiv(kLeast, l.rate) * 100 - Int128{1000} * l.games),
          Finished(l) * FloorDiv(kMost, l.rate) * 100};
}

}  // namespace

// In the order of Sum, which is the order of a partial file's keys.
constexpr std::array<SumSpec, kSumCount> kSums = {{
    {Sum::kRuns, "runs", false, [](const RunRecord&) { return Int128{1}; },
     [](L l) { return Exactly(l.runs - l.sums[Sum::kOverflowRuns]); }},
    {Sum::kOverflowRuns, "overflow_runs", false, nullptr, UpToRuns},
    {Sum::kWins, "wins", false,
     [](const RunRecord& r) { return Int128{r.figures.CoinDiff > 0 ? 1 : 0}; },
     [](L l) { return Exactly(l.final_above_zero); }},
    {Sum::kGamesBet, "games_bet", false,
     [](const RunRecord& r) { return Int128{r.figures.GamesBet}; },
     [](L l) {
       return SumRange{Finished(l), Finished(l) * l.games};
     }},
    {Sum::kDiff, "diff", false, [](const RunRecord& r) { return Int128{r.figures.CoinDiff}; },
     [](L l) { return Exactly(l.final_sum); }},
    {Sum::kDiffSquares, "diff_squares", true,
     [](const RunRecord& r) { return Int128{r.figures.CoinDiff} * r.figures.CoinDiff; },
     [](L l) { return Exactly(l.final_squares); }},
    {Sum::kDiffIn, "diff_in", true,
     [](const RunRecord& r) { return r.figures.CoinDiff * CoinsIn(r); }, DiffInRange},
    {Sum::kInSquares, "in_squares", true,
     [](const RunRecord& r) { return CoinsIn(r) * CoinsIn(r); }, InSquaresRange},
    {Sum::kBalance, "balance", false, [](const RunRecord& r) { return Int128{Balance(r.figures)}; },
     BalanceRange},
    {Sum::kBalanceWins, "balance_wins", false,
     [](const RunRecord& r) { return Int128{Balance(r.figures) > 0 ? 1 : 0}; },
     [](L l) {
       return SumRange{0, Finished(l)};
     }},
    {Sum::kBig, "big", false, [](const RunRecord& r) { return Int128{r.figures.BigReleases}; },
     PerGameBet},
    {Sum::kReg, "reg", false, [](const RunRecord& r) { return Int128{r.figures.RegReleases}; },
     PerGameBet},
    {Sum::kReleases, "releases", false,
     [](const RunRecord& r) { return Int128{r.figures.Releases}; },
     [](L l) { return Exactly(l.sums[Sum::kBig] + l.sums[Sum::kReg]); }},
    {Sum::kHeavenReleases, "heaven_releases", false,
     [](const RunRecord& r) { return Int128{r.figures.HeavenModeCount}; },
     [](L l) {
       return SumRange{0, l.sums[Sum::kReleases]};
     }},
    {Sum::kPureMisses, "pure_misses", false,
     [](const RunRecord& r) { return Int128{r.pure_misses()}; }, PerGameBet},
    {Sum::kCherryReleases, "cherry_releases", false,
     [](const RunRecord& r) { return Int128{r.figures.CherryReleases}; },
     [](L l) {
       return SumRange{0, l.sums[Sum::kReleases]};
     }},
}};
static_assert(EveryRowInOrder(kSums), "a sum's row out of place or missing");

void BatchSums::Add(const RunRecord& run) {
  for (const SumSpec& spec : kSums) {
    if (spec.of_run) (*this)[spec.id] += spec.of_run(run);
  }
}

BatchSums& BatchSums::operator+=(const BatchSums& other) {
  for (size_t i = 0; i < kSumCount; ++i) values[i] += other.values[i];
  return *this;
}

}  // namespace tobiuo
