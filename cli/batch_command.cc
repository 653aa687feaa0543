// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/batch_command.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <sstream>
#include <string_view>
#include <system_error>
#include <thread>

#include "cli/batch_report.h"
#include "cli/options.h"
#include "formats/batch_output.h"
#include "formats/partial.h"
#include "io/file_output.h"

namespace tobiuo {
namespace {

constexpr std::array<OptionSpec, 14> kBatchOptions = {{{"runs", OptionSpec::kText},
                                                       {"first-run", OptionSpec::kText},
                                                       {"batch-runs", OptionSpec::kText},
                                                       {"threads", OptionSpec::kText},
                                                       {"settings", OptionSpec::kText},
                                                       {"format", OptionSpec::kText},
                                                       {"games", OptionSpec::kText},
                                                       {"rate", OptionSpec::kText},
                                                       {"stock", OptionSpec::kText},
                                                       {"setting-changed", OptionSpec::kFlag},
                                                       {"quit", OptionSpec::kText},
                                                       {"seed", OptionSpec::kText},
                                                       {"bands", OptionSpec::kPath},
                                                       {"dry-run", OptionSpec::kFlag}}};

std::atomic<bool>* g_stop = nullptr;  // the running batch's stop flag, for the SIGINT handler

extern "C" void StopOnInterrupt(int) {
  if (g_stop) g_stop->store(true);
}

struct BatchCommand {
  BatchOptions options;
  std::string format;
  std::string bands_path;  // empty: no bands
};

// Reads and checks every option.
Status ParseBatch(const ParsedOptions& parsed, BatchCommand* command) {
  if (!parsed.Has("runs")) return BadOption("--runs", "is required: the runs per setting");
  command->format = parsed.Value("format", "text");
  if (command->format != "text" && command->format != "json" && command->format != "csv" &&
      command->format != "partial") {
    return BadOption("--format",
                     "text, json, csv or partial, not '" + Escaped(command->format) + "'");
  }
  BatchInputs inputs;
  inputs.run = RunInputsFrom(parsed);
  inputs.runs = parsed.Value("runs");
  inputs.settings = parsed.Value("settings", inputs.settings);
  inputs.first_run = parsed.Value("first-run", inputs.first_run);
  inputs.batch_runs = parsed.Value("batch-runs");
  inputs.threads = parsed.Value("threads");
  inputs.bands = parsed.Has("bands");
  command->bands_path = parsed.Value("bands");
  return ValidateBatch(inputs, &command->options);
}

std::string Clock(double seconds) {
  const auto s = static_cast<long>(seconds);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%ld:%02ld", s / 60, s % 60);
  return buffer;
}

// Redraws the progress line on stderr until `done`.
void ShowProgress(const Progress& progress, uint64_t total, const std::atomic<bool>& done) {
  const auto start = std::chrono::steady_clock::now();
  while (!done.load()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const uint64_t runs = progress.runs_done.load();
    const double share = static_cast<double>(runs) / static_cast<double>(total);
    const int filled = static_cast<int>(share * 30);
    const double left = share > 0 ? elapsed * (1 - share) / share : 0;
    std::fprintf(stderr, "\r[%s%s] %llu/%llu runs  %.1fM games/s  left %s ",
                 std::string(static_cast<size_t>(filled), '#').c_str(),
                 std::string(static_cast<size_t>(30 - filled), '.').c_str(),
                 static_cast<unsigned long long>(runs), static_cast<unsigned long long>(total),
                 static_cast<double>(progress.games_done.load()) / elapsed / 1e6,
                 Clock(left).c_str());
  }
  std::fprintf(stderr, "\r\033[K");
}

// Plays the batch with Ctrl-C wired to its stop flag, and the progress bar when stderr is a
// terminal.
Status PlayBatch(const BatchOptions& options, Progress& progress,
                 std::vector<SettingTally>* tallies) {
  g_stop = &progress.stop;
  struct sigaction action {
  }, previous{};
  action.sa_handler = StopOnInterrupt;
  sigemptyset(&action.sa_mask);
  // a batch started with Ctrl-C ignored (in the background of a script) keeps ignoring it
  sigaction(SIGINT, nullptr, &previous);
  if (previous.sa_handler != SIG_IGN) sigaction(SIGINT, &action, nullptr);
  std::atomic<bool> done{false};
  std::thread bar;
  if (::isatty(STDERR_FILENO)) {
    try {
      bar = std::thread(
          [&] { ShowProgress(progress, options.runs * options.settings.size(), done); });
    } catch (const std::system_error&) {  // no thread to be had (a browser's module): no bar
    }
  }
  Status played = RunBatchTallies(options, progress, tallies);
  done = true;
  if (bar.joinable()) bar.join();
  sigaction(SIGINT, &previous, nullptr);
  g_stop = nullptr;
  return played;
}

}  // namespace

std::span<const OptionSpec> BatchOptionSpecs() { return kBatchOptions; }

Status ParseBatchArgs(const std::vector<std::string>& args, BatchOptions* options) {
  ParsedOptions parsed;
  if (Status s = ParseOptions(args, kBatchOptions, &parsed); !s.ok()) return s;
  BatchCommand command;
  if (Status s = ParseBatch(parsed, &command); !s.ok()) return s;
  *options = command.options;
  return Status::Ok();
}

int RunBatchCommand(const ParsedOptions& parsed, CommandIo& io) {
  std::ostream& out = io.out;
  std::ostream& err = io.err;
  BatchCommand command;
  if (Status s = ParseBatch(parsed, &command); !s.ok()) return Report(err, s);
  BatchOptions& options = command.options;
  // A partial always holds the rows, so that a merge can give the bands too.
  if (command.format == "partial") options.bands = true;
  if (!command.bands_path.empty()) {  // found now, not after the batch has played
    if (Status s = CheckWritableTarget(io.fs, command.bands_path); !s.ok()) return Report(err, s);
  }
  if (parsed.Has("dry-run")) {  // the batch as read, for a caller that splits it into shards
    out << FormatBatchPlanJson(options);
    return FinishOutput(out, err);
  }
  err << "seed: " << options.seed << std::endl;
  Progress progress;
  std::vector<SettingTally> tallies;
  if (Status s = PlayBatch(options, progress, &tallies); !s.ok()) {
    err << "tobiuo-sim: interrupted; no result\n";
    return kExitInterrupted;
  }
  std::vector<SettingStats> stats;
  for (const SettingTally& tally : tallies) stats.push_back(Finish(tally, options.plan.games));
  if (command.format == "partial") {
    if (!command.bands_path.empty()) {
      const Status saved = WriteFilesAtomically(io.fs, {{command.bands_path, BandsCsv(stats)}});
      if (!saved.ok()) return Report(err, saved);
    }
    out << PartialJson(options, tallies);
    return FinishOutput(out, err);
  }
  const BatchHeader header{options.seed, options.runs, options.plan.games, options.first_run};
  return PrintBatch(header, command.format, command.bands_path, stats, io);
}

}  // namespace tobiuo
