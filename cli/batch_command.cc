#include "cli/batch_command.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <sstream>
#include <thread>

#include "cli/batch_report.h"
#include "cli/cli.h"
#include "cli/options.h"
#include "engine/batch.h"
#include "engine/random_source.h"
#include "engine/run_command.h"

namespace tobiuo {
namespace {

constexpr uint64_t kMaxRuns = 100'000'000;
constexpr uint64_t kMaxThreads = 1024;
constexpr int kExitInterrupted = 130;

std::atomic<bool>* g_stop = nullptr;  // the running batch's stop flag, for the SIGINT handler

extern "C" void StopOnInterrupt(int) {
  if (g_stop) g_stop->store(true);
}

struct BatchCommand {
  BatchOptions options;
  std::string format = "text";
};

std::vector<std::string> SplitSettings(const std::string& list) {
  std::vector<std::string> settings;
  std::stringstream stream(list);
  for (std::string item; std::getline(stream, item, ',');) settings.push_back(item);
  if (!list.empty() && list.back() == ',') settings.push_back("");
  return settings;
}

// Reads and checks every option; returns an error message, or empty.
std::string ParseBatch(const std::vector<std::string>& args, BatchCommand& command) {
  RunInputs inputs;
  std::string seed_text, runs_text, threads_text, settings_text = "1,2,3,4,5,6";
  OptionTable table = RunInputOptions(inputs, seed_text);
  table.values.push_back({"--runs", &runs_text});
  table.values.push_back({"--threads", &threads_text});
  table.values.push_back({"--settings", &settings_text});
  table.values.push_back({"--format", &command.format});
  if (std::string error = ParseOptions(args, table); !error.empty()) return error;
  if (runs_text.empty()) return "option --runs is required";
  if (std::string e = ReadCount("--runs", runs_text, 1, kMaxRuns, command.options.runs); !e.empty()) return e;
  uint64_t threads = std::max(1u, std::thread::hardware_concurrency());
  if (!threads_text.empty()) {
    if (std::string e = ReadCount("--threads", threads_text, 1, kMaxThreads, threads); !e.empty()) return e;
  }
  command.options.threads = static_cast<unsigned>(threads);
  if (command.format != "text" && command.format != "json" && command.format != "csv") {
    return "--format must be text, json or csv, not '" + command.format + "'";
  }
  command.options.settings.clear();
  for (const std::string& setting : SplitSettings(settings_text)) {
    inputs.setting = setting;
    const InputCheck check = ValidateInputs(inputs);
    if (!check.ok) return check.message;
    command.options.plan = check.plan;
    command.options.settings.push_back(check.plan.setting);
  }
  std::optional<uint32_t> seed;
  if (std::string error = ReadSeed(seed_text, seed); !error.empty()) return error;
  command.options.seed = seed ? *seed : ChooseRunSeed();
  return "";
}

std::string Clock(double seconds) {
  const auto s = static_cast<long>(seconds);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%ld:%02ld", s / 60, s % 60);
  return buffer;
}

// Redraws the progress line on stderr until `done`.
void ShowProgress(const BatchProgress& progress, uint64_t total, const std::atomic<bool>& done) {
  const auto start = std::chrono::steady_clock::now();
  while (!done.load()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const uint64_t runs = progress.runs_done.load();
    const double share = static_cast<double>(runs) / static_cast<double>(total);
    const int filled = static_cast<int>(share * 30);
    const double left = share > 0 ? elapsed * (1 - share) / share : 0;
    std::fprintf(stderr, "\r[%s%s] %llu/%llu runs  %.1fM games/s  left %s ",
                 std::string(static_cast<size_t>(filled), '#').c_str(),
                 std::string(static_cast<size_t>(30 - filled), '.').c_str(),
                 static_cast<unsigned long long>(runs), static_cast<unsigned long long>(total),
                 static_cast<double>(progress.games_done.load()) / elapsed / 1e6, Clock(left).c_str());
  }
  std::fprintf(stderr, "\r\033[K");
}

// Plays the batch with Ctrl-C wired to its stop flag, and the progress bar when stderr is a terminal.
std::vector<SettingStats> PlayBatch(const BatchOptions& options, BatchProgress& progress) {
  g_stop = &progress.stop;
  struct sigaction action {}, previous {};
  action.sa_handler = StopOnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previous);
  std::atomic<bool> done{false};
  std::jthread bar;
  if (::isatty(STDERR_FILENO)) {
    bar = std::jthread([&] { ShowProgress(progress, options.runs * options.settings.size(), done); });
  }
  std::vector<SettingStats> stats = RunBatch(options, progress);
  done = true;
  if (bar.joinable()) bar.join();
  sigaction(SIGINT, &previous, nullptr);
  g_stop = nullptr;
  return stats;
}

}  // namespace

int RunBatchCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  BatchCommand command;
  if (std::string error = ParseBatch(args, command); !error.empty()) {
    err << "tobiuo-sim: " << error << '\n';
    return kExitBadInput;
  }
  err << "seed: " << command.options.seed << std::endl;
  BatchProgress progress;
  const std::vector<SettingStats> stats = PlayBatch(command.options, progress);
  if (stats.empty()) {
    err << "tobiuo-sim: interrupted; no result\n";
    return kExitInterrupted;
  }
  const BatchHeader header{command.options.seed, command.options.runs, command.options.plan.games};
  if (command.format == "json") {
    out << FormatBatchJson(header, stats);
  } else if (command.format == "csv") {
    out << FormatBatchCsv(stats);
  } else {
    out << FormatBatchText(header, stats);
  }
  out.flush();
  return kExitOk;
}

}  // namespace tobiuo
