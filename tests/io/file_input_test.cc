// SPDX-License-Identifier: GPL-3.0-or-later

#include "io/file_input.h"

#include <gtest/gtest.h>

#include "tests/fakes.h"
#include "tests/support.h"

namespace tobiuo {
namespace {

using FileInputTest = testing::TempDirTest;

TEST_F(FileInputTest, ReadsWholeFilesUpToTheCapAndNamesTheFileOtherwise) {
  const std::string path = (dir_ / "in.csv").string();
  const std::string text(100000, 'x');  // more than one read's buffer
  std::ofstream(path, std::ios::binary) << text;
  testing::FaultyFileSystem fs;
  std::string bytes = "stale";
  ASSERT_TRUE(ReadWholeFile(fs, path, text.size(), &bytes).ok());
  EXPECT_EQ(bytes, text);

  const std::pair<Status, const char*> refused[] = {
      {ReadWholeFile(fs, path, text.size() - 1, &bytes), "大きすぎます"},
      {ReadWholeFile(fs, (dir_ / "none").string(), 10, &bytes), "見つかりません"},
      {ReadWholeFile(fs, dir_.string(), 10, &bytes), "フォルダです"},
  };
  for (const auto& [status, reason] : refused) {
    EXPECT_EQ(status.code(), Status::Code::kFileError);
    EXPECT_NE(status.message().find(reason), std::string::npos) << status.message();
  }
  testing::FaultyFileSystem faulty;
  faulty.Fail("Read", 2, EIO);  // a failure after a first part was read gives nothing
  const Status failed = ReadWholeFile(faulty, path, text.size(), &bytes);
  EXPECT_NE(failed.message().find(path), std::string::npos);
  EXPECT_TRUE(bytes.empty());
}

}  // namespace
}  // namespace tobiuo
