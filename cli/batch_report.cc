// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/batch_report.h"

#include "io/file_output.h"

namespace tobiuo {

int PrintBatch(const BatchHeader& header, const std::string& format, const std::string& bands_path,
               const std::vector<SettingStats>& stats, CommandIo& io) {
  std::ostream& out = io.out;
  if (!bands_path.empty()) {
    const Status saved = WriteFilesAtomically(io.fs, {{bands_path, BandsCsv(stats)}});
    if (!saved.ok()) return Report(io.err, saved);
  }
  if (format == "json") {
    out << FormatBatchJson(header, stats);
  } else if (format == "csv") {
    out << FormatBatchCsv(stats);
  } else {
    out << FormatBatchText(header, stats);
  }
  return FinishOutput(out, io.err);
}

}  // namespace tobiuo
