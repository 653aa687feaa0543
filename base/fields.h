// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the fields of the program's forms (a run, a batch, an estimate), the same way wherever
// the texts come from: a window's fields or the command line's options. Each form's validator
// takes the texts as typed and names the field it refuses by its key (the command line's option
// name without "--", and the key the window looks up its widget by), with one Japanese message per
// field and one range per field.
//
// Every number is read like the window's fields: surrounding blanks are allowed, and full-width
// digits, sign and point read like ASCII ones (NormalizeNumberText).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/status.h"

namespace tobiuo {

// A field of a form: its key and the Japanese name its messages use.
struct FieldName {
  const char* key;
  const char* label;
};

// A whole number from `low` to `high`: "8000", " ８０００ " and "8000.0" are 8000; a fraction or
// a number outside the range is refused with "…は{low}～{high}の整数で入力してください".
[[nodiscard]] Status ReadWholeField(std::string_view text, FieldName field, int64_t low,
                                    int64_t high, int64_t* value);

// As ReadWholeField, but an empty field is no value.
[[nodiscard]] Status ReadOptionalWholeField(std::string_view text, FieldName field, int64_t low,
                                            int64_t high, std::optional<int64_t>* value);

// The machine's integer reading: the number rounded half to even (2.5 is 2), then from `low` to
// `high`, refused with "…は{low}～{high}の範囲で入力してください".
[[nodiscard]] Status ReadRoundedField(std::string_view text, FieldName field, int16_t low,
                                      int16_t high, int16_t* value);

// Any number.
[[nodiscard]] Status ReadRealField(std::string_view text, FieldName field, double* value);

// A refusal of the field.
Status Refuse(FieldName field, const std::string& message);

}  // namespace tobiuo
