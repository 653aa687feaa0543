#include <gtest/gtest.h>

#include "engine/checked.h"
#include "engine/sim_state.h"
#include "tests/fakes.h"

namespace tobiuo {
namespace {

std::string Texts(const SimState& s, size_t first, size_t last) {
  std::string texts;
  for (size_t i = first; i <= last; ++i) texts += s.StockQueue[i].Text() + "|";
  return texts;
}

TEST(StockTest, FillDrawsEachEntryClearsUpTo500AndAppendsAfterIt) {
  SimState s;
  s.StockQueue[400] = {'B', 9};
  s.StockQueue[600] = {'R', 9};
  testing::ScriptedRandom random;
  random.Push(1, 2).Push(2, 2).Push(1, 2);
  FillStock(s, 3, random);
  AppendStock(s, 'B', 1);
  EXPECT_EQ(Texts(s, 1, 5), "B|R|B|B:1||");
  EXPECT_EQ(s.StockQueue[400].Text() + s.StockQueue[600].Text(), "R:9");  // 501..900 are not touched
  EXPECT_EQ(s.StockBig * 10 + s.StockReg, 31);
  EXPECT_EQ(s.StockCount, 4);

  testing::ScriptedRandom none;
  FillStock(s, 0, none);
  EXPECT_EQ(none.draws(), 0);
  EXPECT_EQ(Texts(s, 1, 2), "||");
  EXPECT_EQ(s.ReleaseGame, kNoReleasePending);
}

TEST(StockTest, ShiftMovesEntriesTowardTheHead) {
  SimState s;
  s.StockQueue[1] = {'B', 0};
  s.StockQueue[2] = {'R', 5};
  s.StockQueue[3] = {'B', 6};
  s.StockCount = 2;  // the release has already taken the head
  ShiftStockDown(s);
  EXPECT_EQ(Texts(s, 1, 3), "R:5|B:6||");
}

TEST(StockTest, FullStockEndsTheRunInsteadOfWritingPastTheEnd) {
  SimState s;
  s.StockCount = kStockCapacity;
  EXPECT_THROW(AppendStock(s, 'B', 1), RunAbort);
  s.StockCount = kStockCapacity - 1;  // shifting reads one past the last index
  s.StockQueue[kStockCapacity] = {'R', 3};
  ShiftStockDown(s);
  EXPECT_EQ(Texts(s, kStockCapacity - 1, kStockCapacity), "R:3||");
}

}  // namespace
}  // namespace tobiuo
