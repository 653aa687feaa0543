// SPDX-License-Identifier: GPL-3.0-or-later

#include "io/memory_file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>

namespace tobiuo {

int MemoryFileSystem::Stat(const std::string& path, FileInfo* info) {
  if (path == ".") {  // the one folder, where every file is
    *info = {false, 0755, 0, 0};
    return 0;
  }
  const auto found = files_.find(path);
  if (found == files_.end()) return ENOENT;
  *info = {true, 0644, 0, 0, 0, static_cast<ino_t>(std::distance(files_.begin(), found)) + 1};
  return 0;
}

int MemoryFileSystem::ReadLink(const std::string& /*path*/, std::string* /*target*/) {
  return EINVAL;
}

int MemoryFileSystem::CreateTemp(const std::string& prefix, std::string* path, int* fd) {
  *path = prefix + std::to_string(next_temp_++);
  files_[*path].clear();
  *fd = next_fd_++;
  open_[*fd] = {*path, 0};
  return 0;
}

int MemoryFileSystem::Write(int fd, std::string_view bytes) {
  const auto open = open_.find(fd);
  if (open == open_.end()) return EBADF;
  files_[open->second.path] += bytes;
  return 0;
}

int MemoryFileSystem::CopyOwnerAndMode(int fd, const FileInfo& /*like*/) {
  return open_.count(fd) ? 0 : EBADF;
}

int MemoryFileSystem::Sync(int fd) { return open_.count(fd) ? 0 : EBADF; }

int MemoryFileSystem::Close(int fd) { return open_.erase(fd) ? 0 : EBADF; }

int MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
  const auto file = files_.find(from);
  if (file == files_.end()) return ENOENT;
  std::string bytes = std::move(file->second);
  files_.erase(file);
  files_[to] = std::move(bytes);
  return 0;
}

int MemoryFileSystem::Link(const std::string& from, const std::string& to) {
  if (!files_.count(from)) return ENOENT;
  if (files_.count(to)) return EEXIST;
  files_[to] = files_[from];
  return 0;
}

int MemoryFileSystem::Remove(const std::string& path) { return files_.erase(path) ? 0 : ENOENT; }

int MemoryFileSystem::CheckWritable(const std::string& /*path*/) { return 0; }

int MemoryFileSystem::OpenForReading(const std::string& path, int* fd) {
  if (!files_.count(path)) return ENOENT;
  *fd = next_fd_++;
  open_[*fd] = {path, 0};
  return 0;
}

int MemoryFileSystem::Read(int fd, char* buffer, size_t size, size_t* got) {
  const auto open = open_.find(fd);
  if (open == open_.end()) return EBADF;
  const std::string& bytes = files_[open->second.path];
  *got = std::min(size, bytes.size() - std::min(open->second.at, bytes.size()));
  std::memcpy(buffer, bytes.data() + open->second.at, *got);
  open->second.at += *got;
  return 0;
}

}  // namespace tobiuo
