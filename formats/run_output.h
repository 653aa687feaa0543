// SPDX-License-Identifier: GPL-3.0-or-later
// One run as the command line writes it for programs: the whole run as JSON and its chart as
// CSV. What players read (the report) is the engine's own text.
#pragma once

#include <string>
#include <vector>

#include "engine/run.h"

namespace tobiuo {

// The run for a program to read, one line: what it was played with, the report's lines apart
// (the title, the event log, the summary) and the chart's rows.
std::string FormatRunJson(const RunRecord& record);

// The chart as CSV: "row,label,coin_diff" and one line per row; empty coin_diff for rows the run
// never reached.
std::string ChartCsv(const std::vector<ChartRow>& rows);

}  // namespace tobiuo
