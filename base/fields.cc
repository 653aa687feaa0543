// SPDX-License-Identifier: GPL-3.0-or-later

#include "base/fields.h"

#include <cmath>

#include "base/number_text.h"
#include "base/utf8.h"

namespace tobiuo {
namespace {

Status NotANumber(FieldName field) {
  return Refuse(field, std::string(field.label) + "には数値を入力してください");
}

// The reading of a text that must be a number; refusals name the field.
Status ReadNumber(std::string_view text, FieldName field, double* value) {
  if (!IsValidUtf8(text)) return Refuse(field, "UTF-8として正しくない文字があります");
  const std::optional<double> real = ReadReal(text);
  if (!real) return NotANumber(field);
  *value = *real;
  return Status::Ok();
}

}  // namespace

Status Refuse(FieldName field, const std::string& message) {
  return Status::BadInput(field.key, message);
}

Status ReadWholeField(std::string_view text, FieldName field, int64_t low, int64_t high,
                      int64_t* value) {
  double real = 0;
  if (Status s = ReadNumber(text, field, &real); !s.ok()) return s;
  if (real < static_cast<double>(low) || real > static_cast<double>(high) ||
      real != std::floor(real)) {
    return Refuse(field, std::string(field.label) + "は" + std::to_string(low) + "～" +
                             std::to_string(high) + "の整数で入力してください");
  }
  *value = static_cast<int64_t>(real);
  return Status::Ok();
}

Status ReadOptionalWholeField(std::string_view text, FieldName field, int64_t low, int64_t high,
                              std::optional<int64_t>* value) {
  if (IsValidUtf8(text) && NormalizeNumberText(text).empty()) {
    value->reset();
    return Status::Ok();
  }
  int64_t whole = 0;
  if (Status s = ReadWholeField(text, field, low, high, &whole); !s.ok()) return s;
  *value = whole;
  return Status::Ok();
}

Status ReadRoundedField(std::string_view text, FieldName field, int16_t low, int16_t high,
                        int16_t* value) {
  double real = 0;
  if (Status s = ReadNumber(text, field, &real); !s.ok()) return s;
  const double rounded = RoundHalfEven(real);
  if (rounded < low || rounded > high) {
    return Refuse(field, std::string(field.label) + "は" + std::to_string(low) + "～" +
                             std::to_string(high) + "の範囲で入力してください");
  }
  *value = static_cast<int16_t>(rounded);
  return Status::Ok();
}

Status ReadRealField(std::string_view text, FieldName field, double* value) {
  return ReadNumber(text, field, value);
}

}  // namespace tobiuo
