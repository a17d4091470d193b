// The weather phenomena audit: the day text grammar and its issues, the
// time conversion and direction helpers, every record, period and
// thunderstorm rule, the month flags, the mountain station, the early end
// of the audit, the failure handling of its steps, and the sample files.
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "afile/audit/audits.h"
#include "afile/audit/rules.h"
#include "afile/audit/weather_phenomena.h"
#include "afile/audit/weather_text.h"
#include "audit_test_support.h"
#include "common/error.h"
#include "host/decoder.h"
#include "sample/sample_stations.h"
#include "sample/sample_weather.h"
#include "kelvane/kelvane.h"

namespace kelvane::afile::audit {
namespace {

using W = WeatherSyntax;

}  // namespace

void PrintTo(const WeatherIssue& i, std::ostream* os) {
  *os << "{" << i.offset << ", " << static_cast<int>(i.what) << "}";
}

namespace {

// ---------------------------------------------------------------------------
// Helpers

TEST(WeatherTimes, MinutesSinceTwentyOClock) {
  struct Case {
    const char* time;
    TimeRole role;
    int minutes;
  };
  const Case cases[] = {
      {"////", TimeRole::Start, -1}, {"////", TimeRole::End, -1},
      {"2000", TimeRole::Start, 0},  {"2000", TimeRole::End, 1440},
      {"2030", TimeRole::End, 30},   {"2030", TimeRole::Start, 30},
      {"2100", TimeRole::Start, 60}, {"2400", TimeRole::End, 240},
      {"0000", TimeRole::Start, 240}, {"0015", TimeRole::End, 255},
      {"0100", TimeRole::Start, 300}, {"0800", TimeRole::Start, 720},
      {"1959", TimeRole::End, 1439}, {"2500", TimeRole::Start, 0},
      {"0830", TimeRole::Start, 750}, {"08", TimeRole::Start, 720},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PhenomenonMinutes(c.time, c.role), c.minutes) << c.time;

  EXPECT_FALSE(IsBadPhenomenonTime("2400", TimeRole::End));
  EXPECT_TRUE(IsBadPhenomenonTime("0000", TimeRole::End));
  EXPECT_FALSE(IsBadPhenomenonTime("0000", TimeRole::Start));
  EXPECT_TRUE(IsBadPhenomenonTime("2400", TimeRole::Start));
}

TEST(WeatherCodes, CodesDirectionsAndSequence) {
  for (const char* good : {"01", "17", "42", "89", ""}) EXPECT_FALSE(IsBadPhenomenonCode(good)) << good;
  for (const char* bad : {"00", "09", "61", "1", "0", "1,", "AB", "017"})
    EXPECT_TRUE(IsBadPhenomenonCode(bad)) << bad;

  for (const char* good : {"N", "NE", "E", "SE", "S", "SW", "W", "NW", "Z"})
    EXPECT_FALSE(IsBadThunderDirection(good)) << good;
  for (const char* bad : {"", "n", "NNE", "X", "EN"}) EXPECT_TRUE(IsBadThunderDirection(bad)) << bad;
  EXPECT_EQ(ThunderDirectionDegrees("Z"), 361);
  EXPECT_EQ(ThunderDirectionDegrees("N"), 360);
  EXPECT_EQ(ThunderDirectionDegrees("SW"), 225);
  EXPECT_EQ(ThunderDirectionDegrees("X"), 0);

  // The rest of CheckPeriodSequence shows in the audit's period cases.
  EXPECT_EQ(CheckPeriodSequence(-1, 10, Sequence::WithinPeriod), "");
  EXPECT_EQ(CheckPeriodSequence(780, -1, Sequence::BetweenPeriods), "");

  EXPECT_TRUE(IsWithoutTimes("(10,)42,60,."));
  EXPECT_TRUE(IsWithoutTimes(""));
  EXPECT_FALSE(IsWithoutTimes("42[3],."));
}

// ---------------------------------------------------------------------------
// Parser

TEST(WeatherText, ReadsNightRecordsPeriodsVisibilityAndDirections) {
  WeatherDay day;
  day.Parse("(10,42[300],)60 0830[500]-0900'1000...1100,17 1400-1500;W-s-E,.");
  EXPECT_EQ(day.text(), "(10,42[300],)60 0830[500]-0900'1000...1100,17 1400-1500;W:S:E,.");
  EXPECT_TRUE(day.issues().empty()) << static_cast<int>(day.issues()[0].what);
  EXPECT_EQ(day.lastNightIndex(), 2);
  const auto& r = day.records();
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0].code(), "10");
  EXPECT_TRUE(r[0].night);
  EXPECT_EQ(r[0].form, RecordForm::Bare);
  EXPECT_EQ(r[1].form, RecordForm::Visibility);
  EXPECT_EQ(r[1].visibility(), "300]");
  EXPECT_EQ(r[1].offset, 4u);
  EXPECT_FALSE(r[2].night);
  EXPECT_EQ(r[2].index, 3);
  EXPECT_EQ(r[2].offset, 13u);
  ASSERT_EQ(r[2].periodCount, 2u);

  const WeatherPeriod& a = *day.begin(r[2]);
  EXPECT_EQ(a.start(), "0830");
  EXPECT_EQ(a.end(), "0900");
  EXPECT_EQ(a.startMinutes, 750);
  EXPECT_EQ(a.endMinutes, 780);
  EXPECT_EQ(a.visibility(), "500");
  EXPECT_EQ(a.core(), "0830[500]-0900");  // cut out only after the codes that may carry one
  EXPECT_EQ(a.offset, 16u);
  const WeatherPeriod& b = *(day.begin(r[2]) + 1);
  EXPECT_TRUE(b.dotted);
  EXPECT_EQ(b.written(), "1000...1100");
  EXPECT_EQ(b.text(), "1000-1100");
  EXPECT_EQ(b.endMinutes, 900);

  const WeatherPeriod& t = *day.begin(r[3]);
  ASSERT_EQ(t.directionCount, 3u);
  EXPECT_EQ(t.directions()[0], "W");
  EXPECT_EQ(t.directions()[1], "S");
  EXPECT_EQ(t.lastDirection(), "E");
  EXPECT_EQ(t.core(), "1400-1500");
}

TEST(WeatherText, UnknownTimesTakeTheOtherEnd) {
  WeatherDay day;
  day.Parse("60 ////-0900'0930-////'////,.");
  const auto& p = day.periods();
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[0].writtenStart, -1);
  EXPECT_EQ(p[0].startMinutes, 780);
  EXPECT_EQ(p[1].writtenEnd, -1);
  EXPECT_EQ(p[1].endMinutes, 810);
  EXPECT_EQ(p[2].startMinutes, -1);
  EXPECT_EQ(p[2].endMinutes, -1);
  EXPECT_TRUE(day.issues().empty());
}

TEST(WeatherText, IssuesPointAtWhereTheTextGoesWrong) {
  struct Case {
    const char* text;
    std::vector<WeatherIssue> issues;
  };
  const Case cases[] = {
      {".", {}},
      {"(10,42,)60 0830-0900'1000...1100,17 1400;W:NE:E,.", {}},
      {"", {{0, W::Unfinished}}},
      {"60 0830-0900,", {{13, W::Unfinished}, {13, W::EmptyRecord}}},
      {"60 0830-0900.", {{12, W::AfterPeriod}, {13, W::Unfinished}}},
      {"10,,.", {{3, W::EmptyRecord}}},
      {"10,.,42,.", {{3, W::EmptyRecord}}},
      {"60 08x0-0900,.", {{5, W::Time}}},
      {"60 0830-090,.", {{11, W::Time}}},
      {"60 0830x,.", {{7, W::AfterTime}}},
      {"60 0830..0900,.", {{7, W::AfterTime}}},
      {"60 0830-0900x,.", {{12, W::AfterPeriod}}},
      {"60 0830-0900'',.", {{13, W::Time}, {14, W::Time}}},
      {"61 0830,.", {{0, W::Code}}},
      {"6,10,.", {{0, W::Code}}},
      {"60x0830,.", {{2, W::AfterCode}}},
      {"60  0830,.", {{3, W::Time}}},
      {"42 [300],.", {{3, W::Time}}},
      {"42[3x0],.", {{4, W::Visibility}}},
      {"42[],.", {{3, W::Visibility}}},
      {"42[300]x,.", {{7, W::AfterPeriod}}},
      {"(10,)60 0830[5x]-0900,.", {{14, W::Visibility}}},
      {"42 0830[300-0900,.", {{11, W::Visibility}}},
      {"17 1400-1500;W:E:N:S,.", {{19, W::Direction}}},
      {"17 1400-1500;Q,.", {{13, W::Direction}}},
      {"17 1400-1500;,.", {{13, W::Direction}}},
      {"17 1400-1500;W/E,.", {{14, W::Direction}}},
      {"10,(42,).", {{3, W::Parenthesis}}},
      {"(10,42).", {{6, W::Parenthesis}, {7, W::AfterCode}}},
      {"(10,42,60,.", {{0, W::Parenthesis}}},
      {"10,42,),.", {{6, W::Parenthesis}, {7, W::EmptyRecord}}},
      {"10 ,.", {{2, W::BlankBeforeComma}, {3, W::Time}}},
      {"中,.", {{0, W::Code}, {5, W::Unfinished}}},
  };
  WeatherDay day;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    day.Parse(c.text);
    EXPECT_EQ(day.issues(), c.issues);
    for (const WeatherIssue& i : day.issues()) EXPECT_FALSE(Describe(i.what).empty());
  }
}

// ---------------------------------------------------------------------------
// The audit

struct Finding {
  int day;
  std::string message;
  char level;  // 'E' 错误, 'S' 可疑
  bool operator==(const Finding&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Finding& f) {
  return os << "{" << f.day << ", \"" << f.message << "\", '" << f.level << "'}";
}

struct AuditCase {
  const char* name;
  std::vector<std::string> days;
  std::vector<Finding> findings;
  bool mountain = false;
};

class WeatherAudit : public ::testing::Test, protected kelvane::testing::AuditInputs {
 protected:
  WeatherAudit() { cls(11) = "0"; }

  // Audits one text per day and returns the findings, checking the columns
  // every finding of this audit shares.
  std::vector<Finding> Run(const std::vector<std::string>& days, bool mountain = false) {
    list.Clear();
    StringArray w = StringArray::Matrix(1, static_cast<long>(days.size()), 1, 1);
    for (size_t d = 0; d < days.size(); ++d) w(static_cast<long>(d) + 1, 1) = days[d];
    AuditContext cx = Context(mountain);
    const Grid none;
    AuditWeatherPhenomena(cx, Grid(w), none, none, none, none, none, none, none, none, none,
                          none, mountain);
    std::vector<Finding> out;
    for (const AuditList::Row& r : list.rows()) {
      EXPECT_EQ(r[1], "天气现象");
      EXPECT_EQ(r[2], "");
      EXPECT_EQ(r[4], "");
      EXPECT_EQ(r[5], "");
      EXPECT_TRUE(r[6] == "错误" || r[6] == "可疑") << r[6];
      out.push_back({std::stoi(r[3]), r[0], r[6] == "错误" ? 'E' : 'S'});
    }
    return out;
  }

  void ExpectFindings(const std::vector<AuditCase>& cases) {
    for (const AuditCase& c : cases) {
      SCOPED_TRACE(c.name);
      EXPECT_EQ(Run(c.days, c.mountain), c.findings);
    }
  }
};


TEST_F(WeatherAudit, WholeTextAndRecords) {
  const std::vector<AuditCase> cases = {
      {"no phenomena", {"."}, {}},
      {"bare codes and periods", {"01,10,60 0830-0900,."}, {}},
      {"final dot missing",
       {"60 0830-0900,"},
       {{1, "天气现象不完整", 'E'}, {1, "天气现象中有格式错误", 'E'}}},
      {"absent day", {"-", ""}, {{1, "天气现象不完整", 'E'}, {2, "天气现象不完整", 'E'}}},
      {"lone bracket",
       {"(10,60 0830-0900,."},
       {{1, "夜间天气现象括号不完整", 'E'}}},
      {"brackets of a minimum visibility unpaired",
       {"60 0830-0900],."},
       {{1, "最小能见度记录格式可能错误", 'S'}, {1, "60的最小能见度格式错误", 'E'},
        {1, "60的起止时间段格式错误", 'E'}}},
      {"one character",
       {"6,."},
       {{1, "天气现象不完整", 'E'}, {1, "天气现象中有格式错误", 'E'}, {1, "天气现象代码错", 'E'}}},
      {"unknown code", {"61,."}, {{1, "天气现象代码错61", 'E'}}},
      {"codes and times count characters",
       {"中国 0830-0900,60 09中0-1000,."},
       {{1, "天气现象代码错中国", 'E'}, {1, "60的开始时间错09中0", 'E'}}},
      {"bare code that takes times",
       {"60,10,.", "60 0830-0900,."},
       {{1, "60可能漏记起止时间", 'S'}}},
      {"night bare codes take no times", {"(60,)10,.", "60 0830-0900,."}, {}},
      {"code not followed by a blank",
       {"60x0830-0900,."},
       {{1, "天气现象代码错", 'E'}, {1, "60的开始时间错x083", 'E'},
        {1, "60的起止时间段格式错误", 'E'}}},
      {"visibility after a code without one", {"60[300],."}, {{1, "天气现象代码错", 'E'}}},
      {"visibility record above 999", {"42[1000],."}, {{1, "42的最小能见度不能>999", 'E'}}},
      {"visibility given twice",
       {"42[300],42[400],."},
       {{1, "42最小能见度记载重复", 'E'}, {1, "天气现象有重复42", 'E'}}},
      {"visibility in a record and in a period",
       {"42[300],42 0830[200]-0900,."},
       {{1, "42最小能见度记载重复", 'E'}, {1, "天气现象有重复42", 'E'}}},
      {"code that takes no times", {"10 0800-0900,."}, {{1, "10不能有起止时间", 'E'}}},
  };
  ExpectFindings(cases);
}

TEST_F(WeatherAudit, MissingMinimumVisibilityAndTheMountainStation) {
  const std::vector<AuditCase> cases = {
      {"fog", {"42 0600-0900,."}, {{1, "42漏记最小能见度", 'S'}}},
      {"fog at a mountain station", {"42 0600-0900,."}, {}, true},
      {"sandstorm at a mountain station", {"31 1000-1100,."}, {{1, "31漏记最小能见度", 'S'}}, true},
      {"snowstorm", {"39 1000-1100,."}, {{1, "39漏记最小能见度", 'S'}}},
      {"fog bare in a month with times",
       {"42,.", "60 0830-0900,."},
       {{1, "42可能漏记起止时间", 'S'}, {1, "42漏记最小能见度", 'S'}}},
      {"visibility in the period", {"42 0600[300]-0900,."}, {}},
      {"visibility in its own night record", {"(42[300],)42 0800-0900,."}, {}},
      {"another record's time ending in 42 does not count",
       {"06 0842[800]-1000,42 0900-0930,."},
       {{1, "42漏记最小能见度", 'S'}}},
      {"a month recorded without times",
       {"42,60,.", "(17,)31,."},
       {}},
  };
  ExpectFindings(cases);
}

TEST_F(WeatherAudit, Periods) {
  const std::vector<AuditCase> cases = {
      {"gale with a dotted period",
       {"15 0800...0900,."},
       {{1, "15的起止时间不能用虚线连接", 'E'}}},
      {"rain may be dotted", {"60 0800...0900,."}, {}},
      {"period too short", {"60 083,."}, {{1, "60的起止时间错083", 'E'}}},
      {"dotted and too short",
       {"17 ...,."},
       {{1, "17的起止时间不能用虚线连接", 'E'}, {1, "17的起止时间错-", 'E'}}},
      {"night brackets in the month: day record before 08",
       {"(10,)60 0700-0800,.", "60 0800-0900,."},
       {{1, "60的开始时间应在08时之后", 'E'}}},
      {"records out of order",
       {"60 0900-1000,42 0800[300]-0830,."},
       {{1, "60和42的开始时间矛盾0800", 'E'}}},
      {"bad start", {"60 2460-0900,."}, {{1, "60的开始时间错2460", 'E'}}},
      {"end 0000 invalid",
       {"60 0830-0000,."},
       {{1, "60的终止时间错0000", 'E'}, {1, "60的开始时间与终止时间矛盾!", 'E'}}},
      {"end 2400 valid, 2000 as start and end", {"60 2200-2400'2000...2100,60 1900-2000,."},
       {{1, "60的后一开始时间与前一终止时间矛盾!", 'E'}, {1, "天气现象有重复60", 'E'}}},
      {"end before start", {"60 0900-0830,."}, {{1, "60的开始时间与终止时间矛盾!", 'E'}}},
      {"squall with an end", {"18 1000-1005,."}, {{1, "飑不能有终止时间", 'E'}}},
      {"next start 15 minutes after",
       {"60 0830-0900'0915-1000,."},
       {{1, "60的后一开始时间与前一终止时间相隔15分钟,须用虚线连接!", 'E'}}},
      {"next start 16 minutes after", {"60 0830-0900'0916-1000,."}, {}},
      {"next start before the previous end",
       {"60 0830-0900'0850-1000,."},
       {{1, "60的后一开始时间与前一终止时间矛盾!", 'E'}}},
      {"thunderstorm starting before the previous one",
       {"17 1200-1300;W'1100-1130;E,."},
       {{1, "雷暴开始时间与前一开始时间矛盾", 'E'}}},
      {"visibility after rain's start",
       {"60 0830[300]-0900,."},
       {{1, "60不能有最小能见度", 'E'}, {1, "60的起止时间段格式错误", 'E'}}},
      {"visibility in a period above 999",
       {"42 0830[1200]-0900,."},
       {{1, "42的最小能见度不能>999", 'E'}}},
      {"visibility brackets reversed",
       {"42 0830]300[-0900,."},
       {{1, "42的最小能见度格式错误", 'E'}}},
      {"visibility bracket not closed",
       {"42 0830[300-0900,."},
       {{1, "最小能见度记录格式可能错误", 'S'}, {1, "42的最小能见度格式错误", 'E'},
        {1, "42的起止时间段格式错误", 'E'}}},
      {"direction after rain", {"60 0830-0900;W,."}, {{1, "60不能有方位", 'E'}}},
      {"period too long", {"60 0830-09000,."}, {{1, "60的起止时间段格式错误", 'E'}}},
      {"start only", {"17 1400;W,.", "60 0830,."}, {}},
  };
  ExpectFindings(cases);
}

TEST_F(WeatherAudit, ThunderstormDirections) {
  const std::vector<AuditCase> cases = {
      {"bad start", {"17 1200-1300;X,."}, {{1, "雷暴的开始方位格式错误", 'E'}}},
      {"nothing after the semicolon", {"17 1200-1300;,."}, {{1, "雷暴的开始方位格式错误", 'E'}}},
      {"opposite without middle", {"17 1200-1300;W:E,."}, {{1, "漏记雷暴中间方位", 'E'}}},
      {"written with a dash", {"17 1200-1300;W-e,."}, {{1, "漏记雷暴中间方位", 'E'}}},
      {"same start and end", {"17 1200-1300;N:N,."}, {{1, "漏记雷暴中间方位", 'E'}}},
      {"bad end", {"17 1200-1300;W:Q,."}, {{1, "雷暴的终止方位格式错误", 'E'}}},
      {"through the north", {"17 1200-1300;W:N:E,."}, {}},
      {"middle not needed", {"17 1200-1300;E:SE:S,."}, {{1, "多记雷暴中间方位", 'E'}}},
      {"north counts as 360", {"17 1200-1300;N:NE:E,."}, {}},
      {"overhead middle", {"17 1200-1300;E:Z:S,."}, {}},
      {"middle contradicts both",
       {"17 1200-1300;E:E:W,."},
       {{1, "雷暴开始与中间方位矛盾", 'E'}, {1, "雷暴中间与终止方位矛盾", 'E'}}},
      {"bad middle and end",
       {"17 1200-1300;E:X:Y,."},
       {{1, "雷暴的中间方位格式错误", 'E'}, {1, "雷暴的终止方位格式错误", 'E'}}},
      {"four directions", {"17 1200-1300;N:E:S:W,."}, {{1, "雷暴的终止方位格式错误", 'E'}}},
      {"same start twice",
       {"17 1200-1300;W'1200-1330;W,."},
       {{1, "前后两次雷暴过程的开始时间和开始方位相同错误", 'E'},
        {1, "同一雷暴系统起止时间分段错", 'E'}}},
      {"one system split", {"17 1200-1300;W'1310-1400;W,."}, {{1, "同一雷暴系统起止时间分段错", 'E'}}},
      {"split from another direction", {"17 1200-1300;W'1310-1400;E,."}, {}},
      {"across midnight of the observation day",
       {"17 1900-2000;W,.", "17 2005-2100;W,."},
       {{2, "前一日雷暴终止时间与该日雷暴开始时间记录错", 'E'}}},
      {"across days from another direction", {"17 1900-2000;W,.", "17 2005-2100;E,."}, {}},
      {"a day without thunderstorm between",
       {"17 1900-2000;W,.", ".", "17 2005-2100;W,."},
       {}},
  };
  ExpectFindings(cases);
}

TEST_F(WeatherAudit, DuplicatesAndTheMonth) {
  const std::vector<AuditCase> cases = {
      {"night duplicates: the first pair", {"(10,05,10,05,)10,."}, {{1, "夜间天气现象有重复10", 'E'}}},
      {"day duplicates: the first pair", {"05,10,05,10,."}, {{1, "天气现象有重复05", 'E'}}},
      {"night and day do not pair", {"(10,)10,."}, {}},
      {"a blank before a comma ends the audit",
       {"61,.", "60 0830-0900 ,61,.", "61,."},
       {{1, "天气现象代码错61", 'E'},
        {2, "天气现象不能连接记载,应转分段记载,余下记录没审核!", 'E'}}},
  };
  ExpectFindings(cases);
}

// Times written "////" take part in no comparison of times: not in the
// 08 o'clock rule, not in the order of records, not between thunderstorm
// periods.
TEST_F(WeatherAudit, UnknownTimesAreNotCompared) {
  const std::vector<AuditCase> cases = {
      {"night brackets, unknown start", {"(10,)60 ////-0900,."}, {}},
      {"order of records, unknown start", {"60 0900-1000,42 ////[300]-0830,."}, {}},
      {"order after an unknown start", {"60 ////-1000,42 0800[300]-0830,."}, {}},
      {"thunderstorm periods with unknown starts", {"17 ////;W'////;W,."}, {}},
      {"unknown end", {"60 0830-////'0840-0900,."},
       {{1, "60的后一开始时间与前一终止时间相隔15分钟,须用虚线连接!", 'E'}}},
      {"thunderstorm across days, unknown end", {"17 1900-////;W,.", "17 2005-2100;W,."}, {}},
  };
  ExpectFindings(cases);
}

TEST_F(WeatherAudit, ModeCodeWithoutDataSkipsTheAudit) {
  cls(11) = "0=";
  EXPECT_EQ(Run({"61,."}), std::vector<Finding>{});
  cls(11) = "";
  EXPECT_EQ(Run({"61,."}), (std::vector<Finding>{{1, "天气现象代码错61", 'E'}}));
}

TEST(WeatherSteps, AnErrorAbandonsOnlyItsStep) {
  std::vector<int> ran;
  RunWeatherStep([&] {
    ran.push_back(1);
    throw Error(6, "Overflow");
    ran.push_back(2);
  });
  RunWeatherStep([&] {
    ran.push_back(3);
    throw SubscriptError("rule 115");
  });
  RunWeatherStep([&] { ran.push_back(4); });
  EXPECT_EQ(ran, (std::vector<int>{1, 3, 4}));
  EXPECT_THROW(RunWeatherStep([] { throw std::bad_alloc(); }), std::bad_alloc);
}

// ---------------------------------------------------------------------------
// Sample data

// The texts the sample writer produces read without a grammar issue and
// without a finding, for every station over a year.
TEST(WeatherSamples, WriterTextsParseAndPass) {
  WeatherDay day;
  for (const sample::SampleStation& s : sample::SampleStations())
    for (int month = 1; month <= 12; ++month) {
      const sample::SampleWeather model(s, 2012, month, 7);
      StringArray w = StringArray::Matrix(1, model.Days(), 1, 1);
      for (int d = 1; d <= model.Days(); ++d) {
        w(d, 1) = model.WeatherText(d);
        day.Parse(w(d, 1));
        EXPECT_TRUE(day.issues().empty()) << s.id << " " << month << "/" << d << " " << w(d, 1);
      }
      kelvane::testing::AuditInputs in;
      AuditContext cx = in.Context();
      const Grid none;
      AuditWeatherPhenomena(cx, Grid(w), none, none, none, none, none, none, none, none, none,
                            none, false);
      for (const AuditList::Row& r : in.list.rows())
        ADD_FAILURE() << s.id << " " << month << "/" << r[3] << ": " << r[0];
    }
}

// The sample station files, decoded as a host decodes them, pass the audit.
TEST(WeatherSamples, DecodedStationFilesPass) {
  const kelvane::testing::SampleStationDir samples;
  ASSERT_EQ(samples.files().size(), 6u);
  for (const std::string& path : samples.files()) {
    SCOPED_TRACE(path);
    kelvane::testing::AuditInputs in;
    host::DecodedAFile d;
    ASSERT_TRUE(kelvane::testing::DecodeSample(samples.SysPath(), path, in, d));
    // The station's rule values: the rules against the other elements read
    // them.
    ASSERT_TRUE(LoadAuditRules(samples.SysPath(), in.para(7).Text(), in.para(3).Text(), in.rules));
    AuditContext cx = in.Context();
    const Grid none;
    AuditWeatherPhenomena(cx, Grid(d.strw), Grid(d.strT), Grid(d.strU), Grid(d.strNN),
                          Grid(d.strCC), Grid(d.strV), Grid(d.strR), Grid(d.strFDFF),
                          Grid(d.strD0), Grid(d.strDYF), Grid(d.strZJRR), false);
    for (const AuditList::Row& r : in.list.rows())
      ADD_FAILURE() << "day " << r[3] << ": " << r[0];
    EXPECT_GT(d.strw.UBound(1), 27);
  }
}

}  // namespace
}  // namespace kelvane::afile::audit
