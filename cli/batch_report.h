// SPDX-License-Identifier: GPL-3.0-or-later
// Prints a batch's statistics in the format asked and writes its bands file.
// Doubles are written in their shortest form that reads back exactly; a figure that a setting
// without a finished run cannot have is null (JSON), empty (CSV) or "-" (text).
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "formats/batch_output.h"

namespace tobiuo {

// Prints the stats in the format (text, json or csv) and writes the bands file when a path is
// given; returns the exit status.
int PrintBatch(const BatchHeader& header, const std::string& format, const std::string& bands_path,
               const std::vector<SettingStats>& stats, CommandIo& io);

}  // namespace tobiuo
