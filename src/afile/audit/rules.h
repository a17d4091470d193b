// The station's audit rule values for one month (thresholds and climatic
// extremes of the A-file audits), loaded from the rule library tables
// tabAuditingRuleLib1 (entries 1..66) and tabAuditingRuleLib2 (67..114) of
// Sysconfig/SysLib.mdb.
#pragma once

#include <array>
#include <string>
#include <vector>
#include <string_view>

namespace kelvane::afile::audit {

class AuditRules {
 public:
  static constexpr int kCount = 114;

  // 114 empty entries (each reads as 0).
  void Reset();
  // No entries at all: the state between two audits.
  void Erase();
  bool Loaded() const { return loaded_; }

  // Entry k (1..114) as stored. Raises a subscript error outside 1..114 or
  // when the rules are erased.
  const std::string& Text(int k) const;
  // Entry k read as the number at the start of its text (0 when the text is
  // empty or does not start with a number). Same errors as Text.
  double Rule(int k) const;

  void Set(int k, std::string text);

 private:
  void Check(int k) const;
  std::array<std::string, kCount + 1> text_{};
  std::array<double, kCount + 1> value_{};  // leading numbers, read once per load
  bool loaded_ = false;
};

// Fills rules for the station and month (month: AFilePara item 3, read as a
// whole number). Each table is searched for the station's record, else for
// the default record "99999"; a non-empty table with neither makes the
// result false. An empty table leaves its entries empty and does not change
// the result. A stored value with exactly eleven commas is a January-first
// monthly list and gives the audited month's item; any other value is taken
// whole. Raises kelvane::Error when the database or a table cannot be read.
//
// problems (when given) receives one sentence for each fault of the stored
// rules noticed on the way — a table without records, a record without a
// station number, a station with more than one record, a value used that is
// neither a number nor a list of twelve — naming the table, the station, the
// entry and the value. They change nothing of what is loaded.
bool LoadAuditRules(std::string_view sysPath, std::string_view station, std::string_view month,
                    AuditRules& rules, std::vector<std::string>* problems = nullptr);

}  // namespace kelvane::afile::audit
