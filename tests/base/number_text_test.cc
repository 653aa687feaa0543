// SPDX-License-Identifier: GPL-3.0-or-later

#include "base/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>

#include "base/utf8.h"

namespace tobiuo {
namespace {

TEST(NumberTextTest, ReadsPlainDecimalsWithBlanksAndFullWidthForms) {
  for (auto [text, value] : {std::pair{"6000", 6000.0},
                             {"  12.5\t", 12.5},
                             {"６０００", 6000.0},
                             {"　－１２．５　", -12.5},
                             {"＋3", 3.0},
                             {".5", 0.5}}) {
    EXPECT_EQ(ReadReal(text), value) << text;
  }
  for (const char* bad : {"", "  ", "abc", "1e3", "1,000", "1.2.3", "--1", "0x10", "inf", "nan",
                          "1 2", "六", "\xc0\xb3", "\xef\xbc"}) {
    EXPECT_FALSE(ReadReal(bad).has_value()) << bad;
  }
}

TEST(NumberTextTest, IntegerReadingRoundsHalfToEvenWithin16Bits) {
  for (auto [text, expected] :
       {std::pair{"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"32767.4", 32767}, {"-32768", -32768}}) {
    EXPECT_EQ(ReadInt16(text), expected) << text;
  }
  EXPECT_FALSE(ReadInt16("32767.5").has_value());
  EXPECT_FALSE(ReadInt16("x").has_value());
}

TEST(NumberTextTest, MoneyIsGroupedByThousands) {
  for (auto [yen, text] : {std::pair{0, "0"},
                           {999, "999"},
                           {1000, "1,000"},
                           {1234567, "1,234,567"},
                           {-50000, "-50,000"},
                           {-100, "-100"}}) {
    EXPECT_EQ(FormatMoney(yen), text);
  }
}

TEST(Utf8Test, AcceptsCharactersAndRefusesEveryMalformedSequence) {
  for (const char* good :
       {"", "abc", "設定６", "\xf0\x9f\x90\x9f", "\xed\x9f\xbf", "\xf4\x8f\xbf\xbf"}) {
    EXPECT_TRUE(IsValidUtf8(good)) << good;
  }
  const char* bad[] = {
      "\xc0\xb3",          // overlong "3"
      "\xe0\x80\xb3",      // overlong "3" in three bytes
      "\xf0\x80\x80\xb3",  // and in four
      "\xed\xa0\x80",      // a surrogate
      "\xf4\x90\x80\x80",  // above U+10FFFF
      "\x80",              // a stray continuation byte
      "\xe8\xa8",          // cut off
      "\xff",
  };
  for (const char* text : bad) EXPECT_FALSE(IsValidUtf8(text)) << text;
  EXPECT_EQ(DisplayWidth("設定 95%～"), 10u);
}

}  // namespace
}  // namespace tobiuo

namespace tobiuo {
namespace {

// The portable conversions (the browser build's) give what the standard library's std::to_chars
// and std::from_chars give: on every kind of double the figures write (probabilities, means, coin
// counts, powers of two, subnormals) and on random bit patterns.
TEST(NumberTextTest, PortableDoubleTextIsTheStandardLibrarysExactly) {
  std::mt19937_64 random(2026);
  std::vector<double> values = {0.0,
                                -0.0,
                                1.0,
                                0.1,
                                0.0001,
                                1e-5,
                                123456789012.0,
                                1e21,
                                5e-324,
                                2.2250738585072014e-308,
                                9007199254740993.0,
                                0.3,
                                2.0 / 3.0};
  for (int i = -1074; i < 1024; ++i) values.push_back(std::ldexp(1.0, i));
  for (int i = 0; i < 6000; ++i) {
    values.push_back(std::bit_cast<double>(random()));
    values.push_back(static_cast<double>(random() % 1000000) / 1000.0);
    values.push_back(std::uniform_real_distribution<double>(0, 1)(random));
  }
  for (const double v : values) {
    if (!std::isfinite(v)) continue;
    ASSERT_EQ(portable::ShortestDouble(v), ShortestDouble(v)) << std::hexfloat << v;
    const std::string fixed = FormatFixed(std::abs(v), 20);
    if (fixed.size() < 60) {
      ASSERT_EQ(portable::ParseDecimal(fixed), ParseDecimal(fixed)) << fixed;
    }
  }
  for (const char* text : {"3.", ".5", "0012.50", "1", "99999999999999999999999"}) {
    EXPECT_EQ(portable::ParseDecimal(text), ParseDecimal(text)) << text;
  }
  for (const char* text : {"", ".", "1.2.3", "1e5", "-1", " 1", "0x10"}) {
    EXPECT_FALSE(portable::ParseDecimal(text).has_value()) << text;
    EXPECT_FALSE(ParseDecimal(text).has_value()) << text;
  }
}

}  // namespace
}  // namespace tobiuo
