// SPDX-License-Identifier: GPL-3.0-or-later

#include "formats/batch_output.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string_view>
#include <utility>

#include "base/number_text.h"
#include "base/utf8.h"

namespace tobiuo {
namespace {

using Json = nlohmann::ordered_json;

std::string PadLeft(const std::string& text, size_t width) {
  const size_t used = DisplayWidth(text);
  return std::string(used < width ? width - used : 0, ' ') + text;
}

// The JSON of one setting: every figure at its place, null when it has no value.
Json JsonSetting(const SettingStats& s) {
  Json json = Json::object();
  for (const FigureSpec& spec : kFigures) {
    Json& place = json[Json::json_pointer(spec.json)];
    std::visit(
        [&place](const auto& v) {
          if constexpr (std::is_same_v<std::decay_t<decltype(v)>, std::monostate>) {
            place = nullptr;
          } else {
            place = v;
          }
        },
        s[spec.id]);
  }
  return json;
}

// The window's table as players read it: each column's key, title and meaning, and each
// setting's cells in the window's formats, so that a page shows what the window shows.
Json JsonTable(const std::vector<SettingStats>& stats) {
  const std::vector<const FigureSpec*> columns = Columns(&FigureSpec::window_column);
  Json heads = Json::array();
  for (const FigureSpec* spec : columns) {
    heads.push_back({{"key", spec->key}, {"title", spec->title}, {"meaning", spec->meaning}});
  }
  Json rows = Json::array();
  for (const SettingStats& s : stats) {
    Json cells = Json::array();
    for (const FigureSpec* spec : columns) cells.push_back(FigureText(s, *spec));
    rows.push_back(std::move(cells));
  }
  return {{"columns", std::move(heads)}, {"rows", std::move(rows)}};
}

}  // namespace

std::string BatchCommandLine(const BatchOptions& o) {
  std::string settings;
  for (int s : o.settings) settings += (settings.empty() ? "" : ",") + std::to_string(s);
  // A flag's value is "yes"; an empty value leaves the option out.
  const std::pair<std::string_view, std::string> options[] = {
      {"runs", std::to_string(o.runs)},
      {"first-run", o.first_run != 0 ? std::to_string(o.first_run) : ""},
      {"batch-runs", o.batch_runs != 0 ? std::to_string(o.batch_runs) : ""},
      {"settings", settings},
      {"games", std::to_string(o.plan.games)},
      {"rate", std::to_string(o.plan.rate)},
      {"stock", std::to_string(o.plan.stock)},
      {"setting-changed", o.plan.setting_changed ? "yes" : ""},
      {"quit", o.plan.quit != 0 ? ExactDouble(o.plan.quit) : ""},
      {"seed", std::to_string(o.seed)}};
  std::string line = "tobiuo-sim batch";
  for (const auto& [name, value] : options) {
    if (value.empty()) continue;
    line += " --" + std::string(name);
    if (value != "yes") line += " " + value;
  }
  return line;
}

std::string FormatBatchPlanJson(const BatchOptions& options) {
  const Json json = {{"runs", options.runs},         {"first_run", options.first_run},
                     {"settings", options.settings}, {"games", options.plan.games},
                     {"seed", options.seed},         {"command_line", BatchCommandLine(options)}};
  return json.dump() + "\n";
}

std::string FormatBatchJson(const BatchHeader& header, const std::vector<SettingStats>& stats) {
  Json settings = Json::array();
  for (const SettingStats& s : stats) settings.push_back(JsonSetting(s));
  Json json = {{"seed", header.seed}, {"runs", header.runs}};
  if (header.first_run != 0) json["first_run"] = header.first_run;
  json["games"] = header.games;
  json["settings"] = std::move(settings);
  json["table"] = JsonTable(stats);
  return json.dump() + "\n";
}

std::string FormatBatchCsv(const std::vector<SettingStats>& stats) {
  std::string csv;
  for (const FigureSpec& spec : kFigures) csv += (csv.empty() ? "" : ",") + std::string(spec.key);
  csv += "\n";
  for (const SettingStats& s : stats) {
    for (const FigureSpec& spec : kFigures) {
      csv += (&spec == kFigures.data() ? "" : ",") + ExactText(s[spec.id]);
    }
    csv += "\n";
  }
  return csv;
}

std::string FormatBatchText(const BatchHeader& header, const std::vector<SettingStats>& stats) {
  const std::vector<const FigureSpec*> columns = Columns(&FigureSpec::text_column);
  std::vector<std::vector<std::string>> rows(1);
  for (const FigureSpec* spec : columns) rows[0].push_back(spec->text_title);
  for (const SettingStats& s : stats) {
    std::vector<std::string>& row = rows.emplace_back();
    for (const FigureSpec* spec : columns) row.push_back(FigureText(s, *spec));
  }
  std::vector<size_t> widths(columns.size(), 0);
  for (const auto& row : rows) {
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], DisplayWidth(row[i]));
  }
  std::string text = "トビウオ号 " + std::to_string(header.runs) + "回 × " +
                     std::to_string(header.games) + "P  seed " + std::to_string(header.seed);
  if (header.first_run != 0) {
    text += "  runs " + std::to_string(header.first_run) + "～" +
            std::to_string(header.first_run + header.runs - 1);
  }
  text += "\n";
  for (const auto& row : rows) {
    for (size_t i = 0; i < row.size(); ++i) text += (i ? "  " : "") + PadLeft(row[i], widths[i]);
    text += "\n";
  }
  for (const SettingStats& s : stats) {
    if (const int64_t overflows = s.Whole(Figure::kOverflowRuns); overflows > 0) {
      text += "設定" + std::to_string(s.setting) + ": オーバーフローで終わった " +
              std::to_string(overflows) + "回は集計から除外\n";
    }
  }
  return text;
}

}  // namespace tobiuo
