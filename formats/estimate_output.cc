// SPDX-License-Identifier: GPL-3.0-or-later

#include "formats/estimate_output.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "analysis/hit_rates.h"

namespace tobiuo {
namespace {

using Json = nlohmann::ordered_json;

Json PosteriorJson(const Posterior& p) {
  Json posterior = Json::array();
  for (size_t s = 0; s < 6; ++s) {
    posterior.push_back({{"setting", s + 1}, {"probability", p.probability[s]}});
  }
  return posterior;
}

Json OptionalJson(const std::optional<int32_t>& v) { return v ? Json(*v) : Json(nullptr); }

}  // namespace

std::string FormatCountsJson(const Counts& c, const Posterior& p) {
  const Json json = {{"method", "counts"},
                     {"games", c.games},
                     {"pure_misses", c.pure_misses},
                     {"big", OptionalJson(c.big)},
                     {"reg", OptionalJson(c.reg)},
                     {"heaven", OptionalJson(c.heaven)},
                     {"posterior", PosteriorJson(p)},
                     {"most_likely", p.most_likely},
                     {"p_4_or_more", p.p_4_or_more},
                     {"p_5_or_6", p.p_5_or_6}};
  return json.dump() + "\n";
}

std::string FormatHistoryJson(const HistoryCase& c, const Posterior& p) {
  const History& h = c.history;
  const auto big = static_cast<int32_t>(
      std::count_if(h.releases.begin(), h.releases.end(), [](auto& r) { return r.big; }));
  const auto releases = static_cast<int32_t>(h.releases.size());
  const HitRate hit = HitRateFor(JudgedBy::kHistory, h.games, c.start);
  const Json json = {{"method", "history"},
                     {"games", h.games},
                     {"pure_misses", OptionalJson(h.pure_misses)},
                     {"releases", releases},
                     {"big", big},
                     {"reg", releases - big},
                     {"heaven", nullptr},  // a player does not see the mode
                     {"posterior", PosteriorJson(p)},
                     {"most_likely", p.most_likely},
                     {"p_4_or_more", p.p_4_or_more},
                     {"p_5_or_6", p.p_5_or_6},
                     {"hit_rate", hit.rate},
                     {"hit_rate_start", StartText(hit.start)},
                     {"hit_rate_for_assumed", hit.for_assumed},
                     {"assumed_start", StartText(c.start)},
                     {"default_start", c.start.stocks == std::vector<int16_t>{20} &&
                                           c.start.setting_changed == false}};
  return json.dump() + "\n";
}

}  // namespace tobiuo
