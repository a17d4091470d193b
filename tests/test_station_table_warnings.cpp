// A station table with something wrong in it (no record of the station, two
// records of it, records without a station number, no records at all) is
// said once per format check of an A, R or Y file through the warning callback, naming the table, its
// file and the station; the findings stay those of the same check without
// the warning.
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kelvane/kelvane.h"
#include "sample/sample_afile.h"
#include "sample/sample_rfile.h"
#include "sample/sample_sysdir.h"
#include "scratch_dir.h"

namespace {

using kelvane::StringArray;
using kelvane::VariantArray;

struct TableCase {
  const char* name;
  const char* sql;      // run on the sample SysLib before the check
  const char* warning;  // a text the single warning contains; "" for none
};

void PrintTo(const TableCase& c, std::ostream* os) { *os << c.name; }

struct Checked {
  std::vector<std::string> warnings;
  std::vector<std::string> rows;
  kelvane::Status status;
};

void RowsOf(const StringArray& list, std::vector<std::string>& rows) {
  if (!list.IsAllocated() || list.Rank() != 2) return;
  for (long r = list.LBound(1); r <= list.UBound(1); ++r) {
    std::string row;
    for (long c = list.LBound(2); c <= list.UBound(2); ++c) row += list(r, c) + "|";
    rows.push_back(row);
  }
}

// The format check of an A, R or Y file (by the first letter of its name).
Checked CheckWith(const std::string& sys, const std::string& file) {
  Checked out;
  const auto warn = [&](const std::string& text, const std::string& caption) {
    out.warnings.push_back(caption + ":" + text);
  };
  StringArray list;
  const char kind = std::filesystem::path(file).filename().string()[0];
  if (kind == 'A') {
    kelvane::KelvaneA a;
    a.SetWarningCallback(warn);
    VariantArray para = VariantArray::Vector(1, 52);
    StringArray cls = StringArray::Vector(1, 20);
    out.status = a.AFileFormCheck(sys, file, para, cls, list);
  } else if (kind == 'R') {
    kelvane::KelvaneR r;
    r.SetWarningCallback(warn);
    VariantArray para = VariantArray::Vector(1, 12);
    out.status = r.RFileFormCheck(sys, file, para, list);
  } else {
    kelvane::KelvaneY y;
    y.SetWarningCallback(warn);
    VariantArray para = VariantArray::Vector(1, 16);
    out.status = y.YfileFormCheck(sys, file, para, list);
  }
  RowsOf(list, out.rows);
  return out;
}

class StationTableWarnings : public ::testing::TestWithParam<TableCase> {};

TEST_P(StationTableWarnings, OneWarningAndTheSameFindings) {
  const TableCase& c = GetParam();
  kelvane::testing::ScratchDir dir("kelvane_station_warn");
  kelvane::sample::WriteSampleSystemDirectory(dir.dir().string());
  const std::vector<std::string> rFiles = kelvane::sample::WriteSampleRFiles(dir.dir().string());
  ASSERT_FALSE(rFiles.empty());
  const std::string station =
      std::filesystem::path(rFiles.front()).filename().string().substr(1, 5);
  // One file of each kind, all of the same station.
  std::vector<std::string> files = {rFiles.front()};
  const auto sameStation = [&](const std::vector<std::string>& all) {
    for (const std::string& f : all)
      if (std::filesystem::path(f).filename().string().substr(1, 5) == station) {
        files.push_back(f);
        return;
      }
    ADD_FAILURE() << "no sample file of station " << station;
  };
  sameStation(kelvane::sample::WriteSampleStationFiles(dir.dir().string()));
  sameStation(kelvane::sample::WriteSampleYFiles(dir.dir().string()));

  auto withStation = [&](std::string text) {
    for (size_t at; (at = text.find("{st}")) != std::string::npos;) text.replace(at, 4, station);
    return text;
  };
  const std::string sql = withStation(c.sql), warning = withStation(c.warning);
  const std::string sys = dir.dir().string() + "/";
  std::vector<Checked> before;
  for (const std::string& file : files) {
    before.push_back(CheckWith(sys, file));
    ASSERT_TRUE(before.back().status.ok()) << file << ": " << before.back().status.description();
    ASSERT_TRUE(before.back().warnings.empty()) << file;
  }

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(dir.Path("Sysconfig/SysLib.mdb").c_str(), &db), SQLITE_OK);
  char* err = nullptr;
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
  sqlite3_close(db);

  for (size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i]);
    const Checked after = CheckWith(sys, files[i]);
    ASSERT_TRUE(after.status.ok()) << after.status.description();
    if (warning.empty()) {
      EXPECT_TRUE(after.warnings.empty());
    } else {
      ASSERT_EQ(after.warnings.size(), 1u);
      const std::string& w = after.warnings[0];
      EXPECT_EQ(w.rfind("警告:", 0), 0u) << w;
      EXPECT_NE(w.find(warning), std::string::npos) << w;
      EXPECT_NE(w.find("tabStationParameter"), std::string::npos) << w;
      EXPECT_NE(w.find("SysLib.mdb"), std::string::npos) << w;
    }
    // The sample header agrees with the table, so the station comparison
    // finds nothing whether or not it runs: the findings are the same.
    EXPECT_EQ(after.rows, before[i].rows);
  }
}

// {st}: the station of the file checked.
const TableCase kCases[] = {
    {"StationMissing", "DELETE FROM tabStationParameter WHERE StationNum = '{st}'",
     "中没有站号{st}的记录"},
    {"StationTwice",
     "INSERT INTO tabStationParameter SELECT * FROM tabStationParameter WHERE StationNum = "
     "'{st}'",
     "站号{st}有2条记录,只用第一条"},
    {"RecordWithoutStationNumber",
     "INSERT INTO tabStationParameter (StationNum) VALUES (NULL)", "1条记录没有站号"},
    {"RecordWithEmptyStationNumber", "INSERT INTO tabStationParameter (StationNum) VALUES ('')",
     "1条记录没有站号"},
    {"EmptyTable", "DELETE FROM tabStationParameter", "中没有记录"},
    {"AnotherStationTwice",
     "INSERT INTO tabStationParameter SELECT * FROM tabStationParameter WHERE StationNum <> "
     "'{st}' LIMIT 1",
     ""},
};

INSTANTIATE_TEST_SUITE_P(All, StationTableWarnings, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
