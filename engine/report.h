// The saved report of a run: the line "トビウオ号 設定" followed by the run's setting, every
// event-log line, then every summary line, each ending in CR LF, and one more CR LF.
//
// ReportLines gives the lines as UTF-8 (the command-line tool prints them); SaveReport encodes the
// report in code page 932 (the Japanese ANSI code page: "～" is 81 60, "－" is 81 7C) and writes it
// through WriteFilesAtomically, so an existing file is replaced only by a complete report. A
// character that code page 932 cannot hold is refused with a message, and nothing is written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/file_system.h"
#include "engine/run.h"

namespace tobiuo {

std::vector<std::string> ReportLines(const RunRecord& record);

// The report file's bytes: the lines in code page 932 with CR LF line ends.
[[nodiscard]] Status ReportBytes(const RunRecord& record, std::string* bytes);

[[nodiscard]] Status EncodeCp932(std::string_view utf8, std::string* bytes);

[[nodiscard]] Status SaveReport(FileSystem& fs, const std::string& path, const RunRecord& record);

}  // namespace tobiuo
