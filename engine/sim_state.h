// SPDX-License-Identifier: GPL-3.0-or-later
// The machine's state during one run: the stock of won bonuses, the release and mode members and
// the setting's lottery tables. A run starts from a fresh SimState and fills it in its preparation.
//
// The members keep the names the machine's rules give them (StockQueue, ReleaseGame, ...), so that
// the engine reads like the rules; everything around them follows the project's style.
//
// The stock (StockQueue) holds entries 1..Stock.Count in release order; entry 0 is never used.
// Stock.Big + Stock.Reg == Stock.Count after every stock operation.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tobiuo {

inline constexpr int kStockCapacity = 900;
inline constexpr int16_t kNoReleasePending = 9999;

// The mode of the next release; heaven mode has its own release-category table.
enum class Mode { kNormal, kHeaven };

// One stocked bonus. Its text is "B" or "R" for the initial stock, "B:k" or "R:k" for the k-th
// bonus won in the run, or empty; only the kind is read when a bonus is released.
struct StockEntry {
  char kind = 0;       // 'B', 'R', or 0 for the empty text
  int16_t number = 0;  // k for a bonus won in the run, 0 for an initial entry
  std::string Text() const;
  bool operator==(const StockEntry&) const = default;
};

// How many bonuses the stock holds, in all and by kind.
struct StockTally {
  int16_t Count = 0;
  int16_t Big = 0;
  int16_t Reg = 0;
};

struct SimState {
  std::array<StockEntry, kStockCapacity + 1> StockQueue{};
  StockTally Stock;

  int16_t ReleaseGame = 0;
  int16_t ReleaseRangeBase = 0;
  int16_t ReleaseCategory = 0;
  Mode NextMode = Mode::kNormal;
  int16_t ChanceZoneGame = 0;
  int16_t ChanceZoneDraw = 0;

  // The tables loaded for the setting.
  std::array<int16_t, 16> NormalReleaseLow{}, NormalReleaseHigh{};
  std::array<int16_t, 16> EmptyStockReleaseLow{}, EmptyStockReleaseHigh{};
  std::array<int16_t, 16> HeavenReleaseLow{}, HeavenReleaseHigh{};
  std::array<int32_t, 9> RoleLow{}, RoleHigh{};  // entries 1..8; entry 0 unused
  std::array<int32_t, 4> BigGameLow{}, BigGameHigh{};
};

class RandomSource;

// Fills the initial stock of `count` entries, each "B" or "R" by one draw of 1..2; with no
// entries, no release is pending.
void FillStock(SimState& state, int16_t count, RandomSource& random);

// Appends a bonus won in the run as entry Stock.Count + 1; throws RunAbort when the stock is full.
void AppendStock(SimState& state, char kind, int16_t number);

// Moves entries 2..Stock.Count+1 down by one position after a release has lowered Stock.Count;
// the vacated last position receives the empty text from above it.
void ShiftStockDown(SimState& state);

}  // namespace tobiuo
