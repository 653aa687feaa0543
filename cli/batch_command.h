// SPDX-License-Identifier: GPL-3.0-or-later
// `tobiuo-sim batch`: many runs of each chosen setting, reported as statistics.
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "analysis/batch.h"
#include "cli/command.h"

namespace tobiuo {

std::span<const OptionSpec> BatchOptionSpecs();

// The options of a batch command line (`args` starts with "batch"), as the command reads them.
[[nodiscard]] Status ParseBatchArgs(const std::vector<std::string>& args, BatchOptions* options);

// `args` starts with "batch". Shows a progress bar on stderr when stderr is a terminal and stops
// cleanly, with no result, on Ctrl-C.
int RunBatchCommand(const ParsedOptions& options, CommandIo& io);

}  // namespace tobiuo
