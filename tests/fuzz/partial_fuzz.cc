// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the partial reader and what follows it. The first byte chooses: the rest as a whole file
// (the checksum and framing), or as a partial's body sealed with a valid checksum, so that edits
// reach the parser and every check behind it. A partial that is read is merged with itself, its
// figures worked out and formatted as players read them: a sum that passes the reader must give a
// finite figure whose text is written without overflow.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

#include "analysis/figures.h"
#include "formats/partial.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1) bytes = tobiuo::SealPartial(bytes);
  tobiuo::Partial partial, again;
  if (!tobiuo::ReadPartial(bytes, &partial).ok()) return 0;
  if (!tobiuo::ReadPartial(bytes, &again).ok()) __builtin_trap();
  const auto check = [&](const tobiuo::SettingTally& tally) {
    const tobiuo::SettingStats stats = tobiuo::Finish(tally, partial.options.plan.games);
    for (const tobiuo::FigureSpec& spec : tobiuo::kFigures) {
      const double* real = std::get_if<double>(&stats[spec.id]);
      if (real && !std::isfinite(*real)) __builtin_trap();
      if (tobiuo::FigureText(stats, spec).empty()) __builtin_trap();
    }
  };
  for (size_t s = 0; s < partial.tallies.size(); ++s) {
    check(partial.tallies[s]);
    if (partial.tallies[s].Merge(again.tallies[s])) check(partial.tallies[s]);  // twice the runs
  }
  (void)tobiuo::PartialJson(partial.options, partial.tallies);
  return 0;
}
