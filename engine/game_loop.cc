// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/game_loop.h"

#include <algorithm>
#include <concepts>

#include "base/number_text.h"
#include "engine/checked.h"
#include "engine/lotteries.h"
#include "engine/random_source.h"
#include "engine/setting_tables.h"
#include "engine/summary.h"

namespace tobiuo {
namespace {

constexpr int kPurchaseCoins = 50;
constexpr int kPurchaseYen = 1000;
constexpr int kRegPayout = 113;
constexpr int kCherryPayout = 7;
using lottery::kCherryPaysUpTo;
using lottery::kCherryReleasePaysUpTo;

enum Role { kPays3 = 1, kCherry, kPays6, kPays10, kPureMiss, kBigWon, kRegWon };
static_assert(kPureMiss == kPureMissRole);

void AppendPart(std::string& line, std::string_view text) { line += text; }
void AppendPart(std::string& line, std::integral auto number) { line += std::to_string(number); }

// One call of RunGames. Templated on the random source so that the usual generator's draws are
// inlined into the loop; any RandomSource gives the same run for the same numbers.
template <typename Random>
class GameLoop {
 public:
  GameLoop(SimState& state, Random& random, RunRecord& record, Keep keep, RunObserver* observer,
           const LoopCounters& counters)
      : state_(state),
        random_(random),
        record_(record),
        plan_(record.plan),
        figures_(record.figures),
        observer_(observer),
        keep_text_(keep == Keep::kRecord),
        roles_(RoleTable(record.plan.setting)),
        loop_(counters) {}

  bool RunGames(int32_t pause_at);
  const LoopCounters& counters() const { return loop_; }

 private:
  bool PlayGame();  // true when the quit rule stops the run in this game
  void BuyCoinsIfOut();
  int FindRole(int32_t number) const;
  void ApplyRole(int role);
  void Cherry();
  void PureMiss();
  void BonusWon(char kind);
  void StartImmediateRelease();
  bool Release();
  void PayBig(const char* mode_text);
  void PayReg(const char* mode_text);
  void WriteReleaseBlock();
  void DecideNextRelease();
  void ChartPoint();
  void WriteChartRow(int row);
  void FinishRun();

  template <typename... Parts>
  void Log(const Parts&... parts);

  SimState& state_;
  Random& random_;
  RunRecord& record_;
  const RunPlan& plan_;
  RunFigures& figures_;
  RunObserver* const observer_;
  const bool keep_text_;
  const std::array<uint8_t, 65536>& roles_;  // the role of each draw, for the plan's setting
  LoopCounters loop_;
};

template <typename Random>
template <typename... Parts>
void GameLoop<Random>::Log(const Parts&... parts) {
  if (!keep_text_) return;
  std::string line;
  (AppendPart(line, parts), ...);
  record_.log.push_back(std::move(line));
}

template <typename Random>
bool GameLoop<Random>::RunGames(int32_t pause_at) {
  figures_.ExchangeRate = plan_.rate;
  figures_.GamesChosen = plan_.games;
  const int32_t stop = pause_at > 0 ? std::min(pause_at, plan_.games) : plan_.games;
  bool quit = false;
  while (loop_.GameNo < stop) {
    if (PlayGame()) {
      quit = true;
      break;
    }
    ++loop_.GameNo;
    ++loop_.GamesSinceRelease;
  }
  if (!quit && loop_.GameNo < plan_.games) return true;
  figures_.GamesBet = loop_.GameNo + (quit ? 1 : 0);
  figures_.FinalStock = state_.Stock;
  record_.end = quit ? RunEnd::kQuit : RunEnd::kDone;
  FinishRun();
  return false;
}

template <typename Random>
bool GameLoop<Random>::PlayGame() {
  BuyCoinsIfOut();
  CheckedAdd(figures_.CoinDiff, -kBet, "差枚数");
  CheckedAdd(figures_.CoinsHeld, -kBet, "持ちコイン");
  ApplyRole(FindRole(DrawInt(random_, lottery::kRoleDraws)));
  // With the stock empty no release is due, whatever the count of games.
  if (loop_.GamesSinceRelease == state_.ReleaseGame && state_.Stock.Count > 0) {
    if (Release()) return true;
  }
  if (loop_.GameNo > 0 && loop_.GameNo % kGamesPerChartRow == 0) ChartPoint();
  return false;
}

template <typename Random>
void GameLoop<Random>::BuyCoinsIfOut() {
  if (figures_.CoinsHeld > 0) return;
  CheckedAdd(loop_.PurchaseCountdown, -kBet, "購入残り");
  if (loop_.PurchaseCountdown > 0) return;
  CheckedAdd(loop_.InvestSinceRelease, kPurchaseYen, "投資金額");
  CheckedAdd(figures_.InvestTotal, kPurchaseYen, "総投資金額");
  loop_.PurchaseCountdown = kPurchaseCoins;
  CheckedAdd(figures_.CoinsHeld, kPurchaseCoins, "持ちコイン");
}

// The first role 1..7 whose range holds the number, or 0 for none: one lookup.
template <typename Random>
int GameLoop<Random>::FindRole(int32_t number) const {
  return roles_[static_cast<size_t>(number)];
}

// Small wins are paid from a table, so that the usual games take no unpredictable branch; the
// rare roles with effects of their own are handled apart.
template <typename Random>
void GameLoop<Random>::ApplyRole(int role) {
  static constexpr std::array<int, 8> kCoins = {0, 3, 0, 6, 10, 0, 0, 0};
  const auto at = static_cast<size_t>(role);
  ++record_.role_counts[at];
  CheckedAdd(figures_.CoinsHeld, kCoins[at], "持ちコイン");
  CheckedAdd(figures_.CoinDiff, kCoins[at], "差枚数");
  switch (role) {
    case kCherry:
      [[unlikely]] Cherry();
      break;
    case kPureMiss:
      [[unlikely]] PureMiss();
      break;
    case kBigWon:
      [[unlikely]] BonusWon('B');
      break;
    case kRegWon:
      [[unlikely]] BonusWon('R');
      break;
    default:
      break;
  }
}

template <typename Random>
void GameLoop<Random>::Cherry() {
  const int32_t c = DrawInt(random_, lottery::kRoleDraws);
  if (observer_) observer_->OnCherry(loop_.GameNo, c <= kCherryReleasePaysUpTo);
  if (c > kCherryPaysUpTo && state_.Stock.Count > 0) {
    Log(c <= kCherryReleasePaysUpTo ? "+-+-+ チェ解除（チェリ－） +-+-+"
                                    : "+-+-+ チェ解除（制御でこぼし） +-+-+");
    StartImmediateRelease();
    CheckedAdd(figures_.CherryReleases, 1, "チェ解除回数");
  }
  if (c <= kCherryReleasePaysUpTo) {
    CheckedAdd(figures_.CoinsHeld, kCherryPayout, "持ちコイン");
    CheckedAdd(figures_.CoinDiff, kCherryPayout, "差枚数");
  }
}

template <typename Random>
void GameLoop<Random>::PureMiss() {
  if (observer_) observer_->OnPureMiss(loop_.GameNo);
  if (state_.Stock.Count > 0) {
    StartImmediateRelease();
    CheckedAdd(figures_.PureMissReleases, 1, "純ハズレ解除回数");
    Log("@@@@@ 純ハズレ (解除) @@@@@");
  } else {
    Log("@@@@@ 純ハズレ (ストックなし) @@@@@");
  }
}

// A cherry or pure-miss release: the head of the stock is released in this very game.
template <typename Random>
void GameLoop<Random>::StartImmediateRelease() {
  CheckedSet(state_.ReleaseGame, loop_.GamesSinceRelease, "解除ゲーム");
}

template <typename Random>
void GameLoop<Random>::BonusWon(char kind) {
  if (state_.Stock.Count == 0) DrawReleaseGame(state_, random_);
  CheckedAdd(loop_.BonusesWon, 1, "ボーナス成立回数");
  AppendStock(state_, kind, loop_.BonusesWon);
  Log(loop_.GameNo,
      kind == 'B' ? "P:BIG 成立 ストック数|B: " : "P: REG 成立  ストック数|B: ", state_.Stock.Big,
      "|R:", state_.Stock.Reg, "|合計:", state_.Stock.Count);
}

template <typename Random>
bool GameLoop<Random>::Release() {
  CheckedAdd(figures_.Releases, 1, "ボーナス回数");
  const bool heaven = state_.NextMode == Mode::kHeaven;
  CheckedAdd(heaven ? figures_.HeavenModeCount : figures_.NormalModeCount, 1, "モード回数");
  if (observer_) observer_->OnRelease(loop_.GameNo, heaven, state_.StockQueue[1].kind == 'B');
  const char* mode_text = heaven ? "天国" : "通常";
  if (state_.StockQueue[1].kind == 'B') {
    PayBig(mode_text);
  } else {
    PayReg(mode_text);
  }
  WriteReleaseBlock();
  loop_.InvestSinceRelease = 0;
  CheckedAdd(state_.Stock.Count, -1, "ストック数");

  if (plan_.quit >= plan_.games - loop_.GameNo) {
    Log("ヤメ:", loop_.GameNo, "P");
    return true;
  }
  DecideNextRelease();
  loop_.GamesSinceRelease = 0;
  return false;
}

template <typename Random>
void GameLoop<Random>::PayBig(const char* mode_text) {
  CheckedAdd(figures_.BigReleases, 1, "BIG回数");
  Log("----- BIG ", figures_.BigReleases, "回目 (", std::string_view(mode_text), ")-----");
  const int16_t coins = DrawBigPayout(state_, random_);
  CheckedAdd(figures_.CoinDiff, coins, "差枚数");
  CheckedAdd(figures_.CoinsHeld, coins, "持ちコイン");
  CheckedAdd(state_.Stock.Big, -1, "BIGストック数");
  const int32_t big_gap = state_.ReleaseGame + loop_.GamesSinceBig;
  if (big_gap > figures_.MaxBigGap) figures_.MaxBigGap = big_gap;
  if (state_.ReleaseGame > figures_.MaxBonusGap) figures_.MaxBonusGap = state_.ReleaseGame;
  if (figures_.CoinsHeld > figures_.PeakCoins) figures_.PeakCoins = figures_.CoinsHeld;
  loop_.GamesSinceBig = 0;
}

template <typename Random>
void GameLoop<Random>::PayReg(const char* mode_text) {
  CheckedAdd(figures_.RegReleases, 1, "REG回数");
  Log("+++++ REG ", figures_.RegReleases, "回目 (", std::string_view(mode_text), ")+++++");
  CheckedAdd(figures_.CoinDiff, kRegPayout, "差枚数");
  CheckedAdd(figures_.CoinsHeld, kRegPayout, "持ちコイン");
  CheckedAdd(state_.Stock.Reg, -1, "REGストック数");
  CheckedAdd(loop_.GamesSinceBig, state_.ReleaseGame, "BIG間ゲーム数");
  if (state_.ReleaseGame > figures_.MaxBonusGap) figures_.MaxBonusGap = state_.ReleaseGame;
  if (figures_.CoinsHeld > figures_.PeakCoins) figures_.PeakCoins = figures_.CoinsHeld;
}

template <typename Random>
void GameLoop<Random>::WriteReleaseBlock() {
  if (!keep_text_) return;
  int16_t range_end = 0;
  CheckedSet(range_end, state_.ReleaseRangeBase + 30, "解除範囲");
  Log("解除範囲:", state_.ReleaseRangeBase, "～", range_end);
  Log("実際解除P:", state_.ReleaseGame);
  if (loop_.InvestSinceRelease > 0) {
    Log("投資金額:", FormatMoney(loop_.InvestSinceRelease), "円");
  }
  Log("トータルP:", loop_.GameNo);
  Log("持ちコイン:", figures_.CoinsHeld);
  Log("差枚数:", figures_.CoinDiff);
}

// After a release that does not end the run: the next mode, release game and chance zone.
template <typename Random>
void GameLoop<Random>::DecideNextRelease() {
  Log("チャンスゾーン:", state_.ChanceZoneGame, "Pまで");
  const bool in_zone = state_.ChanceZoneGame >= state_.ReleaseGame;
  Log(in_zone ? "次回モード:天国" : "次回モード:通常");
  state_.NextMode = in_zone ? Mode::kHeaven : Mode::kNormal;
  if (state_.Stock.Count == 0) {
    state_.ReleaseGame = kNoReleasePending;
  } else {
    DrawReleaseGame(state_, random_);
    ShiftStockDown(state_);
  }
  DrawChanceZone(state_, random_);
  Log("次回チャンスゾーン:", state_.ChanceZoneGame, "Pまで");
}

template <typename Random>
void GameLoop<Random>::ChartPoint() {
  if (figures_.CoinsHeld > figures_.PeakCoins) figures_.PeakCoins = figures_.CoinsHeld;
  WriteChartRow(loop_.GameNo / kGamesPerChartRow + 1);
}

template <typename Random>
void GameLoop<Random>::WriteChartRow(int row) {
  if (observer_) observer_->OnRow(row, figures_.CoinDiff);
  if (keep_text_) record_.chart[static_cast<size_t>(row - 1)].coin_diff = figures_.CoinDiff;
}

template <typename Random>
void GameLoop<Random>::FinishRun() {
  if (plan_.games == loop_.GameNo) Log("ヤメ:", loop_.GameNo, "P");
  if (keep_text_) record_.summary = FormatResultSummary(figures_);
  WriteChartRow(ChartRowsFor(plan_.games));
}

}  // namespace

namespace {

template <typename Random>
bool Play(SimState& state, Random& random, RunRecord& record, Keep keep, RunObserver* observer,
          LoopCounters* counters, int32_t pause_at) {
  GameLoop<Random> loop(state, random, record, keep, observer, *counters);
  const bool paused = loop.RunGames(pause_at);
  *counters = loop.counters();
  return paused;
}

}  // namespace

bool RunGames(SimState& state, RandomSource& random, RunRecord& record, Keep keep,
              RunObserver* observer, LoopCounters* counters, int32_t pause_at) {
  if (auto* generator = dynamic_cast<Mt19937Source*>(&random)) {
    return Play(state, *generator, record, keep, observer, counters, pause_at);
  }
  return Play(state, random, record, keep, observer, counters, pause_at);
}

}  // namespace tobiuo
