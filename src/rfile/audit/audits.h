// What the five radiation audits share: the audit context (month, day
// count, rule values, sun table, result list), cell kinds, and the steps of
// the common pattern (hourly totals, daily total, time of the maximum,
// monthly mean), so that each audit reads like its rule table.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include "common/audit_list.h"
#include "kelvane/safe_array.h"
#include "rfile/audit/driver.h"
#include "rfile/sun_times.h"

namespace kelvane::rfile {

struct RAudit {
  const VariantArray& para;
  const RuleValues& rules;
  const SunTimesTable& sun;
  bool sunBuilt;
  AuditList& list;
  int days;
  int month;
  double elevationMetres;  // RFilePara 10 without its parentheses
  // The rules' leading numbers, read once (nullopt for an empty entry).
  std::array<std::optional<double>, std::tuple_size_v<RuleValues>> ruleNumbers{};

  // The rule value of an entry; nullopt when the entry is empty.
  std::optional<double> Rule(int entry) const;
};

// A cell that holds a value: neither "" (no record) nor "-" (missing).
inline bool IsValue(std::string_view cell) { return !cell.empty() && cell != "-"; }
double ValueOf(std::string_view cell);

// Cell (day, group) of an element array whose shape the driver checked.
inline const std::string& Cell(const StringArray& a, int day, int group) { return a(day, group); }

// Appends a finding of an audit (Line empty).
void Report(const RAudit& a, std::string_view message, std::string_view element,
            std::string_view related, std::string_view day, std::string_view timeOrItem,
            std::string_view level);

// Hours of a day: empty and missing hours and the sum of the values.
struct HourTally {
  int empty = 0;
  int missing = 0;
  double sum = 0;
};

// Step 1 for hour j of day i: counts the cell, checks the hourly upper
// limit (entry hourUpper, 0 for none) and the format (netStyle: a value
// with "." is not numeric). Returns the value when the cell is numeric.
std::optional<double> HourValue(const RAudit& a, std::string_view element, const StringArray& g,
                                int i, int j, int hourUpper, bool netStyle, HourTally& tally);
// Step 1.2: a "-" hour between two hours that are not "-" should have been
// interpolated (the neighbours of hour 1 and 24 are the adjacent days'
// hours; hour 1 of the first day and hour 24 of the last are exempt).
void InterpolationRule(const RAudit& a, std::string_view element, const StringArray& g, int i,
                       int j);
// Step 2: the daily total against the hours.
void DailyTotalRule(const RAudit& a, std::string_view element, const StringArray& g, int i,
                    const HourTally& tally);
// Step 6: the time of the day's maximum, with the sunshine of the global array.
void MaximumTimeRule(const RAudit& a, std::string_view element, std::string_view time,
                     std::string_view sunshine, int i);

// Days of the month's daily totals.
struct MonthTally {
  int withoutTotal = 0;
  int missing = 0;
  double sum = 0;
  void Add(std::string_view total);
};

struct MonthlyMeanRule {
  std::string_view element;
  std::string_view high, low;  // the element's monthly messages
  int upper = 0, lower = 0;    // rule entries
  bool signedLower = false;    // lower limit × 0.9 when ≥ 0, × 1.1 when negative
  int possible = 0;            // entry of the possible radiation (0: none)
  bool seasonalFactor = false; // possible × 1.15 Dec/Jan, 1.1 Jun-Aug; else × 1.1
};
void MonthlyMean(const RAudit& a, const MonthTally& m, const MonthlyMeanRule& rule);

// A lower limit as the net rules apply it: × 0.9 when the limit is ≥ 0,
// × 1.1 when it is negative.
inline double SignedLower(double limit) { return limit >= 0 ? limit * 0.9 : limit * 1.1; }

// The five audits.
void AuditGlobal(const RAudit& a, const StringArray& G);
void AuditNet(const RAudit& a, const StringArray& G, const StringArray& N);
void AuditDiffuse(const RAudit& a, const StringArray& G, const StringArray& S,
                  const StringArray& D);
void AuditDirect(const RAudit& a, const StringArray& G, const StringArray& D,
                 const StringArray& S);
void AuditReflected(const RAudit& a, const StringArray& G, const StringArray& R);

}  // namespace kelvane::rfile
