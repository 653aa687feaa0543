// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include "tests/fakes.h"
#include "tests/support.h"

namespace tobiuo {
namespace {

using testing::Cli;
using testing::CliResult;
using CliTest = testing::TempDirTest;
namespace fs = std::filesystem;

TEST_F(CliTest, OneSeedAlwaysGivesTheSameReport) {
  const CliResult a = Cli({"run", "--seed", "8", "--setting=4", "--games", "8000",
                           "--setting-changed", "--stock", "3", "--rate", "7"});
  ASSERT_EQ(a.status, kExitOk) << a.err;
  EXPECT_EQ(a.err, "seed: 8\n");
  EXPECT_EQ(a.out, testing::Golden("run_setting4_seed8.txt"));
}

TEST_F(CliTest, WithoutSeedTheChosenSeedReplaysTheRun) {
  const CliResult first = Cli({"run", "--games", "500"});
  ASSERT_EQ(first.err.rfind("seed: ", 0), 0u);
  const std::string seed = first.err.substr(6, first.err.size() - 7);
  EXPECT_EQ(Cli({"run", "--games", "500", "--seed", seed}).out, first.out);
}

TEST_F(CliTest, EveryRefusalIsOneLineNamingTheOptionWithNothingWritten) {
  const fs::path report = dir_ / "report.txt";
  const std::pair<std::vector<std::string>, const char*> bad[] = {
      {{"run", "--games", "8001"}, "tobiuo-sim: --games: P数は1～8000の整数で入力してください\n"},
      {{"run", "--setting", "7"}, "tobiuo-sim: --setting: 設定は1～6のいずれかを選んでください\n"},
      {{"run", "--setting", "\xc0\xb3"},
       "tobiuo-sim: --setting: '\\xC0\\xB3' is not valid UTF-8\n"},
      {{"run", "--rate", "0"}, nullptr},
      {{"run", "--stock", "256"}, nullptr},
      {{"run", "--seed", "-1"}, nullptr},
      {{"run", "--frobnicate"}, nullptr},
      {{"run", "--gam", "50"}, nullptr},  // abbreviations are not taken
      {{"run", "--games"}, "tobiuo-sim: --games: needs a value\n"},
      {{"run", "--setting-changed=1"}, "tobiuo-sim: --setting-changed: takes no value\n"},
      {{"run", "--chart", "--report", "x"},
       "tobiuo-sim: --chart: needs a value, not the option '--report'\n"},
      {{"run", "--report", "--help"}, nullptr},
      {{"run", "stray"}, nullptr},
      {{"run", "--line\nbreak\x1b"}, nullptr},  // echoed with escapes, on one line
      {{"walk"}, nullptr},
      {{}, nullptr},
  };
  for (auto [args, expected] : bad) {
    args.insert(args.empty() ? args.end() : args.begin() + 1, "--report=" + report.string());
    const CliResult r = Cli(args);
    EXPECT_EQ(r.status, kExitBadInput) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
    if (expected) {
      EXPECT_EQ(r.err, expected);
    }
  }
  EXPECT_FALSE(fs::exists(report));
  // a forgotten value is not taken for a file named like another command's option
  EXPECT_EQ(Cli({"merge", "--bands", "--games", "p.json"}).err,
            "tobiuo-sim: --bands: needs a value, not the option '--games'\n");
  EXPECT_FALSE(fs::exists("--games"));
  EXPECT_NE(Cli({"run", "--frobnicate"}).err.find("--frobnicate"), std::string::npos);
}

// A history file or a history-cases file is refused at its first bad line, named with its number.
TEST_F(CliTest, HistoryFilesAreRefusedNamingTheLine) {
  const std::string history = (dir_ / "h.csv").string(), cases = (dir_ / "c.jsonl").string();
  const auto refusal = [&](const std::string& text, std::vector<std::string> args) {
    std::ofstream(args[1] == "--history" ? history : cases, std::ios::trunc) << text;
    const CliResult r = Cli(args);
    EXPECT_EQ(r.status, kExitBadInput) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    const size_t file = r.err.find(args[1] == "--history" ? "h.csv" : "c.jsonl");
    return file == std::string::npos ? r.err : r.err.substr(file);
  };
  const std::vector<std::string> one = {"estimate", "--history", history, "--games", "500"};
  EXPECT_EQ(refusal("game,bonus\n", one), "h.csv:1: the header must be game,bonus,trigger\n");
  const std::string header = "\xEF\xBB\xBFgame,bonus,trigger\r\n";
  // a release's place in the run is judged as in the windows, naming the release and its line
  EXPECT_EQ(refusal(header + "80,BIG,none\r\n\r\n60,REG,none\r\n", one),
            "h.csv:4: 2件目の解除（60ゲーム目）: 解除のゲームは前の解除より後にしてください\n");
  EXPECT_EQ(refusal(header + "501,BIG,none\n", one),
            "h.csv:2: 1件目の解除（501ゲーム目）: 解除のゲームは1～P数で入力してください\n");
  EXPECT_EQ(refusal(header + "5,JAC,none\n", one),
            "h.csv:2: 1件目の解除: ボーナス 'JAC' はBIGでもREGでもありません\n");
  EXPECT_EQ(refusal(header + "5,BIG,none\n\n9,BIG,チェリー\n", one).substr(0, 48),
            "h.csv:4: 2件目の解除: 契機 'チェリー'");
  EXPECT_EQ(refusal(header + "5,BIG\n", one),
            "h.csv:2: 1件目の解除: 項目は game,bonus,trigger の3つです\n");
  // a release no setting can produce: nothing is released before a bonus is won, not in game 1
  std::ofstream(history, std::ios::trunc) << "game,bonus,trigger\n1,BIG,cherry\n";
  EXPECT_NE(Cli({"estimate", "--history", history, "--games", "500", "--stock", "0"})
                .err.find("h.csv:2: 1件目の解除（1ゲーム目）はどの設定でも起こりえません"),
            std::string::npos);
  // a list of stocks is a set: a stock named twice weighs as once
  std::ofstream(history, std::ios::trunc) << "game,bonus,trigger\n300,BIG,none\n";
  EXPECT_EQ(Cli({"estimate", "--history", history, "--games", "900", "--stock", "0,0,0,20"}).out,
            Cli({"estimate", "--history", history, "--games", "900", "--stock", "0,20"}).out);
  EXPECT_EQ(Cli({"estimate", "--history", history, "--games", "500", "--stock", "0-3"}).status,
            kExitOk);

  const std::vector<std::string> many = {"estimate", "--history-cases", cases};
  const std::string good = R"({"games":100,"releases":[]})";
  EXPECT_EQ(refusal(good + "\n\n" + R"({"games":100,"releases":[)" + "\n", many),
            "c.jsonl:3: not a JSON object on one line\n");
  EXPECT_EQ(refusal(R"({"games":100,"releases":[[5,"BIG","none"]],"stok":3})", many),
            "c.jsonl:1: unknown key \"stok\"\n");
  EXPECT_EQ(refusal(R"({"games":100,"releases":[[5,"BIG","none"],[5,"REG","none"]]})", many),
            "c.jsonl:1: 2件目の解除（5ゲーム目）: 解除のゲームは前の解除より後にしてください\n");
  EXPECT_EQ(refusal(R"({"games":100,"releases":[[[[1]]]]})", many),
            "c.jsonl:1: nested deeper than a case is\n");
  EXPECT_EQ(refusal(R"({"games":9000,"releases":[]})", many),
            "c.jsonl:1: \"games\" must be a whole number from 1 to 8000\n");
  EXPECT_EQ(refusal(good + "\n" + R"({"games":100,"stock":0,"releases":[[1,"REG","none"]]})", many)
                .substr(0, 12),
            "c.jsonl:2: 1");
  // options that do not go with a history
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"estimate", "--history", history, "--games", "9", "--big", "1"},
        {"estimate", "--history-cases", cases, "--games", "9"},
        {"estimate", "--games", "9", "--pure-miss", "0", "--setting-changed-unknown"},
        {"estimate", "--history-cases", cases, "--format", "json"}}) {
    EXPECT_EQ(Cli(args).status, kExitBadInput) << args[3];
  }
}

// value: the rules asked for in each format, its cases as CSV, and refusals as everywhere.
TEST_F(CliTest, ValueAnswersEachFormatAndRefusesWhatItCannotTake) {
  const std::string history = (dir_ / "h.csv").string(), cases = (dir_ / "c.jsonl").string();
  std::ofstream(history) << "game,bonus,trigger\n120,BIG,unknown\n300,REG,none\n";
  const std::vector<std::string> base = {"value", "--games",        "900", "--history",
                                         history, "--seed",         "1",   "--draws",
                                         "40",    "--watched-from", "200"};
  const auto with = [&](std::vector<std::string> more) {
    more.insert(more.begin(), base.begin(), base.end());
    return Cli(more);
  };
  const CliResult text = with({"--more", "50", "--more", "200"});
  ASSERT_EQ(text.status, kExitOk) << text.err;
  for (const char* shown :
       {"今やめる", "あと50G", "あと200G", "閉店まで(7100G)", "ハマり600G", "* "}) {
    EXPECT_NE(text.out.find(shown), std::string::npos) << shown;
  }
  EXPECT_EQ(text.out.find("あと100G"), std::string::npos);
  const CliResult csv = with({"--format", "csv"});
  EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 1 + 8);  // now, 4 N, 閉店まで, 2
  EXPECT_EQ(csv.out.substr(0, 20), "rule,games,label,ev_");
  EXPECT_NE(with({"--format", "json"}).out.find("\"watched_from\":200"), std::string::npos);

  const auto refused = [&](std::vector<std::string> more, const std::string& what) {
    const CliResult r = with(std::move(more));
    EXPECT_EQ(r.status, kExitBadInput) << what;
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find(what), std::string::npos) << r.err;
  };
  refused({"--coins", "-1"}, "持ちコイン");
  refused({"--games-left", "7101"}, "閉店まで");
  refused({"--more", "0"}, "追加ゲーム数");
  refused({"--watched-from", "400"}, "h.csv:3: 2件目の解除（300ゲーム目）: 見始める前の解除の契機");

  std::ofstream(cases)
      << R"({"games":3000,"stock":0,"releases":[[77,"BIG","cherry"]],"more_games":300})"
      << "\n"
      << R"({"games":500,"watched_from":50,"pure_misses":1,"releases":[],"more_games":7500})"
      << "\n";
  const CliResult many = Cli({"value", "--cases", cases, "--draws", "20", "--seed", "3"});
  ASSERT_EQ(many.status, kExitOk) << many.err;
  EXPECT_EQ(many.out.substr(0, many.out.find('\n')),
            "games,more_games,ev_coins,ev_coins_se,p_heaven,p_stock_empty,p1,p2,p3,p4,p5,p6");
  EXPECT_NE(many.out.find("\n3000,300,"), std::string::npos);
  EXPECT_NE(many.out.find("\n500,7500,"), std::string::npos);
  std::ofstream(cases, std::ios::trunc) << R"({"games":100,"releases":[]})"
                                        << "\n";
  EXPECT_NE(Cli({"value", "--cases", cases}).err.find("c.jsonl:1: \"more_games\" is needed"),
            std::string::npos);
}

TEST_F(CliTest, HelpWinsWhereverItStandsAsAnOption) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--help"},
                                             {"help"},
                                             {"help", "batch"},
                                             {"run", "--setting", "9", "--help"},
                                             {"batch", "-h", "--bogus"},
                                             {"walk", "--help"}}) {
    const CliResult r = Cli(args);
    EXPECT_EQ(r.status, kExitOk) << args.back();
    EXPECT_NE(r.out.find("Exit status"), std::string::npos);
    EXPECT_TRUE(r.err.empty());
  }
  EXPECT_EQ(Cli({"help", "batch"}).out.find("--report"), std::string::npos);
  for (const char* version : {"--version", "version"}) {
    const CliResult r = Cli({version});
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_EQ(r.out, std::string("tobiuo-sim ") + TOBIUO_VERSION + "\n");
  }
}

// A stream whose writes all fail, as stdout does on a full disk.
class FullDisk : public std::streambuf {
 protected:
  int_type overflow(int_type) override { return traits_type::eof(); }
  std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

TEST_F(CliTest, OutputThatCannotBeWrittenIsAnErrorAndFilesWrittenStay) {
  const fs::path chart = dir_ / "chart.csv";
  FullDisk full;
  std::ostream out(&full);
  std::ostringstream err;
  const int status = RunCli({"run", "--games", "100", "--chart", chart.string()}, out, err);
  EXPECT_EQ(status, kExitFileError);
  EXPECT_NE(err.str().find("stdout"), std::string::npos);
  EXPECT_TRUE(fs::exists(chart));
  std::ostringstream batch_err;
  EXPECT_EQ(RunCli({"batch", "--runs", "1", "--games", "100"}, out, batch_err), kExitFileError);
}

TEST_F(CliTest, AFileThatCannotBeWrittenIsAnErrorWithNothingOnStdout) {
  const fs::path report = dir_ / "r.txt", chart = dir_ / "c.csv";
  testing::FaultyFileSystem faulty;
  faulty.Fail("Write", 2, ENOSPC);  // the chart, after the report's temporary copy is complete
  const CliResult r = Cli(
      {"run", "--games", "100", "--report", report.string(), "--chart", chart.string()}, faulty);
  EXPECT_EQ(r.status, kExitFileError);
  EXPECT_TRUE(r.out.empty());
  EXPECT_NE(r.err.find(chart.string()), std::string::npos);
  EXPECT_FALSE(fs::exists(report) || fs::exists(chart));
}

// File names and targets are refused before any work: an empty name as everywhere, one file for
// two outputs, a --bands target that cannot be written (found before the batch plays).
TEST_F(CliTest, TargetsAreRefusedBeforeTheWork) {
  const std::string report = (dir_ / "r.txt").string();
  const std::pair<std::vector<std::string>, std::string> refused[] = {
      {{"run", "--report", ""}, "tobiuo-sim: --report: needs a file name\n"},
      {{"batch", "--runs", "1", "--bands="}, "tobiuo-sim: --bands: needs a file name\n"},
      {{"merge", "--bands", "", "p.json"}, "tobiuo-sim: --bands: needs a file name\n"},
      {{"run", "--report", report, "--chart", report},
       "tobiuo-sim: --chart: the same file as --report; give each its own\n"},
  };
  for (const auto& [args, message] : refused) {
    const CliResult r = Cli(args);
    EXPECT_EQ(r.status, kExitBadInput);
    EXPECT_EQ(r.err, message);
  }
  const std::string missing = (dir_ / "no" / "bands.csv").string();
  const CliResult r = Cli({"batch", "--runs", "100000000", "--bands", missing});
  EXPECT_EQ(r.status, kExitFileError);
  EXPECT_EQ(r.err.find("seed:"), std::string::npos) << "refused before the batch starts";
  EXPECT_NE(r.err.find(missing), std::string::npos);
}

// Weights too large to add are scaled, not turned into NaN.
TEST_F(CliTest, APriorOfHugeWeightsStillGivesProbabilities) {
  const std::string huge = "1" + std::string(308, '0');  // 1e308, as a plain decimal
  const CliResult r = Cli({"estimate", "--games", "2000", "--pure-miss", "3", "--prior",
                           huge + "," + huge + ",0,0,0,0", "--format", "json"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out.find("nan"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("\"probability\":null"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"most_likely\":"), std::string::npos);
}

// Ctrl-C during a batch ends it with no result and exit status 130; the program's own handler is
// in place only while the batch plays.
TEST_F(CliTest, CtrlCStopsABatchWithNoResult) {
  std::thread interrupt([] {
    for (;;) {
      struct sigaction current {};
      sigaction(SIGINT, nullptr, &current);
      if (current.sa_handler != SIG_DFL) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ::kill(::getpid(), SIGINT);
  });
  const CliResult r = Cli({"batch", "--runs", "100000000", "--threads", "2"});
  interrupt.join();
  EXPECT_EQ(r.status, kExitInterrupted);
  EXPECT_TRUE(r.out.empty());
  EXPECT_NE(r.err.find("interrupted"), std::string::npos);
  struct sigaction after {};
  sigaction(SIGINT, nullptr, &after);
  EXPECT_EQ(after.sa_handler, SIG_DFL);
  // started with Ctrl-C ignored, as a script's background job is, it keeps ignoring it
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGINT, &ignore, nullptr);
  std::atomic<bool> played{false};
  std::thread ignored([&played] {
    while (!played) {
      ::kill(::getpid(), SIGINT);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  const CliResult whole = Cli({"batch", "--runs", "300", "--threads", "2", "--seed", "1"});
  played = true;
  ignored.join();
  EXPECT_EQ(whole.status, kExitOk) << whole.err;
  sigaction(SIGINT, nullptr, &after);
  EXPECT_EQ(after.sa_handler, SIG_IGN);
  ignore.sa_handler = SIG_DFL;
  sigaction(SIGINT, &ignore, nullptr);
}

// Every file a command reads or writes goes through the file system it is given, so each failure
// can be made to happen: an input that cannot be read is bad input (2) naming the file, an output
// that cannot be written is exit 1 naming it, with nothing on stdout and no file left behind.
TEST_F(CliTest, FilesThatCannotBeReadOrWrittenAreNamedAndLeaveNothing) {
  const std::string partial = (dir_ / "p.json").string(), cases = (dir_ / "c.csv").string(),
                    bands = (dir_ / "bands.csv").string();
  {
    std::ofstream(partial) << Cli({"batch", "--runs", "3", "--games", "200", "--seed", "1",
                                   "--format", "partial"})
                                  .out;
    std::ofstream(cases) << "games,pure_misses,big,reg,heaven\n100,1,,,\n";
  }
  struct Fault {
    std::vector<std::string> args;
    const char* operation;
    int error;
    int status;
    std::string named;
  };
  const std::vector<std::string> batch = {"batch", "--runs",  "2",  "--games",
                                          "100",   "--bands", bands};
  const Fault faults[] = {
      {batch, "Write", ENOSPC, kExitFileError, bands},
      {batch, "CreateTemp", EACCES, kExitFileError, bands},
      {{"merge", "--bands", bands, partial}, "Rename", EIO, kExitFileError, bands},
      {{"merge", partial}, "OpenForReading", EACCES, kExitBadInput, partial},
      {{"merge", partial}, "Read", EIO, kExitBadInput, partial},
      {{"estimate", "--cases", cases}, "OpenForReading", EACCES, kExitBadInput, cases},
      {{"estimate", "--cases", cases}, "Read", EIO, kExitBadInput, cases},
  };
  for (const Fault& f : faults) {
    testing::FaultyFileSystem faulty;
    faulty.Fail(f.operation, 1, f.error);
    const CliResult r = Cli(f.args, faulty);
    EXPECT_EQ(r.status, f.status) << f.args[0] << " " << f.operation << ": " << r.err;
    EXPECT_TRUE(r.out.empty()) << f.args[0] << " " << f.operation;
    EXPECT_NE(r.err.find(f.named), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(bands));
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

}  // namespace
}  // namespace tobiuo
