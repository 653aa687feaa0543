// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a whole file, as every input file of the program is read (partial files, cases files):
// through the FileSystem seam, up to a size the caller states, so that a mistaken path to a huge
// file is refused instead of filling the memory. A failure is a FileError whose message names the
// file and the reason in Japanese.
#pragma once

#include <cstddef>
#include <string>

#include "base/status.h"
#include "io/file_system.h"

namespace tobiuo {

[[nodiscard]] Status ReadWholeFile(FileSystem& fs, const std::string& path, size_t max_bytes,
                                   std::string* bytes);

}  // namespace tobiuo
