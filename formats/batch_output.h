// SPDX-License-Identifier: GPL-3.0-or-later
// A batch as the command line writes it: its statistics as JSON, CSV or a table for players, and
// the batch itself as its repeating command line.
// Doubles are written in their shortest form that reads back exactly; a figure that a setting
// without a finished run cannot have is null (JSON), empty (CSV) or "-" (text).
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/batch.h"

namespace tobiuo {

struct BatchHeader {
  uint32_t seed = 0;
  uint64_t runs = 0;
  int32_t games = 0;
  uint64_t first_run = 0;  // shown when not 0
};

// The command line that repeats a batch: every option that changes its result, in the order of
// the batch command's options (not --threads, which changes nothing, nor --format and --bands).
std::string BatchCommandLine(const BatchOptions& options);

// The batch as read, for a caller that splits it into shards (`batch --dry-run`): runs, first
// run, settings, games, seed and the repeating command line, as one JSON line.
std::string FormatBatchPlanJson(const BatchOptions& options);

std::string FormatBatchJson(const BatchHeader& header, const std::vector<SettingStats>& stats);
std::string FormatBatchCsv(const std::vector<SettingStats>& stats);
std::string FormatBatchText(const BatchHeader& header, const std::vector<SettingStats>& stats);

}  // namespace tobiuo
