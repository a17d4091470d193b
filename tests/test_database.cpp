// Database access: one suite run against both engines. The Jet files under
// tests/data/jet4 come with CSV exports of every table; the same data is
// written into SQLite files at test time, so both engines must read back
// exactly what the CSV holds.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/database.h"
#include "common/error.h"
#include "kelvane/status.h"

namespace kelvane::db {
namespace {

namespace fs = std::filesystem;

using Row = std::vector<std::optional<std::string>>;

const fs::path kJetRoot = fs::path(KELVANE_TEST_DATA) / "jet4";

// ---------------------------------------------------------------------------
// CSV exports: first line the column names, text quoted (quotes doubled,
// newlines allowed inside), numbers and booleans bare, a null as an empty
// bare field.

struct CsvField {
  std::string text;
  bool quoted = false;
};

struct Csv {
  std::vector<std::string> header;
  std::vector<std::vector<CsvField>> records;

  // The record as the database should give it back (bare empty = null).
  Row Values(size_t r) const {
    Row row;
    for (const auto& f : records[r]) {
      if (!f.quoted && f.text.empty()) row.emplace_back(std::nullopt);
      else row.emplace_back(f.text);
    }
    return row;
  }
};

Csv ReadCsv(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string s = ss.str();

  std::vector<std::vector<CsvField>> records;
  std::vector<CsvField> record;
  CsvField field;
  size_t i = 0;
  auto endField = [&] { record.push_back(std::move(field)); field = CsvField(); };
  auto endRecord = [&] { endField(); records.push_back(std::move(record)); record.clear(); };
  while (i < s.size()) {
    const char c = s[i];
    if (c == '"' && field.text.empty() && !field.quoted) {
      field.quoted = true;
      ++i;
      while (i < s.size()) {
        if (s[i] == '"') {
          if (i + 1 < s.size() && s[i + 1] == '"') {
            field.text += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field.text += s[i++];
      }
    } else if (c == ',') {
      endField();
      ++i;
    } else if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
      endRecord();
      i += 2;
    } else if (c == '\n') {
      endRecord();
      ++i;
    } else {
      field.text += c;
      ++i;
    }
  }
  if (!field.text.empty() || field.quoted || !record.empty()) endRecord();

  Csv csv;
  if (records.empty()) return csv;
  for (auto& f : records.front()) csv.header.push_back(f.text);
  csv.records.assign(records.begin() + 1, records.end());
  return csv;
}

// ---------------------------------------------------------------------------
// SQLite copies of the Jet files, written once per test run.

void Exec(sqlite3* db, const std::string& sql) {
  char* err = nullptr;
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "") << "\n" << sql;
}

std::string Quote(const std::string& id) {
  std::string q = "\"";
  for (char c : id) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

// Writes a table with the CSV's columns (no declared types, so every value
// keeps the storage class it is bound with) and its records.
void WriteTable(sqlite3* db, const std::string& table, const Csv& csv) {
  std::string create = "CREATE TABLE " + Quote(table) + " (";
  std::string insert = "INSERT INTO " + Quote(table) + " VALUES (";
  for (size_t c = 0; c < csv.header.size(); ++c) {
    create += (c ? ", " : "") + Quote(csv.header[c]);
    insert += c ? ", ?" : "?";
  }
  Exec(db, create + ")");
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &stmt, nullptr), SQLITE_OK);
  for (const auto& rec : csv.records) {
    for (size_t c = 0; c < rec.size(); ++c) {
      const int n = static_cast<int>(c + 1);
      const CsvField& f = rec[c];
      if (f.quoted) sqlite3_bind_text(stmt, n, f.text.c_str(), static_cast<int>(f.text.size()), SQLITE_TRANSIENT);
      else if (f.text.empty()) sqlite3_bind_null(stmt, n);
      else if (f.text.find('.') != std::string::npos) sqlite3_bind_double(stmt, n, std::stod(f.text));
      else sqlite3_bind_int64(stmt, n, std::stoll(f.text));
    }
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_DONE);
    sqlite3_reset(stmt);
  }
  sqlite3_finalize(stmt);
}

void WriteDatabase(const fs::path& file, const std::function<void(sqlite3*)>& fill) {
  fs::create_directories(file.parent_path());
  fs::remove(file);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.string().c_str(), &db), SQLITE_OK);
  Exec(db, "BEGIN");
  fill(db);
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

fs::path ScratchPath() {
  return fs::temp_directory_path() / ("kelvane_db_test_" + std::to_string(::getpid()));
}

fs::path ScratchDir() {
  static const fs::path dir = [] {
    fs::path d = ScratchPath();
    fs::remove_all(d);
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

// Removes the scratch files when the test run ends.
class ScratchCleanup : public ::testing::Environment {
 public:
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(ScratchPath(), ec);
  }
};
[[maybe_unused]] ::testing::Environment* const scratchCleanup =
    ::testing::AddGlobalTestEnvironment(new ScratchCleanup);

// The tables of the fixture files and their CSV exports.
struct TableCase {
  const char* file;  // below the engine's root
  const char* table;
  const char* csv;
};

const TableCase kTables[] = {
    {"sys/Sysconfig/SysLib.mdb", "tabStationParameter", "SysLib.tabStationParameter.csv"},
    {"sys/Sysconfig/SysLib.mdb", "tabAuditingRuleLib1", "SysLib.tabAuditingRuleLib1.csv"},
    {"sys/Sysconfig/SysLib.mdb", "tabAuditingRuleLib2", "SysLib.tabAuditingRuleLib2.csv"},
    {"sys/Sysconfig/SysLib.mdb", "tabRAuditingData", "SysLib.tabRAuditingData.csv"},
    {"sys/RadiationConstant.mdb", "tabPossibleGlobalRadiation", "RadiationConstant.tabPossibleGlobalRadiation.csv"},
    {"sys/RadiationConstant.mdb", "tabPossibleDirectRadiation", "RadiationConstant.tabPossibleDirectRadiation.csv"},
    {"DateTestDatabase.mdb", "DateTest", "DateTestDatabase.DateTest.csv"},
};

Csv Expected(const TableCase& tc) { return ReadCsv(kJetRoot / "expected" / tc.csv); }

// Root of the SQLite copies: the same files and tables as the Jet root.
const fs::path& SqliteRoot() {
  static const fs::path root = [] {
    const fs::path r = ScratchDir() / "sqlite";
    for (const char* file : {"sys/Sysconfig/SysLib.mdb", "sys/RadiationConstant.mdb", "DateTestDatabase.mdb"}) {
      WriteDatabase(r / file, [&](sqlite3* db) {
        for (const auto& tc : kTables) {
          if (std::string(tc.file) == file) WriteTable(db, tc.table, Expected(tc));
        }
      });
    }
    return r;
  }();
  return root;
}

template <class Fn>
int ErrorNumberOf(Fn&& fn) {
  try {
    fn();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

// ---------------------------------------------------------------------------
// One suite, both engines.

class DatabaseEngineTest : public ::testing::TestWithParam<Engine> {
 protected:
  static void TearDownTestSuite() { detail::ClearTableCache(); }

  fs::path Root() const { return GetParam() == Engine::Jet ? kJetRoot : SqliteRoot(); }
  std::unique_ptr<Database> OpenFile(const char* file) const {
    auto db = Database::Open((Root() / file).string());
    EXPECT_EQ(db->engine(), GetParam());
    return db;
  }
  Recordset OpenTable(const char* file, const char* table) const { return OpenFile(file)->OpenTable(table); }
};

TEST_P(DatabaseEngineTest, EveryTableReadsBackAsItsCsv) {
  for (const auto& tc : kTables) {
    if (std::string(tc.table) == "DateTest") continue;  // date columns: see below
    SCOPED_TRACE(tc.table);
    const Csv csv = Expected(tc);
    Recordset rs = OpenTable(tc.file, tc.table);
    EXPECT_EQ(rs.Columns(), csv.header);
    ASSERT_EQ(rs.RecordCount(), csv.records.size());
    for (size_t r = 0; r < csv.records.size(); ++r, rs.MoveNext()) {
      ASSERT_FALSE(rs.Eof());
      const Row want = csv.Values(r);
      EXPECT_EQ(rs.table().rows[r], want) << "row " << r;
      for (size_t c = 0; c < want.size(); ++c) {
        EXPECT_EQ(rs.Field(static_cast<int>(c)), want[c].value_or("")) << "row " << r << " column " << c;
      }
    }
    EXPECT_TRUE(rs.Eof());
  }
}

TEST_P(DatabaseEngineTest, DateTestTextAndNumberColumns) {
  const TableCase& tc = kTables[std::size(kTables) - 1];
  const Csv csv = Expected(tc);
  Recordset rs = OpenTable(tc.file, tc.table);
  ASSERT_EQ(rs.Columns(), csv.header);
  ASSERT_EQ(rs.RecordCount(), csv.records.size());
  for (size_t r = 0; r < csv.records.size(); ++r, rs.MoveNext()) {
    for (const char* col : {"IDCol", "LongTextCol", "ShortTextCol"}) {
      const auto c = static_cast<size_t>(rs.ColumnIndex(col));
      EXPECT_EQ(rs.Field(col), csv.records[r][c].text) << "row " << r << " " << col;
    }
  }
}

TEST_P(DatabaseEngineTest, TableNamesListOnlyUserTables) {
  auto sorted = [](std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  };
  EXPECT_EQ(sorted(OpenFile("sys/Sysconfig/SysLib.mdb")->TableNames()),
            (std::vector<std::string>{"tabAuditingRuleLib1", "tabAuditingRuleLib2", "tabRAuditingData",
                                      "tabStationParameter"}));
  EXPECT_EQ(OpenFile("DateTestDatabase.mdb")->TableNames(), std::vector<std::string>{"DateTest"});
}

TEST_P(DatabaseEngineTest, FilterOnStationNumber) {
  struct Case {
    const char* table;
    const char* key;
    bool found;
    const char* column;  // checked on the match
    const char* value;
  };
  const Case cases[] = {
      {"tabStationParameter", "54511", true, "StationClass", "基本站"},
      {"tabStationParameter", "53772", true, "DataCollection", "人工"},
      {"tabStationParameter", "54399", true, "FieldElevation", "(55.0)"},
      {"tabStationParameter", "99999", false, "", ""},
      {"tabStationParameter", "5451", false, "", ""},       // no prefix match
      {"tabStationParameter", "54511 ", false, "", ""},     // no trimming
      {"tabAuditingRuleLib1", "99999", true, "Rule003", "20"},
      {"tabAuditingRuleLib2", "99999", true, "Rule067", "90"},
      {"tabRAuditingData", "99999", true, "RValue01", "310,350,460,610,760,870,910,870,760,610,460,350"},
      {"tabRAuditingData", "54511", true, "RValue05", ""},  // null reads as ""
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.table) + " " + c.key);
    Recordset rs = OpenTable("sys/Sysconfig/SysLib.mdb", c.table);
    const size_t all = rs.RecordCount();
    ASSERT_FALSE(rs.IsEmpty());
    rs.Filter("StationNum", c.key);
    if (c.found) {
      ASSERT_FALSE(rs.Eof());
      EXPECT_EQ(rs.RecordCount(), 1u);
      EXPECT_EQ(rs.Field("StationNum"), c.key);
      EXPECT_EQ(rs.Field(0), c.key);
      EXPECT_EQ(rs.Field(c.column), c.value);
      rs.MoveNext();
      EXPECT_TRUE(rs.Eof());
    } else {
      EXPECT_TRUE(rs.Eof());
      EXPECT_TRUE(rs.IsEmpty());
      EXPECT_EQ(rs.RecordCount(), 0u);
      EXPECT_EQ(ErrorNumberOf([&] { rs.Field(0); }), kErrNoCurrentRow);
    }
    rs.ClearFilter();
    EXPECT_EQ(rs.RecordCount(), all);
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.Field(0), rs.table().rows[0][0].value_or(""));
  }
}

TEST_P(DatabaseEngineTest, FieldsByNameAndPosition) {
  Recordset rs = OpenTable("sys/Sysconfig/SysLib.mdb", "tabStationParameter");
  rs.Filter("StationNum", "53772");
  ASSERT_FALSE(rs.Eof());
  const int last = static_cast<int>(rs.Columns().size()) - 1;
  EXPECT_EQ(rs.Field(8), "一般站");
  EXPECT_EQ(rs.Field(last), "示范三站");
  EXPECT_EQ(rs.Field("stationclass"), "一般站");  // column names ignore case
  EXPECT_EQ(rs.Field("BaroSensorElevation"), "");   // null
  EXPECT_EQ(rs.Field("Evapan"), "1");              // yes/no as 1/0
  EXPECT_EQ(rs.Field("GroundEstate"), "0");
  EXPECT_EQ(rs.Field("StationPressure"), "1");     // integer column

  EXPECT_EQ(ErrorNumberOf([&] { rs.Field(-1); }), kErrColumnNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { rs.Field(last + 1); }), kErrColumnNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { rs.Field("NoSuchColumn"); }), kErrColumnNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { rs.Filter("NoSuchColumn", "1"); }), kErrColumnNotFound);
  try {
    rs.Field("NoSuchColumn");
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("'NoSuchColumn' not found in table 'tabStationParameter'"),
              std::string::npos)
        << e.what();
  }
}

TEST_P(DatabaseEngineTest, SortByLatitudeIsNumeric) {
  struct Case {
    const char* table;
    int first, step, last;
  };
  for (const Case& c : {Case{"tabPossibleGlobalRadiation", 0, 5, 90}, Case{"tabPossibleDirectRadiation", 10, 10, 70}}) {
    SCOPED_TRACE(c.table);
    Recordset rs = OpenTable("sys/RadiationConstant.mdb", c.table);
    rs.SortBy("Latitude");
    std::vector<std::string> got, want;
    for (; !rs.Eof(); rs.MoveNext()) got.push_back(rs.Field("Latitude"));
    for (int v = c.first; v <= c.last; v += c.step) want.push_back(std::to_string(v));
    EXPECT_EQ(got, want);
  }
}

TEST_P(DatabaseEngineTest, TableNamesMatchExactlyThenIgnoringCase) {
  auto db = OpenFile("sys/Sysconfig/SysLib.mdb");
  EXPECT_EQ(db->OpenTable("TABSTATIONPARAMETER").RecordCount(), 3u);
  EXPECT_EQ(db->OpenTable("tabstationparameter").Columns().front(), "StationNum");
  EXPECT_EQ(ErrorNumberOf([&] { db->OpenTable("tabNoSuchTable"); }), kErrTableNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { db->OpenTable("tabStationParameter "); }), kErrTableNotFound);
  try {
    db->OpenTable("tabNoSuchTable");
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "table 'tabNoSuchTable' not found in database " + db->path());
  }
}

TEST_P(DatabaseEngineTest, SystemDirectoryPaths) {
  const std::string sys = (Root() / "sys").string();
  for (const std::string& sysPath : {sys, sys + "/"}) {
    auto syslib = Database::Open(SysLibPath(sysPath));
    EXPECT_EQ(syslib->engine(), GetParam());
    EXPECT_EQ(syslib->OpenTable("tabStationParameter").RecordCount(), 3u);
    auto rad = Database::Open(RadiationConstantPath(sysPath), kRadiationConstantPassword);
    EXPECT_EQ(rad->OpenTable("tabPossibleGlobalRadiation").RecordCount(), 19u);
  }
}

INSTANTIATE_TEST_SUITE_P(Engines, DatabaseEngineTest, ::testing::Values(Engine::Jet, Engine::Sqlite),
                         [](const auto& info) { return info.param == Engine::Jet ? "Jet" : "Sqlite"; });

// ---------------------------------------------------------------------------
// Engine-independent behaviour.

TEST(DatabaseTest, OpenFailures) {
  const fs::path dir = ScratchDir() / "bad";
  fs::create_directories(dir);
  auto write = [&](const char* name, const std::string& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
    return (dir / name).string();
  };
  std::string jetHead(4, '\0');
  jetHead += std::string("Standard Jet DB\0", 16);
  struct Case {
    std::string path;
    int number;
  };
  const Case cases[] = {
      {(dir / "missing.mdb").string(), kErrDatabaseNotFound},
      {dir.string(), kErrDatabaseNotFound},  // a directory
      {"", kErrDatabaseNotFound},
      {write("empty.mdb", ""), kErrDatabaseFormat},
      {write("text.mdb", "StationNum,Latitude\n54511,39.48N\n"), kErrDatabaseFormat},
      {write("short_jet.mdb", jetHead), kErrDatabaseFormat},
      {write("short_sqlite.mdb", "SQLite format 3"), kErrDatabaseFormat},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ErrorNumberOf([&] { Database::Open(c.path); }), c.number) << c.path;
  }
  try {
    Database::Open((dir / "missing.mdb").string());
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "database file not found: " + (dir / "missing.mdb").string());
  }

  // Recognised by its first bytes but broken inside: an engine failure.
  std::string fakeSqlite("SQLite format 3\0", 16);
  fakeSqlite += std::string(4096, 'x');
  auto db = Database::Open(write("broken.sqlite", fakeSqlite));
  EXPECT_EQ(db->engine(), Engine::Sqlite);
  EXPECT_EQ(ErrorNumberOf([&] { db->OpenTable("t"); }), kErrDatabase);

  // A Jet file cut short after its first pages.
  std::ifstream in(kJetRoot / "sys/Sysconfig/SysLib.mdb", std::ios::binary);
  std::string head(8192, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  auto cut = Database::Open(write("cut.mdb", head));
  EXPECT_EQ(cut->engine(), Engine::Jet);
  const int n = ErrorNumberOf([&] { cut->OpenTable("tabStationParameter"); });
  EXPECT_TRUE(n == kErrDatabase || n == kErrTableNotFound) << n;
}

TEST(DatabaseTest, EmptyTableIsNotAnError) {
  const fs::path file = ScratchDir() / "empty_table.db";
  WriteDatabase(file, [](sqlite3* db) { Exec(db, "CREATE TABLE tabStationParameter (StationNum, Latitude)"); });
  Recordset rs = Database::Open(file.string())->OpenTable("tabStationParameter");
  EXPECT_TRUE(rs.IsEmpty());
  EXPECT_TRUE(rs.Eof());
  EXPECT_EQ(rs.Columns(), (std::vector<std::string>{"StationNum", "Latitude"}));
  rs.Filter("StationNum", "54511");
  EXPECT_TRUE(rs.Eof());
  rs.SortBy("Latitude");
  EXPECT_TRUE(rs.Eof());
  EXPECT_EQ(ErrorNumberOf([&] { rs.Field("Latitude"); }), kErrNoCurrentRow);
}

TEST(DatabaseTest, QuotedTableAndColumnNames) {
  const fs::path file = ScratchDir() / "quoted.db";
  WriteDatabase(file, [](sqlite3* db) {
    Exec(db, "CREATE TABLE \"odd \"\"name\"\"\" (\"a b\", c); INSERT INTO \"odd \"\"name\"\"\" VALUES (2, 2.5)");
  });
  Recordset rs = Database::Open(file.string())->OpenTable("odd \"name\"");
  ASSERT_FALSE(rs.Eof());
  EXPECT_EQ(rs.Field("a b"), "2");
  EXPECT_EQ(rs.Field("c"), "2.5");
}

TEST(RecordsetTest, SortOrder) {
  struct Case {
    const char* name;
    std::vector<std::optional<std::string>> keys;
    std::vector<size_t> order;  // stored row indices in sorted order
  };
  const Case cases[] = {
      {"numeric", {"10", "5", "90", "0", "5"}, {3, 1, 4, 0, 2}},
      {"negative and decimal", {"-1.5", "2", "-10", "0.25"}, {2, 0, 3, 1}},
      {"text when one value is not a number", {"10", "5", "9a"}, {0, 1, 2}},
      {"nulls first", {"20", std::nullopt, "3"}, {1, 2, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto t = std::make_shared<Table>();
    t->name = "t";
    t->columns = {"Key"};
    for (const auto& k : c.keys) t->rows.push_back({k});
    Recordset rs(t);
    rs.SortBy("Key");
    std::vector<std::string> got, want;
    for (; !rs.Eof(); rs.MoveNext()) got.push_back(rs.Field(0));
    for (size_t i : c.order) want.push_back(c.keys[i].value_or(""));
    EXPECT_EQ(got, want);
  }
}

TEST(RecordsetTest, SortKeepsFilterAndStability) {
  auto t = std::make_shared<Table>();
  t->name = "t";
  t->columns = {"Group", "Value", "Tag"};
  t->rows = {{"a", "3", "first"}, {"b", "1", "x"}, {"a", "1", "second"}, {"a", "1", "third"}};
  Recordset rs(t);
  rs.Filter("Group", "a");
  rs.SortBy("Value");
  std::vector<std::string> tags;
  for (; !rs.Eof(); rs.MoveNext()) tags.push_back(rs.Field("Tag"));
  EXPECT_EQ(tags, (std::vector<std::string>{"second", "third", "first"}));
  rs.Filter("Group", "A");  // keys are case-sensitive
  EXPECT_TRUE(rs.Eof());
}

TEST(DatabasePathTest, ResolveBelow) {
  const fs::path sys = ScratchDir() / "Sys";
  fs::create_directories(sys / "sysconfig");
  std::ofstream(sys / "sysconfig" / "syslib.MDB") << "x";
  std::ofstream(sys / "RadiationConstant.mdb") << "x";
  const std::string s = sys.string();
  std::string back = s;
  std::replace(back.begin(), back.end(), '/', '\\');
  const std::string syslib = s + "/sysconfig/syslib.MDB";

  struct Case {
    std::string got, want;
  };
  const Case cases[] = {
      {SysLibPath(s + "/"), syslib},
      {SysLibPath(s), syslib},
      {SysLibPath(s + "//"), syslib},
      {SysLibPath(back + "\\"), syslib},
      {ResolveBelow(s, "Sysconfig\\SysLib.mdb"), syslib},
      {ResolveBelow(s + "/", "/SYSCONFIG/./SYSLIB.mdb"), syslib},
      {RadiationConstantPath(s + "/"), s + "/RadiationConstant.mdb"},
      {RadiationConstantPath(back), s + "/RadiationConstant.mdb"},
      {ResolveBelow(s, "Sysconfig/Missing.mdb"), s + "/sysconfig/Missing.mdb"},
      {SysLibPath(s + "/Nope/"), s + "/Nope/Sysconfig/SysLib.mdb"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].got, cases[i].want) << "case " << i;
}

TEST(DatabaseCacheTest, ModifiedFileIsReadAgain) {
  detail::ClearTableCache();
  const fs::path file = ScratchDir() / "cache.db";
  WriteDatabase(file, [](sqlite3* db) { Exec(db, "CREATE TABLE t (k, v); INSERT INTO t VALUES ('a', '1')"); });
  const Recordset first = Database::Open(file.string())->OpenTable("t");
  const Recordset again = Database::Open(file.string())->OpenTable("t");
  EXPECT_EQ(&first.table(), &again.table());  // served from the cache

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.string().c_str(), &db), SQLITE_OK);
  Exec(db, "UPDATE t SET v = '2'");
  sqlite3_close(db);
  // Make the change visible even where the clock is coarse.
  fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(2));

  Recordset changed = Database::Open(file.string())->OpenTable("t");
  EXPECT_NE(&first.table(), &changed.table());
  EXPECT_EQ(changed.Field("v"), "2");
  EXPECT_EQ(first.Field("v"), "1");  // an open recordset keeps its data
}

TEST(DatabaseCacheTest, StaysBounded) {
  detail::ClearTableCache();
  const fs::path file = ScratchDir() / "many.db";
  WriteDatabase(file, [](sqlite3* db) {
    for (int i = 0; i < 70; ++i) Exec(db, "CREATE TABLE t" + std::to_string(i) + " (k)");
  });
  auto db = Database::Open(file.string());
  for (int i = 0; i < 70; ++i) db->OpenTable("t" + std::to_string(i));
  EXPECT_EQ(detail::TableCacheSize(), 64u);
  detail::ClearTableCache();
}

}  // namespace
}  // namespace kelvane::db
