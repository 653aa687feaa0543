// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/parallel_for.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace tobiuo {

unsigned AllCores() { return std::max(1u, std::thread::hardware_concurrency()); }

unsigned Workers(uint64_t items, unsigned threads) {
  return static_cast<unsigned>(std::clamp<uint64_t>(threads, 1, std::max<uint64_t>(items, 1)));
}

Status ParallelFor(uint64_t items, unsigned threads, Progress& progress,
                   const std::function<void(uint64_t item, unsigned worker)>& body) {
  std::atomic<uint64_t> next{0};
  const auto work = [&](unsigned worker) {
    for (uint64_t item; !progress.stopped() && (item = next.fetch_add(1)) < items;) {
      body(item, worker);
    }
  };
  std::vector<std::thread> workers;
  for (unsigned t = 1; t < Workers(items, threads); ++t) {
    try {
      workers.emplace_back(work, t);
    } catch (const std::system_error&) {
      break;  // no more threads to be had: the workers running take the rest
    }
  }
  work(0);
  for (std::thread& worker : workers) worker.join();
  return progress.stopped() ? Status::Stopped() : Status::Ok();
}

}  // namespace tobiuo
