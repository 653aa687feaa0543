#include "engine/game_loop.h"

#include <concepts>

#include "engine/checked.h"
#include "engine/lotteries.h"
#include "engine/number_text.h"
#include "engine/panel.h"
#include "engine/random_source.h"
#include "engine/sim_state.h"

namespace tobiuo {
namespace {

constexpr int kBet = 3;
constexpr int kPurchaseCoins = 50;
constexpr int kPurchaseYen = 1000;
constexpr int kRegPayout = 113;
constexpr int kCherryPayout = 7;
constexpr int32_t kCherryPaysUpTo = 46166;
constexpr int32_t kCherryReleasePaysUpTo = 61596;
constexpr int kGamesPerChartRow = 100;

enum Role { kPays3 = 1, kCherry, kPays6, kPays10, kPureMiss, kBigWon, kRegWon };

// Counters that live for one call of RunGames.
struct RunState {
  int32_t GameNo = 0;
  int32_t GamesSinceRelease = 0;
  int16_t CoinsHeld = 0;
  int16_t CoinDiff = 0;
  int16_t PurchaseCountdown = 0;
  int32_t InvestSinceRelease = 0;
  int32_t InvestTotal = 0;
  int32_t PeakCoins = 0;
  int32_t MaxBigGap = 0;
  int32_t GamesSinceBig = 0;
  int32_t MaxBonusGap = 0;
  int16_t BigReleases = 0;
  int16_t RegReleases = 0;
  int16_t Releases = 0;
  int16_t PureMissReleases = 0;
  int16_t CherryReleases = 0;
  int16_t BonusesWon = 0;
};

void AppendPart(std::string& line, std::string_view text) { line += text; }
void AppendPart(std::string& line, std::integral auto number) { line += std::to_string(number); }

// Whether roles 1 to 8 run from 1 upward without a gap, as every setting's table does; then a
// number above role 7's range has no role, whatever the entries below it.
bool RolesContiguous(const SimState& state) {
  if (state.RoleLow[1] != 1) return false;
  for (size_t k = 1; k < 7; ++k) {
    if (state.RoleLow[k + 1] != state.RoleHigh[k] + 1 || state.RoleHigh[k] < state.RoleLow[k]) return false;
  }
  return state.RoleHigh[7] >= state.RoleLow[7];
}

// One call of RunGames. Templated on the random source so that the usual generator's draws are
// inlined into the loop; any RandomSource gives the same run for the same numbers.
template <typename Random>
class GameLoop {
 public:
  GameLoop(SimState& state, Panel& panel, Random& random, const RunPlan& plan)
      : state_(state), panel_(panel), random_(random), plan_(plan), listening_(panel.Listening()),
        roles_contiguous_(RolesContiguous(state)) {}

  RunResult RunGames();

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
  void FinishRun(const RunFigures& figures);
  RunFigures Figures() const;

  template <typename... Parts>
  void Log(const Parts&... parts);

  SimState& state_;
  Panel& panel_;
  Random& random_;
  const RunPlan& plan_;
  const bool listening_;
  const bool roles_contiguous_;
  RunState run_;
  std::array<int32_t, 8> role_counts_{};
};

}  // namespace

template <typename Random>
template <typename... Parts>
void GameLoop<Random>::Log(const Parts&... parts) {
  if (!listening_) return;
  std::string line;
  (AppendPart(line, parts), ...);
  panel_.AppendLog(line);
}


template <typename Random>
RunResult GameLoop<Random>::RunGames() {
  run_ = RunState{};
  bool stopped = false;
  while (run_.GameNo < plan_.games) {
    if (PlayGame()) {
      stopped = true;
      break;
    }
    ++run_.GameNo;
    ++run_.GamesSinceRelease;
  }
  RunResult result;
  result.figures = Figures();
  FinishRun(result.figures);
  result.role_counts = role_counts_;
  result.games_bet = run_.GameNo + (stopped ? 1 : 0);
  result.stopped_early = stopped;
  return result;
}

template <typename Random>
bool GameLoop<Random>::PlayGame() {
  BuyCoinsIfOut();
  CheckedAdd(run_.CoinDiff, -kBet, "差枚数");
  CheckedAdd(run_.CoinsHeld, -kBet, "持ちコイン");
  ApplyRole(FindRole(DrawInt(random_, 65535)));
  // With the stock empty no release is due, whatever the count of games.
  if (run_.GamesSinceRelease == state_.ReleaseGame && state_.StockCount > 0) {
    if (Release()) return true;
  }
  if (run_.GameNo > 0 && run_.GameNo % kGamesPerChartRow == 0) ChartPoint();
  return false;
}

template <typename Random>
void GameLoop<Random>::BuyCoinsIfOut() {
  if (run_.CoinsHeld > 0) return;
  CheckedAdd(run_.PurchaseCountdown, -kBet, "購入残り");
  if (run_.PurchaseCountdown > 0) return;
  CheckedAdd(run_.InvestSinceRelease, kPurchaseYen, "投資金額");
  CheckedAdd(run_.InvestTotal, kPurchaseYen, "総投資金額");
  run_.PurchaseCountdown = kPurchaseCoins;
  CheckedAdd(run_.CoinsHeld, kPurchaseCoins, "持ちコイン");
}

// The first role 1..7 whose range holds the number, or 0 for none. With contiguous roles the role
// is found without branches: one more than the number of roles whose range lies below the number.
template <typename Random>
int GameLoop<Random>::FindRole(int32_t number) const {
  if (roles_contiguous_) {
    int role = 1;
    for (size_t k = kPays3; k <= kRegWon; ++k) role += number > state_.RoleHigh[k];
    return role & 7;  // 8, above role 7, is no role
  }
  for (int k = kPays3; k <= kRegWon; ++k) {
    const auto at = static_cast<size_t>(k);
    if (state_.RoleLow[at] <= number && number <= state_.RoleHigh[at]) return k;
  }
  return 0;
}

// Small wins are paid from a table, so that the usual games take no unpredictable branch; the
// rare roles with effects of their own are handled apart.
template <typename Random>
void GameLoop<Random>::ApplyRole(int role) {
  static constexpr std::array<int, 8> kCoins = {0, 3, 0, 6, 10, 0, 0, 0};
  const auto at = static_cast<size_t>(role);
  ++role_counts_[at];
  CheckedAdd(run_.CoinsHeld, kCoins[at], "持ちコイン");
  CheckedAdd(run_.CoinDiff, kCoins[at], "差枚数");
  switch (role) {
    case kCherry: [[unlikely]] Cherry(); break;
    case kPureMiss: [[unlikely]] PureMiss(); break;
    case kBigWon: [[unlikely]] BonusWon('B'); break;
    case kRegWon: [[unlikely]] BonusWon('R'); break;
    default: break;
  }
}

template <typename Random>
void GameLoop<Random>::Cherry() {
  const int32_t c = DrawInt(random_, 65535);
  if (c > kCherryPaysUpTo && state_.StockCount > 0) {
    Log(c <= kCherryReleasePaysUpTo ? "+-+-+ チェ解除（チェリ－） +-+-+"
                                    : "+-+-+ チェ解除（制御でこぼし） +-+-+");
    StartImmediateRelease();
    CheckedAdd(run_.CherryReleases, 1, "チェ解除回数");
  }
  if (c <= kCherryReleasePaysUpTo) {
    CheckedAdd(run_.CoinsHeld, kCherryPayout, "持ちコイン");
    CheckedAdd(run_.CoinDiff, kCherryPayout, "差枚数");
  }
}

template <typename Random>
void GameLoop<Random>::PureMiss() {
  if (state_.StockCount > 0) {
    StartImmediateRelease();
    CheckedAdd(run_.PureMissReleases, 1, "純ハズレ解除回数");
    Log("@@@@@ 純ハズレ (解除) @@@@@");
  } else {
    Log("@@@@@ 純ハズレ (ストックなし) @@@@@");
  }
}

// A cherry or pure-miss release: the head of the stock is released in this very game.
template <typename Random>
void GameLoop<Random>::StartImmediateRelease() {
  CheckedSet(state_.ReleaseGame, run_.GamesSinceRelease, "解除ゲーム");
}

template <typename Random>
void GameLoop<Random>::BonusWon(char kind) {
  if (state_.StockCount == 0) DrawReleaseGame(state_, random_);
  CheckedAdd(run_.BonusesWon, 1, "ボーナス成立回数");
  AppendStock(state_, kind, run_.BonusesWon);
  Log(run_.GameNo, kind == 'B' ? "P:BIG 成立 ストック数|B: " : "P: REG 成立  ストック数|B: ",
      state_.StockBig, "|R:", state_.StockReg, "|合計:", state_.StockCount);
}

template <typename Random>
bool GameLoop<Random>::Release() {
  CheckedAdd(run_.Releases, 1, "ボーナス回数");
  const bool heaven = state_.HeavenMode == -1;
  CheckedAdd(heaven ? state_.HeavenModeCount : state_.NormalModeCount, 1, "モード回数");
  const char* mode_text = heaven ? "天国" : "通常";
  if (state_.StockQueue[1].kind == 'B') {
    PayBig(mode_text);
  } else {
    PayReg(mode_text);
  }
  WriteReleaseBlock();
  run_.InvestSinceRelease = 0;
  CheckedAdd(state_.StockCount, -1, "ストック数");

  if (plan_.quit >= plan_.games - run_.GameNo) {
    Log("ヤメ:", run_.GameNo, "P");
    return true;
  }
  DecideNextRelease();
  run_.GamesSinceRelease = 0;
  return false;
}

template <typename Random>
void GameLoop<Random>::PayBig(const char* mode_text) {
  CheckedAdd(run_.BigReleases, 1, "BIG回数");
  Log("----- BIG ", run_.BigReleases, "回目 (", std::string_view(mode_text), ")-----");
  const int16_t coins = DrawBigPayout(state_, random_);
  CheckedAdd(run_.CoinDiff, coins, "差枚数");
  CheckedAdd(run_.CoinsHeld, coins, "持ちコイン");
  CheckedAdd(state_.StockBig, -1, "BIGストック数");
  const int32_t big_gap = state_.ReleaseGame + run_.GamesSinceBig;
  if (big_gap > run_.MaxBigGap) run_.MaxBigGap = big_gap;
  if (state_.ReleaseGame > run_.MaxBonusGap) run_.MaxBonusGap = state_.ReleaseGame;
  if (run_.CoinsHeld > run_.PeakCoins) run_.PeakCoins = run_.CoinsHeld;
  run_.GamesSinceBig = 0;
}

template <typename Random>
void GameLoop<Random>::PayReg(const char* mode_text) {
  CheckedAdd(run_.RegReleases, 1, "REG回数");
  Log("+++++ REG ", run_.RegReleases, "回目 (", std::string_view(mode_text), ")+++++");
  CheckedAdd(run_.CoinDiff, kRegPayout, "差枚数");
  CheckedAdd(run_.CoinsHeld, kRegPayout, "持ちコイン");
  CheckedAdd(state_.StockReg, -1, "REGストック数");
  CheckedAdd(run_.GamesSinceBig, state_.ReleaseGame, "BIG間ゲーム数");
  if (state_.ReleaseGame > run_.MaxBonusGap) run_.MaxBonusGap = state_.ReleaseGame;
  if (run_.CoinsHeld > run_.PeakCoins) run_.PeakCoins = run_.CoinsHeld;
}

template <typename Random>
void GameLoop<Random>::WriteReleaseBlock() {
  if (!listening_) return;
  int16_t range_end = 0;
  CheckedSet(range_end, state_.ReleaseRangeBase + 30, "解除範囲");
  Log("解除範囲:", state_.ReleaseRangeBase, "～", range_end);
  Log("実際解除P:", state_.ReleaseGame);
  if (run_.InvestSinceRelease > 0) Log("投資金額:", FormatMoney(run_.InvestSinceRelease), "円");
  Log("トータルP:", run_.GameNo);
  Log("持ちコイン:", run_.CoinsHeld);
  Log("差枚数:", run_.CoinDiff);
}

// After a release that does not end the run: the next mode, release game and chance zone.
template <typename Random>
void GameLoop<Random>::DecideNextRelease() {
  Log("チャンスゾーン:", state_.ChanceZoneGame, "Pまで");
  const bool in_zone = state_.ChanceZoneGame >= state_.ReleaseGame;
  Log(in_zone ? "次回モード:天国" : "次回モード:通常");
  state_.HeavenMode = in_zone ? -1 : 0;
  if (state_.StockCount == 0) {
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
  if (run_.CoinsHeld > run_.PeakCoins) run_.PeakCoins = run_.CoinsHeld;
  if (!listening_) return;
  panel_.SelectChartRow(run_.GameNo / kGamesPerChartRow + 1);
  panel_.SetProgressValue(panel_.ChartRow());
  panel_.SetChartRowValue(std::to_string(run_.CoinDiff));
}

template <typename Random>
void GameLoop<Random>::FinishRun(const RunFigures& figures) {
  if (plan_.games == run_.GameNo) Log("ヤメ:", run_.GameNo, "P");
  if (!listening_) return;
  WriteResultSummary(panel_, figures);
  panel_.SelectChartRow(panel_.ChartRowCount());
  panel_.SetChartRowValue(std::to_string(run_.CoinDiff));
  panel_.SetProgressValue(panel_.ChartRow());
}

template <typename Random>
RunFigures GameLoop<Random>::Figures() const {
  RunFigures f;
  f.BigReleases = run_.BigReleases;
  f.RegReleases = run_.RegReleases;
  f.Releases = run_.Releases;
  f.PureMissReleases = run_.PureMissReleases;
  f.CherryReleases = run_.CherryReleases;
  f.CoinsHeld = run_.CoinsHeld;
  f.PeakCoins = run_.PeakCoins;
  f.CoinDiff = run_.CoinDiff;
  f.InvestTotal = run_.InvestTotal;
  f.MaxBigGap = run_.MaxBigGap;
  f.MaxBonusGap = run_.MaxBonusGap;
  f.HeavenModeCount = state_.HeavenModeCount;
  f.NormalModeCount = state_.NormalModeCount;
  f.StockBig = state_.StockBig;
  f.StockReg = state_.StockReg;
  f.StockCount = state_.StockCount;
  f.ExchangeRate = state_.ExchangeRate;
  f.games = plan_.games;
  return f;
}

RunResult RunGames(SimState& state, Panel& panel, RandomSource& random, const RunPlan& plan) {
  if (auto* generator = dynamic_cast<Mt19937Source*>(&random)) {
    return GameLoop<Mt19937Source>(state, panel, *generator, plan).RunGames();
  }
  return GameLoop<RandomSource>(state, panel, random, plan).RunGames();
}

}  // namespace tobiuo
