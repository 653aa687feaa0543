// SPDX-License-Identifier: GPL-3.0-or-later
// tobiuo-sim merge: shards print what the whole batch prints, byte for byte; partials that do not
// belong together are refused.
#include "cli/merge_command.h"

#include <gtest/gtest.h>

#include "io/memory_file_system.h"
#include "tests/support.h"

namespace tobiuo {
namespace {

using testing::Cli;
using testing::CliResult;

// The partials and bands are held in memory: what is tested is what merge makes of them.
class MergeTest : public ::testing::Test {
 protected:
  CliResult Run(const std::vector<std::string>& args) { return Cli(args, files_); }
  MemoryFileSystem files_;
};

// Three shards of unequal size, merged in any order, print exactly what the whole batch prints.
TEST_F(MergeTest, ShardsMergeIntoTheWholeBatchByteForByte) {
  const std::vector<std::string> common = {"--games",   "700", "--seed",     "4294967290",
                                           "--quit",    "100", "--settings", "2,5",
                                           "--threads", "2"};
  const auto batch = [&](std::vector<std::string> args) {
    args.insert(args.begin(), "batch");
    args.insert(args.end(), common.begin(), common.end());
    const CliResult r = Run(args);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    return r.out;
  };
  const std::pair<const char*, const char*> shards[] = {{"0", "7"}, {"7", "19"}, {"26", "4"}};
  std::vector<std::string> paths;
  for (const auto& [first, runs] : shards) {
    paths.push_back(std::string("shard") + first + ".json");
    files_.files()[paths.back()] =
        batch({"--runs", runs, "--first-run", first, "--format", "partial"});
  }
  for (const char* format : {"text", "json", "csv"}) {
    const std::string whole = batch({"--runs", "30", "--format", format, "--bands", "whole.csv"});
    const CliResult merged =
        Run({"merge", "--format", format, "--bands", "m.csv", paths[2], paths[0], paths[1]});
    ASSERT_EQ(merged.status, kExitOk) << merged.err;
    EXPECT_EQ(merged.out, whole) << format;
    EXPECT_EQ(files_.files()["m.csv"], files_.files()["whole.csv"]);
  }
  // A shard merged alone prints what a batch of its range prints, range shown.
  const CliResult alone = Run({"merge", paths[1]});
  EXPECT_EQ(alone.out, batch({"--runs", "19", "--first-run", "7"}));
  EXPECT_NE(alone.out.find("runs 7～25"), std::string::npos);
}

TEST_F(MergeTest, MismatchedOverlappingMissingOrBrokenPartialsAreRefused) {
  const auto partial = [&](const std::string& name, std::vector<std::string> args) {
    args.insert(args.begin(), {"batch", "--games", "200", "--seed", "3", "--format", "partial"});
    files_.files()[name] = Run(args).out;
    return name;
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
    const CliResult r = Run(args);
    EXPECT_EQ(r.status, kExitBadInput) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(what), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
  }
  EXPECT_EQ(Run({"merge", a, b}).status, kExitOk);
}

}  // namespace
}  // namespace tobiuo
