#include "cli/partial.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

#include "base/version.h"
#include "cli/batch_report.h"
#include "io/file_input.h"

namespace tobiuo {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kFormatName = "tobiuo-partial";
// A partial of 20000 runs per setting at 8000 games takes about 2 MB a setting; far larger files
// are not partials.
constexpr size_t kMaxPartialBytes = size_t{256} << 20;

constexpr std::array<OptionSpec, 2> kMergeOptions = {
    {{"format", OptionSpec::kText}, {"bands", OptionSpec::kPath}}};

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

bool ParseDecimal(const std::string& text, Int128* value) {
  if (text.empty() || text.size() > 40) return false;
  const bool negative = text[0] == '-';
  Int128 v = 0;
  for (size_t i = negative ? 1 : 0; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  if (negative && text.size() == 1) return false;
  *value = negative ? -v : v;
  return true;
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

void ReadHistogram(const Json& json, GrowingHistogram* histogram) {
  int64_t value = json.at("first").get<int>();
  for (const Json& entry : json.at("counts")) {
    const auto c = entry.get<int64_t>();
    if (c < 0) {
      value -= c;
      continue;
    }
    if (value < INT16_MIN || value > INT16_MAX) throw std::out_of_range("a value past 16 bits");
    if (c > 0) histogram->Add(static_cast<int>(value), static_cast<uint64_t>(c));
    ++value;
  }
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

bool ReadSums(const Json& json, BatchSums* sums) {
  for (const SumSpec& spec : kSums) {
    const Json& value = json.at(spec.key);
    if (!spec.wide) {
      (*sums)[spec.id] = value.get<int64_t>();
    } else if (!ParseDecimal(value.get<std::string>(), &(*sums)[spec.id])) {
      return false;
    }
  }
  return true;
}

Json OptionsJson(const BatchOptions& o) {
  return {{"games", o.plan.games}, {"rate", o.plan.rate},
          {"stock", o.plan.stock}, {"setting_changed", o.plan.setting_changed},
          {"quit", o.plan.quit},   {"settings", o.settings},
          {"seed", o.seed}};
}

// One partial as read: its header (what must agree between partials), range and tallies.
struct Partial {
  Json header;
  uint64_t first_run = 0;
  uint64_t runs = 0;
  std::vector<SettingTally> tallies;
};

Status Malformed(const std::string& path, const std::string& what) {
  return BadOption("merge", "'" + Escaped(path) + "': " + what);
}

Status ReadPartial(FileSystem& fs, const std::string& path, Partial* partial) {
  std::string bytes;
  if (Status s = ReadWholeFile(fs, path, kMaxPartialBytes, &bytes); !s.ok()) {
    return BadOption("merge", s.message());
  }
  Json json;
  try {
    json = Json::parse(bytes);
    if (json.at("format") != kFormatName) return Malformed(path, "not a batch partial");
    partial->header = {{"format_version", json.at("format_version")},
                       {"program_version", json.at("program_version")},
                       {"options", json.at("options")}};
    partial->first_run = json.at("first_run").get<uint64_t>();
    partial->runs = json.at("runs").get<uint64_t>();
    for (const Json& setting : json.at("settings")) {
      SettingTally& tally = partial->tallies.emplace_back();
      tally.setting = setting.at("setting").get<int>();
      if (!ReadSums(setting.at("sums"), &tally.sums))
        return Malformed(path, "a sum is not a number");
      ReadHistogram(setting.at("final"), &tally.final_diffs);
      for (const Json& row : setting.at("rows")) ReadHistogram(row, &tally.rows.emplace_back());
    }
  } catch (const std::exception& e) {  // nlohmann's errors, and values out of range
    return Malformed(path, std::string("malformed: ") + e.what());
  }
  return Status::Ok();
}

}  // namespace

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
  const Json json = {{"format", kFormatName},
                     {"format_version", kPartialFormatVersion},
                     {"program_version", kProgramVersion},
                     {"options", OptionsJson(options)},
                     {"first_run", options.first_run},
                     {"runs", options.runs},
                     {"settings", std::move(settings)}};
  return json.dump() + "\n";
}

std::span<const OptionSpec> MergeOptionSpecs() { return kMergeOptions; }

int RunMergeCommand(const ParsedOptions& parsed, CommandIo& io) {
  std::ostream& err = io.err;
  const std::string format = parsed.Value("format", "text");
  if (format != "text" && format != "json" && format != "csv") {
    return Report(err, BadOption("--format", "text, json or csv, not '" + Escaped(format) + "'"));
  }
  if (parsed.positional.empty()) return Report(err, BadOption("merge", "no partial files given"));
  Partial total;
  std::vector<std::pair<uint64_t, uint64_t>> ranges;  // [first, first + runs)
  for (const std::string& path : parsed.positional) {
    Partial partial;
    if (Status s = ReadPartial(io.fs, path, &partial); !s.ok()) return Report(err, s);
    const std::pair<uint64_t, uint64_t> range = {partial.first_run,
                                                 partial.first_run + partial.runs};
    if (ranges.empty()) {
      total = std::move(partial);
    } else {
      if (partial.header != total.header) {
        return Report(err, Malformed(path, "a partial of other options, seed or versions"));
      }
      for (size_t s = 0; s < total.tallies.size(); ++s) {
        if (partial.tallies.size() != total.tallies.size() ||
            !total.tallies[s].Merge(partial.tallies[s])) {
          return Report(err, Malformed(path, "does not merge with the others"));
        }
      }
    }
    for (const auto& [first, end] : ranges) {
      if (range.first < end && first < range.second) {
        return Report(err, Malformed(path, "runs " + std::to_string(range.first) + "～" +
                                               std::to_string(range.second - 1) +
                                               " overlap another partial's"));
      }
    }
    ranges.push_back(range);
  }
  std::sort(ranges.begin(), ranges.end());
  for (size_t i = 1; i < ranges.size(); ++i) {
    if (ranges[i].first != ranges[i - 1].second) {
      return Report(err, BadOption("merge", "runs " + std::to_string(ranges[i - 1].second) + "～" +
                                                std::to_string(ranges[i].first - 1) +
                                                " are missing: no partial holds them"));
    }
  }
  const Json& options = total.header.at("options");
  BatchHeader header;
  header.seed = options.at("seed").get<uint32_t>();
  header.games = options.at("games").get<int32_t>();
  header.first_run = ranges.front().first;
  header.runs = ranges.back().second - ranges.front().first;
  std::vector<SettingStats> stats;
  for (const SettingTally& tally : total.tallies) stats.push_back(Finish(tally, header.games));
  return PrintBatch(header, format, parsed.Value("bands"), stats, io);
}

}  // namespace tobiuo
