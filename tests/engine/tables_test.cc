#include "engine/setting_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tobiuo {
namespace {

SimState Loaded(const std::string& setting) {
  SimState s;
  LoadSettingTables(s, setting);
  return s;
}

// Every number of 1..top falls in exactly one entry, entries ascending and contiguous from 1.
template <typename Low, typename High>
void ExpectCovers(const Low& low, const High& high, size_t first, int32_t top, const std::string& what) {
  int32_t next = 1;
  for (size_t i = first; i < low.size(); ++i) {
    EXPECT_EQ(low[i], next) << what << " entry " << i;
    EXPECT_GE(high[i], low[i]) << what << " entry " << i;
    next = high[i] + 1;
  }
  EXPECT_EQ(next - 1, top) << what;
}

TEST(SettingTablesTest, EveryTableCoversItsDrawRangeForEverySetting) {
  for (const std::string setting : {"1", "2", "3", "4", "5", "6"}) {
    const SimState s = Loaded(setting);
    ExpectCovers(s.NormalReleaseLow, s.NormalReleaseHigh, 0, 2048, "normal " + setting);
    ExpectCovers(s.EmptyStockReleaseLow, s.EmptyStockReleaseHigh, 0, 2048, "empty " + setting);
    ExpectCovers(s.HeavenReleaseLow, s.HeavenReleaseHigh, 0, 2048, "heaven " + setting);
    ExpectCovers(s.RoleLow, s.RoleHigh, 1, 65535, "role " + setting);
    ExpectCovers(s.BigGameLow, s.BigGameHigh, 0, 65536, "big " + setting);
  }
}

TEST(SettingTablesTest, EachSettingLoadsItsOwnColumns) {
  const SimState one = Loaded("1"), six = Loaded("6");
  EXPECT_EQ((std::vector<int>(one.EmptyStockReleaseHigh.begin(), one.EmptyStockReleaseHigh.begin() + 6)),
            (std::vector<int>{30, 60, 90, 1393, 1881, 2038}));
  EXPECT_EQ(one.RoleHigh[7], 17242);
  EXPECT_EQ(six.NormalReleaseHigh[0], 81);
  EXPECT_EQ(six.RoleLow[8], 17371);
  for (const char* setting : {"2", "3", "4"}) EXPECT_EQ(Loaded(setting).HeavenReleaseHigh, one.HeavenReleaseHigh);
  EXPECT_NE(Loaded("5").HeavenReleaseHigh, one.HeavenReleaseHigh);
  EXPECT_NE(six.HeavenReleaseHigh, Loaded("5").HeavenReleaseHigh);
}

TEST(SettingTablesTest, UnknownSettingTextLoadsOnlyTheSharedEntries) {
  SimState s = Loaded("5");
  const SimState five = s;
  LoadSettingTables(s, "7");
  EXPECT_EQ(s.NormalReleaseHigh, five.NormalReleaseHigh);
  EXPECT_EQ(s.RoleHigh, five.RoleHigh);
  LoadSettingTables(s, "35");  // between "1" and "4" in character order: the heaven column of 1 to 4
  EXPECT_EQ(s.HeavenReleaseHigh, Loaded("1").HeavenReleaseHigh);
  EXPECT_EQ(s.EmptyStockReleaseHigh, five.EmptyStockReleaseHigh);
}

}  // namespace
}  // namespace tobiuo
