// SPDX-License-Identifier: GPL-3.0-or-later
// The counts cases file (`estimate --cases FILE`): CSV with the header kCountsCasesHeader and one
// case per line, games and pure misses, then BIG, REG and heaven counts, which may be empty; each
// checked as the windows check their counts. A refusal names the file's line and the field.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "analysis/estimate.h"

namespace tobiuo {

inline constexpr const char* kCountsCasesHeader = "games,pure_misses,big,reg,heaven";

[[nodiscard]] Status ReadCasesText(std::string_view bytes, const std::string& name,
                                   std::vector<Counts>* cases);

}  // namespace tobiuo
