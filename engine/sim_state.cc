#include "engine/sim_state.h"

#include "engine/checked.h"
#include "engine/random_source.h"

namespace tobiuo {

std::string StockEntry::Text() const {
  if (kind == 0) return {};
  std::string text(1, kind);
  if (number != 0) {
    text += ':';
    text += std::to_string(number);
  }
  return text;
}

void FillStock(SimState& state, int16_t count, RandomSource& random) {
  state.StockCount = count;
  if (count <= 0) {
    for (int i = 1; i <= 500; ++i) state.StockQueue[static_cast<size_t>(i)] = {};
    state.ReleaseGame = kNoReleasePending;
    return;
  }
  for (int i = 1; i <= count; ++i) {
    const bool big = DrawInt(random, 2) == 1;
    state.StockQueue[static_cast<size_t>(i)] = {big ? 'B' : 'R', 0};
    CheckedAdd(big ? state.StockBig : state.StockReg, 1, "ストック数");
  }
  for (int i = count + 1; i <= 500; ++i) state.StockQueue[static_cast<size_t>(i)] = {};
}

void AppendStock(SimState& state, char kind, int16_t number) {
  if (state.StockCount >= kStockCapacity) {
    throw RunAbort("ストックが上限の900個を超えました");
  }
  ++state.StockCount;
  state.StockQueue[static_cast<size_t>(state.StockCount)] = {kind, number};
  CheckedAdd(kind == 'B' ? state.StockBig : state.StockReg, 1, "ストック数");
}

void ShiftStockDown(SimState& state) {
  for (int i = 1; i <= state.StockCount + 1; ++i) {
    const auto at = static_cast<size_t>(i);
    // The position above the last index holds nothing: it reads as the empty text.
    state.StockScratch[at] = i + 1 <= kStockCapacity ? state.StockQueue[at + 1] : StockEntry{};
    state.StockQueue[at] = state.StockScratch[at];
  }
}

}  // namespace tobiuo
