// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the engine, analysis and command-line tests: a run's plan, a fresh temporary
// folder per test, reading a file whole, and running the command-line tool in-process.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "engine/run.h"

namespace tobiuo::testing {

namespace fs = std::filesystem;

// A plan of `games` games, its games_text following, the other fields as given:
// PlanOf({.setting = 4, .seed = 7}, 6000).
inline RunPlan PlanOf(RunPlan plan, int32_t games) {
  plan.games = games;
  plan.games_text = std::to_string(games);
  return plan;
}

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

// A test with its own empty folder, removed afterwards.
class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tobiuo_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

struct CliResult {
  int status;
  std::string out;
  std::string err;
};

inline CliResult Cli(const std::vector<std::string>& args, FileSystem& fs = RealFileSystem()) {
  std::ostringstream out, err;
  const int status = RunCli(args, out, err, fs);
  return {status, out.str(), err.str()};
}

// A file under tests/golden, the outputs a change must not alter.
inline std::string Golden(const std::string& name) {
  return ReadFile(fs::path(TOBIUO_GOLDEN_DIR) / name);
}

}  // namespace tobiuo::testing
