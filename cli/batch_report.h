// SPDX-License-Identifier: GPL-3.0-or-later
// The batch command's outputs: the statistics of each setting as JSON, CSV or a table for players.
// Doubles are written in their shortest form that reads back exactly; a figure that a setting
// without a finished run cannot have is null (JSON), empty (CSV) or "-" (text).
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/batch.h"
#include "cli/command.h"

namespace tobiuo {

struct BatchHeader {
  uint32_t seed = 0;
  uint64_t runs = 0;
  int32_t games = 0;
  uint64_t first_run = 0;  // shown when not 0
};

// Prints the stats in the format (text, json or csv) and writes the bands file when a path is
// given; returns the exit status.
int PrintBatch(const BatchHeader& header, const std::string& format, const std::string& bands_path,
               const std::vector<SettingStats>& stats, CommandIo& io);

std::string FormatBatchJson(const BatchHeader& header, const std::vector<SettingStats>& stats);
std::string FormatBatchCsv(const std::vector<SettingStats>& stats);
std::string FormatBatchText(const BatchHeader& header, const std::vector<SettingStats>& stats);

}  // namespace tobiuo
