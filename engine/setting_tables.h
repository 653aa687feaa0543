// The per-setting lottery tables.
//
// LoadSettingTables stores the tables of a setting (1 to 6) in SimState: three release-category
// tables (1..2048), the role table (1..65535) and the BIG-game table (1..65536). Every table is
// contiguous from 1 to the top of its draw range, and a lottery takes the first entry whose
// inclusive range holds its number.
#pragma once

#include "engine/sim_state.h"

namespace tobiuo {

// `setting` is 1 to 6.
void LoadSettingTables(SimState& state, int setting);

}  // namespace tobiuo
