// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the partial reader. The first byte chooses: the rest as a whole file (the checksum and
// framing), or as a partial's body sealed with a valid checksum, so that edits reach the parser
// and every check behind it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/partial.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1) bytes = tobiuo::SealPartial(bytes);
  tobiuo::Partial partial;
  (void)tobiuo::ReadPartial(bytes, &partial);
  return 0;
}
