// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line tool `tobiuo-sim`: the engine without a window. Its commands are the rows of
// one table (Commands()), read by the dispatcher, by `help` and by the option parser: `run` plays
// one run exactly as the window's Run button does, `batch` many runs of each setting, `estimate`
// judges the setting from a player's counts, `merge` adds the partials of a sharded batch.
// `help [CMD]`, `--help` and `CMD --help` print the help.
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "cli/command.h"
#include "io/file_system.h"

namespace tobiuo {

std::span<const Command> Commands();

// `args` excludes the program name. Files are read and written through `fs`.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           FileSystem& fs = RealFileSystem());

}  // namespace tobiuo
