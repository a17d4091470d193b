// The result list: findings collected by a public method, handed back to the
// caller at the end of a format check or merged, grouped by level, at the end
// of an audit.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "kelvane/safe_array.h"

namespace kelvane {

inline constexpr std::string_view kLevelError = "错误";
inline constexpr std::string_view kLevelSuspicious = "可疑";

class AuditList {
 public:
  using Row = std::array<std::string, 7>;

  // Cut back to row 0 only (the limit stays).
  void Clear() {
    rows_.clear();
    dropped_ = 0;
  }

  // At most n rows are stored (0: no limit); rows past it are counted, and
  // the hand-back and the merge end with one row saying how many were left
  // out, so that one corrupt file cannot fill the memory of its host.
  void SetLimit(size_t n) { limit_ = n; }
  size_t Limit() const { return limit_; }
  size_t Dropped() const { return dropped_; }
  // The row that ends a list some rows were left out of.
  Row LeftOutRow() const;
  // Append one row, seven texts in column order.
  void Add(std::string_view message, std::string_view element, std::string_view related,
           std::string_view day, std::string_view timeOrItem, std::string_view line,
           std::string_view level);
  // Highest row index (0 when only row 0 exists).
  long Count() const { return static_cast<long>(rows_.size()); }
  // Row r, 1-based.
  const Row& operator[](long r) const { return rows_[static_cast<size_t>(r - 1)]; }
  const std::vector<Row>& rows() const { return rows_; }

  // End of a format check: when the list holds rows, the caller's list is
  // replaced by columns 1..7, rows 0..n; otherwise it stays as it is.
  void HandBack(StringArray& caller) const;

  // End of an audit: the caller's rows followed by this list's rows, grouped
  // by level (empty level first, then errors, then suspicious), stable within
  // each group. Raises a subscript error, leaving the caller's list untouched,
  // when the caller's list is not shaped as a result list. An unallocated
  // caller list counts as an empty one.
  void MergeInto(StringArray& caller) const;

 private:
  std::vector<Row> rows_;
  size_t limit_ = 0;
  size_t dropped_ = 0;
};

// Shape test of a caller's result list: two dimensions, columns covering
// 1..7, rows starting at 0. Raises a subscript error otherwise.
void RequireResultListShape(const StringArray& list, const char* name);
// Cut a caller's result list back to its empty row 0 (allocating it when it
// was not allocated).
void CutToRowZero(StringArray& list);

}  // namespace kelvane
