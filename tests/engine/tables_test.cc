#include <gtest/gtest.h>

#include <string>

#include "engine/setting_tables.h"

namespace tobiuo {
namespace {

// Every number of 1..top falls in exactly one entry, entries ascending and contiguous from 1.
template <typename Low, typename High>
void ExpectCovers(const Low& low, const High& high, size_t first, size_t last, int32_t top,
                  const std::string& what) {
  int32_t next = 1;
  for (size_t i = first; i <= last; ++i) {
    EXPECT_EQ(low[i], next) << what << " entry " << i;
    EXPECT_GE(high[i], low[i]) << what << " entry " << i;
    next = high[i] + 1;
  }
  EXPECT_EQ(next - 1, top) << what;
}

TEST(SettingTablesTest, EveryTableCoversItsDrawRangeForEverySetting) {
  for (const std::string setting : {"1", "2", "3", "4", "5", "6"}) {
    SimState s;
    LoadSettingTables(s, setting);
    ExpectCovers(s.NormalReleaseLow, s.NormalReleaseHigh, 0, 15, 2048, "normal " + setting);
    ExpectCovers(s.EmptyStockReleaseLow, s.EmptyStockReleaseHigh, 0, 15, 2048, "empty " + setting);
    ExpectCovers(s.HeavenReleaseLow, s.HeavenReleaseHigh, 0, 15, 2048, "heaven " + setting);
    ExpectCovers(s.RoleLow, s.RoleHigh, 1, 8, 65535, "role " + setting);
    ExpectCovers(s.BigGameLow, s.BigGameHigh, 0, 3, 65536, "big " + setting);
  }
}

TEST(SettingTablesTest, LoadsTheColumnsOfTheSetting) {
  SimState s;
  LoadSettingTables(s, "1");
  const int16_t empty_high[] = {30, 60, 90, 1393, 1881, 2038};
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(s.EmptyStockReleaseHigh[i], empty_high[i]);
  EXPECT_EQ(s.RoleLow[5], 16346);
  EXPECT_EQ(s.RoleHigh[7], 17242);

  LoadSettingTables(s, "6");
  EXPECT_EQ(s.NormalReleaseHigh[0], 81);
  EXPECT_EQ(s.RoleHigh[5], 16546);
  EXPECT_EQ(s.RoleLow[8], 17371);
  EXPECT_EQ(s.HeavenReleaseLow[15], 2044);
}

TEST(SettingTablesTest, HeavenColumnIsSharedBySettingsOneToFour) {
  SimState first;
  LoadSettingTables(first, "1");
  for (const char* setting : {"2", "3", "4"}) {
    SimState s;
    LoadSettingTables(s, setting);
    EXPECT_EQ(s.HeavenReleaseLow, first.HeavenReleaseLow) << setting;
    EXPECT_EQ(s.HeavenReleaseHigh, first.HeavenReleaseHigh) << setting;
  }
  SimState five, six;
  LoadSettingTables(five, "5");
  LoadSettingTables(six, "6");
  EXPECT_NE(five.HeavenReleaseHigh, first.HeavenReleaseHigh);
  EXPECT_NE(six.HeavenReleaseHigh, five.HeavenReleaseHigh);
}

TEST(SettingTablesTest, UnknownSettingTextLoadsOnlyTheSharedEntries) {
  SimState s;
  LoadSettingTables(s, "5");
  SimState before = s;
  LoadSettingTables(s, "7");
  EXPECT_EQ(s.NormalReleaseHigh, before.NormalReleaseHigh);
  EXPECT_EQ(s.EmptyStockReleaseHigh, before.EmptyStockReleaseHigh);
  EXPECT_EQ(s.HeavenReleaseHigh, before.HeavenReleaseHigh);
  EXPECT_EQ(s.RoleHigh, before.RoleHigh);

  // "35" lies between "1" and "4" in character order: it takes the heaven column of 1 to 4.
  LoadSettingTables(s, "35");
  SimState one;
  LoadSettingTables(one, "1");
  EXPECT_EQ(s.HeavenReleaseHigh, one.HeavenReleaseHigh);
  EXPECT_EQ(s.RoleHigh[7], before.RoleHigh[7]);
  EXPECT_EQ(s.NormalReleaseHigh, before.NormalReleaseHigh);
}

}  // namespace
}  // namespace tobiuo
