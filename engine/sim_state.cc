// SPDX-License-Identifier: GPL-3.0-or-later

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
  state.Stock = {};
  state.Stock.Count = count;
  if (count <= 0) {
    state.ReleaseGame = kNoReleasePending;
    return;
  }
  for (int i = 1; i <= count; ++i) {
    const bool big = DrawInt(random, 2) == 1;
    state.StockQueue[static_cast<size_t>(i)] = {big ? 'B' : 'R', 0};
    CheckedAdd(big ? state.Stock.Big : state.Stock.Reg, 1, "ストック数");
  }
}

void AppendStock(SimState& state, char kind, int16_t number) {
  if (state.Stock.Count >= kStockCapacity) {
    throw RunAbort("ストックが上限の900個を超えました");
  }
  ++state.Stock.Count;
  state.StockQueue[static_cast<size_t>(state.Stock.Count)] = {kind, number};
  CheckedAdd(kind == 'B' ? state.Stock.Big : state.Stock.Reg, 1, "ストック数");
}

void ShiftStockDown(SimState& state) {
  const auto last = static_cast<size_t>(state.Stock.Count) + 1;
  for (size_t i = 1; i <= last; ++i) {
    // The position above the last index holds nothing: it reads as the empty text.
    state.StockQueue[i] = i + 1 <= kStockCapacity ? state.StockQueue[i + 1] : StockEntry{};
  }
}

}  // namespace tobiuo
