// SPDX-License-Identifier: GPL-3.0-or-later
// The partial file: a batch's exact sufficient statistics (its tallies) as one JSON document, which
// `tobiuo-sim merge` adds over disjoint run ranges into exactly what one batch over their union
// prints (docs/formats.md gives its grammar).
//
// A partial holds a format version, the program's version, every option that changes results (not
// --threads), the seed, the run range and per setting the integer sums (those that may pass 2^63
// after many merges as decimal strings) and the histograms of the final coin differences and of
// every chart row, each as its first value and the dense counts from there to its last value. Its
// last key is "checksum": "crc32:" and the CRC-32 (zlib's, as in gzip and PNG) in 8 lowercase hex
// digits of every byte of the file before the comma that opens that key (a UTF-8 byte order mark
// at the start excluded).
//
// A partial is trusted only as far as it checks out: the checksum, this program's format and
// version, every number's type and range, and everything it says against itself (the runs against
// the sums and every histogram's total, the settings against the options, the rows against the
// games). The reader refuses, before parsing everything, a file past kMaxPartialBytes, nesting
// deeper than a partial's and an array longer than a histogram can be.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "analysis/batch.h"

namespace tobiuo {

inline constexpr int kPartialFormatVersion = 3;
inline constexpr size_t kMaxPartialBytes = size_t{256} << 20;

std::string PartialJson(const BatchOptions& options, const std::vector<SettingTally>& tallies);

// One partial as read: the options it was played with, its run range and its tallies.
struct Partial {
  BatchOptions
      options;  // games, rate, stock, setting changed, quit, settings, seed, first run, runs
  std::vector<SettingTally> tallies;
};

// A partial's text with its checksum: `body` is the JSON object without its closing brace.
std::string SealPartial(std::string body);

// Reads a partial's bytes; a refusal says what is wrong, for a message that names the file.
[[nodiscard]] Status ReadPartial(const std::string& bytes, Partial* partial);

}  // namespace tobiuo
