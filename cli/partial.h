// Shards of a batch: `batch --format partial` writes a batch's exact sufficient statistics (its
// tallies) as one JSON document, and `tobiuo-sim merge` adds such partials over disjoint run
// ranges into exactly what one batch over their union prints, byte for byte, in every format.
//
// A partial holds a format version, the program's version, every option that changes results (not
// --threads), the seed, the run range and per setting the integer sums (those that may pass 2^63
// after many merges as decimal strings) and the histograms of the final coin differences and of
// every chart row, each as its first value and the dense counts from there to its last value.
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "analysis/batch.h"
#include "cli/command.h"

namespace tobiuo {

inline constexpr int kPartialFormatVersion = 1;

std::string PartialJson(const BatchOptions& options, const std::vector<SettingTally>& tallies);

std::span<const OptionSpec> MergeOptionSpecs();

// The partials are read one at a time, through io.fs.
int RunMergeCommand(const ParsedOptions& options, CommandIo& io);

}  // namespace tobiuo
