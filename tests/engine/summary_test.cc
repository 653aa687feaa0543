#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/summary.h"

namespace tobiuo {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
  return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

RunFigures Figures() {
  RunFigures f;
  f.games = 6000;
  f.ExchangeRate = 5;
  return f;
}

TEST(SummaryTest, FullSummaryHas25LinesInOrder) {
  RunFigures f = Figures();
  f.BigReleases = 37;
  f.RegReleases = 29;
  f.Releases = 66;
  f.PureMissReleases = 7;
  f.CherryReleases = 7;
  f.CoinsHeld = 1234;
  f.PeakCoins = 12345;
  f.CoinDiff = 1184;
  f.InvestTotal = 23000;
  const std::vector<std::string> lines = Lines(FormatResultSummary(f));
  ASSERT_EQ(lines.size(), 25u);
  EXPECT_EQ(lines[0], "+++++ ボーナス情報 +++++");
  EXPECT_EQ(lines[1], " BIGボーナス：37回");
  EXPECT_EQ(lines[2], " REGボーナス：29回");
  EXPECT_EQ(lines[5], "純ハズレ確率：1/857");
  EXPECT_EQ(lines[7], "チェ解除確率：1/857");
  EXPECT_EQ(lines[8], "+++++ コイン＆収支情報 +++++");
  EXPECT_EQ(lines[10], "Peek時コイン：12345枚");
  EXPECT_EQ(lines[11], "差枚数:1184");
  EXPECT_EQ(lines[12], "総投資金額合計:23,000円");
  EXPECT_EQ(lines[13], "換金額:24,600円");
  EXPECT_EQ(lines[14], "収支:1,600円");
  EXPECT_EQ(lines[24], "最終合計ストック数：0個");
}

TEST(SummaryTest, RateLinesAreLeftOutForZeroCounts) {
  RunFigures f = Figures();
  f.CherryReleases = 2;
  std::vector<std::string> lines = Lines(FormatResultSummary(f));
  EXPECT_EQ(lines.size(), 24u);
  EXPECT_EQ(lines[4], "純ハズレ解除：0回");
  EXPECT_EQ(lines[5], "チェ解除：2回");
  f.CherryReleases = 0;
  EXPECT_EQ(Lines(FormatResultSummary(f)).size(), 23u);
}

TEST(SummaryTest, RatesDivideTheChosenGamesAndRoundDown) {
  RunFigures f = Figures();
  f.games = 100;
  f.CherryReleases = 3;
  EXPECT_TRUE(Has(Lines(FormatResultSummary(f)), "チェ解除確率：1/33"));
  f.games = 8000;
  f.PureMissReleases = 3;
  EXPECT_TRUE(Has(Lines(FormatResultSummary(f)), "純ハズレ確率：1/2666"));
}

TEST(SummaryTest, CashOutIsWholeHundredYenStepsRoundedDown) {
  EXPECT_EQ(CashOut(4, 5), 0);
  EXPECT_EQ(CashOut(1234, 5), 24600);
  EXPECT_EQ(CashOut(1234, 8), 15400);
  EXPECT_EQ(CashOut(-1, 5), -100);
  EXPECT_EQ(CashOut(-52, 5), -1100);
  EXPECT_EQ(CashOut(100, 0), 0);  // no rate pays nothing rather than dividing by zero
}

TEST(SummaryTest, NegativeCoinsAndMoneyAreGroupedWithASign) {
  RunFigures f = Figures();
  f.CoinsHeld = -52;
  f.CoinDiff = -30052;
  f.InvestTotal = 50000;
  const std::vector<std::string> lines = Lines(FormatResultSummary(f));
  EXPECT_TRUE(Has(lines, "持ちコイン：-52"));
  EXPECT_TRUE(Has(lines, "差枚数:-30052"));
  EXPECT_TRUE(Has(lines, "換金額:-1,100円"));
  EXPECT_TRUE(Has(lines, "収支:-51,100円"));
  f.CoinsHeld = 0;
  f.InvestTotal = 0;
  const std::vector<std::string> zero = Lines(FormatResultSummary(f));
  EXPECT_TRUE(Has(zero, "総投資金額合計:0円"));
  EXPECT_TRUE(Has(zero, "収支:0円"));
}

}  // namespace
}  // namespace tobiuo
