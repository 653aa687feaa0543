// SPDX-License-Identifier: GPL-3.0-or-later

#include "formats/history_files.h"

#include <nlohmann/json.hpp>

#include "base/utf8.h"
#include "formats/csv.h"

namespace tobiuo {
namespace {

using Json = nlohmann::json;

constexpr const char* kHistoryHeader = "game,bonus,trigger";
constexpr size_t kMaxCaseDepth = 3;  // the case, its releases, a release

Status Refused(const std::string& option, const std::string& where, const std::string& what) {
  return Status::BadInput({}, option + ": " + where + ": " + what);
}

std::optional<bool> BonusNamed(std::string_view text) {
  if (text == "BIG") return true;
  if (text == "REG") return false;
  return std::nullopt;
}

// One release as written; its game's place in the run is CheckHistory's to judge, which names the
// release in the words the windows and the page use.
Status ReadHistoryLine(const std::string& line, HistoryRelease* release, std::string* what) {
  const std::vector<std::string> fields = CsvFields(line);
  if (fields.size() != 3) {
    *what = "項目は game,bonus,trigger の3つです";
    return Status::BadInput("history", *what);
  }
  int64_t game = 0;
  if (!ReadWholeField(fields[0], kHistoryField, INT32_MIN, INT32_MAX, &game).ok()) {
    *what = "ゲーム '" + Escaped(fields[0]) + "' は整数ではありません";
    return Status::BadInput("history", *what);
  }
  const std::optional<bool> big = BonusNamed(fields[1]);
  if (!big) {
    *what = "ボーナス '" + Escaped(fields[1]) + "' はBIGでもREGでもありません";
    return Status::BadInput("history", *what);
  }
  const std::optional<Trigger> trigger = TriggerNamed(fields[2]);
  if (!trigger || fields[2] != NameOf(*trigger).key) {
    *what =
        "契機 '" + Escaped(fields[2]) + "' はpure_miss、cherry、none、unknownのどれでもありません";
    return Status::BadInput("history", *what);
  }
  *release = {static_cast<int32_t>(game), *big, *trigger};
  return Status::Ok();
}

// A JSON value as a whole number from low to high, or a refusal naming the key.
int64_t WholeAt(const Json& value, const char* key, int64_t low, int64_t high) {
  if (!value.is_number_integer() || value.get<int64_t>() < low || value.get<int64_t>() > high) {
    throw std::invalid_argument(std::string("\"") + key + "\" must be a whole number from " +
                                std::to_string(low) + " to " + std::to_string(high));
  }
  return value.get<int64_t>();
}

HistoryCase CaseOf(const Json& json, bool value_case) {
  if (!json.is_object()) throw std::invalid_argument("a case is a JSON object");
  for (const auto& [key, value] : json.items()) {
    if (key != "games" && key != "pure_misses" && key != "stock" && key != "setting_changed" &&
        key != "releases" && key != "watched_from" && (!value_case || key != "more_games")) {
      throw std::invalid_argument("unknown key \"" + Escaped(key) + "\"");
    }
  }
  if (!json.contains("games") || !json.contains("releases")) {
    throw std::invalid_argument("\"games\" and \"releases\" are needed");
  }
  if (value_case && !json.contains("more_games")) {
    throw std::invalid_argument("\"more_games\" is needed");
  }
  HistoryCase c;
  c.history.games = static_cast<int32_t>(WholeAt(json["games"], "games", 1, kMaxGames));
  if (json.contains("watched_from")) {
    c.history.watched_from =
        static_cast<int32_t>(WholeAt(json["watched_from"], "watched_from", 1, c.history.games));
  }
  if (json.contains("pure_misses")) {
    c.history.pure_misses =
        static_cast<int32_t>(WholeAt(json["pure_misses"], "pure_misses", 0, c.history.games));
  }
  c.start.stocks = json.contains("stock") ? std::vector<int16_t>{static_cast<int16_t>(WholeAt(
                                                json["stock"], "stock", 0, kMaxInitialStock))}
                                          : UnknownStock();
  c.start.setting_changed = std::nullopt;
  if (json.contains("setting_changed")) {
    if (!json["setting_changed"].is_boolean()) {
      throw std::invalid_argument("\"setting_changed\" must be true or false");
    }
    c.start.setting_changed = json["setting_changed"].get<bool>();
  }
  const Json& releases = json["releases"];
  if (!releases.is_array()) throw std::invalid_argument("\"releases\" must be an array");
  for (size_t i = 0; i < releases.size(); ++i) {
    const Json& r = releases[i];
    const std::string which = "release " + std::to_string(i + 1);
    if (!r.is_array() || r.size() != 3 || !r[1].is_string() || !r[2].is_string()) {
      throw std::invalid_argument(which + " must be [game,\"BIG\"|\"REG\",trigger]");
    }
    if (!r[0].is_number_integer() || r[0].get<int64_t>() < INT32_MIN ||
        r[0].get<int64_t>() > INT32_MAX) {
      throw std::invalid_argument(which + ": game must be a whole number");
    }
    const std::optional<bool> big = BonusNamed(r[1].get<std::string>());
    const std::optional<Trigger> trigger = TriggerNamed(r[2].get<std::string>());
    if (!big) throw std::invalid_argument(which + ": the bonus is neither BIG nor REG");
    if (!trigger || r[2].get<std::string>() != NameOf(*trigger).key) {
      throw std::invalid_argument(which +
                                  ": the trigger is not pure_miss, cherry, none or unknown");
    }
    c.history.releases.push_back({static_cast<int32_t>(r[0].get<int64_t>()), *big, *trigger});
  }
  if (Status s = CheckHistory(c.history); !s.ok()) throw std::invalid_argument(s.message());
  if (value_case) {
    if (c.history.games >= kMaxGames) {
      throw std::invalid_argument("no games are left after game " + std::to_string(kMaxGames));
    }
    c.more_games = static_cast<int32_t>(
        WholeAt(json["more_games"], "more_games", 1, kMaxGames - c.history.games));
  }
  return c;
}

// Parses one line with a bound on the nesting, so that a hostile line is refused as it is read.
Json ParseCase(const std::string& line) {
  size_t depth = 0;
  const auto limit = [&depth](int /*depth*/, Json::parse_event_t event, Json& /*parsed*/) {
    using Event = Json::parse_event_t;
    if (event == Event::object_start || event == Event::array_start) {
      if (++depth > kMaxCaseDepth) throw std::invalid_argument("nested deeper than a case is");
    } else if (event == Event::object_end || event == Event::array_end) {
      --depth;
    }
    return true;
  };
  return Json::parse(line, limit);
}

}  // namespace

Status ReadHistoryText(std::string_view bytes, const std::string& name,
                       std::vector<HistoryRelease>* releases, std::vector<size_t>* release_lines) {
  const std::vector<std::string> lines = CsvLines(bytes);
  if (lines.empty() || lines[0] != kHistoryHeader) {
    return Refused("--history", Escaped(name) + ":1",
                   std::string("the header must be ") + kHistoryHeader);
  }
  std::vector<HistoryRelease> read;
  std::vector<size_t> at;
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    at.push_back(i + 1);
    std::string what;
    if (!ReadHistoryLine(lines[i], &read.emplace_back(), &what).ok()) {
      // the release is named as in every other refusal of a history, and the file's line
      return Status::BadInput(kHistoryField.key,
                              Escaped(name) + ":" + std::to_string(i + 1) + ": " +
                                  std::to_string(read.size()) + "件目の解除: " + what,
                              read.size());
    }
  }
  *releases = std::move(read);
  *release_lines = std::move(at);
  return Status::Ok();
}

Status AtReleaseLine(const Status& refusal, const std::string& name,
                     const std::vector<size_t>& release_lines) {
  const size_t item = refusal.item();
  if (refusal.ok() || item == 0 || item > release_lines.size()) return refusal;
  return refusal.At(name + ":" + std::to_string(release_lines[item - 1]));
}

Status ReadHistoryCasesText(std::string_view bytes, const std::string& name,
                            std::vector<HistoryCase>* cases, bool value_cases) {
  const char* option = value_cases ? "--cases" : "--history-cases";
  const std::vector<std::string> lines = CsvLines(bytes);
  std::vector<HistoryCase> read;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find_first_not_of(" \t") == std::string::npos) continue;
    const std::string where = Escaped(name) + ":" + std::to_string(i + 1);
    try {
      read.push_back(CaseOf(ParseCase(lines[i]), value_cases));
      read.back().line = i + 1;
    } catch (const Json::exception&) {
      return Refused(option, where, "not a JSON object on one line");
    } catch (const std::invalid_argument& e) {
      return Refused(option, where, e.what());
    }
  }
  *cases = std::move(read);
  return Status::Ok();
}

}  // namespace tobiuo
