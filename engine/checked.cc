// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/checked.h"

namespace tobiuo {

void ThrowOverflow(const char* what) {
  throw RunAbort(std::string("オーバーフローが発生しました（") + what + "が範囲を超えました）");
}

}  // namespace tobiuo
