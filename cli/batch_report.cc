#include "cli/batch_report.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "base/number_text.h"
#include "base/utf8.h"
#include "cli/cli.h"
#include "io/file_output.h"

namespace tobiuo {
namespace {

using Json = nlohmann::ordered_json;

std::string PadLeft(const std::string& text, size_t width) {
  const size_t used = DisplayWidth(text);
  return std::string(used < width ? width - used : 0, ' ') + text;
}

struct Field {
  std::string name;
  std::string value;  // empty when the setting has no finished run
};

// The figures of one setting in output order, as exact numbers.
std::vector<Field> Fields(const SettingStats& s) {
  const bool any = s.valid_runs() > 0;
  const auto real = [any](double v) { return any ? ExactDouble(v) : std::string(); };
  const auto whole = [any](int64_t v) { return any ? std::to_string(v) : std::string(); };
  std::vector<Field> fields = {
      {"setting", std::to_string(s.setting)},
      {"runs", std::to_string(s.runs)},
      {"overflow_runs", std::to_string(s.overflow_runs)},
      {"games_bet", std::to_string(s.games_bet)},
      {"coins_in", std::to_string(s.coins_in)},
      {"coins_out", std::to_string(s.coins_out)},
      {"payout_ratio", real(s.payout_ratio)},
      {"payout_ratio_ci95_low", real(s.payout_ratio_low)},
      {"payout_ratio_ci95_high", real(s.payout_ratio_high)},
      {"coin_diff_mean", real(s.coin_diff_mean)},
      {"coin_diff_sd", real(s.coin_diff_sd)},
      {"coin_diff_min", whole(s.coin_diff_min)},
      {"coin_diff_max", whole(s.coin_diff_max)},
  };
  for (size_t i = 0; i < kPercentiles.size(); ++i) {
    fields.push_back({"coin_diff_p" + std::to_string(kPercentiles[i]), whole(s.percentiles[i])});
  }
  fields.push_back({"win_rate", real(s.win_rate)});
  fields.push_back({"balance_yen_mean", real(s.balance_yen_mean)});
  fields.push_back({"big_mean", real(s.big_mean)});
  fields.push_back({"reg_mean", real(s.reg_mean)});
  fields.push_back({"pure_miss_rate", real(s.pure_miss_rate)});
  fields.push_back({"cherry_release_rate", real(s.cherry_release_rate)});
  fields.push_back({"heaven_share", real(s.heaven_share)});
  fields.push_back({"releases_mean", real(s.releases_mean)});
  return fields;
}

// The JSON of one setting: the CSV's fields, the interval as a pair and the coin difference's
// figures gathered under "coin_diff". A figure without a finished run is null.
Json JsonSetting(const SettingStats& s) {
  const bool any = s.valid_runs() > 0;
  const auto real = [any](double v) { return any ? Json(v) : Json(nullptr); };
  const auto whole = [any](int v) { return any ? Json(v) : Json(nullptr); };
  Json coin_diff = {{"mean", real(s.coin_diff_mean)},
                    {"sd", real(s.coin_diff_sd)},
                    {"min", whole(s.coin_diff_min)},
                    {"max", whole(s.coin_diff_max)}};
  for (size_t i = 0; i < kPercentiles.size(); ++i) {
    coin_diff["p" + std::to_string(kPercentiles[i])] = whole(s.percentiles[i]);
  }
  return {{"setting", std::to_string(s.setting)},
          {"runs", s.runs},
          {"overflow_runs", s.overflow_runs},
          {"games_bet", s.games_bet},
          {"coins_in", s.coins_in},
          {"coins_out", s.coins_out},
          {"payout_ratio", real(s.payout_ratio)},
          {"payout_ratio_ci95", {real(s.payout_ratio_low), real(s.payout_ratio_high)}},
          {"coin_diff", std::move(coin_diff)},
          {"win_rate", real(s.win_rate)},
          {"balance_yen_mean", real(s.balance_yen_mean)},
          {"big_mean", real(s.big_mean)},
          {"reg_mean", real(s.reg_mean)},
          {"pure_miss_rate", real(s.pure_miss_rate)},
          {"cherry_release_rate", real(s.cherry_release_rate)},
          {"heaven_share", real(s.heaven_share)},
          {"releases_mean", real(s.releases_mean)}};
}

}  // namespace

std::string ExactDouble(double value) {
  if (!std::isfinite(value)) return "";
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? std::string(buffer, end) : std::string();
}

std::string FormatBatchJson(const BatchHeader& header, const std::vector<SettingStats>& stats) {
  Json settings = Json::array();
  for (const SettingStats& s : stats) settings.push_back(JsonSetting(s));
  Json json = {{"seed", header.seed}, {"runs", header.runs}};
  if (header.first_run != 0) json["first_run"] = header.first_run;
  json["games"] = header.games;
  json["settings"] = std::move(settings);
  return json.dump() + "\n";
}

std::string FormatBatchCsv(const std::vector<SettingStats>& stats) {
  std::string csv;
  for (size_t row = 0; row < stats.size(); ++row) {
    const std::vector<Field> fields = Fields(stats[row]);
    if (row == 0) {
      for (size_t i = 0; i < fields.size(); ++i) csv += (i ? "," : "") + fields[i].name;
      csv += "\n";
    }
    for (size_t i = 0; i < fields.size(); ++i) csv += (i ? "," : "") + fields[i].value;
    csv += "\n";
  }
  return csv;
}

std::string FormatBatchText(const BatchHeader& header, const std::vector<SettingStats>& stats) {
  const std::vector<std::string> titles = {"設定",     "機械割",   "95%区間", "平均差枚", "勝率",
                                           "5%",       "25%",      "50%",     "75%",      "95%",
                                           "平均収支", "純ハズレ", "天国率"};
  std::vector<std::vector<std::string>> rows = {titles};
  for (const SettingStats& s : stats) {
    if (s.valid_runs() == 0) {
      std::vector<std::string> row(titles.size(), "-");
      row[0] = std::to_string(s.setting);
      rows.push_back(row);
      continue;
    }
    std::vector<std::string> row = {
        std::to_string(s.setting), FormatFixed(100 * s.payout_ratio, 1) + "%",
        FormatFixed(100 * s.payout_ratio_low, 1) + "～" +
            FormatFixed(100 * s.payout_ratio_high, 1) + "%",
        FormatFixed(s.coin_diff_mean, 0), FormatFixed(100 * s.win_rate, 1) + "%"};
    for (int p : s.percentiles) row.push_back(std::to_string(p));
    row.push_back(FormatMoney(std::llround(s.balance_yen_mean)) + "円");
    row.push_back(FormatOneIn(s.pure_miss_rate));
    row.push_back(FormatFixed(100 * s.heaven_share, 1) + "%");
    rows.push_back(row);
  }
  std::vector<size_t> widths(titles.size(), 0);
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
    if (s.overflow_runs > 0) {
      text += "設定" + std::to_string(s.setting) + ": オーバーフローで終わった " +
              std::to_string(s.overflow_runs) + "回は集計から除外\n";
    }
  }
  return text;
}

int PrintBatch(const BatchHeader& header, const std::string& format, const std::string& bands_path,
               const std::vector<SettingStats>& stats, std::ostream& out, std::ostream& err) {
  if (!bands_path.empty()) {
    const Status saved = WriteFilesAtomically(RealFileSystem(), {{bands_path, BandsCsv(stats)}});
    if (!saved.ok()) return Report(err, saved);
  }
  if (format == "json") {
    out << FormatBatchJson(header, stats);
  } else if (format == "csv") {
    out << FormatBatchCsv(stats);
  } else {
    out << FormatBatchText(header, stats);
  }
  return FinishOutput(out, err);
}

}  // namespace tobiuo
