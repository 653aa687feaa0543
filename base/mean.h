// SPDX-License-Identifier: GPL-3.0-or-later
// The mean of values added one at a time, with their variance and the mean's standard error: for
// the simulated figures and for the checks that hold them against the engine.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tobiuo {

struct Mean {
  double sum = 0, squares = 0;
  int64_t n = 0;
  void Add(double x) {
    sum += x;
    squares += x * x;
    ++n;
  }
  double Value() const { return sum / static_cast<double>(n); }
  double Variance() const {
    return std::max(0.0, squares / static_cast<double>(n) - Value() * Value());
  }
  // 0 with fewer than two values
  double Error() const { return n > 1 ? std::sqrt(Variance() / static_cast<double>(n - 1)) : 0.0; }
};

}  // namespace tobiuo
