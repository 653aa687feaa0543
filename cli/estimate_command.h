// SPDX-License-Identifier: GPL-3.0-or-later
// `tobiuo-sim estimate`: which setting a machine is, from what a player counted over the games
// played (the pure misses, and optionally the BIG and REG releases and the releases in heaven
// mode), as the posterior over settings 1 to 6. `--cases FILE` judges every line of a CSV in one
// pass of simulated runs; `--power` tells how many games a player needs.
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/estimate.h"
#include "cli/command.h"
#include "formats/history_files.h"

namespace tobiuo {

std::span<const OptionSpec> EstimateOptionSpecs();

// Cases files are read through io.fs.
int RunEstimateCommand(const ParsedOptions& options, CommandIo& io);

// A file named by --OPTION, read whole (at most 64 MiB); a refusal names the option.
[[nodiscard]] Status ReadFileOf(FileSystem& fs, const ParsedOptions& parsed,
                                const std::string& option, std::string* bytes);

// The history as the options give it: --games, --pure-miss, --stock, --setting-changed or
// --setting-changed-unknown, and the releases of --history FILE (none without it).
[[nodiscard]] Status ReadHistoryOptions(const ParsedOptions& parsed, FileSystem& fs,
                                        HistoryCase* history);

}  // namespace tobiuo
