// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/batch_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "engine/summary.h"
#include "tests/support.h"

namespace tobiuo {
namespace {

using testing::Cli;
using testing::CliResult;
using testing::ReadFile;
using EstimateCommandTest = testing::TempDirTest;
using MergeTest = testing::TempDirTest;
namespace fs = std::filesystem;

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
    RunPlan plan;
    plan.setting = 4;
    plan.rate = 8;
    plan.games = 6000;
    plan.games_text = "6000";
    plan.seed = 1000 + i;
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

TEST_F(EstimateCommandTest, OneCaseAndACasesFileGiveTheSamePosteriors) {
  const CliResult one =
      Cli({"estimate", "--games", "4000", "--pure-miss", "9", "--big", "20", "--reg", "10",
           "--heaven", "14", "--runs", "100", "--seed", "5", "--format", "json"});
  ASSERT_EQ(one.status, kExitOk) << one.err;
  EXPECT_EQ(one.out.rfind("{\"method\":\"counts\",\"games\":4000,\"pure_misses\":9,\"big\":20,"
                          "\"reg\":10,\"heaven\":14,"
                          "\"posterior\":[{\"setting\":1,\"probability\":",
                          0),
            0u);
  const fs::path cases = dir_ / "cases.csv";
  std::ofstream(cases) << "games,pure_misses,big,reg,heaven\r\n4000,9,20,10,14\r\n1000,2,,,\r\n";
  const CliResult file =
      Cli({"estimate", "--cases", cases.string(), "--runs", "100", "--seed", "5"});
  ASSERT_EQ(file.status, kExitOk) << file.err;
  const std::string first = file.out.substr(file.out.find('\n') + 1);
  const std::string p1 = one.out.substr(one.out.find("\"probability\":") + 14);
  EXPECT_EQ(first.rfind("4000,9,20,10,14," + p1.substr(0, p1.find('}')), 0), 0u) << first;
  EXPECT_NE(file.out.find("\n1000,2,,,,"), std::string::npos);
}

TEST_F(EstimateCommandTest, BadCountsAndCaseLinesAreOneLineNamingWhat) {
  const fs::path cases = dir_ / "cases.csv";
  std::ofstream(cases) << "games,pure_misses,big,reg,heaven\n100,1,,,\n100,1,5,,\n";
  const std::pair<std::vector<std::string>, const char*> bad[] = {
      {{"estimate", "--games", "100", "--pure-miss", "101"}, "--pure-miss:"},
      {{"estimate", "--games", "100", "--pure-miss", "1", "--big", "3"}, "--reg:"},
      {{"estimate", "--games", "100", "--pure-miss", "1", "--prior", "0,0,0,0,0,0"}, "--prior:"},
      {{"estimate", "--games", "100", "--pure-miss", "1", "--prior", "1,-1,1,1,1,1"}, "--prior:"},
      {{"estimate", "--cases", cases.string()}, ":3:"},
      {{"estimate", "--cases", (dir_ / "missing.csv").string()}, "missing.csv"},
  };
  for (const auto& [args, what] : bad) {
    const CliResult r = Cli(args);
    EXPECT_EQ(r.status, kExitBadInput) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(what), std::string::npos) << r.err;
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

// A field is read alike by every command and window: blanks, full-width digits and "8000.0" are
// a whole 8000, the stock rounds half to even, and a refusal gives the one range of the field.
TEST_F(EstimateCommandTest, EveryFieldHasOneReadingAndOneMessage) {
  const std::vector<std::string> counts = {"--pure-miss", "5", "--big", "１０", "--reg", "4.0"};
  const std::string base = Cli({"estimate", "--games", "8000", "--pure-miss", "5", "--big", "10",
                                "--reg", "4", "--stock", "2", "--runs", "10", "--seed", "1"})
                               .out;
  const CliResult japanese_commas =
      Cli({"estimate", "--games", "100", "--pure-miss", "1", "--prior", "1，1、1,1,1,1"});
  EXPECT_EQ(japanese_commas.status, kExitOk) << japanese_commas.err;
  for (const char* games : {" 8000", "８０００", "8000.0"}) {
    std::vector<std::string> args = {"estimate", "--games", games,    "--stock", "2.5",
                                     "--runs",   "10",      "--seed", "1"};
    args.insert(args.end(), counts.begin(), counts.end());
    const CliResult r = Cli(args);
    EXPECT_EQ(r.status, kExitOk) << games << ": " << r.err;
    EXPECT_EQ(r.out, base) << games;
  }
  const std::pair<std::vector<std::string>, const char*> refused[] = {
      {{"estimate", "--games", "8001", "--pure-miss", "1"},
       "tobiuo-sim: --games: P数は1～8000の整数で入力してください\n"},
      {{"estimate", "--games", "0", "--pure-miss", "0"},
       "tobiuo-sim: --games: P数は1～8000の整数で入力してください\n"},
      {{"estimate", "--games", "100", "--pure-miss", "1", "--prior", "1,1,1,1,1,1,"},
       "tobiuo-sim: --prior: 設定の見込みは6つをカンマで区切って入力してください\n"},
      {{"batch", "--runs", "1.5"},
       "tobiuo-sim: --runs: プレイ回数は1～100000000の整数で入力してください\n"},
      {{"batch", "--runs", "1", "--settings", "2,2"},
       "tobiuo-sim: --settings: 設定2が2回選ばれています\n"},
  };
  for (const auto& [args, message] : refused) {
    const CliResult r = Cli(args);
    EXPECT_EQ(r.status, kExitBadInput);
    EXPECT_EQ(r.err, message);
  }
}

// Three shards of unequal size, merged in any order, print exactly what the whole batch prints.
TEST_F(MergeTest, ShardsMergeIntoTheWholeBatchByteForByte) {
  const std::vector<std::string> common = {"--games",   "700", "--seed",     "4294967290",
                                           "--quit",    "100", "--settings", "2,5",
                                           "--threads", "2"};
  const auto batch = [&](std::vector<std::string> args) {
    args.insert(args.begin(), "batch");
    args.insert(args.end(), common.begin(), common.end());
    const CliResult r = Cli(args);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    return r.out;
  };
  const std::pair<const char*, const char*> shards[] = {{"0", "7"}, {"7", "19"}, {"26", "4"}};
  std::vector<std::string> paths;
  for (const auto& [first, runs] : shards) {
    paths.push_back((dir_ / (std::string("shard") + first + ".json")).string());
    std::ofstream(paths.back()) << batch(
        {"--runs", runs, "--first-run", first, "--format", "partial"});
  }
  for (const char* format : {"text", "json", "csv"}) {
    const std::string whole_bands = (dir_ / "whole.csv").string(),
                      merged_bands = (dir_ / "m.csv").string();
    const std::string whole = batch({"--runs", "30", "--format", format, "--bands", whole_bands});
    const CliResult merged =
        Cli({"merge", "--format", format, "--bands", merged_bands, paths[2], paths[0], paths[1]});
    ASSERT_EQ(merged.status, kExitOk) << merged.err;
    EXPECT_EQ(merged.out, whole) << format;
    EXPECT_EQ(ReadFile(merged_bands), ReadFile(whole_bands));
  }
  // A shard merged alone prints what a batch of its range prints, range shown.
  const CliResult alone = Cli({"merge", paths[1]});
  EXPECT_EQ(alone.out, batch({"--runs", "19", "--first-run", "7"}));
  EXPECT_NE(alone.out.find("runs 7～25"), std::string::npos);
}

TEST_F(MergeTest, MismatchedOverlappingMissingOrBrokenPartialsAreRefused) {
  const auto partial = [&](const std::string& name, std::vector<std::string> args) {
    args.insert(args.begin(), {"batch", "--games", "200", "--seed", "3", "--format", "partial"});
    const std::string path = (dir_ / name).string();
    std::ofstream(path) << Cli(args).out;
    return path;
  };
  const std::string a = partial("a", {"--runs", "5"});
  const std::string b = partial("b", {"--runs", "5", "--first-run", "5"});
  const std::string gap = partial("gap", {"--runs", "5", "--first-run", "12"});
  const std::string overlap = partial("overlap", {"--runs", "5", "--first-run", "3"});
  const std::string other = partial("other", {"--runs", "5", "--first-run", "5", "--stock", "0"});
  const std::pair<std::vector<std::string>, std::string> bad[] = {
      {{"merge", a, b, gap}, "runs 10～11 are missing"},
      {{"merge", a, overlap}, overlap},
      {{"merge", a, other}, other},
      {{"merge"}, "no partial"},
  };
  for (const auto& [args, what] : bad) {
    const CliResult r = Cli(args);
    EXPECT_EQ(r.status, kExitBadInput) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(what), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
  }
  EXPECT_EQ(Cli({"merge", a, b}).status, kExitOk);
}

}  // namespace
}  // namespace tobiuo
