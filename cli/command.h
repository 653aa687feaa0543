// SPDX-License-Identifier: GPL-3.0-or-later
// What every command of `tobiuo-sim` is: a row of the command table (cli.cc) with its name,
// synopsis, help text, options and function. The dispatcher parses the command's options from the
// row and hands the function the parsed options with the streams and the file system it is to
// use; a command does not see the dispatcher.
//
// Exit status: 0 done, 1 a file or stdout could not be written, 2 bad input (one line on stderr,
// nothing on stdout, no file written), 3 the run ended with an overflow, 130 a batch stopped by
// Ctrl-C.
#pragma once

#include <ostream>
#include <span>

#include "base/status.h"
#include "cli/options.h"
#include "io/file_system.h"

namespace tobiuo {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFileError = 1;
inline constexpr int kExitBadInput = 2;
inline constexpr int kExitOverflow = 3;
inline constexpr int kExitInterrupted = 130;

// Where a command writes and reads.
struct CommandIo {
  std::ostream& out;
  std::ostream& err;
  FileSystem& fs;
};

struct Command {
  const char* name;
  const char* synopsis;  // the usage line(s) after "tobiuo-sim "
  const char* help;
  std::span<const OptionSpec> options;
  bool positional;  // takes arguments after its options (file names)
  int (*run)(const ParsedOptions& options, CommandIo& io);
};

// Prints "tobiuo-sim: " and the status's message as one line; returns the exit status for it.
int Report(std::ostream& err, const Status& status);

// The last status Report printed on this thread since RunCli began, ok when none: the refusal as
// data (its field's key, the item, the message) for a caller that shows it in its own place, as
// the browser's page does, rather than as the line on stderr.
const Status& LastReported();
void ForgetReported();

// Flushes stdout; a failed write is exit status 1 with a message, so that no output is lost
// silently.
int FinishOutput(std::ostream& out, std::ostream& err);

}  // namespace tobiuo
