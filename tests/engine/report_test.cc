#include "engine/report.h"

#include <gtest/gtest.h>

#include "tests/support.h"

namespace tobiuo {
namespace {

using testing::ReadFile;
using ReportTest = testing::TempDirTest;
namespace fs = std::filesystem;

TEST_F(ReportTest, CodePage932HasTheSystemsFullWidthTildeAndMinus) {
  std::string error;
  EXPECT_EQ(EncodeCp932("～", &error), "\x81\x60");
  EXPECT_EQ(EncodeCp932("－", &error), "\x81\x7C");
  EXPECT_EQ(EncodeCp932("設定6", &error), "\x90\xdd\x92\xe8" "6");
  EXPECT_FALSE(EncodeCp932("🐟", &error).has_value());
  EXPECT_NE(error.find("🐟"), std::string::npos);
}

TEST_F(ReportTest, FileHoldsSettingLogAndSummaryInCp932WithCrLf) {
  const fs::path path = dir_ / "tobiuodata.txt";
  const std::vector<std::string> log = {"初期モード:通常", "解除範囲:1～31", "ヤメ:100P"};
  const std::string summary = "差枚数:-300\r\n収支:-2,000円\r\n";
  ASSERT_TRUE(SaveReport(path, "6", log, summary).ok);
  const std::string expected = std::string("\x83\x67\x83\x72\x83\x45\x83\x49\x8d\x86\x20\x90\xdd\x92\xe8" "6\r\n") +
                               "\x8f\x89\x8a\xfa\x83\x82\x81\x5b\x83\x68:\x92\xca\x8f\xed\r\n" +
                               "\x89\xf0\x8f\x9c\x94\xcd\x88\xcd:1\x81\x60" "31\r\n" + "\x83\x84\x83\x81:100P\r\n" +
                               "\x8d\xb7\x96\x87\x90\x94:-300\r\n" + "\x8e\xfb\x8e\x78:-2,000\x89\x7e\r\n" + "\r\n";
  EXPECT_EQ(ReadFile(path), expected);
  ASSERT_TRUE(SaveReport(path, "1", {}, "y\r\n").ok);  // saving again replaces the file whole
  EXPECT_EQ(ReadFile(path), "\x83\x67\x83\x72\x83\x45\x83\x49\x8d\x86\x20\x90\xdd\x92\xe8" "1\r\ny\r\n\r\n");
  EXPECT_EQ(ReportLines("6", log, summary),
            (std::vector<std::string>{"トビウオ号 設定6", "初期モード:通常", "解除範囲:1～31", "ヤメ:100P",
                                      "差枚数:-300", "収支:-2,000円"}));
}

TEST_F(ReportTest, FailedSaveLeavesTheOldFileAndNoTemporary) {
  const fs::path path = dir_ / "keep.txt";
  { std::ofstream(path) << "old"; }
  const Status unencodable = SaveReport(path, "🐟", {}, "x\r\n");
  EXPECT_FALSE(unencodable.ok);
  EXPECT_NE(unencodable.message.find(path.string()), std::string::npos);
  EXPECT_EQ(ReadFile(path), "old");

  const Status no_folder = SaveReport(dir_ / "missing" / "r.txt", "6", {}, "x\r\n");
  EXPECT_FALSE(no_folder.ok);
  EXPECT_NE(no_folder.message.find("missing"), std::string::npos);

  const Status folder = SaveReport(dir_, "6", {}, "x\r\n");
  EXPECT_FALSE(folder.ok);

  if (::geteuid() != 0) {  // root writes anywhere
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(SaveReport(path, "6", {}, "x\r\n").ok);
    fs::permissions(dir_, fs::perms::owner_all);
    EXPECT_EQ(ReadFile(path), "old");
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace tobiuo
