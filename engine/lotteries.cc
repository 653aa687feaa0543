#include "engine/lotteries.h"

#include "engine/checked.h"
#include "engine/random_source.h"

namespace tobiuo {
namespace {

// Index of the first entry of a range table that holds `number`, or -1.
template <typename Low, typename High>
int FirstEntryHolding(const Low& low, const High& high, int32_t number) {
  for (size_t i = 0; i < low.size(); ++i) {
    if (low[i] <= number && number <= high[i]) return static_cast<int>(i);
  }
  return -1;
}

struct ChanceZoneRow {
  int16_t last_draw;
  int16_t game;
};
constexpr std::array<ChanceZoneRow, 6> kChanceZone = {
    {{100, 32}, {176, 63}, {246, 94}, {249, 201}, {250, 532}, {251, 1232}}};

constexpr int kBigGames = 30;
constexpr int kBigEndsFromGame = 22;

}  // namespace

void DrawReleaseGame(SimState& state, RandomSource& random) {
  const int32_t d = DrawInt(random, 2048);
  int category;
  if (state.Stock.Count == 0) {
    category = FirstEntryHolding(state.EmptyStockReleaseLow, state.EmptyStockReleaseHigh, d);
  } else if (state.NextMode == Mode::kHeaven) {
    category = FirstEntryHolding(state.HeavenReleaseLow, state.HeavenReleaseHigh, d);
  } else {
    category = FirstEntryHolding(state.NormalReleaseLow, state.NormalReleaseHigh, d);
  }
  if (category >= 0) state.ReleaseCategory = static_cast<int16_t>(category);
  state.ReleaseRangeBase = kReleaseBaseGame[static_cast<size_t>(state.ReleaseCategory)];
  const int32_t k = DrawInt(random, 30);
  CheckedSet(state.ReleaseGame, state.ReleaseRangeBase + k - 1, "解除ゲーム");
}

void DrawChanceZone(SimState& state, RandomSource& random) {
  state.ChanceZoneDraw = static_cast<int16_t>(DrawInt(random, 251));
  for (const ChanceZoneRow& row : kChanceZone) {
    if (state.ChanceZoneDraw <= row.last_draw) {
      state.ChanceZoneGame = row.game;
      return;
    }
  }
}

int16_t DrawBigPayout(const SimState& state, RandomSource& random) {
  int16_t total = 15;
  bool first_bonus_game_played = false;
  for (int game = 1; game <= kBigGames; ++game) {
    const int32_t b = DrawInt(random, 65536);
    CheckedAdd(total, -3, "BIG獲得枚数");
    switch (FirstEntryHolding(state.BigGameLow, state.BigGameHigh, b)) {
      case 0:
        CheckedAdd(total, 12, "BIG獲得枚数");
        break;
      case 1:
        if (!first_bonus_game_played) {
          CheckedAdd(total, 114, "BIG獲得枚数");
          first_bonus_game_played = true;
        } else if (game >= kBigEndsFromGame) {
          CheckedAdd(total, 114, "BIG獲得枚数");
          return total;
        }
        break;
      case 2:
        CheckedAdd(total, 14, "BIG獲得枚数");
        break;
      case 3:
        CheckedAdd(total, 6, "BIG獲得枚数");
        break;
      default:
        break;
    }
  }
  return total;
}

}  // namespace tobiuo
