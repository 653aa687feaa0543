// SPDX-License-Identifier: GPL-3.0-or-later
// The per-setting lottery tables.
//
// LoadSettingTables stores the tables of a setting (1 to 6) in SimState: three release-category
// tables (1..2048), the role table (1..65535) and the BIG-game table (1..65536). Every table is
// contiguous from 1 to the top of its draw range, and a lottery takes the first entry whose
// inclusive range holds its number.
#pragma once

#include <array>
#include <cstdint>

#include "engine/sim_state.h"

namespace tobiuo {

// `setting` is 1 to 6.
void LoadSettingTables(SimState& state, int setting);

// The role of every draw 1..65535 of a game's role lottery in the setting (index 0 unused): the
// first role 1..7 whose range holds the draw, or 0 for none. One lookup instead of a search per
// game; 64 KB per setting, made once.
const std::array<uint8_t, 65536>& RoleTable(int setting);

}  // namespace tobiuo
