// SPDX-License-Identifier: GPL-3.0-or-later

#include "base/number_text.h"

#include <gtest/gtest.h>

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
