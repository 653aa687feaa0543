// SPDX-License-Identifier: GPL-3.0-or-later
// Checked integer arithmetic for the machine's counters.
//
// The machine keeps most of its counters in 16-bit signed integers and the rest in 32-bit ones.
// A result that leaves its type must end the run instead of wrapping: CheckedSet and CheckedAdd
// throw RunAbort, which PlayRun catches and records as an aborted run with the message, so the
// exception never leaves the engine.
#pragma once

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

namespace tobiuo {

// Ends a run early: a counter left its integer type, or the bonus stock is full.
class RunAbort : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

[[noreturn]] void ThrowOverflow(const char* what);

// Stores `value` into `target`, or throws RunAbort naming `what` if it does not fit.
template <typename T>
inline void CheckedSet(T& target, int64_t value, const char* what) {
  if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) [[unlikely]] {
    ThrowOverflow(what);
  }
  target = static_cast<T>(value);
}

template <typename T>
inline void CheckedAdd(T& target, int64_t delta, const char* what) {
  CheckedSet(target, static_cast<int64_t>(target) + delta, what);
}

}  // namespace tobiuo
