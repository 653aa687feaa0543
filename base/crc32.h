// SPDX-License-Identifier: GPL-3.0-or-later
// CRC-32 as zlib's crc32() and the PNG and gzip formats compute it (polynomial 0xEDB88320,
// reflected, initial and final value 0xFFFFFFFF): the checksum of the partial files. Our own, so
// that every build, the browser's included, seals and checks partials alike without zlib.
#pragma once

#include <cstdint>
#include <string_view>

namespace tobiuo {

uint32_t Crc32(std::string_view bytes);

}  // namespace tobiuo
