// SPDX-License-Identifier: GPL-3.0-or-later
// The program's version, as the build declares it (the project's VERSION in CMakeLists.txt).
#pragma once

namespace tobiuo {

inline constexpr const char* kProgramVersion = TOBIUO_VERSION;

}  // namespace tobiuo
