// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/cli.h"

#include "analysis/figures.h"
#include "base/version.h"
#include "cli/batch_command.h"
#include "cli/estimate_command.h"
#include "cli/merge_command.h"
#include "cli/options.h"
#include "cli/run_command.h"
#include "cli/value_command.h"

namespace tobiuo {
namespace {

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
  --format F          text (the report, default) or json: the seed, the inputs, how the run ended,
                      all its pure misses, the title, the event log's lines, the chart's rows and
                      the summary's lines
  --help              show this help

)";

constexpr const char* kBatchHelp =
    R"(batch: plays N runs of each chosen setting and reports what each pays: the payout ratio (機械割)
with its 95% confidence interval, the final coin difference (mean, sd, min, max, percentiles),
勝率 (runs whose balance in yen ends above 0; win_rate in JSON and CSV: coin difference above
0), the mean balance in yen, the mean BIG and REG releases, pure
misses and cherry releases per game, the share of releases made in heaven mode and the mean
releases.
Run i of every setting is the run that `run --seed SEED+i` plays with the same options.
  --runs N            runs per setting, 1 to 100000000 (required)
  --threads T         worker threads (default: the number of cores); the result does not depend on it
  --settings LIST     comma-separated settings, each of 1 to 6 at most once (default 1,2,3,4,5,6)
  --format F          text (default), json, csv, or partial: the batch's exact statistics as JSON,
                      for `merge`
  --first-run K       play runs K to K+N-1 (seeds SEED+K...), a shard of a bigger batch (default 0)
  --batch-runs T      the whole batch is runs 0 to T-1: merge then names a lost first or last shard
  --bands FILE        also save, per setting and chart row, the 5/25/50/75/95% percentiles of
                      the coin difference as CSV: setting,row,game,p5,p25,p50,p75,p95
  --dry-run           check the options and print the batch as JSON (runs, first_run, settings,
                      games, seed, command_line) without playing it
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
From the bonus history instead, exactly and with no simulated runs:
  --history FILE      CSV "game,bonus,trigger": each release's game (1 to G), BIG or REG, and
                      pure_miss, cherry, none or unknown; with --games G and optionally --pure-miss K
  --history-cases FILE  JSON Lines, one case per line, e.g. {"games":8000,"pure_misses":11,"stock":20,
                      "setting_changed":false,"releases":[[77,"BIG","cherry"]]}; prints CSV
  --stock N|LOW-HIGH|N1,N2,...|unknown, --setting-changed-unknown   a start left open
  --watched-from W    began watching at game W (default 1): the releases before it with trigger
                      unknown, the pure misses counted over games W to G ("watched_from" in cases)

)";

constexpr const char* kValueHelp =
    R"(value: what playing on is worth at a machine, from its bonus history as for estimate --history
(--games G, --history FILE (without it: no release yet), --watched-from W, --pure-miss K, --stock,
--setting-changed, --setting-changed-unknown, --prior). Prints the chance that the stock is empty and that the stretch
under way is a heaven one (exact), the settings, and for each way of stopping the expected coin
difference (差枚) and balance (収支) with standard errors, the chance of ending in the plus, the
games played and the 5%-95% spread of one play's coins, from draws of the hidden state played on
by the engine (the same games for every rule). The rules: stop now; play N more games; play to
the next release, then on while each next one comes within 92 games; sit down only at a ハマり of
at least T, then the same. The best by expected 収支 is marked, with its lead over the next.
  --rate R            exchange rate in coins per 100 yen (default 5)
  --coins C           coins in hand, 0 to 20000 (default 0); 収支 counts from what they fetch
  --games-left M      the most games that can still be played (閉店まで; default 8000 - G)
  --more N            play N more games; repeat for several (default 100, 300, 500 and 1000;
                      the games left always)
  --sit-at T          the ハマり to sit down at (default 1000)
  --draws D           draws of the hidden state, 1 to 1000000 (default 1000)
  --seed SEED, --threads T, --format text|json|csv
  --cases FILE        JSON Lines as --history-cases, each line with "more_games": N; prints CSV
                      games,more_games,ev_coins,ev_coins_se,p_heaven,p_stock_empty,p1,...,p6
                      (the coins of playing N more games; case i with seed SEED+i)

)";

constexpr const char* kMergeHelp =
    R"(merge: adds the partials (`batch --format partial`) of shards over disjoint run ranges and prints
exactly what one batch over their union prints, in text, json or csv, and --bands FILE the bands;
--format partial prints one partial of the union, to be merged again with others.
The partials must share every option, the seed and the versions, and their ranges must leave no
gap.

)";

constexpr const char* kVersionHelp =
    R"(version: prints "tobiuo-sim" and the program's version (also as --version).

)";

int RunVersionCommand(const ParsedOptions& /*options*/, CommandIo& io) {
  io.out << "tobiuo-sim " << kProgramVersion << "\n";
  return FinishOutput(io.out, io.err);
}

constexpr const char* kExitHelp =
    "Exit status: 0 done, 1 a file or stdout could not be written, 2 bad input (an unreadable\n"
    "input file included), 3 the run overflowed, 130 a batch stopped by Ctrl-C.\n";

const Command* Find(const std::string& name) {
  for (const Command& command : Commands()) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

// The batch's help ends with its figures, named as the CSV's columns, from the table of figures.
std::string BatchHelp() {
  std::string help = std::string(kBatchHelp) + "Figures, as --format csv names its columns:\n ";
  size_t line = 1;
  for (const FigureSpec& spec : kFigures) {
    const std::string word = std::string(" ") + spec.key + (&spec == &kFigures.back() ? "" : ",");
    if (line + word.size() > 100) {
      help += "\n ";
      line = 1;
    }
    help += word;
    line += word.size();
  }
  return help + "\n\n";
}

std::string Help(const Command* command) {
  if (command) return std::string(command->help) + kExitHelp;
  std::string help = "Usage: ";
  for (const Command& c : Commands()) {
    help += std::string(help.size() > 7 ? "       " : "") + "tobiuo-sim " + c.synopsis + "\n";
  }
  help += "       tobiuo-sim help [";
  for (const Command& c : Commands())
    help += std::string(&c == Commands().data() ? "" : "|") + c.name;
  help += "]\n\n";
  for (const Command& c : Commands()) help += c.help;
  return help + kExitHelp;
}

int PrintHelp(const Command* command, std::ostream& out, std::ostream& err) {
  out << Help(command);
  return FinishOutput(out, err);
}

std::string Names() {
  std::string names;
  for (const Command& c : Commands()) names += (names.empty() ? "" : ", ") + std::string(c.name);
  return names + " and help";
}

}  // namespace

std::span<const Command> Commands() {
  static const std::string batch_help = BatchHelp();
  static const Command kCommands[] = {
      {"run", "run [options]", kRunHelp, RunOptionSpecs(), false, RunRunCommand},
      {"batch", "batch --runs N [options]", batch_help.c_str(), BatchOptionSpecs(), false,
       RunBatchCommand},
      {"estimate",
       "estimate --games G --pure-miss K [options]\n       tobiuo-sim estimate --cases FILE "
       "[options]\n       tobiuo-sim estimate --games G --history FILE [options]\n"
       "       tobiuo-sim estimate --history-cases FILE [options]",
       kEstimateHelp, EstimateOptionSpecs(), false, RunEstimateCommand},
      {"value",
       "value --games G [--history FILE] [options]\n       tobiuo-sim value --cases FILE [options]",
       kValueHelp, ValueOptionSpecs(), false, RunValueCommand},
      {"merge", "merge [--format text|json|csv|partial] [--bands FILE] PARTIAL...", kMergeHelp,
       MergeOptionSpecs(), true, RunMergeCommand},
      {"version", "version", kVersionHelp, {}, false, RunVersionCommand},
  };
  return kCommands;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           FileSystem& fs) {
  ForgetReported();
  const std::string name = args.empty() ? "" : args[0] == "--version" ? "version" : args[0];
  const Command* command = Find(name);
  if (name == "help") {
    if (args.size() == 1) return PrintHelp(nullptr, out, err);
    if (const Command* asked = Find(args[1])) return PrintHelp(asked, out, err);
  } else if (!command && (name == "--help" || name == "-h" || AsksForHelp(args, {}))) {
    return PrintHelp(nullptr, out, err);
  } else if (command && AsksForHelp(args, command->options)) {
    return PrintHelp(command, out, err);
  }
  if (!command) {
    const std::string what = name == "help" ? args[1] : name;
    err << "tobiuo-sim: "
        << (what.empty() ? "missing command" : "unknown command '" + Escaped(what) + "'")
        << "; the commands are " << Names() << "\n";
    return kExitBadInput;
  }
  ParsedOptions options;
  if (Status s = ParseOptions(args, command->options, &options, command->positional); !s.ok()) {
    return Report(err, s);
  }
  CommandIo io{out, err, fs};
  return command->run(options, io);
}

}  // namespace tobiuo
