// SPDX-License-Identifier: GPL-3.0-or-later
// Command-line options of the tool's commands, parsed with getopt_long.
//
// "--name value" and "--name=value" are both accepted; names must be given in full. A value that
// is itself one of the command's options (or --help) is refused, so that a forgotten value never
// swallows the next option. Values read as text must be valid UTF-8; file names are taken as bytes.
// Every refusal is one line that names the option and says what is allowed.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "base/utf8.h"
#include "engine/run.h"

namespace tobiuo {

struct OptionSpec {
  const char* name;  // without the leading "--"
  enum Kind { kFlag, kText, kPath } kind;
};

struct ParsedOptions {
  std::map<std::string, std::string> values;              // by name, the last one given
  std::map<std::string, std::vector<std::string>> every;  // by name, each given, in order
  std::set<std::string> flags;
  std::vector<std::string> positional;  // with positional arguments allowed

  bool Has(const std::string& name) const { return values.count(name) || flags.count(name); }
  std::string Value(const std::string& name, std::string fallback = "") const;
};

// Parses args[1..] (args[0] is the command) against the command's options.
[[nodiscard]] Status ParseOptions(const std::vector<std::string>& args,
                                  std::span<const OptionSpec> specs, ParsedOptions* parsed,
                                  bool positional = false);

// Whether --help or -h stands on the line as an option (not as the value of one).
bool AsksForHelp(const std::vector<std::string>& args, std::span<const OptionSpec> specs);

// The start inputs given as options (--setting, --games, --rate, --stock, --quit, --seed,
// --setting-changed); the window's defaults for those not given.
RunInputs RunInputsFrom(const ParsedOptions& options);

// A refusal of an option's value: "--name: what is wrong or allowed".
Status BadOption(const std::string& option, const std::string& what);

}  // namespace tobiuo
