// SPDX-License-Identifier: GPL-3.0-or-later
// Text files in code page 932, the Japanese ANSI code page that players' other programs read
// ("～" is 81 60, "－" is 81 7C), encoded from a table of our own that holds exactly what glibc's
// iconv encodes (tools/cp932_table.cc writes it), so that every build, the browser's included,
// writes the same bytes. A character that code page 932 cannot hold is refused with a message
// naming it, and nothing is written.
#pragma once

#include <string>
#include <string_view>

#include "base/status.h"
#include "io/file_output.h"
#include "io/file_system.h"

namespace tobiuo {

[[nodiscard]] Status EncodeCp932(std::string_view utf8, std::string* bytes);

// The file `path` with the text encoded; a refusal names the file.
[[nodiscard]] Status Cp932File(const std::string& path, std::string_view utf8, FileToWrite* file);

// Encodes the text and writes it through WriteFilesAtomically.
[[nodiscard]] Status SaveCp932(FileSystem& fs, const std::string& path, std::string_view utf8);

}  // namespace tobiuo
