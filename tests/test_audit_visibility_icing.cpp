// The visibility audit (format, the minimum's time, the phenomena that
// explain a low visibility) and the wire icing audit, every finding checked
// in all its columns.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "afile/audit/audits.h"
#include "audit_test_support.h"
#include "sample/sample_stations.h"
#include "sample/sample_weather.h"

namespace kelvane::afile::audit {
namespace {

using kelvane::testing::Finding;

struct VisCase {
  const char* name;
  int columns;
  std::vector<std::pair<int, std::string>> cells;  // column, text; others "200"
  std::string weather;
  std::vector<Finding> findings;
};

class VisibilityAudit : public ::testing::Test, protected kelvane::testing::AuditInputs {
 protected:
  std::vector<Finding> Run(const VisCase& c) {
    list.Clear();
    StringArray v = kelvane::testing::Filled(1, c.columns, "200");
    if (c.columns == 26) v(1, 25) = "200", v(1, 26) = "1400";
    for (const auto& [col, text] : c.cells) v(1, col) = text;
    StringArray w = kelvane::testing::Filled(1, 1, c.weather);
    AuditContext cx = Context();
    AuditVisibility(cx, Grid(v), Grid(w));
    return kelvane::testing::Findings(list);
  }
};

constexpr const char* kV = "能见度";
constexpr const char* kW = "天气现象";

TEST_F(VisibilityAudit, Rules) {
  const std::vector<VisCase> cases = {
      {"clear day", 24, {}, ".", {}},
      {"a missing hour gets its format finding only",
       24, {{14, "/////"}}, ".", {{"记录格式错误", kV, "", "1", "10", "错误"}}},
      {"a decimal keeps the low-visibility rules",
       4, {{3, "0.5"}}, ".",
       {{"记录格式错误", kV, "", "1", "14", "错误"},
        {"能见度＜1.0,但无天气现象配合", kV, kW, "1", "14", "错误"}}},
      {"24 columns: observation 4 is midnight, labelled 0",
       24, {{4, "5"}}, ".", {{"能见度＜1.0,但无天气现象配合", kV, kW, "1", "0", "错误"}}},
      {"26 columns: it is labelled 24",
       26, {{4, "5"}}, ".", {{"能见度＜1.0,但无天气现象配合", kV, kW, "1", "24", "错误"}}},
      {"midnight fog explains observation 4", 24, {{4, "5"}}, "42 2330[300]-0010,.", {}},
      {"fog ending 15 minutes before the hour does not explain",
       4, {{3, "8"}}, "42 1300[400]-1345,.",
       {{"能见度＜1.0,但无天气现象配合", kV, kW, "1", "14", "错误"}}},
      {"fog ending 14 minutes before explains", 4, {{3, "8"}}, "42 1300[400]-1346,.", {}},
      {"fog starting on the hour explains", 4, {{3, "8"}}, "42 1400[400]-1500,.", {}},
      {"rain alone makes it doubtful",
       4, {{3, "8"}}, "60 1300-1500,.",
       {{"所对应的降水现象使能见度＜1.0的可能性较小", kV, kW, "1", "14", "可疑"}}},
      {"rain first, fog after: every record is examined",
       4, {{2, "5"}}, "60 0400-0900,42 0500[300]-0800,.", {}},
      {"haze anywhere explains", 4, {{3, "5"}}, "05,.", {}},
      {"a code inside a time explains nothing",
       4, {{3, "50"}}, "60 0505-0600,.",
       {{"能见度为1.0－9.9KM,但无天气现象配合", kV, kW, "1", "14", "可疑"}}},
      {"mist explains reduced visibility", 4, {{3, "50"}}, "10,.", {}},
      {"night bracket decides a night observation",
       4, {{2, "5"}}, "(42,)60 0900-1000,.", {}},
      {"night rain only: doubtful",
       4, {{1, "5"}}, "(60,)10,.",
       {{"所对应的降水现象使能见度＜1.0的可能性较小", kV, kW, "1", "2", "可疑"}}},
      {"day observation ignores night records",
       4, {{3, "50"}}, "(10,)60 0900-1000,.",
       {{"能见度为1.0－9.9KM,但无天气现象配合", kV, kW, "1", "14", "可疑"}}},
      {"hourly night hours: the night part decides", 24, {{7, "5"}}, "(42,)60 0900-1000,.", {}},
      {"minimum missing in the text",
       4, {{3, "5"}}, "05,42[///],.",
       {{"定时能见度正常且＜1.0,最小能见度不能为缺测", kV, kW, "1", "14", "可疑"}}},
      {"unknown fog times cover nothing",
       4, {{3, "8"}}, "42 ////[300]-////,.",
       {{"能见度＜1.0,但无天气现象配合", kV, kW, "1", "14", "错误"}}},
      {"the minimum is judged at its time, the time is never a visibility",
       26, {{25, "3"}, {26, "0600"}, {10, "3"}}, "42 0450[300]-0720,.", {}},
      {"minimum at 0005 is no visibility", 26, {{26, "0005"}, {4, "200"}}, ".", {}},
      {"minimum without a valid time is not judged",
       26, {{25, "3"}, {26, "2460"}}, ".",
       {{"记录格式错", kV, "", "1", "最小时", "错误"}}},
      {"minimum on the hour differs from that hour",
       26, {{25, "150"}, {26, "1400"}}, ".",
       {{"极值出现在正点,但与该时正点值不一致", kV, "", "1", "最小时/14", "错误"}}},
      {"minimum on the hour compared as numbers", 26, {{25, "0200"}, {26, "1400"}}, ".", {}},
      {"minimum on the hour with that hour missing",
       26, {{18, "/////"}, {25, "150"}, {26, "1400"}}, ".",
       {{"记录格式错误", kV, "", "1", "14", "错误"}}},
      {"minimum at 2400", 26, {{25, "150"}, {26, "2400"}, {4, "150"}}, ".", {}},
      {"fog around the minimum's time, not at midnight",
       26, {{25, "3"}, {26, "0630"}}, "42 0620[300]-0640,.",
       {}},
      {"the minimum outside the fog",
       26, {{25, "3"}, {26, "0700"}, {11, "3"}}, "42 0620[300]-0640,.",
       {{"能见度＜1.0,但无天气现象配合", kV, kW, "1", "7", "错误"},
        {"能见度＜1.0,但无天气现象配合", kV, kW, "1", "最小", "错误"}}},
  };
  for (const VisCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Run(c), c.findings);
  }
}

// ---------------------------------------------------------------------------

struct IcingCase {
  const char* name;
  const char* year;
  std::vector<std::string> fields;  // columns 1..9
  std::string weather;
  std::vector<Finding> findings;
};

class WireIcingAudit : public ::testing::Test, protected kelvane::testing::AuditInputs {
 protected:
  WireIcingAudit() {
    rules.Set(67, "90");
    rules.Set(68, "2000");
  }
  std::vector<Finding> Run(const IcingCase& c) {
    list.Clear();
    StringArray g = kelvane::testing::Filled(1, 9, "");
    for (size_t k = 0; k < c.fields.size(); ++k) g(1, static_cast<long>(k) + 1) = c.fields[k];
    StringArray w = kelvane::testing::Filled(1, 1, c.weather);
    AuditContext cx = Context();
    AuditWireIcing(cx, c.year, Grid(w), Grid(g));
    return kelvane::testing::Findings(list);
  }
};

constexpr const char* kG = "电线积冰";

TEST_F(WireIcingAudit, Rules) {
  const std::vector<IcingCase> cases = {
      {"no icing", "2012", {}, ".", {}},
      {"glaze measured", "2012", {"56", "28", "28", "", "29", "27", "", "-3", "N/25"}, "56 0100-0900,.", {}},
      {"code without fields",
       "2012", {"56"}, "56 0100-0900,.",
       {{"有积冰现象,至少应有直径和厚度", kG, "", "1", "现象代码", "错误"}}},
      {"fields without code",
       "2012", {"-", "", "", "", "", "", "", "-2"}, ".",
       {{"无积冰现象,但其他相关内容有记录", kG, "", "1", "现象代码", "错误"}}},
      {"bad code and fields",
       "2012", {"57", "2.5", "28", "abc", "28", "28", "", "1", "X/2a"}, "56 0100-0900,.",
       {{"记录格式错误", kG, "", "1", "现象代码", "错误"},
        {"记录格式错误", kG, "", "1", "南北直径", "错误"},
        {"直径或厚度超气候极值", kG, "", "1", "南北直径", "可疑"},
        {"记录格式错误", kG, "", "1", "南北重量", "错误"},
        {"最大重量测定时间气温错", kG, "", "1", "气温", "可疑"},
        {"风向格式错", kG, "", "1", "风向", "错误"},
        {"风速格式错", kG, "", "1", "风速", "错误"}}},
      {"a missing diameter gets the format finding only",
       "2012", {"56", "///", "28", "", "28", "28", "", "", "/"}, "56 0100-0900,.",
       {{"记录格式错误", kG, "", "1", "南北直径", "错误"}}},
      {"limits",
       "2012", {"48", "91", "26", "2001", "30", "30", "100"}, "48,.",
       {{"直径或厚度超气候极值", kG, "", "1", "南北直径", "可疑"},
        {"直径或厚度超气候极值", kG, "", "1", "南北厚度", "可疑"},
        {"重量超气候极值", kG, "", "1", "南北重量", "可疑"}}},
      {"before 2011 the lower limit is 4", "2009", {"48", "5", "5", "", "5", "5"}, "48,.", {}},
      {"weight not measured, 2012 glaze limit 30",
       "2012", {"56", "31", "28", "", "30", "28"}, "56,.",
       {{"漏测电线积冰重量", kG, "", "1", "南北重量", "错误"}}},
      {"2009 glaze limit 7",
       "2009", {"56", "8", "8", "10", "8", "8"}, "56,.",
       {{"漏测电线积冰重量", kG, "", "1", "东西重量", "错误"}}},
      {"rime limit 37", "2012", {"48", "37", "30", "", "37", "30"}, "48,.", {}},
      {"glaze without the phenomenon",
       "2012", {"56", "28", "28", "", "28", "28"}, "60 0100-0900,.",
       {{"电线积冰有雨凇,但无雨凇现象", kW, kG, "1", "现象代码", "错误"}}},
      {"both: glaze at night only, no rime",
       "2012", {"4856", "28", "28", "", "28", "28"}, "(56,)10,.",
       {{"电线积冰有雾凇,但无雾凇现象", kW, kG, "1", "现象代码", "错误"}}},
      {"the code inside a time is no phenomenon",
       "2012", {"56", "28", "28", "", "28", "28"}, "60 0556-0900,.",
       {{"电线积冰有雨凇,但无雨凇现象", kW, kG, "1", "现象代码", "错误"}}},
  };
  for (const IcingCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Run(c), c.findings);
  }
}

// The sample stations that observe wire icing have rime days in a year,
// each with the phenomenon 48 in its day text.
TEST(WireIcingSamples, StationsThatObserveItHaveRimeDays) {
  int stations = 0;
  for (const sample::SampleStation& s : sample::SampleStations()) {
    if (s.IcingLine != "1") continue;
    ++stations;
    int days = 0;
    for (int month = 1; month <= 12; ++month) {
      const sample::SampleWeather model(s, 2012, month, 7);
      for (int d = 1; d <= model.Days(); ++d) {
        if (model.WireIcing(d).code.empty()) continue;
        ++days;
        EXPECT_NE(("," + model.WeatherText(d)).find(",48 "), std::string::npos) << s.id;
      }
    }
    EXPECT_GT(days, 0) << s.id;
  }
  EXPECT_GT(stations, 0);
}

}  // namespace
}  // namespace kelvane::afile::audit
