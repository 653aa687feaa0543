// SPDX-License-Identifier: GPL-3.0-or-later

#include "base/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "base/utf8.h"

namespace tobiuo {
namespace {

// The ASCII form of a full-width number character or blank, or 0 if it has none.
char AsciiFormOf(char32_t cp) {
  if (cp < 0x80) return static_cast<char>(cp);
  if (cp >= U'０' && cp <= U'９') return static_cast<char>('0' + (cp - U'０'));
  switch (cp) {
    case U'＋':
      return '+';
    case U'－':
    case U'−':
      return '-';
    case U'．':
      return '.';
    case U'　':
      return ' ';
    default:
      return 0;
  }
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::string NormalizeNumberText(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const size_t start = i;
    const std::optional<char32_t> code = DecodeUtf8(text, i);
    const char ascii = code ? AsciiFormOf(*code) : 0;
    if (ascii != 0) {
      out.push_back(ascii);
    } else {
      out.append(text.substr(start, i - start));
    }
  }
  const size_t first = out.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  size_t last = out.size();
  while (IsBlank(out[last - 1])) --last;
  return out.substr(first, last - first);
}

std::optional<double> ReadReal(std::string_view text) {
  const std::string s = NormalizeNumberText(text);
  std::string_view body = s;
  bool negative = false;
  if (!body.empty() && (body[0] == '+' || body[0] == '-')) {
    negative = body[0] == '-';
    body.remove_prefix(1);
  }
  int digits = 0, points = 0;
  for (char c : body) {
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.') {
      ++points;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0 || points > 1) return std::nullopt;
  double value = 0;
  const auto [end, ec] =
      std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::fixed);
  if (ec != std::errc() || end != body.data() + body.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double frac = value - floor;
  if (frac > 0.5) return floor + 1;
  if (frac < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

std::optional<int16_t> ReadInt16(std::string_view text) {
  const std::optional<double> real = ReadReal(text);
  if (!real) return std::nullopt;
  const double rounded = RoundHalfEven(*real);
  if (rounded < INT16_MIN || rounded > INT16_MAX) return std::nullopt;
  return static_cast<int16_t>(rounded);
}

std::string FormatMoney(int64_t yen) {
  const std::string digits = std::to_string(yen < 0 ? -yen : yen);
  std::string out = yen < 0 ? "-" : "";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

std::string FormatFixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

std::string FormatOneIn(double rate) { return rate > 0 ? "1/" + FormatFixed(1 / rate, 0) : "-"; }

}  // namespace tobiuo
