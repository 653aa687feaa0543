// SPDX-License-Identifier: GPL-3.0-or-later
// Which setting is this machine, from the bonus history a player sees at it: every release with
// the game of the run it came in (the data counter's ハマり are the differences), BIG or REG, and
// what the player saw release it (a pure miss, a cherry that paid, nothing, or not noted);
// optionally the pure misses over all games. Nothing the player cannot see enters: not the
// stock, the bonuses won, the mode, the release range or the chance zone.
//
// The likelihood of the history under each setting is exact, with the generator's own arithmetic
// for every draw (each outcome weighs the share of the 2^24 reals that give it). A forward pass
// carries the mass over what is hidden at each release: the stock left (exact up to the number of
// releases still to come, beyond which it can no longer run empty) and the pure misses so far.
// Between releases it needs nothing more: the stretch's release game is drawn when the stretch
// begins (or at the first bonus won after the stock ran empty), from the table of the mode that
// the chance zone, drawn independently, decided against the observed gap. Whether each release
// is a BIG or a REG does not depend on when it comes: the first N are the initial stock's entries
// (each BIG with probability 1/2), the later ones the bonuses won in order, so that factor weighs
// the initial stock alone. The posterior is formed in log space and is finite for every history
// some setting can produce; a history none can produce is refused, naming where.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/estimate.h"
#include "base/fields.h"
#include "base/status.h"
#include "engine/run.h"

namespace tobiuo {

// What the player saw in the game that released a bonus.
enum class Trigger {
  kPureMiss,  // 純ハズレ
  kCherry,    // a cherry that paid: チェリー
  kNone,      // なし: the bonus came at its count, or a cherry released it without paying
  kUnknown,   // 不明: not noted
};

struct TriggerName {
  Trigger trigger;
  std::string_view key;    // in files: pure_miss, cherry, none, unknown
  std::string_view label;  // in the window
};
inline constexpr std::array<TriggerName, 4> kTriggerNames = {
    {{Trigger::kPureMiss, "pure_miss", "純ハズレ"},
     {Trigger::kCherry, "cherry", "チェリー"},
     {Trigger::kNone, "none", "なし"},
     {Trigger::kUnknown, "unknown", "不明"}}};
const TriggerName& NameOf(Trigger trigger);
// The trigger of a file's key or a window's label; nullopt for any other text.
std::optional<Trigger> TriggerNamed(std::string_view text);

struct HistoryRelease {
  int32_t game = 0;  // 1-based game of the run in which the bonus was released
  bool big = false;
  Trigger trigger = Trigger::kUnknown;
  bool operator==(const HistoryRelease&) const = default;
};

struct History {
  int32_t games = 0;  // G, the games played
  std::vector<HistoryRelease> releases;
  std::optional<int32_t> pure_misses;  // K over games W to G, released or not
  // W, the game the player began watching at: the releases before it are known from the data
  // counter (game, BIG or REG), not what released them; the pure misses are counted from it.
  int32_t watched_from = 1;
  bool operator==(const History&) const = default;
};

// The start as far as the player knows it.
struct HistoryStart {
  std::vector<int16_t> stocks{20};              // the initial stock; several: each equally likely
  std::optional<bool> setting_changed = false;  // nullopt (不明): both starts, equally likely
};

// 不明 as an initial stock: every stock from 0 to 255, equally likely.
std::vector<int16_t> UnknownStock();

inline constexpr FieldName kHistoryField{"history", "解除履歴"};
inline constexpr FieldName kWatchedFromField{"watched-from", "見始めたゲーム"};

// A release as every refusal names it: 2件目の解除（60ゲーム目）.
std::string ReleaseText(size_t i, const HistoryRelease& r);

// Refuses G outside 1..8000, W outside 1..G, a release game outside 1..G or not after the previous
// one, a trigger noted before W, and pure misses outside 0..G - W + 1 or fewer than the releases a
// pure miss is noted to have made.
[[nodiscard]] Status CheckHistory(const History& history);

// An initial stock as typed: a number (0 to 255), a range "0-30", a list "10,20,30" (ASCII or
// full-width separators; a set, each stock in it equally likely however often it is named) or
// 不明 / unknown (0 to 255).
[[nodiscard]] Status ReadStockChoice(std::string_view text, FieldName field,
                                     std::vector<int16_t>* stocks);

// The history form as a player fills it, each field as typed: the games, the pure misses (empty:
// not counted), the game watched from (empty: the first), the start's stock (a number, a range, a
// list or 不明) and setting change, either also 不明 by a box of its own, and the releases as
// entered.
struct HistoryInputs {
  std::string games;
  std::string watched_from;  // empty: 1
  std::string pure_misses;
  std::string stock = "20";
  bool stock_unknown = false;
  bool setting_changed = false;
  bool setting_changed_unknown = false;
  std::vector<HistoryRelease> releases;
};
// Reads the form into the history and its start, field by field in the order above, with the same
// readings and messages wherever it is filled (the window, the command line, the web page); a
// refusal names its field (games, pure-miss, stock, history) and, for a release, its number.
[[nodiscard]] Status ValidateHistory(const HistoryInputs& inputs, History* history,
                                     HistoryStart* start);

// What is hidden at the history's last game, exactly, given what the player saw: the chance that
// the stock is empty (no bonus waiting for its release) and that the mode drawn at the last
// release (or at the start) is heaven, which decides the next release game once a bonus waits.
struct HiddenNow {
  double stock_empty = 0;
  double heaven = 0;
};

// The log likelihood of the history in the setting, and where it became impossible: 0 when it is
// possible, i (1-based) at release i, releases + 1 for the games after the last release, releases
// + 2 for the pure misses. Expects a checked history.
struct HistoryFit {
  double log_likelihood = 0;
  size_t impossible_at = 0;
  HiddenNow now;  // given the setting, when asked for (`hidden`)
};
HistoryFit FitHistory(int setting, const History& history, const HistoryStart& start,
                      bool hidden = false);

// The posterior over settings 1 to 6; refuses a history that no setting with a positive prior
// can produce, naming the first release (or the tail, or the pure misses) that none can, and
// suggesting 不明 for a release's trigger. Expects a checked history and a normalised prior. With
// `now`, also what is hidden at the last game, over the posterior.
[[nodiscard]] Status EstimateFromHistory(const History& history, const HistoryStart& start,
                                         const Prior& prior, Posterior* posterior,
                                         HiddenNow* now = nullptr);

// How well the history tells the settings apart: for each true setting and number of games, over
// `runs` runs played from the start (run i with seed + i, as ReleaseModel plays them; from a start
// of several stocks or an unknown change, each run from one of them in turn) and judged from it,
// the share in which the most likely setting is the true one and the true setting's mean
// probability.
struct HistoryPowerRow {
  int setting = 0;
  int32_t games = 0;
  double hit = 0, mean_true = 0;
};
// The runs are played and judged on `threads` threads; a stop through `progress` leaves `rows`
// empty.
[[nodiscard]] Status HistoryPowerTable(const HistoryStart& start, const Prior& prior,
                                       const std::vector<int32_t>& games, uint64_t runs,
                                       uint32_t seed, unsigned threads, Progress& progress,
                                       std::vector<HistoryPowerRow>* rows);

// Records what a player sees of a run: each release with its game, kind and trigger, and the
// pure misses. The history of a run played with it has `games` set to the games played.
class HistoryRecorder final : public RunObserver {
 public:
  void OnPureMiss(int32_t game) override;
  void OnCherry(int32_t game, bool paid) override;
  void OnRelease(int32_t game, bool heaven, bool big) override;
  // The history over the run's first `games` games, as seen from game `watched_from` on.
  History HistoryOver(int32_t games, int32_t watched_from = 1) const;

 private:
  std::vector<HistoryRelease> releases_;
  std::vector<int32_t> pure_misses_;  // 1-based games, ascending
  int32_t paid_cherry_game_ = -1;     // 0-based, as the observer hears games
};

// What a player sees of one run of the plan (played with its seed), over the games it played.
History HistoryOfRun(const RunPlan& plan);

}  // namespace tobiuo
