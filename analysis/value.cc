// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/value.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <optional>

#include "analysis/hidden_state.h"
#include "base/mean.h"
#include "engine/summary.h"

namespace tobiuo {
namespace {

// Where one play of a rule stopped.
struct Stop {
  int32_t coins = 0, yen = 0, games = 0;
};

// A seed of its own for each draw and purpose, from the question's: a 64-bit mix (SplitMix64's
// finaliser), so that neighbouring draws share nothing.
uint32_t SeedOf(uint32_t seed, uint64_t k) {
  uint64_t z = (static_cast<uint64_t>(seed) << 32 | (k & 0xffffffffu)) + 0x9E3779B97F4A7C15u;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return static_cast<uint32_t>(z ^ (z >> 31));
}

// The played count of the last release seen (-1: none yet).
struct LastRelease final : RunObserver {
  int32_t game = -1;
  void OnRelease(int32_t g, bool /*heaven*/, bool /*big*/) override { game = g + 1; }
};

// One draw of the state, played on to the games left; the stops of the kGames rules at `points`
// (ascending, the last the games left), then kStreak's. An empty result with `abort` set when a
// counter overflowed.
std::vector<Stop> PlayDraw(const ValueQuestion& q, const HiddenStates& states,
                           const std::vector<int32_t>& points, uint64_t draw, std::string* abort) {
  Mt19937Source random(SeedOf(q.seed, 2 * draw));
  MachineNow now = states.Draw(random);
  now.coins = q.coins;
  PausedRun run = PausedAt(now, SeedOf(q.seed, 2 * draw + 1));
  RunPlan plan;
  plan.setting = now.setting;
  plan.games = q.games_left;
  plan.rate = q.rate;
  const int32_t cashed_in = CashOut(q.coins, q.rate);
  const auto here = [&] {
    return Stop{run.figures.CoinDiff,
                CashOut(run.figures.CoinsHeld, q.rate) - run.figures.InvestTotal - cashed_in,
                run.counters.GameNo};
  };
  std::vector<Stop> stops(points.size() + 1);
  std::optional<Stop> streak;
  LastRelease last;
  size_t next = 0;
  for (bool running = true; running;) {
    int32_t until = points[next];
    if (q.streak_rules && !streak && last.game >= 0) until = std::min(until, last.game + q.check);
    running = PlayOn(plan, &run, until, &last, abort);
    if (!abort->empty()) return {};
    const int32_t played = run.counters.GameNo;
    while (next < points.size() && points[next] <= played) stops[next++] = here();
    if (q.streak_rules && !streak &&
        (!running || (last.game >= 0 && played >= last.game + q.check))) {
      streak = here();
    }
  }
  stops.back() = streak.value_or(Stop{});
  return stops;
}

// A rule's figures over the draws, from each draw's stop `at` (none: the rule stops now).
RuleValue Summarize(StopRule rule, int32_t games, const std::vector<std::vector<Stop>>& plays,
                    std::optional<size_t> at) {
  RuleValue v{.rule = rule, .games = games};
  if (!at) return v;
  Mean coins, yen, plus, played;
  std::vector<int32_t> sorted;
  for (const std::vector<Stop>& play : plays) {
    const Stop& s = play[*at];
    coins.Add(s.coins);
    yen.Add(s.yen);
    plus.Add(s.yen > 0 ? 1 : 0);
    played.Add(s.games);
    sorted.push_back(s.coins);
  }
  v.coins = coins.Value();
  v.coins_se = coins.Error();
  v.yen = yen.Value();
  v.yen_se = yen.Error();
  v.p_plus = plus.Value();
  v.mean_games = played.Value();
  std::sort(sorted.begin(), sorted.end());
  const auto point = [&](double q) {
    return sorted[static_cast<size_t>(q * static_cast<double>(sorted.size() - 1) + 0.5)];
  };
  v.coins_p5 = point(0.05);
  v.coins_p95 = point(0.95);
  return v;
}

Status CheckQuestion(const ValueQuestion& q) {
  const int32_t most = kMaxGames - q.history.games;
  if (q.games_left < 1 || q.games_left > most) {
    return Refuse(kGamesLeftField, most < 1 ? "8000ゲーム目まで遊技済みで、残りのゲームがありません"
                                            : "閉店までのゲーム数は1～" + std::to_string(most) +
                                                  "で入力してください");
  }
  for (const int32_t n : q.more) {
    if (n < 1) return Refuse(kMoreField, "追加ゲーム数は1以上で入力してください");
  }
  if (q.coins < 0 || q.coins > kMostCoinsInHand) {
    return Refuse(kCoinsField,
                  "持ちコインは0～" + std::to_string(kMostCoinsInHand) + "で入力してください");
  }
  if (q.rate < 1) return Refuse(kRateField, "換金率は1以上で入力してください");
  if (q.sit_at < 0) return Refuse(kSitAtField, "着席ハマりは0以上で入力してください");
  if (q.draws < 1) return Refuse(kDrawsField, "試行回数は1以上で入力してください");
  return Status::Ok();
}

// Games since the last release, or since the first game when none.
int32_t HamariOf(const History& h) {
  return h.releases.empty() ? h.games : h.games - h.releases.back().game;
}

}  // namespace

std::string_view RuleKey(StopRule rule) {
  switch (rule) {
    case StopRule::kNow:
      return "now";
    case StopRule::kGames:
      return "games";
    case StopRule::kStreak:
      return "streak";
    case StopRule::kSitAt:
      return "sit_at";
  }
  return {};
}

std::string RuleName(const RuleValue& v, const ValueQuestion& q) {
  switch (v.rule) {
    case StopRule::kNow:
      return "今やめる";
    case StopRule::kGames:
      return v.games == q.games_left ? "閉店まで(" + std::to_string(v.games) + "G)"
                                     : "あと" + std::to_string(v.games) + "G";
    case StopRule::kStreak:
      return "次の当たりまで、以後" + std::to_string(q.check) + "G以内に当たる限り";
    case StopRule::kSitAt:
      return "ハマり" + std::to_string(q.sit_at) + "G以上なら着席、以後同じ" +
             (HamariOf(q.history) < q.sit_at ? "（いまは見送り）" : "");
  }
  return {};
}

Status ValueOfPlaying(const ValueQuestion& q, Progress& progress, ValueAnswer* answer) {
  if (Status s = CheckQuestion(q); !s.ok()) return s;
  HiddenStates states;
  if (Status s = HiddenStates::Make(q.history, q.start, q.prior, q.games_left, &states); !s.ok()) {
    return s;
  }
  std::vector<int32_t> points;
  for (const int32_t n : q.more) {
    if (n < q.games_left) points.push_back(n);
  }
  points.push_back(q.games_left);
  std::sort(points.begin(), points.end());
  points.erase(std::unique(points.begin(), points.end()), points.end());

  const auto draws = static_cast<uint64_t>(q.draws);
  std::vector<std::vector<Stop>> plays(draws);
  std::mutex failed;
  std::string abort;
  Status s = ParallelFor(draws, q.threads, progress, [&](uint64_t d, unsigned) {
    std::string why;
    plays[d] = PlayDraw(q, states, points, d, &why);
    if (!why.empty()) {
      std::lock_guard lock(failed);
      abort = why;
    }
    progress.Advance(1, plays[d].empty() ? 0 : static_cast<uint64_t>(q.games_left));
  });
  if (!s.ok()) return s;
  if (!abort.empty()) return Status::Aborted(abort);

  ValueAnswer a;
  a.posterior = states.posterior();
  a.now = states.now();
  a.hamari = HamariOf(q.history);
  a.draws = q.draws;
  // each rule with the stop it reads in every play (none: it stops now)
  std::vector<std::optional<size_t>> at;
  const auto add = [&](StopRule rule, int32_t games, std::optional<size_t> stop) {
    a.rules.push_back(Summarize(rule, games, plays, stop));
    at.push_back(stop);
  };
  add(StopRule::kNow, 0, std::nullopt);
  for (size_t i = 0; i < points.size(); ++i) add(StopRule::kGames, points[i], i);
  if (q.streak_rules) {
    add(StopRule::kStreak, 0, points.size());
    add(StopRule::kSitAt, 0, a.hamari >= q.sit_at ? std::optional(points.size()) : std::nullopt);
  }
  // the best by expected 収支, and its lead over the next best, paired draw by draw
  std::vector<size_t> order(a.rules.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t x, size_t y) { return a.rules[x].yen > a.rules[y].yen; });
  a.best = order[0];
  if (order.size() > 1) {
    const auto yen_of = [&](size_t rule, const std::vector<Stop>& play) -> double {
      return at[rule] ? play[*at[rule]].yen : 0;
    };
    Mean lead;
    for (const std::vector<Stop>& play : plays) {
      lead.Add(yen_of(order[0], play) - yen_of(order[1], play));
    }
    a.lead = lead.Value();
    a.lead_se = lead.Error();
  }
  *answer = std::move(a);
  return Status::Ok();
}

}  // namespace tobiuo
