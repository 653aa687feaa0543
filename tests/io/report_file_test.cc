// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "engine/report.h"
#include "io/cp932.h"
#include "tests/fakes.h"
#include "tests/support.h"

namespace tobiuo {
namespace {

using testing::ReadFile;
using ReportTest = testing::TempDirTest;
namespace fs = std::filesystem;

RunRecord Record(int setting, std::vector<std::string> log, std::vector<std::string> summary) {
  RunRecord record;
  record.plan.setting = setting;
  record.log = std::move(log);
  record.summary = std::move(summary);
  return record;
}

TEST_F(ReportTest, CodePage932HasTheSystemsFullWidthTildeAndMinus) {
  for (auto [utf8, cp932] : {std::pair{"～", "\x81\x60"},
                             {"－", "\x81\x7C"},
                             {"設定6",
                              "\x90\xdd\x92\xe8"
                              "6"}}) {
    std::string bytes;
    ASSERT_TRUE(EncodeCp932(utf8, &bytes).ok());
    EXPECT_EQ(bytes, cp932);
  }
  std::string bytes;
  const Status fish = EncodeCp932("a🐟", &bytes);
  EXPECT_FALSE(fish.ok());
  EXPECT_NE(fish.message().find("「🐟」"), std::string::npos);
}

TEST_F(ReportTest, AnUnencodableReportWritesNothing) {
  const fs::path path = dir_ / "keep.txt";
  { std::ofstream(path) << "old"; }
  const Status saved = SaveCp932(RealFileSystem(), path, ReportText(Record(6, {"🐟"}, {})));
  EXPECT_FALSE(saved.ok());
  EXPECT_NE(saved.message().find(path.string()), std::string::npos);
  EXPECT_EQ(ReadFile(path), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace tobiuo
