// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/report.h"

namespace tobiuo {

std::vector<std::string> ReportLines(const RunRecord& record) {
  std::vector<std::string> lines;
  lines.reserve(1 + record.log.size() + record.summary.size());
  lines.push_back("トビウオ号 設定" + std::to_string(record.plan.setting));
  lines.insert(lines.end(), record.log.begin(), record.log.end());
  lines.insert(lines.end(), record.summary.begin(), record.summary.end());
  return lines;
}

std::string ReportText(const RunRecord& record) {
  std::string text;
  for (const std::string& line : ReportLines(record)) text.append(line).append("\r\n");
  return text.append("\r\n");
}

}  // namespace tobiuo
