// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/random_source.h"

#include <chrono>
#include <random>

namespace tobiuo {

uint32_t ChooseRunSeed() {
  std::random_device device;
  uint64_t x =
      (static_cast<uint64_t>(device()) << 32) ^ device() ^
      static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
  // splitmix64 finaliser, so that nearby clock values give unrelated seeds.
  x ^= x >> 30;
  x *= 0xbf58476d1ce4e5b9ULL;
  x ^= x >> 27;
  x *= 0x94d049bb133111ebULL;
  x ^= x >> 31;
  return static_cast<uint32_t>(x);
}

}  // namespace tobiuo
