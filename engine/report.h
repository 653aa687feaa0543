// SPDX-License-Identifier: GPL-3.0-or-later
// The saved report of a run: the line "トビウオ号 設定" followed by the run's setting, every
// event-log line, then every summary line, each ending in CR LF, and one more CR LF.
//
// ReportLines gives the lines (the command-line tool prints them); ReportText the whole report as
// UTF-8 text with its CR LF line ends, which io/ encodes in code page 932 and writes.
#pragma once

#include <string>
#include <vector>

#include "engine/run.h"

namespace tobiuo {

std::vector<std::string> ReportLines(const RunRecord& record);

// The report file's text, before it is encoded.
std::string ReportText(const RunRecord& record);

}  // namespace tobiuo
