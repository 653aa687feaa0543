// SPDX-License-Identifier: GPL-3.0-or-later

#include "formats/partial.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string_view>
#include <tuple>

#include "base/crc32.h"
#include "base/utf8.h"
#include "base/version.h"

namespace tobiuo {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kFormatName = "tobiuo-partial";

std::string Decimal(Int128 value) {
  if (value == 0) return "0";
  const bool negative = value < 0;
  std::string digits;
  while (value != 0) {
    const int digit = static_cast<int>(value % 10);
    digits.push_back(static_cast<char>('0' + (negative ? -digit : digit)));
    value /= 10;
  }
  if (negative) digits.push_back('-');
  std::reverse(digits.begin(), digits.end());
  return digits;
}

// A histogram as its first value and the counts from there on, a negative entry -k standing for
// k values not seen: dense where the runs are, short where they thin out.
Json HistogramJson(const GrowingHistogram& histogram) {
  Json counts = Json::array();
  int first = 0, next = 0;
  histogram.ForEach([&](int value, uint64_t count) {
    if (counts.empty()) first = next = value;
    if (value > next) counts.push_back(-static_cast<int64_t>(value - next));
    counts.push_back(count);
    next = value + 1;
  });
  return {{"first", first}, {"counts", std::move(counts)}};
}

// The sums in the order of the table; those that may pass 2^63 as decimal strings.
Json SumsJson(const BatchSums& sums) {
  Json json = Json::object();
  for (const SumSpec& spec : kSums) {
    const Int128 value = sums[spec.id];
    if (spec.wide) {
      json[spec.key] = Decimal(value);
    } else {
      json[spec.key] = static_cast<int64_t>(value);
    }
  }
  return json;
}

Json OptionsJson(const BatchOptions& o) {
  return {{"games", o.plan.games}, {"rate", o.plan.rate},
          {"stock", o.plan.stock}, {"setting_changed", o.plan.setting_changed},
          {"quit", o.plan.quit},   {"settings", o.settings},
          {"seed", o.seed}};
}

// A refusal found while reading a partial.
struct Untrusted : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A partial nests five levels deep; its longest arrays are a histogram's counts, at most one entry
// a value and one a gap between values.
constexpr size_t kMaxDepth = 8;
constexpr size_t kMaxArrayEntries = 2 * 65536;
constexpr size_t kMaxDecimalDigits = 38;  // every such number fits 128 bits
constexpr const char* kChecksumKey = ",\"checksum\":\"crc32:";

std::string Crc32Hex(std::string_view bytes) {
  const uint32_t crc = Crc32(bytes);
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08lx", static_cast<unsigned long>(crc));
  return hex;
}

Int128 ParseDecimal(const Json& json, const std::string& what) {
  const std::string* text = json.get_ptr<const std::string*>();
  const bool negative = text && !text->empty() && (*text)[0] == '-';
  const size_t digits = text ? text->size() - (negative ? 1 : 0) : 0;
  if (digits == 0 || digits > kMaxDecimalDigits) {
    throw Untrusted(what + " must be a decimal string of at most 38 digits");
  }
  Int128 v = 0;
  for (size_t i = negative ? 1 : 0; i < text->size(); ++i) {
    if ((*text)[i] < '0' || (*text)[i] > '9') throw Untrusted(what + " must be a decimal string");
    v = v * 10 + ((*text)[i] - '0');
  }
  return negative ? -v : v;
}

// A whole number from `low` to `high`, written as one (not 1.0, not "1").
int64_t Whole(const Json& json, const std::string& what, int64_t low, int64_t high) {
  bool fits = false;
  int64_t value = 0;
  if (json.is_number_unsigned()) {
    const auto u = json.get<uint64_t>();
    fits = u <= static_cast<uint64_t>(high);
    value = static_cast<int64_t>(fits ? u : 0);
  } else if (json.is_number_integer()) {
    value = json.get<int64_t>();
    fits = value <= high;
  }
  if (!fits || value < low) {
    throw Untrusted(what + " must be a whole number from " + std::to_string(low) + " to " +
                    std::to_string(high));
  }
  return value;
}

const Json& At(const Json& json, const char* key, const std::string& where) {
  if (!json.is_object() || !json.contains(key)) throw Untrusted(where + " has no \"" + key + "\"");
  return json.at(key);
}

const Json& ArrayAt(const Json& json, const char* key, const std::string& where) {
  const Json& array = At(json, key, where);
  if (!array.is_array()) throw Untrusted(where + "'s \"" + key + "\" must be an array");
  return array;
}

// A histogram's counts as parsed: zigzag varints in a binary value, which no JSON text can hold,
// so that a long histogram takes about a byte an entry (see Parse).
void PutCount(int64_t c, std::vector<uint8_t>* bytes) {
  uint64_t z = (static_cast<uint64_t>(c) << 1) ^ static_cast<uint64_t>(c >> 63);
  for (; z >= 0x80; z >>= 7) bytes->push_back(static_cast<uint8_t>(z | 0x80));
  bytes->push_back(static_cast<uint8_t>(z));
}

template <typename F>
void ForEachCount(const std::vector<uint8_t>& bytes, F f) {
  for (size_t i = 0; i < bytes.size();) {
    uint64_t z = 0;
    for (int shift = 0; i < bytes.size(); shift += 7) {
      const uint8_t b = bytes[i++];
      z |= static_cast<uint64_t>(b & 0x7F) << shift;
      if (!(b & 0x80)) break;
    }
    f(static_cast<int64_t>(z >> 1) ^ -static_cast<int64_t>(z & 1));
  }
}

// What the sums are checked against, of the final coin differences.
struct HistogramFacts {
  Int128 sum = 0, squares = 0, above_zero = 0;
};

// Reads a histogram whose counts must add up to `total`, each value one that `games` games can
// give (they cost 3 coins each).
HistogramFacts ReadHistogram(const Json& json, const std::string& what, uint64_t total,
                             int32_t games, GrowingHistogram* histogram) {
  const int64_t least = std::max<int64_t>(INT16_MIN, -int64_t{kBet} * games);
  int64_t value = Whole(At(json, "first", what), what + ".first", least, INT16_MAX);
  const Json& counts = At(json, "counts", what);
  if (!counts.is_binary()) throw Untrusted(what + "'s \"counts\" must be an array");
  HistogramFacts facts;
  uint64_t seen = 0;
  ForEachCount(counts.get_binary(), [&](int64_t c) {
    if (c < 0) {
      value -= c;
      return;
    }
    if (value > INT16_MAX) throw Untrusted(what + " holds a value past 16 bits");
    histogram->Add(static_cast<int>(value), static_cast<uint64_t>(c));
    seen += static_cast<uint64_t>(c);
    facts.sum += Int128{value} * c;
    facts.squares += Int128{value} * value * c;
    if (value > 0) facts.above_zero += c;
    ++value;
  });
  if (seen != total) {
    throw Untrusted(what + " counts " + std::to_string(seen) + " runs, not " +
                    std::to_string(total));
  }
  return facts;
}

// The sums as written, before they are checked.
BatchSums ReadRawSums(const Json& json, const std::string& what) {
  BatchSums sums;
  for (const SumSpec& spec : kSums) {
    const std::string name = what + ".sums." + spec.key;
    const Json& value = At(json, spec.key, what + ".sums");
    sums[spec.id] =
        spec.wide ? ParseDecimal(value, name) : Whole(value, name, INT64_MIN, INT64_MAX);
  }
  return sums;
}

// Every sum within the range its table row declares, in the table's order (a range may use the
// sums before it).
void CheckSums(const SumLimits& limits, const std::string& what) {
  for (const SumSpec& spec : kSums) {
    const SumRange range = spec.range(limits);
    const Int128 value = limits.sums[spec.id];
    if (value < range.low || value > range.high) {
      throw Untrusted(what + ".sums." + spec.key + " is " + Decimal(value) + ", outside " +
                      Decimal(range.low) + "～" + Decimal(range.high) +
                      ", what its runs and games allow");
    }
  }
}

void ReadOptions(const Json& json, BatchOptions* o) {
  const std::string where = "options";
  o->plan.games = static_cast<int32_t>(Whole(At(json, "games", where), "games", 1, kMaxGames));
  o->plan.rate = static_cast<int16_t>(Whole(At(json, "rate", where), "rate", 1, INT16_MAX));
  o->plan.stock =
      static_cast<int16_t>(Whole(At(json, "stock", where), "stock", 0, kMaxInitialStock));
  const Json& changed = At(json, "setting_changed", where);
  const Json& quit = At(json, "quit", where);
  if (!changed.is_boolean()) throw Untrusted("setting_changed must be true or false");
  if (!quit.is_number() || !std::isfinite(quit.get<double>()))
    throw Untrusted("quit must be a number");
  o->plan.setting_changed = changed.get<bool>();
  o->plan.quit = quit.get<double>();
  o->seed = static_cast<uint32_t>(Whole(At(json, "seed", where), "seed", 0, UINT32_MAX));
  o->settings.clear();
  for (const Json& setting : ArrayAt(json, "settings", where)) {
    const int s = static_cast<int>(Whole(setting, "settings", 1, 6));
    if (std::find(o->settings.begin(), o->settings.end(), s) != o->settings.end()) {
      throw Untrusted("settings name setting " + std::to_string(s) + " twice");
    }
    o->settings.push_back(s);
  }
  if (o->settings.empty()) throw Untrusted("settings is empty");
}

// Checks the checksum and the framing before anything is parsed.
std::string_view Checked(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);  // a byte order mark
  const size_t at = bytes.rfind(kChecksumKey);
  const std::string_view tail = at == std::string_view::npos ? "" : bytes.substr(at);
  const size_t key = std::string_view(kChecksumKey).size();
  if (tail.size() < key + 10 || tail.substr(key + 8, 2) != "\"}" ||
      tail.substr(key + 10).find_first_not_of("\r\n") != std::string_view::npos) {
    throw Untrusted(
        "no checksum at its end: a partial of an older format, or damaged; re-run the "
        "shard with this program");
  }
  if (tail.substr(key, 8) != Crc32Hex(bytes.substr(0, at))) {
    throw Untrusted("the checksum does not match: the file was damaged or edited");
  }
  return bytes;
}

// The keys a partial holds; any other is refused as it is read.
bool KnownKey(const std::string& key) {
  static const std::vector<std::string> kKeys = [] {
    std::vector<std::string> keys = {"format",     "format_version", "program_version",
                                     "options",    "first_run",      "runs",
                                     "batch_runs", "settings",       "games",
                                     "rate",       "stock",          "setting_changed",
                                     "quit",       "seed",           "setting",
                                     "sums",       "final",          "rows",
                                     "first",      "counts",         "checksum"};
    for (const SumSpec& spec : kSums) keys.emplace_back(spec.key);
    return keys;
  }();
  return std::find(kKeys.begin(), kKeys.end(), key) != kKeys.end();
}

// Parses with a bound on the nesting and on every array's length, refusing unknown keys, so that
// a hostile file is refused while it is read. A histogram's counts are checked as they come
// (whole numbers, no count of 0, no two gaps in a row: at most two entries a value seen) and kept
// as a binary value, not as a JSON array: merge then takes about the file's size per shard.
Json Parse(std::string_view bytes) {
  struct Open {
    bool object = false;
    bool counts = false;  // a histogram's counts
    size_t entries = 0;
    size_t most = 0;  // entries an array of its key can hold
    std::string key;
    std::vector<uint8_t> packed;
    bool gap = false;  // the last count was a gap
  };
  std::vector<Open> open;
  std::string key;  // the last key read
  const auto limit = [&](int /*depth*/, Json::parse_event_t event, Json& parsed) {
    using Event = Json::parse_event_t;
    switch (event) {
      case Event::key:
        key = parsed.get<std::string>();
        if (!KnownKey(key)) throw Untrusted("an unknown key \"" + Escaped(key) + "\"");
        return true;
      case Event::object_start:
      case Event::array_start: {
        if (!open.empty() && open.back().counts) throw Untrusted("counts hold only numbers");
        const bool keyed = !open.empty() && open.back().object;
        if (!open.empty() && !open.back().object && ++open.back().entries > open.back().most) {
          throw Untrusted("an array longer than a partial's \"" + open.back().key + "\" can be");
        }
        Open& opened = open.emplace_back();
        opened.object = event == Event::object_start;
        opened.counts = event == Event::array_start && keyed && key == "counts";
        opened.key = keyed ? key : "";
        // a histogram's counts; a setting's chart rows; the settings, six at most
        opened.most = opened.counts   ? kMaxArrayEntries
                      : key == "rows" ? static_cast<size_t>(ChartRowsFor(kMaxGames))
                                      : 6;
        if (open.size() > kMaxDepth) throw Untrusted("nested deeper than a partial is");
        return true;
      }
      case Event::object_end:
        open.pop_back();
        return true;
      case Event::array_end: {
        Open done = std::move(open.back());
        open.pop_back();
        if (done.counts) parsed = Json::binary(std::move(done.packed));
        return true;
      }
      case Event::value:
        if (open.empty()) return true;
        if (!open.back().object && ++open.back().entries > open.back().most) {
          throw Untrusted("an array longer than a partial's \"" + open.back().key + "\" can be");
        }
        if (open.back().counts) {
          Open& counts = open.back();
          const int64_t c = Whole(parsed, "a histogram's counts", -65536, UINT32_MAX);
          if (c == 0 || (c < 0 && counts.gap)) {
            throw Untrusted("a histogram's counts hold a 0 or two gaps in a row");
          }
          counts.gap = c < 0;
          PutCount(c, &counts.packed);
          return false;  // kept packed, not in the document
        }
        return true;
    }
    return true;
  };
  return Json::parse(bytes.begin(), bytes.end(), limit);
}

void ReadDocument(const Json& json, Partial* partial) {
  if (At(json, "format", "the file") != kFormatName) throw Untrusted("not a batch partial");
  const int64_t format =
      Whole(At(json, "format_version", "the file"), "format_version", 0, INT32_MAX);
  if (format != kPartialFormatVersion) {
    throw Untrusted("a partial of format " + std::to_string(format) +
                    ", this program reads format " + std::to_string(kPartialFormatVersion) +
                    "; re-run the shard with this program");
  }
  const Json& version = At(json, "program_version", "the file");
  if (version != kProgramVersion) {
    throw Untrusted("a partial of program version " + version.dump() + ", not " + kProgramVersion +
                    ": its runs may differ; re-run the shard with this version");
  }
  BatchOptions& o = partial->options;
  ReadOptions(At(json, "options", "the file"), &o);
  o.first_run =
      static_cast<uint64_t>(Whole(At(json, "first_run", "the file"), "first_run", 0, UINT32_MAX));
  o.runs = static_cast<uint64_t>(Whole(At(json, "runs", "the file"), "runs", 1, kMaxBatchRuns));
  if (json.contains("batch_runs")) {
    o.batch_runs = static_cast<uint64_t>(
        Whole(json.at("batch_runs"), "batch_runs", 1, int64_t{UINT32_MAX} + kMaxBatchRuns));
    if (o.first_run + o.runs > o.batch_runs) {
      throw Untrusted("runs " + std::to_string(o.first_run) + "～" +
                      std::to_string(o.first_run + o.runs - 1) + " lie outside its batch of " +
                      std::to_string(o.batch_runs) + " runs");
    }
  }
  const Json& settings = ArrayAt(json, "settings", "the file");
  if (settings.size() != o.settings.size()) throw Untrusted("settings do not match the options");
  const size_t rows = static_cast<size_t>(ChartRowsFor(o.plan.games));
  for (size_t i = 0; i < settings.size(); ++i) {
    const Json& setting = settings[i];
    SettingTally& tally = partial->tallies.emplace_back();
    tally.setting = static_cast<int>(Whole(At(setting, "setting", "a setting"), "setting", 1, 6));
    if (tally.setting != o.settings[i]) throw Untrusted("settings do not match the options");
    const std::string what = "setting " + std::to_string(tally.setting);
    tally.sums = ReadRawSums(At(setting, "sums", what), what);
    const Int128 claimed = tally.sums[Sum::kRuns];
    if (claimed < 0 || claimed > static_cast<Int128>(o.runs)) {
      throw Untrusted(what + ".sums.runs does not fit the runs");
    }
    const auto finished = static_cast<uint64_t>(claimed);
    const HistogramFacts final_diffs = ReadHistogram(At(setting, "final", what), what + ".final",
                                                     finished, o.plan.games, &tally.final_diffs);
    CheckSums({static_cast<Int128>(o.runs), o.plan.games, o.plan.rate, tally.sums, final_diffs.sum,
               final_diffs.squares, final_diffs.above_zero},
              what);
    const Json& row_list = ArrayAt(setting, "rows", what);
    if (row_list.size() != rows) {
      throw Untrusted(what + " has " + std::to_string(row_list.size()) + " chart rows, not " +
                      std::to_string(rows));
    }
    for (size_t r = 0; r < rows; ++r) {
      (void)ReadHistogram(row_list[r], what + ".rows[" + std::to_string(r) + "]", finished,
                          o.plan.games, &tally.rows.emplace_back());
    }
  }
}

}  // namespace

Status ReadPartial(const std::string& bytes, Partial* partial) {
  Partial read;
  try {
    ReadDocument(Parse(Checked(bytes)), &read);
  } catch (const Untrusted& e) {
    return Status::BadInput({}, e.what());
  } catch (const std::exception& e) {  // the parser's own errors
    return Status::BadInput({}, std::string("malformed: ") + e.what());
  }
  *partial = std::move(read);
  return Status::Ok();
}

std::string SealPartial(std::string body) {
  const std::string crc = Crc32Hex(body);
  return body + kChecksumKey + crc + "\"}\n";
}

std::string PartialJson(const BatchOptions& options, const std::vector<SettingTally>& tallies) {
  Json settings = Json::array();
  for (const SettingTally& tally : tallies) {
    Json rows = Json::array();
    for (const GrowingHistogram& row : tally.rows) rows.push_back(HistogramJson(row));
    settings.push_back({{"setting", tally.setting},
                        {"sums", SumsJson(tally.sums)},
                        {"final", HistogramJson(tally.final_diffs)},
                        {"rows", std::move(rows)}});
  }
  Json json = {{"format", kFormatName},
               {"format_version", kPartialFormatVersion},
               {"program_version", kProgramVersion},
               {"options", OptionsJson(options)},
               {"first_run", options.first_run},
               {"runs", options.runs}};
  if (options.batch_runs != 0) json["batch_runs"] = options.batch_runs;
  json["settings"] = std::move(settings);
  std::string text = json.dump();
  text.pop_back();  // the closing brace: the checksum is the last key
  return SealPartial(std::move(text));
}

}  // namespace tobiuo
