// Test doubles for the engine's outside effects.
#pragma once

#include <cstdint>
#include <deque>

#include "engine/random_source.h"

namespace tobiuo::testing {

// A real in [0, 1) that DrawInt turns into exactly k for the given n.
inline float RealFor(int32_t k, int32_t n) {
  return static_cast<float>((k - 0.5) / n);
}

// Hands out scripted reals in order, then a fixed fallback; counts the draws made.
class ScriptedRandom final : public RandomSource {
 public:
  // The default fallback draws no role in a game (60000 of 65535).
  explicit ScriptedRandom(float fallback = RealFor(60000, 65535)) : fallback_(fallback) {}

  ScriptedRandom& Push(int32_t k, int32_t n) {
    script_.push_back(RealFor(k, n));
    return *this;
  }
  ScriptedRandom& Repeat(int times, int32_t k, int32_t n) {
    for (int i = 0; i < times; ++i) Push(k, n);
    return *this;
  }

  float NextReal() override {
    ++draws_;
    if (script_.empty()) return fallback_;
    const float r = script_.front();
    script_.pop_front();
    return r;
  }

  int draws() const { return draws_; }
  size_t left() const { return script_.size(); }

 private:
  std::deque<float> script_;
  float fallback_;
  int draws_ = 0;
};

}  // namespace tobiuo::testing
