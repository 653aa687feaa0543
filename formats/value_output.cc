// SPDX-License-Identifier: GPL-3.0-or-later

#include "formats/value_output.h"

#include <nlohmann/json.hpp>

#include "analysis/figures.h"

namespace tobiuo {
namespace {

using Json = nlohmann::ordered_json;

}  // namespace

std::string FormatValueJson(const ValueQuestion& q, const ValueAnswer& a) {
  Json rules = Json::array();
  for (size_t i = 0; i < a.rules.size(); ++i) {
    const RuleValue& r = a.rules[i];
    rules.push_back({{"rule", RuleKey(r.rule)},
                     {"games", r.rule == StopRule::kGames ? Json(r.games) : Json(nullptr)},
                     {"label", RuleName(r, q)},
                     {"ev_coins", r.coins},
                     {"ev_coins_se", r.coins_se},
                     {"ev_yen", r.yen},
                     {"ev_yen_se", r.yen_se},
                     {"p_plus", r.p_plus},
                     {"mean_games", r.mean_games},
                     {"coins_p5", r.coins_p5},
                     {"coins_p95", r.coins_p95},
                     {"best", i == a.best}});
  }
  Json posterior = Json::array();
  for (double p : a.posterior.probability) posterior.push_back(p);
  const Json json = {{"games", q.history.games},
                     {"watched_from", q.history.watched_from},
                     {"hamari", a.hamari},
                     {"rate", q.rate},
                     {"coins", q.coins},
                     {"games_left", q.games_left},
                     {"check", q.check},
                     {"sit_at", q.sit_at},
                     {"seed", q.seed},
                     {"draws", a.draws},
                     {"posterior", posterior},
                     {"p_stock_empty", a.now.stock_empty},
                     {"p_heaven", a.now.heaven},
                     {"rules", rules},
                     {"best", RuleName(a.rules[a.best], q)},
                     {"lead_yen", a.lead},
                     {"lead_yen_se", a.lead_se}};
  return json.dump() + "\n";
}

std::string FormatValueCsv(const ValueQuestion& q, const ValueAnswer& a) {
  std::string csv =
      "rule,games,label,ev_coins,ev_coins_se,ev_yen,ev_yen_se,p_plus,mean_games,coins_p5,"
      "coins_p95,best\n";
  for (size_t i = 0; i < a.rules.size(); ++i) {
    const RuleValue& r = a.rules[i];
    csv += std::string(RuleKey(r.rule)) + "," +
           (r.rule == StopRule::kGames ? std::to_string(r.games) : "") + "," +
           RuleName(r, q);  // no label holds a comma or a quote
    for (double x : {r.coins, r.coins_se, r.yen, r.yen_se, r.p_plus, r.mean_games}) {
      csv += "," + ExactDouble(x);
    }
    csv += "," + std::to_string(r.coins_p5) + "," + std::to_string(r.coins_p95) + "," +
           (i == a.best ? "1" : "0") + "\n";
  }
  return csv;
}

std::string ValueCaseLine(const HistoryCase& c, const ValueAnswer& a) {
  const RuleValue& played = a.rules.at(1);
  std::string line = std::to_string(c.history.games) + "," + std::to_string(c.more_games);
  for (double x : {played.coins, played.coins_se, a.now.heaven, a.now.stock_empty}) {
    line += "," + ExactDouble(x);
  }
  for (double p : a.posterior.probability) line += "," + ExactDouble(p);
  return line + "\n";
}

}  // namespace tobiuo
