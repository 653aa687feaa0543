// The saved report: the line "トビウオ号 設定" followed by the setting text, every event-log line,
// then the result summary text, followed by one more CR LF.
//
// ReportText gives the report as UTF-8 with the file's CR LF line ends; SaveReport encodes it in
// code page 932 (the Japanese ANSI code page: "～" is 81 60, "－" is 81 7C) and writes it through
// WriteFileAtomically, so an existing file is replaced only by a complete report. A character that
// code page 932 cannot hold is refused with a message, and nothing is written.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/status.h"

namespace tobiuo {

std::string ReportText(std::string_view setting, const std::vector<std::string>& log,
                       std::string_view summary);

// The report's lines without their line ends, as the command-line tool prints them.
std::vector<std::string> ReportLines(std::string_view setting, const std::vector<std::string>& log,
                                     std::string_view summary);

// The text in code page 932, or nothing with `error` set when a character has no code there.
std::optional<std::string> EncodeCp932(std::string_view utf8, std::string* error);

Status SaveReport(const std::string& path, std::string_view setting,
                  const std::vector<std::string>& log, std::string_view summary);

}  // namespace tobiuo
