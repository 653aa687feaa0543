// SPDX-License-Identifier: GPL-3.0-or-later
// tobiuo-sim merge: partials over disjoint run ranges of one batch, added into exactly what one
// batch over their union prints, byte for byte, in every format; refusing partials of other
// options or batches, overlapping ranges and missing runs.
#pragma once

#include <span>

#include "cli/command.h"
#include "cli/options.h"

namespace tobiuo {

std::span<const OptionSpec> MergeOptionSpecs();

// The partials are read one at a time, through io.fs.
int RunMergeCommand(const ParsedOptions& options, CommandIo& io);

}  // namespace tobiuo
