// R-file audit: each case decodes a valid sample file (53772 class 3 for the
// global rules, 54399 class 1 for the others; March 2012), changes a few
// cells of the element arrays and lists every finding in seven columns. The
// rule loader and the time test are checked on both database engines.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "common/database.h"
#include "common/text.h"
#include "rfile/audit/driver.h"
#include "rfile_test_support.h"
#include "sample/sample_sysdir.h"

namespace kelvane {
namespace {

struct Case {
  const char* name;
  const char* station;
  std::function<void(RFileArrays&)> edit;
  std::vector<std::string> expect;
};

// Sets hour j of day i and keeps the daily total the sum of the hours.
void SetHour(StringArray& a, int i, int j, long v, int width = 3) {
  const long old = LeadingInteger(a(i, j));
  std::string s = Num(v < 0 ? -v : v);
  while (static_cast<int>(s.size()) < width - (v < 0)) s.insert(0, "0");
  if (v < 0) s.insert(0, "-");
  a(i, j) = s;
  a(i, 25) = Num(LeadingInteger(a(i, 25)) - old + v);
}

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"valid class 3", "53772", [](RFileArrays&) {}, {}},
      {"valid class 1", "54399", [](RFileArrays&) {}, {}},
      // Global (53772): March rules hour 310, day 2190, maximum 1000.
      {"hour above its limit", "53772", [](RFileArrays& a) { SetHour(a.strRFileG, 1, 13, 345); },
       {"时总量偏大 | 总辐射 |  | 1 | 12-13 |  | 可疑"}},
      {"hour not numeric", "53772", [](RFileArrays& a) { a.strRFileG(2, 12) = "1a0"; },
       {"记录格式错误 | 总辐射 |  | 2 | 11-12 |  | 错误",
        "日总量值与各时之和不一致 | 总辐射 |  | 2 | 日总量 |  | 错误"}},
      // A "-" hour with a "-" total: only the interpolation finding.
      {"one missing hour", "53772",
       [](RFileArrays& a) {
         a.strRFileG(3, 12) = "-";
         a.strRFileG(3, 25) = "-";
       },
       {"该时总量不应记“-”,应用插值求得 | 总辐射 |  | 3 | 11-12 |  | 错误"}},
      {"missing hour with a total", "53772",
       [](RFileArrays& a) {
         a.strRFileG(3, 12) = "-";
         a.strRFileG(3, 13) = "-";
       },
       {"该日各时次记录有缺测,总量值也应作缺测处理 | 总辐射 |  | 3 | 日总量 |  | 错误"}},
      // Hour 24 of day 4 and hour 1 of day 5 are neighbours.
      {"interpolation across midnight", "53772",
       [](RFileArrays& a) {
         a.strRFileG(4, 24) = "-";
         a.strRFileG(4, 25) = "-";
       },
       {"该时总量不应记“-”,应用插值求得 | 总辐射 |  | 4 | 23-24 |  | 错误"}},
      {"a day without records", "53772",
       [](RFileArrays& a) {
         for (int j = 1; j <= 28; ++j) a.strRFileG(6, j) = "";
       },
       {}},
      {"total differs from the hours", "53772",
       [](RFileArrays& a) { a.strRFileG(7, 25) = Num(LeadingInteger(a.strRFileG(7, 25)) + 1); },
       {"日总量值与各时之和不一致 | 总辐射 |  | 7 | 日总量 |  | 错误"}},
      {"maximum of 1701", "53772", [](RFileArrays& a) { a.strRFileG(8, 26) = "1701"; },
       {"最大值偏大 | 总辐射 |  | 8 | 日最大 |  | 可疑",
        "最大值偏大 | 总辐射 |  | 8 | 日最大 |  | 可疑"}},
      {"maximum above its limit", "53772", [](RFileArrays& a) { a.strRFileG(8, 26) = "1101"; },
       {"最大值偏大 | 总辐射 |  | 8 | 日最大 |  | 可疑"}},
      {"times of the maximum", "53772",
       [](RFileArrays& a) {
         a.strRFileG(9, 27) = "2460";
         a.strRFileG(10, 27) = "12345";
         a.strRFileG(11, 27) = "12:3";
         a.strRFileG(12, 27) = "XXXX";
       },
       {"日最大值出现时间不合理 | 总辐射 |  | 9 | 最大时间 |  | 可疑",
        "日最大值出现时间格式错误 | 总辐射 |  | 9 | 最大时间 |  | 可疑",
        // day 10 is cloudy: the time is late, but not unreasonable
        "日最大值出现时间格式错误 | 总辐射 |  | 10 | 最大时间 |  | 可疑",
        "日最大值出现时间不合理 | 总辐射 |  | 11 | 最大时间 |  | 可疑",
        "日最大值出现时间格式错误 | 总辐射 |  | 11 | 最大时间 |  | 可疑",
        "日最大值出现时间不合理 | 总辐射 |  | 12 | 最大时间 |  | 可疑"}},
      {"negative and long sunshine", "53772",
       [](RFileArrays& a) {
         a.strRFileG(13, 28) = "-01";
         a.strRFileG(14, 28) = "130";
       },
       {"日照时数应大于0 | 总辐射 |  | 13 | 日照时数 |  | 可疑",
        "日照时数应小于总辐射记录起止时间内的总时数 | 总辐射 |  | 14 | 日照时数 |  | 可疑"}},
      {"all days missing", "53772",
       [](RFileArrays& a) {
         for (int i = 1; i <= 31; ++i) a.strRFileG(i, 25) = "-";
       },
       [] {
         std::vector<std::string> v;
         for (int i = 1; i <= 31; ++i)
           v.push_back("日总量值与各时之和不一致 | 总辐射 |  | " + Num(i) + " | 日总量 |  | 错误");
         return v;
       }()},
      // Net (54399).
      {"net maximum time outside the hours", "54399",
       [](RFileArrays& a) {
         a.strRFileN(1, 27) = "2430";
         a.strRFileN(2, 27) = "9999";
       },
       {"日最大值出现时间不合理 | 净全辐射 |  | 1 | 最大时间 |  | 可疑",
        "日最大值出现时间格式错误 | 净全辐射 |  | 1 | 最大时间 |  | 可疑",
        "日最大值出现时间不合理 | 净全辐射 |  | 2 | 最大时间 |  | 可疑",
        "日最大值出现时间格式错误 | 净全辐射 |  | 2 | 最大时间 |  | 可疑"}},
      {"net maximum in a night hour", "54399", [](RFileArrays& a) { a.strRFileN(1, 27) = "0230"; },
       {"最大值与出现时间段的曝辐量不一致 | 净全辐射 |  | 1 | 日最大 |  | 可疑",
        "日最大值出现时间不合理 | 净全辐射 |  | 1 | 最大时间 |  | 可疑"}},
      {"net signs and global", "54399",
       [](RFileArrays& a) {
         SetHour(a.strRFileN, 1, 12, -10, 4);
         SetHour(a.strRFileN, 1, 2, 3, 4);
         SetHour(a.strRFileN, 1, 13, LeadingInteger(a.strRFileG(1, 13)), 4);
         a.strRFileN(1, 26) = a.strRFileG(1, 26);
         a.strRFileN(2, 29) = "0260";
       },
       {"该时总量出现正值可疑 | 净全辐射 |  | 1 | 1-2 |  | 可疑",
        "该时总量出现负值可疑 | 净全辐射 |  | 1 | 11-12 |  | 可疑",
        "该时总量大于等于总辐射时总量错 | 净全辐射 | 总辐射 | 1 | 12-13 |  | 可疑",
        "该日最大值大于等于总辐射日最大值错 | 净全辐射 | 总辐射 | 1 |  |  | 错误",
        "日最小值出现时间格式错误 | 净全辐射 |  | 2 | 最小时间 |  | 可疑"}},
      // A missing global hour and total: the other elements do not
      // compare with it.
      {"global hour missing", "54399",
       [](RFileArrays& a) {
         a.strRFileG(3, 12) = "-";
         a.strRFileG(3, 25) = "-";
       },
       {"该时总量不应记“-”,应用插值求得 | 总辐射 |  | 3 | 11-12 |  | 错误"}},
      // Diffuse.
      {"diffuse above global", "54399",
       [](RFileArrays& a) {
         SetHour(a.strRFileD, 4, 12, LeadingInteger(a.strRFileG(4, 12)) + 1);
         a.strRFileD(5, 26) = Num(LeadingInteger(a.strRFileG(5, 26)) + 5);
       },
       {"时总量大于总辐射时总量错 | 散射辐射 | 总辐射 | 4 | 11-12 |  | 错误",
        "日最大值大于总辐射日最大值 | 散射辐射 | 总辐射 | 5 | 日最大 |  | 错误",
        "最大值偏大 | 散射辐射 |  | 5 | 日最大 |  | 可疑",
        "水平直接辐射日总量与总辐射和散射辐射之差不相等 | 直接辐射 | 总辐射/散射辐射 | 4 | "
        "水平日总/日总量 |  | 可疑"}},
      // Direct.
      {"direct maximum at the solar constant", "54399",
       [](RFileArrays& a) {
         a.strRFileS(6, 26) = "1367";
         a.strRFileS(7, 26) = "1366";
       },
       {"最大值超过太阳常数 | 直接辐射 |  | 6 | 最大值 |  | 可疑",
        "日最大值偏大 | 直接辐射 |  | 6 | 最大值 |  | 可疑",
        "日最大值偏大 | 直接辐射 |  | 7 | 最大值 |  | 可疑"}},
      {"horizontal direct total", "54399",
       [](RFileArrays& a) {
         a.strRFileS(8, 28) = Num(LeadingInteger(a.strRFileS(8, 28)) + 1);
         a.strRFileS(9, 28) = Num(LeadingInteger(a.strRFileS(9, 25)) + 1);
       },
       {"水平直接辐射日总量与总辐射和散射辐射之差不相等 | 直接辐射 | 总辐射/散射辐射 | 8 | "
        "水平日总/日总量 |  | 可疑",
        "水平直接辐射日总量与总辐射和散射辐射之差不相等 | 直接辐射 | 总辐射/散射辐射 | 9 | "
        "水平日总/日总量 |  | 可疑",
        "水平直接辐射日总量大于直接辐射日总量错 | 直接辐射 |  | 9 | 水平日总/日总量 |  | 错误"}},
      // Reflected: the albedo compared by value.
      {"albedo", "54399",
       [](RFileArrays& a) {
         const long al = LeadingInteger(a.strRFileR(10, 26));
         a.strRFileR(10, 26) = "0" + Num(al);  // "018" is 18
         a.strRFileR(11, 26) = Num(LeadingInteger(a.strRFileR(11, 26)) + 1);
         a.strRFileR(12, 26) = "25";
       },
       {"日反射比不正确 | 反射辐射 | 总辐射 | 11 | 日反射比/日总量 |  | 错误",
        "日反射比不正确 | 反射辐射 | 总辐射 | 12 | 日反射比/日总量 |  | 错误",
        "日反射比偏大 | 反射辐射 | 总辐射 | 12 | 日反射比/日总量 |  | 可疑"}},
      {"reflected against global", "54399",
       [](RFileArrays& a) {
         SetHour(a.strRFileR, 13, 12, LeadingInteger(a.strRFileG(13, 12)) + 1);
         a.strRFileR(14, 27) = Num(LeadingInteger(a.strRFileG(14, 26)) + 1);
       },
       {"时总量偏大 | 反射辐射 |  | 13 | 11-12 |  | 可疑",
        "时总量大于总辐射时总量错 | 反射辐射 | 总辐射 | 13 | 11-12 |  | 错误",
        "日反射比不正确 | 反射辐射 | 总辐射 | 13 | 日反射比/日总量 |  | 错误",
        "日最大值大于总辐射日最大值 | 反射辐射 | 总辐射 | 14 | 日最大 |  | 错误",
        "日最大值偏大 | 反射辐射 |  | 14 | 最大值 |  | 可疑"}},
  };
  return cases;
}

class RFileAudit : public ::testing::TestWithParam<size_t> {
 protected:
  static void SetUpTestSuite() { fixture_ = new testing::RFileFixture(); }
  static void TearDownTestSuite() { delete fixture_; }
  static testing::RFileFixture* fixture_;
};
testing::RFileFixture* RFileAudit::fixture_ = nullptr;

TEST_P(RFileAudit, Findings) {
  const Case& c = Cases()[GetParam()];
  SCOPED_TRACE(c.name);
  const std::string path =
      fixture_->Write(testing::SampleR(c.station), std::string("R") + c.station + "-201203.TXT");
  KelvaneR k;
  VariantArray para = VariantArray::Vector(1, 12);
  StringArray list;
  DataFile file;
  ASSERT_TRUE(file.Open(path).ok());
  ASSERT_TRUE(k.RFileFormCheck(fixture_->Sys(), file, para, list).ok());
  ASSERT_TRUE(para(6).Truth());
  RFileArrays arrays;
  ASSERT_TRUE(DecodeRFile(file, para, arrays).ok());
  c.edit(arrays);
  ASSERT_TRUE(k.RFileAuditing(fixture_->Sys(), para, arrays, list).ok());
  std::vector<std::string> rows;
  for (const host::Finding& f : host::ReadFindings(list)) rows.push_back(testing::Row(f));
  // The audit merges its findings grouped by level: compare as sets of rows
  // in the order of the case within each level.
  std::vector<std::string> expect;
  for (const char* level : {"错误", "可疑"})
    for (const std::string& e : c.expect)
      if (e.ends_with(level)) expect.push_back(e);
  EXPECT_EQ(testing::Join(rows), testing::Join(expect));
}

INSTANTIATE_TEST_SUITE_P(Cases, RFileAudit, ::testing::Range<size_t>(0, Cases().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                           std::string n = Cases()[info.param].name;
                           for (char& ch : n)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

TEST(RFileRules, TimeFormat) {
  struct T {
    const char* t;
    bool bad;
  };
  for (const T& t : {T{"0930", false}, T{"XXXX", false}, T{"2400", false}, T{"0000", true},
                     T{"2460", true}, T{"12:3", true}, T{"", true}, T{"12345", true},
                     T{"093", true}, T{"2359", false}})
    EXPECT_EQ(rfile::TimeFormatBad(t.t, "-"), t.bad) << t.t;
  EXPECT_FALSE(rfile::TimeFormatBad("0000", ""));
  EXPECT_TRUE(rfile::TimeFormatBad("2400", ""));
}

// The possible radiation by latitude node, from the sample directory
// (SQLite) and from the Jet fixture.
TEST(RFileRules, PossibleRadiationByLatitude) {
  testing::RFileFixture f;
  auto node = [](int (*table)(int, int), int lat) { return table(lat, 3); };
  struct T {
    const char* latitude;
    std::string global, direct;
  };
  using sample::PossibleDirectRadiation;
  using sample::PossibleGlobalRadiation;
  const double g35 = node(PossibleGlobalRadiation, 35), g40 = node(PossibleGlobalRadiation, 40);
  const double d30 = node(PossibleDirectRadiation, 30), d40 = node(PossibleDirectRadiation, 40);
  const T cases[] = {
      {"39.48N", Num(std::lround(g35 + (g40 - g35) / 5 * 4.8)),
       Num(std::lround(d30 + (d40 - d30) / 10 * 9.8))},
      {"40.00N", Num(static_cast<long>(g40)), Num(static_cast<long>(d40))},
      {"39.48S", "", ""},
      {"05.00N", Num(node(PossibleGlobalRadiation, 5)), ""},
  };
  for (const T& t : cases) {
    SCOPED_TRACE(t.latitude);
    rfile::RuleValues rules;
    EXPECT_TRUE(rfile::LoadRuleValues(f.Sys(), "54399", "03", t.latitude, rules));
    EXPECT_EQ(rules[43], t.global);
    EXPECT_EQ(rules[44], t.direct);
    EXPECT_EQ(rules[3], "2190");  // the default rule set, March
  }
  // The Jet fixture holds the same unit (0.1 MJ/m² per day).
  const std::string jet = std::string(KELVANE_TEST_DATA) + "/jet4/sys/";
  rfile::RuleValues rules;
  EXPECT_TRUE(rfile::LoadRuleValues(jet, "54399", "03", "40.00N", rules));
  auto db = db::Database::Open(db::RadiationConstantPath(jet), db::kRadiationConstantPassword);
  db::Recordset rs = db->OpenTable("tabPossibleGlobalRadiation");
  rs.Filter("Latitude", "40");
  ASSERT_FALSE(rs.Eof());
  EXPECT_EQ(rules[43], Num(static_cast<long>(LeadingInteger(rs.Field(3)))));
  EXPECT_LT(LeadingInteger(rules[43]), 400);
}

}  // namespace
}  // namespace kelvane
