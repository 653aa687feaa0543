// SPDX-License-Identifier: GPL-3.0-or-later
// What users see, pinned byte for byte: every output format of the commands for fixed seeds, and
// every file they write. A change to any of these is a change users notice; make it on purpose:
//   TOBIUO_REGENERATE_GOLDEN=1 build-test/tests/core_tests
//   --gtest_filter='GoldenTest.*:DocumentsTest.*'
// writes every golden file anew from what the commands print, and the figure lists and power
// table of the README and the manual page, and names those that changed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "analysis/figures.h"
#include "io/memory_file_system.h"
#include "tests/support.h"

namespace tobiuo {
namespace {

using testing::Cli;
using testing::CliResult;
using testing::Golden;
using testing::ReadFile;
using GoldenTest = testing::TempDirTest;

struct Case {
  std::vector<std::string> args;
  std::string out;                                         // the golden file of stdout
  std::vector<std::pair<std::string, std::string>> files;  // option writing a file, golden file
};

const std::string kGoldenDir = TOBIUO_GOLDEN_DIR;
const std::vector<std::string> kBatch = {"batch",  "--runs", "40",        "--games", "750",
                                         "--seed", "2026",   "--threads", "2"};
const std::vector<std::string> kEstimate = {
    "estimate", "--games", "3000",   "--pure-miss", "6",      "--big", "14",        "--reg", "7",
    "--heaven", "6",       "--runs", "20",          "--seed", "7",     "--threads", "2"};

// Compares with the golden file, or with TOBIUO_REGENERATE_GOLDEN set writes it and says so.
void ExpectGolden(const std::string& actual, const std::string& golden) {
  if (std::getenv("TOBIUO_REGENERATE_GOLDEN") && actual != Golden(golden)) {
    std::ofstream(kGoldenDir + "/" + golden, std::ios::binary | std::ios::trunc) << actual;
    std::printf("changed: tests/golden/%s\n", golden.c_str());
  }
  EXPECT_EQ(actual, Golden(golden));
}

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

TEST_F(GoldenTest, EveryOutputAndFileIsAsPinned) {
  const std::string shard = "--settings=2,5";
  const Case cases[] = {
      {With(kBatch, {"--format", "text"}), "batch_750.txt", {{"--bands", "bands_750.csv"}}},
      {With(kBatch, {"--format", "json"}), "batch_750.json", {}},
      {With(kBatch, {"--format", "csv"}), "batch_750.csv", {}},
      {With(kBatch, {shard, "--runs", "15", "--format", "partial"}), "partial_runs0-14.json", {}},
      {With(kBatch, {shard, "--runs", "25", "--first-run", "15", "--format", "partial"}),
       "partial_runs15-39.json",
       {}},
      {{"merge", "--format", "json", kGoldenDir + "/partial_runs15-39.json",
        kGoldenDir + "/partial_runs0-14.json"},
       "merge_750.json",
       {{"--bands", "merge_bands_750.csv"}}},
      {With(kBatch, {shard, "--format", "json"}),
       "merge_750.json",
       {{"--bands", "merge_bands_750.csv"}}},
      {{"run", "--seed", "8", "--setting", "4", "--games", "400", "--format", "json"},
       "run_setting4_seed8.json",
       {}},
      {With(kEstimate, {}), "estimate_3000.txt", {}},
      {With(kEstimate, {"--format", "json"}), "estimate_3000.json", {}},
      {{"estimate", "--cases", kGoldenDir + "/cases.csv", "--runs", "20", "--seed", "7",
        "--threads", "1", "--prior", "1,1,1,2,2,2"},
       "cases_judged.csv",
       {}},
      {{"estimate", "--games", "6000", "--history", kGoldenDir + "/history_setting6.csv",
        "--pure-miss", "24"},
       "estimate_history.txt",
       {}},
      {{"estimate", "--games", "6000", "--history", kGoldenDir + "/history_setting6.csv",
        "--pure-miss", "24", "--format", "json"},
       "estimate_history.json",
       {}},
      {{"estimate", "--history-cases", kGoldenDir + "/history_cases.jsonl", "--threads", "2",
        "--prior", "1,1,1,2,2,2"},
       "history_cases_judged.csv",
       {}},
      {{"run", "--seed", "8", "--setting", "4", "--games", "2050", "--quit", "600"},
       "",
       {{"--chart", "chart_setting4_seed8_quit.csv"}}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    for (const auto& [option, golden] : c.files) {
      args.insert(args.begin() + 1, {option, (dir_ / golden).string()});
    }
    const CliResult r = Cli(args);
    SCOPED_TRACE(args[0] + " " + args[1] + " ... -> " + c.out);
    ASSERT_EQ(r.status, kExitOk) << r.err;
    if (!c.out.empty()) ExpectGolden(r.out, c.out);
    for (const auto& [option, golden] : c.files) ExpectGolden(ReadFile(dir_ / golden), golden);
  }
}

// The browser's module runs the commands on files held in memory: the same bytes come out.
TEST_F(GoldenTest, CommandsOnFilesInMemoryWriteTheSameBytes) {
  MemoryFileSystem memory;
  memory.files()["a.json"] = Golden("partial_runs0-14.json");
  memory.files()["b.json"] = Golden("partial_runs15-39.json");
  CliResult r =
      Cli({"merge", "--format", "json", "--bands", "bands.csv", "b.json", "a.json"}, memory);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, Golden("merge_750.json"));
  EXPECT_EQ(memory.files()["bands.csv"], Golden("merge_bands_750.csv"));
  // A batch saves its bands there as on disk, and partials merged into one partial (as a Worker
  // keeps them) merge into the same batch.
  r = Cli(With(kBatch, {"--settings=2,5", "--bands", "batch_bands.csv"}), memory);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(memory.files()["batch_bands.csv"], Golden("merge_bands_750.csv"));
  r = Cli({"merge", "--format", "partial", "a.json", "b.json"}, memory);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  memory.files()["ab.json"] = r.out;
  r = Cli({"merge", "--format", "json", "ab.json"}, memory);
  EXPECT_EQ(r.out, Golden("merge_750.json"));
  memory.files().erase("batch_bands.csv");
  memory.files().erase("ab.json");
  const std::vector<std::string> run = {"run",       "--seed",   "8",      "--setting", "4",
                                        "--games",   "2050",     "--quit", "600",       "--chart",
                                        "chart.csv", "--report", "r.txt"};
  r = Cli(run, memory);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(memory.files()["chart.csv"], Golden("chart_setting4_seed8_quit.csv"));
  std::vector<std::string> on_disk = run;
  on_disk.back() = (dir_ / "r.txt").string();
  on_disk[on_disk.size() - 3] = (dir_ / "chart.csv").string();
  ASSERT_EQ(Cli(on_disk).status, kExitOk);
  EXPECT_EQ(memory.files()["r.txt"], ReadFile(dir_ / "r.txt"));
  EXPECT_EQ(memory.files().size(), 5u);  // no temporary file left behind
}

// The lines between a document's two marker lines (`begin`, `end`) are `block`; with
// TOBIUO_REGENERATE_GOLDEN set they are written so and the document named.
void ExpectBlock(const std::string& name, const std::string& begin, const std::string& end,
                 const std::string& block) {
  const std::string path = kGoldenDir + "/../../" + name;
  const std::string text = ReadFile(path);
  const size_t from = text.find(begin);
  const size_t to = text.find("\n" + end, from);
  ASSERT_TRUE(from != std::string::npos && to != std::string::npos) << name << ": no " << begin;
  const size_t inner = text.find('\n', from) + 1;
  const std::string expected = std::string(text).replace(inner, to + 1 - inner, block);
  if (std::getenv("TOBIUO_REGENERATE_GOLDEN") && expected != text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << expected;
    std::printf("changed: %s\n", name.c_str());
  }
  EXPECT_EQ(ReadFile(path), expected) << name;
}

// The README and the manual page list every figure of the table, in order: a figure added to the
// table without them fails here, and TOBIUO_REGENERATE_GOLDEN rewrites both lists.
TEST(DocumentsTest, TheReadmeAndTheManualListEveryFigure) {
  std::string table = "| CSV | JSON | window | text |\n|---|---|---|---|\n";
  std::string man = "The figures, as *--format csv* names its columns:";
  for (const FigureSpec& spec : kFigures) {
    table += std::string("| `") + spec.key + "` | `" + spec.json + "` | " +
             (spec.title ? spec.title : "") + " | " + (spec.text_title ? spec.text_title : "") +
             " |\n";
    man += std::string(" ") + spec.key + (&spec == &kFigures.back() ? ".\n" : ",");
  }
  ExpectBlock("README.md", "<!-- figures", "<!-- /figures", table);
  ExpectBlock("docs/tobiuo-sim.1.scd", "; figures", "; /figures", man);
}

// The README's power table is what the command prints (13 s on two cores: left out of the
// sanitized run, whose other tests run the same code on smaller tables).
TEST(DocumentsTest, TheReadmePowerTableIsWhatTheCommandPrints) {
  const CliResult power = Cli({"estimate", "--power", "--seed", "2026"});
  ASSERT_EQ(power.status, kExitOk) << power.err;
  ExpectBlock("README.md", "<!-- power", "<!-- /power", "```\n" + power.out + "```\n");
}

}  // namespace
}  // namespace tobiuo
