// SPDX-License-Identifier: GPL-3.0-or-later
// The CSV the program reads (a history, a cases file): lines of plain comma-separated fields, no
// quoting, since no field it reads may hold a comma or a quote. A byte order mark at the start is
// skipped and a CR before a line's end dropped; a line ending in a comma has an empty last field.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tobiuo {

// The file's lines, the first being line 1.
std::vector<std::string> CsvLines(std::string_view bytes);

// A line's fields.
std::vector<std::string> CsvFields(std::string_view line);

}  // namespace tobiuo
