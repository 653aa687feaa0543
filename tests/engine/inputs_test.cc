// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "engine/run.h"
#include "tests/fakes.h"

namespace tobiuo {
namespace {

TEST(ValidateInputsTest, AcceptsTheDefaultsAndEdgeValuesAsTyped) {
  RunPlan plan;
  ASSERT_TRUE(ValidateInputs(RunInputs{}, &plan).ok());
  const RunInputs edge{.setting = " ３ ",
                       .games = "１",
                       .rate = "32767",
                       .stock = "-0.4",
                       .quit = "-1.5",
                       .seed = "4294967295"};
  const Status s = ValidateInputs(edge, &plan);
  ASSERT_TRUE(s.ok()) << s.message();
  EXPECT_EQ(plan.setting, 3);
  EXPECT_EQ(plan.games, 1);
  EXPECT_EQ(plan.games_text, "１");  // the chart's last label shows the text as typed
  EXPECT_EQ(plan.stock, 0);
  EXPECT_EQ(plan.quit, -1.5);
  EXPECT_EQ(plan.seed, 4294967295u);
}

TEST(ValidateInputsTest, RefusesEachBadFieldWithItsOwnMessage) {
  const std::tuple<std::string RunInputs::*, const char*, std::string, const char*> cases[] = {
      {&RunInputs::setting, "0", "setting", "設定は1～6のいずれかを選んでください"},
      {&RunInputs::setting, "66", "setting", nullptr},
      {&RunInputs::setting, "\xc0\xb3", "setting", "UTF-8として正しくない文字があります"},
      {&RunInputs::games, "abc", "games", "P数には数値を入力してください"},
      {&RunInputs::games, "8001", "games", "P数は1～8000の整数で入力してください"},
      {&RunInputs::games, "100.5", "games", nullptr},
      {&RunInputs::rate, "0.5", "rate", "換金率は1～32767の範囲で入力してください"},
      {&RunInputs::rate, "32768", "rate", nullptr},
      {&RunInputs::rate, "", "rate", "換金率には数値を入力してください"},
      {&RunInputs::stock, "256", "stock", "初期ストック数は0～255の範囲で入力してください"},
      {&RunInputs::stock, "-1", "stock", nullptr},
      {&RunInputs::stock, "二十", "stock", "初期ストック数には数値を入力してください"},
      {&RunInputs::quit, "x", "quit", "ヤメ時には数値を入力してください"},
      {&RunInputs::seed, "4294967296", "seed", "シードは0～4294967295の整数で入力してください"},
      {&RunInputs::seed, "1.5", "seed", nullptr},
  };
  for (const auto& [field, text, expected, message] : cases) {
    RunInputs inputs;
    inputs.*field = text;
    RunPlan plan;
    plan.setting = 0;
    const Status s = ValidateInputs(inputs, &plan);
    EXPECT_EQ(s.code(), Status::Code::kBadInput) << text;
    EXPECT_EQ(s.field(), expected) << text;
    if (message) {
      EXPECT_EQ(s.message(), message);
    }
    EXPECT_EQ(plan.setting, 0) << "a refused plan is left alone";
  }
}

TEST(RunPreparationTest, TheInitialModeIsDrawnOnlyAfterASettingChange) {
  for (auto [n, changed, line] : {std::tuple{10, true, "初期モード:天国"},
                                  {11, true, "初期モード:通常"},
                                  {1, false, "初期モード:通常"}}) {
    RunPlan plan;
    plan.games = 1;
    plan.stock = 0;
    plan.setting_changed = changed;
    testing::ScriptedRandom random;
    random.Push(n, 61);
    EXPECT_EQ(PlayRun(plan, random, Keep::kRecord).log.front(), line);
  }
}

}  // namespace
}  // namespace tobiuo
