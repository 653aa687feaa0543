// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/value_command.h"

#include <array>
#include <cmath>

#include "analysis/value.h"
#include "base/number_text.h"
#include "base/utf8.h"
#include "cli/estimate_command.h"
#include "formats/value_output.h"

namespace tobiuo {
namespace {

constexpr std::array<OptionSpec, 18> kValueOptions = {
    {{"games", OptionSpec::kText},
     {"watched-from", OptionSpec::kText},
     {"pure-miss", OptionSpec::kText},
     {"stock", OptionSpec::kText},
     {"setting-changed", OptionSpec::kFlag},
     {"setting-changed-unknown", OptionSpec::kFlag},
     {"history", OptionSpec::kPath},
     {"prior", OptionSpec::kText},
     {"rate", OptionSpec::kText},
     {"coins", OptionSpec::kText},
     {"games-left", OptionSpec::kText},
     {"more", OptionSpec::kText},
     {"sit-at", OptionSpec::kText},
     {"draws", OptionSpec::kText},
     {"seed", OptionSpec::kText},
     {"threads", OptionSpec::kText},
     {"format", OptionSpec::kText},
     {"cases", OptionSpec::kPath}}};

constexpr int64_t kMostDraws = 1000000;

struct ValueCommand {
  ValueQuestion question;
  HistoryCase history;             // as read, with each release's line of its file
  std::vector<HistoryCase> cases;  // with --cases
  std::string cases_name;
  std::string format = "text";
};

Status ReadWhole(const ParsedOptions& parsed, const char* option, FieldName field, int64_t low,
                 int64_t high, int64_t* value) {
  return parsed.Has(option) ? ReadWholeField(parsed.Value(option), field, low, high, value)
                            : Status::Ok();
}

// The options besides the history: the money, the games left and asked for, the draws.
Status ParseQuestion(const ParsedOptions& parsed, int32_t games, ValueQuestion* q) {
  ModelInputs model;
  model.prior = parsed.Value("prior", model.prior);
  model.seed = parsed.Value("seed");
  model.threads = parsed.Value("threads");
  ModelPlan plan;
  if (Status s = ValidateModelInputs(model, &plan); !s.ok()) return s;
  q->prior = plan.prior;
  q->seed = plan.seed;
  q->threads = plan.threads;
  if (Status s = ReadRoundedField(parsed.Value("rate", "5"), kRateField, 1, INT16_MAX, &q->rate);
      !s.ok()) {
    return s;
  }
  int64_t coins = 0, left = kMaxGames - games, sit_at = kDefaultSitAt, draws = kDefaultDraws;
  Status s = ReadWhole(parsed, "coins", kCoinsField, 0, kMostCoinsInHand, &coins);
  if (s.ok()) s = ReadWhole(parsed, "games-left", kGamesLeftField, 1, kMaxGames, &left);
  if (s.ok()) s = ReadWhole(parsed, "sit-at", kSitAtField, 0, kMaxGames, &sit_at);
  if (s.ok()) s = ReadWhole(parsed, "draws", kDrawsField, 1, kMostDraws, &draws);
  if (parsed.every.count("more")) q->more.clear();
  for (const std::string& text :
       parsed.every.count("more") ? parsed.every.at("more") : std::vector<std::string>{}) {
    int64_t n = 0;
    if (s.ok()) s = ReadWholeField(text, kMoreField, 1, kMaxGames, &n);
    q->more.push_back(static_cast<int32_t>(n));
  }
  if (!s.ok()) return s;
  q->coins = static_cast<int16_t>(coins);
  q->games_left = static_cast<int32_t>(left);
  q->sit_at = static_cast<int32_t>(sit_at);
  q->draws = static_cast<int32_t>(draws);
  return Status::Ok();
}

Status ParseValue(const ParsedOptions& parsed, FileSystem& fs, ValueCommand* command) {
  command->format = parsed.Value("format", "text");
  if (command->format != "text" && command->format != "json" && command->format != "csv") {
    return BadOption("--format", "text, json or csv, not '" + Escaped(command->format) + "'");
  }
  if (parsed.Has("cases")) {
    for (const char* name : {"games", "watched-from", "pure-miss", "stock", "setting-changed",
                             "setting-changed-unknown", "history", "games-left", "more"}) {
      if (parsed.Has(name)) return BadOption("--" + std::string(name), "not with --cases");
    }
    if (parsed.Has("format")) return BadOption("--format", "--cases prints CSV");
    std::string bytes;
    command->cases_name = parsed.Value("cases");
    if (Status s = ReadFileOf(fs, parsed, "cases", &bytes); !s.ok()) return s;
    if (Status s = ReadHistoryCasesText(bytes, parsed.Value("cases"), &command->cases, true);
        !s.ok()) {
      return s;
    }
    return ParseQuestion(parsed, 0, &command->question);
  }
  HistoryCase& c = command->history;
  if (Status s = ReadHistoryOptions(parsed, fs, &c); !s.ok()) return s;
  command->question.history = c.history;
  command->question.start = c.start;
  return ParseQuestion(parsed, c.history.games, &command->question);
}

std::string Percent(double p) { return FormatFixed(100 * p, 1) + "%"; }
std::string Signed(double x) {
  const std::string digits = FormatMoney(std::llround(x));
  return x >= 0.5 ? "+" + digits : digits;
}

// A text padded with blanks to `width` terminal columns, on the right or (`right`) on the left.
std::string Pad(const std::string& text, size_t width, bool right = true) {
  const size_t used = DisplayWidth(text);
  const std::string blanks(width > used ? width - used : 0, ' ');
  return right ? blanks + text : text + blanks;
}

void PrintText(std::ostream& out, const ValueQuestion& q, const ValueAnswer& a) {
  const History& h = q.history;
  out << "トビウオ号 期待値とヤメ時 " << h.games << "P 解除" << h.releases.size() << "回 ハマり"
      << a.hamari << "G  換金率" << q.rate << "枚 持ちコイン" << q.coins << "枚 閉店まで"
      << q.games_left << "G\n設定:";
  for (size_t s = 0; s < 6; ++s) out << " " << s + 1 << "=" << Percent(a.posterior.probability[s]);
  out << "\nいま: ストック空 " << Percent(a.now.stock_empty) << "  天国 " << Percent(a.now.heaven)
      << " (正確)\n";
  constexpr size_t kName = 42;
  out << Pad("ルール", kName + 2, false) << Pad("期待差枚", 13) << Pad("期待収支", 22)
      << Pad("プラス確率", 11) << Pad("平均G", 7) << "  差枚5%～95%\n";
  for (size_t i = 0; i < a.rules.size(); ++i) {
    const RuleValue& r = a.rules[i];
    out << (i == a.best ? "* " : "  ") << Pad(RuleName(r, q), kName, false)
        << Pad(Signed(r.coins) + " ± " + FormatFixed(r.coins_se, 0), 13)
        << Pad(Signed(r.yen) + "円 ± " + FormatMoney(std::llround(r.yen_se)) + "円", 22)
        << Pad(Percent(r.p_plus), 11) << Pad(FormatFixed(r.mean_games, 0), 7) << "  "
        << Signed(r.coins_p5) << "～" << Signed(r.coins_p95) << "\n";
  }
  const RuleValue& best = a.rules[a.best];
  out << "最良: " << RuleName(best, q) << " (期待収支 " << Signed(best.yen) << "円、次点より "
      << Signed(a.lead) << " ± " << FormatMoney(std::llround(a.lead_se)) << "円)\n"
      << "期待値は同じ状態の台を何度も打った平均です。1回の差枚は5%～95%の幅に散らばります (設定、"
         "ストック空・天国の確率は正確、差枚と収支は"
      << a.draws << "回の試行から)。\n";
}

int RunCases(const ValueCommand& command, CommandIo& io) {
  const std::vector<HistoryCase>& cases = command.cases;
  std::vector<ValueAnswer> answers(cases.size());
  std::vector<Status> refusals(cases.size());
  Progress progress;
  const Status done =
      ParallelFor(cases.size(), command.question.threads, progress, [&](uint64_t i, unsigned) {
        ValueQuestion q = command.question;
        q.history = cases[i].history;
        q.start = cases[i].start;
        q.games_left = cases[i].more_games;
        q.more.clear();
        q.streak_rules = false;
        q.seed = static_cast<uint32_t>(command.question.seed + i);
        q.threads = 1;
        Progress own;
        refusals[i] = ValueOfPlaying(q, own, &answers[i]);
      });
  if (!done.ok()) return kExitInterrupted;
  for (size_t i = 0; i < cases.size(); ++i) {
    if (refusals[i].ok()) continue;
    return Report(io.err, BadOption("--cases", Escaped(command.cases_name) + ":" +
                                                   std::to_string(cases[i].line) + ": " +
                                                   refusals[i].message()));
  }
  io.out << kValueCasesHeader << "\n";
  for (size_t i = 0; i < cases.size(); ++i) io.out << ValueCaseLine(cases[i], answers[i]);
  return FinishOutput(io.out, io.err);
}

}  // namespace

std::span<const OptionSpec> ValueOptionSpecs() { return kValueOptions; }

int RunValueCommand(const ParsedOptions& parsed, CommandIo& io) {
  ValueCommand command;
  if (Status s = ParseValue(parsed, io.fs, &command); !s.ok()) return Report(io.err, s);
  io.err << "seed: " << command.question.seed << std::endl;
  if (parsed.Has("cases")) return RunCases(command, io);
  ValueAnswer answer;
  Progress progress;
  if (Status s = ValueOfPlaying(command.question, progress, &answer); !s.ok()) {
    if (s.code() == Status::Code::kAborted) {
      io.err << "tobiuo-sim: " << s.message() << "\n";
      return kExitOverflow;
    }
    return Report(io.err, AtReleaseLine(s, parsed.Value("history"), command.history.release_lines));
  }
  if (command.format == "json") {
    io.out << FormatValueJson(command.question, answer);
  } else if (command.format == "csv") {
    io.out << FormatValueCsv(command.question, answer);
  } else {
    PrintText(io.out, command.question, answer);
  }
  return FinishOutput(io.out, io.err);
}

}  // namespace tobiuo
