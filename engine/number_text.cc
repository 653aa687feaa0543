#include "engine/number_text.h"

#include <charconv>
#include <cmath>

namespace tobiuo {
namespace {

// Decodes one UTF-8 sequence at `i`; returns the code point, or U+FFFD for a malformed byte.
char32_t DecodeAt(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  int extra = b0 < 0x80 ? 0 : (b0 >> 5) == 6 ? 1 : (b0 >> 4) == 14 ? 2 : (b0 >> 3) == 30 ? 3 : -1;
  if (extra < 0 || i + static_cast<size_t>(extra) >= s.size()) {
    ++i;
    return 0xFFFD;
  }
  char32_t cp = extra == 0 ? char32_t{b0} : static_cast<char32_t>(b0 & (0x3Fu >> extra));
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  i += static_cast<size_t>(extra) + 1;
  return cp;
}

// The ASCII form of a full-width number character or blank, or 0 if it has none.
char AsciiFormOf(char32_t cp) {
  if (cp < 0x80) return static_cast<char>(cp);
  if (cp >= U'０' && cp <= U'９') return static_cast<char>('0' + (cp - U'０'));
  switch (cp) {
    case U'＋': return '+';
    case U'－': case U'−': return '-';
    case U'．': return '.';
    case U'　': return ' ';
    default: return 0;
  }
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::string NormalizeNumberText(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const size_t start = i;
    const char ascii = AsciiFormOf(DecodeAt(text, i));
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
  const auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value,
                                         std::chars_format::fixed);
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

IntReading ReadInt16(std::string_view text, int16_t& value) {
  const std::optional<double> real = ReadReal(text);
  if (!real) return IntReading::kNotNumber;
  const double rounded = RoundHalfEven(*real);
  if (rounded < INT16_MIN || rounded > INT16_MAX) return IntReading::kOutOfRange;
  value = static_cast<int16_t>(rounded);
  return IntReading::kOk;
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

}  // namespace tobiuo
