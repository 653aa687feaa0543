// SPDX-License-Identifier: GPL-3.0-or-later
// The file operations that reading and saving need, behind one small interface so that tests can
// make any of them fail (a full disk, a failed rename, an unreadable file) without depending on
// permissions, which root ignores. Each operation returns 0 or the errno value of its failure, as
// the system call does; the program meets files only through ReadWholeFile (file_input.h) and
// WriteFilesAtomically (file_output.h), which turn these into a Status with a message.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace tobiuo {

struct FileInfo {
  bool regular = false;
  mode_t mode = 0;  // permission bits
  uid_t owner = 0;
  gid_t group = 0;
  // Which file it is: two paths with the same device and inode name one file.
  dev_t device = 0;
  ino_t inode = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Follows symbolic links; ENOENT when nothing is there.
  virtual int Stat(const std::string& path, FileInfo* info) = 0;
  // The target of a symbolic link; EINVAL when `path` is not one.
  virtual int ReadLink(const std::string& path, std::string* target) = 0;
  // Creates a new file named `prefix` plus six random letters with the default permissions;
  // `path` receives its name.
  virtual int CreateTemp(const std::string& prefix, std::string* path, int* fd) = 0;
  virtual int Write(int fd, std::string_view bytes) = 0;
  // Gives an open file the owner, group and permission bits of `like`; an owner the process may
  // not set is left as it is.
  virtual int CopyOwnerAndMode(int fd, const FileInfo& like) = 0;
  virtual int Sync(int fd) = 0;
  virtual int Close(int fd) = 0;
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  virtual int Link(const std::string& from, const std::string& to) = 0;
  virtual int Remove(const std::string& path) = 0;
  // Whether this user may write the file (or create files in the folder), as the system decides:
  // not only the permission bits but the owner and group too; root may write anything.
  virtual int CheckWritable(const std::string& path) = 0;
  // Opens a file for reading.
  virtual int OpenForReading(const std::string& path, int* fd) = 0;
  // Reads up to `size` bytes; `got` is 0 at the end of the file.
  virtual int Read(int fd, char* buffer, size_t size, size_t* got) = 0;
};

// The operating system's files.
FileSystem& RealFileSystem();

}  // namespace tobiuo
