// SPDX-License-Identifier: GPL-3.0-or-later

#include "io/file_output.h"

#include <cerrno>
#include <cstring>
#include <tuple>

namespace tobiuo {
namespace {

constexpr int kMaxLinkHops = 40;
constexpr int kNotRegular = -1;  // reasons of our own, next to the errno values
constexpr int kWriteProtected = -2;
constexpr int kOpenStream = -3;

std::string Reason(int error) {
  switch (error) {
    case kNotRegular:
      return "通常のファイルではありません";
    case kWriteProtected:
      return "書き込みが禁止されています";
    case kOpenStream:
      return "開いているファイル（/dev/stdout "
             "など）です。標準出力にはリダイレクトで保存してください";
    case ENOENT:
      return "フォルダが見つかりません";
    case EACCES:
    case EPERM:
      return "書き込みの権限がありません";
    case ENOSPC:
      return "ディスクの空き容量が足りません";
    case EROFS:
      return "読み取り専用の場所です";
    case EISDIR:
      return "同じ名前のフォルダがあります";
    case ENAMETOOLONG:
      return "ファイル名が長すぎます";
    case ENOTDIR:
      return "パスの途中がフォルダではありません";
    case ELOOP:
      return "シンボリックリンクが循環しています";
    default:
      return std::strerror(error);
  }
}

Status Failure(const std::string& path, int error) {
  return Status::FileError("ファイル「" + path + "」を保存できませんでした：" + Reason(error));
}

std::string Folder(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A process's open file: replacing what it points to would leave the process writing elsewhere.
bool IsOpenStream(const std::string& path) {
  return path.rfind("/dev/fd/", 0) == 0 || path.rfind("/proc/", 0) == 0 || path == "/dev/stdout" ||
         path == "/dev/stderr";
}

// The file a path names once its symbolic links are followed; the path itself for a dangling link.
// `through_stream` says whether a link led through a process's open file.
std::string FollowLinks(FileSystem& fs, std::string path, bool* through_stream) {
  *through_stream = IsOpenStream(path);
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    std::string target;
    if (fs.ReadLink(path, &target) != 0) return path;
    path = !target.empty() && target[0] == '/' ? target : Folder(path) + target;
    *through_stream = *through_stream || IsOpenStream(path);
  }
  return path;
}

// One file on its way: its target, what was there, and the complete temporary copy.
struct Pending {
  const FileToWrite* file = nullptr;
  std::string target;
  bool existed = false;
  FileInfo before;
  std::string temp;
  std::string backup;  // a second name for the old target while later files are renamed
};

int Inspect(FileSystem& fs, Pending& p) {
  bool stream = false;
  p.target = FollowLinks(fs, p.file->path, &stream);
  if (stream) return kOpenStream;
  const int error = fs.Stat(p.target, &p.before);
  if (error == ENOENT) return 0;
  if (error != 0) return error;
  p.existed = true;
  if (!p.before.regular) return kNotRegular;
  if ((p.before.mode & 0222) == 0) return kWriteProtected;
  // The bits are not the whole answer: a file of another owner may have them and still not be
  // this user's to replace, although the folder would let the rename through.
  return fs.CheckWritable(p.target);
}

int WriteTemp(FileSystem& fs, Pending& p) {
  int fd = -1;
  if (int error = fs.CreateTemp(Folder(p.target) + ".tb", &p.temp, &fd); error != 0) return error;
  int error = p.existed ? fs.CopyOwnerAndMode(fd, p.before) : 0;
  if (error == 0) error = fs.Write(fd, p.file->bytes);
  if (error == 0) error = fs.Sync(fd);
  const int closed = fs.Close(fd);
  return error != 0 ? error : closed;
}

void RemoveTemps(FileSystem& fs, std::vector<Pending>& pending) {
  for (Pending& p : pending) {
    if (!p.temp.empty()) (void)fs.Remove(p.temp);
    if (!p.backup.empty()) (void)fs.Remove(p.backup);
  }
}

// Puts the targets renamed before a failed rename back as they were; the names that could not be.
std::string Undo(FileSystem& fs, std::vector<Pending>& pending, size_t renamed) {
  std::string changed;
  for (size_t i = 0; i < renamed; ++i) {
    Pending& p = pending[i];
    int error = -1;  // an old file without a second name cannot be put back
    if (!p.existed) {
      error = fs.Remove(p.target);
    } else if (!p.backup.empty()) {
      error = fs.Rename(p.backup, p.target);
    }
    if (error == 0) p.backup.clear();
    if (error != 0) changed += (changed.empty() ? "" : "、") + p.file->path;
  }
  return changed;
}

Status Commit(FileSystem& fs, std::vector<Pending>& pending) {
  for (size_t i = 0; i < pending.size(); ++i) {
    Pending& p = pending[i];
    // Keep the old file under a second name while other files remain to be renamed.
    if (p.existed && i + 1 < pending.size()) {
      const std::string backup = p.temp + "~";
      if (fs.Link(p.target, backup) == 0) p.backup = backup;
    }
    if (const int error = fs.Rename(p.temp, p.target); error != 0) {
      const std::string changed = Undo(fs, pending, i);
      RemoveTemps(fs, pending);
      Status failed = Failure(p.file->path, error);
      if (changed.empty()) return failed;
      return Status::FileError(failed.message() + "（" + changed + " は書き換えられました）");
    }
    p.temp.clear();
  }
  RemoveTemps(fs, pending);
  return Status::Ok();
}

}  // namespace

Status CheckWritableTarget(FileSystem& fs, const std::string& path) {
  if (path.empty()) return Status::FileError("保存するファイル名がありません");
  const FileToWrite file{path, {}};
  Pending p;
  p.file = &file;
  int error = Inspect(fs, p);
  if (error == 0 && !p.existed) {
    const std::string folder = Folder(p.target).empty() ? "." : Folder(p.target);
    FileInfo info;
    error = fs.Stat(folder, &info);
    if (error == 0) error = fs.CheckWritable(folder);
  }
  return error == 0 ? Status::Ok() : Failure(path, error);
}

// Which file a target is: an existing file by its device and inode, a new one by its folder's and
// its name, so that two names of one file compare equal.
std::tuple<dev_t, ino_t, std::string> Identity(FileSystem& fs, const Pending& p) {
  if (p.existed) return {p.before.device, p.before.inode, ""};
  const std::string folder = Folder(p.target);
  FileInfo info;
  if (fs.Stat(folder.empty() ? "." : folder, &info) != 0) return {0, 0, p.target};
  return {info.device, info.inode, p.target.substr(folder.size())};
}

Status WriteFilesAtomically(FileSystem& fs, const std::vector<FileToWrite>& files) {
  std::vector<Pending> pending(files.size());
  std::vector<std::tuple<dev_t, ino_t, std::string>> seen;
  for (size_t i = 0; i < files.size(); ++i) {
    Pending& p = pending[i];
    p.file = &files[i];
    if (p.file->path.empty()) return Status::FileError("保存するファイル名がありません");
    if (const int error = Inspect(fs, p); error != 0) return Failure(p.file->path, error);
    seen.push_back(Identity(fs, p));
    for (size_t j = 0; j < i; ++j) {
      if (seen[j] == seen[i]) {
        return Status::FileError("「" + files[j].path + "」と「" + p.file->path +
                                 "」は同じファイルです。別々のファイル名にしてください");
      }
    }
  }
  for (Pending& p : pending) {
    if (const int error = WriteTemp(fs, p); error != 0) {
      RemoveTemps(fs, pending);
      return Failure(p.file->path, error);
    }
  }
  return Commit(fs, pending);
}

}  // namespace tobiuo
