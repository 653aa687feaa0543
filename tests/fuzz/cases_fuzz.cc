// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the reader of estimate's cases files.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "formats/counts_cases.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<tobiuo::Counts> cases;
  (void)tobiuo::ReadCasesText(std::string_view(reinterpret_cast<const char*>(data), size),
                              "cases.csv", &cases);
  return 0;
}
