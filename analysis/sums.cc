// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/sums.h"

#include "engine/summary.h"

namespace tobiuo {
namespace {

Int128 CoinsIn(const RunRecord& run) { return Int128{kBet} * run.figures.GamesBet; }

}  // namespace

// In the order of Sum, which is the order of a partial file's keys.
const std::array<SumSpec, kSumCount> kSums = {{
    {Sum::kRuns, "runs", false, [](const RunRecord&) { return Int128{1}; }},
    {Sum::kOverflowRuns, "overflow_runs", false, nullptr},
    {Sum::kWins, "wins", false,
     [](const RunRecord& r) { return Int128{r.figures.CoinDiff > 0 ? 1 : 0}; }},
    {Sum::kGamesBet, "games_bet", false,
     [](const RunRecord& r) { return Int128{r.figures.GamesBet}; }},
    {Sum::kDiff, "diff", false, [](const RunRecord& r) { return Int128{r.figures.CoinDiff}; }},
    {Sum::kDiffSquares, "diff_squares", true,
     [](const RunRecord& r) { return Int128{r.figures.CoinDiff} * r.figures.CoinDiff; }},
    {Sum::kDiffIn, "diff_in", true,
     [](const RunRecord& r) { return r.figures.CoinDiff * CoinsIn(r); }},
    {Sum::kInSquares, "in_squares", true,
     [](const RunRecord& r) { return CoinsIn(r) * CoinsIn(r); }},
    {Sum::kBalance, "balance", false,
     [](const RunRecord& r) { return Int128{Balance(r.figures)}; }},
    {Sum::kBig, "big", false, [](const RunRecord& r) { return Int128{r.figures.BigReleases}; }},
    {Sum::kReg, "reg", false, [](const RunRecord& r) { return Int128{r.figures.RegReleases}; }},
    {Sum::kReleases, "releases", false,
     [](const RunRecord& r) { return Int128{r.figures.Releases}; }},
    {Sum::kHeavenReleases, "heaven_releases", false,
     [](const RunRecord& r) { return Int128{r.figures.HeavenModeCount}; }},
    {Sum::kPureMisses, "pure_misses", false,
     [](const RunRecord& r) { return Int128{r.pure_misses()}; }},
    {Sum::kCherryReleases, "cherry_releases", false,
     [](const RunRecord& r) { return Int128{r.figures.CherryReleases}; }},
}};

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
