// The Run command: checks the start inputs, prepares a fresh run and plays it.
//
// ValidateInputs refuses, with a Japanese message naming the field, a setting other than "1" to
// "6", a number of games that is not a whole number from 1 to 8000, an initial stock outside 0 to
// 255 or an exchange rate outside 1 to 32767 (both after the integer reading), and any text that is
// not a number. StartRun reads the panel's inputs, validates them and, only if they pass, resets the
// state, writes the initial-mode line, fills the stock, sets up the chart and progress bar, loads
// the tables, draws the first release game and chance zone, and plays the games. The window, the
// command-line tool and the tests all start runs through it.
#pragma once

#include <string>

#include "engine/game_loop.h"
#include "engine/panel.h"

namespace tobiuo {

class RandomSource;
struct SimState;

inline constexpr int32_t kMaxGames = 8000;
inline constexpr int16_t kMaxInitialStock = 255;

enum class InputField { kNone, kSetting, kGames, kRate, kStock, kQuit };

struct InputCheck {
  bool ok = false;
  InputField field = InputField::kNone;  // the offending field when not ok
  std::string message;
  RunPlan plan;  // when ok
};

InputCheck ValidateInputs(const RunInputs& inputs);

struct RunOutcome {
  enum class Status { kFinished, kBadInput, kAborted };
  Status status = Status::kFinished;
  InputField field = InputField::kNone;  // with kBadInput
  std::string message;                   // with kBadInput and kAborted
  RunResult result;                      // with kFinished

  bool ok() const { return status == Status::kFinished; }
};

// The chart's row count for a games text read as `games`: one row per 100 games plus the start row,
// and a last row for a remainder.
int ChartRowsFor(double games);

// Plays a validated run. A counter overflow ends it with kAborted; the log lines written so far
// stay and no summary is written.
RunOutcome PlayRun(SimState& state, Panel& panel, RandomSource& random, const RunPlan& plan);

// Reads the inputs from the panel and plays them; refused inputs change nothing.
RunOutcome StartRun(SimState& state, Panel& panel, RandomSource& random);

}  // namespace tobiuo
