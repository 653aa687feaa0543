#include <gtest/gtest.h>

#include "engine/lotteries.h"
#include "engine/setting_tables.h"
#include "tests/fakes.h"

namespace tobiuo {
namespace {

using testing::ScriptedRandom;

SimState Loaded(const char* setting, int16_t stock, int16_t heaven_mode) {
  SimState s;
  LoadSettingTables(s, setting);
  s.StockCount = stock;
  s.HeavenMode = heaven_mode;
  return s;
}

TEST(DrawReleaseGameTest, EndsOfTheDrawRangeGiveFirstAndLastCategoryInEveryTable) {
  for (const char* setting : {"1", "3", "6"}) {
    for (auto [stock, mode] : {std::pair{0, 0}, {3, 0}, {3, -1}}) {
      SimState s = Loaded(setting, static_cast<int16_t>(stock), static_cast<int16_t>(mode));
      ScriptedRandom low;
      low.Push(1, 2048).Push(1, 30);
      DrawReleaseGame(s, low);
      EXPECT_EQ(s.ReleaseCategory, 0);
      EXPECT_EQ(s.ReleaseGame, 1);

      ScriptedRandom high;
      high.Push(2048, 2048).Push(30, 30);
      DrawReleaseGame(s, high);
      EXPECT_EQ(s.ReleaseCategory, 15);
      EXPECT_EQ(s.ReleaseRangeBase, 1201);
      EXPECT_EQ(s.ReleaseGame, 1230);
    }
  }
}

TEST(DrawReleaseGameTest, CategoriesTenAndElevenHaveTheirOwnRanges) {
  SimState s = Loaded("6", 5, 0);
  ScriptedRandom ten;
  ten.Push(1560, 2048).Push(1, 30);
  DrawReleaseGame(s, ten);
  EXPECT_EQ(s.ReleaseCategory, 10);
  EXPECT_EQ(s.ReleaseGame, 777);

  ScriptedRandom eleven;
  eleven.Push(1727, 2048).Push(30, 30);
  DrawReleaseGame(s, eleven);
  EXPECT_EQ(s.ReleaseCategory, 11);
  EXPECT_EQ(s.ReleaseGame, 837);
}

TEST(DrawReleaseGameTest, EmptyStockTableWinsOverHeavenMode) {
  // d = 2034 for setting 6: empty-stock category 1, heaven category 13, normal category 15.
  SimState s = Loaded("6", 0, -1);
  ScriptedRandom random;
  random.Push(2034, 2048).Push(1, 30);
  DrawReleaseGame(s, random);
  EXPECT_EQ(s.ReleaseCategory, 1);

  s.StockCount = 1;
  random.Push(2034, 2048).Push(1, 30);
  DrawReleaseGame(s, random);
  EXPECT_EQ(s.ReleaseCategory, 13);

  s.HeavenMode = 0;
  random.Push(2034, 2048).Push(1, 30);
  DrawReleaseGame(s, random);
  EXPECT_EQ(s.ReleaseCategory, 15);
}

TEST(DrawChanceZoneTest, EachRowOfTheTableAtItsBounds) {
  SimState s;
  const std::pair<int, int> cases[] = {{1, 32},    {100, 32},  {101, 63},  {176, 63},
                                       {177, 94},  {246, 94},  {247, 201}, {249, 201},
                                       {250, 532}, {251, 1232}};
  for (auto [draw, game] : cases) {
    ScriptedRandom random;
    random.Push(draw, 251);
    DrawChanceZone(s, random);
    EXPECT_EQ(s.ChanceZoneDraw, draw);
    EXPECT_EQ(s.ChanceZoneGame, game) << draw;
  }
}

// Entry draws of 1..65536 for the BIG-game table.
constexpr int kEntry0 = 1, kEntry1 = 44032, kEntry2 = 65466, kEntry3 = 65536;

TEST(DrawBigPayoutTest, AllEntryThreeGamesPay105) {
  SimState s = Loaded("6", 1, 0);
  ScriptedRandom random;
  random.Repeat(30, kEntry3, 65536);
  EXPECT_EQ(DrawBigPayout(s, random), 105);
  EXPECT_EQ(random.draws(), 30);
}

TEST(DrawBigPayoutTest, SecondEntryOneGameEndsTheBigOnlyFromGame22) {
  SimState s = Loaded("6", 1, 0);
  ScriptedRandom at22;
  at22.Push(kEntry1, 65536).Repeat(20, kEntry0, 65536).Push(kEntry1, 65536);
  // 15 + 114 + 20 * 12 + 114 - 22 * 3
  EXPECT_EQ(DrawBigPayout(s, at22), 417);
  EXPECT_EQ(at22.draws(), 22);

  ScriptedRandom at21;
  at21.Push(kEntry1, 65536).Repeat(19, kEntry0, 65536).Push(kEntry1, 65536).Repeat(9, kEntry2, 65536);
  // 15 + 114 + 19 * 12 + 0 + 9 * 14 - 30 * 3
  EXPECT_EQ(DrawBigPayout(s, at21), 393);
  EXPECT_EQ(at21.draws(), 30);
}

TEST(DrawBigPayoutTest, WithoutEntryOneAllThirtyGamesArePlayed) {
  SimState s = Loaded("6", 1, 0);
  ScriptedRandom random;
  random.Repeat(30, kEntry0, 65536);
  EXPECT_EQ(DrawBigPayout(s, random), 15 + 30 * 9);
  EXPECT_EQ(random.draws(), 30);
}

TEST(RandomSourceTest, Mt19937SourceUsesTheTop24BitsOfEachOutput) {
  Mt19937Source source(5489);
  std::mt19937 reference(5489);
  for (int i = 0; i < 1000; ++i) {
    const auto next = static_cast<uint32_t>(reference());
    ASSERT_EQ(source.NextReal(), static_cast<float>(next >> 8) / 16777216.0f);
  }
  Mt19937Source first(5489);
  EXPECT_EQ(DrawInt(first, 65535), static_cast<int32_t>((3499211612u >> 8) * 65535.0 / 16777216.0) + 1);
}

TEST(RandomSourceTest, DrawIntStaysWithinOneToN) {
  ScriptedRandom random(0.99999994f);  // the largest float below 1
  for (int32_t n : {2, 30, 61, 251, 2048, 65535, 65536}) {
    EXPECT_EQ(DrawInt(random, n), n);
  }
  ScriptedRandom zero(0.0f);
  EXPECT_EQ(DrawInt(zero, 65536), 1);
}

}  // namespace
}  // namespace tobiuo
