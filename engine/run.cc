// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/run.h"

#include <cmath>

#include "base/fields.h"
#include "base/number_text.h"
#include "base/utf8.h"
#include "engine/checked.h"
#include "engine/game_loop.h"
#include "engine/lotteries.h"
#include "engine/random_source.h"
#include "engine/setting_tables.h"

namespace tobiuo {
namespace {

Status ReadSetting(std::string_view text, int* setting) {
  const std::string digit = NormalizeNumberText(text);
  if (!IsValidUtf8(text)) return Refuse(kSettingField, "UTF-8として正しくない文字があります");
  if (digit.size() != 1 || digit[0] < '1' || digit[0] > '6') {
    return Refuse(kSettingField, "設定は1～6のいずれかを選んでください");
  }
  *setting = digit[0] - '0';
  return Status::Ok();
}

void PrepareRun(SimState& state, RandomSource& random, RunRecord& record, Keep keep) {
  const RunPlan& plan = record.plan;
  state.NextMode = Mode::kNormal;
  if (plan.setting_changed &&
      DrawInt(random, lottery::kInitialModeDraws) <= lottery::kInitialHeavenUpTo) {
    state.NextMode = Mode::kHeaven;
  }
  if (keep == Keep::kRecord) {
    record.log.push_back(state.NextMode == Mode::kHeaven ? "初期モード:天国" : "初期モード:通常");
  }
  FillStock(state, plan.stock, random);
  if (keep == Keep::kRecord) {
    record.chart = EmptyChart(plan);
    record.chart.front().coin_diff = 0;
  }
  LoadSettingTables(state, plan.setting);
  if (state.Stock.Count > 0) DrawReleaseGame(state, random);
  DrawChanceZone(state, random);
}

// Plays with `play`, a counter's overflow ending the record there with its message.
template <typename Play>
void EndingOnAbort(RunRecord& record, Play play) {
  try {
    play();
  } catch (const RunAbort& abort) {
    record.end = RunEnd::kAborted;
    record.abort_message = abort.what();
    record.summary.clear();
  }
}

}  // namespace

Status ReadSeed(std::string_view text, uint32_t* seed) {
  const std::string digits = NormalizeNumberText(text);
  if (!IsValidUtf8(text)) return Refuse(kSeedField, "UTF-8として正しくない文字があります");
  if (digits.empty()) {
    *seed = ChooseRunSeed();
    return Status::Ok();
  }
  uint64_t value = 0;
  for (char c : digits) {
    if (c >= '0' && c <= '9') value = value * 10 + static_cast<uint64_t>(c - '0');
    if (c < '0' || c > '9' || value > UINT32_MAX) {
      return Refuse(kSeedField, "シードは0～4294967295の整数で入力してください");
    }
  }
  *seed = static_cast<uint32_t>(value);
  return Status::Ok();
}

Status ValidateInputs(const RunInputs& inputs, RunPlan* plan) {
  RunPlan p;
  int64_t games = 0;
  Status s = ReadSetting(inputs.setting, &p.setting);
  if (s.ok()) s = ReadWholeField(inputs.games, kGamesField, 1, kMaxGames, &games);
  if (s.ok()) s = ReadRoundedField(inputs.rate, kRateField, 1, INT16_MAX, &p.rate);
  if (s.ok()) s = ReadRoundedField(inputs.stock, kStockField, 0, kMaxInitialStock, &p.stock);
  if (s.ok()) s = ReadRealField(inputs.quit, kQuitField, &p.quit);
  if (s.ok()) s = ReadSeed(inputs.seed, &p.seed);
  if (!s.ok()) return s;
  p.games = static_cast<int32_t>(games);
  p.games_text = inputs.games;
  p.setting_changed = inputs.setting_changed;
  *plan = std::move(p);
  return Status::Ok();
}

int ChartRowsFor(int32_t games) {
  if (games <= kGamesPerChartRow) return 2;
  return games / kGamesPerChartRow + (games % kGamesPerChartRow == 0 ? 1 : 2);
}

std::vector<ChartRow> EmptyChart(const RunPlan& plan) {
  const int rows = ChartRowsFor(plan.games);
  std::vector<ChartRow> chart(static_cast<size_t>(rows));
  for (int i = 1; i <= rows - 1; ++i) {
    const bool labelled = i == 1 || rows <= 10 || i % 5 == 1;
    if (labelled) chart[static_cast<size_t>(i - 1)].label = std::to_string((i - 1) * 100);
  }
  chart.back().label = plan.games_text;
  return chart;
}

int RunRecord::LastChartRow() const {
  for (size_t row = chart.size(); row > 0; --row) {
    if (chart[row - 1].coin_diff) return static_cast<int>(row);
  }
  return 0;
}

RunRecord PlayRunOn(SimState& state, const RunPlan& plan, RandomSource& random, Keep keep,
                    RunObserver* observer) {
  RunRecord record;
  record.plan = plan;
  EndingOnAbort(record, [&] {
    PrepareRun(state, random, record, keep);
    LoopCounters counters;
    (void)RunGames(state, random, record, keep, observer, &counters);
  });
  return record;
}

RunRecord PlayRun(const RunPlan& plan, RandomSource& random, Keep keep, RunObserver* observer) {
  SimState state;
  return PlayRunOn(state, plan, random, keep, observer);
}

RunRecord PlayRun(const RunPlan& plan, Keep keep, RunObserver* observer) {
  Mt19937Source random(plan.seed);
  return PlayRun(plan, random, keep, observer);
}

bool PauseRun(const RunPlan& plan, int32_t games, PausedRun* paused) {
  PausedRun at;
  at.random = Mt19937Source(plan.seed);
  RunRecord record;
  record.plan = plan;
  bool paused_there = false;
  EndingOnAbort(record, [&] {
    PrepareRun(at.machine, at.random, record, Keep::kFigures);
    paused_there =
        RunGames(at.machine, at.random, record, Keep::kFigures, nullptr, &at.counters, games);
  });
  if (!paused_there) return false;
  at.figures = record.figures;
  at.role_counts = record.role_counts;
  *paused = std::move(at);
  return true;
}

RunRecord ResumeRun(const RunPlan& plan, PausedRun paused, Keep keep, RunObserver* observer) {
  RunRecord record;
  record.plan = plan;
  record.figures = paused.figures;
  record.role_counts = paused.role_counts;
  if (keep == Keep::kRecord) record.chart = EmptyChart(plan);
  EndingOnAbort(record, [&] {
    (void)RunGames(paused.machine, paused.random, record, keep, observer, &paused.counters);
  });
  return record;
}

PausedRun PausedAt(const MachineNow& now, uint32_t seed) {
  PausedRun at;
  at.random = Mt19937Source(seed);
  SimState& m = at.machine;
  LoadSettingTables(m, now.setting);
  for (const char kind : now.stock) AppendStock(m, kind, 0);
  m.NextMode = now.mode;
  m.ReleaseGame = now.release_game;
  m.ChanceZoneGame = now.chance_zone_game;
  at.counters.GamesSinceRelease = now.games_since_release;
  at.counters.PurchaseCountdown = now.purchase_countdown;
  at.figures.CoinsHeld = now.coins;
  at.figures.PeakCoins = now.coins;
  at.figures.InvestTotal = now.invested;
  return at;
}

bool PlayOn(const RunPlan& plan, PausedRun* paused, int32_t until, RunObserver* observer,
            std::string* abort_message) {
  RunRecord record;
  record.plan = plan;
  record.figures = paused->figures;
  record.role_counts = paused->role_counts;
  bool paused_there = false;
  EndingOnAbort(record, [&] {
    paused_there = RunGames(paused->machine, paused->random, record, Keep::kFigures, observer,
                            &paused->counters, until);
  });
  paused->figures = record.figures;
  paused->role_counts = record.role_counts;
  if (record.end == RunEnd::kAborted && abort_message) *abort_message = record.abort_message;
  return paused_there;
}

}  // namespace tobiuo
