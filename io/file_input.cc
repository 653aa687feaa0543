// SPDX-License-Identifier: GPL-3.0-or-later

#include "io/file_input.h"

#include <array>
#include <cerrno>
#include <cstring>

namespace tobiuo {
namespace {

constexpr int kTooBig = -1;  // a reason of our own, next to the errno values

std::string Reason(int error, size_t max_bytes) {
  switch (error) {
    case kTooBig:
      return "大きすぎます（上限 " + std::to_string(max_bytes) + " バイト）";
    case ENOENT:
      return "見つかりません";
    case EACCES:
    case EPERM:
      return "読み取りの権限がありません";
    case EISDIR:
      return "フォルダです";
    case ENOTDIR:
      return "パスの途中がフォルダではありません";
    default:
      return std::strerror(error);
  }
}

int ReadAll(FileSystem& fs, int fd, size_t max_bytes, std::string* bytes) {
  std::array<char, 65536> buffer{};
  for (;;) {
    size_t got = 0;
    if (const int error = fs.Read(fd, buffer.data(), buffer.size(), &got); error != 0) return error;
    if (got == 0) return 0;
    if (bytes->size() + got > max_bytes) return kTooBig;
    bytes->append(buffer.data(), got);
  }
}

}  // namespace

Status ReadWholeFile(FileSystem& fs, const std::string& path, size_t max_bytes,
                     std::string* bytes) {
  bytes->clear();
  int fd = -1;
  int error = fs.OpenForReading(path, &fd);
  if (error == 0) {
    error = ReadAll(fs, fd, max_bytes, bytes);
    (void)fs.Close(fd);  // nothing was written: a failed close loses nothing
  }
  if (error == 0) return Status::Ok();
  bytes->clear();
  return Status::FileError("ファイル「" + path + "」を読み込めませんでした：" +
                           Reason(error, max_bytes));
}

}  // namespace tobiuo
