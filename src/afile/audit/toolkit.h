// What every A-file element audit shares, so that an audit reads like its
// rule table:
//
//   Cell, Grid       an element array parsed once: each cell's kind (absent,
//                    whole number, decimal number, other text) and value
//   ForEachCell      day 1..last, within a day column 1..last (the order in
//                    which findings are appended)
//   ColumnLabels     TimeOrItem labels: hours "21".."24","1".."20" for 24
//                    hourly columns, "2","8","14","20" for four observations,
//                    then the named columns ("最高", "最高时", ...)
//   CheckFormat      well-formed whole number, else "记录格式错误" (错误)
//   CheckExtremes    "记录超气候极值" (可疑) beyond the rule-library limits
//   HourNeighbours   the hours before and after a cell across day ends
//   CheckInterpolation  both neighbours numeric, the cell not (错误)
//   CompareExtremeWithMinutes  a daily extreme and its time against the
//                    minute data of the hour the time lies in (可疑)
//   AuditContext     the call's parameters, rules, minute data and findings
//
// Nothing here allocates per cell; cells are views into the host's arrays,
// which the audits only read.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "afile/audit/jfile.h"
#include "afile/audit/rules.h"
#include "common/audit_list.h"
#include "kelvane/safe_array.h"

namespace kelvane::afile::audit {

// ---------------------------------------------------------------- messages

inline constexpr std::string_view kMsgFormat = "记录格式错误";
inline constexpr std::string_view kMsgExtreme = "记录超气候极值";
inline constexpr std::string_view kMsgInterpolate = "相邻前后两时次数据正常,该时记录应内插";
inline constexpr std::string_view kMsgNotMissing = "相邻前后两时次数据正常,该时记录不应缺测";
// The time of a daily extreme is no hhmm time of the day.
inline constexpr std::string_view kMsgTimeFormat = "记录格式错";
// An extreme timed on a full hour differs from that hour's value.
inline constexpr std::string_view kMsgExtremeOnTheHour = "极值出现在正点,但与该时正点值不一致";

// ---------------------------------------------------------------- cells

enum class CellKind : uint8_t {
  Absent,   // "-" or empty: skipped by every rule that reads the cell
  Whole,    // numeric without "." (the well-formed values)
  Decimal,  // numeric with a "."
  Text,     // anything else, runs of "/" (missing values) included
};

struct Cell {
  std::string_view text;
  double value = 0;  // the leading number of the text (0 when there is none)
  CellKind kind = CellKind::Absent;

  bool Absent() const { return kind == CellKind::Absent; }
  bool Present() const { return kind != CellKind::Absent; }
  bool Numeric() const { return kind == CellKind::Whole || kind == CellKind::Decimal; }
  bool WellFormed() const { return kind == CellKind::Whole; }
  // The value as a whole number (nearest, halves away from zero; saturated).
  // Inline for the values of station files: truncating a non-negative x +
  // 0.5 is its floor.
  int64_t Whole() const {
    if (value >= 0 && value < 4e15) return static_cast<int64_t>(value + 0.5);
    if (value < 0 && value > -4e15) return -static_cast<int64_t>(-value + 0.5);
    return WholeOutsideRange();
  }
  int64_t WholeOutsideRange() const;
};

// Kind and value of a text in one pass. Numeric means what IsNumericText
// says (blanks around, a sign, digits with an optional decimal part); the
// value is what LeadingNumber gives.
Cell ParseCell(std::string_view text);

// True when a present text is a run of "/" (a missing value).
bool IsMissingRun(std::string_view text);

// A relative humidity cell: "%%" (the two-character record of 100 %) reads
// as the whole number 100; any other cell is returned as it is.
Cell HumidityCell(const Cell& c);

// A two-dimensional element array (day, column), parsed once. Days run from
// 1 to the array's highest first index, columns from 1 to its highest second
// index; an unallocated array is an element without data (no days). Reading
// outside gives an absent cell.
class Grid {
 public:
  Grid() = default;
  // The array must be unallocated or two-dimensional with lower bounds of
  // at most 1 (the driver checks this before any audit runs).
  explicit Grid(const StringArray& array);
  // The cells are views into the array, which must outlive the grid.
  explicit Grid(StringArray&&) = delete;

  int Days() const { return days_; }
  int Columns() const { return columns_; }
  bool Empty() const { return days_ == 0 || columns_ == 0; }

  const Cell& operator()(int day, int column) const {
    if (day < 1 || day > days_ || column < 1 || column > columns_) return kAbsentCell;
    return cells_[static_cast<size_t>((day - 1) * columns_ + (column - 1))];
  }
  std::string_view Text(int day, int column) const { return (*this)(day, column).text; }

 private:
  static const Cell kAbsentCell;
  std::vector<Cell> cells_;  // day-major, the order in which findings are appended
  int days_ = 0;
  int columns_ = 0;
};

// Every cell in audit order: day 1..Days, within a day column 1..Columns.
// fn(day, column, cell).
template <class Fn>
void ForEachCell(const Grid& g, Fn&& fn) {
  for (int day = 1; day <= g.Days(); ++day)
    for (int column = 1; column <= g.Columns(); ++column) fn(day, column, g(day, column));
}

// ---------------------------------------------------------------- labels

// Hour label of column c (1..24) of an observation day that runs from 21
// o'clock of the previous day: "21", "22", "23", "24", "1", ..., "20"; ""
// outside. Inline: audits label every hourly cell they look at.
inline std::string_view HourLabel(int c) {
  static constexpr std::string_view kLabels[25] = {
      "",   "21", "22", "23", "24", "1",  "2",  "3",  "4",  "5",  "6",  "7", "8",
      "9",  "10", "11", "12", "13", "14", "15", "16", "17", "18", "19", "20"};
  return c >= 1 && c <= 24 ? kLabels[c] : std::string_view();
}
// Label of column c of four fixed observations: 6c - 4 ("2", "8", "14",
// "20"); also continues the sequence for higher c ("26", ...), "" past 64.
std::string_view FixedHourLabel(int c);
// Time label of observation i of an array with `observations` per day (its
// number of columns): 24 or more are hourly (HourLabel), fewer are the four
// fixed observations (FixedHourLabel).
std::string_view ObsTimeLabel(int observations, int i);
// Hourly column of a whole hour hh: 21..24 -> 1..4, 0 -> 4 (the day's end),
// 1..20 -> 5..24; 0 for anything else.
int HourColumn(int hh);
// Decimal text of n into buf (a day number, an hour): a view into buf.
std::string_view NumberText(int64_t n, std::array<char, 24>& buf);

enum class Layout { Hourly, FourTimes };
// 24 columns or more are hourly; fewer are four observations a day.
inline Layout LayoutOf(int columns) { return columns >= 24 ? Layout::Hourly : Layout::FourTimes; }

// TimeOrItem labels of an array's columns: the time columns (24 hours or
// four observations), then the named columns in order (up to eight; the
// names are kept as views, so pass literals or texts that outlive this).
class ColumnLabels {
 public:
  ColumnLabels(Layout layout, std::initializer_list<std::string_view> named = {});
  // Labels for an array of `columns` columns: hourly names after 24 hourly
  // columns, fixedNames after four observations.
  static ColumnLabels For(int columns, std::initializer_list<std::string_view> hourlyNames,
                          std::initializer_list<std::string_view> fixedNames);

  Layout layout() const { return layout_; }
  int TimeColumns() const { return layout_ == Layout::Hourly ? 24 : 4; }
  // Label of column c; "" for an unnamed column after the time columns.
  std::string_view operator()(int c) const;

 private:
  static constexpr size_t kMaxNamed = 8;
  Layout layout_;
  std::array<std::string_view, kMaxNamed> named_{};
  size_t namedCount_ = 0;
};

// ---------------------------------------------------------------- neighbours

// The hours before and after an hourly cell, across the day boundary: the
// hour before column 1 is column 24 of the day before, the hour after column
// 24 is column 1 of the day after. Not set (false) for arrays with fewer
// than 24 columns, columns after 24, the first hour of day 1 and the last
// hour of the last day.
struct HourNeighbours {
  const Cell* before = nullptr;
  const Cell* after = nullptr;

  explicit operator bool() const { return before != nullptr; }
  bool BothNumeric() const { return before && before->Numeric() && after->Numeric(); }
};
HourNeighbours NeighboursOf(const Grid& g, int day, int column);

// ---------------------------------------------------------------- context

// Where a finding points: element name, day, TimeOrItem label.
struct Spot {
  std::string_view element;
  int day = 0;  // 0: no day
  std::string_view time;
};

// Everything one AFileAuditing call hands its element audits, besides the
// element arrays themselves.
class AuditContext {
 public:
  AuditContext(const VariantArray& AFilePara, const StringArray& AFileClass,
               const AuditRules& rules, const VariantArray& SysLib,
               const std::string& strManualWindV, const JFileData& jfile, bool mountainStation,
               AuditList& list);
  AuditContext(const AuditContext&) = delete;
  AuditContext& operator=(const AuditContext&) = delete;

  // AFilePara item k as text ("" outside 1..52).
  std::string_view Para(int k) const;
  int Year() const { return year_; }
  int Month() const { return month_; }
  int DaysInMonth() const { return days_; }          // item 4
  std::string_view Station() const { return Para(7); }
  std::string_view Latitude() const { return Para(8); }   // "39.52N"
  std::string_view Longitude() const { return Para(9); }  // "87.05E"
  std::string_view FieldElevation() const { return Para(10); }
  std::string_view BarometerElevation() const { return Para(11); }
  bool ManualStation() const { return Para(17) == "人工"; }  // item 17

  // AFileClass item k (1..20): the element's mode code; present when it
  // does not end in "=".
  std::string_view ModeCode(int k) const;
  bool Present(int k) const;

  // Rule-library entry k (1..114) read as a number.
  double Rule(int k) const { return rules_.Rule(k); }
  const AuditRules& rules() const { return rules_; }

  const VariantArray& sysLib() const { return sysLib_; }
  const std::string& manualWindV() const { return manualWindV_; }
  const JFileData& jfile() const { return jfile_; }
  bool JFileOk() const { return jfile_.ok; }
  bool MountainStation() const { return mountain_; }

  // Sunrise and sunset of a day of the month (1..31) in local mean time,
  // hours as SunriseSunset gives them ("6.93" is 6.93 h), computed the first
  // time an audit asks and kept for the call. {0, 0} outside the days.
  struct SunTimes {
    double rise = 0, set = 0;
  };
  SunTimes Sun(int day) const;
  // The same as the texts SunriseSunset writes ("6.93"); empty outside the
  // days.
  struct SunTexts {
    std::string rise, set;
  };
  const SunTexts& SunText(int day) const;

  // Findings. Audit findings leave Line empty.
  void Error(std::string_view message, const Spot& at, std::string_view related = {});
  void Suspicious(std::string_view message, const Spot& at, std::string_view related = {});
  void Add(std::string_view message, const Spot& at, std::string_view related,
           std::string_view level);
  AuditList& list() { return list_; }

 private:
  std::array<std::string, 53> para_;
  std::array<std::string_view, 21> modes_{};
  int year_ = 0, month_ = 0, days_ = 0;
  const AuditRules& rules_;
  const VariantArray& sysLib_;
  const std::string& manualWindV_;
  const JFileData& jfile_;
  bool mountain_;
  AuditList& list_;
  mutable std::array<SunTimes, 32> sun_{};
  mutable std::array<SunTexts, 32> sunText_{};
  mutable std::array<bool, 32> sunKnown_{};
};

// ---------------------------------------------------------------- shared rules

// The format test: true when the cell is a well-formed whole number, the
// only values that take part in extremes, comparisons and recomputations. A
// present cell that is not (a decimal, a missing run, any other text) gets
// "记录格式错误" (错误); an absent one ("-", empty) gets nothing.
bool CheckFormat(AuditContext& cx, const Cell& v, const Spot& at);

// The climate limits: "记录超气候极值" (可疑) when v > upper or v < lower.
// Use CheckUpperExtreme / CheckLowerExtreme for elements with one limit.
void CheckExtremes(AuditContext& cx, double v, double upper, double lower, const Spot& at);
void CheckUpperExtreme(AuditContext& cx, double v, double upper, const Spot& at);
void CheckLowerExtreme(AuditContext& cx, double v, double lower, const Spot& at);

// A gap between readings: when both hour neighbours (NeighboursOf) are
// numeric and the cell itself is not, the interpolation finding (错误);
// "应内插" for most elements, "不应缺测" (NotMissing) for vapour pressure
// and dew point. Returns whether it was reported.
enum class GapWording { Interpolate, NotMissing };
bool CheckInterpolation(AuditContext& cx, const Grid& g, int day, int column, const Spot& at,
                        GapWording wording = GapWording::Interpolate);

// ---------------------------------------------------------------- minute data

// Hour (1..24) of the observation day in which an extreme timed hhmm lies: a
// time with minutes lies in the hour ending at hh + 1, a full hour in the
// hour ending then, and "0000" is the day's end (24). 0 when the time names
// no hour of the day.
int MinuteDataHour(std::string_view hhmm);

// Which extreme of an hour of minute data a daily extreme is compared with,
// and the wording of the two findings: TimeOrItem "valueLabel/hh" and
// "timeLabel/hh" for the hour hh.
struct MinuteComparison {
  std::string_view element;
  bool maximum;  // the hour's largest value, else its smallest
  std::string_view valueLabel, timeLabel;
  std::string_view valueMessage, timeMessage;
};

// A daily extreme recorded at hhmm (a time of four characters the caller
// has accepted) against the minute data of the hour that time lies in. When
// that hour holds a value: a recorded value (nullopt when the record takes
// no part) that differs from the hour's extreme gets valueMessage, and a
// time whose minutes are not among those the extreme occurs at gets
// timeMessage (both 可疑, in this order).
void CompareExtremeWithMinutes(AuditContext& cx, const MinuteHours& minutes, int day,
                               std::optional<double> recorded, std::string_view hhmm,
                               const MinuteComparison& how);

// ---------------------------------------------------------------- soil, sunshine, evaporation, snow
// (ground temperature, frozen soil, sunshine, evaporation, snow and ground
// state audits)

// True when the day's weather text records the two-digit phenomenon code as
// a record of its own: at the start of the text, after a "," or after a "(",
// and not followed by another digit. "16" is found in "16,60 0716-0816," but
// not in "60 0716-0816,".
bool HasPhenomenonRecord(std::string_view weather, std::string_view code);

}  // namespace kelvane::afile::audit
