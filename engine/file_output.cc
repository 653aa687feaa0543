#include "engine/file_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace tobiuo {
namespace {

std::string Reason(int error) {
  switch (error) {
    case ENOENT: return "フォルダが見つかりません";
    case EACCES:
    case EPERM: return "書き込みの権限がありません";
    case ENOSPC: return "ディスクの空き容量が足りません";
    case EROFS: return "読み取り専用の場所です";
    case EISDIR: return "同じ名前のフォルダがあります";
    case ENAMETOOLONG: return "ファイル名が長すぎます";
    case ENOTDIR: return "パスの途中がフォルダではありません";
    default: return std::strerror(error);
  }
}

Status Failure(const std::string& path, int error) {
  return Status::Error("ファイル「" + path + "」を保存できませんでした：" + Reason(error));
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// The mode a newly created file would get: the target's own if it exists, else 0666 less umask.
mode_t ModeFor(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

Status WriteFileAtomically(const std::string& path, std::string_view bytes) {
  if (path.empty()) return Status::Error("保存するファイル名がありません");
  struct stat target {};
  if (::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) return Failure(path, EISDIR);

  std::string temp_name = path + ".tmpXXXXXX";
  std::vector<char> temp(temp_name.begin(), temp_name.end());
  temp.push_back('\0');
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return Failure(path, errno);
  temp_name.assign(temp.data());

  int error = 0;
  if (::fchmod(fd, ModeFor(path)) != 0 || !WriteAll(fd, bytes) || ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp_name.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp_name.c_str());
    return Failure(path, error);
  }
  return Status::Ok();
}

}  // namespace tobiuo
