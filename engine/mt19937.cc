// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/mt19937.h"

namespace tobiuo {
namespace {

constexpr int kShift = 397;
constexpr uint32_t kMatrix = 0x9908B0DFu;
constexpr uint32_t kUpper = 0x80000000u;
constexpr uint32_t kLower = 0x7FFFFFFFu;

inline uint32_t Twist(uint32_t far, uint32_t current, uint32_t following) {
  const uint32_t y = (current & kUpper) | (following & kLower);
  return far ^ (y >> 1) ^ ((0u - (y & 1u)) & kMatrix);
}

}  // namespace

Mt19937::Mt19937(uint32_t seed) {
  state_[0] = seed;
  for (uint32_t i = 1; i < kWords; ++i) {
    const uint32_t previous = state_[i - 1];
    state_[i] = 1812433253u * (previous ^ (previous >> 30)) + i;
  }
}

void Mt19937::Refill() {
  uint32_t* s = state_.data();
  // Three straight loops instead of one with a wrapped index: words 0..226 read ahead of
  // themselves, 227..622 read the words already twisted, and the last reads word 0.
  for (int i = 0; i < kWords - kShift; ++i) s[i] = Twist(s[i + kShift], s[i], s[i + 1]);
  for (int i = kWords - kShift; i < kWords - 1; ++i) {
    s[i] = Twist(s[i + kShift - kWords], s[i], s[i + 1]);
  }
  s[kWords - 1] = Twist(s[kShift - 1], s[kWords - 1], s[0]);
  for (int i = 0; i < kWords; ++i) {
    uint32_t y = s[i];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    out_[static_cast<size_t>(i)] = y;
  }
  next_ = 0;
}

}  // namespace tobiuo
