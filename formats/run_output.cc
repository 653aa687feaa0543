// SPDX-License-Identifier: GPL-3.0-or-later

#include "formats/run_output.h"

#include <nlohmann/json.hpp>

#include "engine/report.h"

namespace tobiuo {
namespace {

using Json = nlohmann::ordered_json;

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

}  // namespace

std::string FormatRunJson(const RunRecord& record) {
  const RunPlan& plan = record.plan;
  Json chart = Json::array();
  for (size_t i = 0; i < record.chart.size(); ++i) {
    const ChartRow& row = record.chart[i];
    chart.push_back({{"row", i + 1},
                     {"label", row.label},
                     {"coin_diff", row.coin_diff ? Json(*row.coin_diff) : Json(nullptr)}});
  }
  const Json json = {{"seed", plan.seed},
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
  return json.dump() + "\n";
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
