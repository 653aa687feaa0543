// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the readers of history files and history-cases files, and judges what they accept: the
// first byte chooses the reader. Every history accepted gives six finite probabilities summing
// to 1.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "formats/history_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::vector<tobiuo::HistoryCase> cases;
  if (data[0] & 1) {
    tobiuo::HistoryCase& c = cases.emplace_back();
    c.history.games = 1 + data[0] * 31;
    std::vector<size_t> lines;
    if (!tobiuo::ReadHistoryText(text, "h.csv", &c.history.releases, &lines).ok()) {
      return 0;
    }
    c.start.stocks = {static_cast<int16_t>(data[0] >> 1)};
  } else if (!tobiuo::ReadHistoryCasesText(text, "c.jsonl", &cases).ok()) {
    return 0;
  }
  const double sixth = 1.0 / 6;
  for (const tobiuo::HistoryCase& c : cases) {
    tobiuo::Posterior posterior;
    if (!tobiuo::CheckHistory(c.history).ok() ||
        !tobiuo::EstimateFromHistory(c.history, c.start, {sixth, sixth, sixth, sixth, sixth, sixth},
                                     &posterior)
             .ok()) {
      continue;
    }
    double sum = 0;
    for (const double p : posterior.probability) {
      if (!std::isfinite(p) || p < 0 || p > 1) __builtin_trap();
      sum += p;
    }
    if (std::abs(sum - 1) > 1e-9) __builtin_trap();
  }
  return 0;
}
