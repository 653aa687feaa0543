#include "cli/options.h"

#include <algorithm>
#include <charconv>

namespace tobiuo {

OptionTable RunInputOptions(RunInputs& inputs, std::string& seed) {
  return {{{"--setting", &inputs.setting},
           {"--games", &inputs.games},
           {"--rate", &inputs.rate},
           {"--stock", &inputs.stock},
           {"--quit", &inputs.quit},
           {"--seed", &seed}},
          {{"--setting-changed", &inputs.setting_changed}}};
}

std::string ParseOptions(const std::vector<std::string>& args, const OptionTable& table) {
  for (size_t i = 1; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> value;
    if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    if (auto flag = std::find_if(table.flags.begin(), table.flags.end(), [&](auto& f) { return f.first == name; });
        flag != table.flags.end()) {
      if (value) return "option " + name + " takes no value";
      *flag->second = true;
      continue;
    }
    auto option = std::find_if(table.values.begin(), table.values.end(), [&](auto& o) { return o.first == name; });
    if (option == table.values.end()) return "unknown option '" + args[i] + "' (see --help)";
    if (!value) {
      if (i + 1 >= args.size()) return "option " + name + " needs a value";
      value = args[++i];
    }
    if (value->empty()) return "option " + name + " needs a value";
    *option->second = *value;
  }
  return "";
}

std::string ReadCount(const std::string& option, const std::string& text, uint64_t low, uint64_t high,
                      uint64_t& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high) {
    return option + " must be a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
           ", not '" + text + "'";
  }
  return "";
}

std::string ReadSeed(const std::string& text, std::optional<uint32_t>& seed) {
  if (text.empty()) return "";
  uint64_t value = 0;
  if (std::string error = ReadCount("--seed", text, 0, UINT32_MAX, value); !error.empty()) return error;
  seed = static_cast<uint32_t>(value);
  return "";
}

}  // namespace tobiuo
