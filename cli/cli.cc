#include "cli/cli.h"

#include <array>

#include "cli/batch_command.h"
#include "cli/estimate_command.h"
#include "cli/options.h"
#include "cli/partial.h"
#include "engine/report.h"
#include "io/cp932.h"
#include "io/file_output.h"

namespace tobiuo {
namespace {

constexpr const char* kUsage = R"(Usage: tobiuo-sim run [options]
       tobiuo-sim batch --runs N [options]
       tobiuo-sim estimate --games G --pure-miss K [options]
       tobiuo-sim estimate --cases FILE [options]
       tobiuo-sim merge [--format text|json|csv] [--bands FILE] PARTIAL...
       tobiuo-sim help [run|batch|estimate|merge]

)";

constexpr const char* kRunHelp =
    R"(run: plays one run of the トビウオ号 machine game by game, exactly as the window's Run button does,
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

)";

constexpr const char* kBatchHelp =
    R"(batch: plays N runs of each chosen setting and reports what each pays: the payout ratio (機械割)
with its 95% confidence interval, the final coin difference (mean, sd, min, max, percentiles),
the share of runs ending ahead, the mean balance in yen, the mean BIG and REG releases, pure
misses and cherry releases per game, the share of releases made in heaven mode and the mean
releases.
Run i of every setting is the run that `run --seed SEED+i` plays with the same options.
  --runs N            runs per setting, 1 to 100000000 (required)
  --threads T         worker threads (default: the number of cores); the result does not depend on it
  --settings LIST     comma-separated settings, each of 1 to 6 at most once (default 1,2,3,4,5,6)
  --format F          text (default), json, csv, or partial: the batch's exact statistics as JSON,
                      for `merge`
  --first-run K       play runs K to K+N-1 (seeds SEED+K...), a shard of a bigger batch (default 0)
  --bands FILE        also save, per setting and chart row, the 5/25/50/75/95% percentiles of
                      the coin difference as CSV: setting,row,game,p5,p25,p50,p75,p95
  and --games, --rate, --stock, --setting-changed, --quit and --seed as for run.
A progress bar is shown on stderr when it is a terminal; Ctrl-C stops with no result (status 130).

)";

constexpr const char* kEstimateHelp =
    R"(estimate: which setting is this machine, from what a player counted over G games: the pure misses
K (純ハズレ, released or not), and optionally the BIG and REG releases and how many releases came in
heaven mode (天国). Prints the probability of each setting, the most likely one, P(設定4以上) and
P(設定5・6). The pure misses are judged exactly; the releases from M simulated runs of each setting
under the start given (run i with seed SEED+i; the seed is printed on stderr).
  --games G           games played, 1 to 8000          --pure-miss K   pure misses, 0 to G
  --big B --reg R     BIG and REG releases (both)      --heaven H      releases in heaven mode, 0 to B+R
  --stock N           initial stock (default 20)       --setting-changed
  --prior W1,...,W6   weights of settings 1 to 6 (default equal)
  --runs M            simulated runs per setting, 10 to 100000 (default 1000)
  --seed SEED, --threads T, --format text|json
  --cases FILE        judge every line of a CSV "games,pure_misses,big,reg,heaven" (big, reg and
                      heaven may be empty); prints the lines with p1,...,p6,most_likely
  --power             for each true setting and 1000, 2000, 4000 and 8000 games: how often the most
                      likely setting is the true one, and its mean probability

)";

constexpr const char* kMergeHelp =
    R"(merge: adds the partials (`batch --format partial`) of shards over disjoint run ranges and prints
exactly what one batch over their union prints, in text, json or csv, and --bands FILE the bands.
The partials must share every option, the seed and the versions, and their ranges must leave no
gap.

)";

constexpr const char* kExitHelp =
    "Exit status: 0 done, 1 a file or stdout could not be written, 2 bad input (an unreadable\n"
    "input file included), 3 the run overflowed, 130 a batch stopped by Ctrl-C.\n";

constexpr std::array<OptionSpec, 9> kRunOptions = {{{"setting", OptionSpec::kText},
                                                    {"games", OptionSpec::kText},
                                                    {"rate", OptionSpec::kText},
                                                    {"stock", OptionSpec::kText},
                                                    {"setting-changed", OptionSpec::kFlag},
                                                    {"quit", OptionSpec::kText},
                                                    {"seed", OptionSpec::kText},
                                                    {"report", OptionSpec::kPath},
                                                    {"chart", OptionSpec::kPath}}};

std::string Help(const std::string& command) {
  if (command == "run") return std::string(kRunHelp) + kExitHelp;
  if (command == "batch") return std::string(kBatchHelp) + kExitHelp;
  if (command == "estimate") return std::string(kEstimateHelp) + kExitHelp;
  if (command == "merge") return std::string(kMergeHelp) + kExitHelp;
  return std::string(kUsage) + kRunHelp + kBatchHelp + kEstimateHelp + kMergeHelp + kExitHelp;
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

// The files a run asked for, complete in memory before any is written.
Status FilesToWrite(const ParsedOptions& options, const RunRecord& record,
                    std::vector<FileToWrite>* files) {
  if (options.Has("report")) {
    if (Status s = Cp932File(options.Value("report"), ReportText(record), &files->emplace_back());
        !s.ok()) {
      return s;
    }
  }
  if (options.Has("chart")) files->push_back({options.Value("chart"), ChartCsv(record.chart)});
  return Status::Ok();
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        FileSystem& fs) {
  ParsedOptions options;
  if (Status s = ParseOptions(args, kRunOptions, &options); !s.ok()) return Report(err, s);
  RunPlan plan;
  if (Status s = ValidateInputs(RunInputsFrom(options), &plan); !s.ok()) return Report(err, s);
  err << "seed: " << plan.seed << '\n';

  const RunRecord record = PlayRun(plan, Keep::kRecord);
  if (!record.finished()) return Report(err, Status::Aborted(record.abort_message));
  std::vector<FileToWrite> files;
  Status saved = FilesToWrite(options, record, &files);
  if (saved.ok()) saved = WriteFilesAtomically(fs, files);
  if (!saved.ok()) return Report(err, saved);
  for (const std::string& line : ReportLines(record)) out << line << '\n';
  return FinishOutput(out, err);
}

}  // namespace

std::string ChartCsv(const std::vector<ChartRow>& rows) {
  std::string csv = "row,label,coin_diff\n";
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::optional<int16_t>& diff = rows[i].coin_diff;
    csv += std::to_string(i + 1) + "," + CsvField(rows[i].label) + "," +
           (diff ? std::to_string(*diff) : "") + "\n";
  }
  return csv;
}

int Report(std::ostream& err, const Status& status) {
  static constexpr std::array<std::pair<InputField, const char*>, 6> kOptionOf = {{
      {InputField::kSetting, "--setting: "},
      {InputField::kGames, "--games: "},
      {InputField::kRate, "--rate: "},
      {InputField::kStock, "--stock: "},
      {InputField::kQuit, "--quit: "},
      {InputField::kSeed, "--seed: "},
  }};
  err << "tobiuo-sim: ";
  for (const auto& [field, option] : kOptionOf) {
    if (status.field() == field) err << option;
  }
  err << Escaped(status.message()) << '\n';
  switch (status.code()) {
    case Status::Code::kOk:
      return kExitOk;
    case Status::Code::kBadInput:
      return kExitBadInput;
    case Status::Code::kFileError:
      return kExitFileError;
    case Status::Code::kAborted:
      return kExitOverflow;
    case Status::Code::kStopped:
      return kExitInterrupted;
  }
  return kExitBadInput;
}

int FinishOutput(std::ostream& out, std::ostream& err) {
  out.flush();
  if (out) return kExitOk;
  err << "tobiuo-sim: stdout: the output could not be written\n";
  return kExitFileError;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           FileSystem& fs) {
  const std::string command = args.empty() ? "" : args[0];
  const bool known = command == "run" || command == "batch" || command == "estimate" ||
                     command == "merge" || command == "help";
  const bool help_first = command == "--help" || command == "-h";
  if ((!known && (help_first || AsksForHelp(args, {}))) ||
      (command == "help" && args.size() == 1)) {
    out << Help("");
    return FinishOutput(out, err);
  }
  if (command == "help" &&
      (args[1] == "run" || args[1] == "batch" || args[1] == "estimate" || args[1] == "merge")) {
    out << Help(args[1]);
    return FinishOutput(out, err);
  }
  if ((command == "run" && AsksForHelp(args, kRunOptions)) ||
      (command == "batch" && AsksForHelp(args, BatchOptionSpecs())) ||
      (command == "estimate" && AsksForHelp(args, EstimateOptionSpecs())) ||
      (command == "merge" && AsksForHelp(args, MergeOptionSpecs()))) {
    out << Help(command);
    return FinishOutput(out, err);
  }
  if (command == "run") return Run(args, out, err, fs);
  if (command == "batch") return RunBatchCommand(args, out, err);
  if (command == "estimate") return RunEstimateCommand(args, out, err);
  if (command == "merge") return RunMergeCommand(args, out, err);
  const std::string what = command == "help" ? args[1] : command;
  err << "tobiuo-sim: "
      << (what.empty() ? "missing command" : "unknown command '" + Escaped(what) + "'")
      << "; the commands are run, batch, estimate, merge and help\n";
  return kExitBadInput;
}

}  // namespace tobiuo
