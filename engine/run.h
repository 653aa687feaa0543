// SPDX-License-Identifier: GPL-3.0-or-later
// One run of the machine: a function from validated inputs to a record of the run.
//
// The texts as typed (RunInputs) pass through ValidateInputs, which refuses a bad field with a
// Japanese message naming it, or gives a RunPlan of typed values. PlayRun plays the plan from a
// fresh machine and returns its RunRecord: the plan, the event log, the chart rows, the summary,
// the figures and role counts the game loop filled, and how the run ended. The window and the
// command-line tool render records; neither is read by the engine.
//
// A batch asks for figures only (Keep::kFigures): no text is then formatted at all. The game loop
// reports the coin difference at each chart row, the pure misses and the releases to an optional
// RunObserver, an output-only hook that sees numbers, never text. PauseRun and ResumeRun split a
// run between two games, for what comes after a game that a player sees.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/fields.h"
#include "base/status.h"
#include "engine/random_source.h"
#include "engine/sim_state.h"

namespace tobiuo {

class RandomSource;

inline constexpr int32_t kMaxGames = 8000;
inline constexpr int16_t kMaxInitialStock = 255;
inline constexpr int kGamesPerChartRow = 100;
inline constexpr int kBet = 3;              // coins a game costs
inline constexpr size_t kPureMissRole = 5;  // the role table's entry of the pure miss

// The start fields as typed. `rate` is the text of whichever exchange-rate field counts. An empty
// `seed` asks for a fresh one.
struct RunInputs {
  std::string setting = "6";
  std::string games = "6000";
  std::string rate = "5";
  std::string stock = "20";
  std::string quit = "0";
  std::string seed{};
  bool setting_changed = false;
};

// The validated start inputs of one run.
struct RunPlan {
  int setting = 6;                  // 1 to 6
  int32_t games = 6000;             // 1 to 8000
  std::string games_text = "6000";  // the games field as typed; labels the chart's last row
  int16_t rate = 5;                 // coins per 100 yen, 1 or more
  int16_t stock = 20;               // initial stock, 0 to 255
  bool setting_changed = false;
  double quit = 0;  // quit after a release when no more games than this are left
  uint32_t seed = 0;
};

// The end-of-run values, filled by the game loop as it plays. The counters keep the machine's
// names; they are 16-bit or 32-bit as the machine keeps them, and checked.
struct RunFigures {
  int16_t BigReleases = 0;
  int16_t RegReleases = 0;
  int16_t Releases = 0;
  int16_t PureMissReleases = 0;
  int16_t CherryReleases = 0;
  int16_t CoinsHeld = 0;
  int32_t PeakCoins = 0;
  int16_t CoinDiff = 0;
  int32_t InvestTotal = 0;
  int32_t MaxBigGap = 0;
  int32_t MaxBonusGap = 0;
  int16_t HeavenModeCount = 0;
  int16_t NormalModeCount = 0;
  StockTally FinalStock{};
  int16_t ExchangeRate = 0;
  int32_t GamesChosen = 0;  // the games chosen for the run, even when the quit rule ended it
  int32_t GamesBet = 0;     // games in which coins were bet, the one the quit rule stops included
};

// One point of the coin chart: every 100 games, plus the start and the end of the run.
struct ChartRow {
  std::string label;                 // empty for an unlabelled row
  std::optional<int16_t> coin_diff;  // nothing for a row the run never reached
};

enum class Keep { kFigures, kRecord };

enum class RunEnd {
  kDone,     // every chosen game was played
  kQuit,     // the quit rule ended the run after a release
  kAborted,  // a counter left its type: the log so far is kept, there is no summary
};

struct RunRecord {
  RunPlan plan;
  std::vector<std::string> log;      // with Keep::kRecord
  std::vector<ChartRow> chart;       // with Keep::kRecord; rows numbered from 1
  std::vector<std::string> summary;  // with Keep::kRecord, unless aborted
  RunFigures figures;
  std::array<int32_t, 8> role_counts{};  // games by role 1..7; index 0 counts games without one
  RunEnd end = RunEnd::kDone;
  std::string abort_message;  // with RunEnd::kAborted

  bool finished() const { return end != RunEnd::kAborted; }
  // Every pure miss of the run, released or not (the summary counts only the releases).
  int32_t pure_misses() const { return role_counts[kPureMissRole]; }
  // The last chart row the run has written (1 is the start), as the progress bar shows it.
  int LastChartRow() const;
};

// Sees, as the run plays, the coin difference of each chart row (numbered from 1), each pure miss
// and each release (its mode, and whether it pays a BIG or a REG), by the game's number (from 0).
// Output only: it cannot change the run.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  virtual void OnRow(int /*row*/, int16_t /*coin_diff*/) {}
  virtual void OnPureMiss(int32_t /*game*/) {}
  // A cherry, and whether it paid (a cherry that releases may not: 制御でこぼし).
  virtual void OnCherry(int32_t /*game*/, bool /*paid*/) {}
  virtual void OnRelease(int32_t /*game*/, bool /*heaven*/, bool /*big*/) {}
};

// The run's fields, as its refusals name them.
inline constexpr FieldName kSettingField{"setting", "設定"};
inline constexpr FieldName kGamesField{"games", "P数"};
inline constexpr FieldName kRateField{"rate", "換金率"};
inline constexpr FieldName kStockField{"stock", "初期ストック数"};
inline constexpr FieldName kQuitField{"quit", "ヤメ時"};
inline constexpr FieldName kSeedField{"seed", "シード"};

// A seed: a plain whole number from 0 to 2^32 - 1; an empty text asks for a fresh one.
[[nodiscard]] Status ReadSeed(std::string_view text, uint32_t* seed);

// Reads every field, in the order above; the first refused field is named in the status.
[[nodiscard]] Status ValidateInputs(const RunInputs& inputs, RunPlan* plan);

// The chart's row count: one row per 100 games plus the start row, and a last row for a remainder.
int ChartRowsFor(int32_t games);

// The chart rows of a plan before it is played: labels on the first row, every fifth row (every
// row up to ten rows) and the last row, which shows the games text as typed; no values.
std::vector<ChartRow> EmptyChart(const RunPlan& plan);

// Plays the plan on the given random source (the generator seeded with plan.seed, unless a test
// scripts the draws).
RunRecord PlayRun(const RunPlan& plan, RandomSource& random, Keep keep,
                  RunObserver* observer = nullptr);
RunRecord PlayRun(const RunPlan& plan, Keep keep, RunObserver* observer = nullptr);

// As PlayRun, on a machine state the caller can look into afterwards.
RunRecord PlayRunOn(SimState& state, const RunPlan& plan, RandomSource& random, Keep keep,
                    RunObserver* observer = nullptr);

// The game loop's own counters between two games.
struct LoopCounters {
  int32_t GameNo = 0;  // games played
  int32_t GamesSinceRelease = 0;
  int16_t PurchaseCountdown = 0;  // coins left of the last 50 bought; 0: the next game buys
  int32_t InvestSinceRelease = 0;
  int32_t GamesSinceBig = 0;
  int16_t BonusesWon = 0;
};

// A run between two games: everything the games after it depend on, the machine (stock, release
// game, mode, chance zone, tables), the loop's counters, the figures so far (coins held, coin
// difference, money invested, ...) and the generator where the next draw comes from. A run
// resumed from the state after game G plays, draw for draw, what the whole run plays after G; a
// state made otherwise (a hidden state drawn from what a player saw) plays on by the same rules.
struct PausedRun {
  SimState machine;
  LoopCounters counters;
  RunFigures figures;
  std::array<int32_t, 8> role_counts{};
  Mt19937Source random{0};
};

// Plays the plan's first `games` games (fewer than the plan's) with its seed and keeps the state
// after them; false when the run ended before (the quit rule, or a counter's overflow).
[[nodiscard]] bool PauseRun(const RunPlan& plan, int32_t games, PausedRun* paused);

// Plays on from `paused` to the plan's last game. The record holds what the games after the
// pause wrote (log lines, chart rows), the figures and the summary of the whole run.
RunRecord ResumeRun(const RunPlan& plan, PausedRun paused, Keep keep,
                    RunObserver* observer = nullptr);

// What the games to come depend on, as drawn for a machine a player is looking at: its setting,
// the stock's kinds in release order ('B' or 'R'), the mode and release game of the stretch under
// way (kNoReleasePending with nothing stocked and nothing won; a game already passed waits for a
// pure miss or a releasing cherry), the chance zone drawn at the last release, the games since
// it, and the player's purchase countdown, coins and money invested.
struct MachineNow {
  int setting = 6;
  std::string stock;  // one 'B' or 'R' per entry, at most kStockCapacity
  Mode mode = Mode::kNormal;
  int16_t release_game = kNoReleasePending;
  int16_t chance_zone_game = 0;
  int32_t games_since_release = 0;
  int16_t purchase_countdown = 0;
  int16_t coins = 0;
  int32_t invested = 0;
};

// A paused run in that state, game 0 of its own count, its draws coming from `seed`: resumed, it
// plays by the machine's rules exactly as a whole run in the same state would.
PausedRun PausedAt(const MachineNow& now, uint32_t seed);

// Plays on from `paused` until its game count reaches `until` or the plan's last game, in place
// (state, counters and figures); false once the run has ended, `abort_message` set when a counter
// overflowed.
[[nodiscard]] bool PlayOn(const RunPlan& plan, PausedRun* paused, int32_t until,
                          RunObserver* observer, std::string* abort_message);

}  // namespace tobiuo
