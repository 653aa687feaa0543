// SPDX-License-Identifier: GPL-3.0-or-later

#include "formats/counts_cases.h"

#include "base/utf8.h"
#include "formats/csv.h"

namespace tobiuo {
namespace {

Status Refused(const std::string& what) { return Status::BadInput({}, "--cases: " + what); }

// One line of a cases file: games and pure misses, then big, reg and heaven, which may be empty.
Status ReadCase(const std::string& where, const std::string& line, Counts* c) {
  const std::vector<std::string> fields = CsvFields(line);
  if (fields.size() != 5) return Refused(where + ": five fields are needed");
  const Status s = ValidateCounts({fields[0], fields[1], fields[2], fields[3], fields[4]}, c);
  return s.ok() ? s : Refused(where + ": " + s.field() + ": " + s.message());
}

}  // namespace

Status ReadCasesText(std::string_view bytes, const std::string& name, std::vector<Counts>* cases) {
  const std::vector<std::string> lines = CsvLines(bytes);
  if (lines.empty() || lines[0] != kCountsCasesHeader) {
    return Refused(Escaped(name) + ":1: the header must be " + kCountsCasesHeader);
  }
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    Counts c;
    if (Status s = ReadCase(Escaped(name) + ":" + std::to_string(i + 1), lines[i], &c); !s.ok()) {
      return s;
    }
    cases->push_back(c);
  }
  return Status::Ok();
}

}  // namespace tobiuo
