// The wind audits (fixed-hour, ten-minute, daily maximum and extreme wind)
// and the precipitation audits (fixed-time and hourly amounts), every
// finding checked in all its columns, and sample months of every station
// over a year that give none of their findings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "afile/audit/audits.h"
#include "afile/audit/wind.h"
#include "audit_test_support.h"
#include "host/check_file.h"
#include "sample/sample_afile.h"
#include "sample/sample_stations.h"

namespace kelvane::afile::audit {
namespace {

using kelvane::testing::Finding;

constexpr const char* kFW = "定时风";
constexpr const char* kTW = "十分钟风";
constexpr const char* kDW = "最大极大风";
constexpr const char* kFR = "定时降水量";
constexpr const char* kHR = "小时降水量";

// ---------------------------------------------------------------------------
// Direction tests

TEST(WindDirection, CodesAndDegrees) {
  struct Case {
    const char* d;
    bool badCode, badDegrees;
  };
  const Case cases[] = {
      {"N", false, true},     {"NNE", false, true},  {"NNW", false, true}, {"C", false, false},
      {"-", false, false},    {"nne", true, true},   {" NNE", true, true}, {"", true, true},
      {"NE,", true, true},    {"0", true, false},    {"045", true, false}, {"360", true, false},
      {"361", true, true},    {"-1", true, true},    {"9.5", true, false}, {"PNE", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    EXPECT_EQ(IsBadWindDirectionCode(c.d), c.badCode);
    EXPECT_EQ(IsBadWindDirectionDegrees(c.d), c.badDegrees);
  }
}

// ---------------------------------------------------------------------------
// Wind audits

// A cell of a test month: day, column (0: every column of the day), text.
struct At {
  int day, column;
  std::string text;
};

struct WindCase {
  const char* name;
  std::vector<At> fixed, ten, daily;  // over the defaults below
  std::vector<Finding> findings;
  int fixedColumns = 24;
  int days = 1;
  const char* mode = "E";  // AFileClass 15: "N" directions in degrees
};

// Clean defaults: every fixed-hour and ten-minute wind NNE at 3.0 m/s, the
// maximum 5.0 m/s at 10:12 and the extreme 8.0 m/s at 10:13.
class WindAudits : public ::testing::Test, protected kelvane::testing::AuditInputs {
 protected:
  std::vector<Finding> Run(const WindCase& c) {
    list.Clear();
    rules.Set(69, "200");
    rules.Set(70, "300");
    rules.Set(71, "200");
    cls(15) = c.mode;
    const bool degrees = std::string(c.mode) == "N";
    const std::string dir = degrees ? "023" : "NNE";
    StringArray fixed = kelvane::testing::Filled(c.days, c.fixedColumns, dir + "/030");
    StringArray ten = kelvane::testing::Filled(c.days, 24, dir + "/030");
    StringArray daily = StringArray::Matrix(1, c.days, 1, 4);
    for (long d = 1; d <= c.days; ++d)
      daily(d, 1) = "050/" + dir, daily(d, 2) = "1012", daily(d, 3) = "080/" + dir,
      daily(d, 4) = "1013";
    Apply(fixed, c.fixed);
    Apply(ten, c.ten);
    Apply(daily, c.daily);
    AuditContext cx = Context();
    const Grid f(fixed), t(ten), y(daily);
    AuditFixedHourWind(cx, f, t);
    AuditTenMinuteWind(cx, t, y);
    AuditDailyMaxWind(cx, y, t);
    return kelvane::testing::Findings(list);
  }
  static void Apply(StringArray& a, const std::vector<At>& cells) {
    for (const At& x : cells)
      for (long c = 1; c <= a.UBound(2); ++c)
        if (x.column == 0 || x.column == c) a(x.day, c) = x.text;
  }
};

TEST_F(WindAudits, FixedHourWind) {
  const std::vector<WindCase> cases = {
      {"clean month", {}, {}, {}, {}},
      {"calm at 0.3 m/s passes", {{1, 5, "C/003"}}, {}, {}, {}},
      {"calm at 0.4 m/s", {{1, 5, "C/004"}}, {}, {},
       {{"风向与风速矛盾", kFW, "", "1", "1", "错误"}}},
      {"a direction at 0.2 m/s", {{1, 1, "NNE/002"}}, {}, {},
       {{"风向与风速矛盾", kFW, "", "1", "21", "错误"}}},
      {"unknown direction", {{1, 2, "XYZ/030"}}, {}, {},
       {{"记录格式错", kFW, "", "1", "22", "错误"}}},
      {"decimal speed takes part in nothing", {{1, 3, "NNE/3.0"}}, {}, {},
       {{"记录格式错", kFW, "", "1", "23", "错误"}}},
      // Against a ten-minute speed of 4.5 m/s: "-" reads no 0.
      {"speed not observed, hour index 4 is labelled 0", {{1, 4, "SE/-"}}, {{1, 4, "SE/045"}}, {},
       {{"记录格式错", kFW, "", "1", "0", "错误"}}},
      {"above its limit", {{1, 24, "NNE/210"}}, {{1, 24, "NNE/200"}}, {{1, 1, "200/NNE"}, {1, 3, "250/NNE"}},
       {{"定时风速超气候极值", kFW, "", "1", "20", "可疑"}}},
      {"3.1 m/s above the ten-minute wind", {{1, 6, "NNE/061"}}, {}, {{1, 1, "070/NNE"}},
       {{"定时风速与十分钟风速差值>3m/s", kFW, kTW, "1", "2", "可疑"}}},
      {"3.0 m/s above it passes", {{1, 6, "NNE/060"}}, {}, {}, {}},
      {"ten-minute wind missing", {{1, 7, "NNE/090"}}, {{1, 7, "-/-"}}, {}, {}},
      {"ten-minute speed not observed: no comparison", {{1, 8, "NNE/090"}}, {{1, 8, "NNE/-"}}, {},
       {{"记录格式错", kTW, "", "1", "4", "错误"},
        {"风速缺测,风向也应作缺测", kTW, "", "1", "4", "错误"}}},
      {"opposite directions above 3 m/s", {{1, 9, "E/031"}}, {{1, 9, "W/031"}}, {},
       {{"定时风向与十分钟风向相差太大", kFW, kTW, "1", "5", "可疑"}}},
      {"opposite directions at 3.0 m/s", {{1, 9, "E/030"}}, {{1, 9, "W/035"}}, {}, {}},
      {"degrees 99 against W: 171", {{1, 9, "099/035"}}, {{1, 9, "W/035"}}, {},
       {{"定时风向与十分钟风向相差太大", kFW, kTW, "1", "5", "可疑"}}},
      {"degrees 100 against W: 170", {{1, 9, "100/035"}}, {{1, 9, "W/035"}}, {}, {}},
      {"degrees 80 against W: 190", {{1, 9, "080/035"}}, {{1, 9, "W/035"}}, {}, {}},
      // "-" converts to no degree; it is not north.
      {"direction not observed is no direction", {{1, 10, "-/035"}}, {{1, 10, "S/035"}}, {}, {}},
      {"four observations: 02 h against the hour ending at 2", {{1, 1, "NNE/070"}}, {}, {{1, 1, "070/NNE"}},
       {{"定时风速与十分钟风速差值>3m/s", kFW, kTW, "1", "2", "可疑"}}, 4},
      {"four observations: 20 h, and no direction comparison",
       {{1, 4, "NNE/000"}, {1, 2, "E/035"}}, {{1, 12, "W/035"}}, {},
       {{"风向与风速矛盾", kFW, "", "1", "20", "错误"}}, 4},
      {"four observations: 14 h calm", {{1, 3, "C/004"}}, {}, {},
       {{"风向与风速矛盾", kFW, "", "1", "14", "错误"}}, 4},
  };
  for (const WindCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Run(c), c.findings);
  }
}

TEST_F(WindAudits, TenMinuteWind) {
  const std::vector<WindCase> cases = {
      {"calm at 0.3 m/s", {}, {{1, 1, "C/003"}}, {},
       {{"风向与风速矛盾", kTW, "", "1", "21", "错误"}}},
      {"calm at 0.2 m/s passes", {}, {{1, 1, "C/002"}}, {}, {}},
      {"a direction at 0.2 m/s", {}, {{1, 1, "NNE/002"}}, {},
       {{"风向与风速矛盾", kTW, "", "1", "21", "错误"}}},
      {"a code where degrees are recorded", {}, {{1, 2, "NNE/030"}}, {},
       {{"记录格式错", kTW, "", "1", "22", "错误"}}, 24, 1, "N"},
      {"degrees above 360", {}, {{1, 2, "361/030"}}, {},
       {{"记录格式错", kTW, "", "1", "22", "错误"}}, 24, 1, "N"},
      {"degrees where codes are recorded", {}, {{1, 2, "023/030"}}, {},
       {{"记录格式错", kTW, "", "1", "22", "错误"}}},
      {"decimal speed", {}, {{1, 3, "NNE/3.0"}}, {},
       {{"记录格式错", kTW, "", "1", "23", "错误"}}},
      {"a ten-minute speed above the maximum, first hour remembered",
       {}, {{1, 10, "NNE/060"}, {1, 15, "NNE/060"}}, {},
       {{"最大风速小于各时十分钟风速的最大值", kTW, kDW, "1", "6/最大风速", "错误"}}},
      // Only a numeric maximum speed is compared.
      {"maximum speed not observed", {}, {}, {{1, 1, "-/NNE"}},
       {{"风速格式错", kDW, "", "1", "最大风速", "错误"},
        {"风速缺测,风向也应作缺测", kDW, "", "1", "最大风速/最大风向", "错误"}}},
      {"maximum on the hour: another direction", {}, {{1, 18, "NE/050"}}, {{1, 2, "1400"}},
       {{"最大风向与十分钟风向矛盾", kTW, kDW, "1", "14/最大风向", "错误"}}},
      {"maximum on the hour: another speed, the label of the greatest speed", {}, {},
       {{1, 2, "1400"}},
       {{"最大风速与十分钟风速矛盾", kTW, kDW, "1", "21/最大风速", "错误"}}},
      {"maximum at 2400 is the hour ending at midnight", {}, {{1, 4, "NNE/050"}},
       {{1, 2, "2400"}}, {}},
      {"maximum at 0000 too", {}, {{1, 4, "NE/050"}}, {{1, 2, "0000"}},
       {{"最大风向与十分钟风向矛盾", kTW, kDW, "1", "0/最大风向", "错误"}}},
      // 2600 would pick the hour ending at 6; 4500 lies past the day.
      {"maximum at 2600 picks no hour", {}, {{1, 6, "NE/050"}}, {{1, 2, "2600"}},
       {{"记录格式错", kDW, "", "1", "最大时间", "错误"}}},
      {"maximum at 4500 picks no hour", {}, {}, {{1, 2, "4500"}},
       {{"记录格式错", kDW, "", "1", "最大时间", "错误"}}},
      {"maximum on the hour with that hour missing", {}, {{1, 18, "-/-"}}, {{1, 2, "1400"}}, {}},
      {"maximum on the hour, a part of that hour not observed", {}, {{1, 18, "-/050"}},
       {{1, 2, "1400"}, {1, 1, "050/NE"}}, {}},
  };
  for (const WindCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Run(c), c.findings);
  }
}

TEST_F(WindAudits, DailyMaxWind) {
  const std::vector<WindCase> cases = {
      {"maximum direction unknown", {}, {}, {{1, 1, "050/XYZ"}},
       {{"风向格式错", kDW, "", "1", "最大风向", "错误"}}},
      {"extreme speed decimal: not compared with the maximum", {}, {}, {{1, 3, "8.0/NNE"}},
       {{"风速格式错", kDW, "", "1", "极大风速", "错误"}}},
      {"extreme calm at 0.3 m/s, below the maximum", {}, {}, {{1, 3, "003/C"}},
       {{"风向与风速矛盾", kDW, "", "1", "极大风速/极大风向", "错误"},
        {"最大风速与极大风速矛盾", kDW, "", "1", "最大风速/极大风速", "可疑"}}},
      {"extreme calm at 0.2 m/s", {}, {}, {{1, 3, "002/C"}},
       {{"最大风速与极大风速矛盾", kDW, "", "1", "最大风速/极大风速", "可疑"}}},
      {"both above their limits", {}, {}, {{1, 1, "210/NNE"}, {1, 3, "310/NNE"}},
       {{"最大风速超气候极值", kDW, "", "1", "最大风速", "可疑"},
        {"极大风速超气候极值", kDW, "", "1", "极大风速", "可疑"}}},
      {"at their limits", {}, {}, {{1, 1, "200/NNE"}, {1, 3, "300/NNE"}}, {}},
      {"extreme speed not observed", {}, {}, {{1, 3, "-/NNE"}},
       {{"风速格式错", kDW, "", "1", "极大风速", "错误"},
        {"风速缺测,风向也应作缺测", kDW, "", "1", "极大风速/极大风向", "错误"}}},
      {"extreme missing", {}, {}, {{1, 3, "/"}, {1, 4, "-"}}, {}},
      {"extreme not observed at all", {}, {}, {{1, 3, "-/-"}}, {}},
      {"times 1261 and 930", {}, {}, {{1, 2, "1261"}, {1, 4, "930"}},
       {{"记录格式错", kDW, "", "1", "最大时间", "错误"},
        {"记录格式错", kDW, "", "1", "极大时间", "错误"}}},
      {"times XXXX and 0000", {}, {}, {{1, 2, "XXXX"}, {1, 4, "0000"}}, {}},
      {"degrees: a code is no direction", {}, {}, {{1, 3, "080/NNE"}},
       {{"风向格式错", kDW, "", "1", "极大风向", "错误"}}, 24, 1, "N"},
      {"previous day's 20 h wind 1.1 m/s above the maximum",
       {{1, 24, "NNE/061"}}, {{1, 24, "NNE/061"}}, {{1, 1, "070/NNE"}},
       {{"最大风速小于前一日20时十分钟风速太多", kTW, "", "2", "最大风速/上日20", "可疑"}}, 24, 2},
      {"1.0 m/s above it passes", {{1, 24, "NNE/060"}}, {{1, 24, "NNE/060"}}, {{1, 1, "070/NNE"}},
       {}, 24, 2},
      // A maximum "-/NNE" reads no 0 against the previous evening.
      {"maximum speed not observed on day 2", {}, {}, {{2, 1, "-/NNE"}},
       {{"风速格式错", kDW, "", "2", "最大风速", "错误"},
        {"风速缺测,风向也应作缺测", kDW, "", "2", "最大风速/最大风向", "错误"}}, 24, 2},
  };
  for (const WindCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Run(c), c.findings);
  }
}

TEST_F(WindAudits, EightPointDirections) {
  const std::string item = "风向8个方位连续达10天,可能系统性错误";
  std::vector<At> tenNE, twentyNE, gap;
  for (int d = 1; d <= 10; ++d) tenNE.push_back({d, 0, "NE/030"});
  for (int d = 1; d <= 20; ++d) twentyNE.push_back({d, 0, "NE/030"});
  for (int d = 1; d <= 16; ++d) gap.push_back({d, 0, d == 6 ? "-/-" : "NE/030"});
  std::vector<At> eleven = tenNE;
  eleven.push_back({11, 0, "C/000"});
  std::vector<At> nine(tenNE.begin(), tenNE.end() - 1);
  std::vector<At> calm;
  for (int d = 1; d <= 10; ++d) calm.push_back({d, 0, "C/000"});
  const std::vector<WindCase> cases = {
      {"ten days", tenNE, tenNE, {}, {{item, kFW, "", "10", "1-10日", "可疑"},
                                      {item, kTW, "", "10", "1-10日", "可疑"}}, 24, 10},
      {"nine days", nine, nine, {}, {}, 24, 10},
      {"an eleventh day starts a new count", eleven, {}, {},
       {{item, kFW, "", "10", "1-10日", "可疑"}}, 24, 11},
      {"twenty days: two runs", twentyNE, {}, {},
       {{item, kFW, "", "10", "1-10日", "可疑"}, {item, kFW, "", "20", "11-20日", "可疑"}}, 24, 20},
      // A day without any observed direction ends the run.
      {"a day without wind data", gap, {}, {}, {{item, kFW, "", "16", "7-16日", "可疑"}}, 24, 16},
      {"four observations", tenNE, {}, {}, {{item, kFW, "", "10", "1-10日", "可疑"}}, 4, 10},
      {"ten calm days of ten-minute wind", {}, calm, {}, {{item, kTW, "", "10", "1-10日", "可疑"}},
       24, 10},
  };
  for (const WindCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Run(c), c.findings);
  }
}

// ---------------------------------------------------------------------------
// Precipitation audits

struct FixedRainCase {
  const char* name;
  std::vector<std::string> r;  // 20-8, 8-20, 20-20
  std::vector<Finding> findings;
};

struct HourlyRainCase {
  const char* name;
  std::vector<std::pair<int, std::string>> hours;  // hour index, text; others empty
  std::vector<std::string> r;                     // the day's fixed-time texts
  std::vector<Finding> findings;
};

class PrecipitationAudits : public ::testing::Test, protected kelvane::testing::AuditInputs {
 protected:
  void SetUp() override {
    rules.Set(64, "200");
    rules.Set(65, "500");
    rules.Set(66, "50");
  }
  static StringArray Fixed(const std::vector<std::string>& r) {
    StringArray a = StringArray::Matrix(1, 1, 1, 3);
    for (long c = 1; c <= 3; ++c) a(1, c) = r[static_cast<size_t>(c - 1)];
    return a;
  }
  std::vector<Finding> RunFixed(const FixedRainCase& c) {
    list.Clear();
    const StringArray r = Fixed(c.r);
    AuditContext cx = Context();
    AuditFixedPrecipitation(cx, Grid(r));
    return kelvane::testing::Findings(list);
  }
  std::vector<Finding> RunHourly(const HourlyRainCase& c) {
    list.Clear();
    StringArray h = kelvane::testing::Filled(1, 24, "");
    for (const auto& [b, text] : c.hours) h(1, b) = text;
    const StringArray r = Fixed(c.r);
    AuditContext cx = Context();
    AuditHourlyPrecipitation(cx, Grid(h), Grid(r));
    return kelvane::testing::Findings(list);
  }
};

TEST_F(PrecipitationAudits, FixedTimeAmounts) {
  const Finding total{"日合计与定时记录矛盾", kFR, "", "1", "20-20", "错误"};
  const std::vector<FixedRainCase> cases = {
      {"sum matches", {"12", "30", "42"}, {}},
      {"sum misses", {"12", "30", "41"}, {total}},
      {"no precipitation", {"", "", ""}, {}},
      {"not observed", {"-", "-", "-"}, {}},
      {"one half not observed", {"-", "", "5"}, {total}},
      {"a total without the halves", {"", "", "5"}, {total}},
      {"a half without the total", {"10", "", ""}, {total}},
      {"trace", {"0000", "", "0000"}, {}},
      // The missing half gets its format finding and no sum is made.
      {"a missing half", {"////", "0030", "0045"}, {{"记录格式错误", kFR, "", "1", "20-8", "错误"}}},
      {"a decimal total", {"0010", "0030", "4.0"}, {{"记录格式错误", kFR, "", "1", "20-20", "错误"}}},
      {"halves above the limit, the total is not tested", {"0510", "0", "0510"},
       {{"记录超气候极值", kFR, "", "1", "20-8", "可疑"}}},
      {"8-20 above it", {"0", "0501", "0501"}, {{"记录超气候极值", kFR, "", "1", "8-20", "可疑"}}},
  };
  for (const FixedRainCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RunFixed(c), c.findings);
  }
}

TEST_F(PrecipitationAudits, HourlyAmounts) {
  const auto far = [](const char* half) {
    return Finding{"小时降水与定时降水相差太大", kHR, kFR, "1", half, "可疑"};
  };
  const auto limit = [](const char* half) {
    return Finding{"小时降水与定时降水差值超过极限值", kHR, kFR, "1", half, "可疑"};
  };
  const auto noFixed = [](const char* half) {
    return Finding{"小时降水与定时降水矛盾(有小时无定时)", kHR, kFR, "1", half, "错误"};
  };
  const std::vector<HourlyRainCase> cases = {
      {"sums match", {{1, "0010"}, {12, "0020"}, {13, "0035"}}, {"0030", "0035", "0065"}, {}},
      {"trace written 0000", {{1, "0000"}}, {"0000", "", "0000"},
       {{"微量降水不可测量", kHR, "", "1", "20-21", "错误"}}},
      {"accumulated amount", {{13, "A"}, {14, "-"}, {15, "-"}, {16, "0035"}}, {"", "0035", "0035"}, {}},
      {"accumulation started at 19-20", {{24, "A"}}, {"", "-", "-"},
       {{"记录格式错误", kHR, "", "1", "19-20", "错误"}}},
      {"accumulation followed by an empty hour", {{13, "A"}}, {"", "-", "-"},
       {{"记有累计降水量开始,但其后记录与其不符", kHR, "", "1", "8-9", "错误"}}},
      {"accumulation never closed: one finding", {{20, "A"}, {21, "-"}, {22, "-"}, {23, "-"}, {24, "-"}},
       {"", "-", "-"},
       {{"记有累计降水量开始,但其后记录与其不符", kHR, "", "1", "15-16", "错误"}}},
      {"hour above the limit", {{5, "0210"}}, {"0210", "", "0210"},
       {{"记录超气候极值", kHR, "", "1", "0-1", "可疑"}}},
      {"decimal hour is not summed", {{6, "0.5"}}, {"-", "", "-"},
       {{"记录格式错误", kHR, "", "1", "1-2", "错误"}}},
      {"130 against 100: beyond 2.5 mm", {{13, "0060"}, {14, "0070"}}, {"", "0100", "0100"},
       {far("8-20")}},
      {"130 against 160: within a quarter", {{13, "0060"}, {14, "0070"}}, {"", "0160", "0160"}, {}},
      {"10 against 70: beyond the rule too", {{13, "0010"}}, {"", "0070", "0070"},
       {limit("8-20"), far("8-20")}},
      // A missing hour counts as not observed: no sum of 0 against 3.5 mm.
      {"missing hour", {{13, "////"}}, {"", "0035", "0035"},
       {{"记录格式错误", kHR, "", "1", "8-9", "错误"}}},
      {"fixed-time amount not observed", {{13, "0035"}}, {"", "-", "-"}, {}},
      {"fixed-time amount missing", {{13, "0035"}}, {"", "////", "////"}, {}},
      {"hours without a fixed-time amount", {{13, "0010"}}, {"", "", ""}, {noFixed("8-20")}},
      {"hours not observed, no fixed-time amount", {{1, "-"}, {2, "-"}}, {"", "", ""},
       {noFixed("20-8")}},
      {"a fixed-time amount with empty hours", {{24, "-"}}, {"0050", "-", "0050"}, {far("20-8")}},
      {"a month without hourly data", {}, {"0050", "", "0050"}, {}},
  };
  for (const HourlyRainCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RunHourly(c), c.findings);
  }
}

// ---------------------------------------------------------------------------
// Sample months

TEST(WindPrecipitationSamples, MonthsOfAYearGiveNoFinding) {
  const kelvane::testing::ScratchDir dir("kelvane_wind_precip_samples");
  host::Checker checker({kelvane::testing::SampleSystemPath(), false, {}});
  int files = 0;
  for (const sample::SampleStation& s : sample::SampleStations())
    for (uint32_t seed : {3u, 11u, 20120301u})
      for (int month = 1; month <= 12; ++month) {
        const std::string path = sample::WriteSampleAFile(s, 2012, month, seed, dir.dir().string());
        const host::FileResult r = checker.Check(path);
        ASSERT_TRUE(r.status.ok()) << path << ": " << r.status.description();
        ++files;
        for (const host::Finding& f : r.findings) {
          const std::string& e = f.Element;
          if (e != kFW && e != kTW && e != kDW && e != kFR && e != kHR) continue;
          ADD_FAILURE() << path << ": " << f.Message << " | " << f.Element << " | "
                        << f.RelatedItem << " | day " << f.Day << " | " << f.TimeOrItem;
        }
      }
  EXPECT_EQ(files, 3 * 3 * 12);
}

}  // namespace
}  // namespace kelvane::afile::audit
