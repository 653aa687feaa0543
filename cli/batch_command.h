// `tobiuo-sim batch`: many runs of each chosen setting, reported as statistics.
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "cli/command.h"

namespace tobiuo {

std::span<const OptionSpec> BatchOptionSpecs();

// `args` starts with "batch". Shows a progress bar on stderr when stderr is a terminal and stops
// cleanly, with no result, on Ctrl-C.
int RunBatchCommand(const ParsedOptions& options, CommandIo& io);

}  // namespace tobiuo
