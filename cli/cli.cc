#include "cli/cli.h"

#include <charconv>
#include <optional>

#include "engine/file_output.h"
#include "engine/random_source.h"
#include "engine/report.h"
#include "engine/run_command.h"
#include "engine/sim_state.h"

namespace tobiuo {
namespace {

constexpr const char* kUsage = R"(Usage: tobiuo-sim run [options]

Plays one run of the トビウオ号 machine game by game, exactly as the window's Run button does,
and prints the report (the setting line, the event log and the result summary) on stdout.
The run seed is printed on stderr as "seed: SEED"; pass it back with --seed to replay the run.

Options (defaults are the window's):
  --setting S         machine setting, 1 to 6 (default 6)
  --games G           number of games, a whole number from 1 to 8000 (default 6000)
  --rate R            exchange rate in coins per 100 yen, 1 to 32767 (default 5)
  --stock N           initial stock of bonuses, 0 to 255 (default 20)
  --setting-changed   the machine has just had its setting changed (draws the initial mode)
  --quit Q            after a bonus, quit when no more than Q games are left (default 0: never)
  --seed SEED         run seed, a whole number from 0 to 4294967295 (default: a fresh one)
  --report FILE       also save the report as the window does (Shift-JIS, CR LF)
  --chart FILE        also save the coin chart as CSV: row,label,coin_diff
  --help              show this help

Exit status: 0 done, 1 a file could not be written, 2 bad input, 3 the run overflowed.
)";

struct RunOptions {
  RunInputs inputs;
  std::optional<uint32_t> seed;
  std::string report_path;
  std::string chart_path;
};


std::optional<uint32_t> ParseSeed(const std::string& text) {
  uint32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

// Parses the options of `run`; returns an error message, or empty when all are understood.
std::string ParseRunOptions(const std::vector<std::string>& args, RunOptions& options) {
  for (size_t i = 1; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> value;
    if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    if (name == "--setting-changed") {
      if (value) return "option --setting-changed takes no value";
      options.inputs.setting_changed = true;
      continue;
    }
    std::string* target = name == "--setting"  ? &options.inputs.setting
                           : name == "--games"  ? &options.inputs.games
                           : name == "--rate"   ? &options.inputs.rate
                           : name == "--stock"  ? &options.inputs.stock
                           : name == "--quit"   ? &options.inputs.quit
                           : name == "--report" ? &options.report_path
                           : name == "--chart"  ? &options.chart_path
                                                : nullptr;
    std::string seed_text;
    if (name == "--seed") target = &seed_text;
    if (target == nullptr) return "unknown option '" + args[i] + "' (see --help)";
    if (!value) {
      if (i + 1 >= args.size()) return "option " + name + " needs a value";
      value = args[++i];
    }
    *target = *value;
    if (name == "--seed") {
      options.seed = ParseSeed(seed_text);
      if (!options.seed) return "--seed must be a whole number from 0 to 4294967295, not '" + seed_text + "'";
    }
    if ((name == "--report" || name == "--chart") && value->empty()) {
      return "option " + name + " needs a file name";
    }
  }
  return "";
}

void PrintReport(std::ostream& out, const std::string& setting, const RecordingPanel& panel) {
  for (const std::string& line : ReportLines(setting, panel.log(), panel.summary())) {
    out << line << '\n';
  }
  out.flush();
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  RunOptions options;
  if (std::string error = ParseRunOptions(args, options); !error.empty()) {
    err << "tobiuo-sim: " << error << '\n';
    return kExitBadInput;
  }
  const InputCheck check = ValidateInputs(options.inputs);
  if (!check.ok) {
    err << "tobiuo-sim: " << check.message << '\n';
    return kExitBadInput;
  }
  const uint32_t seed = options.seed ? *options.seed : ChooseRunSeed();
  err << "seed: " << seed << '\n';

  RecordingPanel panel(options.inputs);
  SimState state;
  Mt19937Source random(seed);
  const RunOutcome outcome = PlayRun(state, panel, random, check.plan);
  if (!outcome.ok()) {
    err << "tobiuo-sim: " << outcome.message << '\n';
    return kExitOverflow;
  }
  if (!options.report_path.empty()) {
    const Status saved = SaveReport(options.report_path, check.plan.setting, panel.log(), panel.summary());
    if (!saved.ok) {
      err << "tobiuo-sim: " << saved.message << '\n';
      return kExitFileError;
    }
  }
  if (!options.chart_path.empty()) {
    const Status saved = WriteFileAtomically(options.chart_path, ChartCsv(panel.chart_rows()));
    if (!saved.ok) {
      err << "tobiuo-sim: " << saved.message << '\n';
      return kExitFileError;
    }
  }
  PrintReport(out, check.plan.setting, panel);
  return kExitOk;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

bool WantsHelp(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

}  // namespace

std::string ChartCsv(const std::vector<RecordedRow>& rows) {
  std::string csv = "row,label,coin_diff\n";
  for (size_t i = 0; i < rows.size(); ++i) {
    csv += std::to_string(i + 1) + "," + CsvField(rows[i].label) + "," + rows[i].value.value_or("") + "\n";
  }
  return csv;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (WantsHelp(args)) {
    out << kUsage;
    return kExitOk;
  }
  if (args.empty()) {
    err << "tobiuo-sim: missing command; try 'tobiuo-sim run' or 'tobiuo-sim --help'\n";
    return kExitBadInput;
  }
  if (args[0] == "run") return Run(args, out, err);
  err << "tobiuo-sim: unknown command '" << args[0] << "' (see --help)\n";
  return kExitBadInput;
}

}  // namespace tobiuo
