// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/merge_command.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "cli/batch_report.h"
#include "formats/partial.h"
#include "io/file_input.h"

namespace tobiuo {
namespace {

constexpr std::array<OptionSpec, 2> kMergeOptions = {
    {{"format", OptionSpec::kText}, {"bands", OptionSpec::kPath}}};

// The quit rule as the runs use it: a run quits when at most that many games are left, and some
// game always is, so only the whole part counts, from 0 (never) to the games (at the first
// release).
double QuitAsPlayed(const RunPlan& plan) {
  return std::clamp(std::floor(plan.quit), 0.0, static_cast<double>(plan.games));
}

bool SameBatch(const BatchOptions& a, const BatchOptions& b) {
  return std::tie(a.plan.games, a.plan.rate, a.plan.stock, a.plan.setting_changed, a.settings,
                  a.seed, a.batch_runs) == std::tie(b.plan.games, b.plan.rate, b.plan.stock,
                                                    b.plan.setting_changed, b.settings, b.seed,
                                                    b.batch_runs) &&
         QuitAsPlayed(a.plan) == QuitAsPlayed(b.plan);
}

Status Refused(const std::string& path, const std::string& what) {
  return BadOption("merge", "'" + Escaped(path) + "': " + what);
}

}  // namespace

std::span<const OptionSpec> MergeOptionSpecs() { return kMergeOptions; }

int RunMergeCommand(const ParsedOptions& parsed, CommandIo& io) {
  std::ostream& err = io.err;
  const std::string format = parsed.Value("format", "text");
  if (format != "text" && format != "json" && format != "csv" && format != "partial") {
    return Report(
        err, BadOption("--format", "text, json, csv or partial, not '" + Escaped(format) + "'"));
  }
  if (parsed.positional.empty()) return Report(err, BadOption("merge", "no partial files given"));
  Partial total;
  std::vector<std::pair<uint64_t, uint64_t>> ranges;  // [first, first + runs)
  for (const std::string& path : parsed.positional) {
    std::string bytes;
    if (Status s = ReadWholeFile(io.fs, path, kMaxPartialBytes, &bytes); !s.ok()) {
      return Report(err, BadOption("merge", s.message()));
    }
    Partial partial;
    if (Status s = ReadPartial(bytes, &partial); !s.ok()) {
      return Report(err, Refused(path, s.message()));
    }
    const std::pair<uint64_t, uint64_t> range = {partial.options.first_run,
                                                 partial.options.first_run + partial.options.runs};
    if (ranges.empty()) {
      total = std::move(partial);
    } else {
      if (!SameBatch(partial.options, total.options)) {
        return Report(err, Refused(path, "a partial of other options, seed or batch"));
      }
      for (size_t s = 0; s < total.tallies.size(); ++s) {
        if (!total.tallies[s].Merge(partial.tallies[s])) {
          return Report(err,
                        Refused(path, "does not merge with the others: a count would pass 2^32"));
        }
      }
    }
    for (const auto& [first, end] : ranges) {
      if (range.first < end && first < range.second) {
        return Report(err, Refused(path, "runs " + std::to_string(range.first) + "～" +
                                             std::to_string(range.second - 1) +
                                             " overlap another partial's"));
      }
    }
    ranges.push_back(range);
  }
  std::sort(ranges.begin(), ranges.end());
  // the runs between the partials, and with a batch said, before the first and after the last
  // (a partial merged on needs only its own runs in one piece)
  const uint64_t whole = total.options.batch_runs;
  if (whole != 0 && format != "partial") {
    ranges.insert(ranges.begin(), {0, 0});
    ranges.emplace_back(whole, whole);
  }
  for (size_t i = 1; i < ranges.size(); ++i) {
    if (ranges[i].first != ranges[i - 1].second) {
      return Report(err, BadOption("merge", "runs " + std::to_string(ranges[i - 1].second) + "～" +
                                                std::to_string(ranges[i].first - 1) +
                                                " are missing: no partial holds them"));
    }
  }
  if (whole != 0 && format != "partial") {
    ranges.erase(ranges.begin());
    ranges.pop_back();
  }
  if (format == "partial") {  // one partial for the union, merged again later like any other
    total.options.first_run = ranges.front().first;
    total.options.runs = ranges.back().second - ranges.front().first;
    io.out << PartialJson(total.options, total.tallies);
    return FinishOutput(io.out, io.err);
  }
  BatchHeader header;
  header.seed = total.options.seed;
  header.games = total.options.plan.games;
  header.first_run = ranges.front().first;
  header.runs = ranges.back().second - ranges.front().first;
  std::vector<SettingStats> stats;
  for (const SettingTally& tally : total.tallies) stats.push_back(Finish(tally, header.games));
  return PrintBatch(header, format, parsed.Value("bands"), stats, io);
}

}  // namespace tobiuo
