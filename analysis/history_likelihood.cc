// SPDX-License-Identifier: GPL-3.0-or-later
// The history's likelihood in one setting: the forward pass of docs/history-likelihood.md.

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "analysis/hidden_state.h"
#include "analysis/history.h"
#include "engine/lotteries.h"
#include "engine/random_source.h"
#include "engine/setting_tables.h"

namespace tobiuo {
namespace {

constexpr double kMinusInfinity = -std::numeric_limits<double>::infinity();
using lottery::kCategoryDraws;
using lottery::kChanceZoneDraws;
using lottery::kCherryPaysUpTo;
using lottery::kCherryReleasePaysUpTo;
using lottery::kLatestRelease;
using lottery::kRangeGames;
using lottery::kRoleDraws;

// The distribution of a drawn release game: one kCategoryDraws-way draw of the category, one
// kRangeGames-way draw of the game inside its range.
class ReleaseGames {
 public:
  ReleaseGames() = default;
  ReleaseGames(const std::array<int16_t, 16>& low, const std::array<int16_t, 16>& high) {
    for (size_t category = 0; category < 16; ++category) {
      const double share = DrawShare(low[category], high[category], kCategoryDraws);
      for (int32_t k = 1; k <= kRangeGames; ++k) {
        at_[static_cast<size_t>(kReleaseBaseGame[category] + k - 1)] +=
            share * DrawShare(k, k, kRangeGames);
      }
    }
    for (size_t r = 1; r < below_.size(); ++r) below_[r] = below_[r - 1] + at_[r - 1];
    for (size_t r = kLatestRelease; r-- > 0;) above_[r] = above_[r + 1] + at_[r + 1];
  }
  // P(R = r), P(R > r) and P(R < r) for any count r >= 0.
  double At(int32_t r) const { return r <= kLatestRelease ? at_[static_cast<size_t>(r)] : 0; }
  double Above(int32_t r) const { return r <= kLatestRelease ? above_[static_cast<size_t>(r)] : 0; }
  double Below(int32_t r) const {
    return below_[static_cast<size_t>(std::min(r, kLatestRelease + 1))];
  }
  const std::array<double, kLatestRelease + 1>& at() const { return at_; }

 private:
  std::array<double, kLatestRelease + 1> at_{};     // at_[0] = 0: no game is drawn before 1
  std::array<double, kLatestRelease + 1> above_{};  // sums of at_ beyond r
  std::array<double, kLatestRelease + 2> below_{};  // sums of at_ before r
};

// A release game drawn from the normal table with probability 1 - heaven, else the heaven one.
struct ModeMix {
  const ReleaseGames& normal;
  const ReleaseGames& heaven;
  double h;
  double At(int32_t r) const { return (1 - h) * normal.At(r) + h * heaven.At(r); }
  double Above(int32_t r) const { return (1 - h) * normal.Above(r) + h * heaven.Above(r); }
};

// Everything the likelihood needs of one setting.
struct Odds {
  double win = 0, pure_miss = 0, cherry = 0, other = 0;  // a game's role; they sum to 1
  double big_share = 0;                                  // a bonus won is a BIG
  double cherry_keeps = 0, cherry_releases_paid = 0, cherry_releases_unpaid = 0;
  double immediate = 0;  // with a stock, a game releases at once (pure miss or high cherry)
  ReleaseGames normal, heaven, empty;
};

Odds OddsOf(int setting) {
  SimState tables;
  LoadSettingTables(tables, setting);
  const auto role = [&](size_t r) {
    return DrawShare(tables.RoleLow[r], tables.RoleHigh[r], kRoleDraws);
  };
  Odds o;
  const double big = role(6), reg = role(7);
  o.win = big + reg;
  o.pure_miss = role(kPureMissRole);
  o.cherry = role(2);
  o.other = role(1) + role(3) + role(4) + role(8);
  o.big_share = big / (big + reg);
  o.cherry_keeps = DrawShare(1, kCherryPaysUpTo, kRoleDraws);
  o.cherry_releases_paid = DrawShare(kCherryPaysUpTo + 1, kCherryReleasePaysUpTo, kRoleDraws);
  o.cherry_releases_unpaid = DrawShare(kCherryReleasePaysUpTo + 1, kRoleDraws, kRoleDraws);
  o.immediate = o.pure_miss + o.cherry * (o.cherry_releases_paid + o.cherry_releases_unpaid);
  o.normal = ReleaseGames(tables.NormalReleaseLow, tables.NormalReleaseHigh);
  o.heaven = ReleaseGames(tables.HeavenReleaseLow, tables.HeavenReleaseHigh);
  o.empty = ReleaseGames(tables.EmptyStockReleaseLow, tables.EmptyStockReleaseHigh);
  return o;
}

const Odds& OddsFor(int setting) {
  static const std::array<Odds, 6> kOdds = [] {
    std::array<Odds, 6> odds;
    for (int s = 1; s <= 6; ++s) odds[static_cast<size_t>(s - 1)] = OddsOf(s);
    return odds;
  }();
  return kOdds[static_cast<size_t>(setting - 1)];
}

// The chance zone drawn at a release lasts at least `count` games: the next mode is heaven when
// the next release comes within it.
double ZoneReaches(int32_t count) {
  double p = 0;
  int32_t first_draw = 1;
  for (const lottery::ChanceZoneRow& row : lottery::kChanceZone) {
    if (row.game >= count) p += DrawShare(first_draw, row.last_draw, kChanceZoneDraws);
    first_draw = row.last_draw + 1;
  }
  return p;
}

// The heaven share of the first release after a setting change.
double HeavenAfterChange() {
  return DrawShare(1, lottery::kInitialHeavenUpTo, lottery::kInitialModeDraws);
}

double LogChoose(int32_t n, int32_t k) {
  static const std::vector<double> kLogFactorial = [] {
    std::vector<double> f(kMaxGames + 2, 0.0);
    for (size_t i = 1; i < f.size(); ++i) f[i] = f[i - 1] + std::log(static_cast<double>(i));
    return f;
  }();
  const auto at = [](int32_t i) { return kLogFactorial[static_cast<size_t>(i)]; };
  return at(n) - at(k) - at(n - k);
}

// What the release game shows, by how the release came: at once (a pure miss or a high cherry,
// before the drawn game or after it passed) or at the drawn game, where any role may fall. By the
// pure misses it adds beyond those noted: one when a release not noted was a pure miss.
struct TriggerOdds {
  std::array<double, 2> at_once{};
  std::array<double, 2> at_count{};  // no bonus won in the game
  double at_count_won = 0;           // a bonus won in the game it is released
};

TriggerOdds TriggerOddsOf(const Odds& o, Trigger t, bool counted) {
  TriggerOdds odds;
  const bool any = t == Trigger::kUnknown;
  if (t == Trigger::kPureMiss || any) {
    odds.at_once[any ? 1 : 0] = odds.at_count[any ? 1 : 0] = o.pure_miss;
  }
  if (t == Trigger::kCherry || any) {
    odds.at_once[0] += o.cherry * o.cherry_releases_paid;
    odds.at_count[0] += o.cherry * (o.cherry_keeps + o.cherry_releases_paid);
  }
  if (t == Trigger::kNone || any) {
    odds.at_once[0] += o.cherry * o.cherry_releases_unpaid;
    odds.at_count[0] += o.cherry * o.cherry_releases_unpaid + o.other;
    odds.at_count_won = o.win;
  }
  if (!counted) {  // before the player watched: a pure miss there is not in the count
    odds.at_once = {odds.at_once[0] + odds.at_once[1], 0};
    odds.at_count = {odds.at_count[0] + odds.at_count[1], 0};
  }
  return odds;
}

// exp(log_scale) * values: the mass of one slice, whose entries may lie far below another
// slice's.
struct Scaled {
  double log_scale = kMinusInfinity;
  std::vector<double> values;

  void Add(double log_factor, const std::vector<double>& v) {
    if (log_factor == kMinusInfinity ||
        std::all_of(v.begin(), v.end(), [](double x) { return x == 0; })) {
      return;
    }
    if (values.size() < v.size()) values.resize(v.size(), 0.0);  // the entries past are 0
    if (log_factor > log_scale) {
      const double shrink = std::exp(log_scale - log_factor);
      for (double& x : values) x *= shrink;
      log_scale = log_factor;
    }
    const double grow = std::exp(log_factor - log_scale);
    for (size_t i = 0; i < v.size(); ++i) values[i] += v[i] * grow;
  }
  void Normalize() {
    const double top = values.empty() ? 0 : *std::max_element(values.begin(), values.end());
    if (top <= 0) {
      *this = Scaled{};
      return;
    }
    for (double& x : values) x /= top;
    log_scale += std::log(top);
  }
  bool empty() const { return log_scale == kMinusInfinity; }
};

// Wins among n games that release nothing (each a win with odds `win`, else nothing with odds
// `rest`), by count 0..cap, the last entry holding cap or more.
std::vector<double> WinsAmong(int32_t n, double win, double rest, size_t cap) {
  std::vector<double> w(cap + 1, 0.0);
  double term = std::exp(n * std::log(rest));  // exactly k wins, from k = 0
  for (int32_t k = 0; k <= n; ++k) {
    w[std::min(static_cast<size_t>(k), cap)] += term;
    if (k == n) break;
    term *= static_cast<double>(n - k) / (k + 1) * win / rest;
  }
  return w;
}

// One more game that releases nothing, in place, over the entries 0..used (grown by one).
void AddGame(std::vector<double>& w, size_t& used, double win, double rest) {
  const size_t last = w.size() - 1;
  if (used == last) w[last] *= win + rest;
  used = std::min(used + 1, last);
  for (size_t k = used; k-- > 0;) {
    if (k + 1 == used && used == last) {
      w[last] += w[k] * win;
    } else {
      w[k + 1] += w[k] * win;
    }
    w[k] *= rest;
  }
}

// The forward pass of one setting over one history. The mass at the start of each stretch
// between releases is held by slice (the pure misses so far beyond those noted as triggers; one
// slice when the pure misses are not counted) and by stock left (0..cap_, the last meaning cap_
// or more: the stock cannot run empty again with fewer releases ahead than it holds).
class ForwardPass {
 public:
  // With `extra`, the stock is kept exact up to `extra` + 1 at the last game rather than pooled
  // where the history can no longer tell stocks apart.
  ForwardPass(const Odds& odds, const History& history, const HistoryStart& start, size_t extra = 0)
      : o_(odds),
        h_(history),
        tracked_(history.pure_misses.has_value()),
        slices_(tracked_ ? static_cast<size_t>(*history.pure_misses - NotedPureMisses(history)) + 1
                         : 1),
        stocks_(start.stocks),
        // 不明: both starts equally likely
        first_heaven_((start.setting_changed ? (*start.setting_changed ? 1.0 : 0.0) : 0.5) *
                      HeavenAfterChange()),
        log_pure_miss_(std::log(o_.pure_miss)),
        log_quiet_(std::log(1 - o_.win - o_.pure_miss)),
        log_no_win_(std::log1p(-o_.win)),
        rest_(1 - o_.immediate - o_.win),
        extra_(extra),
        negligible_(extra > 0 ? 1e-40 : 0) {}

  // With `hidden`, also what is hidden at the last game (which costs the tail a little more).
  HistoryFit Run(bool hidden) {
    TailPlace at;
    if (!Releases(&at)) return {kMinusInfinity, at.impossible_at, {}};
    HiddenNow now;
    const double tail = Tail(at.last, at.first, at.heaven, hidden ? &now : nullptr);
    if (tail == kMinusInfinity) {
      const size_t n = h_.releases.size();
      return {
          kMinusInfinity, n + (TailPossibleUncounted(at.last, at.first, at.heaven) ? 2 : 1), {}};
    }
    return {tail, 0, now};
  }

  // The mass over what is hidden at the last game, by the parts that decide what comes next.
  HistoryEnds Ends() {
    HistoryEnds ends;
    TailPlace at;
    if (!Releases(&at)) return ends;
    ends.games_since_release = at.last + 1;
    ends.quiet_games = at.last - at.first + 1;
    ends.heaven_before = at.heaven;
    ends.win_among_quiet = o_.win / (1 - o_.immediate);
    ends.big_share = o_.big_share;
    ends.normal = o_.normal.at();
    ends.heaven = o_.heaven.at();
    ends.empty = o_.empty.at();
    EndMass(at, &ends);
    return ends;
  }

 private:
  // Where the games after the last release begin and end, and the heaven odds of their stretch.
  struct TailPlace {
    int32_t last = 0, first = 0;
    double heaven = 0;
    size_t impossible_at = 0;
  };

  // The stretches up to the last release; false at the first that leaves no mass.
  bool Releases(TailPlace* at) {
    const size_t n = h_.releases.size();
    Start();
    int32_t previous = 1;  // a release at game g is counted g - previous games after the last
    double heaven = first_heaven_;
    for (size_t i = 0; i < n; ++i) {
      const HistoryRelease& r = h_.releases[i];
      const int32_t count = r.game - previous, first = i == 0 ? 0 : 1;
      origin_ = previous;
      Stretch(count, first, r.trigger, r.game >= h_.watched_from, heaven);
      if (std::all_of(mass_.begin(), mass_.end(), [](const Scaled& s) { return s.empty(); })) {
        at->impossible_at = i + 1;
        return false;
      }
      heaven = ZoneReaches(count);
      previous = r.game;
    }
    origin_ = previous;
    *at = {h_.games - previous, n == 0 ? 0 : 1, heaven, 0};
    return true;
  }

  // The terms of Tail kept apart by stock, mode and win game, as chances that sum to 1.
  void EndMass(const TailPlace& at, HistoryEnds* ends) const {
    const int32_t last = at.last, first = at.first, games = last - first + 1;
    const double log_no_release = std::log1p(-o_.immediate);
    const double no_release = std::exp(games * log_no_release);
    std::array<Scaled, 2> stocked;  // normal, heaven
    Scaled empty, won;
    const size_t want = Slices() - 1;
    for (size_t k = 0; k < Slices(); ++k) {
      if (mass_[k].empty()) continue;
      const std::vector<double>& v = mass_[k].values;
      if (k == want) {
        for (size_t heaven = 0; heaven < 2; ++heaven) {
          const double odds =
              heaven ? at.heaven * o_.heaven.Above(last) : (1 - at.heaven) * o_.normal.Above(last);
          std::vector<double> by_stock(v.size(), 0.0);
          for (size_t s = 1; s < v.size(); ++s) by_stock[s] = v[s] * odds * no_release;
          stocked[heaven].Add(mass_[k].log_scale, by_stock);
        }
      }
      const int32_t m = static_cast<int32_t>(want - k);
      if (v[0] <= 0 || m > Counted(first, last + 1)) continue;
      const double from = mass_[k].log_scale + std::log(v[0]);
      empty.Add(from + LogNoWin(first, last + 1, m), {1.0});
      double top = kMinusInfinity;
      for (int32_t g = first + m; g <= last; ++g) top = std::max(top, LogNoWin(first, g, m));
      if (top == kMinusInfinity) continue;
      std::vector<double> by_game(static_cast<size_t>(last) + 1, 0.0);
      for (int32_t g = first + m; g <= last; ++g) {
        const double quiet =
            (o_.empty.Above(last) + o_.empty.Below(g)) * std::exp((last - g) * log_no_release);
        by_game[static_cast<size_t>(g)] = o_.win * quiet * std::exp(LogNoWin(first, g, m) - top);
      }
      won.Add(from + top, by_game);
    }
    Scaled total;
    const auto sum = [](const Scaled& part) {
      return part.empty() ? 0.0 : std::accumulate(part.values.begin(), part.values.end(), 0.0);
    };
    for (const Scaled* part : {&stocked[0], &stocked[1], &empty, &won}) {
      if (!part->empty()) total.Add(part->log_scale, {sum(*part)});
    }
    if (total.empty()) return;
    ends->log_likelihood = total.log_scale + std::log(total.values[0]);
    const auto chances = [&](const Scaled& part) {
      std::vector<double> p(part.values);
      const double factor = part.empty() ? 0.0 : std::exp(part.log_scale - ends->log_likelihood);
      for (double& x : p) x *= factor;
      return p;
    };
    ends->stocked = {chances(stocked[0]), chances(stocked[1])};
    const std::vector<double> nothing_won = chances(empty);
    ends->nothing_won = nothing_won.empty() ? 0.0 : nothing_won[0];
    ends->won_at = chances(won);
    ends->pooled_from = cap_;
  }

  static int32_t NotedPureMisses(const History& h) {
    return static_cast<int32_t>(std::count_if(h.releases.begin(), h.releases.end(), [](auto& r) {
      return r.trigger == Trigger::kPureMiss;
    }));
  }
  size_t Slices() const { return slices_; }
  size_t Shifted(size_t k, size_t added) const { return tracked_ ? k + added : 0; }

  // The mass at the first game: the initial stock (capped where it can no longer run empty),
  // weighted by the chance of the releases' kinds given it.
  void Start() {
    const size_t n = h_.releases.size();
    cap_ = n + 1 + extra_;
    // log of the kinds' chance when the first `initial` releases are the initial stock's
    std::vector<double> won_suffix(n + 1, 0.0);
    for (size_t j = n; j-- > 0;) {
      const double p = h_.releases[j].big ? o_.big_share : 1 - o_.big_share;
      won_suffix[j] = won_suffix[j + 1] + std::log(p);
    }
    std::vector<double> log_weight(cap_ + 1, kMinusInfinity);
    const double log_each = -std::log(static_cast<double>(stocks_.size()));
    for (const int16_t s : stocks_) {
      const size_t initial = std::min(static_cast<size_t>(s), n);
      double& w = log_weight[std::min(static_cast<size_t>(s), cap_)];
      const double add =
          log_each + static_cast<double>(initial) * std::log(0.5) + won_suffix[initial];
      w = std::max(w, add) + std::log1p(std::exp(-std::abs(w - add)));
    }
    const double top = *std::max_element(log_weight.begin(), log_weight.end());
    std::vector<double> stock(cap_ + 1);
    for (size_t i = 0; i <= cap_; ++i) stock[i] = std::exp(log_weight[i] - top);
    mass_.assign(Slices(), Scaled{});
    mass_[0].Add(top, stock);
    mass_[0].Normalize();
    FindTop();
  }

  // The release `count` games into the stretch (whose first game is counted `first`), shown as
  // `trigger`; with a stock at the stretch's start, its release game was drawn with the heaven
  // table at odds `heaven`.
  void Stretch(int32_t count, int32_t first, Trigger trigger, bool counted, double heaven) {
    const size_t next_cap = cap_ - 1;
    // No more bonuses are won than the stretch has games, one more in the release game: the
    // vectors stop there (or at the cap), the entries past it being 0.
    const size_t won_max = static_cast<size_t>(count - first) + 2;
    const size_t won_cap = std::min(next_cap, won_max);
    const TriggerOdds t = TriggerOddsOf(o_, trigger, counted);
    std::vector<Scaled> next(Slices());
    const std::array<std::vector<double>, 2> stocked =
        StockedStretch(count, first, t, ModeMix{o_.normal, o_.heaven, heaven}, won_cap);
    std::array<std::vector<double>, 2> at_least;  // sums of `stocked` from w on
    for (size_t added = 0; added < 2; ++added) {
      at_least[added].assign(won_cap + 2, 0.0);
      for (size_t w = won_cap + 1; w-- > 0;) {
        at_least[added][w] = at_least[added][w + 1] + stocked[added][w];
      }
    }
    std::vector<double> after(std::min(next_cap, top_ + won_max) + 1);
    for (size_t k = 0; k < Slices(); ++k) {
      if (mass_[k].empty()) continue;
      const std::vector<double>& from = mass_[k].values;
      for (size_t added = 0; added < 2; ++added) {
        const size_t to = Shifted(k, added);
        if (to >= Slices() || at_least[added][0] == 0) continue;
        // a stock s >= 1 with w bonuses won becomes s + w - 1 after the release, the stocks
        // from the cap on (where it can no longer run empty) one state
        std::fill(after.begin(), after.end(), 0.0);
        for (size_t s = 1; s <= std::min(top_, from.size() - 1); ++s) {
          if (from[s] == 0) continue;
          const size_t full = std::min(next_cap - std::min(s - 1, next_cap), next_cap);
          const size_t reach = std::min(full, won_cap + 1);
          for (size_t w = 0; w < reach; ++w) after[s + w - 1] += from[s] * stocked[added][w];
          const double beyond = at_least[added][std::min(full, won_cap + 1)];
          if (beyond != 0) after[next_cap] += from[s] * beyond;
        }
        next[to].Add(mass_[k].log_scale, after);
      }
      if (from[0] > 0) EmptyStretch(count, first, t, k, next_cap, next);
    }
    for (Scaled& s : next) s.Normalize();
    mass_ = std::move(next);
    cap_ = next_cap;
    FindTop();
  }

  // The highest stock that holds mass: a stock grows by at most the games of a stretch, so the
  // loops over stocks stop there rather than at the cap. With the stock kept exact far past the
  // releases (`extra_`), the stocks whose mass lies below 1e-40 of the slice's largest are let go:
  // otherwise the top would creep up by a stretch's games at each release, each entry the
  // binomial's far tail, and the pass would cost the square of the horizon.
  void FindTop() {
    top_ = 0;
    for (const Scaled& slice : mass_) {
      if (slice.values.empty()) continue;
      for (size_t s = std::min(cap_, slice.values.size() - 1); s > top_; --s) {
        if (slice.values[s] > negligible_) {
          top_ = s;
          break;
        }
      }
    }
  }

  // With a stock at the start: the chance, by pure misses added and bonuses won (0..cap), that
  // the games before `count` release nothing and the game at `count` releases as shown.
  std::array<std::vector<double>, 2> StockedStretch(int32_t count, int32_t first,
                                                    const TriggerOdds& t, const ModeMix& drawn,
                                                    size_t cap) const {
    const std::vector<double> before = WinsAmong(count - first, o_.win, rest_, cap);
    const double later = drawn.Above(count), now = drawn.At(count);
    std::array<std::vector<double>, 2> out{std::vector<double>(cap + 1, 0.0),
                                           std::vector<double>(cap + 1, 0.0)};
    for (size_t w = 0; w <= cap; ++w) {
      for (size_t added = 0; added < 2; ++added) {
        out[added][w] += before[w] * (later * t.at_once[added] + now * t.at_count[added]);
      }
      out[0][std::min(w + 1, cap)] += before[w] * now * t.at_count_won;
    }
    return out;
  }

  // Of the games counted `from` to before `to` in the stretch, those the player watched, whose
  // pure misses are in the count.
  int32_t Counted(int32_t from, int32_t to) const {
    return std::clamp(to - std::max(from, h_.watched_from - origin_), 0, to - from);
  }
  // The log chance of no win in the games counted `from` to before `to`, with `misses` pure misses
  // among those watched when they are counted (they release nothing, the stock being empty).
  double LogNoWin(int32_t from, int32_t to, int32_t misses) const {
    const int32_t games = to - from;
    if (!tracked_) return games * log_no_win_;
    const int32_t seen = Counted(from, to);
    if (misses > seen) return kMinusInfinity;
    double log = LogChoose(seen, misses) + misses * log_pure_miss_ + (seen - misses) * log_quiet_;
    if (seen < games) log += (games - seen) * log_no_win_;
    return log;
  }
  int32_t MaxMisses(size_t k, int32_t from, int32_t to) const {
    return tracked_ ? std::min<int32_t>(Counted(from, to), static_cast<int32_t>(Slices() - 1 - k))
                    : 0;
  }

  // From an empty stock at the start of slice k: nothing is released until a bonus is won (at
  // count `won`); the release game is then drawn from the empty-stock table, counted from the
  // last release, and one already passed waits for a pure miss or a high cherry.
  void EmptyStretch(int32_t count, int32_t first, const TriggerOdds& t, size_t k, size_t cap,
                    std::vector<Scaled>& next) const {
    const int32_t misses_max = MaxMisses(k, first, count);
    const size_t rows = static_cast<size_t>(misses_max) + 1;
    cap = std::min(cap, static_cast<size_t>(count - first) + 2);  // past it every entry is 0
    // the largest log chance of the games before the win, by misses, to scale the sums by
    std::vector<double> top(rows, kMinusInfinity);
    for (int32_t m = 0; m <= misses_max; ++m) {
      for (int32_t won = first + m; won <= count; ++won) {
        top[static_cast<size_t>(m)] =
            std::max(top[static_cast<size_t>(m)], LogNoWin(first, won, m));
        if (!tracked_) break;  // falls with every game
      }
    }
    // by misses, pure misses added at the release, and stock after it
    std::vector<std::array<std::vector<double>, 2>> sum(
        rows, {std::vector<double>(cap + 1, 0.0), std::vector<double>(cap + 1, 0.0)});
    std::vector<double> after_win(cap + 1, 0.0);  // wins after the win game, before `count`
    after_win[0] = 1;
    size_t used = 0;  // after_win's entries above this are 0
    std::array<std::vector<double>, 2> release{std::vector<double>(cap + 1, 0.0),
                                               std::vector<double>(cap + 1, 0.0)};
    const double now = o_.empty.At(count);
    for (int32_t won = count; won >= first; --won) {
      size_t width = 1;
      if (won == count) {
        // released in the win game itself, when its drawn game is this one
        release[0][0] = t.at_count_won > 0 ? now : 0;
        release[1][0] = 0;
      } else {
        const double later = o_.empty.Above(count) + o_.empty.Below(won);
        width = std::min(used + 2, cap + 1);
        for (size_t added = 0; added < 2; ++added) {
          std::fill_n(release[added].begin(), width, 0.0);
        }
        for (size_t w = 0; w <= used; ++w) {  // stock after: 1 + w (+ 1 won in game) - 1
          for (size_t added = 0; added < 2; ++added) {
            release[added][w] +=
                after_win[w] * (later * t.at_once[added] + now * t.at_count[added]);
          }
          release[0][std::min(w + 1, cap)] += after_win[w] * now * t.at_count_won;
        }
        if (won > first) AddGame(after_win, used, o_.win, rest_);
      }
      for (int32_t m = 0; m <= std::min(misses_max, Counted(first, won)); ++m) {
        const double weight =
            o_.win * std::exp(LogNoWin(first, won, m) - top[static_cast<size_t>(m)]);
        for (size_t added = 0; added < 2; ++added) {
          std::vector<double>& into = sum[static_cast<size_t>(m)][added];
          for (size_t s = 0; s < width; ++s) into[s] += weight * release[added][s];
        }
      }
    }
    const double from = mass_[k].log_scale + std::log(mass_[k].values[0]);
    for (size_t m = 0; m < rows; ++m) {
      for (size_t added = 0; added < 2; ++added) {
        const size_t to = Shifted(k + m, added);
        if (to < Slices() && top[m] != kMinusInfinity) next[to].Add(from + top[m], sum[m][added]);
      }
    }
  }

  // The log chance that games `first`..`last` of the stretch after the last release release
  // nothing, summed over the hidden state, at the pure misses counted; and, of that chance, the
  // shares where the stock is empty at the last game and where the mode drawn at the last
  // release is heaven (`now`).
  double Tail(int32_t last, int32_t first, double heaven, HiddenNow* now = nullptr) const {
    const ModeMix drawn{o_.normal, o_.heaven, heaven};
    const int32_t games = last - first + 1;
    const double log_no_release = std::log1p(-o_.immediate);
    const double no_release = std::exp(games * log_no_release);
    const double stocked = drawn.Above(last) * no_release;
    Scaled total;
    // the parts of the total that `now` needs: stocked in heaven, empty with no bonus won, empty
    // with one won (summed apart, so that the total is the same to the last bit without them)
    std::array<Scaled, 3> parts;
    const size_t want = Slices() - 1;
    for (size_t k = 0; k < Slices(); ++k) {
      if (mass_[k].empty()) continue;
      if (k == want) {
        double s = 0;
        for (size_t i = 1; i < mass_[k].values.size(); ++i) s += mass_[k].values[i];
        total.Add(mass_[k].log_scale, {s * stocked});
        if (now)
          parts[0].Add(mass_[k].log_scale, {s * heaven * o_.heaven.Above(last) * no_release});
      }
      if (mass_[k].values[0] <= 0) continue;
      const int32_t m = static_cast<int32_t>(want - k);
      if (m > Counted(first, last + 1)) continue;
      const double from = mass_[k].log_scale + std::log(mass_[k].values[0]);
      total.Add(from + LogNoWin(first, last + 1, m), {1.0});  // no bonus won at all
      if (now) parts[1].Add(from + LogNoWin(first, last + 1, m), {1.0});
      for (int32_t won = first + m; won <= last; ++won) {
        const double quiet =
            (o_.empty.Above(last) + o_.empty.Below(won)) * std::exp((last - won) * log_no_release);
        total.Add(from + LogNoWin(first, won, m), {o_.win * quiet});
        if (now) parts[2].Add(from + LogNoWin(first, won, m), {o_.win * quiet});
      }
    }
    if (total.empty()) return kMinusInfinity;
    const double log_total = total.log_scale + std::log(total.values[0]);
    if (now) {
      const auto share = [&](const Scaled& part) {
        return part.empty() ? 0.0 : std::exp(part.log_scale - log_total) * part.values[0];
      };
      // with an empty stock the mode drawn has not shown: it keeps its chance
      now->stock_empty = share(parts[1]);
      now->heaven = share(parts[0]) + heaven * (share(parts[1]) + share(parts[2]));
    }
    return log_total;
  }

  // Whether the games after the last release are possible at some count of pure misses.
  bool TailPossibleUncounted(int32_t last, int32_t first, double heaven) const {
    if (!tracked_) return false;
    ForwardPass uncounted = *this;
    uncounted.tracked_ = false;
    uncounted.slices_ = 1;
    Scaled all;
    for (const Scaled& s : mass_) all.Add(s.log_scale, s.values);
    uncounted.mass_ = {all};
    return uncounted.Tail(last, first, heaven) != kMinusInfinity;
  }

  const Odds& o_;
  const History& h_;
  bool tracked_;
  size_t slices_;
  const std::vector<int16_t>& stocks_;
  double first_heaven_;
  double log_pure_miss_, log_quiet_, log_no_win_, rest_;
  size_t extra_;
  double negligible_;
  int32_t origin_ = 1;  // the game of the run that the stretch under way counts from  // mass at
                        // most this, relative to its slice's largest, is let go
  size_t cap_ = 0;
  size_t top_ = 0;  // no stock above it holds mass
  std::vector<Scaled> mass_;
};

}  // namespace

HistoryFit FitHistory(int setting, const History& history, const HistoryStart& start, bool hidden) {
  if (history.pure_misses &&
      *history.pure_misses < std::count_if(
                                 history.releases.begin(), history.releases.end(),
                                 [](auto& r) { return r.trigger == Trigger::kPureMiss; })) {
    return {kMinusInfinity, history.releases.size() + 2, {}};
  }
  return ForwardPass(OddsFor(setting), history, start).Run(hidden);
}

HistoryEnds EndsOfHistory(int setting, const History& history, const HistoryStart& start,
                          size_t extra) {
  return ForwardPass(OddsFor(setting), history, start, extra).Ends();
}

}  // namespace tobiuo
