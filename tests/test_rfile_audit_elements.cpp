// R-file audit, element by element: the rules of the common pattern for
// every element, the rules of each element of its own, the rule values and
// the possible radiation that switch them. Each case decodes a valid sample
// file (54399 class 1, 53772 class 3; March 2012), changes a few cells,
// may change rule values of the default rule set ("99999", every month the
// same value), and lists every finding in seven columns.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/database.h"
#include "common/text.h"
#include "rfile/audit/audits.h"
#include "rfile/audit/driver.h"
#include "rfile/sun_times.h"
#include "rfile_test_support.h"
#include "sample/sample_sysdir.h"

namespace kelvane {
namespace {

struct Case {
  const char* name;
  const char* station;
  std::function<void(RFileArrays&)> edit;
  std::vector<std::string> expect;
  std::map<int, std::string> rules = {};  // column of tabRAuditingData -> value of every month
};

long Value(const std::string& cell) { return static_cast<long>(LeadingInteger(cell)); }

// Sets hour j of day i (width characters, sign included) and keeps the
// daily total the sum of the hours.
void SetHour(StringArray& a, int i, int j, long v, int width = 3) {
  const long old = Value(a(i, j));
  std::string s = Num(v < 0 ? -v : v);
  while (static_cast<int>(s.size()) < width - (v < 0)) s.insert(0, "0");
  if (v < 0) s.insert(0, "-");
  a(i, j) = s;
  a(i, 25) = Num(Value(a(i, 25)) - old + v);
}

// The common-pattern damage of an element array whose time of the maximum
// is group timeAt: day 2 hour 12 not a number, day 3 hour 12 missing with a
// missing total, day 4 hours 12 and 13 missing with a total, day 5 a total
// one above the hours, day 9 (a clear day) a maximum at 24:60.
void DamageCommon(StringArray& a, const std::string& bad, int timeAt) {
  a(2, 12) = bad;
  a(3, 12) = "-";
  a(3, 25) = "-";
  a(4, 12) = "-";
  a(4, 13) = "-";
  a(5, 25) = Num(Value(a(5, 25)) + 1);
  a(9, timeAt) = "2460";
}

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      // Common pattern for each element (the monthly limits swapped so
      // that the mean is above the upper and below the lower limit).
      {"net common rules", "54399",
       [](RFileArrays& a) {
         DamageCommon(a.strRFileN, "01.2", 27);
         SetHour(a.strRFileN, 6, 13, 243, 4);  // above 220 × 1.1, below the global hour
       },
       {"记录格式错误 | 净全辐射 |  | 2 | 11-12 |  | 错误",
        "日总量值与各时之和不一致 | 净全辐射 |  | 2 | 日总量 |  | 错误",
        "该时总量不应记“-”,应用插值求得 | 净全辐射 |  | 3 | 11-12 |  | 错误",
        "该日各时次记录有缺测,总量值也应作缺测处理 | 净全辐射 |  | 4 | 日总量 |  | 错误",
        "日总量值与各时之和不一致 | 净全辐射 |  | 5 | 日总量 |  | 错误",
        "时总量偏大 | 净全辐射 |  | 6 | 12-13 |  | 可疑",
        "日最大值出现时间不合理 | 净全辐射 |  | 9 | 最大时间 |  | 可疑",
        "日最大值出现时间格式错误 | 净全辐射 |  | 9 | 最大时间 |  | 可疑",
        "月净全辐射日总量月平均偏小 | 净全辐射 |  | 全月 |  |  | 可疑",
        "月净全辐射日总量月平均偏大 | 净全辐射 |  | 全月 |  |  | 可疑"},
       {{7, "100"}, {8, "5000"}}},
      {"diffuse common rules", "54399",
       [](RFileArrays& a) { DamageCommon(a.strRFileD, "1a0", 27); },
       {"记录格式错误 | 散射辐射 |  | 2 | 11-12 |  | 错误",
        "日总量值与各时之和不一致 | 散射辐射 |  | 2 | 日总量 |  | 错误",
        "该时总量不应记“-”,应用插值求得 | 散射辐射 |  | 3 | 11-12 |  | 错误",
        "该日各时次记录有缺测,总量值也应作缺测处理 | 散射辐射 |  | 4 | 日总量 |  | 错误",
        "日总量值与各时之和不一致 | 散射辐射 |  | 5 | 日总量 |  | 错误",
        "日最大值出现时间不合理 | 散射辐射 |  | 9 | 最大时间 |  | 可疑",
        "日最大值出现时间格式错误 | 散射辐射 |  | 9 | 最大时间 |  | 可疑",
        "月散射辐射日总量月平均偏小 | 散射辐射 |  | 全月 |  |  | 可疑",
        "月散射辐射日总量月平均偏大 | 散射辐射 |  | 全月 |  |  | 可疑",
        // the diffuse total of day 5 no longer leaves the horizontal direct total
        "水平直接辐射日总量与总辐射和散射辐射之差不相等 | 直接辐射 | 总辐射/散射辐射 | 5 | "
        "水平日总/日总量 |  | 可疑"},
       {{17, "100"}, {18, "5000"}}},
      {"direct common rules", "54399",
       [](RFileArrays& a) {
         DamageCommon(a.strRFileS, "1a0", 27);
         SetHour(a.strRFileS, 6, 12, 420);  // above 380 × 1.1
       },
       {"记录格式错误 | 直接辐射 |  | 2 | 11-12 |  | 错误",
        "日总量值与各时之和不一致 | 直接辐射 |  | 2 | 日总量 |  | 错误",
        "该时总量不应记“-”,应用插值求得 | 直接辐射 |  | 3 | 11-12 |  | 错误",
        "该日各时次记录有缺测,总量值也应作缺测处理 | 直接辐射 |  | 4 | 日总量 |  | 错误",
        "日总量值与各时之和不一致 | 直接辐射 |  | 5 | 日总量 |  | 错误",
        "时总量偏大 | 直接辐射 |  | 6 | 11-12 |  | 可疑",
        "日最大值出现时间不合理 | 直接辐射 |  | 9 | 最大时间 |  | 可疑",
        "日最大值出现时间格式错误 | 直接辐射 |  | 9 | 最大时间 |  | 可疑",
        "月直接辐射日总量月平均偏小 | 直接辐射 |  | 全月 |  |  | 可疑",
        "月直接辐射日总量月平均偏大 | 直接辐射 |  | 全月 |  |  | 可疑"},
       {{23, "100"}, {24, "5000"}}},
      {"reflected common rules", "54399",
       [](RFileArrays& a) { DamageCommon(a.strRFileR, "1a0", 28); },
       {"记录格式错误 | 反射辐射 |  | 2 | 11-12 |  | 错误",
        "日总量值与各时之和不一致 | 反射辐射 |  | 2 | 日总量 |  | 错误",
        "该时总量不应记“-”,应用插值求得 | 反射辐射 |  | 3 | 11-12 |  | 错误",
        "该日各时次记录有缺测,总量值也应作缺测处理 | 反射辐射 |  | 4 | 日总量 |  | 错误",
        "日总量值与各时之和不一致 | 反射辐射 |  | 5 | 日总量 |  | 错误",
        "日最大值出现时间不合理 | 反射辐射 |  | 9 | 最大时间 |  | 可疑",
        "日最大值出现时间格式错误 | 反射辐射 |  | 9 | 最大时间 |  | 可疑",
        "月反射辐射日总量月平均偏小 | 反射辐射 |  | 全月 |  |  | 可疑",
        "月反射辐射日总量月平均偏大 | 反射辐射 |  | 全月 |  |  | 可疑"},
       {{33, "100"}, {34, "5000"}}},
      // Global (53772, class 3).
      {"global daily total above the possible and the limit", "53772",
       [](RFileArrays& a) { a.strRFileG(15, 25) = "2500"; },
       {"日总量值与各时之和不一致 | 总辐射 |  | 15 | 日总量 |  | 错误",
        "日总量偏大 | 总辐射 |  | 15 | 日总量 |  | 可疑",
        "日总量偏大 | 总辐射 |  | 15 | 日总量 |  | 可疑"}},
      {"global monthly limits", "53772", [](RFileArrays&) {},
       {"月总辐射日总量月平均偏小 | 总辐射 |  | 全月 |  |  | 可疑",
        "月总辐射日总量月平均偏大 | 总辐射 |  | 全月 |  |  | 可疑"},
       {{1, "100"}, {2, "5000"}}},
      // Net.
      {"net limits of hours, totals, extremes", "54399",
       [](RFileArrays& a) {
         SetHour(a.strRFileN, 8, 2, -70, 4);  // below -60 × 1.1
         a.strRFileN(10, 25) = "01300";       // above 1100 × 1.1
         a.strRFileN(11, 25) = "-0500";       // below -450 × 1.1
         a.strRFileN(12, 25) = a.strRFileG(12, 25);
         a.strRFileN(13, 26) = "00951";  // above 850 + 100
         a.strRFileN(14, 26) = "-0151";  // below -50 - 100, at 12:30 in a positive hour
         a.strRFileN(15, 28) = "0101";   // above 0 + 100, at 02:14 in a negative hour
         a.strRFileN(16, 28) = "-301";   // below -200 - 100
       },
       {"日总量值与各时之和不一致 | 净全辐射 |  | 10 | 日总量 |  | 错误",
        "日总量值与各时之和不一致 | 净全辐射 |  | 11 | 日总量 |  | 错误",
        "日总量值与各时之和不一致 | 净全辐射 |  | 12 | 日总量 |  | 错误",
        "该日最大值大于等于总辐射日最大值错 | 净全辐射 | 总辐射 | 13 |  |  | 错误",
        "时总量偏小 | 净全辐射 |  | 8 | 1-2 |  | 可疑",
        // day 10 is cloudy: 1300 is above its global total too
        "该日总量大于等于总辐射日总量错 | 净全辐射 | 总辐射 | 10 | 日总量 |  | 可疑",
        "日总量偏大 | 净全辐射 |  | 10 | 日总量 |  | 可疑",
        "日总量偏小 | 净全辐射 |  | 11 | 日总量 |  | 可疑",
        "该日总量大于等于总辐射日总量错 | 净全辐射 | 总辐射 | 12 | 日总量 |  | 可疑",
        "日总量偏大 | 净全辐射 |  | 12 | 日总量 |  | 可疑",
        "最大值偏大 | 净全辐射 |  | 13 | 日最大 |  | 可疑",
        "最大值偏小 | 净全辐射 |  | 14 | 日最大 |  | 可疑",
        "最大值与出现时间段的曝辐量不一致 | 净全辐射 |  | 14 | 日最大 |  | 可疑",
        "最小值偏大 | 净全辐射 |  | 15 | 日最小 |  | 可疑",
        "最小值与出现时间段的曝辐量不一致 | 净全辐射 |  | 15 | 日最小 |  | 可疑",
        "最小值偏小 | 净全辐射 |  | 16 | 日最小 |  | 可疑"}},
      // A daily maximum of global radiation of 8 W/m²: the diffuse and
      // reflected maxima above it are only suspicious (neither the global
      // maximum nor the excess is above 10).
      {"global maximum of 8", "54399",
       [](RFileArrays& a) {
         a.strRFileG(2, 26) = "0008";
         a.strRFileN(2, 26) = "00000";
         a.strRFileD(2, 26) = "0010";
         a.strRFileR(2, 27) = "0012";
       },
       {"日最大值大于总辐射日最大值 | 散射辐射 | 总辐射 | 2 | 日最大 |  | 可疑",
        "日最大值大于总辐射日最大值 | 反射辐射 | 总辐射 | 2 | 日最大 |  | 可疑"}},
      // Diffuse. Hour 6-7 of day 1: global 002; the horizontal direct total
      // follows the diffuse one.
      {"diffuse against global", "54399",
       [](RFileArrays& a) {
         SetHour(a.strRFileD, 1, 7, 3);
         a.strRFileS(1, 28) = Num(Value(a.strRFileS(1, 28)) - 3);
         a.strRFileD(3, 26) = "-041";  // below 60 - 100
         const long d = Value(a.strRFileG(4, 12)) - Value(a.strRFileD(4, 12));
         SetHour(a.strRFileD, 4, 12, Value(a.strRFileG(4, 12)));
         a.strRFileS(4, 28) = Num(Value(a.strRFileS(4, 28)) - d);
         a.strRFileD(5, 25) = a.strRFileG(5, 25);
         a.strRFileD(6, 25) = "1800";  // above 1600 × 1.1
       },
       {"日总量值与各时之和不一致 | 散射辐射 |  | 5 | 日总量 |  | 错误",
        "日总量值与各时之和不一致 | 散射辐射 |  | 6 | 日总量 |  | 错误",
        "时总量大于总辐射时总量错 | 散射辐射 | 总辐射 | 1 | 6-7 |  | 可疑",
        "最大值偏小 | 散射辐射 |  | 3 | 日最大 |  | 可疑",
        "该时总量等于总辐射时总量,且直接辐射时总量大于0 | 散射辐射 | 总辐射/直接辐射 | 4 | 11-12 "
        "|  | 可疑",
        "该日总量大于等于总辐射日总量错 | 散射辐射 | 总辐射 | 5 | 日总量 |  | 可疑",
        "该日总量大于等于总辐射日总量错 | 散射辐射 | 总辐射 | 6 | 日总量 |  | 可疑",
        "日总量偏大 | 散射辐射 |  | 6 | 日总量 |  | 可疑",
        "水平直接辐射日总量与总辐射和散射辐射之差不相等 | 直接辐射 | 总辐射/散射辐射 | 5 | "
        "水平日总/日总量 |  | 可疑",
        "水平直接辐射日总量与总辐射和散射辐射之差不相等 | 直接辐射 | 总辐射/散射辐射 | 6 | "
        "水平日总/日总量 |  | 可疑"}},
      // Direct.
      {"direct total above the possible and the limit", "54399",
       [](RFileArrays& a) { a.strRFileS(7, 25) = "3300"; },
       {"日总量值与各时之和不一致 | 直接辐射 |  | 7 | 日总量 |  | 错误",
        "日总量偏大 | 直接辐射 |  | 7 | 日总量 |  | 可疑",
        "日总量偏大 | 直接辐射 |  | 7 | 日总量 |  | 可疑"}},
      // Reflected.
      {"reflected against global and its limits", "54399",
       [](RFileArrays& a) {
         SetHour(a.strRFileR, 1, 7, 3);        // global 002 at 6-7
         a.strRFileR(3, 25) = a.strRFileG(3, 25);
         a.strRFileR(4, 25) = "1000";         // above 900 × 1.1
         a.strRFileR(5, 26) = "05";           // below 6 and below 8 × 0.9
         a.strRFileR(6, 26) = "94";           // above 22 and above 85 × 1.1
       },
       {"日总量值与各时之和不一致 | 反射辐射 |  | 3 | 日总量 |  | 错误",
        "与总辐射日总量有矛盾 | 反射辐射 | 总辐射 | 3 | 日总量 |  | 错误",
        "日反射比不正确 | 反射辐射 | 总辐射 | 3 | 日反射比/日总量 |  | 错误",
        "日总量值与各时之和不一致 | 反射辐射 |  | 4 | 日总量 |  | 错误",
        "日反射比不正确 | 反射辐射 | 总辐射 | 4 | 日反射比/日总量 |  | 错误",
        "日反射比不正确 | 反射辐射 | 总辐射 | 5 | 日反射比/日总量 |  | 错误",
        "日反射比不正确 | 反射辐射 | 总辐射 | 6 | 日反射比/日总量 |  | 错误",
        "时总量大于总辐射时总量错 | 反射辐射 | 总辐射 | 1 | 6-7 |  | 可疑",
        "日总量偏大 | 反射辐射 | 总辐射 | 3 | 日总量 |  | 可疑",
        "日总量偏大 | 反射辐射 | 总辐射 | 4 | 日总量 |  | 可疑",
        "日反射比偏小 | 反射辐射 | 总辐射 | 5 | 日反射比/日总量 |  | 可疑",
        "与历史资料比较,日反射比偏小 | 反射辐射 |  | 5 | 日反射比 |  | 可疑",
        "日反射比偏大 | 反射辐射 | 总辐射 | 6 | 日反射比/日总量 |  | 可疑",
        "与历史资料比较,日反射比偏大 | 反射辐射 |  | 6 | 日反射比 |  | 可疑"}},
      // The daily upper limit of reflected radiation is on only with the
      // lower one (35).
      {"reflected daily limit off without entry 35", "54399",
       [](RFileArrays& a) { a.strRFileR(4, 25) = "1000"; },
       {"日总量值与各时之和不一致 | 反射辐射 |  | 4 | 日总量 |  | 错误",
        "日反射比不正确 | 反射辐射 | 总辐射 | 4 | 日反射比/日总量 |  | 错误"},
       {{35, ""}}},
  };
  return cases;
}

void Exec(sqlite3* db, const std::string& sql) {
  char* err = nullptr;
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK)
      << (err ? err : "") << "\n" << sql;
}

// The default rule set with some columns replaced (an empty value: Null).
void SetRules(const std::string& sys, const std::map<int, std::string>& rules) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((sys + "Sysconfig/SysLib.mdb").c_str(), &db), SQLITE_OK);
  std::string sql = "UPDATE tabRAuditingData SET ";
  for (int c = 1; c <= 42; ++c) {
    std::string v = sample::DefaultRadiationRule(c);
    if (auto it = rules.find(c); it != rules.end()) {
      v.clear();
      for (int m = 1; m <= 12 && !it->second.empty(); ++m) v += (m > 1 ? "," : "") + it->second;
    }
    char name[16];
    std::snprintf(name, sizeof name, "RValue%02d", c);
    sql += std::string(c > 1 ? ", " : "") + name + " = " + (v.empty() ? "NULL" : "'" + v + "'");
  }
  Exec(db, sql + " WHERE StationNum = '99999'");
  sqlite3_close(db);
  db::detail::ClearTableCache();
}

class RFileAuditElements : public ::testing::TestWithParam<size_t> {
 protected:
  static void SetUpTestSuite() { fixture_ = new testing::RFileFixture(); }
  static void TearDownTestSuite() {
    delete fixture_;
    db::detail::ClearTableCache();
  }
  static testing::RFileFixture* fixture_;
};
testing::RFileFixture* RFileAuditElements::fixture_ = nullptr;

TEST_P(RFileAuditElements, Findings) {
  const Case& c = Cases()[GetParam()];
  SCOPED_TRACE(c.name);
  SetRules(fixture_->Sys(), c.rules);
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
  // Findings come grouped by level, each level in the order of the audit.
  std::vector<std::string> expect;
  for (const char* level : {"错误", "可疑"})
    for (const std::string& e : c.expect)
      if (e.ends_with(level)) expect.push_back(e);
  EXPECT_EQ(testing::Join(rows), testing::Join(expect));
}

INSTANTIATE_TEST_SUITE_P(Cases, RFileAuditElements, ::testing::Range<size_t>(0, Cases().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                           std::string n = Cases()[info.param].name;
                           for (char& ch : n)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

}  // namespace
}  // namespace kelvane

namespace kelvane {
namespace {

// Runs the audit of the sample file of a station after edit changes the
// parameter array and the arrays; the findings in seven columns.
std::vector<std::string> AuditEdited(const char* station,
                                     const std::function<void(VariantArray&, RFileArrays&)>& edit) {
  testing::RFileFixture f;
  const std::string path = f.Write(testing::SampleR(station), std::string("R") + station + "-201203.TXT");
  KelvaneR k;
  VariantArray para = VariantArray::Vector(1, 12);
  StringArray list;
  DataFile file;
  EXPECT_TRUE(file.Open(path).ok());
  EXPECT_TRUE(k.RFileFormCheck(f.Sys(), file, para, list).ok());
  RFileArrays arrays;
  EXPECT_TRUE(DecodeRFile(file, para, arrays).ok());
  edit(para, arrays);
  EXPECT_TRUE(k.RFileAuditing(f.Sys(), para, arrays, list).ok());
  std::vector<std::string> rows;
  for (const host::Finding& x : host::ReadFindings(list)) rows.push_back(testing::Row(x));
  return rows;
}

// The 1700 W/m² ceiling of the global maximum holds up to 3000 m; the
// elevation text is in metres, in parentheses when estimated.
TEST(RFileAuditRules, ElevationGateInMetres) {
  const std::string row = "最大值偏大 | 总辐射 |  | 8 | 日最大 |  | 可疑";
  struct T {
    const char* elevation;
    size_t rows;  // the elevation rule and the limit 1000 + 100, or the limit alone
  };
  for (const T t : {T{"778.3", 2}, T{"3000.0", 2}, T{"(3000.0)", 2}, T{"3000.1", 1},
                    T{"(3500.0)", 1}}) {
    SCOPED_TRACE(t.elevation);
    const std::vector<std::string> rows = AuditEdited("53772", [&](VariantArray& p, RFileArrays& a) {
      p(10) = Variant(std::string(t.elevation));
      a.strRFileG(8, 26) = "1701";
    });
    EXPECT_EQ(testing::Join(rows), testing::Join(std::vector<std::string>(t.rows, row)));
  }
}

// The day length is the clock time from sunrise to sunset: 54399, 1 March
// 2012, 6:37 to 17:49 is 11.2 h (11.12 read as hours + minutes/100), so a
// sunshine of 11.2 h is possible and 11.3 h is not.
TEST(RFileAuditRules, SunshineAgainstTheDayLengthInHours) {
  for (const char* sunshine : {"112", "113"}) {
    SCOPED_TRACE(sunshine);
    const std::vector<std::string> rows =
        AuditEdited("54399", [&](VariantArray&, RFileArrays& a) { a.strRFileG(1, 28) = sunshine; });
    const std::string expect =
        std::string(sunshine) == "113"
            ? "日照时数应小于总辐射记录起止时间内的总时数 | 总辐射 |  | 1 | 日照时数 |  | 可疑\n"
            : "";
    EXPECT_EQ(testing::Join(rows), expect);
  }
}

}  // namespace
}  // namespace kelvane
