// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/history.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <map>
#include <regex>
#include <thread>

#include "tests/support.h"

namespace tobiuo {
namespace {

constexpr Prior kEqual = {1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6};

HistoryStart StartOf(int16_t stock, std::optional<bool> changed) {
  HistoryStart start;
  start.stocks = {stock};
  start.setting_changed = changed;
  return start;
}

double Likelihood(int setting, const History& h, const HistoryStart& start) {
  return std::exp(FitHistory(setting, h, start).log_likelihood);
}

RunPlan PlanOf(int setting, int32_t games, int16_t stock, bool changed, uint32_t seed) {
  return testing::PlanOf(
      {.setting = setting, .stock = stock, .setting_changed = changed, .seed = seed}, games);
}

// Every history a 4-game run can show (each game: no release, or BIG/REG released by a pure
// miss, a cherry or nothing), without the pure misses and with them counted from each game W on
// (the triggers before W not seen): their probabilities are a distribution in every setting and
// start.
TEST(HistoryTest, TheHistoriesOfATinyRunSumToOne) {
  constexpr int32_t kGames = 4;
  for (const int16_t stock : {int16_t{0}, int16_t{1}, int16_t{20}}) {
    for (const bool changed : {false, true}) {
      for (const int setting : {1, 4, 6}) {
        double uncounted = 0;
        std::array<double, kGames + 1> counted{};  // by W
        for (int code = 0; code < 7 * 7 * 7 * 7; ++code) {
          for (int32_t w = 1; w <= kGames; ++w) {
            History h{kGames, {}, std::nullopt, w};
            bool seen = true;  // each history once: before W, only as 不明
            for (int32_t g = 1, c = code; g <= kGames; ++g, c /= 7) {
              if (c % 7 == 0) continue;
              auto trigger = static_cast<Trigger>((c % 7 - 1) % 3);
              if (g < w) {
                seen = seen && trigger == Trigger::kPureMiss;
                trigger = Trigger::kUnknown;
              }
              h.releases.push_back({g, c % 7 <= 3, trigger});
            }
            if (w == 1) uncounted += Likelihood(setting, h, StartOf(stock, changed));
            for (int32_t k = 0; seen && k <= kGames; ++k) {
              h.pure_misses = k;
              if (CheckHistory(h).ok()) {
                counted[static_cast<size_t>(w)] += Likelihood(setting, h, StartOf(stock, changed));
              }
            }
          }
        }
        EXPECT_NEAR(uncounted, 1, 1e-12) << stock << changed << setting;
        for (int32_t w = 1; w <= kGames; ++w) {
          EXPECT_NEAR(counted[static_cast<size_t>(w)], 1, 1e-12)
              << stock << changed << setting << " from game " << w;
        }
      }
    }
  }
}

// 不明 is the sum of what it may stand for: a trigger not noted, and each start left open (an
// equal mixture of the starts it covers).
TEST(HistoryTest, WhatIsNotNotedIsTheSumOfWhatItMayBe) {
  const History seen = HistoryOfRun(PlanOf(5, 2500, 2, true, 11));
  ASSERT_GE(seen.releases.size(), 4u);
  for (const int setting : {2, 5}) {
    const HistoryStart start = StartOf(2, true);
    History unknown = seen;
    unknown.releases[2].trigger = Trigger::kUnknown;
    double sum = 0;
    for (const Trigger t : {Trigger::kPureMiss, Trigger::kCherry, Trigger::kNone}) {
      History one = seen;
      one.releases[2].trigger = t;
      // the pure misses counted stay those of the run, whatever released this bonus
      sum += Likelihood(setting, one, start);
    }
    EXPECT_NEAR(Likelihood(setting, unknown, start) / sum, 1, 1e-9) << setting;

    HistoryStart stocks = start;
    stocks.stocks = {0, 2, 7};
    const double mixed =
        (Likelihood(setting, seen, StartOf(0, true)) + Likelihood(setting, seen, StartOf(2, true)) +
         Likelihood(setting, seen, StartOf(7, true))) /
        3;
    EXPECT_NEAR(Likelihood(setting, seen, stocks) / mixed, 1, 1e-9);
    const double either = (Likelihood(setting, seen, StartOf(2, true)) +
                           Likelihood(setting, seen, StartOf(2, false))) /
                          2;
    EXPECT_NEAR(Likelihood(setting, seen, StartOf(2, std::nullopt)) / either, 1, 1e-9);
  }
}

// The exact probability of concrete histories against their frequency in the engine's own runs.
// The cells are the histories of an earlier, independent set of runs whose exact probability is
// at least 1 in 5000, and the rest: a chi-square over cells chosen by probability alone.
TEST(HistoryTest, ConcreteHistoriesAreAsFrequentAsTheirExactProbability) {
  struct Case {
    int setting;
    int32_t games;
    int16_t stock;
    bool changed;
  };
  for (const Case c : {Case{1, 300, 0, false}, Case{6, 300, 1, true}, Case{4, 120, 2, true},
                       Case{2, 150, 20, false}}) {
    constexpr uint32_t kRuns = 60000;
    const HistoryStart start = StartOf(c.stock, c.changed);
    std::map<std::vector<int32_t>, std::pair<History, int>> pilot, sample;
    for (uint32_t i = 0; i < 2 * kRuns; ++i) {
      const History h = HistoryOfRun(PlanOf(c.setting, c.games, c.stock, c.changed, 100000 + i));
      std::vector<int32_t> key{*h.pure_misses};
      for (const HistoryRelease& r : h.releases) {
        key.insert(key.end(), {r.game, r.big, static_cast<int32_t>(r.trigger)});
      }
      auto& [history, seen] = (i < kRuns ? pilot : sample)[key];
      history = h;
      ++seen;
    }
    double chi2 = 0, covered = 0, counted = 0;
    int cells = 0;
    for (const auto& [key, entry] : pilot) {
      const double p = Likelihood(c.setting, entry.first, start);
      if (p < 2e-4) continue;
      const double expected = p * kRuns, observed = sample.count(key) ? sample[key].second : 0;
      chi2 += (observed - expected) * (observed - expected) / expected;
      covered += p;
      counted += observed;
      ++cells;
    }
    const double rest = (1 - covered) * kRuns;
    chi2 += (kRuns - counted - rest) * (kRuns - counted - rest) / rest;
    ASSERT_GE(cells, 40) << c.setting;
    // cells + 1 cells, one constraint: mean `cells`, sd sqrt(2 cells); four sd is far
    EXPECT_LT(std::abs(chi2 - cells) / std::sqrt(2.0 * cells), 4)
        << "setting " << c.setting << " stock " << c.stock << ": chi2 " << chi2 << " over " << cells
        << " cells";
    for (const auto& [key, entry] : sample) {
      ASSERT_EQ(FitHistory(c.setting, entry.first, start).impossible_at, 0u);
    }
  }
}

// What the recorder hears equals what the event log shows: the game (トータルP + 1), the kind,
// and the trigger (a paid cherry release, a pure-miss release, or nothing to see).
TEST(HistoryTest, TheRecordedHistoryIsWhatTheEventLogShows) {
  const RunPlan plan = PlanOf(6, 8000, 3, true, 2026);
  HistoryRecorder recorder;
  const RunRecord run = PlayRun(plan, Keep::kRecord, &recorder);
  const History h = recorder.HistoryOver(run.figures.GamesBet);
  std::vector<HistoryRelease> logged;
  Trigger trigger = Trigger::kNone;
  bool big = false;
  for (const std::string& line : run.log) {
    if (line.find("チェ解除（チェリ－）") != std::string::npos) trigger = Trigger::kCherry;
    if (line.find("純ハズレ (解除)") != std::string::npos) trigger = Trigger::kPureMiss;
    if (line.starts_with("----- BIG") || line.starts_with("+++++ REG")) big = line[0] == '-';
    if (line.starts_with("トータルP:")) {
      logged.push_back(
          {std::stoi(line.substr(std::string("トータルP:").size())) + 1, big, trigger});
      trigger = Trigger::kNone;
    }
  }
  EXPECT_EQ(h.releases, logged);
  EXPECT_EQ(*h.pure_misses, run.pure_misses());
  EXPECT_GT(std::count_if(logged.begin(), logged.end(),
                          [](auto& r) { return r.trigger == Trigger::kCherry; }),
            0);
}

TEST(HistoryTest, HistoriesNoSettingCanProduceAreRefusedSayingWhere) {
  Posterior p;
  // with no stock a bonus must be won before anything is released, and never in game 1
  History h{100, {{1, true, Trigger::kCherry}, {50, false, Trigger::kNone}}, std::nullopt};
  Status s = EstimateFromHistory(h, StartOf(0, false), kEqual, &p);
  EXPECT_EQ(s.field(), "history");
  EXPECT_NE(s.message().find("1件目の解除（1ゲーム目）"), std::string::npos) << s.message();
  // the advice names only the changes that make it possible: the stock left open does, the
  // trigger does not (nothing released a bonus in game 1 with no stock, whatever was seen)
  EXPECT_NE(s.message().find("初期ストック数を「不明」"), std::string::npos) << s.message();
  EXPECT_EQ(s.message().find("契機"), std::string::npos) << s.message();
  EXPECT_TRUE(EstimateFromHistory(h, StartOf(1, false), kEqual, &p).ok());
  // a stock is released within 1230 games
  h = {1300, {}, std::nullopt};
  EXPECT_NE(
      EstimateFromHistory(h, StartOf(255, false), kEqual, &p).message().find("最後の解除から"),
      std::string::npos);
  // with a stock a pure miss releases: one that released nothing needs an empty stock
  h = {200, {}, 1};
  s = EstimateFromHistory(h, StartOf(255, false), kEqual, &p);
  EXPECT_EQ(s.field(), "pure-miss");
  EXPECT_NE(s.message().find("初期ストック数を「不明」にする、または純ハズレ回数を空にする"),
            std::string::npos)
      << s.message();
  EXPECT_TRUE(EstimateFromHistory(h, StartOf(0, false), kEqual, &p).ok());
  // a setting the prior rules out does not make a history possible
  h = {100, {{1, true, Trigger::kCherry}}, std::nullopt};
  EXPECT_FALSE(EstimateFromHistory(h, StartOf(0, false), {0, 0, 0, 0, 0, 1}, &p).ok());
}

// The form is read field by field, each refusal naming its field (and a release its number); the
// 不明 boxes stand in for what is typed beside them.
TEST(HistoryTest, TheFormIsReadFieldByFieldWithTheBoxesForUnknown) {
  HistoryInputs form;
  form.games = "３０００";
  form.stock = "x";
  form.stock_unknown = true;
  form.setting_changed_unknown = true;
  form.releases = {{100, true, Trigger::kNone}, {90, false, Trigger::kNone}};
  History h;
  HistoryStart start;
  const auto refused = [&] {
    const Status s = ValidateHistory(form, &h, &start);
    return s.ok() ? std::string() : s.field() + "/" + std::to_string(s.item());
  };
  EXPECT_EQ(refused(), "history/2");
  form.releases.pop_back();
  ASSERT_EQ(refused(), "");
  EXPECT_EQ(h.games, 3000);
  EXPECT_FALSE(h.pure_misses.has_value());
  EXPECT_EQ(start.stocks, UnknownStock());
  EXPECT_FALSE(start.setting_changed.has_value());
  form.stock_unknown = false;
  EXPECT_EQ(refused(), "stock/0");
  form.pure_misses = "3001";
  EXPECT_EQ(refused(), "pure-miss/0");
  form.games = "0";
  EXPECT_EQ(refused(), "games/0");
}

TEST(HistoryTest, CheckHistoryRefusesWhatCannotBeARun) {
  const auto refused = [](const History& h) {
    const Status s = CheckHistory(h);
    return s.ok() ? std::string("ok") : s.field() + ": " + s.message();
  };
  EXPECT_EQ(refused({0, {}, std::nullopt}), "games: P数は1～8000の整数で入力してください");
  EXPECT_NE(refused({100, {{50, true, Trigger::kNone}, {50, true, Trigger::kNone}}, {}})
                .find("2件目の解除（50ゲーム目）"),
            std::string::npos);
  EXPECT_NE(refused({100, {{101, true, Trigger::kNone}}, {}}).find("1～P数"), std::string::npos);
  EXPECT_EQ(refused({100, {{5, true, Trigger::kPureMiss}}, 0}).substr(0, 9), "pure-miss");
  EXPECT_EQ(refused({100, {{5, true, Trigger::kPureMiss}}, 1}), "ok");
}

TEST(HistoryTest, AnInitialStockMayBeANumberARangeAListOrUnknown) {
  std::vector<int16_t> stocks;
  ASSERT_TRUE(ReadStockChoice("２０", kStockField, &stocks).ok());
  EXPECT_EQ(stocks, std::vector<int16_t>{20});
  ASSERT_TRUE(ReadStockChoice("3-5", kStockField, &stocks).ok());
  EXPECT_EQ(stocks, (std::vector<int16_t>{3, 4, 5}));
  ASSERT_TRUE(ReadStockChoice("０～２", kStockField, &stocks).ok());
  EXPECT_EQ(stocks, (std::vector<int16_t>{0, 1, 2}));
  ASSERT_TRUE(ReadStockChoice("10，20、30", kStockField, &stocks).ok());
  EXPECT_EQ(stocks, (std::vector<int16_t>{10, 20, 30}));
  ASSERT_TRUE(ReadStockChoice("不明", kStockField, &stocks).ok());
  EXPECT_EQ(stocks.size(), 256u);
  for (const char* bad : {"", "5-3", "300", "1,,2", "a-b", "-1"}) {
    EXPECT_EQ(ReadStockChoice(bad, kStockField, &stocks).field(), "stock") << bad;
  }
}

// What the history says is hidden at its last game (an empty stock, a heaven mode drawn) against
// the engine's own state there, on independent runs of every setting from an empty and a full
// start, each seen up to one of four games: the chances given the true setting are calibrated,
// overall and in halves by the chance said.
TEST(HistoryTest, TheHiddenStateAtTheLastGameIsCalibratedAgainstTheEngine) {
  struct Tally {
    double said = 0, seen = 0, variance = 0;
    void Add(double p, bool happened) {
      said += p;
      seen += happened ? 1 : 0;
      variance += p * (1 - p);
    }
  };
  std::map<std::pair<std::string, int>, Tally> tallies;  // (what, -1 overall or the half said)
  for (uint32_t seed = 1; seed <= 20000; ++seed) {
    const int setting = static_cast<int>(seed % 6) + 1;
    const int16_t stock = seed % 2 == 0 ? 0 : 20;
    const bool changed = seed % 4 == 1;
    const int32_t games = std::array{150, 400, 900, 2000}[seed / 4 % 4];
    const RunPlan plan = PlanOf(setting, games + 1, stock, changed, seed + 100000);
    HistoryRecorder recorder;
    PlayRun(plan, Keep::kFigures, &recorder);
    PausedRun paused;
    ASSERT_TRUE(PauseRun(plan, games, &paused));
    Prior known{};
    known[static_cast<size_t>(setting - 1)] = 1;
    Posterior posterior;
    HiddenNow now;
    ASSERT_TRUE(EstimateFromHistory(recorder.HistoryOver(games), StartOf(stock, changed), known,
                                    &posterior, &now)
                    .ok());
    for (const auto& [what, p, happened] :
         {std::tuple{"empty stock", now.stock_empty, paused.machine.Stock.Count == 0},
          std::tuple{"heaven", now.heaven, paused.machine.NextMode == Mode::kHeaven}}) {
      tallies[{what, -1}].Add(p, happened);
      tallies[{what, p >= 0.5 ? 1 : 0}].Add(p, happened);
    }
  }
  for (const auto& [key, t] : tallies) {
    EXPECT_LE(std::abs(t.said - t.seen), 3 * std::sqrt(t.variance) + 1e-9)
        << key.first << " (" << key.second << "): said " << t.said << ", seen " << t.seen;
  }
  // both states were met often
  const Tally& empty = tallies[{"empty stock", -1}];
  const Tally& heaven = tallies[{"heaven", -1}];
  EXPECT_GT(empty.seen, 1000);
  EXPECT_GT(heaven.seen, 1000);
}

// Calibration and sharpness on runs of known setting, seeds apart from everything above, of
// 500 to 8000 games: C = mean(p_true - sum p^2) is 0 for calibrated probabilities.
TEST(HistoryAccuracyTest, CalibratedInEachStartAndSharperThanTheCounts) {
  struct Start {
    std::optional<int16_t> stock;  // nullopt: 不明, the run's own drawn from 0..255
    std::optional<bool> changed;
  };
  constexpr int kRuns = 3000;
  double hits_mixed = 0, hits_8000 = 0;
  const std::array<Start, 4> starts = {{{20, false}, {0, true}, {1, false}, {{}, {}}}};
  for (size_t si = 0; si < starts.size(); ++si) {
    for (const bool at_8000 : {false, true}) {
      const int runs = at_8000 ? kRuns / 4 : kRuns;
      std::vector<double> c(static_cast<size_t>(runs)), hit(static_cast<size_t>(runs));
      std::atomic<int> next{0};
      const auto work = [&] {
        for (int i; (i = next++) < runs;) {
          const uint32_t mix = 2654435761u * static_cast<uint32_t>(i + 1);
          const int setting = i % 6 + 1;
          const int32_t games = at_8000 ? 8000 : 500 + static_cast<int32_t>(mix % 7501);
          const Start& s = starts[si];
          const auto stock = s.stock.value_or(static_cast<int16_t>((mix >> 13) % 256));
          const bool changed = s.changed.value_or((mix >> 7) & 1);
          const History h = HistoryOfRun(
              PlanOf(setting, games, stock, changed, 7000000 + static_cast<uint32_t>(i)));
          HistoryStart start = StartOf(stock, s.changed);
          if (!s.stock) start.stocks = UnknownStock();
          Posterior p;
          ASSERT_TRUE(EstimateFromHistory(h, start, kEqual, &p).ok());
          double squares = 0;
          for (double x : p.probability) squares += x * x;
          c[static_cast<size_t>(i)] = p.probability[static_cast<size_t>(setting - 1)] - squares;
          hit[static_cast<size_t>(i)] = p.most_likely == setting ? 1 : 0;
        }
      };
      std::jthread helper(work);
      work();
      helper.join();
      double mean = 0, var = 0;
      for (double x : c) mean += x / runs;
      for (double x : c) var += (x - mean) * (x - mean) / (runs - 1);
      if (!at_8000) {
        EXPECT_LT(std::abs(mean), 3 * std::sqrt(var / runs)) << "start " << si << ": C " << mean;
      }
      double& hits = at_8000 ? hits_8000 : hits_mixed;
      for (double x : hit) hits += x / runs / static_cast<double>(starts.size());
    }
  }
  EXPECT_GE(hits_mixed, 0.46);
  EXPECT_GE(hits_8000, 0.55);
}

}  // namespace
}  // namespace tobiuo
