// SPDX-License-Identifier: GPL-3.0-or-later
// The result summary: the figures of a finished run turned into the up to 25 lines that the window
// shows under "結  果" and the report file ends with, and the money figures behind them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/run.h"

namespace tobiuo {

// What the coins held fetch at the exchange rate, in whole 100-yen steps (rounded down, also
// below zero). A rate below 1 pays nothing.
int32_t CashOut(int16_t coins_held, int16_t exchange_rate);

// CashOut minus the money invested.
int32_t Balance(const RunFigures& figures);

// The summary's lines, without line ends.
std::vector<std::string> FormatResultSummary(const RunFigures& figures);

}  // namespace tobiuo
