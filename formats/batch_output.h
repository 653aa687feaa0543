// SPDX-License-Identifier: GPL-3.0-or-later
// A batch's statistics as the command line writes them: JSON, CSV or a table for players.
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

std::string FormatBatchJson(const BatchHeader& header, const std::vector<SettingStats>& stats);
std::string FormatBatchCsv(const std::vector<SettingStats>& stats);
std::string FormatBatchText(const BatchHeader& header, const std::vector<SettingStats>& stats);

}  // namespace tobiuo
