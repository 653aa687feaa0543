#include "engine/lotteries.h"

#include <gtest/gtest.h>

#include "engine/setting_tables.h"
#include "tests/fakes.h"

namespace tobiuo {
namespace {

using testing::ScriptedRandom;

// DrawReleaseGame with the draws d (1..2048) and k (1..30); returns {category, release game}.
std::pair<int, int> ReleaseDraw(const char* setting, int16_t stock, int16_t heaven_mode, int d, int k) {
  SimState s;
  LoadSettingTables(s, setting);
  s.StockCount = stock;
  s.HeavenMode = heaven_mode;
  ScriptedRandom random;
  random.Push(d, 2048).Push(k, 30);
  DrawReleaseGame(s, random);
  EXPECT_EQ(s.ReleaseRangeBase, kReleaseBaseGame[static_cast<size_t>(s.ReleaseCategory)]);
  return {s.ReleaseCategory, s.ReleaseGame};
}

TEST(DrawReleaseGameTest, CategoriesAndRanges) {
  for (const char* setting : {"1", "3", "6"}) {
    for (auto [stock, mode] : {std::pair<int16_t, int16_t>{0, 0}, {3, 0}, {3, -1}}) {
      EXPECT_EQ(ReleaseDraw(setting, stock, mode, 1, 1), std::pair(0, 1));
      EXPECT_EQ(ReleaseDraw(setting, stock, mode, 2048, 30), std::pair(15, 1230));
    }
  }
  EXPECT_EQ(ReleaseDraw("6", 5, 0, 1560, 1), std::pair(10, 777));
  EXPECT_EQ(ReleaseDraw("6", 5, 0, 1727, 30), std::pair(11, 837));
  // d = 2034 for setting 6: empty-stock category 1 (even in heaven mode), heaven 13, normal 15.
  EXPECT_EQ(ReleaseDraw("6", 0, -1, 2034, 1).first, 1);
  EXPECT_EQ(ReleaseDraw("6", 1, -1, 2034, 1).first, 13);
  EXPECT_EQ(ReleaseDraw("6", 1, 0, 2034, 1).first, 15);
}

TEST(DrawChanceZoneTest, EachRowOfTheTableAtItsBounds) {
  SimState s;
  for (auto [draw, game] : {std::pair{1, 32}, {100, 32}, {101, 63}, {176, 63}, {177, 94}, {246, 94},
                            {247, 201}, {249, 201}, {250, 532}, {251, 1232}}) {
    ScriptedRandom random;
    random.Push(draw, 251);
    DrawChanceZone(s, random);
    EXPECT_EQ(s.ChanceZoneGame, game) << draw;
  }
}

// Plays one BIG on scripted game draws (1..65536); returns {coins, games played}.
std::pair<int, int> Big(const std::vector<int>& draws) {
  SimState s;
  LoadSettingTables(s, "6");
  ScriptedRandom random;
  for (int b : draws) random.Push(b, 65536);
  const int coins = DrawBigPayout(s, random);
  return {coins, random.draws()};
}

std::vector<int> Games(std::initializer_list<std::pair<int, int>> runs) {  // {count, draw}
  std::vector<int> draws;
  for (auto [count, draw] : runs) draws.insert(draws.end(), static_cast<size_t>(count), draw);
  return draws;
}

constexpr int kEntry0 = 1, kEntry1 = 44032, kEntry2 = 65466, kEntry3 = 65536;

TEST(DrawBigPayoutTest, GamesAndCoins) {
  EXPECT_EQ(Big(Games({{30, kEntry3}})), std::pair(105, 30));
  EXPECT_EQ(Big(Games({{30, kEntry0}})), std::pair(15 + 30 * 9, 30));
  // A second entry-1 game ends the BIG from game 22 on (15 + 114 + 20 * 12 + 114 - 22 * 3) ...
  EXPECT_EQ(Big(Games({{1, kEntry1}, {20, kEntry0}, {1, kEntry1}})), std::pair(417, 22));
  // ... and pays nothing in game 21 (15 + 114 + 19 * 12 + 9 * 14 - 30 * 3).
  EXPECT_EQ(Big(Games({{1, kEntry1}, {19, kEntry0}, {1, kEntry1}, {9, kEntry2}})), std::pair(393, 30));
}

TEST(RandomSourceTest, DrawsAreFormedFromTheTop24BitsOfEachOutput) {
  Mt19937Source source(5489), integers(5489);
  std::mt19937 reference(5489);
  const int32_t kNs[] = {2, 30, 61, 251, 2048, 65535, 65536};
  for (size_t i = 0; i < 7000; ++i) {
    const float r = static_cast<float>(static_cast<uint32_t>(reference()) >> 8) / 16777216.0f;
    ASSERT_EQ(source.NextReal(), r);
    // The generator's integer draws equal the real-valued formula for every n the machine uses.
    const int32_t n = kNs[i % 7];
    ASSERT_EQ(integers.Draw(n), static_cast<int32_t>(static_cast<double>(r) * n + 1));
  }
  ScriptedRandom top(0.99999994f);  // the largest float below 1 still gives n
  for (int32_t n : kNs) EXPECT_EQ(DrawInt(top, n), n);
}

}  // namespace
}  // namespace tobiuo
