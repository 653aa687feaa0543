#include <gtest/gtest.h>

#include "engine/checked.h"
#include "engine/sim_state.h"
#include "tests/fakes.h"

namespace tobiuo {
namespace {

using testing::ScriptedRandom;

TEST(StockTest, FillDrawsEachEntryAndClearsTheRestUpTo500) {
  SimState s;
  s.StockQueue[400] = {'B', 9};
  s.StockQueue[600] = {'R', 9};
  ScriptedRandom random;
  random.Push(1, 2).Push(2, 2).Push(1, 2);
  FillStock(s, 3, random);
  EXPECT_EQ(s.StockCount, 3);
  EXPECT_EQ(s.StockBig, 2);
  EXPECT_EQ(s.StockReg, 1);
  EXPECT_EQ(s.StockQueue[1].Text(), "B");
  EXPECT_EQ(s.StockQueue[2].Text(), "R");
  EXPECT_EQ(s.StockQueue[400].Text(), "");
  EXPECT_EQ(s.StockQueue[600].Text(), "R:9");  // beyond 500 nothing is touched

  AppendStock(s, 'B', 1);
  EXPECT_EQ(s.StockQueue[4].Text(), "B:1");
  EXPECT_EQ(s.StockBig, 3);
}

TEST(StockTest, EmptyFillMarksNoReleasePending) {
  SimState s;
  s.StockQueue[1] = {'B', 0};
  ScriptedRandom random;
  FillStock(s, 0, random);
  EXPECT_EQ(random.draws(), 0);
  EXPECT_EQ(s.StockQueue[1].Text(), "");
  EXPECT_EQ(s.ReleaseGame, kNoReleasePending);
}

TEST(StockTest, ShiftMovesEntriesTowardTheHead) {
  SimState s;
  s.StockQueue[1] = {'B', 0};
  s.StockQueue[2] = {'R', 5};
  s.StockQueue[3] = {'B', 6};
  s.StockCount = 2;  // the release has already taken the head
  ShiftStockDown(s);
  EXPECT_EQ(s.StockQueue[1].Text(), "R:5");
  EXPECT_EQ(s.StockQueue[2].Text(), "B:6");
  EXPECT_EQ(s.StockQueue[3].Text(), "");
}

TEST(StockTest, FullStockEndsTheRunInsteadOfWritingPastTheEnd) {
  SimState s;
  s.StockCount = kStockCapacity;
  EXPECT_THROW(AppendStock(s, 'B', 1), RunAbort);
  EXPECT_EQ(s.StockCount, kStockCapacity);

  s.StockCount = kStockCapacity - 1;  // shifting reads one past the last index
  s.StockQueue[kStockCapacity] = {'R', 3};
  ShiftStockDown(s);
  EXPECT_EQ(s.StockQueue[kStockCapacity - 1].Text(), "R:3");
  EXPECT_EQ(s.StockQueue[kStockCapacity].Text(), "");
}

TEST(CheckedTest, SixteenBitResultsOutsideTheirTypeThrow) {
  int16_t v = 32760;
  CheckedAdd(v, 7, "x");
  EXPECT_EQ(v, 32767);
  EXPECT_THROW(CheckedAdd(v, 1, "x"), RunAbort);
  EXPECT_EQ(v, 32767);
  v = -32768;
  EXPECT_THROW(CheckedAdd(v, -1, "x"), RunAbort);
}

}  // namespace
}  // namespace tobiuo
