// The per-setting lottery tables.
//
// LoadSettingTables turns the setting text ("1" to "6") into the range tables of SimState: three
// release-category tables (1..2048), the role table (1..65535) and the BIG-game table (1..65536).
// Every table is contiguous from 1 to the top of its draw range, and a lottery takes the first
// entry whose inclusive range holds its number. A text other than "1" to "6" loads only the
// entries that do not depend on the setting (and, for a text between "1" and "4" in character
// order, the heaven column those settings share); the rest keep their previous values.
#pragma once

#include <string_view>

#include "engine/sim_state.h"

namespace tobiuo {

void LoadSettingTables(SimState& state, std::string_view setting);

}  // namespace tobiuo
