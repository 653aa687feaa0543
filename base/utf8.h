// SPDX-License-Identifier: GPL-3.0-or-later
// The program's one UTF-8 decoder. Every text the program reads from a person (a field of the
// window, a value on the command line) is UTF-8; this decides which byte sequences are characters.
// Overlong forms, surrogates, code points above U+10FFFF, stray continuation bytes and cut-off
// sequences are not.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tobiuo {

// Decodes the character at `at` and moves `at` past it; for an invalid sequence returns nothing
// and moves `at` past its first byte only.
std::optional<char32_t> DecodeUtf8(std::string_view text, size_t& at);

bool IsValidUtf8(std::string_view text);

// A value as it may be shown in a one-line message: control characters and bytes that are not
// UTF-8 are written as escapes.
std::string Escaped(std::string_view value);

// Columns a text takes in a terminal: East Asian wide and full-width characters take two.
size_t DisplayWidth(std::string_view text);

}  // namespace tobiuo
