// Command-line option parsing shared by the tool's commands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/panel.h"

namespace tobiuo {

// The options of a command: those that take a value, and flags.
struct OptionTable {
  std::vector<std::pair<std::string, std::string*>> values;
  std::vector<std::pair<std::string, bool*>> flags;
};

// Options shared by `run` and `batch`: the start inputs and the seed text.
OptionTable RunInputOptions(RunInputs& inputs, std::string& seed);

// Fills the table's targets from "--name value" or "--name=value" in args[1..]; returns an error
// message, or empty when every argument is understood.
std::string ParseOptions(const std::vector<std::string>& args, const OptionTable& table);

// Reads a seed text, if one was given, as a whole number from 0 to 4294967295; returns an error
// message, or empty.
std::string ReadSeed(const std::string& text, std::optional<uint32_t>& seed);

// Reads a whole number from `low` to `high` named by `option`; returns an error message, or empty.
std::string ReadCount(const std::string& option, const std::string& text, uint64_t low, uint64_t high,
                      uint64_t& value);

}  // namespace tobiuo
