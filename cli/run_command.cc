// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/run_command.h"

#include <array>

#include "engine/report.h"
#include "formats/run_output.h"
#include "io/cp932.h"
#include "io/file_output.h"

namespace tobiuo {
namespace {

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
    out << FormatRunJson(record);
  } else {
    for (const std::string& line : ReportLines(record)) out << line << '\n';
  }
  return FinishOutput(out, err);
}

}  // namespace tobiuo
