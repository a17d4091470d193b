// The yearly statistics component against hand-computed yearly values.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <utility>
#include <vector>

#include "common/solar.h"
#include "common/text.h"
#include "kelvane/automation.h"
#include "kelvane/year_statistic.h"

namespace kelvane {
namespace {

using Months = std::array<std::string, 12>;

Months Same(const std::string& v) {
  Months m;
  m.fill(v);
  return m;
}
Months With(Months m, std::initializer_list<std::pair<int, std::string>> cells) {
  for (const auto& [month, v] : cells) m[static_cast<size_t>(month - 1)] = v;
  return m;
}

struct Arrays {
  VariantArray para = VariantArray::Vector(1, 16);
  StringArray my = StringArray::Matrix(1, 13, 1, 150);
  StringArray mwdf = StringArray::Matrix(1, 17, 1, 60);
  StringArray ywdf = StringArray::Matrix(1, 17, 1, 6);
  Arrays() {
    para(2) = Variant("2012");
    para(6) = Variant("39.48N");
    para(7) = Variant("116.28E");
  }
  void Set(int item, const Months& m) {
    for (int i = 1; i <= 12; ++i) my(i, item) = m[static_cast<size_t>(i - 1)];
  }
  Status Run() { return yearstat::YearStatistic(para, my, mwdf, ywdf); }
};

struct StatCase {
  std::string name;
  std::vector<std::pair<int, Months>> months;
  std::vector<std::pair<int, std::string>> expect;
};

const std::vector<StatCase>& StatCases() {
  static const std::vector<StatCase> cases = {
      // Means: RoundHalfAway of the twelve values, zero-padded, a sign
      // counting as a character.
      {"mean_negative_half", {{18, With(Same("-005"), {{1, "-004"}, {2, "-004"}, {3, "-004"}, {4, "-004"}, {5, "-004"}, {6, "-004"}})}},
       {{18, "-005"}}},
      {"mean_half_up", {{1, With(Same("10000"), {{12, "10006"}})}}, {{1, "10001"}}},
      {"mean_negative_below_half", {{118, With(Same("0000"), {{1, "-005"}})}}, {{118, "0000"}}},
      {"mean_negative_exact_half", {{118, With(Same("0000"), {{1, "-003"}, {2, "-003"}})}}, {{118, "-001"}}},
      {"mean_missing_month", {{1, With(Same("10000"), {{5, "/////"}})}}, {{1, "-"}}},
      {"mean_empty_month", {{30, With(Same("55"), {{5, ""}})}}, {{30, "-"}}},
      // The yearly mean wind speed is the mean of the monthly means.
      {"mean_wind_speed", {{111, With(Same("020"), {{1, "021"}, {2, "021"}, {3, "021"}, {4, "021"}, {5, "021"}, {6, "021"}})}},
       {{111, "021"}}},
      {"mean_sea_level_pressure", {{8, With(Same("10200"), {{1, "10205"}})}}, {{8, "10200"}}},
      {"mean_cloud", {{33, {"050", "060", "070", "080", "050", "060", "070", "080", "050", "060", "070", "081"}}},
       {{33, "065"}}},
      {"mean_deep_ground", {{133, With(Same("0150"), {{7, "0156"}})}}, {{133, "0151"}}},
      // Extremes: the value as written, its month and that month's day.
      {"max_with_date",
       {{21, With(Same("0100"), {{7, "0357"}})}, {22, With(Same("03"), {{7, "26"}})}},
       {{21, "0357"}, {22, "07/26"}}},
      {"max_tie_month_plus_50",
       {{21, With(Same("0100"), {{7, "0357"}, {9, "0357"}})}, {22, With(Same("03"), {{7, "26"}, {9, "02"}})}},
       {{21, "0357"}, {22, "57/26"}}},
      {"max_tie_january", {{21, With(Same("0100"), {{1, "0357"}, {5, "0357"}})}, {22, Same("60")}},
       {{21, "0357"}, {22, "51/60"}}},
      {"min_over_months_present",
       {{23, With(Same("-100"), {{2, "////"}, {3, "-245"}})}, {24, With(Same("05"), {{3, "12"}})}},
       {{23, "-245"}, {24, "03/12"}}},
      {"min_humidity", {{31, With(Same("20"), {{4, "05"}})}, {32, Same("52")}}, {{31, "05"}, {32, "04/52"}}},
      {"frozen_soil_day_of_3", {{142, With(Same("...."), {{2, "0135"}})}, {143, With(Same("//"), {{2, "05"}})}},
       {{142, "0135"}, {143, "02/005"}}},
      {"extreme_no_event", {{68, Same("...")}, {69, Same("//")}}, {{68, "..."}, {69, "/////"}}},
      {"extreme_all_missing", {{51, Same("/////")}, {52, Same("//")}}, {{51, "-"}, {52, "-"}}},
      {"max_wind_direction",
       {{112, With(Same("100"), {{3, "213"}})}, {113, With(Same("N"), {{3, "WNW"}})}, {114, With(Same("01"), {{3, "11"}})}},
       {{112, "213"}, {113, "WNW"}, {114, "03/11"}}},
      // Sums: "no event" counts 0; a missing month gives "-".
      {"sum", {{50, {"00010", "00020", "00030", "00040", "00050", "00060", "00070", "00080", "00090", "00100", "00110", "....."}}},
       {{50, "00660"}}},
      {"sum_missing", {{50, With(Same("00010"), {{3, "/////"}})}}, {{50, "-"}}},
      {"sum_no_event", {{67, Same(".....")}}, {{67, "....."}}},
      {"count", {{84, With(Same("005"), {{6, "012"}})}}, {{84, "067"}}},
      {"count_frost_days", {{125, With(Same("000"), {{1, "031"}, {2, "029"}, {12, "030"}})}}, {{125, "090"}}},
      {"sum_evaporation_with_no_event", {{66, With(Same("00100"), {{1, "....."}, {2, "....."}})}}, {{66, "01000"}}},
      {"count_sunshine_days", {{149, Same("010")}, {150, With(Same("000"), {{3, "005"}})}}, {{149, "120"}, {150, "005"}}},

      // Spells: the most days, then the larger amount, then the earlier month.
      {"wet_spell_tie_amount",
       {{61, With(Same("0002"), {{1, "0005"}, {6, "0005"}})},
        {62, With(Same("00010"), {{1, "00100"}, {6, "00200"}})},
        {63, With(Same("03/01-03/02"), {{1, "01/02-01/06"}, {6, "06/01-06/05"}})}},
       {{61, "0005"}, {62, "00200"}, {63, "2012/06/01-2012/06/05"}}},
      {"wet_spell_from_last_year",
       {{61, With(Same("0002"), {{1, "0008"}})}, {62, Same("00010")},
        {63, With(Same("03/01-03/02"), {{1, "12/28-01/04"}})}},
       {{61, "0008"}, {62, "00010"}, {63, "2011/12/28-2012/01/04"}}},
      {"dry_spell_earlier_month",
       {{64, With(Same("0003"), {{6, "0021"}, {8, "0021"}})},
        {65, With(Same("03/01-03/03"), {{6, "06/01-06/21"}, {8, "08/01-08/21"}})}},
       {{64, "0021"}, {65, "2012/06/01-2012/06/21"}}},
  };
  return cases;
}

class YearStatTest : public ::testing::TestWithParam<StatCase> {};

TEST_P(YearStatTest, YearlyValue) {
  const StatCase& c = GetParam();
  Arrays a;
  for (const auto& [item, months] : c.months) a.Set(item, months);
  ASSERT_TRUE(a.Run().ok());
  for (const auto& [item, want] : c.expect) EXPECT_EQ(a.my(13, item), want) << "item " << item;
}

INSTANTIATE_TEST_SUITE_P(Items, YearStatTest, ::testing::ValuesIn(StatCases()),
                         [](const auto& info) { return info.param.name; });

TEST(YearStat, WireIcing) {
  Arrays a;
  const std::array<std::string, 12> none = {"....", "...", "...", ".....", "//", "...",
                                            "...",  ".....", "//", "....", "...", "..."};
  const std::array<std::string, 12> feb = {"0056", "016", "004", "00215", "07", "020",
                                           "003",  "00391", "11", "-033", "NNW", "049"};
  const std::array<std::string, 12> mar = {"0048", "024", "009", "00391", "11", "018",
                                           "005",  "00100", "12", "-043", "NE", "023"};
  for (int k = 0; k < 12; ++k) {
    Months m = Same(none[static_cast<size_t>(k)]);
    m[1] = feb[static_cast<size_t>(k)];
    m[2] = mar[static_cast<size_t>(k)];
    a.Set(72 + k, m);
  }
  ASSERT_TRUE(a.Run().ok());
  // The symbols of both; north-south from March (24 > 16), east-west from
  // February (20 > 18); temperature and wind of March (24 is the largest).
  const std::vector<std::string> want = {"5648", "024", "009", "00391", "03/11", "020",
                                         "003",  "00391", "02/11", "-043", "NE", "023"};
  for (int k = 0; k < 12; ++k) EXPECT_EQ(a.my(13, 72 + k), want[static_cast<size_t>(k)]) << 72 + k;
}

TEST(YearStat, WindTable) {
  Arrays a;
  for (int m = 1; m <= 12; ++m) {
    const long c = (m - 1) * 5;
    for (int d = 1; d <= 16; ++d) {
      a.mwdf(d, c + 1) = "000000", a.mwdf(d, c + 2) = "0000", a.mwdf(d, c + 3) = "...";
      a.mwdf(d, c + 4) = "00", a.mwdf(d, c + 5) = "...";
    }
    a.mwdf(17, c + 2) = "0000", a.mwdf(17, c + 4) = "00";
  }
  // N: 10 obs of 10 in January (max 5.0 m/s), 5 of 10 in February (6.0).
  a.mwdf(1, 1) = "000100", a.mwdf(1, 2) = "0010", a.mwdf(1, 5) = "050";
  a.mwdf(1, 6) = "000050", a.mwdf(1, 7) = "0005", a.mwdf(1, 10) = "060";
  // NNE: 10 in January (sum 200, max 7.0), 10 in February (sum 100, max 3.0).
  a.mwdf(2, 1) = "000200", a.mwdf(2, 2) = "0010", a.mwdf(2, 5) = "070";
  a.mwdf(2, 6) = "000100", a.mwdf(2, 7) = "0010", a.mwdf(2, 10) = "030";
  // Calm: 20 and 30.
  a.mwdf(17, 2) = "0020", a.mwdf(17, 7) = "0030";
  a.ywdf(17, 1) = "keep";
  ASSERT_TRUE(a.Run().ok());
  // 85 observations: N 15 (17.6 %), NNE 20 (23.5 %), calm 50 (58.8 %).
  const std::vector<std::string> n = {"000150", "0015", "010", "18", "060", "02"};
  const std::vector<std::string> nne = {"000300", "0020", "015", "24", "070", "01"};
  const std::vector<std::string> ene = {"000000", "0000", "...", "00", "...", ".."};
  for (int q = 1; q <= 6; ++q) {
    EXPECT_EQ(a.ywdf(1, q), n[static_cast<size_t>(q - 1)]) << q;
    EXPECT_EQ(a.ywdf(2, q), nne[static_cast<size_t>(q - 1)]) << q;
    EXPECT_EQ(a.ywdf(4, q), ene[static_cast<size_t>(q - 1)]) << q;
  }
  EXPECT_EQ(a.ywdf(17, 2), "0050");
  EXPECT_EQ(a.ywdf(17, 4), "59");
  EXPECT_EQ(a.ywdf(17, 1), "keep");  // calm has no speed sum: left as it was
  EXPECT_EQ(a.my(13, 109), "NNE");
  EXPECT_EQ(a.my(13, 110), "24");
}

TEST(YearStat, MostFrequentTieTakesTheFirstDirection) {
  Arrays a;
  for (int m = 1; m <= 12; ++m)
    for (int d = 1; d <= 17; ++d) a.mwdf(d, (m - 1) * 5 + 2) = "0000";
  a.mwdf(5, 2) = "0007";  // E
  a.mwdf(3, 2) = "0007";  // NE, before E
  ASSERT_TRUE(a.Run().ok());
  EXPECT_EQ(a.my(13, 109), "NE");
  EXPECT_EQ(a.my(13, 110), "50");
}

TEST(YearStat, SunshinePercentage) {
  Arrays a;
  a.Set(147, Same("02000"));  // 200 hours a month, 2400 in the year
  ASSERT_TRUE(a.Run().ok());
  double possible = 0;
  for (int m = 1; m <= 12; ++m)
    for (int d = 1; d <= DaysInMonth(2012, m); ++d)
      possible += DayLength("2012", std::to_string(m), std::to_string(d), "39.48N", "116.28E");
  EXPECT_EQ(a.my(13, 147), "24000");
  EXPECT_EQ(a.my(13, 148), std::to_string(RoundHalfAway(100.0 * 2400.0 / possible)));
  EXPECT_GT(possible, 4400.0);
  EXPECT_LT(possible, 4500.0);
}

TEST(YearStat, CellsWithoutRuleStayAsTheyAre) {
  Arrays a;
  for (int k : {9, 17, 41, 49, 144, 146}) a.my(13, k) = "keep";
  ASSERT_TRUE(a.Run().ok());
  for (int k : {9, 17, 41, 49, 144, 146}) EXPECT_EQ(a.my(13, k), "keep") << k;
}

// Texts no Y file can hold (numbers beyond any group, a year beyond any
// calendar) give "-" or are passed over, never an overflow.
TEST(YearStat, OutsizedNumbers) {
  Arrays a;
  a.para(2) = Variant("-2147483648");
  a.Set(50, Same("99999999999999999999"));
  a.Set(1, With(Same("10000"), {{3, "-99999999999999999999"}}));
  a.Set(4, With(Same("10100"), {{2, "9223372036854775807"}}));
  a.Set(5, Same("01"));
  a.Set(61, Same("0003"));
  a.Set(62, Same("00010"));
  a.Set(63, Same("12/30-01/01"));
  for (int m = 1; m <= 12; ++m) a.mwdf(1, (m - 1) * 5 + 1) = "99999999999999999999";
  ASSERT_TRUE(a.Run().ok());
  EXPECT_EQ(a.my(13, 50), "-");
  EXPECT_EQ(a.my(13, 1), "-");
  EXPECT_EQ(a.my(13, 4), "10100");
  EXPECT_EQ(a.my(13, 5), "51/01");
  EXPECT_EQ(a.my(13, 61), "0003");
  EXPECT_EQ(a.ywdf(1, 1), "-");
}

TEST(YearStat, WrongShapeWritesNothing) {
  Arrays a;
  a.Set(1, Same("10000"));
  a.ywdf = StringArray::Matrix(1, 16, 1, 6);
  EXPECT_EQ(a.Run().number(), kErrSubscript);
  EXPECT_EQ(a.my(13, 1), "");
}

// Late bound, as the audit calls it: by identifier and method name.
TEST(YearStat, ThroughTheRegistry) {
  ASSERT_TRUE(yearstat::RegisterYearStatistic().ok());
  std::unique_ptr<automation::Dispatch> obj;
  ASSERT_TRUE(automation::Registry::Instance().Create("dravik.readwritefile", obj).ok());
  Arrays a;
  a.Set(1, Same("10000"));
  static const Variant kOne(1.0);
  std::vector<automation::Value> args(5);
  args[0] = automation::Value(std::move(a.para));
  args[1] = automation::Value(std::move(a.my));
  args[2] = automation::Value(std::move(a.mwdf));
  args[3] = automation::Value(std::move(a.ywdf));
  args[4] = automation::Value(kOne);
  ASSERT_TRUE(obj->Invoke("yearstatistic", args, nullptr).ok());
  EXPECT_EQ((*args[1].AsStringArray())(13, 1), "10000");
  EXPECT_EQ(args[4].AsVariant()->Text(), "0");
}

}  // namespace
}  // namespace kelvane
