// SPDX-License-Identifier: GPL-3.0-or-later
// Files held in memory: the file system of a program with no disk of its own (the browser's
// module runs the command-line tool's commands on files the page hands it and takes back what
// they write). Every file is a regular file this user may read and write; names are taken as
// they are, all in the one folder ".".
#pragma once

#include <map>
#include <string>

#include "io/file_system.h"

namespace tobiuo {

class MemoryFileSystem final : public FileSystem {
 public:
  // The files by name, as written so far.
  std::map<std::string, std::string>& files() { return files_; }

  int Stat(const std::string& path, FileInfo* info) override;
  int ReadLink(const std::string& path, std::string* target) override;
  int CreateTemp(const std::string& prefix, std::string* path, int* fd) override;
  int Write(int fd, std::string_view bytes) override;
  int CopyOwnerAndMode(int fd, const FileInfo& like) override;
  int Sync(int fd) override;
  int Close(int fd) override;
  int Rename(const std::string& from, const std::string& to) override;
  int Link(const std::string& from, const std::string& to) override;
  int Remove(const std::string& path) override;
  int CheckWritable(const std::string& path) override;
  int OpenForReading(const std::string& path, int* fd) override;
  int Read(int fd, char* buffer, size_t size, size_t* got) override;

 private:
  struct Open {
    std::string path;
    size_t at = 0;  // where the next read starts
  };
  std::map<std::string, std::string> files_;
  std::map<int, Open> open_;
  int next_fd_ = 3;
  int next_temp_ = 0;
};

}  // namespace tobiuo
