// SPDX-License-Identifier: GPL-3.0-or-later
// 設定判別's answers as the command line writes them for programs: one JSON line per counts or
// history, with the six settings' probabilities and the sums the window shows.
#pragma once

#include <string>

#include "analysis/estimate.h"
#include "formats/history_files.h"

namespace tobiuo {

std::string FormatCountsJson(const Counts& counts, const Posterior& posterior);

// With how often the most likely setting is the true one at the history's games (the rate the
// window shows) and the start it was measured for.
std::string FormatHistoryJson(const HistoryCase& history, const Posterior& posterior);

}  // namespace tobiuo
