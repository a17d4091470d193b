// The five radiation audits: global, net, diffuse, direct and reflected.
// Each walks its element array day by day and hour by hour through the
// steps of the common pattern (toolkit.cpp) and adds its own rules.
#include <cmath>
#include <cstdlib>

#include "common/text.h"
#include "rfile/audit/audits.h"
#include "rfile/layout.h"

namespace kelvane::rfile {

namespace {

constexpr std::string_view kGlobal = "总辐射";
constexpr std::string_view kNet = "净全辐射";
constexpr std::string_view kDiffuse = "散射辐射";
constexpr std::string_view kDirect = "直接辐射";
constexpr std::string_view kReflected = "反射辐射";
constexpr std::string_view kLarger = "日总量偏大";

double DailyFactor(int month) {
  if (month == 12 || month == 1) return 1.2;
  if (month >= 6 && month <= 8) return 1.15;
  return 1.0;
}

// The daily maximum above 1700 W/m² at a station up to 3000 m.
void ElevationMaximumRule(const RAudit& a, std::string_view element, double m, int i) {
  if (a.elevationMetres <= 3000 && m > 1700)
    Report(a, "最大值偏大", element, "", Num(i), "日最大", kLevelSuspicious);
}

// A value above another element's value of the same cell: "错误" when the
// other value is above the threshold or the excess is, "可疑" otherwise.
std::string_view ExcessLevel(double value, double other, double threshold, bool excessToo) {
  return other > threshold || (excessToo && value - other > threshold) ? kLevelError
                                                                        : kLevelSuspicious;
}

// Hour slot of a time of an extreme: the hour of HHMM plus 1, or the hour
// itself when the minutes are "00"; 0 when the time is not a time of day
// or the slot lies outside 1..24.
int HourSlot(std::string_view t) {
  if (TimeFormatBad(t, "-")) return 0;
  const int hh = static_cast<int>(LeadingInteger(t.substr(0, 2)));
  const int w = t.substr(2, 2) == "00" ? hh : hh + 1;
  return w >= 1 && w <= 24 ? w : 0;
}

// A net extreme of one sign in an hour whose total has the other sign.
void ExposureRule(const RAudit& a, const StringArray& N, int i, double extreme,
                  std::string_view time, std::string_view message, std::string_view item) {
  if (!IsValue(time)) return;
  const int w = HourSlot(time);
  if (w == 0) return;
  const std::string& hour = Cell(N, i, w);
  if (!IsValue(hour) || !IsDecimal(hour)) return;
  const double h = ValueOf(hour);
  if ((extreme > 0 && h < 0) || (extreme < 0 && h > 0))
    Report(a, message, kNet, "", Num(i), item, kLevelSuspicious);
}

}  // namespace

void AuditGlobal(const RAudit& a, const StringArray& G) {
  MonthTally month;
  for (int i = 1; i <= a.days; ++i) {
    const std::string day = Num(i);
    HourTally hours;
    for (int j = 1; j <= 24; ++j) {
      (void)HourValue(a, kGlobal, G, i, j, 6, false, hours);
      InterpolationRule(a, kGlobal, G, i, j);
    }
    DailyTotalRule(a, kGlobal, G, i, hours);
    const std::string& t = Cell(G, i, 25);
    if (IsValue(t)) {
      const double total = ValueOf(t);
      if (const auto possible = a.Rule(43);
          possible && total / 100 > *possible / 10 * DailyFactor(a.month))
        Report(a, kLarger, kGlobal, "", day, "日总量", kLevelSuspicious);
      if (const auto upper = a.Rule(3); upper && total > *upper * 1.1)
        Report(a, kLarger, kGlobal, "", day, "日总量", kLevelSuspicious);
    }
    month.Add(t);
    const std::string& m = Cell(G, i, 26);
    if (IsValue(m)) {
      ElevationMaximumRule(a, kGlobal, ValueOf(m), i);
      if (const auto upper = a.Rule(4); upper && ValueOf(m) > *upper + 100)
        Report(a, "最大值偏大", kGlobal, "", day, "日最大", kLevelSuspicious);
    }
    const std::string& sunshine = Cell(G, i, 28);
    MaximumTimeRule(a, kGlobal, Cell(G, i, 27), sunshine, i);
    // Sunshine is recorded with the global radiation only.
    if (IsValue(sunshine)) {
      const double d = ValueOf(sunshine);
      if (d < 0) Report(a, "日照时数应大于0", kGlobal, "", day, "日照时数", kLevelSuspicious);
      if (a.sunBuilt && d / 10 > SunOfDay(a.sun, i).DayLength())
        Report(a, "日照时数应小于总辐射记录起止时间内的总时数", kGlobal, "", day, "日照时数",
               kLevelSuspicious);
    }
  }
  MonthlyMean(a, month,
              {.element = kGlobal,
               .high = "月总辐射日总量月平均偏大",
               .low = "月总辐射日总量月平均偏小",
               .upper = 1,
               .lower = 2,
               .possible = 43,
               .seasonalFactor = true});
}

void AuditNet(const RAudit& a, const StringArray& G, const StringArray& N) {
  MonthTally month;
  for (int i = 1; i <= a.days; ++i) {
    const std::string day = Num(i);
    const SunDay sun = a.sunBuilt ? SunOfDay(a.sun, i) : SunDay{};
    HourTally hours;
    for (int j = 1; j <= 24; ++j) {
      const std::optional<double> v = HourValue(a, kNet, N, i, j, 15, true, hours);
      if (v) {
        const std::string_view label = HourLabel(j);
        if (a.sunBuilt) {
          // Net radiation is negative at night and positive by day.
          if (j > sun.rise + 3 && j < sun.set - 2 && *v < 0)
            Report(a, "该时总量出现负值可疑", kNet, "", day, label, kLevelSuspicious);
          if ((sun.rise > j - 1 || sun.set < j) && *v > 0)
            Report(a, "该时总量出现正值可疑", kNet, "", day, label, kLevelSuspicious);
        }
        const std::string& g = Cell(G, i, j);
        if (IsValue(g) && IsDecimal(g) && std::fabs(*v) > 1 && *v >= ValueOf(g))
          Report(a, "该时总量大于等于总辐射时总量错", kNet, kGlobal, day, label,
                 kLevelSuspicious);
        if (const auto lower = a.Rule(16); lower && *v < SignedLower(*lower))
          Report(a, "时总量偏小", kNet, "", day, label, kLevelSuspicious);
      }
      InterpolationRule(a, kNet, N, i, j);
    }
    DailyTotalRule(a, kNet, N, i, hours);
    const std::string& t = Cell(N, i, 25);
    if (IsValue(t)) {
      const double total = ValueOf(t);
      const std::string& g = Cell(G, i, 25);
      if (IsValue(g) && total >= ValueOf(g))
        Report(a, "该日总量大于等于总辐射日总量错", kNet, kGlobal, day, "日总量",
               kLevelSuspicious);
      if (const auto upper = a.Rule(9); upper && total > *upper * 1.1)
        Report(a, kLarger, kNet, "", day, "日总量", kLevelSuspicious);
      if (const auto lower = a.Rule(10); lower && total < SignedLower(*lower))
        Report(a, "日总量偏小", kNet, "", day, "日总量", kLevelSuspicious);
    }
    month.Add(t);
    const std::string& mx = Cell(N, i, 26);
    if (IsValue(mx)) {
      const double m = ValueOf(mx);
      const std::string& gm = Cell(G, i, 26);
      if (m != 0 && IsValue(gm) && IsDecimal(gm) && m >= ValueOf(gm))
        Report(a, "该日最大值大于等于总辐射日最大值错", kNet, kGlobal, day, "", kLevelError);
      ElevationMaximumRule(a, kNet, m, i);
      if (const auto upper = a.Rule(11); upper && m > *upper + 100)
        Report(a, "最大值偏大", kNet, "", day, "日最大", kLevelSuspicious);
      if (const auto lower = a.Rule(12); lower && m < *lower - 100)
        Report(a, "最大值偏小", kNet, "", day, "日最大", kLevelSuspicious);
      ExposureRule(a, N, i, m, Cell(N, i, 27), "最大值与出现时间段的曝辐量不一致", "日最大");
    }
    const std::string& mn = Cell(N, i, 28);
    if (IsValue(mn)) {
      const double m = ValueOf(mn);
      if (const auto upper = a.Rule(13); upper && m > *upper + 100)
        Report(a, "最小值偏大", kNet, "", day, "日最小", kLevelSuspicious);
      if (const auto lower = a.Rule(14); lower && m < *lower - 100)
        Report(a, "最小值偏小", kNet, "", day, "日最小", kLevelSuspicious);
      ExposureRule(a, N, i, m, Cell(N, i, 29), "最小值与出现时间段的曝辐量不一致", "日最小");
    }
    MaximumTimeRule(a, kNet, Cell(N, i, 27), Cell(G, i, 28), i);
    const std::string& minTime = Cell(N, i, 29);
    if (IsValue(minTime) && TimeFormatBad(minTime, "-"))
      Report(a, "日最小值出现时间格式错误", kNet, "", day, "最小时间", kLevelSuspicious);
  }
  MonthlyMean(a, month,
              {.element = kNet,
               .high = "月净全辐射日总量月平均偏大",
               .low = "月净全辐射日总量月平均偏小",
               .upper = 7,
               .lower = 8,
               .signedLower = true});
}

void AuditDiffuse(const RAudit& a, const StringArray& G, const StringArray& S,
                  const StringArray& D) {
  MonthTally month;
  for (int i = 1; i <= a.days; ++i) {
    const std::string day = Num(i);
    HourTally hours;
    for (int j = 1; j <= 24; ++j) {
      const std::optional<double> v = HourValue(a, kDiffuse, D, i, j, 20, false, hours);
      const std::string& g = Cell(G, i, j);
      if (v && *v != 0 && IsValue(g)) {
        const double global = ValueOf(g);
        if (global < *v)
          Report(a, "时总量大于总辐射时总量错", kDiffuse, kGlobal, day, HourLabel(j),
                 ExcessLevel(*v, global, 4, false));
        const std::string& s = Cell(S, i, j);
        if (global == *v && IsValue(s) && ValueOf(s) > 0)
          Report(a, "该时总量等于总辐射时总量,且直接辐射时总量大于0", kDiffuse,
                 "总辐射/直接辐射", day, HourLabel(j), kLevelSuspicious);
      }
      InterpolationRule(a, kDiffuse, D, i, j);
    }
    DailyTotalRule(a, kDiffuse, D, i, hours);
    const std::string& t = Cell(D, i, 25);
    if (IsValue(t)) {
      const double total = ValueOf(t);
      const std::string& g = Cell(G, i, 25);
      if (IsValue(g) && total >= ValueOf(g))
        Report(a, "该日总量大于等于总辐射日总量错", kDiffuse, kGlobal, day, "日总量",
               kLevelSuspicious);
      if (const auto upper = a.Rule(19); upper && total > *upper * 1.1)
        Report(a, kLarger, kDiffuse, "", day, "日总量", kLevelSuspicious);
    }
    month.Add(t);
    const std::string& mx = Cell(D, i, 26);
    if (IsValue(mx)) {
      const double m = ValueOf(mx);
      const std::string& gm = Cell(G, i, 26);
      if (IsValue(gm) && m > ValueOf(gm))
        Report(a, "日最大值大于总辐射日最大值", kDiffuse, kGlobal, day, "日最大",
               ExcessLevel(m, ValueOf(gm), 10, true));
      if (const auto upper = a.Rule(21); upper && m > *upper + 100)
        Report(a, "最大值偏大", kDiffuse, "", day, "日最大", kLevelSuspicious);
      if (const auto lower = a.Rule(22); lower && m < *lower - 100)
        Report(a, "最大值偏小", kDiffuse, "", day, "日最大", kLevelSuspicious);
    }
    MaximumTimeRule(a, kDiffuse, Cell(D, i, 27), Cell(G, i, 28), i);
  }
  MonthlyMean(a, month,
              {.element = kDiffuse,
               .high = "月散射辐射日总量月平均偏大",
               .low = "月散射辐射日总量月平均偏小",
               .upper = 17,
               .lower = 18});
}

void AuditDirect(const RAudit& a, const StringArray& G, const StringArray& D,
                 const StringArray& S) {
  MonthTally month;
  for (int i = 1; i <= a.days; ++i) {
    const std::string day = Num(i);
    HourTally hours;
    for (int j = 1; j <= 24; ++j) {
      (void)HourValue(a, kDirect, S, i, j, 28, false, hours);
      InterpolationRule(a, kDirect, S, i, j);
    }
    DailyTotalRule(a, kDirect, S, i, hours);
    const std::string& t = Cell(S, i, 25);
    if (IsValue(t)) {
      const double total = ValueOf(t);
      if (const auto possible = a.Rule(44); possible && total / 100 > *possible / 10)
        Report(a, kLarger, kDirect, "", day, "日总量", kLevelSuspicious);
      if (const auto upper = a.Rule(25); upper && total > *upper * 1.1)
        Report(a, kLarger, kDirect, "", day, "日总量", kLevelSuspicious);
    }
    month.Add(t);
    const std::string& mx = Cell(S, i, 26);
    if (IsValue(mx)) {
      const double m = ValueOf(mx);
      if (m >= 1367) Report(a, "最大值超过太阳常数", kDirect, "", day, "最大值", kLevelSuspicious);
      if (const auto upper = a.Rule(26); upper && m > *upper + 100)
        Report(a, "日最大值偏大", kDirect, "", day, "最大值", kLevelSuspicious);
    }
    MaximumTimeRule(a, kDirect, Cell(S, i, 27), Cell(G, i, 28), i);
    // The horizontal direct total is the global total less the diffuse
    // total, and never above the total at normal incidence.
    const std::string& h = Cell(S, i, 28);
    if (IsValue(h)) {
      const double horizontal = ValueOf(h);
      const std::string& g = Cell(G, i, 25);
      const std::string& d = Cell(D, i, 25);
      if (IsValue(g) && IsValue(d) && ValueOf(g) - ValueOf(d) != horizontal)
        Report(a, "水平直接辐射日总量与总辐射和散射辐射之差不相等", kDirect, "总辐射/散射辐射",
               day, "水平日总/日总量", kLevelSuspicious);
      if (IsValue(t) && ValueOf(t) < horizontal)
        Report(a, "水平直接辐射日总量大于直接辐射日总量错", kDirect, "", day, "水平日总/日总量",
               kLevelError);
    }
  }
  MonthlyMean(a, month,
              {.element = kDirect,
               .high = "月直接辐射日总量月平均偏大",
               .low = "月直接辐射日总量月平均偏小",
               .upper = 23,
               .lower = 24,
               .possible = 44});
}

void AuditReflected(const RAudit& a, const StringArray& G, const StringArray& R) {
  MonthTally month;
  for (int i = 1; i <= a.days; ++i) {
    const std::string day = Num(i);
    HourTally hours;
    for (int j = 1; j <= 24; ++j) {
      const std::optional<double> v = HourValue(a, kReflected, R, i, j, 36, false, hours);
      const std::string& g = Cell(G, i, j);
      if (v && IsValue(g) && *v > ValueOf(g))
        Report(a, "时总量大于总辐射时总量错", kReflected, kGlobal, day, HourLabel(j),
               ExcessLevel(*v, ValueOf(g), 4, false));
      InterpolationRule(a, kReflected, R, i, j);
    }
    DailyTotalRule(a, kReflected, R, i, hours);
    const std::string& t = Cell(R, i, 25);
    const std::string& gt = Cell(G, i, 25);
    if (IsValue(t)) {
      const double total = ValueOf(t);
      if (IsValue(gt)) {
        const double global = ValueOf(gt);
        if (total > global || (global >= 100 && total >= global))
          Report(a, "与总辐射日总量有矛盾", kReflected, kGlobal, day, "日总量", kLevelError);
      }
      // The daily upper limit is on only when the station has the lower one.
      if (const auto upper = a.Rule(31); upper && a.Rule(35) && total > *upper * 1.1)
        Report(a, kLarger, kReflected, kGlobal, day, "日总量", kLevelSuspicious);
    }
    month.Add(t);
    // Albedo: the reflected daily total in percent of the global one.
    const std::string& albedo = Cell(R, i, 26);
    if (IsValue(albedo) && IsValue(gt) && ValueOf(gt) > 0) {
      const double al = ValueOf(albedo);
      const double global = ValueOf(gt);
      constexpr std::string_view kItem = "日反射比/日总量";
      if (IsValue(t) && al != std::round(ValueOf(t) / global * 100))
        Report(a, "日反射比不正确", kReflected, kGlobal, day, kItem, kLevelError);
      if (global >= 100) {
        if (al < 6) Report(a, "日反射比偏小", kReflected, kGlobal, day, kItem, kLevelSuspicious);
        if (al > 22) Report(a, "日反射比偏大", kReflected, kGlobal, day, kItem, kLevelSuspicious);
        if (const auto lower = a.Rule(42); lower && *lower * 0.9 > al)
          Report(a, "与历史资料比较,日反射比偏小", kReflected, "", day, "日反射比",
                 kLevelSuspicious);
        if (const auto upper = a.Rule(41); upper && *upper * 1.1 < al)
          Report(a, "与历史资料比较,日反射比偏大", kReflected, "", day, "日反射比",
                 kLevelSuspicious);
      }
    }
    const std::string& mx = Cell(R, i, 27);
    if (IsValue(mx)) {
      const double m = ValueOf(mx);
      const std::string& gm = Cell(G, i, 26);
      if (IsValue(gm) && m > ValueOf(gm))
        Report(a, "日最大值大于总辐射日最大值", kReflected, kGlobal, day, "日最大",
               ExcessLevel(m, ValueOf(gm), 10, true));
      if (const auto upper = a.Rule(37); upper && m > *upper + 100)
        Report(a, "日最大值偏大", kReflected, "", day, "最大值", kLevelSuspicious);
    }
    MaximumTimeRule(a, kReflected, Cell(R, i, 28), Cell(G, i, 28), i);
  }
  MonthlyMean(a, month,
              {.element = kReflected,
               .high = "月反射辐射日总量月平均偏大",
               .low = "月反射辐射日总量月平均偏小",
               .upper = 33,
               .lower = 34});
}

}  // namespace kelvane::rfile
