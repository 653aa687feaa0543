// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>
#include <iconv.h>

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

// The table is glibc's iconv, character for character, over the whole basic plane (what the
// program writes, what a player may type, and all else): the same bytes in every build.
TEST_F(ReportTest, CodePage932IsWhatIconvWritesForEveryCharacter) {
  iconv_t cd = ::iconv_open("CP932", "UTF-8");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  int encodable = 0;
  for (char32_t c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;
    std::string utf8;
    if (c < 0x80) {
      utf8 = {static_cast<char>(c)};
    } else if (c < 0x800) {
      utf8 = {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    } else {
      utf8 = {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
              static_cast<char>(0x80 | (c & 0x3F))};
    }
    char out[8];
    char* in_ptr = utf8.data();
    char* out_ptr = out;
    size_t in_left = utf8.size(), out_left = sizeof out;
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const bool by_iconv =
        ::iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<size_t>(-1);
    std::string ours;
    const bool by_table = EncodeCp932(utf8, &ours).ok();
    ASSERT_EQ(by_table, by_iconv) << std::hex << static_cast<uint32_t>(c);
    if (by_iconv) {
      ASSERT_EQ(ours, std::string(out, sizeof out - out_left))
          << std::hex << static_cast<uint32_t>(c);
      ++encodable;
    }
  }
  ::iconv_close(cd);
  EXPECT_GT(encodable, 9000);
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
