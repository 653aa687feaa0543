// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/setting_tables.h"

#include <array>

namespace tobiuo {
namespace {

struct Range {
  int32_t low, high;
};
using ReleaseColumn = std::array<Range, 16>;

// One row of a table per line, as the machine's tables are laid out.
// clang-format off
constexpr std::array<ReleaseColumn, 6> kNormalRelease = {{
    {{{1, 20}, {21, 73}, {74, 126}, {127, 147}, {148, 168}, {169, 189}, {190, 210}, {211, 232}, {233, 437}, {438, 458}, {459, 479}, {480, 684}, {685, 752}, {753, 1162}, {1163, 1229}, {1230, 2048}}},
    {{{1, 21}, {22, 74}, {75, 127}, {128, 157}, {158, 197}, {198, 306}, {307, 346}, {347, 386}, {387, 795}, {796, 835}, {836, 875}, {876, 1284}, {1285, 1318}, {1319, 1666}, {1667, 1700}, {1701, 2048}}},
    {{{1, 23}, {24, 76}, {77, 129}, {130, 150}, {151, 180}, {181, 210}, {211, 240}, {241, 270}, {271, 475}, {476, 505}, {506, 535}, {536, 740}, {741, 780}, {781, 1189}, {1190, 1229}, {1230, 2048}}},
    {{{1, 23}, {24, 80}, {81, 137}, {138, 178}, {179, 239}, {240, 368}, {369, 429}, {430, 490}, {491, 870}, {871, 931}, {932, 992}, {993, 1372}, {1373, 1402}, {1403, 1710}, {1711, 1740}, {1741, 2048}}},
    {{{1, 30}, {31, 91}, {92, 152}, {153, 192}, {193, 232}, {233, 272}, {273, 312}, {313, 352}, {353, 557}, {558, 597}, {598, 637}, {638, 842}, {843, 872}, {873, 1281}, {1282, 1311}, {1312, 2048}}},
    {{{1, 81}, {82, 224}, {225, 409}, {410, 569}, {570, 729}, {730, 889}, {890, 1049}, {1050, 1209}, {1210, 1529}, {1530, 1559}, {1560, 1589}, {1590, 1727}, {1728, 1747}, {1748, 1867}, {1868, 1887}, {1888, 2048}}},
}};

constexpr std::array<ReleaseColumn, 6> kEmptyStockRelease = {{
    {{{1, 30}, {31, 60}, {61, 90}, {91, 1393}, {1394, 1881}, {1882, 2038}, {2039, 2039}, {2040, 2040}, {2041, 2041}, {2042, 2042}, {2043, 2043}, {2044, 2044}, {2045, 2045}, {2046, 2046}, {2047, 2047}, {2048, 2048}}},
    {{{1, 30}, {31, 60}, {61, 90}, {91, 1812}, {1813, 2037}, {2038, 2038}, {2039, 2039}, {2040, 2040}, {2041, 2041}, {2042, 2042}, {2043, 2043}, {2044, 2044}, {2045, 2045}, {2046, 2046}, {2047, 2047}, {2048, 2048}}},
    {{{1, 30}, {31, 60}, {61, 528}, {529, 2036}, {2037, 2037}, {2038, 2038}, {2039, 2039}, {2040, 2040}, {2041, 2041}, {2042, 2042}, {2043, 2043}, {2044, 2044}, {2045, 2045}, {2046, 2046}, {2047, 2047}, {2048, 2048}}},
    {{{1, 30}, {31, 60}, {61, 1449}, {1450, 2036}, {2037, 2037}, {2038, 2038}, {2039, 2039}, {2040, 2040}, {2041, 2041}, {2042, 2042}, {2043, 2043}, {2044, 2044}, {2045, 2045}, {2046, 2046}, {2047, 2047}, {2048, 2048}}},
    {{{1, 30}, {31, 493}, {494, 2035}, {2036, 2036}, {2037, 2037}, {2038, 2038}, {2039, 2039}, {2040, 2040}, {2041, 2041}, {2042, 2042}, {2043, 2043}, {2044, 2044}, {2045, 2045}, {2046, 2046}, {2047, 2047}, {2048, 2048}}},
    {{{1, 789}, {790, 2034}, {2035, 2035}, {2036, 2036}, {2037, 2037}, {2038, 2038}, {2039, 2039}, {2040, 2040}, {2041, 2041}, {2042, 2042}, {2043, 2043}, {2044, 2044}, {2045, 2045}, {2046, 2046}, {2047, 2047}, {2048, 2048}}},
}};

// Settings 1 to 4 share the first column; settings 5 and 6 have their own.
constexpr std::array<ReleaseColumn, 3> kHeavenRelease = {{
    {{{1, 1024}, {1025, 1639}, {1640, 1843}, {1844, 1848}, {1849, 1853}, {1854, 1858}, {1859, 1863}, {1864, 1868}, {1869, 1908}, {1909, 1913}, {1914, 1918}, {1919, 1958}, {1959, 1963}, {1964, 2003}, {2004, 2008}, {2009, 2048}}},
    {{{1, 1064}, {1065, 1679}, {1680, 1883}, {1884, 1884}, {1885, 1894}, {1895, 1904}, {1905, 1914}, {1915, 1924}, {1925, 1945}, {1946, 1955}, {1956, 1965}, {1966, 1986}, {1987, 1996}, {1997, 2017}, {2018, 2027}, {2028, 2048}}},
    {{{1, 635}, {636, 1270}, {1271, 1700}, {1701, 1752}, {1753, 1804}, {1805, 1907}, {1908, 1969}, {1970, 1980}, {1981, 2001}, {2002, 2006}, {2007, 2011}, {2012, 2022}, {2023, 2027}, {2028, 2038}, {2039, 2043}, {2044, 2048}}},
}};

// Role entries 1 to 4 and the top of entry 8 are the same for every setting.
constexpr std::array<Range, 4> kFixedRoles = {{{1, 8977}, {8978, 9307}, {9308, 10175}, {10176, 16345}}};
constexpr int32_t kRoleTop = 65535;

// Role entries 5 (pure miss), 6 (BIG won) and 7 (REG won) by setting; entry 8 starts after them.
constexpr std::array<std::array<Range, 3>, 6> kSettingRoles = {{
    {{{16346, 16433}, {16434, 16973}, {16974, 17242}}},
    {{{16346, 16442}, {16443, 16983}, {16984, 17254}}},
    {{{16346, 16467}, {16468, 17011}, {17012, 17283}}},
    {{{16346, 16473}, {16474, 17018}, {17019, 17290}}},
    {{{16346, 16490}, {16491, 17038}, {17039, 17312}}},
    {{{16346, 16546}, {16547, 17095}, {17096, 17370}}},
}};

constexpr std::array<Range, 4> kBigGame = {{{1, 44031}, {44032, 58671}, {58672, 65466}, {65467, 65536}}};
// clang-format on

void StoreColumn(const ReleaseColumn& column, std::array<int16_t, 16>& low,
                 std::array<int16_t, 16>& high) {
  for (size_t i = 0; i < column.size(); ++i) {
    low[i] = static_cast<int16_t>(column[i].low);
    high[i] = static_cast<int16_t>(column[i].high);
  }
}

}  // namespace

void LoadSettingTables(SimState& state, int setting) {
  const auto column = static_cast<size_t>(setting - 1);
  StoreColumn(kNormalRelease[column], state.NormalReleaseLow, state.NormalReleaseHigh);
  StoreColumn(kEmptyStockRelease[column], state.EmptyStockReleaseLow, state.EmptyStockReleaseHigh);
  StoreColumn(kHeavenRelease[setting <= 4 ? 0 : column - 3], state.HeavenReleaseLow,
              state.HeavenReleaseHigh);

  for (size_t i = 0; i < kFixedRoles.size(); ++i) {
    state.RoleLow[i + 1] = kFixedRoles[i].low;
    state.RoleHigh[i + 1] = kFixedRoles[i].high;
  }
  for (size_t i = 0; i < 3; ++i) {
    state.RoleLow[i + 5] = kSettingRoles[column][i].low;
    state.RoleHigh[i + 5] = kSettingRoles[column][i].high;
  }
  state.RoleLow[8] = state.RoleHigh[7] + 1;
  state.RoleHigh[8] = kRoleTop;

  for (size_t i = 0; i < kBigGame.size(); ++i) {
    state.BigGameLow[i] = kBigGame[i].low;
    state.BigGameHigh[i] = kBigGame[i].high;
  }
}

const std::array<uint8_t, 65536>& RoleTable(int setting) {
  using Table = std::array<uint8_t, 65536>;
  static const std::array<Table, 6> kTables = [] {
    std::array<Table, 6> tables{};
    for (int s = 1; s <= 6; ++s) {
      SimState state;
      LoadSettingTables(state, s);
      Table& table = tables[static_cast<size_t>(s - 1)];
      for (size_t role = 7; role >= 1; --role) {  // the first role holding a draw wins
        for (int32_t d = state.RoleLow[role]; d <= state.RoleHigh[role] && d < 65536; ++d) {
          table[static_cast<size_t>(d)] = static_cast<uint8_t>(role);
        }
      }
    }
    return tables;
  }();
  return kTables[static_cast<size_t>(setting - 1)];
}

}  // namespace tobiuo
