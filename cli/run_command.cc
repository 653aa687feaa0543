// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/run_command.h"

#include <array>
#include <nlohmann/json.hpp>

#include "engine/report.h"
#include "io/cp932.h"
#include "io/file_output.h"

namespace tobiuo {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::array<OptionSpec, 10> kRunOptions = {{{"setting", OptionSpec::kText},
                                                     {"games", OptionSpec::kText},
                                                     {"rate", OptionSpec::kText},
                                                     {"stock", OptionSpec::kText},
                                                     {"setting-changed", OptionSpec::kFlag},
                                                     {"quit", OptionSpec::kText},
                                                     {"seed", OptionSpec::kText},
                                                     {"report", OptionSpec::kPath},
                                                     {"chart", OptionSpec::kPath},
                                                     {"format", OptionSpec::kText}}};

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

// The run for a program to read: what it was played with, the report's lines apart (the title,
// the event log, the summary) and the chart's rows.
Json RunJson(const RunRecord& record) {
  const RunPlan& plan = record.plan;
  Json chart = Json::array();
  for (size_t i = 0; i < record.chart.size(); ++i) {
    const ChartRow& row = record.chart[i];
    chart.push_back({{"row", i + 1},
                     {"label", row.label},
                     {"coin_diff", row.coin_diff ? Json(*row.coin_diff) : Json(nullptr)}});
  }
  return {{"seed", plan.seed},
          {"inputs",
           {{"setting", plan.setting},
            {"games", plan.games},
            {"rate", plan.rate},
            {"stock", plan.stock},
            {"setting_changed", plan.setting_changed},
            {"quit", plan.quit}}},
          {"end", record.end == RunEnd::kQuit ? "quit" : "done"},
          {"pure_misses", record.pure_misses()},
          {"title", ReportLines(record).front()},
          {"log", record.log},
          {"chart", std::move(chart)},
          {"summary", record.summary}};
}

}  // namespace

std::span<const OptionSpec> RunOptionSpecs() { return kRunOptions; }

int RunRunCommand(const ParsedOptions& options, CommandIo& io) {
  std::ostream& out = io.out;
  std::ostream& err = io.err;
  if (options.Has("report") && options.Value("report") == options.Value("chart")) {
    return Report(err, BadOption("--chart", "the same file as --report; give each its own"));
  }
  const std::string format = options.Value("format", "text");
  if (format != "text" && format != "json") {
    return Report(err, BadOption("--format", "text or json, not '" + Escaped(format) + "'"));
  }
  RunPlan plan;
  if (Status s = ValidateInputs(RunInputsFrom(options), &plan); !s.ok()) return Report(err, s);
  err << "seed: " << plan.seed << '\n';

  const RunRecord record = PlayRun(plan, Keep::kRecord);
  if (!record.finished()) return Report(err, Status::Aborted(record.abort_message));
  std::vector<FileToWrite> files;
  Status saved = FilesToWrite(options, record, &files);
  if (saved.ok()) saved = WriteFilesAtomically(io.fs, files);
  if (!saved.ok()) return Report(err, saved);
  if (format == "json") {
    out << RunJson(record).dump() << '\n';
  } else {
    for (const std::string& line : ReportLines(record)) out << line << '\n';
  }
  return FinishOutput(out, err);
}

std::string ChartCsv(const std::vector<ChartRow>& rows) {
  std::string csv = "row,label,coin_diff\n";
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::optional<int16_t>& diff = rows[i].coin_diff;
    csv += std::to_string(i + 1) + "," + CsvField(rows[i].label) + "," +
           (diff ? std::to_string(*diff) : "") + "\n";
  }
  return csv;
}

}  // namespace tobiuo
