// R-file audit and the databases it reads, on both engines: the rule set of
// the station, else the default "99999" set, else the warning and the notice;
// an empty rule table; a missing radiation database or table is an error
// status that leaves the list as it was; latitude nodes found by their
// numeric key in any row order, a missing node switching its rule off. The
// SQLite cases edit a copy of the sample system directory, the Jet cases
// read the Jet fixture under tests/data/jet4.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <filesystem>
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

namespace fs = std::filesystem;

const std::string kJetSys = std::string(KELVANE_TEST_DATA) + "/jet4/sys/";

void Exec(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  char* err = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK)
      << (err ? err : "") << "\n" << sql;
  sqlite3_free(err);
  sqlite3_close(db);
  db::detail::ClearTableCache();
}

struct Audit {
  Status status;
  std::vector<std::string> rows;
  std::vector<std::string> warnings;  // "caption: text"
};

// Format check of a sample file with the sample directory, then the audit
// with the system directory sys; the list the audit receives holds the
// findings of the check (a cover name too long, so that the list is not
// empty).
Audit CheckThenAudit(const testing::RFileFixture& f, const std::string& sys, const char* station) {
  testing::Lines lines = testing::SampleR(station);
  const int fm = testing::LineOf(lines, "FM");
  lines[static_cast<size_t>(fm + 8)] = "一二三四五六七八九";  // the person who entered the data
  const std::string path = f.Write(lines, std::string("R") + station + "-201203.TXT");
  KelvaneR k;
  Audit a;
  k.SetWarningCallback([&a](const std::string& text, const std::string& caption) {
    a.warnings.push_back(caption + ": " + text);
  });
  VariantArray para = VariantArray::Vector(1, 12);
  StringArray list;
  DataFile file;
  EXPECT_TRUE(file.Open(path).ok());
  EXPECT_TRUE(k.RFileFormCheck(f.Sys(), file, para, list).ok());
  RFileArrays arrays;
  EXPECT_TRUE(DecodeRFile(file, para, arrays).ok());
  // A global maximum above 1700 W/m² is flagged whatever the rule values.
  arrays.strRFileG(8, 26) = "1701";
  a.status = k.RFileAuditing(sys, para, arrays, list);
  for (const host::Finding& x : host::ReadFindings(list)) a.rows.push_back(testing::Row(x));
  return a;
}

const char* const kNameRow = "封面有关姓名格式错误 | 封面 |  | 输入 |  | 175 | 错误";
const char* const kElevationRow = "最大值偏大 | 总辐射 |  | 8 | 日最大 |  | 可疑";
const char* const kLimitRow = "最大值偏大 | 总辐射 |  | 8 | 日最大 |  | 可疑";

class RFileDatabases : public ::testing::Test {
 protected:
  void SetUp() override {
    db::detail::ClearTableCache();
    sys_ = scratch_.dir().string() + "/";
    sample::WriteSampleSystemDirectory(scratch_.dir().string());
  }
  void TearDown() override { db::detail::ClearTableCache(); }
  std::string SysLib() const { return sys_ + "Sysconfig/SysLib.mdb"; }
  std::string Constants() const { return sys_ + "RadiationConstant.mdb"; }

  testing::RFileFixture f_;
  testing::ScratchDir scratch_{"kelvane_rfile_db"};
  std::string sys_;
};

TEST_F(RFileDatabases, RuleSetOfTheStationElseTheDefaultElseTheNotice) {
  // The station's own row comes before the default one.
  Exec(SysLib(), "INSERT INTO tabRAuditingData (StationNum, RValue03) VALUES "
                 "('53772', '1,2,3000,4,5,6,7,8,9,10,11,12')");
  rfile::RuleValues rules;
  EXPECT_TRUE(rfile::LoadRuleValues(sys_, "53772", "03", "37.47N", rules));
  EXPECT_EQ(rules[3], "3000");
  EXPECT_EQ(rules[1], "");  // a Null column of the station's row: the rule is off
  EXPECT_TRUE(rfile::LoadRuleValues(sys_, "54399", "03", "39.59N", rules));
  EXPECT_EQ(rules[3], "2190");  // no row of its own: the default

  // Neither: the warning, the notice first, then the findings of the check;
  // no rule runs.
  Exec(SysLib(), "DELETE FROM tabRAuditingData WHERE StationNum <> '53772'");
  EXPECT_FALSE(rfile::LoadRuleValues(sys_, "54399", "03", "39.59N", rules));
  const Audit a = CheckThenAudit(f_, sys_, "54399");
  ASSERT_TRUE(a.status.ok()) << a.status.description();
  EXPECT_EQ(testing::Join(a.rows),
            testing::Join({"无适合本站的审核规则库,不能进行数据审核 | 全月 |  |  |  | 1 | ", kNameRow}));
  EXPECT_EQ(a.warnings, std::vector<std::string>{"警告: 没有适合该站的审核规则库!"});
}

TEST_F(RFileDatabases, EmptyRuleTableSwitchesTheTableRulesOff) {
  Exec(SysLib(), "DELETE FROM tabRAuditingData");
  rfile::RuleValues rules;
  EXPECT_TRUE(rfile::LoadRuleValues(sys_, "54399", "03", "39.59N", rules));
  for (int c = 1; c <= 42; ++c) EXPECT_EQ(rules[static_cast<size_t>(c)], "") << c;
  EXPECT_NE(rules[43], "");  // the possible radiation still comes from its database
  // The 1701 W/m² maximum: the elevation rule only (the limit 1000 + 100 is off).
  const Audit a = CheckThenAudit(f_, sys_, "54399");
  ASSERT_TRUE(a.status.ok()) << a.status.description();
  EXPECT_EQ(testing::Join(a.rows), testing::Join({kNameRow, kElevationRow}));
  ASSERT_EQ(a.warnings.size(), 1u);
  EXPECT_NE(a.warnings[0].find("审核规则库tabRAuditingData("), std::string::npos) << a.warnings[0];
  EXPECT_NE(a.warnings[0].find("SysLib.mdb)没有记录"), std::string::npos) << a.warnings[0];
  // With the default rules both rules fire.
  const Audit d = CheckThenAudit(f_, f_.Sys(), "54399");
  EXPECT_EQ(testing::Join(d.rows), testing::Join({kNameRow, kElevationRow, kLimitRow}));
  EXPECT_TRUE(d.warnings.empty());
}

// A rule entry that is neither a number nor a list of numbers is said once,
// naming the table, the station row used, the entry and its value; the
// values loaded (and so the findings) are those of the same table without
// the warning.
TEST_F(RFileDatabases, MalformedRuleValuesAreWarnedAbout) {
  rfile::RuleValues clean;
  ASSERT_TRUE(rfile::LoadRuleValues(sys_, "54399", "03", "39.59N", clean));
  struct Case {
    const char* value;
    bool warned;
  };
  const Case cases[] = {
      {"x", true}, {"1,2,,x", true}, {"1e", true}, {"12.5", false},
      {"1,2,3,4,5,6,7,8,9,10,11,12", false}, {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    Exec(SysLib(), std::string("UPDATE tabRAuditingData SET RValue05 = '") + c.value + "'");
    rfile::RuleValues rules;
    std::vector<std::string> problems;
    ASSERT_TRUE(rfile::LoadRuleValues(sys_, "54399", "03", "39.59N", rules, &problems));
    rfile::RuleValues again;
    ASSERT_TRUE(rfile::LoadRuleValues(sys_, "54399", "03", "39.59N", again));
    EXPECT_EQ(rules, again);
    if (!c.warned) {
      EXPECT_TRUE(problems.empty()) << testing::Join(problems);
      continue;
    }
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("审核规则库tabRAuditingData中站号"), std::string::npos);
    EXPECT_NE(problems[0].find(std::string("的第5项\"") + c.value +
                               "\"既不是数值,也不是12个月的数值列表"),
              std::string::npos)
        << problems[0];
  }
}

TEST_F(RFileDatabases, MissingDatabasesAndTablesAreAnErrorThatKeepsTheList) {
  struct Case {
    const char* name;
    std::function<void()> damage;
    const char* inMessage;
  };
  const std::vector<Case> cases = {
      {"no radiation database", [&] { fs::remove(Constants()); }, "RadiationConstant.mdb"},
      {"no possible direct radiation table",
       [&] { Exec(Constants(), "DROP TABLE tabPossibleDirectRadiation"); },
       "tabPossibleDirectRadiation"},
      {"no radiation rule table", [&] { Exec(SysLib(), "DROP TABLE tabRAuditingData"); },
       "tabRAuditingData"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sample::WriteSampleSystemDirectory(scratch_.dir().string());
    c.damage();
    db::detail::ClearTableCache();
    const Audit a = CheckThenAudit(f_, sys_, "54399");
    EXPECT_FALSE(a.status.ok());
    EXPECT_NE(a.status.description().find(c.inMessage), std::string::npos)
        << a.status.description();
    EXPECT_EQ(testing::Join(a.rows), testing::Join({kNameRow}));
  }
}

// Nodes by their numeric key in any row order; a missing node leaves the
// entry empty, and the rule that reads it is off.
TEST_F(RFileDatabases, LatitudeNodesByNumericKey) {
  const int g35 = sample::PossibleGlobalRadiation(35, 3), g40 = sample::PossibleGlobalRadiation(40, 3);
  Exec(Constants(),
       "CREATE TABLE t AS SELECT * FROM tabPossibleGlobalRadiation ORDER BY Latitude DESC;"
       "DROP TABLE tabPossibleGlobalRadiation;"
       "ALTER TABLE t RENAME TO tabPossibleGlobalRadiation;");
  rfile::RuleValues rules;
  EXPECT_TRUE(rfile::LoadRuleValues(sys_, "54399", "03", "39.48N", rules));
  EXPECT_EQ(rules[43], Num(std::lround(g35 + (g40 - g35) / 5.0 * 4.8)));
  Exec(Constants(), "DELETE FROM tabPossibleGlobalRadiation WHERE Latitude = '40';"
                    "DELETE FROM tabPossibleDirectRadiation WHERE Latitude = '30'");
  EXPECT_TRUE(rfile::LoadRuleValues(sys_, "54399", "03", "39.48N", rules));
  EXPECT_EQ(rules[43], "");
  EXPECT_EQ(rules[44], "");
  EXPECT_TRUE(rfile::LoadRuleValues(sys_, "54399", "03", "35.00N", rules));
  EXPECT_EQ(rules[43], Num(g35));  // on the node: no second node needed
}

// The Jet fixture: 54511 has its own row, the others the default one (the
// fixture's two rows hold the same values; the SQLite case above shows that
// the station's row is preferred).
TEST_F(RFileDatabases, JetRuleSetsAndPossibleRadiation) {
  rfile::RuleValues own, other;
  ASSERT_TRUE(rfile::LoadRuleValues(kJetSys, "54511", "03", "39.48N", own));
  ASSERT_TRUE(rfile::LoadRuleValues(kJetSys, "54399", "03", "39.59N", other));
  auto db = db::Database::Open(db::SysLibPath(kJetSys));
  ASSERT_EQ(db->engine(), db::Engine::Jet);
  db::Recordset rs = db->OpenTable("tabRAuditingData");
  for (const char* station : {"54511", "99999"}) {
    rs.Filter("StationNum", station);
    ASSERT_FALSE(rs.Eof());
    const rfile::RuleValues& r = std::string(station) == "54511" ? own : other;
    for (int c = 1; c <= 42; ++c)
      EXPECT_EQ(r[static_cast<size_t>(c)], GetField(rs.Field(c), ",", 3)) << station << " " << c;
    rs.ClearFilter();
  }
  EXPECT_NE(own[43], "");
  EXPECT_NE(own[44], "");
  // The whole audit reads the Jet databases without an error.
  const Audit a = CheckThenAudit(f_, kJetSys, "54399");
  EXPECT_TRUE(a.status.ok()) << a.status.description();
  EXPECT_TRUE(a.warnings.empty());
}

// The Jet station and rule database with a radiation database that is
// missing, or one without the tables (another Jet file).
TEST_F(RFileDatabases, JetMissingRadiationDatabaseOrTable) {
  fs::remove(Constants());
  fs::copy_file(kJetSys + "Sysconfig/SysLib.mdb", SysLib(), fs::copy_options::overwrite_existing);
  db::detail::ClearTableCache();
  Audit a = CheckThenAudit(f_, sys_, "54399");
  EXPECT_FALSE(a.status.ok());
  EXPECT_NE(a.status.description().find("RadiationConstant.mdb"), std::string::npos)
      << a.status.description();
  EXPECT_EQ(testing::Join(a.rows), testing::Join({kNameRow}));

  fs::copy_file(std::string(KELVANE_TEST_DATA) + "/jet4/DateTestDatabase.mdb", Constants());
  db::detail::ClearTableCache();
  a = CheckThenAudit(f_, sys_, "54399");
  EXPECT_FALSE(a.status.ok());
  EXPECT_NE(a.status.description().find("tabPossibleGlobalRadiation"), std::string::npos)
      << a.status.description();
  EXPECT_EQ(testing::Join(a.rows), testing::Join({kNameRow}));

  // A southern latitude reads no radiation database at all.
  rfile::RuleValues rules;
  EXPECT_TRUE(rfile::LoadRuleValues(sys_, "54399", "03", "39.59S", rules));
  EXPECT_EQ(rules[43], "");
  db::Recordset rs = db::Database::Open(SysLib())->OpenTable("tabRAuditingData");
  rs.Filter("StationNum", "99999");
  ASSERT_FALSE(rs.Eof());
  EXPECT_EQ(rules[3], GetField(rs.Field(3), ",", 3));
}

// Empty station fields (and a station without a record) are not compared:
// the header elevation and the cover heights differ from the sample station,
// and only the fields that hold a value give findings.
TEST_F(RFileDatabases, EmptyStationFieldsAreNotCompared) {
  testing::Lines lines = testing::SampleR("54399");
  lines[0].replace(19, 6, "100560");  // (56.0) m instead of (55.0)
  const int fm = testing::LineOf(lines, "FM");
  lines[static_cast<size_t>(fm + 5)] = "016 016 016";
  lines[static_cast<size_t>(fm + 6)] = "016 016";
  const std::string path = f_.Write(lines, "R54399-201203.TXT");
  auto check = [&] {
    KelvaneR k;
    VariantArray para = VariantArray::Vector(1, 12);
    StringArray list;
    EXPECT_TRUE(k.RFileFormCheck(sys_, path, para, list).ok());
    std::vector<std::string> rows;
    for (const host::Finding& x : host::ReadFindings(list)) rows.push_back(testing::Row(x));
    return testing::Join(rows);
  };
  EXPECT_EQ(check(), testing::Join({"文件首部参数与台站参数表不符 | 文件首部 | 观测场高 |  |  | 1 | 错误",
                                    "封面总表高度与台站参数表不符 | 封面 |  |  |  | 172 | 可疑",
                                    "封面散表高度与台站参数表不符 | 封面 |  |  |  | 172 | 可疑",
                                    "封面直表高度与台站参数表不符 | 封面 |  |  |  | 172 | 可疑",
                                    "封面净表高度与台站参数表不符 | 封面 |  |  |  | 173 | 可疑",
                                    "封面反表高度与台站参数表不符 | 封面 |  |  |  | 173 | 可疑"}));
  // Heights compare as numbers: "1.60" is the group 016.
  Exec(SysLib(), "UPDATE tabStationParameter SET GPyranometerH = '1.60' WHERE StationNum = '54399'");
  EXPECT_EQ(check(), testing::Join({"文件首部参数与台站参数表不符 | 文件首部 | 观测场高 |  |  | 1 | 错误",
                                    "封面散表高度与台站参数表不符 | 封面 |  |  |  | 172 | 可疑",
                                    "封面直表高度与台站参数表不符 | 封面 |  |  |  | 172 | 可疑",
                                    "封面净表高度与台站参数表不符 | 封面 |  |  |  | 173 | 可疑",
                                    "封面反表高度与台站参数表不符 | 封面 |  |  |  | 173 | 可疑"}));
  Exec(SysLib(), "UPDATE tabStationParameter SET FieldElevation = NULL, GPyranometerH = NULL, "
                 "SPyranometerH = '', RPyranometerH = NULL WHERE StationNum = '54399'");
  EXPECT_EQ(check(), testing::Join({"封面散表高度与台站参数表不符 | 封面 |  |  |  | 172 | 可疑",
                                    "封面净表高度与台站参数表不符 | 封面 |  |  |  | 173 | 可疑"}));
  Exec(SysLib(), "DELETE FROM tabStationParameter WHERE StationNum = '54399'");
  EXPECT_EQ(check(), "");
}

// The station comparison of the format check reads the Jet station table
// as it reads the SQLite one: the sample file agrees with both; a changed
// latitude and elevation are found on both; the Jet fixture's empty
// diffuse, direct and reflected heights are not compared.
TEST_F(RFileDatabases, StationComparisonOnBothEngines) {
  testing::Lines lines = testing::SampleR("54399");
  const std::string good = f_.Write(lines, "R54399-201203.TXT");
  lines[0].replace(6, 5, "3958N");
  lines[0].replace(19, 6, "100560");
  const int fm = testing::LineOf(lines, "FM");
  lines[static_cast<size_t>(fm + 5)] = "016 016 016";
  testing::ScratchDir other("kelvane_rfile_db_bad");
  const std::string bad = (other.dir() / "R54399-201203.TXT").string();
  {
    testing::RFileFixture g;
    fs::copy_file(g.Write(lines, "R54399-201203.TXT"), bad);
  }
  auto check = [](const std::string& sys, const std::string& path) {
    KelvaneR k;
    VariantArray para = VariantArray::Vector(1, 12);
    StringArray list;
    EXPECT_TRUE(k.RFileFormCheck(sys, path, para, list).ok());
    std::vector<std::string> rows;
    for (const host::Finding& x : host::ReadFindings(list)) rows.push_back(testing::Row(x));
    return testing::Join(rows);
  };
  const std::string header = "文件首部参数与台站参数表不符 | 文件首部 | ";
  for (const std::string& sys : {f_.Sys(), kJetSys}) {
    SCOPED_TRACE(sys);
    EXPECT_EQ(check(sys, good), "");
    std::vector<std::string> expect = {header + "纬度 |  |  | 1 | 错误",
                                       header + "观测场高 |  |  | 1 | 错误",
                                       "封面总表高度与台站参数表不符 | 封面 |  |  |  | 172 | 可疑"};
    if (sys == f_.Sys()) {
      expect.push_back("封面散表高度与台站参数表不符 | 封面 |  |  |  | 172 | 可疑");
      expect.push_back("封面直表高度与台站参数表不符 | 封面 |  |  |  | 172 | 可疑");
    }
    EXPECT_EQ(check(sys, bad), testing::Join(expect));
  }
}

}  // namespace
}  // namespace kelvane
