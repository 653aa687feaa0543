// SPDX-License-Identifier: GPL-3.0-or-later
// merge trusts a partial only as far as it checks out: every way a file can be damaged, edited or
// made hostile is refused with one line naming the file, exit 2 and nothing on stdout.
#include "formats/partial.h"

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "analysis/figures.h"
#include "io/memory_file_system.h"
#include "tests/support.h"

namespace tobiuo {
namespace {

using testing::Cli;
using testing::CliResult;
using Json = nlohmann::ordered_json;

// The partials are held in memory: what is tested is what the reader makes of them.
class PartialTest : public ::testing::Test {
 protected:
  CliResult Run(const std::vector<std::string>& args) { return Cli(args, files_); }
  MemoryFileSystem files_;
};

// The text of a partial with its checksum made anew, as an editor who knew the format would.
std::string Signed(const std::string& text) {
  return SealPartial(text.substr(0, text.rfind(",\"checksum\"")));
}

TEST_F(PartialTest, EveryUntrustworthyPartialIsRefusedWithOneLine) {
  const std::string good = Cli({"batch", "--runs", "2", "--games", "100", "--seed", "1",
                                "--settings", "1,2", "--format", "partial"})
                               .out;
  const Json json = Json::parse(good);
  using Edit = std::function<void(Json&)>;
  const std::pair<const char*, Edit> edits[] = {
      {"seed missing", [](Json& j) { j["options"].erase("seed"); }},
      {"seed a string", [](Json& j) { j["options"]["seed"] = "1"; }},
      {"options an array", [](Json& j) { j["options"] = Json::array(); }},
      {"options null", [](Json& j) { j["options"] = nullptr; }},
      {"a count of -2^63+1",
       [](Json& j) { j["settings"][0]["final"]["counts"][0] = -9223372036854775807LL; }},
      {"first 1e300", [](Json& j) { j["settings"][0]["final"]["first"] = 1e300; }},
      {"runs 1e32", [](Json& j) { j["runs"] = 1e32; }},
      {"diff 2^63-1", [](Json& j) { j["settings"][0]["sums"]["diff"] = INT64_MAX; }},
      {"runs claimed 4", [](Json& j) { j["runs"] = 4; }},
      {"relabelled to 0 runs", [](Json& j) { j["first_run"] = 2, j["runs"] = 0; }},
      {"settings swapped",
       [](Json& j) { std::swap(j["settings"][0]["setting"], j["settings"][1]["setting"]); }},
      {"a count of 2^32", [](Json& j) { j["settings"][0]["final"]["counts"][0] = 4294967296LL; }},
      {"format 99", [](Json& j) { j["format_version"] = 99; }},
      {"program 0.1", [](Json& j) { j["program_version"] = "0.1"; }},
      {"runs -1", [](Json& j) { j["runs"] = -1; }},
      {"games 0", [](Json& j) { j["options"]["games"] = 0; }},
      {"runs 2.5", [](Json& j) { j["runs"] = 2.5; }},
      {"a row short", [](Json& j) { j["settings"][1]["rows"].erase(0); }},
      {"a row's total off", [](Json& j) { j["settings"][1]["rows"][1]["counts"].push_back(1); }},
      {"a sum too large", [](Json& j) { j["settings"][1]["sums"]["wins"] = 3; }},
      // sums that merged into figures no batch can give
      {"balance -2^63", [](Json& j) { j["settings"][0]["sums"]["balance"] = INT64_MIN; }},
      {"balance 1e12", [](Json& j) { j["settings"][0]["sums"]["balance"] = 1000000000000LL; }},
      {"diff the most, the histogram not",
       [](Json& j) { j["settings"][0]["sums"]["diff"] = 65534; }},
      {"diff_squares below diff^2/n",
       [](Json& j) { j["settings"][0]["sums"]["diff_squares"] = "0"; }},
      {"in_squares 1e30",
       [](Json& j) { j["settings"][0]["sums"]["in_squares"] = "1" + std::string(30, '0'); }},
      {"diff_in past Cauchy-Schwarz",
       [](Json& j) { j["settings"][0]["sums"]["diff_in"] = "1" + std::string(20, '0'); }},
      {"releases not BIG + REG", [](Json& j) { j["settings"][0]["sums"]["releases"] = 0; }},
      {"a value below what the games cost",
       [](Json& j) { j["settings"][0]["final"]["first"] = -301; }},
      // what a reader need not keep
      {"an unknown key",
       [](Json& j) {
         j["options"]["comment"] = Json::array({1, 2, 3});
       }},
      {"counts as a number", [](Json& j) { j["settings"][0]["final"]["counts"] = 2; }},
      {"a count of 0", [](Json& j) { j["settings"][0]["final"]["counts"].push_back(0); }},
      {"two gaps in a row",
       [](Json& j) {
         Json& counts = j["settings"][0]["final"]["counts"];
         counts.insert(counts.begin() + 1, {-1, -1});
       }},
  };
  std::vector<std::pair<std::string, std::string>> files;  // name, bytes
  for (const auto& [name, edit] : edits) {
    Json edited = json;
    edit(edited);
    files.emplace_back(name, Signed(edited.dump()));
  }
  std::string deep = good;
  deep.insert(deep.find("\"options\":{") + 11,
              "\"deep\":" + std::string(100000, '[') + std::string(100000, ']') + ",");
  files.emplace_back("nested 100000 deep", Signed(deep));
  std::string flipped = good;
  flipped[flipped.find("\"runs\":2") + 7] = '3';
  files.emplace_back("a byte changed under the checksum", flipped);
  files.emplace_back("format 1, before checksums",
                     good.substr(0, good.rfind(",\"checksum\"")) + "}\n");
  std::string huge = good.substr(0, good.find("\"counts\":[") + 10) + "1";
  for (int i = 0; i < 140000; ++i) huge += ",1";
  files.emplace_back("an array past any histogram", Signed(huge + "]}]}],\"checksum\":\"\"}"));
  for (const auto& [name, bytes] : files) {
    const std::string path = "p.json";
    files_.files()[path] = bytes;
    const CliResult r = Run({"merge", path});
    EXPECT_EQ(r.status, kExitBadInput) << name << ": " << r.err;
    EXPECT_TRUE(r.out.empty()) << name;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << name << ": " << r.err;
    EXPECT_NE(r.err.find(path), std::string::npos) << name << ": " << r.err;
  }
  const std::string path = "good.json";
  files_.files()[path] = "\xEF\xBB\xBF" + good;  // an editor's byte order mark is no damage
  EXPECT_EQ(Run({"merge", path}).status, kExitOk);
}

// Every sum at either end of the range its table row declares (the others as played) is read, and
// every figure worked out from it is finite and within its own range: no edit that passes can make
// a figure no batch gives.
TEST(PartialRangeTest, EveryFigureFromSumsAtTheirBoundsIsFiniteAndInRange) {
  const std::string good = Cli({"batch", "--runs", "20", "--games", "300", "--rate", "7", "--seed",
                                "3", "--settings", "2", "--format", "partial"})
                               .out;
  Partial read;
  ASSERT_TRUE(ReadPartial(good, &read).ok());
  const SettingTally& tally = read.tallies[0];
  SumLimits limits{static_cast<Int128>(read.options.runs), 300, 7, tally.sums};
  tally.final_diffs.ForEach([&](int value, uint64_t count) {
    limits.final_sum += Int128{value} * count;
    limits.final_squares += Int128{value} * value * count;
    if (value > 0) limits.final_above_zero += count;
  });
  int accepted = 0;
  for (const SumSpec& spec : kSums) {
    const SumRange range = spec.range(limits);
    for (const Int128 edge : {range.low, range.high}) {
      Json json = Json::parse(good);
      Json& sum = json["settings"][0]["sums"][spec.key];
      const auto value = static_cast<int64_t>(edge);
      sum = spec.wide ? Json(std::to_string(value)) : Json(value);
      Partial edited;
      if (!ReadPartial(Signed(json.dump()), &edited).ok()) continue;  // a later sum now out
      ++accepted;
      const SettingStats stats = Finish(edited.tallies[0], 300);
      for (const FigureSpec& figure : kFigures) {
        if (const double* real = std::get_if<double>(&stats[figure.id])) {
          EXPECT_TRUE(std::isfinite(*real)) << spec.key << " at an edge: " << figure.key;
        }
        EXPECT_FALSE(FigureText(stats, figure).empty());
      }
      const double win = stats.Real(Figure::kWinRate);
      EXPECT_TRUE(win >= 0 && win <= 1) << spec.key;
      EXPECT_LE(stats.Real(Figure::kPayoutRatioLow), stats.Real(Figure::kPayoutRatioHigh));
      EXPECT_GE(stats.Real(Figure::kCoinDiffMean), stats.Real(Figure::kCoinDiffMin));
      EXPECT_LE(stats.Real(Figure::kCoinDiffMean), stats.Real(Figure::kCoinDiffMax));
      EXPECT_TRUE(std::holds_alternative<double>(stats[Figure::kCoinDiffSd])) << spec.key;
      EXPECT_LE(std::abs(stats.Real(Figure::kBalanceYenMean)), 1e6) << spec.key;
    }
  }
  EXPECT_GE(accepted, static_cast<int>(kSumCount));  // most edges stand on their own
}

// A batch said whole (--batch-runs) names a lost first or last shard, which a merge of the rest
// would otherwise pass as a smaller batch; a merge into a partial needs only its own runs.
TEST_F(PartialTest, ALostFirstOrLastShardOfABatchIsNamed) {
  const auto shard = [&](const char* first, const char* runs) {
    const std::string path = std::string(first) + ".json";
    files_.files()[path] =
        Cli({"batch", "--runs", runs, "--first-run", first, "--batch-runs", "40", "--games", "200",
             "--settings", "3", "--seed", "5", "--format", "partial"})
            .out;
    return path;
  };
  const std::string a = shard("0", "13"), b = shard("13", "13"), c = shard("26", "14");
  EXPECT_EQ(Run({"merge", a, b, c}).out,
            Cli({"batch", "--runs", "40", "--games", "200", "--settings", "3", "--seed", "5"}).out);
  const CliResult no_last = Run({"merge", a, b});
  EXPECT_EQ(no_last.status, kExitBadInput);
  EXPECT_NE(no_last.err.find("runs 26～39 are missing"), std::string::npos) << no_last.err;
  const CliResult no_first = Run({"merge", b, c});
  EXPECT_NE(no_first.err.find("runs 0～12 are missing"), std::string::npos) << no_first.err;
  EXPECT_EQ(Run({"merge", "--format", "partial", b, c}).status, kExitOk);
  // another batch's shard is not one of these
  const std::string other = "other.json";
  files_.files()[other] =
      Cli({"batch", "--runs", "14", "--first-run", "26", "--batch-runs", "41", "--games", "200",
           "--settings", "3", "--seed", "5", "--format", "partial"})
          .out;
  EXPECT_EQ(Run({"merge", a, b, other}).status, kExitBadInput);
  EXPECT_EQ(Cli({"batch", "--runs", "14", "--first-run", "26", "--batch-runs", "39"}).status,
            kExitBadInput);
}

// Shards whose runs play alike merge, however their options were written: a quit rule of -0.5 and
// one of 0 both never quit.
TEST_F(PartialTest, ShardsMergeByWhatTheirRunsPlay) {
  const auto shard = [&](const char* first, const char* quit) {
    const std::string path = std::string(first) + ".json";
    files_.files()[path] =
        Cli({"batch", "--runs", "5", "--first-run", first, "--quit", quit, "--games", "200",
             "--settings", "1", "--seed", "5", "--format", "partial"})
            .out;
    return path;
  };
  EXPECT_EQ(Run({"merge", shard("0", "0"), shard("5", "-0.5")}).status, kExitOk);
  EXPECT_EQ(Run({"merge", shard("0", "0"), shard("5", "1")}).status, kExitBadInput);
}

}  // namespace
}  // namespace tobiuo
