#include "engine/run_command.h"

#include <cmath>

#include "engine/checked.h"
#include "engine/lotteries.h"
#include "engine/number_text.h"
#include "engine/random_source.h"
#include "engine/setting_tables.h"
#include "engine/sim_state.h"

namespace tobiuo {
namespace {

constexpr int32_t kInitialModeDraw = 61;
constexpr int32_t kHeavenUpTo = 10;

InputCheck Refuse(InputField field, std::string message) {
  InputCheck check;
  check.field = field;
  check.message = std::move(message);
  return check;
}

// Checks an integer-read field against [low, high]; empty message when it passes.
std::string CheckInt16(std::string_view text, int16_t low, int16_t high, const std::string& name,
                       int16_t& value) {
  const std::string range = name + "は" + std::to_string(low) + "～" + std::to_string(high) +
                            "の範囲で入力してください";
  switch (ReadInt16(text, value)) {
    case IntReading::kNotNumber: return name + "には数値を入力してください";
    case IntReading::kOutOfRange: return range;
    case IntReading::kOk: break;
  }
  return value < low || value > high ? range : "";
}

void SetUpChart(Panel& panel, const RunPlan& plan) {
  panel.SetChartTitle("トビウオ号 設定:" + plan.setting);
  const int rows = ChartRowsFor(plan.games);
  panel.SetChartRowCount(rows);
  for (int i = 1; i <= rows - 1; ++i) {
    int16_t label = 0;
    CheckedSet(label, (i - 1) * 100, "グラフの目盛り");
    panel.SelectChartRow(i);
    const bool labelled = i == 1 || rows <= 10 || i % 5 == 1;
    panel.SetChartRowLabel(labelled ? std::to_string(label) : "");
  }
  panel.SetProgressMaximum(rows);
  panel.SetProgressValue(1);
  panel.SelectChartRow(rows);
  panel.SetChartRowLabel(plan.games_text);
  panel.SelectChartRow(1);
  panel.SetChartRowValue("0");
}

void PrepareRun(SimState& state, Panel& panel, RandomSource& random, const RunPlan& plan) {
  const bool listening = panel.Listening();
  state.HeavenMode = 0;
  if (listening) panel.ClearLog();
  state.StockReg = state.StockBig = state.HeavenModeCount = state.NormalModeCount = 0;
  state.ExchangeRate = plan.rate;
  if (plan.setting_changed && DrawInt(random, kInitialModeDraw) <= kHeavenUpTo) state.HeavenMode = -1;
  if (listening) panel.AppendLog(state.HeavenMode != 0 ? "初期モード:天国" : "初期モード:通常");
  FillStock(state, plan.stock, random);
  if (listening) SetUpChart(panel, plan);
  LoadSettingTables(state, plan.setting);
  if (state.StockCount > 0) DrawReleaseGame(state, random);
  DrawChanceZone(state, random);
}

}  // namespace

InputCheck ValidateInputs(const RunInputs& inputs) {
  RunPlan plan;
  plan.setting = NormalizeNumberText(inputs.setting);
  if (plan.setting.size() != 1 || plan.setting[0] < '1' || plan.setting[0] > '6') {
    return Refuse(InputField::kSetting, "設定は1～6のいずれかを選んでください");
  }
  const std::optional<double> games = ReadReal(inputs.games);
  if (!games) return Refuse(InputField::kGames, "P数には数値を入力してください");
  if (*games < 1 || *games > kMaxGames || *games != std::floor(*games)) {
    return Refuse(InputField::kGames, "P数は1～8000の整数で入力してください");
  }
  plan.games = static_cast<int32_t>(*games);
  plan.games_text = inputs.games;
  if (std::string m = CheckInt16(inputs.rate, 1, INT16_MAX, "換金率", plan.rate); !m.empty()) {
    return Refuse(InputField::kRate, m);
  }
  if (std::string m = CheckInt16(inputs.stock, 0, kMaxInitialStock, "初期ストック数", plan.stock);
      !m.empty()) {
    return Refuse(InputField::kStock, m);
  }
  const std::optional<double> quit = ReadReal(inputs.quit);
  if (!quit) return Refuse(InputField::kQuit, "ヤメ時には数値を入力してください");
  plan.quit = *quit;
  plan.setting_changed = inputs.setting_changed;
  return InputCheck{true, InputField::kNone, "", std::move(plan)};
}

int ChartRowsFor(double games) {
  if (games <= 100) return 2;
  const bool whole_hundreds = std::fmod(RoundHalfEven(games), 100.0) == 0;
  return static_cast<int>(std::floor(games / 100)) + (whole_hundreds ? 1 : 2);
}

RunOutcome PlayRun(SimState& state, Panel& panel, RandomSource& random, const RunPlan& plan) {
  RunOutcome outcome;
  try {
    PrepareRun(state, panel, random, plan);
    outcome.result = RunGames(state, panel, random, plan);
  } catch (const RunAbort& abort) {
    outcome.status = RunOutcome::Status::kAborted;
    outcome.message = abort.what();
  }
  return outcome;
}

RunOutcome StartRun(SimState& state, Panel& panel, RandomSource& random) {
  InputCheck check = ValidateInputs(panel.ReadInputs());
  if (!check.ok) {
    RunOutcome outcome;
    outcome.status = RunOutcome::Status::kBadInput;
    outcome.field = check.field;
    outcome.message = std::move(check.message);
    return outcome;
  }
  return PlayRun(state, panel, random, check.plan);
}

}  // namespace tobiuo
