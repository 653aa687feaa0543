// The command-line tool `tobiuo-sim`: the engine without a window.
//
// `run` plays one run exactly as the window's Run button does and prints the report text (the
// setting line, every event-log line and every summary line) on stdout, the run seed on stderr, and
// can save the report (code page 932, CR LF) and the chart as CSV. `batch` plays many runs of each
// setting (batch_command.h). `help [CMD]`, `--help` and `CMD --help` print the help.
//
// Exit status: 0 done, 1 a file or stdout could not be written, 2 bad input (one line on stderr,
// nothing on stdout, no file written), 3 the run ended with an overflow, 130 a batch stopped by
// Ctrl-C.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "engine/run.h"
#include "io/file_system.h"

namespace tobiuo {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFileError = 1;
inline constexpr int kExitBadInput = 2;
inline constexpr int kExitOverflow = 3;
inline constexpr int kExitInterrupted = 130;

// `args` excludes the program name. Files are written through `fs`.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           FileSystem& fs = RealFileSystem());

// The chart as CSV: "row,label,coin_diff" and one line per row; empty coin_diff for rows the run
// never reached.
std::string ChartCsv(const std::vector<ChartRow>& rows);

// Prints "tobiuo-sim: " and the status's message as one line; returns the exit status for it.
int Report(std::ostream& err, const Status& status);

// Flushes stdout; a failed write is exit status 1 with a message, so that no output is lost
// silently.
int FinishOutput(std::ostream& out, std::ostream& err);

}  // namespace tobiuo
