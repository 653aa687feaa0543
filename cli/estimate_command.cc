// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/estimate_command.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "analysis/estimate.h"
#include "analysis/history.h"
#include "base/number_text.h"
#include "cli/batch_report.h"
#include "engine/random_source.h"
#include "formats/counts_cases.h"
#include "formats/estimate_output.h"
#include "formats/history_files.h"
#include "io/file_input.h"

namespace tobiuo {
namespace {

constexpr std::array<int32_t, 4> kPowerGames = {1000, 2000, 4000, 8000};
constexpr size_t kMaxCasesBytes = size_t{64} << 20;

constexpr std::array<OptionSpec, 18> kEstimateOptions = {
    {{"games", OptionSpec::kText},
     {"watched-from", OptionSpec::kText},
     {"pure-miss", OptionSpec::kText},
     {"big", OptionSpec::kText},
     {"reg", OptionSpec::kText},
     {"heaven", OptionSpec::kText},
     {"stock", OptionSpec::kText},
     {"setting-changed", OptionSpec::kFlag},
     {"prior", OptionSpec::kText},
     {"runs", OptionSpec::kText},
     {"seed", OptionSpec::kText},
     {"threads", OptionSpec::kText},
     {"format", OptionSpec::kText},
     {"cases", OptionSpec::kPath},
     {"power", OptionSpec::kFlag},
     {"history", OptionSpec::kPath},
     {"history-cases", OptionSpec::kPath},
     {"setting-changed-unknown", OptionSpec::kFlag}}};

struct EstimateCommand {
  std::vector<Counts> cases;           // one for --games and --pure-miss, or the lines of --cases
  std::vector<HistoryCase> histories;  // one for --history, or the lines of --history-cases
  bool from_history = false;
  bool from_file = false;
  Prior prior = {1, 1, 1, 1, 1, 1};
  ReleaseModel::Key model;
  unsigned threads = 1;
  std::string format = "text";
  bool power = false;
};

Status ReadCases(FileSystem& fs, const std::string& path, std::vector<Counts>* cases) {
  std::string bytes;
  if (Status s = ReadWholeFile(fs, path, kMaxCasesBytes, &bytes); !s.ok()) {
    return BadOption("--cases", s.message());
  }
  return ReadCasesText(bytes, path, cases);
}

// --history FILE with --games and optionally --pure-miss, or --history-cases FILE.
Status ParseHistory(const ParsedOptions& parsed, FileSystem& fs, EstimateCommand* command) {
  command->from_history = true;
  command->from_file = parsed.Has("history-cases");
  const std::vector<const char*> others = command->from_file
                                              ? std::vector<const char*>{"history",
                                                                         "games",
                                                                         "watched-from",
                                                                         "pure-miss",
                                                                         "stock",
                                                                         "setting-changed",
                                                                         "setting-changed-unknown"}
                                              : std::vector<const char*>{};
  for (const char* name : others) {
    if (parsed.Has(name)) return BadOption("--" + std::string(name), "not with --history-cases");
  }
  for (const char* name : {"big", "reg", "heaven", "cases", "runs", "seed"}) {
    if (parsed.Has(name)) {
      return BadOption("--" + std::string(name), "not with --history or --history-cases");
    }
  }
  std::string bytes;
  if (command->from_file) {
    if (Status s = ReadFileOf(fs, parsed, "history-cases", &bytes); !s.ok()) return s;
    return ReadHistoryCasesText(bytes, parsed.Value("history-cases"), &command->histories);
  }
  return ReadHistoryOptions(parsed, fs, &command->histories.emplace_back());
}

Status ParseEstimate(const ParsedOptions& parsed, FileSystem& fs, EstimateCommand* command) {
  if (parsed.Has("history") || parsed.Has("history-cases")) {
    if (Status s = ParseHistory(parsed, fs, command); !s.ok()) return s;
  } else if (parsed.Has("setting-changed-unknown")) {
    return BadOption("--setting-changed-unknown", "only with --history or --history-cases");
  }
  if (command->from_history) {
    if (parsed.Has("power")) return BadOption("--power", "not with --history or --history-cases");
  } else if (parsed.Has("cases")) {
    command->from_file = true;
    for (const char* name : {"games", "pure-miss", "big", "reg", "heaven"}) {
      if (parsed.Has(name)) return BadOption("--" + std::string(name), "not with --cases");
    }
    if (Status s = ReadCases(fs, parsed.Value("cases"), &command->cases); !s.ok()) return s;
  } else if (parsed.Has("games") || parsed.Has("pure-miss") || !parsed.Has("power")) {
    if (!parsed.Has("games")) return BadOption("--games", "is required: the games played");
    if (!parsed.Has("pure-miss"))
      return BadOption("--pure-miss", "is required: the pure misses counted");
    const CountsInputs counts{parsed.Value("games"), parsed.Value("pure-miss"), parsed.Value("big"),
                              parsed.Value("reg"), parsed.Value("heaven")};
    if (Status s = ValidateCounts(counts, &command->cases.emplace_back()); !s.ok()) return s;
  }
  ModelInputs inputs;
  if (!command->from_history) inputs.stock = parsed.Value("stock", inputs.stock);
  inputs.setting_changed = parsed.Has("setting-changed");
  inputs.prior = parsed.Value("prior", inputs.prior);
  inputs.runs = parsed.Value("runs", inputs.runs);
  inputs.seed = parsed.Value("seed");
  inputs.threads = parsed.Value("threads");
  ModelPlan plan;
  if (Status s = ValidateModelInputs(inputs, &plan); !s.ok()) return s;
  command->prior = plan.prior;
  command->format = parsed.Value("format", "text");
  if (command->format != "text" && command->format != "json") {
    return BadOption("--format", "text or json, not '" + Escaped(command->format) + "'");
  }
  if (command->from_file && command->format != "text") {
    return BadOption("--format",
                     command->from_history ? "--history-cases prints CSV" : "--cases prints CSV");
  }
  command->power = parsed.Has("power");
  int32_t games = command->power ? kPowerGames.back() : 0;
  for (const Counts& c : command->cases) games = std::max(games, c.games);
  command->model = {plan.start, games, plan.runs, plan.seed};
  command->threads = plan.threads;
  return Status::Ok();
}

bool NeedsModel(const EstimateCommand& command) {
  if (command.power) return true;
  for (const Counts& c : command.cases) {
    if (c.big) return true;
  }
  return false;
}

std::string Optional(const std::optional<int32_t>& value) {
  return value ? std::to_string(*value) : std::string();
}

std::string Percent(double p) { return FormatFixed(100 * p, 1) + "%"; }

// The six settings as bars, the most likely one and the two sums.
void PrintBars(std::ostream& out, const Posterior& p) {
  for (size_t s = 0; s < 6; ++s) {
    const int bar = static_cast<int>(std::lround(40 * p.probability[s]));
    out << "設定" << s + 1 << "  "
        << std::string(6 - std::min<size_t>(6, Percent(p.probability[s]).size()), ' ')
        << Percent(p.probability[s]) << "  " << std::string(static_cast<size_t>(bar), '#') << "\n";
  }
  out << "最も可能性が高い設定: " << p.most_likely << " ("
      << Percent(p.probability[static_cast<size_t>(p.most_likely - 1)])
      << ")\n設定4以上: " << Percent(p.p_4_or_more) << "\n設定5・6: " << Percent(p.p_5_or_6)
      << "\n";
}

void PrintOne(std::ostream& out, const EstimateCommand& command, const Counts& c,
              const Posterior& p) {
  if (command.format == "json") {
    out << FormatCountsJson(c, p);
    return;
  }
  out << "トビウオ号 設定判別 " << c.games << "P 純ハズレ" << c.pure_misses;
  if (c.big) out << " BIG" << *c.big << " REG" << *c.reg;
  if (c.heaven) out << " 天国" << *c.heaven;
  out << "\n";
  PrintBars(out, p);
}

void PrintHistory(std::ostream& out, const EstimateCommand& command, const HistoryCase& c,
                  const Posterior& p) {
  const History& h = c.history;
  const auto big = static_cast<int32_t>(
      std::count_if(h.releases.begin(), h.releases.end(), [](auto& r) { return r.big; }));
  const auto releases = static_cast<int32_t>(h.releases.size());
  if (command.format == "json") {
    out << FormatHistoryJson(c, p);
    return;
  }
  out << "トビウオ号 設定判別 (解除履歴) " << h.games << "P 解除" << releases << "回 (BIG" << big
      << " REG" << releases - big << ")";
  if (h.pure_misses) out << " 純ハズレ" << *h.pure_misses;
  out << "\n";
  PrintBars(out, p);
}

void PrintCases(std::ostream& out, const std::vector<Counts>& cases,
                const std::vector<Posterior>& posteriors) {
  out << kCountsCasesHeader << ",p1,p2,p3,p4,p5,p6,most_likely\n";
  for (size_t i = 0; i < cases.size(); ++i) {
    const Counts& c = cases[i];
    out << c.games << "," << c.pure_misses << "," << Optional(c.big) << "," << Optional(c.reg)
        << "," << Optional(c.heaven);
    for (double p : posteriors[i].probability) out << "," << ExactDouble(p);
    out << "," << posteriors[i].most_likely << "\n";
  }
}

void PrintPower(std::ostream& out, const std::vector<PowerRow>& rows,
                const std::vector<HistoryPowerRow>& history) {
  out << "設定判別の的中率 (最も可能性が高い設定 = 真の設定) と真の設定の平均確率\n"
         "設定    P数   純ハズレのみ      すべての回数      解除履歴\n";
  for (size_t i = 0; i < rows.size(); ++i) {
    const PowerRow& r = rows[i];
    char line[128];
    std::snprintf(line, sizeof line, "%4d %6d   %6s %6s    %6s %6s    %6s %6s\n", r.setting,
                  r.games, Percent(r.hit_pure).c_str(), Percent(r.mean_true_pure).c_str(),
                  Percent(r.hit_all).c_str(), Percent(r.mean_true_all).c_str(),
                  Percent(history[i].hit).c_str(), Percent(history[i].mean_true).c_str());
    out << line;
  }
}

// The history estimate: exact, with no simulated runs; the cases of a file on every thread.
int RunHistoryEstimate(const EstimateCommand& command, const ParsedOptions& parsed, CommandIo& io) {
  const std::vector<HistoryCase>& cases = command.histories;
  std::vector<Posterior> posteriors(cases.size());
  std::vector<Status> refusals(cases.size());
  Progress progress;
  const Status done =
      ParallelFor(cases.size(), command.threads, progress, [&](uint64_t i, unsigned /*worker*/) {
        refusals[i] =
            EstimateFromHistory(cases[i].history, cases[i].start, command.prior, &posteriors[i]);
      });
  if (!done.ok()) return kExitInterrupted;
  for (size_t i = 0; i < cases.size(); ++i) {
    if (refusals[i].ok()) continue;
    if (!command.from_file) {
      return Report(io.err,
                    AtReleaseLine(refusals[i], parsed.Value("history"), cases[i].release_lines));
    }
    return Report(io.err, BadOption("--history-cases", Escaped(parsed.Value("history-cases")) +
                                                           ":" + std::to_string(cases[i].line) +
                                                           ": " + refusals[i].message()));
  }
  if (!command.from_file) {
    PrintHistory(io.out, command, cases[0], posteriors[0]);
    return FinishOutput(io.out, io.err);
  }
  io.out << "games,releases,p1,p2,p3,p4,p5,p6,most_likely\n";
  for (size_t i = 0; i < cases.size(); ++i) {
    io.out << cases[i].history.games << "," << cases[i].history.releases.size();
    for (double p : posteriors[i].probability) io.out << "," << ExactDouble(p);
    io.out << "," << posteriors[i].most_likely << "\n";
  }
  return FinishOutput(io.out, io.err);
}

}  // namespace

Status ReadFileOf(FileSystem& fs, const ParsedOptions& parsed, const std::string& option,
                  std::string* bytes) {
  if (Status s = ReadWholeFile(fs, parsed.Value(option), kMaxCasesBytes, bytes); !s.ok()) {
    return BadOption("--" + option, s.message());
  }
  return Status::Ok();
}

Status ReadHistoryOptions(const ParsedOptions& parsed, FileSystem& fs, HistoryCase* c) {
  if (!parsed.Has("games")) return BadOption("--games", "is required: the games played");
  if (parsed.Has("setting-changed") && parsed.Has("setting-changed-unknown")) {
    return BadOption("--setting-changed-unknown", "not with --setting-changed");
  }
  HistoryInputs form;
  form.games = parsed.Value("games");
  form.watched_from = parsed.Value("watched-from");
  form.pure_misses = parsed.Value("pure-miss");
  form.stock = parsed.Value("stock", "20");
  form.setting_changed = parsed.Has("setting-changed");
  form.setting_changed_unknown = parsed.Has("setting-changed-unknown");
  if (parsed.Has("history")) {
    std::string bytes;
    if (Status s = ReadFileOf(fs, parsed, "history", &bytes); !s.ok()) return s;
    if (Status s =
            ReadHistoryText(bytes, parsed.Value("history"), &form.releases, &c->release_lines);
        !s.ok()) {
      return s;
    }
  }
  return AtReleaseLine(ValidateHistory(form, &c->history, &c->start), parsed.Value("history"),
                       c->release_lines);
}

std::span<const OptionSpec> EstimateOptionSpecs() { return kEstimateOptions; }

int RunEstimateCommand(const ParsedOptions& parsed, CommandIo& io) {
  std::ostream& out = io.out;
  std::ostream& err = io.err;
  EstimateCommand command;
  if (Status s = ParseEstimate(parsed, io.fs, &command); !s.ok()) return Report(err, s);
  if (command.from_history) return RunHistoryEstimate(command, parsed, io);
  err << "seed: " << command.model.seed << std::endl;
  ReleaseModel model, evaluation;
  const bool with_model = NeedsModel(command);
  if (with_model) {
    Progress progress;
    if (!ReleaseModel::Build(command.model, command.threads, progress, &model).ok()) {
      return kExitInterrupted;
    }
  }
  std::vector<Posterior> posteriors;
  bool unlike = false;
  for (const Counts& c : command.cases) {
    posteriors.push_back(Estimate(c, command.prior, with_model ? &model : nullptr));
    unlike |= posteriors.back().unlike_any_run;
  }
  if (unlike) {
    err << "tobiuo-sim: warning: the releases counted are unlike any simulated run; judged from "
           "the pure misses alone\n";
  }
  if (command.from_file) {
    PrintCases(out, command.cases, posteriors);
  } else if (!command.cases.empty()) {
    PrintOne(out, command, command.cases[0], posteriors[0]);
  }
  if (command.power) {
    ReleaseModel::Key key = command.model;
    key.seed = static_cast<uint32_t>(key.seed + key.runs);  // runs the model has not seen
    Progress progress;
    std::vector<PowerRow> rows;
    std::vector<HistoryPowerRow> history;
    const std::vector<int32_t> games(kPowerGames.begin(), kPowerGames.end());
    if (!ReleaseModel::Build(key, command.threads, progress, &evaluation).ok() ||
        !PowerTable(model, evaluation, command.prior, games, command.threads, progress, &rows)
             .ok() ||
        !HistoryPowerTable({{key.start.stock}, key.start.setting_changed}, command.prior, games,
                           key.runs, key.seed, command.threads, progress, &history)
             .ok()) {
      return kExitInterrupted;
    }
    PrintPower(out, rows, history);
  }
  return FinishOutput(out, err);
}

}  // namespace tobiuo
