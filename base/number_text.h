// SPDX-License-Identifier: GPL-3.0-or-later
// Reading numbers from the texts of the start fields, and writing the machine's numbers.
//
// A text is read after trimming blanks (ASCII and ideographic) and turning the full-width digits,
// sign and point that a Japanese input method types into their ASCII forms. Only plain decimal
// numbers are accepted: an optional sign, digits and at most one point. The integer reading rounds
// half to even and must fit a 16-bit signed integer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tobiuo {

// The text with blanks trimmed and full-width number characters made ASCII; other characters kept.
std::string NormalizeNumberText(std::string_view text);

// The real reading of a text, or nothing if the text is not a plain decimal number.
std::optional<double> ReadReal(std::string_view text);

// Rounds to the nearest integer, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);

// The integer reading of a text, or nothing if it is not a number or does not fit 16 bits.
std::optional<int16_t> ReadInt16(std::string_view text);

// Money in the "###,###,##0" pattern: groups of three digits, a leading '-' when negative.
std::string FormatMoney(int64_t yen);

// A figure for players: a fixed number of decimals, with a point whatever the locale.
std::string FormatFixed(double value, int decimals);

// Exact conversions between doubles and decimal text, the same in every build and locale. The
// standard library's std::from_chars and std::to_chars are used where the library has them for
// doubles; elsewhere (the browser's library) the portable forms below give the same results.
// The nearest double to a decimal text of digits and at most one point ("12", "0.5", "3."), or
// nothing for any other text.
std::optional<double> ParseDecimal(std::string_view digits);
// The shortest text that reads back as the same double, in std::to_chars's plain format: fixed
// or scientific ("1e-05"), whichever is shorter, fixed on a tie. "" for infinities and NaN.
std::string ShortestDouble(double value);

namespace portable {
std::optional<double> ParseDecimal(std::string_view digits);
std::string ShortestDouble(double value);
}  // namespace portable

// A rate as "1/x", x the games per event rounded; "-" for no events.
std::string FormatOneIn(double rate);

}  // namespace tobiuo
