#include "common/audit_list.h"

#include <string>

namespace kelvane {

void AuditList::Add(std::string_view message, std::string_view element, std::string_view related,
                    std::string_view day, std::string_view timeOrItem, std::string_view line,
                    std::string_view level) {
  if (limit_ != 0 && rows_.size() >= limit_) {
    ++dropped_;
    return;
  }
  if (rows_.size() >= 0x7FFFFFFEu) throw std::overflow_error("result list row count overflow");
  Row& r = rows_.emplace_back();
  r[0] = message;
  r[1] = element;
  r[2] = related;
  r[3] = day;
  r[4] = timeOrItem;
  r[5] = line;
  r[6] = level;
}

AuditList::Row AuditList::LeftOutRow() const {
  Row r;
  r[0] = "另有" + std::to_string(dropped_) + "条结果未列出(已达结果条数上限)";
  return r;
}

void AuditList::HandBack(StringArray& caller) const {
  const long n = Count();
  if (n == 0) return;
  const long extra = dropped_ > 0 ? 1 : 0;
  StringArray out = StringArray::Matrix(1, 7, 0, n + extra);
  for (long r = 1; r <= n; ++r) {
    const Row& row = rows_[static_cast<size_t>(r - 1)];
    for (long c = 1; c <= 7; ++c) out(c, r) = row[static_cast<size_t>(c - 1)];
  }
  if (extra) {
    const Row row = LeftOutRow();
    for (long c = 1; c <= 7; ++c) out(c, n + 1) = row[static_cast<size_t>(c - 1)];
  }
  caller = std::move(out);
}

void RequireResultListShape(const StringArray& list, const char* name) {
  if (!list.IsAllocated()) return;
  if (list.Rank() != 2 || list.LBound(1) > 1 || list.UBound(1) < 7 || list.LBound(2) != 0 ||
      list.UBound(2) < 0) {
    throw SubscriptError(std::string(name) +
                         " is not a result list (two dimensions, columns 1..7, rows 0..n)");
  }
}

void CutToRowZero(StringArray& list) {
  StringArray out = StringArray::Matrix(1, 7, 0, 0);
  if (list.IsAllocated() && list.Rank() == 2) {
    for (long c = 1; c <= 7; ++c)
      if (const std::string* s = list.Find(c, 0)) out(c, 0) = *s;
  }
  list = std::move(out);
}

void AuditList::MergeInto(StringArray& caller) const {
  RequireResultListShape(caller, "the result list");
  const long o = caller.IsAllocated() ? caller.UBound(2) : 0;
  const long n = Count();
  const long total = o + n;
  if (total > 0x7FFFFFFEL) throw std::overflow_error("result list row count overflow");

  // Combined rows: the caller's first, then this call's.
  std::vector<Row> callerRows(static_cast<size_t>(o));
  for (long r = 1; r <= o; ++r)
    for (long c = 1; c <= 7; ++c) callerRows[static_cast<size_t>(r - 1)][c - 1] = caller(c, r);

  auto levelOf = [&](long idx) -> const std::string& {
    return idx < o ? callerRows[static_cast<size_t>(idx)][6] : rows_[static_cast<size_t>(idx - o)][6];
  };
  auto rowOf = [&](long idx) -> const Row& {
    return idx < o ? callerRows[static_cast<size_t>(idx)] : rows_[static_cast<size_t>(idx - o)];
  };

  // Stable grouping by level. Rows carrying some other level text (a host
  // may pass anything in) are kept after the suspicious group rather than
  // duplicated or dropped.
  std::vector<long> order;
  order.reserve(static_cast<size_t>(total));
  for (long i = 0; i < total; ++i)
    if (levelOf(i).empty()) order.push_back(i);
  for (long i = 0; i < total; ++i)
    if (levelOf(i) == kLevelError) order.push_back(i);
  for (long i = 0; i < total; ++i)
    if (levelOf(i) == kLevelSuspicious) order.push_back(i);
  for (long i = 0; i < total; ++i) {
    const std::string& lv = levelOf(i);
    if (!lv.empty() && lv != kLevelError && lv != kLevelSuspicious) order.push_back(i);
  }

  long lb1 = caller.IsAllocated() ? caller.LBound(1) : 1;
  long ub1 = caller.IsAllocated() ? caller.UBound(1) : 7;
  const long extra = dropped_ > 0 ? 1 : 0;
  StringArray out = StringArray::Matrix(lb1, ub1, 0, total + extra);
  if (caller.IsAllocated())
    for (long c = lb1; c <= ub1; ++c) out(c, 0) = caller(c, 0);
  long r = 1;
  for (long idx : order) {
    const Row& row = rowOf(idx);
    for (long c = 1; c <= 7; ++c) out(c, r) = row[static_cast<size_t>(c - 1)];
    ++r;
  }
  // The rows left out of this call, last whatever the grouping.
  if (extra) {
    const Row row = LeftOutRow();
    for (long c = 1; c <= 7; ++c) out(c, r) = row[static_cast<size_t>(c - 1)];
  }
  caller = std::move(out);
}

}  // namespace kelvane
