// The A-file audit driver: rule library loading, the minute data file, the
// shared predicates and audit toolkit, the driver table's gates, and the
// public AFileAuditing call (no-rule-set notice, merge, failures).
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "afile/audit/driver.h"
#include "afile/audit/jfile.h"
#include "afile/audit/predicates.h"
#include "afile/audit/rules.h"
#include "afile/audit/toolkit.h"
#include "audit_test_support.h"
#include "common/error.h"
#include "common/text.h"
#include "kelvane/automation.h"
#include "kelvane/kelvane.h"
#include "scratch_dir.h"

namespace kelvane::afile::audit {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// A scratch folder per test, holding a system directory with its own
// SysLib.mdb (SQLite) and the data files.

class Scratch : public kelvane::testing::ScratchDir {
 public:
  Scratch() : ScratchDir("kelvane_driver") {}
  std::string SysPath() const { return Path("sys") + "/"; }
};

// One rule record: station number and the stored texts of chosen value
// columns (1-based position after the key); unlisted columns hold NULL.
struct RuleRecord {
  std::string station;
  std::map<int, std::string> values;
};

void Exec(sqlite3* db, const std::string& sql) {
  char* err = nullptr;
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK)
      << (err ? err : "") << "\n" << sql;
}

void WriteRuleTable(sqlite3* db, const std::string& table, int columns,
                    const std::vector<RuleRecord>& records) {
  std::string create = "CREATE TABLE " + table + " (StationNum TEXT";
  for (int k = 1; k <= columns; ++k) create += ", Rule" + std::to_string(k) + " TEXT";
  Exec(db, create + ")");
  for (const RuleRecord& r : records) {
    std::string insert = "INSERT INTO " + table + " VALUES (" +
                         (r.station == "<null>" ? "NULL" : "'" + r.station + "'");
    for (int k = 1; k <= columns; ++k) {
      auto it = r.values.find(k);
      insert += it == r.values.end() ? ", NULL" : ", '" + it->second + "'";
    }
    Exec(db, insert + ")");
  }
}

// Writes sysPath/Sysconfig/SysLib.mdb with the two rule tables.
void WriteRuleLibrary(const std::string& sysPath, const std::vector<RuleRecord>& lib1,
                      const std::vector<RuleRecord>& lib2) {
  const fs::path file = fs::path(sysPath) / "Sysconfig" / "SysLib.mdb";
  fs::create_directories(file.parent_path());
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.string().c_str(), &db), SQLITE_OK);
  Exec(db, "BEGIN");
  WriteRuleTable(db, "tabAuditingRuleLib1", 66, lib1);
  WriteRuleTable(db, "tabAuditingRuleLib2", 48, lib2);
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

// ---------------------------------------------------------------------------
// Rule loading

TEST(AuditRulesTest, LoadPicksStationThenDefaultRecord) {
  const std::string monthly = "12,14,15,17,19,21,23,22,20,18,15,13";
  struct Case {
    const char* name;
    std::vector<RuleRecord> lib1, lib2;
    std::string month;
    bool result;
    std::map<int, std::string> texts;  // expected entry texts
    std::map<int, double> values;      // expected entries read as numbers
  };
  const std::vector<Case> cases = {
      {"station record in both tables; monthly list; one comma kept whole",
       {{"99999", {{1, "999"}}}, {"54511", {{1, "1100"}, {2, monthly}, {3, "12,14"}, {66, "7"}}}},
       {{"54511", {{1, "90"}, {48, "-5"}}}},
       "03",
       true,
       {{1, "1100"}, {2, "15"}, {3, "12,14"}, {4, ""}, {66, "7"}, {67, "90"}, {114, "-5"}},
       {{2, 15}, {3, 12}, {4, 0}, {114, -5}}},
      {"monthly list for January and December",
       {{"54511", {{2, monthly}}}}, {{"54511", {{2, monthly}}}}, "12", true,
       {{2, "13"}, {68, "13"}}, {}},
      {"monthly list for January",
       {{"54511", {{2, monthly}}}}, {{"54511", {}}}, "1", true, {{2, "12"}}, {}},
      {"default records when the station has none",
       {{"99999", {{1, "1050"}}}, {"50000", {{1, "1"}}}}, {{"99999", {{2, "20"}}}}, "03", true,
       {{1, "1050"}, {68, "20"}}, {}},
      {"empty second table leaves its entries empty and the audit goes on",
       {{"54511", {{1, "1100"}}}}, {}, "03", true,
       {{1, "1100"}, {67, ""}, {114, ""}}, {{67, 0}, {114, 0}}},
      {"both tables empty", {}, {}, "03", true, {{1, ""}}, {}},
      {"second table lacks the station and a default record",
       {{"54511", {{1, "1100"}}}}, {{"50000", {{1, "1"}}}}, "03", false, {{1, "1100"}}, {}},
      {"first table lacks both", {{"50000", {}}}, {{"54511", {}}}, "03", false, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scratch s;
    WriteRuleLibrary(s.SysPath(), c.lib1, c.lib2);
    AuditRules rules;
    EXPECT_EQ(LoadAuditRules(s.SysPath(), "54511", c.month, rules), c.result);
    for (const auto& [k, text] : c.texts) EXPECT_EQ(rules.Text(k), text) << "entry " << k;
    for (const auto& [k, value] : c.values) EXPECT_EQ(rules.Rule(k), value) << "entry " << k;
  }
}

// Faults of the stored rules are reported, one sentence each, and change
// nothing of what is loaded.
TEST(AuditRulesTest, FaultsOfTheStoredRulesAreReported) {
  const std::string twelve = "1,2,3,4,5,6,7,8,9,10,11,12";
  const std::string lib1 = "审核规则库tabAuditingRuleLib1";
  struct Case {
    const char* name;
    std::vector<RuleRecord> lib1, lib2;
    std::vector<std::string> problems;
    std::map<int, std::string> texts;  // entries loaded all the same
  };
  const std::vector<Case> cases = {
      {"clean: numbers, a monthly list, unused entries",
       {{"54511", {{1, "1100"}, {2, twelve}, {3, "-5.5"}}}}, {{"54511", {{1, "90"}}}}, {},
       {{1, "1100"}, {2, "3"}}},
      {"a value that is no number",
       {{"54511", {{12, "x"}}}}, {{"54511", {}}},
       {lib1 + "中站号54511的第12项\"x\"既不是数值,也不是12个月的数值列表"}, {{12, "x"}}},
      {"a monthly list with a gap and a word",
       {{"54511", {{2, "1,2,,x,5,6,7,8,9,10,11,12"}}}}, {{"54511", {}}},
       {lib1 + "中站号54511的第2项\"1,2,,x,5,6,7,8,9,10,11,12\"既不是数值,也不是12个月的数值列表"},
       {{2, ""}}},
      {"thirteen values and NaN",
       {{"54511", {{2, twelve + ",13"}, {3, "NaN"}}}}, {{"54511", {}}},
       {lib1 + "中站号54511的第2项\"" + twelve + ",13\"既不是数值,也不是12个月的数值列表",
        lib1 + "中站号54511的第3项\"NaN\"既不是数值,也不是12个月的数值列表"},
       {{2, twelve + ",13"}}},
      {"two records of the station and one without a station number",
       {{"54511", {{1, "1"}}}, {"54511", {{1, "2"}}}, {"<null>", {}}}, {{"54511", {}}},
       {lib1 + "中有1条记录没有站号(共3条)", lib1 + "中站号54511有2条记录,使用第一条"},
       {{1, "1"}}},
      {"an empty table", {{"54511", {}}}, {},
       {"审核规则库tabAuditingRuleLib2没有记录"}, {}},
      {"the default record's faults name it",
       {{"99999", {{5, "abc"}}}}, {{"99999", {}}},
       {lib1 + "中站号99999的第5项\"abc\"既不是数值,也不是12个月的数值列表"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scratch s;
    WriteRuleLibrary(s.SysPath(), c.lib1, c.lib2);
    AuditRules rules;
    std::vector<std::string> problems;
    EXPECT_TRUE(LoadAuditRules(s.SysPath(), "54511", "03", rules, &problems));
    EXPECT_EQ(problems, c.problems);
    for (const auto& [k, text] : c.texts) EXPECT_EQ(rules.Text(k), text) << "entry " << k;
  }
}

TEST(AuditRulesTest, ErasedRulesAndIndicesOutsideTheLibraryAreErrors) {
  AuditRules rules;
  EXPECT_THROW(rules.Rule(1), SubscriptError);
  rules.Reset();
  EXPECT_EQ(rules.Rule(1), 0);
  EXPECT_THROW(rules.Rule(0), SubscriptError);
  EXPECT_THROW(rules.Rule(115), SubscriptError);
  rules.Set(5, "-12.5abc");
  EXPECT_EQ(rules.Rule(5), -12.5);
  rules.Erase();
  EXPECT_FALSE(rules.Loaded());
  EXPECT_THROW(rules.Text(5), SubscriptError);
}

TEST(AuditRulesTest, MissingDatabaseOrTableIsAnError) {
  Scratch s;
  AuditRules rules;
  EXPECT_THROW(LoadAuditRules(s.SysPath(), "54511", "03", rules), Error);

  const fs::path file = fs::path(s.SysPath()) / "Sysconfig" / "SysLib.mdb";
  fs::create_directories(file.parent_path());
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.string().c_str(), &db), SQLITE_OK);
  WriteRuleTable(db, "tabAuditingRuleLib1", 66, {{"54511", {}}});
  sqlite3_close(db);
  EXPECT_THROW(LoadAuditRules(s.SysPath(), "54511", "03", rules), Error);

  // A table with too few columns is named with its file and what it lacks.
  Scratch t;
  const fs::path file2 = fs::path(t.SysPath()) / "Sysconfig" / "SysLib.mdb";
  fs::create_directories(file2.parent_path());
  ASSERT_EQ(sqlite3_open(file2.string().c_str(), &db), SQLITE_OK);
  WriteRuleTable(db, "tabAuditingRuleLib1", 60, {{"54511", {}}});
  WriteRuleTable(db, "tabAuditingRuleLib2", 48, {{"54511", {}}});
  sqlite3_close(db);
  try {
    LoadAuditRules(t.SysPath(), "54511", "03", rules);
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("table 'tabAuditingRuleLib1' of "), std::string::npos) << what;
    EXPECT_NE(what.find("SysLib.mdb has 60 value columns after 'StationNum'; entries 1..66 need 66"),
              std::string::npos)
        << what;
  }
}

// ---------------------------------------------------------------------------
// Predicates

TEST(AuditPredicatesTest, IsBadExtremeTime) {
  struct Case {
    const char* t;
    const char* marker;
    bool bad;
  };
  const Case cases[] = {
      {"2400", "-", false}, {"0000", "-", true},  {"1261", "-", true}, {"930", "-", true},
      {"XXXX", "-", false}, {"XXXX", "", false},  {"0930", "-", false}, {"2359", "-", false},
      {"2400", "", true},   {"0000", "", false},  {"2500", "-", true}, {"", "-", true},
      {"12a4", "-", true},  {"-930", "-", true},  {"12345", "-", false},
      {"14375", "-", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsBadExtremeTime(c.t, c.marker), c.bad) << "\"" << c.t << "\", \"" << c.marker << "\"";
}

StringArray Cells(long days, long columns, std::initializer_list<const char*> texts) {
  StringArray a = StringArray::Matrix(1, days, 1, columns);
  auto it = texts.begin();
  for (long d = 1; d <= days; ++d)
    for (long c = 1; c <= columns && it != texts.end(); ++c) a(d, c) = *it++;
  return a;
}

TEST(AuditPredicatesTest, IsAllMissing) {
  EXPECT_TRUE(IsAllMissing(StringArray()));
  EXPECT_TRUE(IsAllMissing(Cells(2, 2, {"////", "-", "", "----"})));
  EXPECT_TRUE(IsAllMissing(Cells(1, 3, {"/", "//", "///"})));
  EXPECT_FALSE(IsAllMissing(Cells(2, 2, {"////", "-", "", "0"})));
  EXPECT_FALSE(IsAllMissing(Cells(1, 2, {"/-/", "-"})));
}

TEST(AuditPredicatesTest, IsMountainStation) {
  struct Case {
    const char* elevation;
    const char* cover;
    bool mountain;
  };
  const Case cases[] = {
      {"520.0", "某某山顶气象站", true}, {"500.0", "某某山顶气象站", false},
      {"500.1", "山顶", true},           {"(600.0)", "山顶", false},
      {"1520.0", "山脚", false},         {"", "山顶", false},
  };
  for (const Case& c : cases) {
    VariantArray para = VariantArray::Vector(1, 52);
    para(10) = Variant(c.elevation);
    StringArray cover = StringArray::Vector(1, 20);
    cover(4) = c.cover;
    EXPECT_EQ(IsMountainStation(para, cover), c.mountain) << c.elevation << " " << c.cover;
  }
  VariantArray para = VariantArray::Vector(1, 52);
  para(10) = Variant("900.0");
  EXPECT_FALSE(IsMountainStation(para, StringArray()));  // no cover block
}

// ---------------------------------------------------------------------------
// Minute data file

TEST(JFileTest, PathReplacesTheLeadingLetterOfTheName) {
  const std::pair<const char*, const char*> cases[] = {
      {"/data/A54511-201201.TXT", "/data/J54511-201201.TXT"},
      {"/data/A54511-201201-1.TXT", "/data/J54511-201201-1.TXT"},
      {"/data/A54511-201201-0.TXT", "/data/J54511-201201-0.TXT"},
      {"/data/A54511-201201-9.TXT", "/data/J54511-201201-9.TXT"},
      {"/data/A54511-201201-1.txt", "/data/J54511-201201-1.txt"},
      // A year 1xxx puts "-1" into the name's last 16 characters; the name
      // is still 17 characters long.
      {"/data/A54511-199912.TXT", "/data/J54511-199912.TXT"},
      {"/data/A54511-199912-1.TXT", "/data/J54511-199912-1.TXT"},
      {"/数据/A54511-201201.TXT", "/数据/J54511-201201.TXT"},
      {"A54511-201201.TXT", "J54511-201201.TXT"},
  };
  for (const auto& [a, j] : cases) EXPECT_EQ(JFilePath(a), j) << a;
}

constexpr const char* kJHeader = "54511 3956N 11628E 100313 100325 100 000 S11 11111 2012 01";

// A minute file for `days` days: header, then the P, T and U sections; each
// data line "v v v ... =" with the hour's number as every value.
std::string MinuteFile(int days, const std::string& header = kJHeader,
                       const std::vector<std::string>& codes = {"P0", "T0", "U0"},
                       int dropLines = 0) {
  std::string out = header + "\r\n";
  for (const std::string& code : codes) {
    out += code + "\r\n";
    if (code.size() != 2 || code[1] != '0') continue;
    int lines = days * 24 - (code == codes.back() ? dropLines : 0);
    for (int k = 1; k <= lines; ++k) {
      out += std::to_string(k) + "," + std::to_string(k) + " ////";
      out += k % 24 == 0 ? "=  " : "  ";
      out += "\r\n";
    }
  }
  return out;
}

TEST(JFileTest, ReadsTheThreeSections) {
  ASSERT_EQ(std::string(kJHeader).size(), 58u);
  Scratch s;
  const std::string path = s.Path("J54511-201202.TXT");
  std::ofstream(path, std::ios::binary) << MinuteFile(29, kJHeader, {"P0", "T=", "U0"});
  JFileData j;
  ReadJFile(path, 29, j);
  ASSERT_TRUE(j.ok);
  // Each hour scanned into its extremes: "," and "=" dropped ("24,24 ////="
  // is 2424 at minute 01), station pressure with its thousands digit.
  // (A minimum only counts values below 99999, a maximum values above
  // -99999.)
  struct Hour {
    const MinuteHours& section;
    long day, column;
    double max, min;  // -1: no value
  };
  const Hour hours[] = {
      {j.pressure, 1, 1, 11, 11},          {j.pressure, 1, 24, 12424, 12424},
      {j.pressure, 29, 24, 696696, -1},    {j.temperature, 1, 1, -1, -1},
      {j.humidity, 2, 1, 2525, 2525},      {j.humidity, 28, 24, 672672, -1},
      {j.humidity, 30, 1, -1, -1},         {j.humidity, 31, 24, -1, -1},
  };
  for (const Hour& h : hours) {
    SCOPED_TRACE(::testing::Message() << h.day << "/" << h.column << " " << h.max);
    const HourExtremes* x = h.section.Find(h.day, h.column);
    ASSERT_NE(x, nullptr);
    for (const auto& [extreme, value] : {std::pair{&x->max, h.max}, std::pair{&x->min, h.min}}) {
      EXPECT_EQ(extreme->Found(), value >= 0);
      if (value < 0) continue;
      EXPECT_EQ(extreme->value, value);
      EXPECT_EQ(kelvane::testing::MinutesText(*extreme), "01");
    }
  }
  // Outside the month's days and hours there is nothing.
  EXPECT_EQ(j.pressure.Find(32, 1), nullptr);
  EXPECT_EQ(j.pressure.Find(1, 25), nullptr);
  EXPECT_EQ(j.pressure.Find(0, 1), nullptr);
  EXPECT_EQ(JFileData().humidity.Find(1, 1), nullptr);
}

TEST(JFileTest, MalformedFilesAreNotUsable) {
  struct Case {
    const char* name;
    std::string text;
    int days;
    bool ok;
  };
  std::string header57 = std::string(kJHeader).substr(0, 57);
  std::string lowerCase = kJHeader;
  lowerCase[0] = 'x';
  const Case cases[] = {
      {"well formed", MinuteFile(2), 2, true},
      {"sections without data", MinuteFile(2, kJHeader, {"P=", "T=", "U="}), 2, true},
      {"code line longer than the code: no data lines follow it",
       MinuteFile(2, kJHeader, {"P=", "T0 x", "U="}), 2, true},
      {"header one character short", MinuteFile(2, header57), 2, false},
      {"header with a trailing blank", MinuteFile(2, std::string(kJHeader) + " "), 2, false},
      {"header off its pattern", MinuteFile(2, lowerCase), 2, false},
      {"wrong section code", MinuteFile(2, kJHeader, {"P0", "X0", "U0"}), 2, false},
      {"last section one line short", MinuteFile(2, kJHeader, {"P0", "T0", "U0"}, 1), 2, false},
      {"sections missing at the end", MinuteFile(2, kJHeader, {"P0"}), 2, false},
      {"more days than the file holds", MinuteFile(2), 3, false},
      {"day count outside a month", MinuteFile(2), 32, false},
      {"empty file", "", 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scratch s;
    const std::string path = s.Path("J54511-201201.TXT");
    std::ofstream(path, std::ios::binary) << c.text;
    JFileData j;
    ReadJFile(path, c.days, j);
    EXPECT_EQ(j.ok, c.ok);
  }
  JFileData j;
  ReadJFile("/nonexistent/J54511-201201.TXT", 31, j);
  EXPECT_FALSE(j.ok);
}

// ---------------------------------------------------------------------------
// Toolkit

TEST(AuditToolkitTest, CellKindsAgreeWithTheNumberHelpers) {
  struct Case {
    const char* text;
    CellKind kind;
  };
  const Case cases[] = {
      {"", CellKind::Absent},     {"-", CellKind::Absent},     {"123", CellKind::Whole},
      {"-45", CellKind::Whole},   {" +7 ", CellKind::Whole},   {"12.0", CellKind::Decimal},
      {".5", CellKind::Decimal},  {"5.", CellKind::Decimal},   {"////", CellKind::Text},
      {"12B", CellKind::Text},    {"--", CellKind::Text},      {"1 2", CellKind::Text},
      {" ", CellKind::Text},      {"+", CellKind::Text},       {".", CellKind::Text},
      {"-3.25x", CellKind::Text}, {"０", CellKind::Text},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const Cell cell = ParseCell(c.text);
    EXPECT_EQ(cell.kind, c.kind);
    EXPECT_EQ(cell.value, LeadingNumber(c.text));
    if (cell.Present()) {
      EXPECT_EQ(cell.Numeric(), IsNumericText(c.text));
      EXPECT_EQ(cell.WellFormed(),
                IsNumericText(c.text) && std::string_view(c.text).find('.') == std::string::npos);
    }
  }
  EXPECT_EQ(ParseCell("-2.5").Whole(), -3);
  EXPECT_EQ(ParseCell("99999999999999999999999").Whole(), INT64_MAX);
}

TEST(AuditToolkitTest, ColumnLabels) {
  EXPECT_EQ(HourLabel(1), "21");
  EXPECT_EQ(HourLabel(4), "24");
  EXPECT_EQ(HourLabel(5), "1");
  EXPECT_EQ(HourLabel(24), "20");
  EXPECT_EQ(HourLabel(25), "");
  EXPECT_EQ(FixedHourLabel(1), "2");
  EXPECT_EQ(FixedHourLabel(4), "20");

  const auto hourly = ColumnLabels::For(28, {"最高", "最高时", "最低", "最低时"}, {"最高", "最低"});
  EXPECT_EQ(hourly(1), "21");
  EXPECT_EQ(hourly(24), "20");
  EXPECT_EQ(hourly(25), "最高");
  EXPECT_EQ(hourly(28), "最低时");
  EXPECT_EQ(hourly(29), "");
  const auto four = ColumnLabels::For(6, {"最高", "最高时", "最低", "最低时"}, {"最高", "最低"});
  EXPECT_EQ(four(3), "14");
  EXPECT_EQ(four(5), "最高");
  EXPECT_EQ(four(6), "最低");
  EXPECT_EQ(ColumnLabels(Layout::FourTimes)(5), "");

  EXPECT_EQ(HourColumn(21), 1);
  EXPECT_EQ(HourColumn(24), 4);
  EXPECT_EQ(HourColumn(0), 4);
  EXPECT_EQ(HourColumn(1), 5);
  EXPECT_EQ(HourColumn(20), 24);
  EXPECT_EQ(HourColumn(25), 0);
}

TEST(AuditToolkitTest, HourNeighboursCrossDayEnds) {
  StringArray a = StringArray::Matrix(1, 3, 1, 26);
  for (long d = 1; d <= 3; ++d)
    for (long c = 1; c <= 26; ++c) a(d, c) = std::to_string(d * 100 + c);
  const Grid g(a);
  struct Case {
    int day, column;
    const char* before;  // nullptr: not tested
    const char* after;
  };
  const Case cases[] = {
      {1, 1, nullptr, nullptr}, {1, 2, "101", "103"},     {1, 24, "123", "201"},
      {2, 1, "124", "202"},     {3, 24, nullptr, nullptr}, {3, 23, "322", "324"},
      {2, 25, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.day) + "," + std::to_string(c.column));
    const HourNeighbours n = NeighboursOf(g, c.day, c.column);
    if (!c.before) {
      EXPECT_FALSE(n);
      continue;
    }
    ASSERT_TRUE(n);
    EXPECT_EQ(n.before->text, c.before);
    EXPECT_EQ(n.after->text, c.after);
  }
  // Four observations a day have no hour neighbours.
  const StringArray four = Cells(2, 6, {});
  EXPECT_FALSE(NeighboursOf(Grid(four), 2, 2));
}

TEST(AuditToolkitTest, GridReadsAbsentOutsideAndIgnoresRowZero) {
  StringArray a = StringArray::Matrix(0, 2, 0, 3);
  a(0, 0) = "x";
  a(2, 3) = "17";
  const Grid g(a);
  EXPECT_EQ(g.Days(), 2);
  EXPECT_EQ(g.Columns(), 3);
  EXPECT_EQ(g(2, 3).value, 17);
  EXPECT_TRUE(g(0, 0).Absent());
  EXPECT_TRUE(g(3, 1).Absent());
  const StringArray none;
  EXPECT_TRUE(Grid(none).Empty());
}

class ToolkitFindingsTest : public ::testing::Test, protected kelvane::testing::AuditInputs {
 protected:
  std::vector<AuditList::Row> Rows() const { return list.rows(); }

  AuditContext cx = Context();
};

TEST_F(ToolkitFindingsTest, FormatExtremesAndInterpolation) {
  // Day 1 hours 21..24 then the rest; day 2 begins with a gap.
  StringArray a = StringArray::Matrix(1, 2, 1, 24);
  for (long d = 1; d <= 2; ++d)
    for (long c = 1; c <= 24; ++c) a(d, c) = "100";
  a(1, 3) = "-";      // absent between two numbers
  a(1, 24) = "////";  // missing at the day's end; day 2 col 1 is numeric
  a(2, 5) = "10.5";
  const Grid g(a);
  ForEachCell(g, [&](int day, int column, const Cell& v) {
    const Spot at{"气温", day, HourLabel(column)};
    if (CheckFormat(cx, v, at)) CheckExtremes(cx, v.value, 99, 0, at);
    CheckInterpolation(cx, g, day, column, at);
  });
  const std::vector<AuditList::Row> rows = Rows();
  // In cell order: day 1 col 1, 2 extremes; col 3 interpolation; ...
  std::vector<std::string> seen;
  for (const auto& r : rows) seen.push_back(r[3] + "/" + r[4] + ":" + r[0] + ":" + r[6]);
  ASSERT_GE(rows.size(), 4u);
  EXPECT_EQ(seen[0], "1/21:记录超气候极值:可疑");
  EXPECT_EQ(seen[1], "1/22:记录超气候极值:可疑");
  EXPECT_EQ(seen[2], "1/23:相邻前后两时次数据正常,该时记录应内插:错误");
  const auto has = [&](const std::string& s) {
    return std::find(seen.begin(), seen.end(), s) != seen.end();
  };
  EXPECT_TRUE(has("1/20:记录格式错误:错误"));
  EXPECT_TRUE(has("1/20:相邻前后两时次数据正常,该时记录应内插:错误"));
  EXPECT_TRUE(has("2/1:记录格式错误:错误"));
  EXPECT_FALSE(has("2/1:记录超气候极值:可疑"));
  EXPECT_EQ(rows.front()[5], "");  // audit findings carry no line

  list.Clear();
  StringArray e = Cells(1, 24, {"1", "////", "3"});
  CheckInterpolation(cx, Grid(e), 1, 2, {"水汽压", 1, "22"}, GapWording::NotMissing);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list[1][0], "相邻前后两时次数据正常,该时记录不应缺测");
}

TEST_F(ToolkitFindingsTest, ContextReadsParametersAndModeCodes) {
  para(2) = Variant("2012");
  para(3) = Variant("03");
  para(4) = Variant("31");
  para(17) = Variant("人工");
  cls(1) = "3";
  cls(8) = "0=";
  cls(9) = "";
  AuditContext c = Context(true);
  EXPECT_EQ(c.Year(), 2012);
  EXPECT_EQ(c.Month(), 3);
  EXPECT_EQ(c.DaysInMonth(), 31);
  EXPECT_TRUE(c.ManualStation());
  EXPECT_TRUE(c.Present(1));
  EXPECT_FALSE(c.Present(8));
  EXPECT_TRUE(c.Present(9));
  EXPECT_TRUE(c.MountainStation());
  EXPECT_EQ(c.Para(53), "");
}

// ---------------------------------------------------------------------------
// Gates of the driver table

// Gate facts with every mode code "0" except the given ones (literals, so
// the views stay valid).
GateFacts Facts(std::map<int, const char*> codes, const char* para46 = "1", bool jfileOk = false,
                bool precipitationMissing = false) {
  GateFacts f;
  for (int k = 1; k <= 20; ++k) f.modeCodes[static_cast<size_t>(k)] = "0";
  for (const auto& [k, v] : codes) f.modeCodes[static_cast<size_t>(k)] = v;
  f.tenMinuteWindFlag = para46;
  f.jfileOk = jfileOk;
  f.hourlyPrecipitationMissing = precipitationMissing;
  return f;
}

std::string Names(const std::vector<AuditStep>& plan) {
  std::string s;
  for (AuditStep step : plan) s += std::string(StepName(step)) + " ";
  return s;
}

bool Runs(const std::vector<AuditStep>& plan, AuditStep step) {
  return std::find(plan.begin(), plan.end(), step) != plan.end();
}

TEST(AuditGatesTest, EveryElementPresent) {
  using S = AuditStep;
  const std::vector<AuditStep> all = {
      S::StationPressure, S::StationPressureVsJFile, S::AirTemperature, S::AirTemperatureVsJFile,
      S::MinTempAgainstGround, S::Psychrometry, S::VapourPressure, S::RelativeHumidity,
      S::DewPoint, S::Clouds, S::CloudHeight, S::Visibility, S::FixedPrecipitation,
      S::HourlyPrecipitation, S::WeatherPhenomena, S::Evaporation, S::Snow, S::WireIcing,
      S::FixedHourWind, S::TenMinuteWind, S::DailyMaxWind, S::GroundSurfaceTemperature,
      S::GroundTemperature5cm, S::GroundTemperature10cm, S::GroundTemperature15cm,
      S::GroundTemperature20cm, S::GroundTemperature40cm, S::GroundTemperatureProfile,
      S::GroundTemperature80cm, S::GroundTemperature160cm, S::GroundTemperature320cm,
      S::FrozenSoil, S::Sunshine, S::SeaLevelPressure, S::GrassTemperature, S::GroundState};
  EXPECT_EQ(Names(PlanAudits(Facts({}, "1", true))), Names(all));
}

TEST(AuditGatesTest, NothingPresent) {
  std::map<int, const char*> none;
  for (int k = 1; k <= 20; ++k) none[k] = "=";
  using S = AuditStep;
  const std::vector<AuditStep> always = {S::Psychrometry, S::VapourPressure, S::RelativeHumidity,
                                         S::DewPoint, S::FixedPrecipitation, S::Evaporation,
                                         S::SeaLevelPressure};
  EXPECT_EQ(Names(PlanAudits(Facts(none, "1", true, true))), Names(always));
}

TEST(AuditGatesTest, SingleGates) {
  using S = AuditStep;
  const std::vector<AuditStep> ground = {
      S::GroundSurfaceTemperature, S::GroundTemperature5cm, S::GroundTemperature10cm,
      S::GroundTemperature15cm, S::GroundTemperature20cm, S::GroundTemperature40cm,
      S::GroundTemperatureProfile};
  const std::vector<AuditStep> deep = {S::GroundTemperature80cm, S::GroundTemperature160cm,
                                       S::GroundTemperature320cm};
  struct Case {
    const char* name;
    GateFacts facts;
    std::vector<AuditStep> runs, skips;
  };
  std::vector<AuditStep> groundAndMin = ground;
  groundAndMin.push_back(S::MinTempAgainstGround);
  const std::vector<Case> cases = {
      {"ground temperatures observed by mode 1", Facts({{16, "1"}}), {S::MinTempAgainstGround},
       ground},
      {"ground temperatures absent", Facts({{16, "="}}), {}, groundAndMin},
      {"deep ground mode 1", Facts({{17, "1"}}), {}, deep},
      {"deep ground absent", Facts({{17, "9="}}), {}, deep},
      {"visibility mode 7", Facts({{9, "7"}}), {}, {S::Visibility}},
      {"visibility mode 8", Facts({{9, "8"}}), {}, {S::Visibility}},
      {"visibility mode 78", Facts({{9, "78"}}), {S::Visibility}, {}},
      {"no minute data", Facts({}, "1", false), {S::StationPressure, S::AirTemperature},
       {S::StationPressureVsJFile, S::AirTemperatureVsJFile}},
      {"pressure absent", Facts({{1, "="}}, "1", true), {S::AirTemperatureVsJFile},
       {S::StationPressure, S::StationPressureVsJFile}},
      {"no hourly precipitation", Facts({}, "1", false, true), {S::FixedPrecipitation},
       {S::HourlyPrecipitation}},
      // Weather and wire icing are skipped only by a code of exactly "=";
      // snow by any code ending in "=", as the other elements.
      {"weather, snow, icing coded \"=\"", Facts({{11, "="}, {13, "="}, {14, "="}}), {},
       {S::WeatherPhenomena, S::Snow, S::WireIcing}},
      {"weather, snow, icing coded \"0=\"", Facts({{11, "0="}, {13, "0="}, {14, "0="}}),
       {S::WeatherPhenomena, S::WireIcing}, {S::Snow}},
      {"cloud form absent, cloud height present", Facts({{8, "="}}), {S::CloudHeight},
       {S::Clouds}},
      // The daily maximum wind audit follows the wind element alone: the
      // header check always stores "9" in AFilePara 47.
      {"ten-minute wind not observed", Facts({}, "9"), {S::FixedHourWind, S::DailyMaxWind},
       {S::TenMinuteWind}},
      {"wind absent", Facts({{15, "="}}), {},
       {S::FixedHourWind, S::TenMinuteWind, S::DailyMaxWind}},
      {"frozen soil, sunshine, grass absent", Facts({{18, "="}, {19, "="}, {20, "="}}), {},
       {S::FrozenSoil, S::Sunshine, S::GrassTemperature, S::GroundState}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<AuditStep> plan = PlanAudits(c.facts);
    for (AuditStep s : c.runs) EXPECT_TRUE(Runs(plan, s)) << StepName(s);
    for (AuditStep s : c.skips) EXPECT_FALSE(Runs(plan, s)) << StepName(s);
  }
}

// ---------------------------------------------------------------------------
// AFileAuditing through the public method

// The arguments of one AFileAuditing call: a manual station 54511, March
// 2012, every element present, element arrays unallocated.
struct AuditCall {
  AuditCall() {
    para(1) = Variant("/data/A54511-201203.TXT");
    para(2) = Variant("2012");
    para(3) = Variant("03");
    para(4) = Variant("31");
    para(7) = Variant("54511");
    for (long k = 1; k <= 20; ++k) cls(k) = "0";
  }

  Status Run(KelvaneA& a, const std::string& sysPath) {
    return a.AFileAuditing(sysPath, sysLib, para, cls, e[0], e[1], e[2], e[3], e[4], e[5], e[6],
                           e[7], e[8], e[9], e[10], e[11], e[12], e[13], e[14], e[15], e[16],
                           e[17], e[18], e[19], e[20], e[21], e[22], e[23], e[24], e[25], e[26],
                           e[27], e[28], e[29], e[30], e[31], e[32], e[33], e[34], e[35], e[36],
                           cover, e[37], e[38], e[39], manualWind, list);
  }

  VariantArray sysLib;
  VariantArray para = VariantArray::Vector(1, 52);
  StringArray cls = StringArray::Vector(1, 20);
  std::vector<StringArray> e = std::vector<StringArray>(40);  // strP .. strRconnect, VFileJY..BZ
  StringArray cover;
  std::string manualWind;
  StringArray list;
};

// A caller's list holding the given levels, messages "format 1", ...
StringArray CallerList(std::initializer_list<const char*> levels) {
  StringArray l = StringArray::Matrix(1, 7, 0, static_cast<long>(levels.size()));
  long r = 0;
  for (const char* level : levels) {
    ++r;
    l(kColMessage, r) = "format " + std::to_string(r);
    l(kColLine, r) = std::to_string(r + 1);
    l(kColLevel, r) = level;
  }
  return l;
}

TEST(AFileAuditingTest, NoRuleSetGivesWarningAndNoticeAheadOfFormatErrors) {
  Scratch s;
  // The station fits the first table only; the second has neither it nor
  // a default record.
  WriteRuleLibrary(s.SysPath(), {{"54511", {{1, "1100"}}}}, {{"50000", {}}});
  KelvaneA a;
  std::vector<std::pair<std::string, std::string>> warnings;
  a.SetWarningCallback([&](const std::string& text, const std::string& caption) {
    warnings.emplace_back(text, caption);
  });
  AuditCall call;
  call.list = CallerList({"错误", "错误"});
  const Status st = call.Run(a, s.SysPath());
  ASSERT_TRUE(st.ok()) << st.description();
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].first, "没有适合该站的审核规则库!");
  EXPECT_EQ(warnings[0].second, "警告");

  ASSERT_EQ(call.list.UBound(2), 3);
  const std::vector<std::string> notice = {
      "无适合本站的审核规则库,不能进行数据审核", "全月", "", "", "", "1", ""};
  for (long c = 1; c <= 7; ++c) EXPECT_EQ(call.list(c, 1), notice[static_cast<size_t>(c - 1)]);
  EXPECT_EQ(call.list(kColMessage, 2), "format 1");
  EXPECT_EQ(call.list(kColMessage, 3), "format 2");
}

TEST(AFileAuditingTest, RuleSetFoundAddsNothingYet) {
  Scratch s;
  WriteRuleLibrary(s.SysPath(), {{"99999", {{1, "1100"}}}}, {{"99999", {}}});
  KelvaneA a;
  int warnings = 0;
  a.SetWarningCallback([&](const std::string&, const std::string&) { ++warnings; });
  AuditCall call;
  call.list = CallerList({"可疑", "错误"});
  ASSERT_TRUE(call.Run(a, s.SysPath()).ok());
  EXPECT_EQ(warnings, 0);
  ASSERT_EQ(call.list.UBound(2), 2);
  EXPECT_EQ(call.list(kColMessage, 1), "format 2");  // grouped by level
}

TEST(AFileAuditingTest, FailuresLeaveTheCallersListAsItWas) {
  Scratch s;
  WriteRuleLibrary(s.SysPath(), {{"99999", {}}}, {{"99999", {}}});
  struct Case {
    const char* name;
    std::function<void(AuditCall&, std::string&)> change;
    int number;
  };
  const std::vector<Case> cases = {
      {"missing SysLib.mdb", [](AuditCall&, std::string& sys) { sys += "nowhere/"; },
       kErrDatabaseNotFound},
      {"AFilePara too short",
       [](AuditCall& c, std::string&) { c.para = VariantArray::Vector(1, 51); }, kErrSubscript},
      {"AFileClass unallocated", [](AuditCall& c, std::string&) { c.cls = StringArray(); },
       kErrSubscript},
      {"element array of one dimension",
       [](AuditCall& c, std::string&) { c.e[6] = StringArray::Vector(1, 31); }, kErrSubscript},
      {"element array starting at day 2",
       [](AuditCall& c, std::string&) { c.e[0] = StringArray::Matrix(2, 31, 1, 28); },
       kErrSubscript},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KelvaneA a;
    int warnings = 0;
    a.SetWarningCallback([&](const std::string&, const std::string&) { ++warnings; });
    AuditCall call;
    call.list = CallerList({"可疑", "错误"});
    std::string sys = s.SysPath();
    c.change(call, sys);
    const Status st = call.Run(a, sys);
    EXPECT_FALSE(st.ok());
    EXPECT_EQ(st.number(), c.number) << st.description();
    EXPECT_EQ(warnings, 0);
    ASSERT_EQ(call.list.UBound(2), 2);
    EXPECT_EQ(call.list(kColMessage, 1), "format 1");  // not regrouped
  }
}

TEST(AFileAuditingTest, ElementArraysOfAnyShapeFromDayOneAreAccepted) {
  Scratch s;
  WriteRuleLibrary(s.SysPath(), {{"99999", {}}}, {{"99999", {}}});
  KelvaneA a;
  AuditCall call;
  call.e[0] = StringArray::Matrix(0, 31, 0, 28);  // from 0
  call.e[1] = StringArray::Matrix(1, 31, 1, 6);
  call.e[32] = StringArray::Matrix(1, 0, 1, 24);  // no days
  const Status st = call.Run(a, s.SysPath());
  EXPECT_TRUE(st.ok()) << st.description();
}

// The 47-parameter method and the automation layer both move the caller's
// arrays into the bundle and back: a misshapen array at any position is
// reported under its own name, and every array comes back as it went in.
TEST(AFileAuditingTest, EveryArrayParameterReachesItsBundleMember) {
  ASSERT_TRUE(server::DllRegisterServer().ok());
  Scratch s;
  WriteRuleLibrary(s.SysPath(), {{"99999", {}}}, {{"99999", {}}});
  // AuditCall::e holds strP .. strRconnect, then VFileJY .. VFileBZ; VFileFM is `cover`.
  auto slot = [](AuditCall& call, size_t i) -> StringArray& {
    if (i < 37) return call.e[i];
    if (i == 37) return call.cover;
    return call.e[i - 1];
  };
  for (size_t i = 0; i < kAFileArrayCount; ++i) {
    const auto& entry = kAFileArrayTable<>[i];
    if (entry.columns == AFileColumns::List) continue;
    SCOPED_TRACE(std::string(entry.name));
    KelvaneA a;
    AuditCall call;
    for (size_t k = 0; k < kAFileArrayCount; ++k)
      slot(call, k) = StringArray::Matrix(1, 2, 1, static_cast<long>(k + 1));
    slot(call, i) = StringArray::Vector(1, 3);  // one-dimensional: misshapen
    const Status st = call.Run(a, s.SysPath());
    EXPECT_EQ(st.number(), kErrSubscript);
    EXPECT_NE(st.description().find(std::string(entry.name) + " must be"), std::string::npos)
        << st.description();
    for (size_t k = 0; k < kAFileArrayCount; ++k) {
      const StringArray& back = slot(call, k);
      if (k == i)
        EXPECT_EQ(back.Rank(), 1);
      else
        EXPECT_EQ(back.UBound(2), static_cast<long>(k + 1)) << kAFileArrayTable<>[k].name;
    }

    // Through the automation layer, by name.
    std::unique_ptr<automation::Dispatch> d;
    ASSERT_TRUE(automation::Registry::Instance().Create("Kelvane.KelvaneA", d).ok());
    std::vector<automation::Value> args;
    args.emplace_back(std::string(s.SysPath()));
    args.emplace_back(VariantArray::Vector(1, 72));
    args.emplace_back(call.para);
    args.emplace_back(call.cls);
    for (size_t k = 0; k < kAFileArrayCount; ++k)
      args.emplace_back(k == i ? StringArray::Vector(1, 3) : StringArray::Matrix(1, 2, 1, 1));
    args.emplace_back(std::string());
    args.emplace_back(StringArray());
    const Status viaName = d->Invoke("AFileAuditing", args, nullptr);
    EXPECT_EQ(viaName.number(), kErrSubscript);
    EXPECT_NE(viaName.description().find(std::string(entry.name) + " must be"),
              std::string::npos)
        << viaName.description();
    ASSERT_NE(args[4 + i].AsStringArray(), nullptr);
    EXPECT_EQ(args[4 + i].AsStringArray()->Rank(), 1);
  }
}

TEST(AFileAuditingTest, RulesAreErasedAfterEveryCall) {
  Scratch s;
  WriteRuleLibrary(s.SysPath(), {{"99999", {{1, "1100"}}}}, {{"99999", {}}});
  AuditCall call;
  const AFileArrays arrays;
  const AuditInputs in{.sysPath = "",
                       .AFilePara = call.para,
                       .AFileClass = call.cls,
                       .arrays = arrays,
                       .AFileAuditingList = call.list};
  const std::string sys = s.SysPath();
  AuditInputs good = in;
  good.sysPath = sys;
  AuditRules rules;
  AuditList list;
  RunAFileAuditing(good, rules, list, nullptr);
  EXPECT_FALSE(rules.Loaded());
  EXPECT_EQ(list.Count(), 0);

  // A failure after the rules were loaded: the second table is missing.
  Scratch broken;
  const fs::path file = fs::path(broken.SysPath()) / "Sysconfig" / "SysLib.mdb";
  fs::create_directories(file.parent_path());
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.string().c_str(), &db), SQLITE_OK);
  WriteRuleTable(db, "tabAuditingRuleLib1", 66, {{"99999", {}}});
  sqlite3_close(db);
  const std::string brokenSys = broken.SysPath();
  AuditInputs bad = in;
  bad.sysPath = brokenSys;
  EXPECT_THROW(RunAFileAuditing(bad, rules, list, nullptr), Error);
  EXPECT_FALSE(rules.Loaded());
}

}  // namespace
}  // namespace kelvane::afile::audit
