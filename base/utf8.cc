// SPDX-License-Identifier: GPL-3.0-or-later

#include "base/utf8.h"

#include <cstdio>

namespace tobiuo {

std::optional<char32_t> DecodeUtf8(std::string_view text, size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const size_t start = at++;
  if (lead < 0x80) return lead;
  // Sequence length, the smallest code point that needs it (shorter forms are overlong).
  size_t length = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, minimum = 0x10000;
  } else {
    return std::nullopt;
  }
  if (start + length > text.size()) return std::nullopt;
  char32_t code = lead & (0x7Fu >> length);
  for (size_t k = 1; k < length; ++k) {
    const auto byte = static_cast<unsigned char>(text[start + k]);
    if ((byte & 0xC0) != 0x80) return std::nullopt;
    code = (code << 6) | (byte & 0x3Fu);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
  at = start + length;
  return code;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    if (!DecodeUtf8(text, at)) return false;
  }
  return true;
}

size_t DisplayWidth(std::string_view text) {
  size_t width = 0;
  for (size_t at = 0; at < text.size();) {
    const char32_t code = DecodeUtf8(text, at).value_or(U'?');
    const bool wide = (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
                      (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
                      (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
                      (code >= 0xFFE0 && code <= 0xFFE6) || code >= 0x1F300;
    width += wide ? 2 : 1;
  }
  return width;
}

std::string Escaped(std::string_view value) {
  std::string out;
  for (size_t at = 0; at < value.size();) {
    const size_t start = at;
    const std::optional<char32_t> code = DecodeUtf8(value, at);
    if (code && *code >= 0x20 && *code != 0x7F && (*code < 0x80 || *code >= 0xA0)) {
      out.append(value.substr(start, at - start));
    } else if (code && *code == '\n') {
      out += "\\n";
    } else if (code && *code == '\r') {
      out += "\\r";
    } else if (code && *code == '\t') {
      out += "\\t";
    } else {
      for (size_t i = start; i < at; ++i) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(value[i]));
        out += hex;
      }
    }
  }
  return out;
}

}  // namespace tobiuo
