// SPDX-License-Identifier: GPL-3.0-or-later

#include "io/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <random>

namespace tobiuo {
namespace {

class PosixFileSystem final : public FileSystem {
 public:
  int Stat(const std::string& path, FileInfo* info) override {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno;
    *info = {S_ISREG(st.st_mode), st.st_mode & 07777, st.st_uid, st.st_gid, st.st_dev, st.st_ino};
    return 0;
  }

  int ReadLink(const std::string& path, std::string* target) override {
    std::array<char, 4096> buffer{};
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) return errno;
    if (static_cast<size_t>(n) >= buffer.size()) return ENAMETOOLONG;
    target->assign(buffer.data(), static_cast<size_t>(n));
    return 0;
  }

  int CreateTemp(const std::string& prefix, std::string* path, int* fd) override {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device device;
    std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = prefix;
      for (int i = 0; i < 6; ++i) name += kLetters[pick(device)];
      // 0666 less the umask, as any new file the player creates.
      *fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (*fd >= 0) {
        *path = std::move(name);
        return 0;
      }
      if (errno != EEXIST) return errno;
    }
    return EEXIST;
  }

  int Write(int fd, std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd, bytes.data(), bytes.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return 0;
  }

  int CopyOwnerAndMode(int fd, const FileInfo& like) override {
    if (::fchown(fd, like.owner, like.group) != 0 && errno != EPERM) return errno;
    return ::fchmod(fd, like.mode) == 0 ? 0 : errno;
  }

  int Sync(int fd) override { return ::fsync(fd) == 0 ? 0 : errno; }
  int Close(int fd) override { return ::close(fd) == 0 ? 0 : errno; }
  int Rename(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  }
  int Link(const std::string& from, const std::string& to) override {
    return ::link(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  }
  int Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0 ? 0 : errno; }

  int CheckWritable(const std::string& path) override {
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
  }

  int OpenForReading(const std::string& path, int* fd) override {
    *fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return *fd >= 0 ? 0 : errno;
  }

  int Read(int fd, char* buffer, size_t size, size_t* got) override {
    for (;;) {
      const ssize_t n = ::read(fd, buffer, size);
      if (n >= 0) {
        *got = static_cast<size_t>(n);
        return 0;
      }
      if (errno != EINTR) return errno;
    }
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static PosixFileSystem file_system;
  return file_system;
}

}  // namespace tobiuo
