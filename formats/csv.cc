// SPDX-License-Identifier: GPL-3.0-or-later

#include "formats/csv.h"

namespace tobiuo {

std::vector<std::string> CsvLines(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::vector<std::string> lines;
  while (!bytes.empty()) {
    const size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    bytes.remove_prefix(end + 1);
  }
  return lines;
}

std::vector<std::string> CsvFields(std::string_view line) {
  std::vector<std::string> fields;
  for (size_t start = 0;;) {
    const size_t comma = line.find(',', start);
    fields.emplace_back(line.substr(start, comma - start));
    if (comma == std::string_view::npos) return fields;
    start = comma + 1;
  }
}

}  // namespace tobiuo
