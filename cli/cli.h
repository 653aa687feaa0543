// The command-line tool `tobiuo-sim`: the engine without a window.
//
// `run` plays one run exactly as the window's Run button does and prints the report text (the
// setting line, every event-log line and every summary line) on stdout, the run seed on stderr, and
// can save the report (code page 932, CR LF) and the chart as CSV. Exit status: 0 done, 1 a file
// could not be written, 2 bad input (nothing printed on stdout, no file written), 3 the run ended
// with an overflow.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "engine/recording_panel.h"

namespace tobiuo {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFileError = 1;
inline constexpr int kExitBadInput = 2;
inline constexpr int kExitOverflow = 3;

// `args` excludes the program name.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The chart as CSV: "row,label,coin_diff" and one line per row; empty coin_diff for unwritten rows.
std::string ChartCsv(const std::vector<RecordedRow>& rows);

}  // namespace tobiuo
