// SPDX-License-Identifier: GPL-3.0-or-later
// The generator's speed: 32-bit outputs per second of the engine's MT19937 against
// std::mt19937, which makes the same numbers, in the same process.
#include <benchmark/benchmark.h>

#include <random>

#include "engine/mt19937.h"

namespace tobiuo {
namespace {

template <typename Generator>
void BM_Draws(benchmark::State& bench) {
  Generator generator(5489u);
  uint32_t sum = 0;
  for (auto _ : bench) {
    for (int i = 0; i < 4096; ++i) sum += static_cast<uint32_t>(generator());
  }
  benchmark::DoNotOptimize(sum);
  bench.counters["draws/s"] = benchmark::Counter(4096.0 * static_cast<double>(bench.iterations()),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Draws<std::mt19937>)->Name("BM_Draws/std::mt19937");
BENCHMARK(BM_Draws<Mt19937>)->Name("BM_Draws/engine");

}  // namespace
}  // namespace tobiuo

BENCHMARK_MAIN();
