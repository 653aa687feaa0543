// SPDX-License-Identifier: GPL-3.0-or-later

#include "io/file_output.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/fakes.h"
#include "tests/support.h"

namespace tobiuo {
namespace {

using testing::FaultyFileSystem;
using testing::ReadFile;
using FileOutputTest = testing::TempDirTest;
namespace fs = std::filesystem;

class WriteTest : public FileOutputTest {
 protected:
  void Put(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }
  size_t Entries() const {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }
  FaultyFileSystem fs_;
};

TEST_F(WriteTest, ReplacesWholeFilesAndKeepsTheirPermissionBits) {
  const fs::path a = dir_ / "a.txt", b = dir_ / "b.csv";
  Put(a, "old");
  ::chmod(a.c_str(), 0640);
  ASSERT_TRUE(WriteFilesAtomically(fs_, {{a.string(), "new a"}, {b.string(), "new b"}}).ok());
  EXPECT_EQ(ReadFile(a), "new a");
  EXPECT_EQ(ReadFile(b), "new b");
  struct stat st {};
  ASSERT_EQ(::stat(a.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(Entries(), 2u) << "no temporary or second name is left behind";
}

TEST_F(WriteTest, FollowsASymbolicLinkAndKeepsIt) {
  fs::create_directory(dir_ / "real");
  Put(dir_ / "real" / "target.txt", "old");
  fs::create_symlink("real/target.txt", dir_ / "link.txt");
  ASSERT_TRUE(WriteFilesAtomically(fs_, {{(dir_ / "link.txt").string(), "new"}}).ok());
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.txt"));
  EXPECT_EQ(ReadFile(dir_ / "real" / "target.txt"), "new");
}

// Two names of one file, new or old, through "./", "..", or a link, are refused before anything
// is written; so is a target that leads to a process's open file, which a rename would take from
// under it (a report "saved" to /dev/stdout redirected to a file left only the other output).
TEST_F(WriteTest, OneFileByTwoNamesOrAnOpenStreamIsRefused) {
  const fs::path a = dir_ / "a.txt", link = dir_ / "link";
  const std::string dotted = (dir_ / "." / "a.txt").string();
  for (const bool exists : {false, true}) {
    if (exists) Put(a, "old");
    const Status s = WriteFilesAtomically(fs_, {{a.string(), "report"}, {dotted, "chart"}});
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find("同じファイル"), std::string::npos) << s.message();
  }
  fs::create_symlink(a, link);
  const Status by_link =
      WriteFilesAtomically(fs_, {{a.string(), "report"}, {link.string(), "chart"}});
  EXPECT_NE(by_link.message().find("同じファイル"), std::string::npos) << by_link.message();
  EXPECT_EQ(ReadFile(a), "old");
  EXPECT_EQ(Entries(), 2u);
  fs::create_symlink("/proc/self/fd/1", dir_ / "out");
  for (const std::string& stream : {std::string("/dev/stdout"), (dir_ / "out").string()}) {
    const Status s = WriteFilesAtomically(fs_, {{stream, "report"}});
    EXPECT_NE(s.message().find("/dev/stdout"), std::string::npos) << stream << s.message();
  }
  EXPECT_TRUE(WriteFilesAtomically(fs_, {{a.string(), "a"}, {(dir_ / "b").string(), "b"}}).ok());
}

TEST_F(WriteTest, TheLongestLegalNameCanBeSaved) {
  const fs::path path = dir_ / std::string(255, 'n');
  ASSERT_TRUE(WriteFilesAtomically(fs_, {{path.string(), "x"}}).ok());
  EXPECT_EQ(ReadFile(path), "x");
}

TEST_F(WriteTest, RefusesTargetsThatAreNotWritableRegularFiles) {
  const fs::path locked = dir_ / "locked.txt", fifo = dir_ / "fifo";
  Put(locked, "old");
  ::chmod(locked.c_str(), 0444);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const std::pair<fs::path, const char*> cases[] = {
      {locked, "書き込みが禁止されています"},
      {fifo, "通常のファイルではありません"},
      {dir_, "通常のファイルではありません"},
      {dir_ / "missing" / "r.txt", "フォルダが見つかりません"},
  };
  for (const auto& [path, reason] : cases) {
    const Status s = WriteFilesAtomically(fs_, {{path.string(), "new"}});
    EXPECT_EQ(s.code(), Status::Code::kFileError) << path;
    EXPECT_NE(s.message().find(path.string()), std::string::npos) << s.message();
    EXPECT_NE(s.message().find(reason), std::string::npos) << s.message();
  }
  EXPECT_EQ(ReadFile(locked), "old");
  EXPECT_EQ(Entries(), 2u);
  // Whoever may not write a file does not replace it, whatever its bits say (the system is asked,
  // here through the fake); and a long job can ask the same before it starts.
  const fs::path others = dir_ / "others.txt";
  Put(others, "old");
  fs_.Fail("CheckWritable", 1, EACCES);
  const Status refused = WriteFilesAtomically(fs_, {{others.string(), "new"}});
  EXPECT_NE(refused.message().find("書き込みの権限がありません"), std::string::npos);
  EXPECT_EQ(ReadFile(others), "old");
  for (const auto& [path, ok] : {std::pair{others, true},
                                 {dir_ / "new.csv", true},
                                 {dir_ / "missing" / "new.csv", false},
                                 {fifo, false}}) {
    EXPECT_EQ(CheckWritableTarget(fs_, path.string()).ok(), ok) << path;
  }
  EXPECT_EQ(Entries(), 3u);
}

// A fault at any step before the renames leaves both targets as they were and no temporary file.
TEST_F(WriteTest, AFailedWriteOfEitherFileChangesNeither) {
  const std::tuple<const char*, int, int> faults[] = {
      {"Write", 1, ENOSPC}, {"Write", 2, ENOSPC}, {"Sync", 2, EIO}, {"CreateTemp", 2, EACCES}};
  for (const auto& [operation, call, error] : faults) {
    const fs::path a = dir_ / "a.txt", b = dir_ / "b.csv";
    Put(a, "old a");
    FaultyFileSystem faulty;
    faulty.Fail(operation, call, error);
    const Status s = WriteFilesAtomically(faulty, {{a.string(), "new a"}, {b.string(), "new b"}});
    EXPECT_EQ(s.code(), Status::Code::kFileError) << operation << call;
    EXPECT_EQ(ReadFile(a), "old a") << operation << call;
    EXPECT_FALSE(fs::exists(b)) << operation << call;
    EXPECT_EQ(Entries(), 1u) << operation << call;
  }
}

TEST_F(WriteTest, ASecondRenameThatFailsPutsTheFirstTargetBack) {
  const fs::path a = dir_ / "a.txt", b = dir_ / "b.csv";
  Put(a, "old a");
  fs_.Fail("Rename", 2, EIO);
  const Status s = WriteFilesAtomically(fs_, {{a.string(), "new a"}, {b.string(), "new b"}});
  EXPECT_NE(s.message().find(b.string()), std::string::npos);
  EXPECT_EQ(s.message().find("書き換えられました"), std::string::npos) << s.message();
  EXPECT_EQ(ReadFile(a), "old a");
  EXPECT_EQ(Entries(), 1u);

  // Without a second name for the old file it cannot be put back, and the message says so.
  FaultyFileSystem no_links;
  no_links.Fail("Link", 1, EPERM);
  no_links.Fail("Rename", 2, EIO);
  const Status changed =
      WriteFilesAtomically(no_links, {{a.string(), "new a"}, {b.string(), "new b"}});
  EXPECT_NE(changed.message().find(a.string() + " は書き換えられました"), std::string::npos)
      << changed.message();
  EXPECT_EQ(ReadFile(a), "new a");
}

}  // namespace
}  // namespace tobiuo
