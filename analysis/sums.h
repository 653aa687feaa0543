// SPDX-License-Identifier: GPL-3.0-or-later
// The exact sums a batch keeps per setting, declared once: each sum's name (its key in a partial
// file), whether it may pass 2^63 once batches merge (then a partial writes it as a decimal
// string), and what one finished run adds to it. Every sum merges by addition, so the sums over
// disjoint runs add up to the sums over their union, in any order and for any number of threads.
//
// Each sum also declares the range its runs allow, so that a partial file whose sums no batch can
// give is refused: from the runs and games they are over, the exchange rate, the other sums and
// the final coin differences (whose histogram gives three sums exactly).
//
// Adding a sum is a row in kSums (and its name in Sum), with its range; BatchSums, its merging,
// the partial files and their checks follow from the table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/run.h"

namespace tobiuo {

__extension__ using Int128 = __int128;  // exact sums of products

enum class Sum : size_t {
  kRuns,  // finished runs
  kOverflowRuns,
  kWins,
  kGamesBet,
  kDiff,
  kDiffSquares,
  kDiffIn,  // coin difference times coins in
  kInSquares,
  kBalance,
  kBalanceWins,  // runs whose balance in yen ends above 0
  kBig,
  kReg,
  kReleases,
  kHeavenReleases,
  kPureMisses,
  kCherryReleases,
  kCount
};
inline constexpr size_t kSumCount = static_cast<size_t>(Sum::kCount);

struct BatchSums;

// What the sums of a partial are checked against.
struct SumLimits {
  Int128 runs = 0;  // played, overflowed ones included
  int32_t games = 0;
  int16_t rate = 1;
  const BatchSums& sums;
  // Of the final coin differences (one per finished run): their sum, the sum of their squares and
  // how many are above 0.
  Int128 final_sum = 0, final_squares = 0, final_above_zero = 0;
};

// The least and the greatest value a sum can take.
struct SumRange {
  Int128 low = 0, high = 0;
};

struct SumSpec {
  Sum id;
  const char* key;  // in a partial file
  bool wide;        // may pass 2^63 once batches merge: a decimal string in a partial file
  Int128 (*of_run)(const RunRecord& run);      // what a finished run adds; nullptr: counted apart
  SumRange (*range)(const SumLimits& limits);  // what the runs allow
};

extern const std::array<SumSpec, kSumCount> kSums;

// Whether row i of a declared table is the row of enumerator i, for every i: a table shorter than
// its enumeration has value-initialised rows at its end, which this refuses too. The tables
// static_assert it where they are defined.
template <typename Table>
constexpr bool EveryRowInOrder(const Table& table) {
  for (size_t i = 0; i < table.size(); ++i) {
    if (static_cast<size_t>(table[i].id) != i) return false;
  }
  return true;
}

// Exact sums over runs of one setting; adding two gives the sums over both.
struct BatchSums {
  std::array<Int128, kSumCount> values{};

  Int128 operator[](Sum sum) const { return values[static_cast<size_t>(sum)]; }
  Int128& operator[](Sum sum) { return values[static_cast<size_t>(sum)]; }
  // Adds a finished run.
  void Add(const RunRecord& run);
  BatchSums& operator+=(const BatchSums& other);
};

}  // namespace tobiuo
