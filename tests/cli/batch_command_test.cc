// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/batch_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "engine/summary.h"
#include "formats/batch_output.h"
#include "tests/support.h"

namespace tobiuo {
namespace {

using testing::Cli;
using testing::CliResult;

TEST(BatchCommandTest, OutputIsTheSameForAnyNumberOfThreads) {
  for (const char* format : {"json", "csv", "text"}) {
    const std::vector<std::string> args = {"batch", "--runs",   "25",  "--games",
                                           "500",   "--seed",   "3",   "--settings",
                                           "6,1",   "--format", format};
    std::vector<std::string> one = args;
    one.insert(one.end(), {"--threads", "1"});
    const CliResult first = Cli(one);
    ASSERT_EQ(first.status, kExitOk) << first.err;
    EXPECT_EQ(first.err, "seed: 3\n");
    for (const char* threads : {"2", "7"}) {
      std::vector<std::string> more = args;
      more.insert(more.end(), {"--threads", threads});
      EXPECT_EQ(Cli(more).out, first.out) << format << " " << threads;
    }
  }
}

// 勝率 is the share of plays whose 収支 ends above 0, and win_rate the share whose 差枚数 does: at
// 8枚交換 they differ (coins that do not make 100 yen are not money), and each is its runs'.
TEST(BatchCommandTest, TheWinRateCountsTheBalanceAndTheCoinWinRateTheCoins) {
  const nlohmann::json json =
      nlohmann::json::parse(Cli({"batch", "--settings", "4", "--rate", "8", "--games", "6000",
                                 "--seed", "1000", "--runs", "200", "--format", "json"})
                                .out);
  double balance_wins = 0, coin_wins = 0;
  for (uint32_t i = 0; i < 200; ++i) {
    const RunPlan plan = testing::PlanOf({.setting = 4, .rate = 8, .seed = 1000 + i}, 6000);
    const RunFigures f = PlayRun(plan, Keep::kFigures).figures;
    balance_wins += Balance(f) > 0;
    coin_wins += f.CoinDiff > 0;
  }
  const nlohmann::json& setting = json["settings"][0];
  EXPECT_EQ(setting["balance_win_rate"].get<double>(), balance_wins / 200);
  EXPECT_EQ(setting["win_rate"].get<double>(), coin_wins / 200);
  EXPECT_LT(balance_wins, coin_wins);
  const std::string text = Cli({"batch", "--settings", "4", "--rate", "8", "--games", "6000",
                                "--seed", "1000", "--runs", "200"})
                               .out;
  EXPECT_NE(text.find(" 60.0% "), std::string::npos) << text;  // 勝率 in the players' table
}

TEST(BatchCommandTest, BadInputIsOneLineNamingTheOption) {
  const std::pair<std::vector<std::string>, const char*> bad[] = {
      {{"batch"}, "--runs"},
      {{"batch", "--runs", "0"}, "--runs"},
      {{"batch", "--runs", "100000001"}, "--runs"},
      {{"batch", "--runs", "1.5"}, "--runs"},
      {{"batch", "--runs", "5", "--threads", "0"}, "--threads"},
      {{"batch", "--runs", "5", "--settings", "1,7"}, "--settings"},
      {{"batch", "--runs", "5", "--settings", "1,"}, "--settings"},
      {{"batch", "--runs", "5", "--settings", "3,1,3"}, "--settings"},
      {{"batch", "--runs", "5", "--format", "xml"}, "--format"},
      {{"batch", "--runs", "5", "--games", "0"}, "--games"},
      {{"batch", "--runs", "5", "--report", "x"}, "--report"},
      {{"batch", "--runs", "5", "--setting", "7"}, "--setting"},  // run's option, not batch's
  };
  for (const auto& [args, option] : bad) {
    const CliResult r = Cli(args);
    EXPECT_EQ(r.status, kExitBadInput) << args.back();
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.err.rfind(std::string("tobiuo-sim: ") + option + ":", 0), 0u) << r.err;
  }
}

// The window shows the command line that repeats its batch; read back as the command reads it, it
// gives the same batch.
TEST(BatchCommandTest, TheRepeatingCommandLineReadsBackAsTheSameBatch) {
  BatchInputs inputs;
  inputs.runs = "25";
  inputs.settings = "6,2";
  inputs.first_run = "7";
  inputs.run = {.games = "1500",
                .rate = "6",
                .stock = "0",
                .quit = "-2.5",
                .seed = "4294967295",
                .setting_changed = true};
  BatchOptions options, read;
  ASSERT_TRUE(ValidateBatch(inputs, &options).ok());
  const std::string line = BatchCommandLine(options);
  EXPECT_EQ(line.rfind("tobiuo-sim batch --runs 25 --first-run 7 --settings 6,2 --games 1500", 0),
            0u)
      << line;
  std::vector<std::string> args;
  std::istringstream words(line.substr(line.find(' ') + 1));
  for (std::string word; words >> word;) args.push_back(word);
  ASSERT_TRUE(ParseBatchArgs(args, &read).ok()) << line;
  EXPECT_EQ(std::tie(read.runs, read.first_run, read.settings, read.seed),
            std::tie(options.runs, options.first_run, options.settings, options.seed));
  EXPECT_EQ(std::tie(read.plan.games, read.plan.rate, read.plan.stock, read.plan.quit,
                     read.plan.setting_changed),
            std::tie(options.plan.games, options.plan.rate, options.plan.stock, options.plan.quit,
                     options.plan.setting_changed));
}

}  // namespace
}  // namespace tobiuo
