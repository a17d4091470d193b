// The sample system directory: layout of the written databases as the
// checks read them, the sample stations against the header rules, the rule
// values, the radiation reference tables, and rewriting.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/station_params.h"
#include "common/text.h"
#include "sample/sample_stations.h"
#include "sample/sample_sysdir.h"

namespace kelvane::sample {
namespace {

namespace fs = std::filesystem;

using Row = std::vector<std::optional<std::string>>;

struct TableDump {
  std::vector<std::string> columns;
  std::vector<std::string> types;  // declared column types
  std::vector<Row> rows;
  std::vector<std::vector<int>> storage;  // SQLITE_INTEGER, SQLITE_TEXT, SQLITE_NULL ...
};

TableDump Dump(const fs::path& file, const std::string& table) {
  sqlite3* db = nullptr;
  TableDump out;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    ADD_FAILURE() << "cannot open " << file;
    return out;
  }
  sqlite3_stmt* st = nullptr;
  const std::string sql = "SELECT * FROM \"" + table + "\" ORDER BY rowid";
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << "no table " << table << ": " << sqlite3_errmsg(db);
    sqlite3_close(db);
    return out;
  }
  const int n = sqlite3_column_count(st);
  for (int c = 0; c < n; ++c) {
    out.columns.emplace_back(sqlite3_column_name(st, c));
    const char* t = sqlite3_column_decltype(st, c);
    out.types.emplace_back(t ? t : "");
  }
  while (sqlite3_step(st) == SQLITE_ROW) {
    Row row;
    std::vector<int> kinds;
    for (int c = 0; c < n; ++c) {
      kinds.push_back(sqlite3_column_type(st, c));
      if (kinds.back() == SQLITE_NULL)
        row.emplace_back(std::nullopt);
      else
        row.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
    }
    out.rows.push_back(std::move(row));
    out.storage.push_back(std::move(kinds));
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return out;
}

std::string Numbered(const char* prefix, int n, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%0*d", prefix, width, n);
  return buf;
}

class SampleSysdirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    dir_ = fs::temp_directory_path() /
           ("kelvane-sysdir-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    fs::remove_all(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  fs::path SysLib() const { return dir_ / "Sysconfig" / "SysLib.mdb"; }
  fs::path RadConst() const { return dir_ / "RadiationConstant.mdb"; }

  fs::path dir_;
};

TEST_F(SampleSysdirTest, TablesHaveTheLayoutTheChecksRead) {
  WriteSampleSystemDirectory(dir_.string());
  struct Case {
    fs::path file;
    const char* table;
    size_t columns;
    size_t rows;
    const char* key;
    const char* prefix;  // value columns prefix + number ("" for the station table)
    int first, width;
  };
  const Case cases[] = {
      {SysLib(), "tabStationParameter", 48, 3, "StationNum", "", 0, 0},
      {SysLib(), "tabAuditingRuleLib1", 67, 1, "StationNum", "Rule", 1, 3},
      {SysLib(), "tabAuditingRuleLib2", 49, 1, "StationNum", "Rule", 67, 3},
      {SysLib(), "tabRAuditingData", 43, 1, "StationNum", "RValue", 1, 2},
      {RadConst(), "tabPossibleGlobalRadiation", 13, 19, "Latitude", "M", 1, 2},
      {RadConst(), "tabPossibleDirectRadiation", 13, 7, "Latitude", "M", 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.table);
    const TableDump t = Dump(c.file, c.table);
    ASSERT_EQ(t.columns.size(), c.columns);
    EXPECT_EQ(t.rows.size(), c.rows);
    EXPECT_EQ(t.columns[0], c.key);
    if (*c.prefix) {
      for (size_t k = 1; k < c.columns; ++k)
        EXPECT_EQ(t.columns[k], Numbered(c.prefix, c.first + static_cast<int>(k) - 1, c.width));
    }
    if (std::string(c.table).starts_with("tabAuditing") || std::string(c.table) == "tabRAuditingData") {
      EXPECT_EQ(t.rows.at(0).at(0), "99999");
    }
  }
  const auto& columns = StationParameterColumns();
  const TableDump st = Dump(SysLib(), "tabStationParameter");
  ASSERT_EQ(st.columns.size(), columns.size());
  for (size_t i = 0; i < columns.size(); ++i) EXPECT_EQ(st.columns[i], columns[i].name);
}

// Every station reads back through the project's station lookup exactly as
// the station list holds it; codes and yes/no flags are stored as integers.
TEST_F(SampleSysdirTest, StationsReadBackAsStored) {
  WriteSampleSystemDirectory(dir_.string());
  const TableDump st = Dump(SysLib(), "tabStationParameter");
  const auto& columns = StationParameterColumns();
  ASSERT_EQ(SampleStations().size(), 3u);
  for (size_t r = 0; r < SampleStations().size(); ++r) {
    const SampleStation& s = SampleStations()[r];
    SCOPED_TRACE(s.StationNum);
    const auto rec = FindStation(dir_.string() + "/", s.StationNum);
    ASSERT_TRUE(rec.has_value());
    for (size_t i = 0; i < columns.size(); ++i) {
      EXPECT_EQ(rec->Get(columns[i].name), s.*(columns[i].field)) << columns[i].name;
      const int kind = st.storage.at(r).at(i);
      if (columns[i].kind == ColumnKind::Text) {
        EXPECT_TRUE(kind == SQLITE_TEXT || kind == SQLITE_NULL) << columns[i].name;
      } else {
        EXPECT_EQ(kind, SQLITE_INTEGER) << columns[i].name;
      }
      if (columns[i].kind == ColumnKind::YesNo) {
        EXPECT_TRUE(s.*(columns[i].field) == "0" || s.*(columns[i].field) == "1") << columns[i].name;
      }
    }
  }
  EXPECT_EQ(FindSampleStation("manual"), &SampleStations()[2]);
  EXPECT_EQ(FindSampleStation("54399"), &SampleStations()[1]);
  EXPECT_EQ(FindSampleStation("nope"), nullptr);
}

TEST(SampleSysdirStations, FollowTheHeaderRules) {
  struct Expect {
    const char* num;
    char classCode, type;
    const char* flags;  // P T I E U N H C V R W L Z G F D K A S B
    bool hourly;
    char radiation;
  };
  const Expect expect[] = {
      {"54511", '2', '1', "11111090110109111001", true, '2'},
      {"54399", '1', '1', "11111000110100111011", true, '1'},
      {"53772", '3', '0', "00000090000000009009", false, '3'},
  };
  for (const Expect& e : expect) {
    SCOPED_TRACE(e.num);
    const SampleStation* s = FindSampleStation(e.num);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(HeaderClassCode(*s), e.classCode);
    EXPECT_EQ(HeaderStationType(*s), e.type);
    EXPECT_EQ(HeaderModeFlags(*s), e.flags);
    EXPECT_EQ(s->hourly, e.hourly);
    EXPECT_EQ(RadiationClassCode(*s), e.radiation);
    // The header class code determines class word and fixed times; the
    // reference station always observes 24 times.
    const char* word = e.classCode == '1' ? "基准站" : e.classCode == '2' ? "基本站" : "一般站";
    const char* times = e.classCode == '1' ? "24" : "4";
    EXPECT_EQ(s->StationClass, word);
    EXPECT_EQ(s->FixTimes, times);
    EXPECT_EQ(s->DataCollection, e.type == '0' ? "人工" : "自动");
    EXPECT_EQ(s->StationNum.size(), 5u);
    // Coordinates in the form the header comparison normalises.
    EXPECT_EQ(NormalizeCoordinate(s->Latitude), s->Latitude);
    EXPECT_EQ(NormalizeCoordinate(s->Longitude), s->Longitude);
    // A radiation station has the heights of its instruments.
    EXPECT_EQ(!s->GPyranometerH.empty(), e.radiation != '0');
    EXPECT_EQ(!s->DPyranometerH.empty(), e.radiation == '1');
  }
}

std::vector<std::string> Items(const std::string& v) {
  std::vector<std::string> out;
  const int n = CountSeparators(v, ",") + 1;
  for (int k = 1; k <= n; ++k) out.push_back(GetField(v, ",", k));
  return out;
}

// Rule values are whole numbers or twelve-month lists; the radiation loader
// reads every column by month, so each of its columns is a list; entries no
// audit reads stay null; and the upper extreme of each pair lies above the
// lower one in every month.
TEST_F(SampleSysdirTest, RuleValuesAreWholeNumbersOrMonthlyLists) {
  WriteSampleSystemDirectory(dir_.string());
  std::vector<std::optional<std::string>> a(115);  // entries 1..114
  for (const auto& [table, first] : {std::pair{"tabAuditingRuleLib1", 1}, std::pair{"tabAuditingRuleLib2", 67}}) {
    const TableDump t = Dump(SysLib(), table);
    ASSERT_EQ(t.rows.size(), 1u);
    for (size_t k = 1; k < t.columns.size(); ++k) a[first + k - 1] = t.rows[0][k];
  }
  for (int e = 1; e <= 114; ++e) {
    SCOPED_TRACE("entry " + std::to_string(e));
    EXPECT_EQ(a[e].value_or(""), DefaultAuditRule(e));
    if (!a[e]) continue;
    const int commas = CountSeparators(*a[e], ",");
    EXPECT_TRUE(commas == 0 || commas == 11) << *a[e];
    for (const std::string& item : Items(*a[e]))
      EXPECT_TRUE(IsNumericText(item) && item.find('.') == std::string::npos) << item;
  }
  for (int e : {26, 51, 59, 78, 97, 98, 99, 100, 101, 102, 103, 104, 105, 112, 113, 114})
    EXPECT_FALSE(a[e].has_value()) << e;
  for (int e = 1; e <= 111; ++e) {
    if (e != 26 && e != 51 && e != 59 && e != 78 && (e < 97 || e > 105)) {
      EXPECT_TRUE(a[e].has_value()) << e;
    }
  }

  const std::pair<int, int> extremes[] = {{1, 2},   {7, 8},   {16, 17}, {18, 19}, {27, 28}, {33, 34},
                                          {39, 40}, {45, 46}, {48, 49}, {52, 53}, {106, 107}};
  for (const auto& [up, low] : extremes) {
    const auto u = Items(*a[up]), l = Items(*a[low]);
    ASSERT_EQ(u.size(), 12u) << up;
    ASSERT_EQ(l.size(), 12u) << low;
    for (int m = 0; m < 12; ++m) EXPECT_GT(LeadingInteger(u[m]), LeadingInteger(l[m])) << up << " month " << m + 1;
  }

  const TableDump r = Dump(SysLib(), "tabRAuditingData");
  ASSERT_EQ(r.rows.size(), 1u);
  int filled = 0;
  for (size_t k = 1; k < r.columns.size(); ++k) {
    if (!r.rows[0][k]) continue;
    ++filled;
    EXPECT_EQ(CountSeparators(*r.rows[0][k], ","), 11) << r.columns[k];
  }
  EXPECT_GE(filled, 30);
}

// Station pressure of each sample station (standard atmosphere at its
// barometer height, ±25 hPa of weather) lies within the pressure extremes of
// every month, so the shared default rule set fits the plain and the basin.
TEST_F(SampleSysdirTest, PressureExtremesCoverEveryStation) {
  const auto upper = Items(DefaultAuditRule(1)), lower = Items(DefaultAuditRule(2));
  for (const SampleStation& s : SampleStations()) {
    const double z = LeadingNumber(s.BaroElevation);
    const double p = 10132.5 * std::pow(1.0 - 2.25577e-5 * z, 5.25588);  // 0.1 hPa
    for (int m = 0; m < 12; ++m) {
      EXPECT_LT(p + 250, LeadingInteger(upper[m])) << s.StationNum << " month " << m + 1;
      EXPECT_GT(p - 250, LeadingInteger(lower[m])) << s.StationNum << " month " << m + 1;
    }
  }
}

TEST_F(SampleSysdirTest, RadiationTablesFollowTheSun) {
  WriteSampleSystemDirectory(dir_.string());
  const TableDump g = Dump(RadConst(), "tabPossibleGlobalRadiation");
  const TableDump d = Dump(RadConst(), "tabPossibleDirectRadiation");
  ASSERT_EQ(g.rows.size(), 19u);
  ASSERT_EQ(d.rows.size(), 7u);
  for (size_t i = 0; i < g.rows.size(); ++i) EXPECT_EQ(g.rows[i][0], std::to_string(5 * i));
  for (size_t i = 0; i < d.rows.size(); ++i) EXPECT_EQ(d.rows[i][0], std::to_string(10 * (i + 1)));
  auto value = [](const TableDump& t, size_t row, int month) {
    EXPECT_EQ(t.storage[row][month], SQLITE_INTEGER);
    return LeadingInteger(t.rows[row][month].value_or(""));
  };

  // December: falls with latitude until the polar night, then stays 0.
  for (size_t i = 1; i < g.rows.size(); ++i) {
    const auto prev = value(g, i - 1, 12), cur = value(g, i, 12);
    if (prev > 0) {
      EXPECT_LT(cur, prev) << "latitude " << 5 * i;
    } else {
      EXPECT_EQ(cur, 0) << "latitude " << 5 * i;
    }
  }
  for (size_t i = 1; i < d.rows.size(); ++i) EXPECT_LT(value(d, i, 12), value(d, i - 1, 12));
  // Positive wherever the sun rises on the month's mean day: every month up
  // to 60°N, midsummer everywhere; nothing in the polar night.
  for (size_t i = 0; i <= 12; ++i)
    for (int m = 1; m <= 12; ++m) EXPECT_GT(value(g, i, m), 0) << 5 * i << "N month " << m;
  for (size_t i = 0; i < d.rows.size(); ++i)
    for (int m = 3; m <= 10; ++m) EXPECT_GT(value(d, i, m), 0) << 10 * (i + 1) << "N month " << m;
  for (size_t i = 0; i < g.rows.size(); ++i) EXPECT_GT(value(g, i, 6), 0);
  EXPECT_EQ(value(g, 18, 12), 0);
  EXPECT_EQ(value(g, 18, 1), 0);
  // Magnitudes in 0.1 MJ/m² per day: at the equator in January the sky
  // passes 0.75 of about 36.2 MJ/m²; at 40°N in June 0.75 of about 41.8.
  EXPECT_NEAR(value(g, 0, 1), 272, 2);
  EXPECT_NEAR(value(g, 8, 6), 313, 2);
  EXPECT_NEAR(ExtraterrestrialDaily(40, 6), 41.8, 0.2);
  // Direct radiation normal to the beam at 40°N: a clear midsummer day
  // brings more than the global radiation on the horizontal, a winter day
  // too (low sun), but never more than the beam outside the atmosphere.
  EXPECT_GT(value(d, 3, 6), value(g, 8, 6));
  EXPECT_GT(value(d, 3, 12), value(g, 8, 12));
  EXPECT_LT(value(d, 3, 6), 1367 * 15 * 3600 / 100000);
}

TEST_F(SampleSysdirTest, RewritingReplacesDamagedFiles) {
  WriteSampleSystemDirectory(dir_.string());
  { std::ofstream(SysLib(), std::ios::binary | std::ios::trunc) << "not a database"; }
  { std::ofstream(RadConst(), std::ios::binary | std::ios::trunc) << ""; }
  WriteSampleSystemDirectory(dir_.string());
  EXPECT_EQ(Dump(SysLib(), "tabStationParameter").rows.size(), 3u);
  EXPECT_EQ(Dump(RadConst(), "tabPossibleGlobalRadiation").rows.size(), 19u);
  size_t files = 0;
  for (const auto& e : fs::recursive_directory_iterator(dir_)) files += e.is_regular_file();
  EXPECT_EQ(files, 2u);  // no leftovers beside the two databases
}

TEST_F(SampleSysdirTest, UnwritableTargetRaisesError) {
  fs::create_directories(dir_);
  const fs::path blocker = dir_ / "plain-file";
  { std::ofstream(blocker) << "x"; }
  EXPECT_THROW(WriteSampleSystemDirectory((blocker / "sys").string()), Error);
  // The database name taken by a directory.
  const fs::path sys = dir_ / "sys";
  fs::create_directories(sys / "Sysconfig" / "SysLib.mdb" / "inner");
  try {
    WriteSampleSystemDirectory(sys.string());
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("SysLib.mdb"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace kelvane::sample
