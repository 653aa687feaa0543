#include <gtest/gtest.h>

#include "tests/support.h"

namespace tobiuo {
namespace {

using testing::Cli;
using testing::CliResult;

TEST(BatchCommandTest, OutputIsTheSameForAnyNumberOfThreads) {
  for (const char* format : {"json", "csv", "text"}) {
    const CliResult one = Cli({"batch", "--runs", "25", "--games", "500", "--seed", "3", "--threads", "1",
                               "--format", format});
    ASSERT_EQ(one.status, kExitOk) << one.err;
    EXPECT_EQ(one.err, "seed: 3\n");
    for (const char* threads : {"2", "7"}) {
      EXPECT_EQ(Cli({"batch", "--runs", "25", "--games", "500", "--seed", "3", "--threads", threads, "--format",
                     format})
                    .out,
                one.out)
          << format << " " << threads;
    }
  }
}

TEST(BatchCommandTest, JsonHasTheAgreedShape) {
  const CliResult r = Cli({"batch", "--runs=2", "--games=100", "--seed=1", "--settings=6,1", "--format=json"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out.rfind("{\"seed\":1,\"runs\":2,\"games\":100,\"settings\":[{\"setting\":\"6\",\"runs\":2,", 0), 0u);
  for (const char* key : {"\"overflow_runs\":0", "\"payout_ratio_ci95\":[", "\"coin_diff\":{\"mean\":", "\"p95\":",
                          "\"win_rate\":", "\"balance_yen_mean\":", "\"big_mean\":", "\"reg_mean\":"}) {
    EXPECT_NE(r.out.find(key), std::string::npos) << key;
  }
  EXPECT_NE(r.out.find("{\"setting\":\"1\""), std::string::npos);
}

TEST(BatchCommandTest, CsvHasAHeaderAndALinePerSetting) {
  const CliResult r = Cli({"batch", "--runs", "3", "--games", "100", "--seed", "1", "--format", "csv"});
  ASSERT_EQ(r.status, kExitOk);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 7);
  EXPECT_EQ(r.out.rfind("setting,runs,overflow_runs,games_bet,coins_in,coins_out,payout_ratio,"
                        "payout_ratio_ci95_low,payout_ratio_ci95_high,coin_diff_mean,",
                        0),
            0u);
}

TEST(BatchCommandTest, BadInputExitsWithTwo) {
  const std::vector<std::vector<std::string>> bad = {
      {"batch"},
      {"batch", "--runs", "0"},
      {"batch", "--runs", "100000001"},
      {"batch", "--runs", "1.5"},
      {"batch", "--runs", "5", "--threads", "0"},
      {"batch", "--runs", "5", "--settings", "1,7"},
      {"batch", "--runs", "5", "--settings", "1,"},
      {"batch", "--runs", "5", "--format", "xml"},
      {"batch", "--runs", "5", "--games", "0"},
      {"batch", "--runs", "5", "--report", "x"},
  };
  for (const auto& args : bad) {
    const CliResult r = Cli(args);
    EXPECT_EQ(r.status, kExitBadInput) << args.back();
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
}

}  // namespace
}  // namespace tobiuo
