// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/lotteries.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/checked.h"
#include "engine/mt19937.h"
#include "engine/setting_tables.h"
#include "tests/fakes.h"

namespace tobiuo {
namespace {

using testing::ScriptedRandom;

// DrawReleaseGame with the draws d (1..2048) and k (1..30); returns {category, release game}.
std::pair<int, int> ReleaseDraw(int setting, int16_t stock, Mode mode, int d, int k) {
  SimState s;
  LoadSettingTables(s, setting);
  s.Stock.Count = stock;
  s.NextMode = mode;
  ScriptedRandom random;
  random.Push(d, 2048).Push(k, 30);
  DrawReleaseGame(s, random);
  EXPECT_EQ(s.ReleaseRangeBase, kReleaseBaseGame[static_cast<size_t>(s.ReleaseCategory)]);
  return {s.ReleaseCategory, s.ReleaseGame};
}

TEST(DrawReleaseGameTest, CategoriesAndRanges) {
  for (int setting : {1, 3, 6}) {
    for (auto [stock, mode] :
         {std::pair<int16_t, Mode>{0, Mode::kNormal}, {3, Mode::kNormal}, {3, Mode::kHeaven}}) {
      EXPECT_EQ(ReleaseDraw(setting, stock, mode, 1, 1), std::pair(0, 1));
      EXPECT_EQ(ReleaseDraw(setting, stock, mode, 2048, 30), std::pair(15, 1230));
    }
  }
  EXPECT_EQ(ReleaseDraw(6, 5, Mode::kNormal, 1560, 1), std::pair(10, 777));
  EXPECT_EQ(ReleaseDraw(6, 5, Mode::kNormal, 1727, 30), std::pair(11, 837));
  // d = 2034 for setting 6: empty-stock category 1 (even in heaven mode), heaven 13, normal 15.
  EXPECT_EQ(ReleaseDraw(6, 0, Mode::kHeaven, 2034, 1).first, 1);
  EXPECT_EQ(ReleaseDraw(6, 1, Mode::kHeaven, 2034, 1).first, 13);
  EXPECT_EQ(ReleaseDraw(6, 1, Mode::kNormal, 2034, 1).first, 15);
}

// Plays one BIG on scripted game draws (1..65536); returns {coins, games played}.
std::pair<int, int> Big(const std::vector<int>& draws) {
  SimState s;
  LoadSettingTables(s, 6);
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
  EXPECT_EQ(Big(Games({{1, kEntry1}, {19, kEntry0}, {1, kEntry1}, {9, kEntry2}})),
            std::pair(393, 30));
}

// The engine's generator is std::mt19937, number for number: for many seeds across the 624-word
// blocks, and for ten million draws of one seed.
TEST(RandomSourceTest, TheGeneratorMakesStdMt19937sSequence) {
  std::vector<uint32_t> seeds = {0, 1, 5489, 2147483648u, 4294967295u};
  for (uint32_t k = 0; k < 200; ++k) seeds.push_back(k * 2654435761u);
  for (uint32_t seed : seeds) {
    Mt19937 ours(seed);
    std::mt19937 reference(seed);
    for (int i = 0; i < 3 * Mt19937::kWords + 7; ++i)
      ASSERT_EQ(ours(), reference()) << seed << " " << i;
  }
  Mt19937 ours(20261207);
  std::mt19937 reference(20261207);
  uint32_t mismatches = 0;
  for (int i = 0; i < 10'000'000; ++i) mismatches += ours() != reference();
  EXPECT_EQ(mismatches, 0u);
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

// Every number of 1..top falls in exactly one entry, entries ascending and contiguous from 1.
template <typename Low, typename High>
void ExpectCovers(const Low& low, const High& high, size_t first, int32_t top,
                  const std::string& what) {
  int32_t next = 1;
  for (size_t i = first; i < low.size(); ++i) {
    EXPECT_EQ(low[i], next) << what << " entry " << i;
    EXPECT_GE(high[i], low[i]) << what << " entry " << i;
    next = high[i] + 1;
  }
  EXPECT_EQ(next - 1, top) << what;
}

TEST(SettingTablesTest, EveryTableCoversItsDrawRangeForEverySetting) {
  for (int setting = 1; setting <= 6; ++setting) {
    SimState s;
    LoadSettingTables(s, setting);
    const std::string name = std::to_string(setting);
    ExpectCovers(s.NormalReleaseLow, s.NormalReleaseHigh, 0, 2048, "normal " + name);
    ExpectCovers(s.EmptyStockReleaseLow, s.EmptyStockReleaseHigh, 0, 2048, "empty " + name);
    ExpectCovers(s.HeavenReleaseLow, s.HeavenReleaseHigh, 0, 2048, "heaven " + name);
    ExpectCovers(s.RoleLow, s.RoleHigh, 1, 65535, "role " + name);
    ExpectCovers(s.BigGameLow, s.BigGameHigh, 0, 65536, "big " + name);
  }
}

std::string Texts(const SimState& s, size_t first, size_t last) {
  std::string texts;
  for (size_t i = first; i <= last; ++i) texts += s.StockQueue[i].Text() + "|";
  return texts;
}

TEST(StockTest, FillDrawsEachEntryAndAppendsAfterIt) {
  SimState s;
  ScriptedRandom random;
  random.Push(1, 2).Push(2, 2).Push(1, 2);
  FillStock(s, 3, random);
  AppendStock(s, 'B', 1);
  EXPECT_EQ(Texts(s, 1, 5), "B|R|B|B:1||");
  EXPECT_EQ(s.Stock.Big, 3);
  EXPECT_EQ(s.Stock.Reg, 1);
  EXPECT_EQ(s.Stock.Count, 4);

  ScriptedRandom none;
  FillStock(s, 0, none);
  EXPECT_EQ(none.draws(), 0);
  EXPECT_EQ(s.Stock.Count + s.Stock.Big + s.Stock.Reg, 0);
  EXPECT_EQ(s.ReleaseGame, kNoReleasePending);
}

TEST(StockTest, ShiftMovesEntriesTowardTheHeadAndAFullStockEndsTheRun) {
  SimState s;
  s.StockQueue[1] = {'B', 0};
  s.StockQueue[2] = {'R', 5};
  s.StockQueue[3] = {'B', 6};
  s.Stock.Count = 2;  // the release has already taken the head
  ShiftStockDown(s);
  EXPECT_EQ(Texts(s, 1, 3), "R:5|B:6||");

  s.Stock.Count = kStockCapacity;
  EXPECT_THROW(AppendStock(s, 'B', 1), RunAbort);
  s.Stock.Count = kStockCapacity - 1;  // shifting reads one past the last index
  s.StockQueue[kStockCapacity] = {'R', 3};
  ShiftStockDown(s);
  EXPECT_EQ(Texts(s, kStockCapacity - 1, kStockCapacity), "R:3||");
}

}  // namespace
}  // namespace tobiuo
