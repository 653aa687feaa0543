// SPDX-License-Identifier: GPL-3.0-or-later
// The random source that drives a run.
//
// Every lottery of the machine takes a uniform single-precision real r in [0, 1) and forms the
// integer floor(r * N + 1) in 1..N (DrawInt). A run is driven by one Mt19937Source seeded once with
// a 32-bit run seed, so that a run is fully determined by its inputs and its seed on every
// platform.
#pragma once

#include <cstdint>

#include "engine/mt19937.h"

namespace tobiuo {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // A uniform real r with 0 <= r < 1.
  virtual float NextReal() = 0;
  // The integer part of r * n + 1, in 1..n, formed in double precision from the next real r.
  virtual int32_t Draw(int32_t n) {
    return static_cast<int32_t>(static_cast<double>(NextReal()) * n + 1.0);
  }
};

// The share of the generator's 2^24 reals whose draw of 1..n lands in low..high: the exact
// probability of that outcome (for the role draw's pure miss in setting 1, 22529 / 2^24 rather
// than 88 / 65535).
inline double DrawShare(int64_t low, int64_t high, int64_t n) {
  constexpr int64_t kReals = int64_t{1} << 24;
  // The first real m with floor(m n / 2^24) + 1 >= k.
  const auto first_drawing = [n](int64_t k) { return ((k - 1) * kReals + n - 1) / n; };
  return static_cast<double>(first_drawing(high + 1) - first_drawing(low)) /
         static_cast<double>(kReals);
}

template <typename Random>
inline int32_t DrawInt(Random& random, int32_t n) {
  return random.Draw(n);
}

// One MT19937 (std::mt19937's sequence) seeded once; each real is the top 24 bits of the next
// output times 2^-24.
class Mt19937Source final : public RandomSource {
 public:
  explicit Mt19937Source(uint32_t seed) : generator_(seed) {}
  float NextReal() override { return static_cast<float>(generator_() >> 8) * 0x1.0p-24f; }
  // The same integer as the default, in integer arithmetic: with r = m * 2^-24 for a 24-bit m,
  // r * n + 1 is exact in double precision, so its integer part is (m * n >> 24) + 1.
  int32_t Draw(int32_t n) override {
    const uint64_t m = generator_() >> 8;
    return static_cast<int32_t>((m * static_cast<uint64_t>(n)) >> 24) + 1;
  }

 private:
  Mt19937 generator_;
};

// A fresh run seed from std::random_device mixed with the clock.
uint32_t ChooseRunSeed();

}  // namespace tobiuo
