// SPDX-License-Identifier: GPL-3.0-or-later
// merge trusts a partial only as far as it checks out: every way a file can be damaged, edited or
// made hostile is refused with one line naming the file, exit 2 and nothing on stdout.
#include "cli/partial.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/support.h"

namespace tobiuo {
namespace {

using testing::Cli;
using testing::CliResult;
using Json = nlohmann::ordered_json;
using PartialTest = testing::TempDirTest;

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
    const std::string path = (dir_ / "p.json").string();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    const CliResult r = Cli({"merge", path});
    EXPECT_EQ(r.status, kExitBadInput) << name << ": " << r.err;
    EXPECT_TRUE(r.out.empty()) << name;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << name << ": " << r.err;
    EXPECT_NE(r.err.find(path), std::string::npos) << name << ": " << r.err;
  }
  const std::string path = (dir_ / "good.json").string();
  std::ofstream(path) << "\xEF\xBB\xBF" << good;  // an editor's byte order mark is no damage
  EXPECT_EQ(Cli({"merge", path}).status, kExitOk);
}

}  // namespace
}  // namespace tobiuo
