#include <gtest/gtest.h>

#include "engine/number_text.h"
#include "engine/recording_panel.h"
#include "engine/run_command.h"
#include "engine/sim_state.h"
#include "tests/fakes.h"

namespace tobiuo {
namespace {

TEST(NumberTextTest, ReadsPlainDecimalsWithBlanksAndFullWidthForms) {
  for (auto [text, value] : {std::pair{"6000", 6000.0}, {"  12.5\t", 12.5}, {"６０００", 6000.0},
                             {"　－１２．５　", -12.5}, {"＋3", 3.0}, {".5", 0.5}}) {
    EXPECT_EQ(ReadReal(text), value) << text;
  }
  for (const char* bad : {"", "  ", "abc", "1e3", "1,000", "1.2.3", "--1", "0x10", "inf", "nan", "1 2", "六"}) {
    EXPECT_FALSE(ReadReal(bad).has_value()) << bad;
  }
}

TEST(NumberTextTest, IntegerReadingRoundsHalfToEvenWithin16Bits) {
  for (auto [text, expected] : {std::pair{"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"32767.4", 32767}, {"-32768", -32768}}) {
    int16_t v = 0;
    EXPECT_EQ(ReadInt16(text, v), IntReading::kOk) << text;
    EXPECT_EQ(v, expected) << text;
  }
  int16_t v = 0;
  EXPECT_EQ(ReadInt16("32767.5", v), IntReading::kOutOfRange);
  EXPECT_EQ(ReadInt16("x", v), IntReading::kNotNumber);
}

TEST(NumberTextTest, MoneyIsGroupedByThousands) {
  for (auto [yen, text] : {std::pair{0, "0"}, {999, "999"}, {1000, "1,000"}, {1234567, "1,234,567"},
                           {-50000, "-50,000"}, {-100, "-100"}}) {
    EXPECT_EQ(FormatMoney(yen), text);
  }
}

TEST(ValidateInputsTest, AcceptsTheDefaultsAndEdgeValuesAsTyped) {
  ASSERT_TRUE(ValidateInputs(RunInputs{}).ok);
  const InputCheck check =
      ValidateInputs({.setting = " ３ ", .games = "１", .rate = "32767", .stock = "-0.4", .quit = "-1.5"});
  ASSERT_TRUE(check.ok) << check.message;
  EXPECT_EQ(check.plan.setting, "3");
  EXPECT_EQ(check.plan.games, 1);
  EXPECT_EQ(check.plan.games_text, "１");  // the chart's last label shows the text as typed
  EXPECT_EQ(check.plan.stock, 0);
  EXPECT_EQ(check.plan.quit, -1.5);
}

TEST(ValidateInputsTest, RefusesEachBadFieldWithItsOwnMessage) {
  const std::tuple<std::string RunInputs::*, const char*, InputField> cases[] = {
      {&RunInputs::setting, "0", InputField::kSetting},  {&RunInputs::setting, "7", InputField::kSetting},
      {&RunInputs::setting, "66", InputField::kSetting}, {&RunInputs::games, "0", InputField::kGames},
      {&RunInputs::games, "8001", InputField::kGames},   {&RunInputs::games, "100.5", InputField::kGames},
      {&RunInputs::rate, "0.5", InputField::kRate},      {&RunInputs::rate, "32768", InputField::kRate},
      {&RunInputs::rate, "", InputField::kRate},         {&RunInputs::stock, "-1", InputField::kStock},
      {&RunInputs::stock, "255.5", InputField::kStock},  {&RunInputs::stock, "二十", InputField::kStock},
      {&RunInputs::quit, "x", InputField::kQuit},
  };
  for (const auto& [field, text, expected] : cases) {
    RunInputs inputs;
    inputs.*field = text;
    const InputCheck check = ValidateInputs(inputs);
    EXPECT_TRUE(!check.ok && check.field == expected && !check.message.empty()) << text;
  }
  EXPECT_EQ(ValidateInputs({.stock = "256"}).message, "初期ストック数は0～255の範囲で入力してください");
  EXPECT_EQ(ValidateInputs({.games = "abc"}).message, "P数には数値を入力してください");
}

TEST(ValidateInputsTest, RefusedRunTouchesNeitherStateNorPanel) {
  SimState state;
  RecordingPanel panel;
  Mt19937Source random(1);
  ASSERT_TRUE(StartRun(state, panel, random).ok());
  const RecordingPanel before_panel = panel;
  const SimState before = state;
  panel.inputs().rate = "0";
  testing::ScriptedRandom untouched;
  const RunOutcome outcome = StartRun(state, panel, untouched);
  EXPECT_EQ(outcome.status, RunOutcome::Status::kBadInput);
  EXPECT_EQ(outcome.field, InputField::kRate);
  EXPECT_EQ(untouched.draws(), 0);
  EXPECT_TRUE(panel.log() == before_panel.log() && panel.summary() == before_panel.summary());
  EXPECT_TRUE(state.StockQueue == before.StockQueue && state.ExchangeRate == before.ExchangeRate);
}

TEST(RunPreparationTest, InitialModeDrawAndChartRows) {
  for (auto [n, line] : {std::pair{10, "初期モード:天国"}, {11, "初期モード:通常"}}) {
    RecordingPanel panel({.games = "1", .stock = "0", .setting_changed = true});
    SimState state;
    testing::ScriptedRandom random;
    random.Push(n, 61);
    ASSERT_TRUE(StartRun(state, panel, random).ok());
    EXPECT_EQ(panel.log().front(), line);
  }
  for (auto [games, rows] : {std::pair{50, 2}, {100, 2}, {150, 3}, {1500, 16}, {8000, 81}}) {
    EXPECT_EQ(ChartRowsFor(games), rows) << games;
  }
}

}  // namespace
}  // namespace tobiuo
