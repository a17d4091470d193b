#include "afile/audit/rules.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "common/database.h"
#include "common/error.h"
#include "common/text.h"
#include "kelvane/safe_array.h"

namespace kelvane::afile::audit {

namespace {

constexpr std::string_view kDefaultStation = "99999";

using Problems = std::vector<std::string>;

void NoteBadValue(Problems* problems, std::string_view table, std::string_view station, int k,
                  std::string_view text) {
  if (!problems) return;
  problems->push_back("审核规则库" + std::string(table) + "中站号" + std::string(station) +
                      "的第" + std::to_string(k) + "项\"" + std::string(text) +
                      "\"既不是数值,也不是12个月的数值列表");
}

// Copies the record under the cursor into entries first..first+count-1:
// value columns are positions 1..count (position 0 is the key column).
void LoadRecord(const db::Recordset& rs, std::string_view table, std::string_view station,
                int first, int count, int month, AuditRules& rules, Problems* problems) {
  // The values are read by position: a table with too few columns is named
  // with its file and what it lacks.
  const size_t have = rs.Columns().size();
  if (have < static_cast<size_t>(count) + 1)
    throw Error(kErrColumnNotFound,
                "table '" + std::string(table) + "' of " + rs.table().path + " has " +
                    std::to_string(have == 0 ? 0 : have - 1) + " value columns after '" +
                    (have == 0 ? std::string("StationNum") : rs.Columns()[0]) + "'; entries " +
                    std::to_string(first) + ".." + std::to_string(first + count - 1) +
                    " need " + std::to_string(count));
  for (int k = 1; k <= count; ++k) {
    std::string text = rs.Field(k);
    const bool monthly = CountSeparators(text, ",") == 11;
    // An empty entry is one the station does not use.
    if (!text.empty() && (monthly ? !IsNumberList(text) : !IsNumericText(text)))
      NoteBadValue(problems, table, station, first + k - 1, text);
    if (monthly) text = GetField(text, ",", month);
    rules.Set(first + k - 1, std::move(text));
  }
}

// Records of the table without a station number.
void NoteRecordsWithoutStation(db::Recordset& rs, std::string_view table, Problems* problems) {
  if (!problems) return;
  size_t n = 0, without = 0;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
    ++n;
    if (rs.Field("StationNum").empty()) ++without;
  }
  if (without > 0)
    problems->push_back("审核规则库" + std::string(table) + "中有" + std::to_string(without) +
                        "条记录没有站号(共" + std::to_string(n) + "条)");
}

// The station's record found: note a second one.
void NoteDuplicate(const db::Recordset& rs, std::string_view table, std::string_view station,
                   Problems* problems) {
  if (problems && rs.RecordCount() > 1)
    problems->push_back("审核规则库" + std::string(table) + "中站号" + std::string(station) + "有" +
                        std::to_string(rs.RecordCount()) + "条记录,使用第一条");
}

// One table: the station's record, else the default one. False only when
// the table holds records but neither of them.
bool LoadTable(const db::Database& db, std::string_view table, std::string_view station,
               int first, int count, int month, AuditRules& rules, Problems* problems) {
  db::Recordset rs = db.OpenTable(table);
  if (rs.IsEmpty()) {
    if (problems) problems->push_back("审核规则库" + std::string(table) + "没有记录");
    return true;
  }
  NoteRecordsWithoutStation(rs, table, problems);
  rs.Filter("StationNum", station);
  if (!rs.Eof()) {
    NoteDuplicate(rs, table, station, problems);
    LoadRecord(rs, table, station, first, count, month, rules, problems);
    return true;
  }
  rs.Filter("StationNum", kDefaultStation);
  if (rs.Eof()) return false;
  NoteDuplicate(rs, table, kDefaultStation, problems);
  LoadRecord(rs, table, kDefaultStation, first, count, month, rules, problems);
  return true;
}

}  // namespace

void AuditRules::Reset() {
  for (auto& t : text_) t.clear();
  value_.fill(0);
  loaded_ = true;
}

void AuditRules::Erase() {
  for (auto& t : text_) {
    t.clear();
    t.shrink_to_fit();
  }
  value_.fill(0);
  loaded_ = false;
}

void AuditRules::Check(int k) const {
  if (!loaded_) throw SubscriptError("audit rules are not loaded");
  if (k < 1 || k > kCount) throw SubscriptError("audit rule index out of range");
}

const std::string& AuditRules::Text(int k) const {
  Check(k);
  return text_[static_cast<size_t>(k)];
}

double AuditRules::Rule(int k) const {
  Check(k);
  return value_[static_cast<size_t>(k)];
}

void AuditRules::Set(int k, std::string text) {
  Check(k);
  value_[static_cast<size_t>(k)] = LeadingNumber(text);
  text_[static_cast<size_t>(k)] = std::move(text);
}

bool LoadAuditRules(std::string_view sysPath, std::string_view station, std::string_view month,
                    AuditRules& rules, std::vector<std::string>* problems) {
  rules.Reset();
  const int m = static_cast<int>(std::clamp<int64_t>(LeadingInteger(month), -1, 13));
  auto db = db::Database::Open(db::SysLibPath(sysPath));
  // Both tables are read whatever the first one gave, as a missing second
  // table is an error of the call either way.
  const bool first = LoadTable(*db, "tabAuditingRuleLib1", station, 1, 66, m, rules, problems);
  const bool second = LoadTable(*db, "tabAuditingRuleLib2", station, 67, 48, m, rules, problems);
  return first && second;
}

}  // namespace kelvane::afile::audit
