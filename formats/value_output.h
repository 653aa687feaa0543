// SPDX-License-Identifier: GPL-3.0-or-later
// What playing on is worth, as the command line writes it for programs: one JSON object with the
// question, the hidden state now, the settings and every rule's figures; CSV with one line per
// rule; and the value cases' CSV, one line per case.
#pragma once

#include <string>

#include "analysis/value.h"
#include "formats/history_files.h"

namespace tobiuo {

inline constexpr const char* kValueCasesHeader =
    "games,more_games,ev_coins,ev_coins_se,p_heaven,p_stock_empty,p1,p2,p3,p4,p5,p6";

std::string FormatValueJson(const ValueQuestion& question, const ValueAnswer& answer);
std::string FormatValueCsv(const ValueQuestion& question, const ValueAnswer& answer);
// A case's line: the expected coins of playing its more_games games on (the second rule).
std::string ValueCaseLine(const HistoryCase& value_case, const ValueAnswer& answer);

}  // namespace tobiuo
