// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/options.h"

#include <getopt.h>

#include <algorithm>
#include <cstdio>

#include "base/utf8.h"

namespace tobiuo {
namespace {

constexpr int kFirstLongOption = 256;

const OptionSpec* Find(std::span<const OptionSpec> specs, std::string_view name) {
  for (const OptionSpec& spec : specs) {
    if (name == spec.name) return &spec;
  }
  return nullptr;
}

// The option a command-line word names, if it is "--name" or "--name=..." of a known option.
const OptionSpec* Named(std::span<const OptionSpec> specs, std::string_view word) {
  if (word.substr(0, 2) != "--") return nullptr;
  word.remove_prefix(2);
  return Find(specs, word.substr(0, word.find('=')));
}

bool IsHelp(std::string_view word) { return word == "--help" || word == "-h"; }

// "--name" or "--name=...": an option of some command, taken for a forgotten value rather than
// for a file or a text (a file of that name is still reached as ./--name).
bool LooksLikeOption(std::string_view word) {
  if (word.substr(0, 2) != "--" || word.size() < 3) return false;
  const std::string_view name = word.substr(2, word.find('=') - 2);
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
  });
}

std::string OptionList(std::span<const OptionSpec> specs) {
  std::string list;
  for (const OptionSpec& spec : specs)
    list += (list.empty() ? "--" : ", --") + std::string(spec.name);
  return list;
}

}  // namespace

std::string ParsedOptions::Value(const std::string& name, std::string fallback) const {
  const auto found = values.find(name);
  return found == values.end() ? fallback : found->second;
}

bool AsksForHelp(const std::vector<std::string>& args, std::span<const OptionSpec> specs) {
  for (size_t i = 1; i < args.size(); ++i) {
    if (IsHelp(args[i])) return true;
    const OptionSpec* spec = Named(specs, args[i]);
    const bool value_follows =
        spec && spec->kind != OptionSpec::kFlag && args[i].find('=') == std::string::npos;
    if (value_follows) ++i;
  }
  return false;
}

Status ParseOptions(const std::vector<std::string>& args, std::span<const OptionSpec> specs,
                    ParsedOptions* parsed, bool positional) {
  std::vector<option> long_options;
  for (size_t i = 0; i < specs.size(); ++i) {
    const int has_arg = specs[i].kind == OptionSpec::kFlag ? no_argument : required_argument;
    long_options.push_back(
        {specs[i].name, has_arg, nullptr, kFirstLongOption + static_cast<int>(i)});
  }
  long_options.push_back({nullptr, 0, nullptr, 0});
  std::vector<std::string> words(args);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  const std::string allowed = specs.empty()
                                  ? args[0] + " takes no options"
                                  : "the options of " + args[0] + " are " + OptionList(specs);
  optind = 0;  // start afresh: glibc's getopt keeps state between calls
  opterr = 0;
  for (;;) {
    const int previous = optind == 0 ? 1 : optind;
    // "+": stop at the first word that is not an option, or "-": hand each back in order as
    // option 1, where positional arguments are allowed; ":": report a missing value apart.
    const int c = getopt_long(static_cast<int>(args.size()), argv.data(),
                              positional ? "-:" : "+:", long_options.data(), nullptr);
    if (c == -1) break;
    if (c == 1) {
      parsed->positional.push_back(optarg);
      continue;
    }
    const std::string& word = args[static_cast<size_t>(previous)];
    const OptionSpec* spec = Named(specs, word);
    const std::string name = spec ? "--" + std::string(spec->name) : Escaped(word);
    if (c == ':') return BadOption(name, "needs a value");
    // getopt_long also takes unique abbreviations; only whole names are accepted here.
    if (c == '?' || !spec) {
      if (spec && spec->kind == OptionSpec::kFlag) return BadOption(name, "takes no value");
      return BadOption(name, "unknown option; " + allowed);
    }
    if (spec->kind == OptionSpec::kFlag) {
      parsed->flags.insert(spec->name);
      continue;
    }
    const std::string value = optarg;
    if (IsHelp(value) || Named(specs, value) || LooksLikeOption(value)) {
      return BadOption(name, "needs a value, not the option '" + Escaped(value) + "'");
    }
    if (spec->kind == OptionSpec::kPath && value.empty())
      return BadOption(name, "needs a file name");
    if (spec->kind == OptionSpec::kText && !IsValidUtf8(value)) {
      return BadOption(name, "'" + Escaped(value) + "' is not valid UTF-8");
    }
    parsed->values[spec->name] = value;
    parsed->every[spec->name].push_back(value);
  }
  if (optind < static_cast<int>(args.size())) {
    return BadOption(Escaped(args[static_cast<size_t>(optind)]), "unexpected argument; " + allowed);
  }
  return Status::Ok();
}

RunInputs RunInputsFrom(const ParsedOptions& options) {
  const RunInputs defaults;
  RunInputs inputs;
  inputs.setting = options.Value("setting", defaults.setting);
  inputs.games = options.Value("games", defaults.games);
  inputs.rate = options.Value("rate", defaults.rate);
  inputs.stock = options.Value("stock", defaults.stock);
  inputs.quit = options.Value("quit", defaults.quit);
  inputs.seed = options.Value("seed");
  inputs.setting_changed = options.Has("setting-changed");
  return inputs;
}

Status BadOption(const std::string& option, const std::string& what) {
  return Status::BadInput({}, option + ": " + what);
}

}  // namespace tobiuo
