// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/summary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tobiuo {
namespace {

std::vector<std::string> Lines(const RunFigures& figures) { return FormatResultSummary(figures); }

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(SummaryTest, RateLinesDivideTheChosenGamesAndAreLeftOutForZeroCounts) {
  std::vector<std::string> lines =
      Lines({.CherryReleases = 2, .ExchangeRate = 5, .GamesChosen = 6000});
  EXPECT_EQ(lines.size(), 24u);
  EXPECT_EQ(lines[4] + lines[5], "純ハズレ解除：0回チェ解除：2回");
  EXPECT_EQ(Lines({.ExchangeRate = 5, .GamesChosen = 6000}).size(), 23u);
  EXPECT_TRUE(Has(Lines({.CherryReleases = 3, .ExchangeRate = 5, .GamesChosen = 100}),
                  "チェ解除確率：1/33"));
  EXPECT_TRUE(Has(Lines({.PureMissReleases = 3, .ExchangeRate = 5, .GamesChosen = 8000}),
                  "純ハズレ確率：1/2666"));
}

TEST(SummaryTest, CashOutIsWholeHundredYenStepsRoundedDown) {
  EXPECT_EQ(CashOut(4, 5), 0);
  EXPECT_EQ(CashOut(1234, 5), 24600);
  EXPECT_EQ(CashOut(1234, 8), 15400);
  EXPECT_EQ(CashOut(-1, 5), -100);
  EXPECT_EQ(CashOut(100, 0), 0);  // no rate pays nothing rather than dividing by zero
  const std::vector<std::string> lines = Lines({.CoinsHeld = -52,
                                                .CoinDiff = -30052,
                                                .InvestTotal = 50000,
                                                .ExchangeRate = 5,
                                                .GamesChosen = 6000});
  for (const char* line :
       {"持ちコイン：-52", "差枚数:-30052", "換金額:-1,100円", "収支:-51,100円"}) {
    EXPECT_TRUE(Has(lines, line)) << line;
  }
  EXPECT_TRUE(Has(Lines({.ExchangeRate = 5, .GamesChosen = 6000}), "総投資金額合計:0円"));
}

}  // namespace
}  // namespace tobiuo
