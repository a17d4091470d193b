// Comparisons of a header with the registered station parameters.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "common/audit_list.h"
#include "common/error.h"
#include "common/station_params.h"

namespace kelvane {
namespace {

// A registered station that agrees with BaseHeader() / BasePara().
std::map<std::string, std::string> BaseStation() {
  return {
      {"StationNum", "54511"}, {"Latitude", "39.48N"}, {"Longitude", "116.28E"},
      {"FieldElevation", "31.3"}, {"BaroElevation", "32.8"}, {"BaroSensorElevation", "33.0"},
      {"WindVHeight", "10.5"}, {"PlatformH", "0.0"}, {"StationClass", "基本站"},
      {"FixTimes", "4"}, {"DataCollection", "自动"},
      {"StationPressure", "2"}, {"Temperature", "2"}, {"WetBulbT", "0"}, {"HumidityFeel", "2"},
      {"Cloud", "1"}, {"CloudHeight", "0"}, {"Visibility", "2"}, {"Precipitation", "1"},
      {"AutoPrecip", "2"}, {"WeatherPhenomena", "1"}, {"Evapgauge", "2"}, {"Wind", "2"},
      {"AutoWind", "2"}, {"ExMaxWind", "2"}, {"SurfaceTemp", "2"}, {"Temp5cm", "2"},
      {"Temp10cm", "2"}, {"Temp15cm", "2"}, {"Temp20cm", "2"}, {"Temp40cm", "2"},
      {"Temp80cm", "2"}, {"Temp160cm", "2"}, {"Temp320cm", "2"}, {"Sunshine", "1"},
      {"GrasslandTemp", "2"}, {"Evapan", "0"}, {"SnowDepth", "1"}, {"IcingLine", "0"},
      {"FrozenSoil", "1"}, {"GroundEstate", "0"},
  };
}

StationRecord Record(const std::map<std::string, std::string>& m) {
  std::vector<std::string> cols, vals;
  for (const auto& [k, v] : m) {
    cols.push_back(k);
    vals.push_back(v);
  }
  return StationRecord(cols, vals);
}

// Header element flags, positions 46..65 (P T I E U N H C V R W L Z G F D K A S B).
std::string BaseFlags() { return "11111090110109111001"; }

std::string Header(const std::string& flags) {
  // Only positions 46..65 are read from the header line itself.
  std::string h(45, ' ');
  h += flags;
  h += " 1 2012 03";
  return h;
}

VariantArray Para(const std::string& flags) {
  VariantArray p = VariantArray::Vector(1, 52);
  p(7) = "54511";
  p(8) = "39.48N";
  p(9) = "116.28E";
  p(10) = "31.3";
  p(11) = "33.0";
  p(12) = "10.5";
  p(14) = "0.0";
  p(15) = "基本站";
  p(16) = "4";
  p(17) = "自动站";
  auto f = [&](int pos) { return std::string(1, flags[pos - 46]); };
  p(20) = f(51); p(21) = f(52); p(22) = f(54); p(23) = f(56); p(24) = f(46); p(25) = f(47);
  p(26) = f(50); p(27) = f(60); p(28) = f(55); p(29) = f(64); p(30) = f(57); p(32) = f(58);
  p(34) = f(59); p(35) = f(63); p(36) = f(61); p(42) = f(62); p(49) = f(65);
  return p;
}

std::vector<std::string> Items(const AuditList& l) {
  std::vector<std::string> out;
  for (const auto& r : l.rows()) {
    EXPECT_EQ(r[0], "文件首部参数与台站参数表不符");
    EXPECT_EQ(r[1], "文件首部");
    EXPECT_EQ(r[3], "");
    EXPECT_EQ(r[4], "");
    EXPECT_EQ(r[5], "1");
    EXPECT_EQ(r[6], "错误");
    out.push_back(r[2]);
  }
  return out;
}

TEST(StationParamsTest, MatchingStationGivesNoFinding) {
  AuditList l;
  CompareAFileHeader(Record(BaseStation()), Para(BaseFlags()), Header(BaseFlags()), l);
  EXPECT_EQ(Items(l), std::vector<std::string>{});
}

struct Case {
  const char* name;
  std::map<std::string, std::string> station;   // overrides of the registered row
  std::map<long, Variant> para;                 // overrides of AFilePara
  std::map<int, char> flags;                    // overrides of header flag positions
  std::vector<std::string> expected;            // RelatedItem of each finding, in order
};

class StationCompareTest : public ::testing::TestWithParam<Case> {};

TEST_P(StationCompareTest, Findings) {
  const Case& c = GetParam();
  auto st = BaseStation();
  for (const auto& [k, v] : c.station) st[k] = v;
  std::string flags = BaseFlags();
  for (const auto& [pos, ch] : c.flags) flags[static_cast<size_t>(pos - 46)] = ch;
  VariantArray p = Para(flags);
  for (const auto& [i, v] : c.para) p(i) = v;
  AuditList l;
  CompareAFileHeader(Record(st), p, Header(flags), l);
  EXPECT_EQ(Items(l), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StationCompareTest,
    ::testing::Values(
        Case{"LatitudeMinutesDiffer", {{"Latitude", "39.5N"}}, {{8, "39.52N"}}, {}, {"纬度"}},
        Case{"LatitudeShortMinutesEqual", {{"Latitude", "39.5N"}}, {{8, "39.05N"}}, {}, {}},
        Case{"LongitudeDiffers", {{"Longitude", "116.29E"}}, {}, {}, {"经度"}},
        Case{"FieldElevationDiffers", {{"FieldElevation", "(31.3)"}}, {}, {}, {"观测场高"}},
        Case{"EmptyFieldElevationNeverDiffers", {{"FieldElevation", ""}}, {}, {}, {}},
        // Pressure flag "1": the barometer height is the sensor's.
        Case{"AutoPressureUsesSensorHeight", {{"BaroElevation", "99.9"}}, {}, {}, {}},
        Case{"ManualPressureUsesBarometerHeight",
             {{"BaroElevation", "32.8"}, {"StationPressure", "1"}},
             {{11, "32.8"}, {24, "0"}},
             {{46, '0'}},
             {}},
        Case{"ManualPressureBarometerDiffers",
             {{"StationPressure", "1"}},
             {{24, "0"}},
             {{46, '0'}},
             {"气压表高"}},
        Case{"WindHeightNumeric", {{"WindVHeight", "10.50"}}, {}, {}, {}},
        Case{"WindHeightDiffers", {{"WindVHeight", "12"}}, {}, {}, {"风速器高"}},
        Case{"PlatformDiffers", {{"PlatformH", "1.5"}}, {}, {}, {"平台高"}},
        Case{"ClassDiffers", {{"StationClass", "一般站"}}, {}, {}, {"台站类别"}},
        Case{"UnsetClassNotCompared", {{"StationClass", "一般站"}, {"FixTimes", "3"}},
             {{15, Variant()}, {16, Variant()}}, {}, {}},
        Case{"FixTimesDiffers", {{"FixTimes", "24"}}, {}, {}, {"定时次数"}},
        Case{"ReferenceStationSkipsFixTimes",
             {{"StationClass", "基准站"}, {"FixTimes", "4"}},
             {{15, "基准站"}, {16, "24"}},
             {},
             {}},
        Case{"EmptyDataCollectionIsAutomatic", {{"DataCollection", ""}}, {}, {}, {}},
        Case{"ManualStationDiffers", {{"DataCollection", "人工"}}, {}, {}, {"自动站型"}},
        Case{"PressureFlag", {{"StationPressure", "1"}}, {}, {}, {"气压项"}},
        // WetBulbT 2 with HumidityFeel 1 combine to "1"; both 0 to "9".
        Case{"HumidityCombinedAutomatic", {{"WetBulbT", "2"}, {"HumidityFeel", "1"}}, {}, {}, {}},
        Case{"HumidityCombinedNone",
             {{"WetBulbT", "0"}, {"HumidityFeel", "0"}},
             {},
             {},
             {"湿球露点项", "水汽压项", "相对湿度项"}},
        Case{"CloudFlagsAndForm", {{"Cloud", "2"}}, {}, {}, {"云量项", "云状项"}},
        Case{"CloudHeight", {{"CloudHeight", "1"}}, {}, {}, {"云高项"}},
        Case{"Visibility", {{"Visibility", "0"}}, {}, {}, {"能见度项"}},
        Case{"PrecipitationManualOnly", {{"AutoPrecip", "0"}}, {}, {}, {"降水量项"}},
        Case{"Weather", {{"WeatherPhenomena", "0"}}, {}, {}, {"天气现象项"}},
        Case{"EvaporationPanYes", {{"Evapan", "1"}}, {}, {}, {}},
        Case{"EvaporationNone", {{"Evapgauge", "0"}}, {}, {}, {"蒸发量项"}},
        Case{"SnowNo", {{"SnowDepth", "0"}}, {}, {}, {"积雪项"}},
        Case{"SnowTrueWord", {{"SnowDepth", "True"}}, {}, {}, {}},
        Case{"IcingYes", {{"IcingLine", "1"}}, {}, {}, {"电线积冰项"}},
        Case{"WindNone", {{"Wind", "0"}, {"AutoWind", "0"}, {"ExMaxWind", "0"}}, {}, {},
             {"风向风速项"}},
        Case{"ShallowGroundManual",
             {{"SurfaceTemp", "1"}, {"Temp5cm", "1"}, {"Temp10cm", "1"}, {"Temp15cm", "1"},
              {"Temp20cm", "1"}, {"Temp40cm", "1"}},
             {},
             {},
             {"浅层地温项"}},
        Case{"DeepGroundNone", {{"Temp80cm", ""}, {"Temp160cm", "x"}, {"Temp320cm", "3"}}, {}, {},
             {"深层地温项"}},
        Case{"FrozenSoilNo", {{"FrozenSoil", "0"}}, {}, {}, {"冻土项"}},
        Case{"SunshineAutomatic", {{"Sunshine", "2"}}, {}, {}, {"日照项"}},
        Case{"GrassNone", {{"GrasslandTemp", "0"}}, {}, {}, {"草面温度项"}},
        Case{"GrassGroundStateOnly", {{"GrasslandTemp", "0"}, {"GroundEstate", "1"}}, {},
             {{65, '0'}}, {}},
        // Every comparison runs even after an earlier one failed.
        Case{"SeveralAtOnce",
             {{"Latitude", "40.00N"}, {"PlatformH", "2"}, {"Sunshine", "2"}},
             {},
             {},
             {"纬度", "平台高", "日照项"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StationParamsTest, ModeAndCombinedFlags) {
  EXPECT_EQ(StationModeFlag(1), "0");
  EXPECT_EQ(StationModeFlag(2), "1");
  EXPECT_EQ(StationModeFlag(0), "9");
  EXPECT_EQ(StationModeFlag(3), "9");
  EXPECT_EQ(CombinedFlag({"1", "0"}), "1");
  EXPECT_EQ(CombinedFlag({"9", "0"}), "0");
  EXPECT_EQ(CombinedFlag({"9", "9"}), "9");
  EXPECT_EQ(CombinedFlag({}), "9");
}

TEST(StationParamsTest, MissingColumnIsAnError) {
  auto st = BaseStation();
  st.erase("GrasslandTemp");
  AuditList l;
  EXPECT_THROW(CompareAFileHeader(Record(st), Para(BaseFlags()), Header(BaseFlags()), l), Error);
}

}  // namespace
}  // namespace kelvane

namespace kelvane {
namespace {

// The same comparisons reading the registered row from a real Jet station
// database (54511 there registers latitude 39.48N, automatic pressure, ...).
TEST(StationParamsDbTest, ComparesAgainstJetDatabase) {
  const std::string sys = std::string(KELVANE_TEST_DATA) + "/jet4/sys/";
  VariantArray p = Para(BaseFlags());
  AuditList l;
  CheckAFileAgainstStation(sys, p, Header(BaseFlags()), l);
  // The fixture registers 54511 with BaroSensorElevation 32.8 and no
  // automatic snow or frozen-soil differences from our base header except
  // those listed here.
  std::vector<std::string> items = Items(l);
  EXPECT_NE(std::find(items.begin(), items.end(), "气压表高"), items.end());
  // A station the table does not hold gives no finding.
  p(7) = "12345";
  AuditList none;
  CheckAFileAgainstStation(sys, p, Header(BaseFlags()), none);
  EXPECT_EQ(none.Count(), 0);
}

TEST(StationParamsDbTest, MissingDatabaseIsAnError) {
  VariantArray p = Para(BaseFlags());
  AuditList l;
  try {
    CheckAFileAgainstStation("/nonexistent/sys/", p, Header(BaseFlags()), l);
    FAIL() << "no error raised";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), kErrDatabaseNotFound);
    EXPECT_NE(std::string(e.what()).find("SysLib.mdb"), std::string::npos);
  }
  EXPECT_EQ(l.Count(), 0);
}

}  // namespace
}  // namespace kelvane
