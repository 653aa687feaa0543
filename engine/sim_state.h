// The shared state of the machine: the stock of won bonuses, the release and mode members, the
// exchange rate and the setting tables. One SimState belongs to each window (or each run of a
// batch); it starts zeroed, and every run resets or reloads what the run depends on.
//
// The stock (StockQueue) holds entries 1..StockCount in release order; entry 0 is never used.
// StockBig + StockReg == StockCount after every stock operation.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tobiuo {

inline constexpr int kStockCapacity = 900;
inline constexpr int16_t kNoReleasePending = 9999;

// One stocked bonus. Its text is "B" or "R" for the initial stock, "B:k" or "R:k" for the k-th
// bonus won in the run, or empty; only the kind is read when a bonus is released.
struct StockEntry {
  char kind = 0;       // 'B', 'R', or 0 for the empty text
  int16_t number = 0;  // k for a bonus won in the run, 0 for an initial entry
  std::string Text() const;
  bool operator==(const StockEntry&) const = default;
};

struct SimState {
  // Stock of won but unpaid bonuses.
  std::array<StockEntry, kStockCapacity + 1> StockQueue{};
  std::array<StockEntry, kStockCapacity + 1> StockScratch{};
  int16_t StockCount = 0;
  int16_t StockBig = 0;
  int16_t StockReg = 0;

  // Release and mode.
  int16_t ReleaseGame = 0;
  int16_t ReleaseRangeBase = 0;
  int16_t ReleaseCategory = 0;
  int16_t HeavenMode = 0;  // -1 heaven, 0 normal: the mode of the next release
  int16_t HeavenModeCount = 0;
  int16_t NormalModeCount = 0;
  int16_t ChanceZoneGame = 0;
  int16_t ChanceZoneDraw = 0;

  // Inputs and the tables loaded for the setting.
  int16_t ExchangeRate = 0;
  int16_t SavedInitialStock = 0;
  std::array<int16_t, 16> NormalReleaseLow{}, NormalReleaseHigh{};
  std::array<int16_t, 16> EmptyStockReleaseLow{}, EmptyStockReleaseHigh{};
  std::array<int16_t, 16> HeavenReleaseLow{}, HeavenReleaseHigh{};
  std::array<int32_t, 9> RoleLow{}, RoleHigh{};  // entries 1..8; entry 0 unused
  std::array<int32_t, 4> BigGameLow{}, BigGameHigh{};
};

class RandomSource;

// Fills the initial stock of `count` entries, each "B" or "R" by one draw of 1..2; clears the
// entries after it up to 500, and all of 1..500 (with no release pending) when count <= 0.
void FillStock(SimState& state, int16_t count, RandomSource& random);

// Appends a bonus won in the run as entry StockCount + 1; throws RunAbort when the stock is full.
void AppendStock(SimState& state, char kind, int16_t number);

// Moves entries 2..StockCount+1 down by one position through StockScratch, after a release has
// lowered StockCount; the vacated last position receives the empty text from above it.
void ShiftStockDown(SimState& state);

}  // namespace tobiuo
