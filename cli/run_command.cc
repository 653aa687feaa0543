// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/run_command.h"

#include <array>

#include "engine/report.h"
#include "io/cp932.h"
#include "io/file_output.h"

namespace tobiuo {
namespace {

constexpr std::array<OptionSpec, 9> kRunOptions = {{{"setting", OptionSpec::kText},
                                                    {"games", OptionSpec::kText},
                                                    {"rate", OptionSpec::kText},
                                                    {"stock", OptionSpec::kText},
                                                    {"setting-changed", OptionSpec::kFlag},
                                                    {"quit", OptionSpec::kText},
                                                    {"seed", OptionSpec::kText},
                                                    {"report", OptionSpec::kPath},
                                                    {"chart", OptionSpec::kPath}}};

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

}  // namespace

std::span<const OptionSpec> RunOptionSpecs() { return kRunOptions; }

int RunRunCommand(const ParsedOptions& options, CommandIo& io) {
  std::ostream& out = io.out;
  std::ostream& err = io.err;
  if (options.Has("report") && options.Value("report") == options.Value("chart")) {
    return Report(err, BadOption("--chart", "the same file as --report; give each its own"));
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
  for (const std::string& line : ReportLines(record)) out << line << '\n';
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
