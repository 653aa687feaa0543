// SPDX-License-Identifier: GPL-3.0-or-later
// Writing whole files safely. Each file's bytes go to a temporary file beside its target (a short
// name: a dot, "tb" and six random letters, so that any legal target name fits), which is flushed
// and only then renamed over the target. With several files, every temporary file is complete
// before the first rename, so a failed write changes no target.
//
// A target that is a symbolic link is followed: the file it points to is replaced and the link
// stays. Two targets that are one file (by another name, or through a link) are refused, as is a
// target that leads to a file a process has open (/dev/stdout, /dev/fd/N, /proc/self/fd/N), which
// a rename would take from under it. A target that is not a regular file, has no write permission
// bits, or that this user may not write (the system is asked, through the FileSystem) is refused. A
// replaced file keeps its permission bits, and its owner and group where the process may set
// them. On failure the temporary files are removed and the message names the file and the reason;
// two renames cannot be one step, so if a later rename fails the earlier targets are put back
// where possible, and the message says which file did change if one could not be.
#pragma once

#include <string>
#include <vector>

#include "base/status.h"
#include "io/file_system.h"

namespace tobiuo {

struct FileToWrite {
  std::string path;
  std::string bytes;
};

[[nodiscard]] Status WriteFilesAtomically(FileSystem& fs, const std::vector<FileToWrite>& files);

// Whether the file could be written now, by the rules above: a writable regular file, or none in a
// folder this user may write. For a long job, asked before it starts, so that a target that cannot
// be written is found at once; the write itself still follows WriteFilesAtomically's rules.
[[nodiscard]] Status CheckWritableTarget(FileSystem& fs, const std::string& path);

}  // namespace tobiuo
