// Station pressure, air, ground-surface and grass temperature audits: every
// finding from small arrays (one table per audit: cell edits -> the exact
// findings in order), the minute-data extremes, and the sample station files
// passing without a finding.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "afile/audit/audits.h"
#include "afile/audit/minute_extremes.h"
#include "afile/audit/rules.h"
#include "afile/audit/toolkit.h"
#include "audit_test_support.h"
#include "common/pressure.h"
#include "common/text.h"
#include "host/decoder.h"
#include "sample/sample_afile.h"
#include "sample/sample_stations.h"
#include "kelvane/kelvane.h"

namespace kelvane::afile::audit {
namespace {

using kelvane::testing::Finding;

constexpr const char* kE = "错误";
constexpr const char* kS = "可疑";

struct Edit {
  long day, column;
  std::string text;
};

// days × columns, every day the same row (shorter rows leave the rest empty).
StringArray Days(long days, long columns, const std::vector<std::string>& row,
                 const std::vector<Edit>& edits = {}) {
  StringArray a = StringArray::Matrix(1, days, 1, columns);
  for (long d = 1; d <= days; ++d)
    for (long c = 1; c <= columns && c <= static_cast<long>(row.size()); ++c)
      a(d, c) = row[static_cast<size_t>(c - 1)];
  for (const Edit& e : edits) a(e.day, e.column) = e.text;
  return a;
}

std::vector<std::string> Repeat(const std::string& v, size_t n, std::vector<std::string> tail) {
  std::vector<std::string> row(n, v);
  row.insert(row.end(), tail.begin(), tail.end());
  return row;
}

// The call's parameters: an automatic station near 39.5° N, 116.3° E, March
// 2012, with rule values that the base arrays below keep well inside.
class Call : public kelvane::testing::AuditInputs {
 public:
  Call() {
    para(2) = Variant("2012");
    para(3) = Variant("03");
    para(4) = Variant("31");
    para(8) = Variant("39.48N");
    para(9) = Variant("116.28E");
    para(11) = Variant("32.8");
    para(16) = Variant("4");
    para(17) = Variant("自动站");
    const std::vector<std::pair<int, const char*>> values = {
        {1, "10600"}, {2, "8950"}, {3, "150"}, {4, "50"}, {5, "150"}, {6, "50"},
        {7, "400"},   {8, "-300"}, {9, "150"}, {10, "50"}, {11, "150"}, {12, "50"},
        {18, "700"},  {19, "-400"}, {20, "200"}, {21, "200"}, {22, "200"}, {23, "200"},
        {24, "100"},  {25, "150"},  {106, "700"}, {107, "-400"}, {108, "200"}, {109, "200"},
        {110, "200"}, {111, "200"}};
    for (const auto& [k, v] : values) rules.Set(k, v);
  }

  AuditContext& Context() {
    context.reset(new AuditContext(AuditInputs::Context()));
    return *context;
  }

  std::vector<Finding> Findings() const { return kelvane::testing::Findings(list); }

  std::unique_ptr<AuditContext> context;
};

// ---------------------------------------------------------------------------
// AuditHourlyElement

// Station pressure of an hourly station: every hour 1010.0 hPa, the daily
// maximum 1020.0 at 10:12, the minimum 1000.0 at 05:12.
std::vector<std::string> PressureDay() {
  return Repeat("10100", 24, {"10200", "1012", "10000", "0512"});
}

struct HourlyCase {
  const char* name;
  const char* element;
  int base;
  StringArray values;
  std::vector<Finding> expected;
  std::function<void(Call&)> setup = nullptr;
};

void RunHourlyCases(const std::vector<HourlyCase>& cases) {
  for (const HourlyCase& c : cases) {
    SCOPED_TRACE(c.name);
    Call call;
    if (c.setup) c.setup(call);
    AuditHourlyElement(call.Context(), Grid(c.values), c.element, c.base);
    EXPECT_EQ(call.Findings(), c.expected);
  }
}

TEST(AuditHourlyElementTest, StationPressureCellsAndDailyExtremes) {
  const char* P = "本站气压";
  auto p = [](std::vector<Edit> edits) { return Days(3, 28, PressureDay(), edits); };
  RunHourlyCases({
      {"well-formed month", P, 0, p({}), {}},
      {"decimal and text cells", P, 0, p({{2, 13, "10.5"}, {3, 25, "abc"}}),
       {{"记录格式错误", P, "", "2", "9", kE}, {"记录格式错误", P, "", "3", "最高", kE}}},
      {"hourly value above the upper extreme", P, 0, p({{1, 10, "10601"}}),
       {{"相邻前后两时次的变化异常", P, "", "1", "5", kS},
        {"记录超气候极值", P, "", "1", "6", kS},
        {"相邻前后两时次的变化异常", P, "", "1", "6", kS},
        {"相邻前后两时次的变化异常", P, "", "1", "7", kS},
        {"最高值与定时值矛盾", P, "", "1", "最高/6", kE}}},
      {"daily extremes beyond both extremes; first column holding the fixed maximum", P, 0,
       p({{2, 25, "10700"}, {2, 27, "8900"}}),
       {{"记录超气候极值", P, "", "2", "最高", kS},
        {"记录超气候极值", P, "", "2", "最低", kS},
        {"日最高高于定时中的最大值太多", P, "", "2", "最高/21", kS},
        {"日最低低于定时中的最低值太多", P, "", "2", "最低/21", kS}}},
      {"extreme times off the clock; 0000 and 2400 accepted", P, 0,
       p({{1, 26, "1261"}, {1, 28, "930"}, {2, 26, "2400"}, {2, 28, "0000"}, {3, 26, "2500"}}),
       {{"记录格式错", P, "", "1", "最高时", kE},
        {"记录格式错", P, "", "1", "最低时", kE},
        {"极值出现在正点,但与该时正点值不一致", P, "", "2", "最高时/24", kE},
        {"极值出现在正点,但与该时正点值不一致", P, "", "2", "最低时/0", kE},
        {"记录格式错", P, "", "3", "最高时", kE}}},
      {"extreme on the hour", P, 0,
       p({{1, 26, "1400"}, {1, 18, "10105"}, {2, 26, "1400"}, {2, 25, "10100"},
          {3, 28, "2400"}, {3, 4, "10095"}}),
       {{"极值出现在正点,但与该时正点值不一致", P, "", "1", "最高时/14", kE},
        {"极值出现在正点,但与该时正点值不一致", P, "", "3", "最低时/24", kE}}},
      // A missing or absent hour named by the extreme time is not compared.
      {"extreme on a missing hour", P, 0,
       p({{1, 26, "1400"}, {1, 18, "////"}, {2, 28, "0500"}, {2, 9, "-"}}),
       {{"记录格式错误", P, "", "1", "14", kE},
        {"相邻前后两时次数据正常,该时记录应内插", P, "", "1", "14", kE},
        {"相邻前后两时次数据正常,该时记录应内插", P, "", "2", "5", kE}}},
      {"neighbouring hours across the day end; 3.0 hPa allowed", P, 0,
       p({{1, 24, "10131"}, {2, 10, "10070"}, {3, 1, "10100"}}),
       {{"相邻前后两时次的变化异常", P, "", "1", "20", kS}}},
      {"first and last hour of the month have no outer neighbour", P, 0,
       p({{1, 1, "10160"}, {3, 24, "10160"}}), {}},
      {"previous day's 20 h", P, 0, p({{2, 25, "10040"}, {3, 27, "10160"}}),
       {{"日最高低于前一日20时太多", P, "", "2", "最高/上日20", kS},
        {"最高值与定时值矛盾", P, "", "2", "最高/21", kE},
        {"日最低高于前一日20时太多", P, "", "3", "最低/上日20", kS},
        {"最低值与定时值矛盾", P, "", "3", "最低/21", kE}}},
      {"previous day's 20 h missing: no comparison with it", P, 0,
       p({{1, 24, "////"}, {2, 25, "10040"}}),
       {{"记录格式错误", P, "", "1", "20", kE},
        {"相邻前后两时次数据正常,该时记录应内插", P, "", "1", "20", kE},
        {"最高值与定时值矛盾", P, "", "2", "最高/21", kE}}},
      {"daily extremes far from the fixed hours; the limit itself allowed", P, 0,
       p({{1, 25, "10251"}, {1, 27, "9949"}, {2, 25, "10250"}, {2, 27, "9950"}}),
       {{"日最高高于定时中的最大值太多", P, "", "1", "最高/21", kS},
        {"日最低低于定时中的最低值太多", P, "", "1", "最低/21", kS}}},
      {"missing daily extremes", P, 0, p({{2, 25, "////"}, {2, 27, "-"}}),
       {{"记录格式错误", P, "", "2", "最高", kE}}},
  });
}

TEST(AuditHourlyElementTest, FourObservationsADay) {
  const char* P = "本站气压";
  const char* T = "气温";
  auto p = [](std::vector<Edit> edits) {
    return Days(2, 6, {"10100", "10100", "10100", "10100", "10200", "10000"}, edits);
  };
  RunHourlyCases({
      {"well-formed month", P, 0, p({}), {}},
      // A missing fixed hour is no extreme of the fixed hours: it would read
      // as 0 and contradict the daily minimum.
      {"missing fixed hours", P, 0, p({{1, 3, "////"}, {2, 1, "////"}, {2, 2, "-"}}),
       {{"记录格式错误", P, "", "1", "14", kE}, {"记录格式错误", P, "", "2", "2", kE}}},
      {"labels of the fixed hours", P, 0, p({{2, 2, "10300"}, {2, 4, "9900"}}),
       {{"最高值与定时值矛盾", P, "", "2", "最高/8", kE},
        {"最低值与定时值矛盾", P, "", "2", "最低/20", kE}}},
      {"previous day's 20 h is column 4", P, 0, p({{1, 4, "10260"}}),
       {{"最高值与定时值矛盾", P, "", "1", "最高/20", kE},
        {"日最高低于前一日20时太多", P, "", "2", "最高/上日20", kS}}},
      {"no neighbour or interpolation test", P, 0, p({{1, 2, "-"}, {2, 3, "10190"}}), {}},
      {"air temperature extremes (rule entries 7, 8)", T, 6,
       Days(1, 6, {"401", "0", "0", "-301", "401", "-301"}),
       {{"记录超气候极值", T, "", "1", "2", kS}, {"记录超气候极值", T, "", "1", "20", kS},
        {"记录超气候极值", T, "", "1", "最高", kS}, {"记录超气候极值", T, "", "1", "最低", kS}}},
  });
}

// An hourly array where only the three given hours of day 2 hold values
// (every other cell absent), so that only their middle one is tested.
StringArray Triple(long columns, long column, const char* before, const char* v,
                   const char* after) {
  StringArray a = Days(3, columns, std::vector<std::string>(static_cast<size_t>(columns), "-"));
  auto at = [&](long c) -> std::string& {
    return c < 1 ? a(1, 24) : c > 24 ? a(3, 1) : a(2, c);
  };
  at(column - 1) = before;
  at(column) = v;
  at(column + 1) = after;
  return a;
}

TEST(AuditHourlyElementTest, NeighbouringHourLimits) {
  const char* P = "本站气压";
  const char* T = "气温";
  const char* G = "地面温度";
  const char* B = "草面温度";
  auto change = [](const char* element, const char* time) {
    return std::vector<Finding>{{"相邻前后两时次的变化异常", element, "", "2", time, kS}};
  };
  RunHourlyCases({
      {"pressure 3.1 hPa", P, 0, Triple(28, 10, "10100", "10131", "10100"), change(P, "6")},
      {"pressure 3.0 hPa", P, 0, Triple(28, 10, "10100", "10130", "10100"), {}},
      // Falling by 0.5 °C or more across the three hours allows 5.0 °C.
      {"temperature falling 11.0: 0.5 off", T, 6, Triple(28, 2, "150", "100", "40"), {}},
      {"temperature falling 0.2: 4.9 off", T, 6, Triple(28, 3, "150", "100", "148"),
       change(T, "23")},
      {"temperature falling 0.5: 4.75 off", T, 6, Triple(28, 3, "150", "100", "145"), {}},
      // Ground and grass: 3.0 °C at night, 5.0 °C within an hour of sunrise
      // (about 6.6 h) or sunset (about 17.9 h), 15.0 °C in the day.
      {"ground at 03 h, 3.1 off", G, 17, Triple(26, 7, "100", "131", "100"), change(G, "3")},
      {"ground at 03 h, 3.0 off", G, 17, Triple(26, 7, "100", "130", "100"), {}},
      {"ground at 07 h, 5.0 off", G, 17, Triple(26, 11, "100", "150", "100"), {}},
      {"ground at 07 h, 5.1 off", G, 17, Triple(26, 11, "100", "151", "100"), change(G, "7")},
      {"ground at 12 h, 15.0 off", G, 17, Triple(26, 16, "100", "250", "100"), {}},
      {"ground at 12 h, 15.1 off", G, 17, Triple(26, 16, "100", "251", "100"),
       change(G, "12")},
      {"ground at 18 h, 5.1 off", G, 17, Triple(26, 22, "100", "151", "100"),
       change(G, "18")},
      {"grass at 12 h, 15.1 off", B, 105, Triple(26, 16, "100", "251", "100"),
       change(B, "12")},
      {"grass at 20 h, 3.1 off", B, 105, Triple(26, 24, "100", "131", "100"),
       change(B, "20")},
      {"a decimal hour takes no part", T, 6, Triple(28, 3, "100", "13.1", "100"),
       {{"记录格式错误", T, "", "2", "23", kE}}},
      {"missing middle hour", T, 6, Triple(28, 3, "100", "////", "100"),
       {{"记录格式错误", T, "", "2", "23", kE},
        {"相邻前后两时次数据正常,该时记录应内插", T, "", "2", "23", kE}}},
  });
}

TEST(AuditHourlyElementTest, GroundSurfaceOfThreeManualObservations) {
  const char* G = "地面温度";
  auto threeTimes = [](Call& c) {
    c.para(16) = Variant("3");
    c.para(17) = Variant("人工");
  };
  // 02 h is the mean of the previous day's 20 h (100) and the minimum (0).
  auto g = [](std::vector<Edit> edits) {
    return Days(3, 6, {"50", "100", "100", "100", "200", "0"}, edits);
  };
  RunHourlyCases({
      {"weighted 02 h values", G, 17, g({}), {}, threeTimes},
      {"02 h off the weighted mean; day 1 not checked", G, 17, g({{1, 1, "77"}, {2, 1, "51"}}),
       {{"2时地温与加权平均求得的值不一致", G, "", "2", "2", kE}}, threeTimes},
      // Day 2: (100 - 105) / 2 = -2.5 gives -3; day 3: (-100 - 5) / 2 = -52.5
      // gives -53, and the 02 h value is then the lowest fixed hour.
      {"halves away from zero", G, 17,
       g({{2, 1, "-3"}, {2, 4, "-100"}, {2, 6, "-105"}, {3, 1, "-52"}, {3, 6, "-5"}}),
       {{"2时地温与加权平均求得的值不一致", G, "", "3", "2", kE},
        {"最低值与定时值矛盾,可能是加权平均影响", G, "", "3", "最低/2", kS}},
       threeTimes},
      {"missing 02 h", G, 17, g({{2, 1, "////"}}),
       {{"记录格式错误", G, "", "2", "2", kE},
        {"2时地温应用加权平均求算", G, "", "2", "2", kE}},
       threeTimes},
      // The A file of three observations a day has no 02 h record at all.
      {"02 h not recorded", G, 17, g({{2, 1, ""}, {3, 1, "-"}}), {}, threeTimes},
      {"previous 20 h missing: nothing to weigh", G, 17, g({{1, 4, "////"}, {2, 1, "////"}}),
       {{"记录格式错误", G, "", "1", "20", kE}, {"记录格式错误", G, "", "2", "2", kE}},
       threeTimes},
      {"fixed minimum from the weighted 02 h", G, 17,
       g({{1, 4, "40"}, {2, 1, "50"}, {2, 6, "60"}}),
       {{"最低值与定时值矛盾,可能是加权平均影响", G, "", "2", "最低/2", kS}}, threeTimes},
      {"four observations: a plain contradiction", G, 17,
       g({{1, 4, "40"}, {2, 1, "50"}, {2, 6, "60"}}),
       {{"最低值与定时值矛盾", G, "", "2", "最低/2", kE}}},
      {"automatic station: no 02 h check", G, 17, g({{2, 1, "51"}}), {},
       [](Call& c) { c.para(16) = Variant("3"); }},
      {"hourly ground extremes (entries 18, 19)", G, 17,
       Days(1, 26, Repeat("100", 24, {"701", "-401"})),
       {{"记录超气候极值", G, "", "1", "最高", kS},
        {"记录超气候极值", G, "", "1", "最低", kS},
        {"日最高高于定时中的最大值太多", G, "", "1", "最高/21", kS},
        {"日最低低于定时中的最低值太多", G, "", "1", "最低/21", kS}}},
  });
}

TEST(AuditHourlyElementTest, AbsurdNumbersAreFindingsNotFailures) {
  const std::string huge = "99999999999999999999999", tiny = "-" + huge;
  Call call;
  StringArray p = Days(2, 28, PressureDay(),
                       {{1, 24, huge}, {2, 1, tiny}, {2, 2, huge}, {2, 25, tiny}, {2, 27, huge}});
  StringArray t = Days(2, 6, {huge, tiny, huge, tiny, huge, tiny});
  AuditContext& cx = call.Context();
  EXPECT_NO_THROW(AuditHourlyElement(cx, Grid(p), "本站气压", 0));
  EXPECT_NO_THROW(AuditHourlyElement(cx, Grid(t), "地面温度", 17));
  EXPECT_NO_THROW(AuditMinTempAgainstGround(cx, Grid(t), Grid(t), Grid()));
  EXPECT_GT(call.list.Count(), 10);
}

// ---------------------------------------------------------------------------
// Minute data

// An extreme as the tests write it: the value as a number text and the
// minutes ("" when the hour has no value).
std::string ExtremeText(const MinuteExtreme& e) {
  return e.Found() ? FormatNumber(e.value) + " at " + kelvane::testing::MinutesText(e) : "";
}

TEST(MinuteExtremesTest, HourMaximumAndMinimum) {
  struct Case {
    const char* hour;
    MinuteValues reading;
    const char *max, *min;
  };
  const Case cases[] = {
      {"0253 0254 //// 0254 0250", MinuteValues::AsWritten, "254 at 02,04", "250 at 05"},
      {"", MinuteValues::AsWritten, "", ""},
      {"//// ////", MinuteValues::AsWritten, "", ""},
      {"-012 -015 -012", MinuteValues::AsWritten, "-12 at 01,03", "-15 at 02"},
      {"0100  0101", MinuteValues::AsWritten, "101 at 03", "100 at 01"},  // token 2 empty
      {"%% 095 %%", MinuteValues::AsWritten, "95 at 02", "95 at 02"},
      // The thousands digit of station pressure.
      {"9998 0002 9999", MinuteValues::StationPressure, "10002 at 02", "9998 at 01"},
      {"10002 9998", MinuteValues::StationPressure, "10002 at 01", "9998 at 02"},
      // ... only for four digits without a sign.
      {"+002 -002 4999 5000", MinuteValues::StationPressure, "14999 at 03", "-2 at 02"},
      {"002 00002 0002", MinuteValues::StationPressure, "10002 at 03", "2 at 01,02"},
      // "," and "=" are dropped before the line is split.
      {"02,53 0254= =0,2,5,5", MinuteValues::StationPressure, "10255 at 03", "10253 at 01"},
      {"0253 , 0250", MinuteValues::AsWritten, "253 at 01", "250 at 03"},
      {"0253 0250 =  ", MinuteValues::AsWritten, "253 at 01", "250 at 02"},
      // A leading blank moves the values one minute on.
      {" 0253 0250", MinuteValues::AsWritten, "253 at 02", "250 at 03"},
      // Tokens that are no plain number read as their leading number: a
      // malformed one as 0, decimals as they are, a tab skipped.
      {"0253 AB 0254", MinuteValues::AsWritten, "254 at 03", "0 at 02"},
      {"0253 //1 -", MinuteValues::AsWritten, "253 at 01", "0 at 02,03"},
      {"12.5 12.50 7x 0.5e3", MinuteValues::AsWritten, "12.5 at 01,02", "0.5 at 04"},
      {"\t0253 0253\t", MinuteValues::StationPressure, "253 at 01,02", "253 at 01,02"},
      // Values beyond the starting extremes never count.
      {"-99999 99999", MinuteValues::AsWritten, "99999 at 02", "-99999 at 01"},
      {"-99999", MinuteValues::AsWritten, "", "-99999 at 01"},
      {"99999", MinuteValues::AsWritten, "99999 at 01", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hour);
    const HourExtremes h = ScanMinuteHour(c.hour, c.reading);
    EXPECT_EQ(ExtremeText(h.max), c.max);
    EXPECT_EQ(ExtremeText(h.min), c.min);
  }
  // Token 60 is minute 00 of the next full hour; "%%" is 100 for the minimum.
  std::string hour;
  for (int k = 1; k <= 60; ++k) hour += (k == 1 ? "" : " ") + std::string(k == 60 ? "%%" : "099");
  const HourExtremes h = ScanMinuteHour(hour);
  EXPECT_EQ(h.min.value, 99);
  EXPECT_EQ(kelvane::testing::MinutesText(h.min).substr(0, 9), "01,02,03,");
  EXPECT_EQ(kelvane::testing::MinutesText(h.min).size(), 59u * 3 - 1);
  EXPECT_FALSE(h.min.At("00"));
  EXPECT_EQ(ExtremeText(ScanMinuteHour(hour.substr(0, hour.size() - 2) + "100").max),
            "100 at 00");
  // Tokens past 60 are named by the last two digits of their position.
  std::string many;
  for (int k = 1; k <= 161; ++k)
    many += (k == 1 ? "" : " ") + std::string(k % 100 == 61 ? "5" : "1");
  EXPECT_EQ(ExtremeText(ScanMinuteHour(many).max), "5 at 61");
  EXPECT_EQ(kelvane::testing::MinutesText(ScanMinuteHour(many).min).substr(0, 3), "00,");
  // Minutes are looked up as two digits.
  const HourExtremes two = ScanMinuteHour("1 1 1 1 1 2");
  EXPECT_TRUE(two.max.At("06"));
  for (const char* minute : {"6", "006", "6 ", " 6", "0x", ""})
    EXPECT_FALSE(two.max.At(minute)) << minute;
  // A number longer than a whole number holds reads as LeadingNumber does.
  const std::string huge = "99999999999999999999";
  EXPECT_EQ(ScanMinuteHour(huge + " -5").max.value, LeadingNumber(huge));
}

// An hour of minute values: every token `base`, the listed tokens (minute
// k) replaced.
std::string MinuteHour(const std::string& base, std::vector<std::pair<int, std::string>> at) {
  std::vector<std::string> tokens(60, base);
  for (const auto& [k, v] : at) tokens[static_cast<size_t>(k - 1)] = v;
  std::string s;
  for (const std::string& t : tokens) s += (s.empty() ? "" : " ") + t;
  return s;
}

struct JFileCase {
  const char* name;
  std::vector<Edit> edits;     // of the element array
  std::vector<Edit> minutes;   // minute data cells (day, hour position)
  std::vector<Finding> expected;
};

// Pressure: the daily maximum 1020.0 hPa at 10:12 (hour 11, position 15),
// the minimum 1000.0 at 05:12 (hour 6, position 10), the minute file
// without the thousands digit as the A file writes it.
TEST(CompareWithJFileTest, StationPressure) {
  const char* P = "本站气压";
  const std::string hour11 = MinuteHour("0150", {{12, "0200"}, {30, "////"}});
  const std::string hour6 = MinuteHour("0050", {{12, "0000"}});
  const std::vector<JFileCase> cases = {
      {"extremes found at their minutes", {}, {}, {}},
      {"maximum value differs",
       {},
       {{1, 15, MinuteHour("0150", {{12, "0199"}})}},
       {{"最高值与对应J文件分钟值不一致", P, "", "1", "最高/11", kS}}},
      {"maximum at another minute",
       {},
       {{2, 15, MinuteHour("0150", {{13, "0200"}})}},
       {{"最高值出现时间与对应J文件分钟值不一致", P, "", "2", "最高时/11", kS}}},
      {"minimum value and minute differ",
       {},
       {{1, 10, MinuteHour("0050", {{11, "9999"}})}},
       {{"最低值与对应J文件分钟值不一致", P, "", "1", "最低/06", kS},
        {"最低值出现时间与对应J文件分钟值不一致", P, "", "1", "最低时/06", kS}}},
      {"full hour: token 60 of the hour ending then",
       {{1, 26, "1100"}},
       {{1, 15, MinuteHour("0150", {{60, "0200"}})}},
       {}},
      {"0000 and 2400 are the day's end (position 4)",
       {{1, 26, "0000"}, {2, 26, "2400"}},
       {{1, 4, MinuteHour("0150", {{60, "0200"}})}, {2, 4, MinuteHour("0150", {{59, "0200"}})}},
       {{"最高值出现时间与对应J文件分钟值不一致", P, "", "2", "最高时/24", kS}}},
      {"20:55 lies in the hour 21 (position 1)",
       {{1, 26, "2055"}},
       {{1, 1, MinuteHour("0150", {{55, "0201"}})}},
       {{"最高值与对应J文件分钟值不一致", P, "", "1", "最高/21", kS}}},
      {"hour without minute values", {}, {{1, 15, MinuteHour("////", {})}}, {}},
      {"missing maximum: only its time is compared",
       {{1, 25, "////"}},
       {{1, 15, MinuteHour("0150", {{13, "0250"}})}},
       {{"最高值出现时间与对应J文件分钟值不一致", P, "", "1", "最高时/11", kS}}},
      {"times that are not four digits", {{1, 26, "930"}, {1, 28, "XXXX"}}, {}, {}},
  };
  for (const JFileCase& c : cases) {
    SCOPED_TRACE(c.name);
    Call call;
    StringArray j = StringArray::Matrix(1, 31, 1, 24);
    for (long d = 1; d <= 2; ++d) {
      j(d, 15) = hour11;
      j(d, 10) = hour6;
    }
    for (const Edit& e : c.minutes) j(e.day, e.column) = e.text;
    const StringArray values = Days(2, 28, PressureDay(), c.edits);
    CompareWithJFile(call.Context(), Grid(values),
                     kelvane::testing::ScanHours(j, MinuteValues::StationPressure), P);
    EXPECT_EQ(call.Findings(), c.expected);
  }
}

TEST(CompareWithJFileTest, TemperatureRecordsAreComparedAsNumbers) {
  const char* T = "气温";
  Call call;
  StringArray j = StringArray::Matrix(1, 31, 1, 24);
  j(1, 19) = MinuteHour("0250", {{37, "0253"}});   // hour 15
  j(1, 10) = MinuteHour("-051", {{5, "-052"}});    // hour 6
  const StringArray values = Days(1, 28, Repeat("0250", 24, {"0253", "1437", "-052", "0505"}));
  Grid t(values);
  const MinuteHours minutes = kelvane::testing::ScanHours(j);
  CompareWithJFile(call.Context(), t, minutes, T);
  EXPECT_EQ(call.Findings(), std::vector<Finding>{});

  // Only arrays with the times of the extremes are compared.
  Call four;
  const StringArray fourValues = Days(1, 6, {"1", "2", "3", "4", "999", "-999"});
  CompareWithJFile(four.Context(), Grid(fourValues), minutes, T);
  EXPECT_EQ(four.Findings(), std::vector<Finding>{});
}

// ---------------------------------------------------------------------------
// AuditMinTempAgainstGround

TEST(AuditMinTempAgainstGroundTest, DailyMinima) {
  struct Case {
    const char* name;
    StringArray t, d0, w;
    std::vector<Finding> expected;
  };
  const char* T = "气温";
  const char* G = "地面温度";
  auto t6 = [](const char* min) { return Days(1, 6, {"0", "0", "0", "0", "100", min}); };
  auto d6 = [](const char* min) { return Days(1, 6, {"0", "0", "0", "0", "100", min}); };
  auto d28 = [](const char* min) { return Days(1, 28, Repeat("0", 24, {"100", "", min, ""})); };
  auto w = [](const char* text) { return Days(1, 1, {text}); };
  const Finding below{"最低气温值低于地面最低温度太多", T, G, "1", "最低", kS};
  const Finding above{"最低气温值高于地面最低温度太多", T, G, "1", "最低", kS};
  const std::vector<Case> cases = {
      {"within both limits", t6("-50"), d6("-100"), w("01,"), {}},
      {"limits themselves allowed", t6("-50"), d6("50"), w(""), {}},
      {"air 11.0 below the ground", t6("-50"), d6("60"), w(""), {below}},
      {"air 15.1 above the ground", t6("110"), d6("-41"), w(""), {above}},
      {"hourly air temperature: minimum in column 27",
       Days(1, 28, Repeat("0", 24, {"9", "", "110", ""})), d6("-41"), w(""), {above}},
      {"ground of 26 columns", t6("-50"), Days(1, 26, Repeat("0", 24, {"100", "60"})), w(""),
       {below}},
      // With the 28-column ground layout the air minimum may lie far below,
      // except over snow cover (code 16).
      {"28-column ground, no snow cover", t6("-50"), d28("60"), w("01,"), {}},
      {"snow cover", t6("-50"), d28("60"), w("01,16,"), {below}},
      {"snow cover first", t6("-50"), d28("60"), w("16,"), {below}},
      {"snow cover in parentheses", t6("-50"), d28("60"), w("(16,"), {below}},
      {"a period ending at minute 16 is no snow cover", t6("-50"), d28("60"),
       w("60 0730-0816,"), {}},
      {"code 116 is no snow cover", t6("-50"), d28("60"), w("116,"), {}},
      {"missing air minimum", t6("////"), d6("60"), w(""), {}},
      {"missing ground minimum", t6("-50"), d6("////"), w(""), {}},
      {"absent minima", t6("-"), d6(""), w(""), {}},
      {"air temperature of four columns", Days(1, 4, {"-50", "0", "0", "0"}), d6("60"), w(""),
       {}},
      {"ground of 24 columns", t6("-50"), Days(1, 24, Repeat("60", 24, {})), w(""), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Call call;
    AuditMinTempAgainstGround(call.Context(), Grid(c.t), Grid(c.d0), Grid(c.w));
    EXPECT_EQ(call.Findings(), c.expected);
  }
}

// ---------------------------------------------------------------------------
// AuditSeaLevelPressure

TEST(AuditSeaLevelPressureTest, Recomputation) {
  const char* SL = "海平面气压";
  const char* related = "本站气压/气温";
  // Two days of four observations; the sea-level values as recomputed.
  const std::vector<std::string> p = {"10100", "10110", "10090", "10080"};
  const std::vector<std::string> t = {"-20", "30", "120", "60"};
  auto seaLevel = [&](int day, int k, const std::string& elevation = "32.8") {
    if (day == 1 && k <= 2) return std::string("1");  // never recomputed
    const std::string& t12 = t[static_cast<size_t>(k >= 3 ? k - 3 : k + 1)];
    return SeaLevelPressure(p[static_cast<size_t>(k - 1)], t[static_cast<size_t>(k - 1)], t12,
                            elevation);
  };
  ASSERT_NE(seaLevel(2, 1), seaLevel(2, 3));
  auto p0 = [&](std::vector<Edit> edits) {
    StringArray a = StringArray::Matrix(1, 2, 1, 4);
    for (int d = 1; d <= 2; ++d)
      for (int k = 1; k <= 4; ++k) a(d, k) = seaLevel(d, k);
    for (const Edit& e : edits) a(e.day, e.column) = e.text;
    return a;
  };
  auto plus = [&](int day, int k, int d) {
    return std::to_string(std::stoi(seaLevel(day, k)) + d);
  };
  auto four = [](const std::vector<std::string>& row, std::vector<Edit> edits = {}) {
    std::vector<std::string> r = row;
    r.insert(r.end(), {"", ""});
    return Days(2, 6, r, edits);
  };
  // The same values in hourly arrays (the fixed hours in columns 6, 12, 18, 24).
  auto hourly = [](const std::vector<std::string>& row) {
    std::vector<std::string> r(28, "0");
    for (size_t k = 0; k < 4; ++k) r[6 * k + 5] = row[k];
    return Days(2, 28, r);
  };
  struct Case {
    const char* name;
    StringArray p0, p, t;
    std::vector<Finding> expected;
    const char* elevation = "32.8";
  };
  const std::vector<Case> cases = {
      {"recorded as recomputed", p0({}), four(p), four(t), {}},
      {"differences, either way", p0({{2, 3, plus(2, 3, 3)}, {2, 2, plus(2, 2, -2)}}), four(p),
       four(t),
       {{"计算值与记录值的差为2", SL, related, "2", "8", kE},
        {"计算值与记录值的差为-3", SL, related, "2", "14", kE}}},
      {"day 1 at 14 h", p0({{1, 3, plus(1, 3, 1)}}), four(p), four(t),
       {{"计算值与记录值的差为-1", SL, related, "1", "14", kE}}},
      {"malformed and missing records", p0({{1, 1, "1010.5"}, {2, 4, "////"}, {2, 1, "-"}}),
       four(p), four(t),
       {{"记录格式错误", SL, "", "1", "2", kE}, {"记录格式错误", SL, "", "2", "20", kE}}},
      // A missing input leaves the hour without a recomputed value.
      {"missing station pressure", p0({{2, 2, "9"}}), four(p, {{2, 2, "////"}}), four(t), {}},
      {"missing temperature 12 hours earlier", p0({{2, 1, "9"}}), four(p),
       four(t, {{1, 3, "////"}}), {}},
      {"missing temperature now", p0({{2, 4, "9"}}), four(p), four(t, {{2, 4, "-"}}), {}},
      {"hourly arrays", p0({{2, 4, plus(2, 4, 5)}}), hourly(p), hourly(t),
       {{"计算值与记录值的差为-5", SL, related, "2", "20", kE}}},
      // Each array is read in its own layout.
      {"hourly pressure, temperature four times a day", p0({{2, 4, plus(2, 4, 5)}}), hourly(p),
       four(t), {{"计算值与记录值的差为-5", SL, related, "2", "20", kE}}},
      {"barometer elevation in parentheses", p0({}), four(p), four(t), {}, "(32.8)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Call call;
    call.para(11) = Variant(c.elevation);
    AuditSeaLevelPressure(call.Context(), Grid(c.p0), Grid(c.p), Grid(c.t));
    EXPECT_EQ(call.Findings(), c.expected);
  }
}

// ---------------------------------------------------------------------------
// The sample station files

TEST(PressureTemperatureSampleTest, SampleStationFilesPass) {
  const kelvane::testing::SampleStationDir samples;
  const std::string sys = samples.SysPath();
  int files = 0;
  for (const sample::SampleStation& st : sample::SampleStations()) {
    for (int month : {2, 3}) {
      const std::string path =
          (samples.root() / "data" / sample::SampleAFileName(st, 2012, month)).string();
      SCOPED_TRACE(path);
      Call call;
      host::DecodedAFile d;
      ASSERT_TRUE(kelvane::testing::DecodeSample(sys, path, call, d));
      ASSERT_TRUE(call.para(6).Truth());
      ASSERT_TRUE(LoadAuditRules(sys, call.para(7).Text(), call.para(3).Text(), call.rules));
      AuditContext& cx = call.Context();
      const Grid P(d.strP), T(d.strT), D0(d.strD0), GLT(d.strGLT), P0(d.strP0), w(d.strw);
      AuditHourlyElement(cx, P, "本站气压", 0);
      AuditHourlyElement(cx, T, "气温", 6);
      AuditMinTempAgainstGround(cx, T, D0, w);
      AuditHourlyElement(cx, D0, "地面温度", 17);
      AuditSeaLevelPressure(cx, P0, P, T);
      AuditHourlyElement(cx, GLT, "草面温度", 105);
      for (const Finding& f : call.Findings())
        ADD_FAILURE() << st.StationNum << "-" << month << " | " << f.message << " | " << f.element
                      << " | " << f.day << " | " << f.time;
      ++files;
    }
  }
  EXPECT_EQ(files, 6);
}

}  // namespace
}  // namespace kelvane::afile::audit
