#include "cli/cli.h"

#include <optional>

#include "cli/batch_command.h"
#include "cli/options.h"
#include "engine/file_output.h"
#include "engine/random_source.h"
#include "engine/report.h"
#include "engine/run_command.h"
#include "engine/sim_state.h"

namespace tobiuo {
namespace {

constexpr const char* kUsage = R"(Usage: tobiuo-sim run [options]
       tobiuo-sim batch --runs N [options]

run: plays one run of the トビウオ号 machine game by game, exactly as the window's Run button does,
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

batch: plays N runs of each chosen setting and reports what each pays: the payout ratio (機械割)
with its 95% confidence interval, the final coin difference (mean, sd, min, max, percentiles),
the share of runs ending ahead, the mean balance in yen and the mean BIG and REG releases.
Run i of every setting is the run that `run --seed SEED+i` plays with the same options.
  --runs N            runs per setting, 1 to 100000000 (required)
  --threads T         worker threads (default: the number of cores); the result does not depend on it
  --settings LIST     comma-separated settings (default 1,2,3,4,5,6)
  --format F          text (default), json or csv
  and --games, --rate, --stock, --setting-changed, --quit and --seed as for run.
A progress bar is shown on stderr when it is a terminal; Ctrl-C stops with no result (status 130).

Exit status: 0 done, 1 a file could not be written, 2 bad input, 3 the run overflowed.
)";

struct RunOptions {
  RunInputs inputs;
  std::optional<uint32_t> seed;
  std::string report_path;
  std::string chart_path;
};

std::string ParseRunOptions(const std::vector<std::string>& args, RunOptions& options) {
  std::string seed;
  OptionTable table = RunInputOptions(options.inputs, seed);
  table.values.push_back({"--report", &options.report_path});
  table.values.push_back({"--chart", &options.chart_path});
  if (std::string error = ParseOptions(args, table); !error.empty()) return error;
  return ReadSeed(seed, options.seed);
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
  if (args[0] == "batch") return RunBatchCommand(args, out, err);
  err << "tobiuo-sim: unknown command '" << args[0] << "' (see --help)\n";
  return kExitBadInput;
}

}  // namespace tobiuo
