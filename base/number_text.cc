// SPDX-License-Identifier: GPL-3.0-or-later

#include "base/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iomanip>
#include <locale>
#include <sstream>

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
  const std::optional<double> value = ParseDecimal(body);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return negative ? -*value : *value;
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
  // the magnitude unsigned: -yen overflows for the least int64_t
  const uint64_t magnitude = yen < 0 ? 0 - static_cast<uint64_t>(yen) : static_cast<uint64_t>(yen);
  const std::string digits = std::to_string(magnitude);
  std::string out = yen < 0 ? "-" : "";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

std::string FormatFixed(double value, int decimals) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << std::fixed << std::setprecision(decimals) << value;
  return out.str();
}

namespace portable {

std::optional<double> ParseDecimal(std::string_view digits) {
  if (digits.empty() || digits.find_first_not_of("0123456789.") != std::string_view::npos ||
      std::count(digits.begin(), digits.end(), '.') > 1 || digits == ".") {
    return std::nullopt;
  }
  // The classic locale's reading is the correctly rounded one in both standard libraries.
  std::istringstream in{std::string(digits)};
  in.imbue(std::locale::classic());
  double value = 0;
  in >> value;
  if (in.fail() || in.peek() != std::char_traits<char>::eof()) return std::nullopt;
  return value;
}

namespace {

// value = 0.digits * 10^exponent10 read back exactly?
bool ReadsBack(const std::string& mantissa_digits, int exponent, double value) {
  std::ostringstream text;
  text << mantissa_digits.substr(0, 1) << '.' << mantissa_digits.substr(1) << 'e' << exponent;
  std::istringstream in(text.str());
  in.imbue(std::locale::classic());
  double read = 0;
  in >> read;
  return !in.fail() && read == value;
}

// The shortest digits (no trailing zeros) and the exponent e of d.ddd * 10^e that read back as
// the value, the nearest such on a tie of length.
std::pair<std::string, int> ShortestDigits(double value) {
  for (int precision = 0; precision <= 16; ++precision) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::scientific << std::setprecision(precision) << value;
    const std::string text = out.str();  // d.ddde+XX, correctly rounded
    const size_t e = text.find('e');
    std::string digits = text.substr(0, 1) + (precision > 0 ? text.substr(2, e - 2) : "");
    const int exponent = std::stoi(text.substr(e + 1));
    if (ReadsBack(digits, exponent, value)) {
      digits.erase(digits.find_last_not_of('0') + 1);
      return {digits.empty() ? "0" : digits, exponent};
    }
    // Where the value's neighbours lie unequally far (at a power of two), a neighbour of the
    // rounded digits may read back when they do not.
    for (const int step : {-1, 1}) {
      uint64_t mantissa = std::stoull(digits);
      mantissa = step < 0 ? mantissa - 1 : mantissa + 1;
      std::string other = std::to_string(mantissa);
      if (other.size() != digits.size() || other[0] == '0') continue;
      if (ReadsBack(other, exponent, value)) {
        other.erase(other.find_last_not_of('0') + 1);
        return {other, exponent};
      }
    }
  }
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << std::scientific << std::setprecision(16) << value;
  const std::string text = out.str();
  std::string digits = text.substr(0, 1) + text.substr(2, text.find('e') - 2);
  digits.erase(digits.find_last_not_of('0') + 1);
  return {digits, std::stoi(text.substr(text.find('e') + 1))};
}

}  // namespace

std::string ShortestDouble(double value) {
  if (!std::isfinite(value)) return "";
  const std::string sign = std::signbit(value) ? "-" : "";
  if (value == 0) return sign + "0";
  const auto [digits, e] = ShortestDigits(std::abs(value));
  const auto n = static_cast<int>(digits.size());
  std::string scientific = digits.substr(0, 1);
  if (n > 1) scientific += "." + digits.substr(1);
  const int magnitude = std::abs(e);
  scientific +=
      std::string(e < 0 ? "e-" : "e+") + (magnitude < 10 ? "0" : "") + std::to_string(magnitude);
  std::string fixed;
  if (e < 0) {
    fixed = "0." + std::string(static_cast<size_t>(-e - 1), '0') + digits;
  } else if (n <= e + 1) {  // a whole number: its digits all written, as %.0f writes them
    fixed = FormatFixed(std::abs(value), 0);
  } else {
    fixed = digits.substr(0, static_cast<size_t>(e + 1)) + "." +
            digits.substr(static_cast<size_t>(e + 1));
  }
  return sign + (scientific.size() < fixed.size() ? scientific : fixed);
}

}  // namespace portable

#if defined(__cpp_lib_to_chars)
std::optional<double> ParseDecimal(std::string_view digits) {
  if (digits.empty() || digits.find_first_not_of("0123456789.") != std::string_view::npos) {
    return std::nullopt;
  }
  double value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                         std::chars_format::fixed);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

std::string ShortestDouble(double value) {
  if (!std::isfinite(value)) return "";
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? std::string(buffer, end) : std::string();
}
#else
std::optional<double> ParseDecimal(std::string_view digits) {
  return portable::ParseDecimal(digits);
}
std::string ShortestDouble(double value) { return portable::ShortestDouble(value); }
#endif

std::string FormatOneIn(double rate) { return rate > 0 ? "1/" + FormatFixed(1 / rate, 0) : "-"; }

}  // namespace tobiuo
