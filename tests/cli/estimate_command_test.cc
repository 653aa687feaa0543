// SPDX-License-Identifier: GPL-3.0-or-later
// tobiuo-sim estimate: one case and a cases file agree, and every bad count or field is one line
// naming what was wrong.
#include "cli/estimate_command.h"

#include <gtest/gtest.h>

#include "io/memory_file_system.h"
#include "tests/support.h"

namespace tobiuo {
namespace {

using testing::Cli;
using testing::CliResult;

// The commands' files are held in memory: what is tested is what they read, not the disk.
class EstimateCommandTest : public ::testing::Test {
 protected:
  MemoryFileSystem files_;
};

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
  files_.files()["cases.csv"] =
      "games,pure_misses,big,reg,heaven\r\n4000,9,20,10,14\r\n1000,2,,,\r\n";
  const CliResult file =
      Cli({"estimate", "--cases", "cases.csv", "--runs", "100", "--seed", "5"}, files_);
  ASSERT_EQ(file.status, kExitOk) << file.err;
  const std::string first = file.out.substr(file.out.find('\n') + 1);
  const std::string p1 = one.out.substr(one.out.find("\"probability\":") + 14);
  EXPECT_EQ(first.rfind("4000,9,20,10,14," + p1.substr(0, p1.find('}')), 0), 0u) << first;
  EXPECT_NE(file.out.find("\n1000,2,,,,"), std::string::npos);
}

TEST_F(EstimateCommandTest, BadCountsAndCaseLinesAreOneLineNamingWhat) {
  files_.files()["cases.csv"] = "games,pure_misses,big,reg,heaven\n100,1,,,\n100,1,5,,\n";
  const std::pair<std::vector<std::string>, const char*> bad[] = {
      {{"estimate", "--games", "100", "--pure-miss", "101"}, "--pure-miss:"},
      {{"estimate", "--games", "100", "--pure-miss", "1", "--big", "3"}, "--reg:"},
      {{"estimate", "--games", "100", "--pure-miss", "1", "--prior", "0,0,0,0,0,0"}, "--prior:"},
      {{"estimate", "--games", "100", "--pure-miss", "1", "--prior", "1,-1,1,1,1,1"}, "--prior:"},
      {{"estimate", "--cases", "cases.csv"}, ":3:"},
      {{"estimate", "--cases", "missing.csv"}, "missing.csv"},
  };
  for (const auto& [args, what] : bad) {
    const CliResult r = Cli(args, files_);
    EXPECT_EQ(r.status, kExitBadInput) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(what), std::string::npos) << r.err;
  }
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

}  // namespace
}  // namespace tobiuo
