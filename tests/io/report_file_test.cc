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

const std::string kSetting6 =
    "\x83\x67\x83\x72\x83\x45\x83\x49\x8d\x86\x20\x90\xdd\x92\xe8"
    "6";

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

TEST_F(ReportTest, FileHoldsTheRunsSettingLogAndSummaryInCp932WithCrLf) {
  const fs::path path = dir_ / "tobiuodata.txt";
  const RunRecord record = Record(6, {"初期モード:通常", "解除範囲:1～31", "ヤメ:100P"},
                                  {"差枚数:-300", "収支:-2,000円"});
  ASSERT_TRUE(SaveCp932(RealFileSystem(), path, ReportText(record)).ok());
  const std::string expected = kSetting6 + "\r\n" +
                               "\x8f\x89\x8a\xfa\x83\x82\x81\x5b\x83\x68:\x92\xca\x8f\xed\r\n" +
                               "\x89\xf0\x8f\x9c\x94\xcd\x88\xcd:1\x81\x60"
                               "31\r\n" +
                               "\x83\x84\x83\x81:100P\r\n" + "\x8d\xb7\x96\x87\x90\x94:-300\r\n" +
                               "\x8e\xfb\x8e\x78:-2,000\x89\x7e\r\n" + "\r\n";
  EXPECT_EQ(ReadFile(path), expected);
  EXPECT_EQ(ReportLines(record).front(), "トビウオ号 設定6");
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
