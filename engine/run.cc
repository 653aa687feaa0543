#include "engine/run.h"

#include <cmath>

#include "base/number_text.h"
#include "base/utf8.h"
#include "engine/checked.h"
#include "engine/game_loop.h"
#include "engine/lotteries.h"
#include "engine/random_source.h"
#include "engine/setting_tables.h"

namespace tobiuo {
namespace {

constexpr int32_t kInitialModeDraw = 61;
constexpr int32_t kHeavenUpTo = 10;

// Reads an integer field into [low, high]; refuses it, naming the field, otherwise.
Status ReadIntField(std::string_view text, int16_t low, int16_t high, InputField field,
                    const std::string& name, int16_t* value) {
  const std::optional<double> real = ReadReal(text);
  if (!real) return Status::BadInput(field, name + "には数値を入力してください");
  const double rounded = RoundHalfEven(*real);
  if (rounded < low || rounded > high) {
    return Status::BadInput(field, name + "は" + std::to_string(low) + "～" + std::to_string(high) +
                                       "の範囲で入力してください");
  }
  *value = static_cast<int16_t>(rounded);
  return Status::Ok();
}

Status ReadSetting(std::string_view text, int* setting) {
  const std::string digit = NormalizeNumberText(text);
  if (digit.size() != 1 || digit[0] < '1' || digit[0] > '6') {
    return Status::BadInput(InputField::kSetting, "設定は1～6のいずれかを選んでください");
  }
  *setting = digit[0] - '0';
  return Status::Ok();
}

Status ReadGames(std::string_view text, int32_t* games) {
  const std::optional<double> real = ReadReal(text);
  if (!real) return Status::BadInput(InputField::kGames, "P数には数値を入力してください");
  if (*real < 1 || *real > kMaxGames || *real != std::floor(*real)) {
    return Status::BadInput(InputField::kGames, "P数は1～8000の整数で入力してください");
  }
  *games = static_cast<int32_t>(*real);
  return Status::Ok();
}

// A seed is a plain whole number of 0 to 2^32 - 1; none given means a fresh one.
Status ReadSeed(std::string_view text, uint32_t* seed) {
  const std::string digits = NormalizeNumberText(text);
  if (digits.empty()) {
    *seed = ChooseRunSeed();
    return Status::Ok();
  }
  uint64_t value = 0;
  for (char c : digits) {
    if (c >= '0' && c <= '9') value = value * 10 + static_cast<uint64_t>(c - '0');
    if (c < '0' || c > '9' || value > UINT32_MAX) {
      return Status::BadInput(InputField::kSeed, "シードは0～4294967295の整数で入力してください");
    }
  }
  *seed = static_cast<uint32_t>(value);
  return Status::Ok();
}

void PrepareRun(SimState& state, RandomSource& random, RunRecord& record, Keep keep) {
  const RunPlan& plan = record.plan;
  state.NextMode = Mode::kNormal;
  if (plan.setting_changed && DrawInt(random, kInitialModeDraw) <= kHeavenUpTo) {
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

}  // namespace

Status ValidateInputs(const RunInputs& inputs, RunPlan* plan) {
  const std::pair<const std::string*, InputField> texts[] = {
      {&inputs.setting, InputField::kSetting}, {&inputs.games, InputField::kGames},
      {&inputs.rate, InputField::kRate},       {&inputs.stock, InputField::kStock},
      {&inputs.quit, InputField::kQuit},       {&inputs.seed, InputField::kSeed}};
  for (const auto& [text, field] : texts) {
    if (!IsValidUtf8(*text)) return Status::BadInput(field, "UTF-8として正しくない文字があります");
  }
  RunPlan p;
  if (Status s = ReadSetting(inputs.setting, &p.setting); !s.ok()) return s;
  if (Status s = ReadGames(inputs.games, &p.games); !s.ok()) return s;
  p.games_text = inputs.games;
  if (Status s = ReadIntField(inputs.rate, 1, INT16_MAX, InputField::kRate, "換金率", &p.rate);
      !s.ok()) {
    return s;
  }
  if (Status s = ReadIntField(inputs.stock, 0, kMaxInitialStock, InputField::kStock,
                              "初期ストック数", &p.stock);
      !s.ok()) {
    return s;
  }
  const std::optional<double> quit = ReadReal(inputs.quit);
  if (!quit) return Status::BadInput(InputField::kQuit, "ヤメ時には数値を入力してください");
  p.quit = *quit;
  p.setting_changed = inputs.setting_changed;
  if (Status s = ReadSeed(inputs.seed, &p.seed); !s.ok()) return s;
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
  try {
    PrepareRun(state, random, record, keep);
    RunGames(state, random, record, keep, observer);
  } catch (const RunAbort& abort) {
    record.end = RunEnd::kAborted;
    record.abort_message = abort.what();
    record.summary.clear();
  }
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

}  // namespace tobiuo
