#include <gtest/gtest.h>

#include "engine/number_text.h"
#include "engine/recording_panel.h"
#include "engine/run_command.h"
#include "engine/sim_state.h"
#include "tests/fakes.h"

namespace tobiuo {
namespace {

TEST(NumberTextTest, ReadsPlainDecimalsWithBlanksAndFullWidthForms) {
  EXPECT_EQ(ReadReal("6000"), 6000);
  EXPECT_EQ(ReadReal("  12.5\t"), 12.5);
  EXPECT_EQ(ReadReal("６０００"), 6000);
  EXPECT_EQ(ReadReal("　－１２．５　"), -12.5);
  EXPECT_EQ(ReadReal("＋3"), 3);
  EXPECT_EQ(ReadReal(".5"), 0.5);
  for (const char* bad : {"", "  ", "abc", "1e3", "1,000", "1.2.3", "--1", "0x10", "inf", "nan", "1 2", "六"}) {
    EXPECT_FALSE(ReadReal(bad).has_value()) << bad;
  }
}

TEST(NumberTextTest, IntegerReadingRoundsHalfToEvenWithin16Bits) {
  int16_t v = 0;
  EXPECT_EQ(ReadInt16("2.5", v), IntReading::kOk);
  EXPECT_EQ(v, 2);
  EXPECT_EQ(ReadInt16("3.5", v), IntReading::kOk);
  EXPECT_EQ(v, 4);
  EXPECT_EQ(ReadInt16("-2.5", v), IntReading::kOk);
  EXPECT_EQ(v, -2);
  EXPECT_EQ(ReadInt16("32767.4", v), IntReading::kOk);
  EXPECT_EQ(v, 32767);
  EXPECT_EQ(ReadInt16("32767.5", v), IntReading::kOutOfRange);
  EXPECT_EQ(ReadInt16("-32768", v), IntReading::kOk);
  EXPECT_EQ(ReadInt16("x", v), IntReading::kNotNumber);
}

TEST(NumberTextTest, MoneyIsGroupedByThousands) {
  EXPECT_EQ(FormatMoney(0), "0");
  EXPECT_EQ(FormatMoney(999), "999");
  EXPECT_EQ(FormatMoney(1000), "1,000");
  EXPECT_EQ(FormatMoney(1234567), "1,234,567");
  EXPECT_EQ(FormatMoney(-50000), "-50,000");
  EXPECT_EQ(FormatMoney(-100), "-100");
}

RunInputs Inputs() { return RunInputs{}; }

TEST(ValidateInputsTest, AcceptsTheWindowDefaultsAndEdgeValues) {
  InputCheck check = ValidateInputs(Inputs());
  ASSERT_TRUE(check.ok) << check.message;
  EXPECT_EQ(check.plan.games, 6000);
  EXPECT_EQ(check.plan.rate, 5);
  EXPECT_EQ(check.plan.stock, 20);

  RunInputs edge;
  edge.setting = " ３ ";
  edge.games = "１";
  edge.rate = "32767";
  edge.stock = "-0.4";
  edge.quit = "-1.5";
  check = ValidateInputs(edge);
  ASSERT_TRUE(check.ok) << check.message;
  EXPECT_EQ(check.plan.setting, "3");
  EXPECT_EQ(check.plan.games, 1);
  EXPECT_EQ(check.plan.games_text, "１");
  EXPECT_EQ(check.plan.stock, 0);
  EXPECT_EQ(check.plan.quit, -1.5);
}

TEST(ValidateInputsTest, RefusesEachBadFieldWithItsOwnMessage) {
  struct Case {
    std::string RunInputs::*field;
    const char* text;
    InputField expected;
  };
  const Case cases[] = {
      {&RunInputs::setting, "0", InputField::kSetting},  {&RunInputs::setting, "7", InputField::kSetting},
      {&RunInputs::setting, "66", InputField::kSetting}, {&RunInputs::setting, "", InputField::kSetting},
      {&RunInputs::games, "0", InputField::kGames},      {&RunInputs::games, "8001", InputField::kGames},
      {&RunInputs::games, "100.5", InputField::kGames},  {&RunInputs::games, "abc", InputField::kGames},
      {&RunInputs::rate, "0", InputField::kRate},        {&RunInputs::rate, "0.5", InputField::kRate},
      {&RunInputs::rate, "32768", InputField::kRate},    {&RunInputs::rate, "", InputField::kRate},
      {&RunInputs::stock, "-1", InputField::kStock},     {&RunInputs::stock, "255.5", InputField::kStock},
      {&RunInputs::stock, "99999", InputField::kStock},  {&RunInputs::stock, "二十", InputField::kStock},
      {&RunInputs::quit, "x", InputField::kQuit},
  };
  for (const Case& c : cases) {
    RunInputs inputs;
    inputs.*c.field = c.text;
    const InputCheck check = ValidateInputs(inputs);
    EXPECT_FALSE(check.ok) << c.text;
    EXPECT_EQ(check.field, c.expected) << c.text;
    EXPECT_FALSE(check.message.empty());
  }
  RunInputs stock;
  stock.stock = "256";
  EXPECT_EQ(ValidateInputs(stock).message, "初期ストック数は0～255の範囲で入力してください");
  RunInputs games;
  games.games = "abc";
  EXPECT_EQ(ValidateInputs(games).message, "P数には数値を入力してください");
}

TEST(ValidateInputsTest, RefusedRunTouchesNeitherStateNorPanel) {
  SimState state;
  RecordingPanel panel;
  Mt19937Source random(1);
  ASSERT_TRUE(StartRun(state, panel, random).ok());
  const std::vector<std::string> log = panel.log();
  const std::string summary = panel.summary();
  const SimState before = state;

  panel.inputs().rate = "0";
  testing::ScriptedRandom untouched;
  const RunOutcome outcome = StartRun(state, panel, untouched);
  EXPECT_EQ(outcome.status, RunOutcome::Status::kBadInput);
  EXPECT_EQ(outcome.field, InputField::kRate);
  EXPECT_EQ(untouched.draws(), 0);
  EXPECT_EQ(panel.log(), log);
  EXPECT_EQ(panel.summary(), summary);
  EXPECT_EQ(state.StockQueue, before.StockQueue);
  EXPECT_EQ(state.ExchangeRate, before.ExchangeRate);
  EXPECT_EQ(state.ReleaseGame, before.ReleaseGame);
}

TEST(RunPreparationTest, InitialModeDrawAndItsLine) {
  for (auto [n, line] : {std::pair{10, "初期モード:天国"}, {11, "初期モード:通常"}}) {
    RecordingPanel panel;
    panel.inputs().setting_changed = true;
    panel.inputs().games = "1";
    panel.inputs().stock = "0";
    SimState state;
    testing::ScriptedRandom random;
    random.Push(n, 61);
    ASSERT_TRUE(StartRun(state, panel, random).ok());
    EXPECT_EQ(panel.log().front(), line);
  }
}

TEST(RunPreparationTest, ChartRowsForTypedGames) {
  EXPECT_EQ(ChartRowsFor(50), 2);
  EXPECT_EQ(ChartRowsFor(100), 2);
  EXPECT_EQ(ChartRowsFor(150), 3);
  EXPECT_EQ(ChartRowsFor(1500), 16);
  EXPECT_EQ(ChartRowsFor(8000), 81);
}

}  // namespace
}  // namespace tobiuo
