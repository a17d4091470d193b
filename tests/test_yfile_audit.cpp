// The Y-file audit on the decoded sample Y file of station 54511: each case
// changes a yearly value (or a monthly one) and lists the findings.
#include <functional>

#include "common/text.h"
#include "kelvane/automation.h"
#include "kelvane/year_statistic.h"
#include "yfile_test_support.h"

namespace kelvane::testing {
namespace {

struct Decoded {
  VariantArray para = VariantArray::Vector(1, 16);
  YFileArrays arrays;
};

const Decoded& SampleDecoded() {
  static const Decoded d = [] {
    Decoded out;
    ScratchDir dir("kelvane_yfile_audit");
    KelvaneY y;
    StringArray list;
    const std::string path = WriteLines(dir, "Y54511-2012.TXT", SampleYLines());
    EXPECT_TRUE(y.YfileFormCheck(SampleSystemPath(), path, out.para, list).ok());
    EXPECT_TRUE(DecodeYFile(path, out.para, out.arrays).ok());
    return out;
  }();
  return d;
}

std::vector<YRow> Audit(const std::function<void(YFileArrays&)>& edit, Decoded* keep = nullptr) {
  (void)yearstat::RegisterYearStatistic();
  Decoded d = SampleDecoded();
  if (edit) edit(d.arrays);
  KelvaneY y;
  StringArray list;
  EXPECT_TRUE(y.YfileAuditing(SampleSystemPath(), d.para, d.arrays, list).ok());
  if (keep) *keep = d;
  return RowsOf(list);
}

std::string Year(int item) { return SampleDecoded().arrays.strMonthYearS(13, item); }
std::string WindCell(int d, int q) { return SampleDecoded().arrays.strYearWDF(d, q); }

YRow Finding(std::string message, std::string element, std::string day = "年",
             std::string level = "错误") {
  return {message, element, "", day, "", "", level};
}

struct AuditCase {
  std::string name;
  std::function<void(YFileArrays&)> edit;
  std::function<std::vector<YRow>()> expect;
};

void SetYear(YFileArrays& a, int item, const std::string& v) { a.strMonthYearS(13, item) = v; }

const std::vector<AuditCase>& Cases() {
  static const std::vector<AuditCase> cases = {
      {"sample", nullptr, [] { return std::vector<YRow>{}; }},
      {"station_pressure_mean", [](YFileArrays& a) { SetYear(a, 1, "10124"); },
       [] { return std::vector<YRow>{Finding("年平均本站气压(10124)与统计值(" + Year(1) + ")不一致", "本站气压")}; }},
      {"sea_level_pressure", [](YFileArrays& a) { SetYear(a, 8, "10000"); },
       [] { return std::vector<YRow>{Finding("海平面气压(10000)与统计值(" + Year(8) + ")不一致", "海平面气压")}; }},
      {"highest_temperature_date", [](YFileArrays& a) { SetYear(a, 22, "13/01"); },
       [] { return std::vector<YRow>{Finding("年最高气温出现日期(13/01)与统计值(" + Year(22) + ")不一致", "气温")}; }},
      {"relative_humidity", [](YFileArrays& a) { SetYear(a, 30, "99"); },
       [] { return std::vector<YRow>{Finding("年平均相对湿度(99)与统计值(" + Year(30) + ")不一致", "相对湿度")}; }},
      {"low_cloud_days", [](YFileArrays& a) { SetYear(a, 40, "999"); },
       [] { return std::vector<YRow>{Finding("年低云量8.1-10.0日数(999)与统计值(" + Year(40) + ")不一致", "云量量别日数")}; }},
      {"precipitation_days", [](YFileArrays& a) { SetYear(a, 60, "0099"); },
       [] { return std::vector<YRow>{Finding("年日降水量≥150日数(0099)与统计值(" + Year(60) + ")不一致", "各级降水日数")}; }},
      {"dry_spell_dates", [](YFileArrays& a) { SetYear(a, 65, "x"); },
       [] { return std::vector<YRow>{Finding("年最长连续无降水起止日期(x)与统计值(" + Year(65) + ")不一致", "连续无降水日数")}; }},
      {"icing_symbol", [](YFileArrays& a) { SetYear(a, 72, "0056"); },
       [] { return std::vector<YRow>{Finding("年电线积冰现象符号(0056)与统计值(" + Year(72) + ")不一致", "电线积冰")}; }},
      {"rain_days", [](YFileArrays& a) { SetYear(a, 84, "001"); },
       [] { return std::vector<YRow>{Finding("年雨日数(001)与统计值(" + Year(84) + ")不一致", "天气日数")}; }},
      {"squall_days", [](YFileArrays& a) { SetYear(a, 108, "009"); },
       [] { return std::vector<YRow>{Finding("年飑日数(009)与统计值(" + Year(108) + ")不一致", "天气日数")}; }},
      {"most_frequent_direction", [](YFileArrays& a) { SetYear(a, 109, "C"); },
       [] { return std::vector<YRow>{Finding("年最多风向(C)与统计值(" + Year(109) + ")不一致", "最多风向")}; }},
      {"extreme_wind_date", [](YFileArrays& a) { SetYear(a, 117, "01/01"); },
       [] { return std::vector<YRow>{Finding("年极大风速出现日期(01/01)与统计值(" + Year(117) + ")不一致", "风平均/最大/极大")}; }},
      {"ground_temperature", [](YFileArrays& a) { SetYear(a, 118, "0999"); },
       [] { return std::vector<YRow>{Finding("年平均地面温度(0999)与统计值(" + Year(118) + ")不一致", "地温")}; }},
      // A missing monthly value ("////", not only "-"): the suspicious form.
      {"ground_temperature_missing_month", [](YFileArrays& a) { a.strMonthYearS(3, 118) = "////"; },
       [] { return std::vector<YRow>{Finding("因月值有缺测，年平均地面温度(" + Year(118) + ")与统计值(-)不一致", "地温", "年", "可疑")}; }},
      {"deep_ground_missing_month", [](YFileArrays& a) { a.strMonthYearS(5, 133) = "-"; },
       [] { return std::vector<YRow>{Finding("因月值有缺测，年平均320cm地温(" + Year(133) + ")与统计值(-)不一致", "深层地温", "年", "可疑")}; }},
      {"frozen_soil_date", [](YFileArrays& a) { SetYear(a, 143, "12/031"); },
       // Months without frozen soil have no date ("//"): the suspicious form.
       [] { return std::vector<YRow>{Finding("因月值有缺测，年最大冻土深度出现日期(12/031)与统计值(" + Year(143) + ")不一致", "冻土深度", "年", "可疑")}; }},
      {"sunshine", [](YFileArrays& a) { SetYear(a, 147, "00001"); },
       [] { return std::vector<YRow>{Finding("年日照时数(00001)与统计值(" + Year(147) + "，未考虑日数据有缺测的情况)不一致", "日照时数", "年", "可疑")}; }},
      {"sunshine_percentage", [](YFileArrays& a) { SetYear(a, 148, "01"); },
       [] { return std::vector<YRow>{Finding("年日照百分率(01)与统计值(" + Year(148) + "，未考虑日数据有缺测的情况)不一致", "日照时数", "年", "可疑")}; }},
      // Items without a yearly statistic are not compared.
      {"uncompared_items", [](YFileArrays& a) { SetYear(a, 9, "x"), SetYear(a, 41, "x"), SetYear(a, 144, "x"); },
       [] { return std::vector<YRow>{}; }},
      // "-" against "-", and an empty saved value against "-": no finding;
      // a missing yearly value against "-": a finding.
      {"dash_against_dash", [](YFileArrays& a) { a.strMonthYearS(4, 1) = "/////", SetYear(a, 1, "-"); },
       [] { return std::vector<YRow>{}; }},
      {"empty_against_dash", [](YFileArrays& a) { a.strMonthYearS(4, 1) = "/////", SetYear(a, 1, ""); },
       [] { return std::vector<YRow>{}; }},
      {"missing_against_dash", [](YFileArrays& a) { a.strMonthYearS(4, 1) = "/////", SetYear(a, 1, "/////"); },
       [] { return std::vector<YRow>{Finding("年平均本站气压(/////)与统计值(-)不一致", "本站气压")}; }},
      {"wind_count", [](YFileArrays& a) { a.strYearWDF(1, 2) = "9999"; },
       [] { return std::vector<YRow>{Finding("出现回数(N)(9999)与统计值(" + WindCell(1, 2) + ")不一致", "风的统计", "年N-ENE")}; }},
      {"wind_month_of_max", [](YFileArrays& a) { a.strYearWDF(10, 6) = "13"; },
       [] { return std::vector<YRow>{Finding("最大风速出现月份(SSW)(13)与统计值(" + WindCell(10, 6) + ")不一致", "风的统计", "年S-WSW")}; }},
      {"calm_frequency", [](YFileArrays& a) { a.strYearWDF(17, 4) = "01"; },
       [] { return std::vector<YRow>{Finding("风向频率(C)(01)与统计值(" + WindCell(17, 4) + ")不一致", "风的统计", "年C")}; }},
      // First and last dates.
      {"thunder_interval", [](YFileArrays& a) { a.strElementStartEndDate(8, 3) = "001"; },
       [] { return std::vector<YRow>{Finding("两者不一致", "初终间日期", "雷暴")}; }},
      // An interval compares by number: "00146" is 146.
      {"interval_by_number",
       [](YFileArrays& a) { a.strElementStartEndDate(8, 3) = "00" + a.strElementStartEndDate(8, 3); },
       [] { return std::vector<YRow>{}; }},
      // Snow from 20 November to 10 March: 112 days with both ends.
      {"interval_across_the_new_year",
       [](YFileArrays& a) {
         a.strElementStartEndDate(2, 1) = "11/20", a.strElementStartEndDate(2, 2) = "03/10";
         a.strElementStartEndDate(2, 3) = "112";
       },
       [] { return std::vector<YRow>{}; }},
      {"interval_across_the_new_year_wrong",
       [](YFileArrays& a) {
         a.strElementStartEndDate(2, 1) = "11/20", a.strElementStartEndDate(2, 2) = "03/10";
         a.strElementStartEndDate(2, 3) = "113";
       },
       [] { return std::vector<YRow>{Finding("两者不一致", "初终间日期", "雪")}; }},
      {"interval_of_no_event",
       [](YFileArrays& a) { a.strElementStartEndDate(3, 1) = "-/-", a.strElementStartEndDate(3, 3) = "010"; },
       [] { return std::vector<YRow>{Finding("两者不一致", "初终间日期", "积雪")}; }},
      {"frost_free", [](YFileArrays& a) { a.strElementStartEndDate(9, 1) = "999"; },
       [] { return std::vector<YRow>{Finding("两者不一致", "初终间日期", "无霜期")}; }},
      // No frost at all: 1 January to 31 December, the days between (2012: 364).
      {"frost_free_without_frost",
       [](YFileArrays& a) {
         a.strElementStartEndDate(1, 2) = "-/-", a.strElementStartEndDate(1, 4) = "-/-";
         a.strElementStartEndDate(1, 3) = "-", a.strElementStartEndDate(9, 1) = "364";
       },
       [] { return std::vector<YRow>{}; }},
      // Spring frost on 10 April, autumn frost on 20 October: 192 days between.
      {"frost_free_days_between",
       [](YFileArrays& a) {
         a.strElementStartEndDate(1, 2) = "04/10", a.strElementStartEndDate(1, 4) = "10/20";
         a.strElementStartEndDate(1, 1) = "-/-", a.strElementStartEndDate(1, 3) = "-";
         a.strElementStartEndDate(9, 1) = "192";
       },
       [] { return std::vector<YRow>{}; }},
  };
  return cases;
}

class YAuditTest : public ::testing::TestWithParam<AuditCase> {};

TEST_P(YAuditTest, Findings) {
  const AuditCase& c = GetParam();
  EXPECT_EQ(Audit(c.edit), c.expect());
}

INSTANTIATE_TEST_SUITE_P(YFile, YAuditTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

TEST(YAudit, RecomputedValuesComeBack) {
  Decoded d;
  Audit([](YFileArrays& a) { SetYear(a, 1, "10124"); }, &d);
  EXPECT_EQ(d.arrays.strMonthYearS(13, 1), Year(1));
}

TEST(YAudit, WithoutTheComponentNoComparison) {
  ASSERT_TRUE(automation::Registry::Instance().UnregisterClass(yearstat::kProgId) ||
              !automation::Registry::Instance().IsRegistered(yearstat::kProgId));
  Decoded d = SampleDecoded();
  SetYear(d.arrays, 1, "10124");
  d.arrays.strYearWDF(1, 2) = "9999";
  KelvaneY y;
  StringArray list;
  const Status s = y.YfileAuditing(SampleSystemPath(), d.para, d.arrays, list);
  EXPECT_TRUE(s.ok());
  EXPECT_TRUE(RowsOf(list).empty());
  EXPECT_EQ(d.arrays.strMonthYearS(13, 1), "10124");
  // The first/last-date check does not need the component.
  d.arrays.strElementStartEndDate(9, 1) = "999";
  ASSERT_TRUE(y.YfileAuditing(SampleSystemPath(), d.para, d.arrays, list).ok());
  EXPECT_EQ(RowsOf(list), (std::vector<YRow>{Finding("两者不一致", "初终间日期", "无霜期")}));
  ASSERT_TRUE(yearstat::RegisterYearStatistic().ok());
}

// A host's own component under the identifier is the one called, and ours
// does not replace it.
TEST(YAudit, HostComponentReplacesOurs) {
  using automation::MethodDispatch;
  using automation::MethodEntry;
  using automation::ParamEntry;
  using automation::ParamKind;
  static constexpr ParamEntry kParams[] = {{"YFilePara", ParamKind::kVariantArrayRef},
                                           {"strMonthYearS", ParamKind::kStringArrayRef},
                                           {"strMonthWDF", ParamKind::kStringArrayRef},
                                           {"strYearWDF", ParamKind::kStringArrayRef},
                                           {"result", ParamKind::kVariantRef}};
  static constexpr MethodEntry kMethods[] = {
      {"YearStatistic", kParams, [](MethodDispatch&, std::vector<automation::Value>& v, automation::Value*) {
         (*v[1].AsStringArray())(13, 1) = "99999";
         return Status::Ok();
       }}};
  struct Host final : MethodDispatch {
    Host() : MethodDispatch(kMethods) {}
  };
  auto& reg = automation::Registry::Instance();
  ASSERT_TRUE(reg.RegisterClass(yearstat::kProgId, [] { return std::make_unique<Host>(); }).ok());
  ASSERT_TRUE(yearstat::RegisterYearStatistic().ok());
  Decoded d = SampleDecoded();
  KelvaneY y;
  StringArray list;
  ASSERT_TRUE(y.YfileAuditing(SampleSystemPath(), d.para, d.arrays, list).ok());
  EXPECT_EQ(RowsOf(list),
            (std::vector<YRow>{Finding("年平均本站气压(" + Year(1) + ")与统计值(99999)不一致", "本站气压")}));
  reg.UnregisterClass(yearstat::kProgId);
  ASSERT_TRUE(yearstat::RegisterYearStatistic().ok());
}

// The audit merges after the format findings, grouped by level.
TEST(YAudit, MergeAfterFormatFindings) {
  (void)yearstat::RegisterYearStatistic();
  Decoded d = SampleDecoded();
  SetYear(d.arrays, 147, "00001");
  SetYear(d.arrays, 1, "10124");
  StringArray list = StringArray::Matrix(1, 7, 0, 1);
  list(1, 1) = "format", list(7, 1) = "错误";
  KelvaneY y;
  ASSERT_TRUE(y.YfileAuditing(SampleSystemPath(), d.para, d.arrays, list).ok());
  const std::vector<YRow> rows = RowsOf(list);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].message, "format");
  EXPECT_EQ(rows[1].element, "本站气压");
  EXPECT_EQ(rows[2].level, "可疑");
}

}  // namespace
}  // namespace kelvane::testing

namespace kelvane::testing {
namespace {

// Arrays of the wrong shape (or none at all): each step that cannot read
// them is passed over, the call succeeds and reports nothing.
TEST(YAudit, ArraysOfTheWrongShape) {
  (void)yearstat::RegisterYearStatistic();
  KelvaneY y;
  VariantArray para = VariantArray::Vector(1, 16);
  YFileArrays none;
  StringArray list;
  EXPECT_TRUE(y.YfileAuditing(SampleSystemPath(), para, none, list).ok());
  EXPECT_TRUE(RowsOf(list).empty());
  YFileArrays small;
  small.strMonthYearS = StringArray::Matrix(1, 13, 1, 20);
  small.strYearWDF = StringArray::Matrix(1, 3, 1, 3);
  small.strElementStartEndDate = StringArray::Matrix(1, 2, 1, 2);
  EXPECT_TRUE(y.YfileAuditing(SampleSystemPath(), para, small, list).ok());
  EXPECT_TRUE(RowsOf(list).empty()) << ::testing::PrintToString(RowsOf(list));
}

}  // namespace
}  // namespace kelvane::testing
