// SPDX-License-Identifier: GPL-3.0-or-later
// The one parallel loop of the program: the items of a batch, of the estimate's model and of its
// power table are handed out in order, one at a time, to whichever worker is free. Workers are
// plain std::threads (the browser's library has no std::jthread); with one thread the loop runs on
// the calling thread and spawns none. A stop asked through Progress ends every worker before its
// next item, and the loop then says it was stopped.
//
// The body gets its item and its worker's number (0 to Workers() - 1), so that each worker can
// keep state of its own: what a worker sums does not depend on which items it took, as long as
// the sums add up in any order, which keeps results the same for any number of threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "base/status.h"

namespace tobiuo {

// Shared between the workers and whoever watches them.
struct Progress {
  std::atomic<uint64_t> runs_done{0};
  std::atomic<uint64_t> games_done{0};
  std::atomic<bool> stop{false};  // set to end the work early; it then has no result
  // Called on a worker's thread after each Advance; set before the work starts.
  std::function<void()> on_advance;

  void Advance(uint64_t runs, uint64_t games) {
    runs_done.fetch_add(runs, std::memory_order_relaxed);
    games_done.fetch_add(games, std::memory_order_relaxed);
    if (on_advance) on_advance();
  }
  bool stopped() const { return stop.load(std::memory_order_relaxed); }
};

// The threads work is spread over unless a player says otherwise: every core, at least one.
unsigned AllCores();

// How many workers ParallelFor uses for `items` items on up to `threads` threads: at least one.
unsigned Workers(uint64_t items, unsigned threads);

// Calls body(item, worker) for every item in [0, items) unless stopped; Stopped() if it was.
[[nodiscard]] Status ParallelFor(uint64_t items, unsigned threads, Progress& progress,
                                 const std::function<void(uint64_t item, unsigned worker)>& body);

}  // namespace tobiuo
