// SPDX-License-Identifier: GPL-3.0-or-later

#include "base/crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>

namespace tobiuo {
namespace {

// Partials sealed before by zlib's crc32() must still check out: the same sums on any bytes.
TEST(Crc32Test, IsZlibsCrc32) {
  EXPECT_EQ(Crc32(""), 0u);
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);  // the CRC-32 check value
  std::mt19937 random(7);
  for (size_t size : {1u, 2u, 3u, 255u, 256u, 4097u, 100000u}) {
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    const uLong zlib = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()),
                             static_cast<uInt>(bytes.size()));
    EXPECT_EQ(Crc32(bytes), static_cast<uint32_t>(zlib)) << size;
  }
}

}  // namespace
}  // namespace tobiuo
