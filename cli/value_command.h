// SPDX-License-Identifier: GPL-3.0-or-later
// `tobiuo-sim value`: what playing on is worth at a machine, from the bonus history a player sees
// (the estimate's history options), the exchange rate, the coins in hand and the games left: the
// hidden state now, exactly, and each stop rule's expected coins and money over draws of it.
// `--cases FILE` answers every line of a JSON Lines file, one CSV line each, on every core.
#pragma once

#include <span>

#include "cli/command.h"

namespace tobiuo {

std::span<const OptionSpec> ValueOptionSpecs();

// The history and cases files are read through io.fs.
int RunValueCommand(const ParsedOptions& options, CommandIo& io);

}  // namespace tobiuo
