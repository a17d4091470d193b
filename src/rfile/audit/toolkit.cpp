// The steps of the common pattern that every radiation audit runs.
#include <cmath>

#include "common/text.h"
#include "rfile/audit/audits.h"
#include "rfile/layout.h"

namespace kelvane::rfile {

std::optional<double> RAudit::Rule(int entry) const {
  if (entry < 1 || entry > 44) return std::nullopt;
  return ruleNumbers[static_cast<size_t>(entry)];
}

double ValueOf(std::string_view cell) { return LeadingNumber(cell); }

void Report(const RAudit& a, std::string_view message, std::string_view element,
            std::string_view related, std::string_view day, std::string_view timeOrItem,
            std::string_view level) {
  a.list.Add(message, element, related, day, timeOrItem, "", level);
}

std::optional<double> HourValue(const RAudit& a, std::string_view element, const StringArray& g,
                                int i, int j, int hourUpper, bool netStyle, HourTally& tally) {
  const std::string& v = Cell(g, i, j);
  if (v.empty()) {
    ++tally.empty;
    return std::nullopt;
  }
  if (v == "-") {
    ++tally.missing;
    return std::nullopt;
  }
  const double x = ValueOf(v);
  tally.sum += x;
  const bool numeric = IsDecimal(v) && !(netStyle && v.find('.') != std::string::npos);
  if (!numeric) {
    Report(a, "记录格式错误", element, "", Num(i), HourLabel(j), kLevelError);
    return std::nullopt;
  }
  const std::optional<double> upper = a.Rule(hourUpper);
  if (upper && x > *upper * 1.1)
    Report(a, "时总量偏大", element, "", Num(i), HourLabel(j), kLevelSuspicious);
  return x;
}

void InterpolationRule(const RAudit& a, std::string_view element, const StringArray& g, int i,
                       int j) {
  if (Cell(g, i, j) != "-") return;
  if ((i == 1 && j == 1) || (i == a.days && j == 24)) return;
  const std::string& before = j > 1 ? Cell(g, i, j - 1) : Cell(g, i - 1, 24);
  const std::string& after = j < 24 ? Cell(g, i, j + 1) : Cell(g, i + 1, 1);
  if (before != "-" && after != "-")
    Report(a, "该时总量不应记“-”,应用插值求得", element, "", Num(i), HourLabel(j), kLevelError);
}

void DailyTotalRule(const RAudit& a, std::string_view element, const StringArray& g, int i,
                    const HourTally& tally) {
  const std::string& t = Cell(g, i, 25);
  const char* message = nullptr;
  if (tally.missing > 0) {
    if (t != "-") message = "该日各时次记录有缺测,总量值也应作缺测处理";
  } else if (tally.empty == 24) {
    if (!t.empty()) message = "日总量值与各时之和不一致";
  } else if (t.empty() || ValueOf(t) != tally.sum) {
    message = "日总量值与各时之和不一致";
  }
  if (message) Report(a, message, element, "", Num(i), "日总量", kLevelError);
}

void MaximumTimeRule(const RAudit& a, std::string_view element, std::string_view time,
                     std::string_view sunshine, int i) {
  if (!IsValue(time) || !IsValue(sunshine)) return;
  const double h = ValueOf(time);
  if ((h < 1000 || h > 1400) && a.sunBuilt) {
    const SunDay sun = SunOfDay(a.sun, i);
    const double length = sun.DayLength();
    if (sun.riseText != sun.setText && length > 0 && ValueOf(sunshine) / 10 / length >= 0.6)
      Report(a, "日最大值出现时间不合理", element, "", Num(i), "最大时间", kLevelSuspicious);
  }
  if (TimeFormatBad(time, "-"))
    Report(a, "日最大值出现时间格式错误", element, "", Num(i), "最大时间", kLevelSuspicious);
}

void MonthTally::Add(std::string_view total) {
  if (total.empty())
    ++withoutTotal;
  else if (total == "-")
    ++missing;
  else
    sum += ValueOf(total);
}

void MonthlyMean(const RAudit& a, const MonthTally& m, const MonthlyMeanRule& rule) {
  const int counted = a.days - m.withoutTotal - m.missing;
  if (counted <= 0) return;
  const double mean = std::round(m.sum / counted);
  if (const auto possible = a.Rule(rule.possible)) {
    double factor = 1.1;
    if (rule.seasonalFactor)
      factor = (a.month == 12 || a.month == 1) ? 1.15
               : (a.month >= 6 && a.month <= 8) ? 1.1
                                                : 1.0;
    if (mean / 100 > *possible / 10 * factor)
      Report(a, rule.high, rule.element, "", "全月", "", kLevelSuspicious);
  }
  if (const auto lower = a.Rule(rule.lower)) {
    const double limit = rule.signedLower ? SignedLower(*lower) : *lower * 0.9;
    if (mean < limit) Report(a, rule.low, rule.element, "", "全月", "", kLevelSuspicious);
  }
  if (const auto upper = a.Rule(rule.upper); upper && mean > *upper * 1.1)
    Report(a, rule.high, rule.element, "", "全月", "", kLevelSuspicious);
}

}  // namespace kelvane::rfile
