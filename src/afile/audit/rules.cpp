#include "afile/audit/rules.h"

#include <algorithm>
#include <cstdint>

#include "common/database.h"
#include "common/text.h"
#include "kelvane/safe_array.h"

namespace kelvane::afile::audit {

namespace {

constexpr std::string_view kDefaultStation = "99999";

// Copies the record under the cursor into entries first..first+count-1:
// value columns are positions 1..count (position 0 is the key column).
void LoadRecord(const db::Recordset& rs, int first, int count, int month, AuditRules& rules) {
  for (int k = 1; k <= count; ++k) {
    std::string text = rs.Field(k);
    if (CountSeparators(text, ",") == 11) text = GetField(text, ",", month);
    rules.Set(first + k - 1, std::move(text));
  }
}

// One table: the station's record, else the default one. False only when
// the table holds records but neither of them.
bool LoadTable(const db::Database& db, std::string_view table, std::string_view station,
               int first, int count, int month, AuditRules& rules) {
  db::Recordset rs = db.OpenTable(table);
  if (rs.IsEmpty()) return true;
  rs.Filter("StationNum", station);
  if (!rs.Eof()) {
    LoadRecord(rs, first, count, month, rules);
    return true;
  }
  rs.Filter("StationNum", kDefaultStation);
  if (rs.Eof()) return false;
  LoadRecord(rs, first, count, month, rules);
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
                    AuditRules& rules) {
  rules.Reset();
  const int m = static_cast<int>(std::clamp<int64_t>(LeadingInteger(month), -1, 13));
  auto db = db::Database::Open(db::SysLibPath(sysPath));
  // Both tables are read whatever the first one gave, as a missing second
  // table is an error of the call either way.
  const bool first = LoadTable(*db, "tabAuditingRuleLib1", station, 1, 66, m, rules);
  const bool second = LoadTable(*db, "tabAuditingRuleLib2", station, 67, 48, m, rules);
  return first && second;
}

}  // namespace kelvane::afile::audit
