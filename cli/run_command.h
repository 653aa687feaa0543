// SPDX-License-Identifier: GPL-3.0-or-later
// `tobiuo-sim run`: one run, exactly as the window's Run button plays it. The report text (the
// setting line, every event-log line and every summary line) goes to stdout and the run seed to
// stderr; --report saves the report as the window does (code page 932, CR LF) and --chart the
// chart as CSV, both complete before either replaces its target.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "cli/command.h"
#include "engine/run.h"

namespace tobiuo {

std::span<const OptionSpec> RunOptionSpecs();
int RunRunCommand(const ParsedOptions& options, CommandIo& io);

}  // namespace tobiuo
