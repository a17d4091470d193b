// The audits of the ground temperatures below the surface: the shallow
// depths (5 to 40 cm) against their extremes, the day before and the other
// hours of the month; the deep depths (80 to 320 cm) against their extremes
// and their slow change; and the profile of 0 to 20 cm at the four fixed
// hours against the month's typical differences, judged on clear and sunny
// days apart from the others.
//
// Only well-formed readings (whole numbers) take part in a comparison or a
// statistic; missing runs ("////") and absent cells get their format and
// interpolation findings and nothing more.
#include "afile/audit/ground_temperature.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "afile/audit/audits.h"
#include "common/solar.h"
#include "common/text.h"

namespace kelvane::afile::audit {

namespace {

constexpr std::string_view kGroundSurface = "地面温度";
constexpr std::string_view k5cm = "5cm地温";
constexpr std::string_view k10cm = "10cm地温";
constexpr std::string_view k15cm = "15cm地温";
constexpr std::string_view k20cm = "20cm地温";
constexpr std::string_view k40cm = "40cm地温";
constexpr std::string_view kDeep = "深层地温";
constexpr std::string_view kFileHeader = "文件首部";
constexpr std::string_view kWindItem = "风向风速项";
constexpr std::string_view kGroundTemperatureWord = "地温";

constexpr std::string_view kMsgDayToDay = "与前一天比较,日际变化超气候极值";
constexpr std::string_view kMsgHourToHour = "与前一时次比较,两时次差值反常";
constexpr std::string_view kMsgNeighbours = "相邻前后两时次的变化异常";
constexpr std::string_view kMsgLongitude = "在地温变化规律审核中，用到经度值，该值明显错误";
constexpr std::string_view kMsgProfile0And5 = "根据云量、日照分析,0cm与5cm地温比较差值反常";
constexpr std::string_view kMsgProfile5And10 = "根据云量、日照分析,5cm与10cm地温比较差值反常";
constexpr std::string_view kMsgProfile10And15 = "根据全月地温资料分析,10cm与15cm地温比较差值反常";
constexpr std::string_view kMsgProfile15And20 = "根据全月地温资料分析,15cm与20cm地温比较差值反常";

constexpr std::string_view kSnowCoverCode = "16";

// Rule entries of the deep depths.
constexpr int kDeepUpperRule = 52, kDeepLowerRule = 53;

double WholeValue(const Cell& c) { return static_cast<double>(c.Whole()); }

int Nearest(double x) {
  if (!(x < 2e9)) return 2000000000;
  if (!(x > -2e9)) return -2000000000;
  return RoundHalfAway(x);
}

// Period of the day of an hour label (the hour as a number), for the
// day-to-day limits: night, morning, afternoon, evening.
int PeriodOfHour(int h) {
  if ((h >= 1 && h <= 5) || h == 24) return 1;
  if (h >= 6 && h <= 11) return 2;
  if (h >= 12 && h <= 16) return 3;
  if (h >= 17 && h <= 23) return 4;
  return 1;
}

// Greatest departure of a shallow reading from the mean of its neighbouring
// hours (tenths of °C): the wave of the day is damped with depth.
int NeighbourLimit(std::string_view element) {
  if (element == k5cm) return 50;
  if (element == k10cm) return 30;
  if (element == k15cm || element == k20cm) return 20;
  if (element == k40cm) return 10;
  return 50;
}

// The reading of the hour before column j of day i: column j - 1, or the
// last column of the day before for the first column.
const Cell& HourBefore(const Grid& q, int day, int column) {
  return column == 1 ? q(day - 1, q.Columns()) : q(day, column - 1);
}
const Cell& HourAfter(const Grid& q, int day, int column) {
  return column == q.Columns() ? q(day + 1, 1) : q(day, column + 1);
}

// A mean of whole numbers with halves away from zero, 0 when there is none.
struct Mean {
  double sum = 0;
  int count = 0;
  void Add(double v) { sum += v, ++count; }
  int Value() const { return count > 0 ? Nearest(sum / count) : 0; }
};

// The typical rise and fall from the two means, with the corrections for a
// side that is almost empty while the other is full, and the floor of
// 1.0 °C. riseFull and fallFull: how many values the other side needs for
// the correction to apply.
void TypicalChange(const Mean& rises, const Mean& falls, int riseFull, int fallFull, int& rise,
                   int& fall) {
  rise = rises.Value();
  fall = falls.Value();
  if ((rises.count == 1 || rises.count == 2) && falls.count > riseFull)
    rise = Nearest(rise / 2.5) - 2;
  if ((falls.count == 1 || falls.count == 2) && rises.count > fallFull)
    fall = Nearest(fall / 2.5) + 2;
  if (rise < 9) rise = 10;
  if (fall >= -9) fall = -10;
}

}  // namespace

SoilChanges SoilChangeStatistics(const Grid& q, std::string_view element) {
  SoilChanges out;
  const bool deep40 = element == k40cm;
  const int columns = std::min(q.Columns(), 24);
  for (int j = 1; j <= columns; ++j) {
    Mean rises, falls;
    for (int day = j == 1 ? 2 : 1; day <= q.Days(); ++day) {
      const Cell& prev = HourBefore(q, day, j);
      const Cell& v = q(day, j);
      if (!prev.WellFormed() || !v.WellFormed()) continue;
      const double h = WholeValue(v) - WholeValue(prev);
      if (h > (deep40 ? 0 : 9)) rises.Add(h);
      if (h < (deep40 ? -1 : -10)) falls.Add(h);
    }
    TypicalChange(rises, falls, 25, 25, out.rise[static_cast<size_t>(j)],
                  out.fall[static_cast<size_t>(j)]);
  }
  return out;
}

void AuditShallowGroundTemperature(AuditContext& cx, const Grid& q, std::string_view element,
                                   int base) {
  if (q.Empty()) return;
  const int w = q.Columns();
  const ColumnLabels labels(LayoutOf(w));
  const bool alwaysNight = element == k20cm || element == k40cm;
  const double upper = cx.Rule(base), lower = cx.Rule(base + 1);

  // The largest change from the day before, by column: the rule of the
  // column's period of the day, looked up the first time it is needed.
  std::vector<double> dayToDayLimit(static_cast<size_t>(w) + 1, std::nan(""));
  auto dayLimit = [&](int j, std::string_view time) {
    double& limit = dayToDayLimit[static_cast<size_t>(j)];
    if (std::isnan(limit)) {
      const int period = alwaysNight ? 1 : PeriodOfHour(static_cast<int>(LeadingInteger(time)));
      limit = cx.Rule(base + 1 + period);
    }
    return limit;
  };

  // First pass: format, extremes, the day before, gaps.
  ForEachCell(q, [&](int day, int j, const Cell& v) {
    const Spot at{element, day, labels(j)};
    if (CheckFormat(cx, v, at)) {
      CheckExtremes(cx, v.value, upper, lower, at);
      const Cell& before = q(day - 1, j);
      if (day > 1 && before.WellFormed() &&
          std::fabs(WholeValue(before) - WholeValue(v)) > dayLimit(j, at.time))
        cx.Suspicious(kMsgDayToDay, at);
    }
    if (j <= 24) CheckInterpolation(cx, q, day, j, at);
  });

  // Second pass: each hour against the month's typical change and against
  // the mean of its neighbours.
  const SoilChanges typical = SoilChangeStatistics(q, element);
  const int neighbourLimit = NeighbourLimit(element);
  ForEachCell(q, [&](int day, int j, const Cell& v) {
    if (j > 24) return;
    const Cell& prev = HourBefore(q, day, j);
    if (!prev.WellFormed() || !v.WellFormed()) return;
    const Spot at{element, day, labels(j)};
    const double factor = element == k40cm ? 15 : at.time == "12" ? 20 : 25;
    const double d = WholeValue(v) - WholeValue(prev);
    if (d > factor / 10 * typical.rise[static_cast<size_t>(j)] ||
        d < factor / 10 * typical.fall[static_cast<size_t>(j)]) {
      cx.Suspicious(kMsgHourToHour, at);
      return;
    }
    const Cell& next = HourAfter(q, day, j);
    if (w == 24 && next.WellFormed() &&
        std::fabs((WholeValue(prev) + WholeValue(next)) / 2 - WholeValue(v)) > neighbourLimit)
      cx.Suspicious(kMsgNeighbours, at);
  });
}

void AuditDeepGroundTemperature(AuditContext& cx, const Grid& k, std::string_view element) {
  if (k.Empty()) return;
  const int w = k.Columns();
  const bool hourly = w == 24;
  // "80cm" from "80cm地温": the depth names the reading of a daily array.
  std::string_view depth = element;
  if (depth.ends_with(kGroundTemperatureWord))
    depth.remove_suffix(kGroundTemperatureWord.size());
  auto label = [&](int j) { return hourly ? HourLabel(j) : depth; };
  const std::string_view cellElement = hourly ? element : kDeep;

  ForEachCell(k, [&](int day, int j, const Cell& v) {
    const Spot at{cellElement, day, label(j)};
    if (CheckFormat(cx, v, at))
      CheckExtremes(cx, v.value, cx.Rule(kDeepUpperRule), cx.Rule(kDeepLowerRule), at);
  });

  if (hourly) {
    ForEachCell(k, [&](int day, int j, const Cell& v) {
      const Spot at{element, day, HourLabel(j)};
      if (!(day == 1 && j == 1)) {
        const Cell& prev = HourBefore(k, day, j);
        if (prev.WellFormed() && v.WellFormed() &&
            std::fabs(WholeValue(v) - WholeValue(prev)) >= 6)
          cx.Suspicious(kMsgHourToHour, at);
      }
      CheckInterpolation(cx, k, day, j, at);
    });
  }

  const int limitRule = depth == "80cm" ? 54 : depth == "160cm" ? 55 : depth == "320cm" ? 56 : 0;
  if (limitRule == 0) return;
  const double limit = cx.Rule(limitRule);
  for (int day = 2; day <= k.Days(); ++day)
    for (int j = 1; j <= w; ++j) {
      const Cell& before = k(day - 1, j);
      const Cell& v = k(day, j);
      if (before.WellFormed() && v.WellFormed() &&
          std::fabs(WholeValue(v) - WholeValue(before)) > limit)
        cx.Suspicious(kMsgDayToDay, {kDeep, day, depth});
    }
}

namespace {

// The four fixed hours of the profile and where they stand in an array.
constexpr int kFixedHours = 4;
int FixedColumn(const Grid& g, int f) { return LayoutOf(g.Columns()) == Layout::Hourly ? 6 * f : f; }

// Differences of one pair of depths at one fixed hour over the month.
struct PairStatistics {
  int selected = 0;  // A: mean size on the clear or sunny days
  int other = 0;     // B: mean size on the other days
  int rise = 0;      // C: mean of the larger positive differences
  int fall = 0;      // D: mean of the larger negative differences
};

// The difference of two depths on a day at a fixed hour, when both are
// well formed.
struct PairValue {
  bool ok = false;
  double d = 0;
};
PairValue Difference(const Grid& upper, const Grid& lower, int day, int f) {
  const Cell& a = upper(day, FixedColumn(upper, f));
  const Cell& b = lower(day, FixedColumn(lower, f));
  if (!a.WellFormed() || !b.WellFormed()) return {};
  return {true, WholeValue(a) - WholeValue(b)};
}

PairStatistics Statistics(const Grid& upper, const Grid& lower, int days, int f,
                          const std::vector<char>& selected) {
  Mean a, b, c, d;
  for (int day = 1; day <= days; ++day) {
    const PairValue p = Difference(upper, lower, day, f);
    if (!p.ok) continue;
    (selected[static_cast<size_t>(day)] ? a : b).Add(std::fabs(p.d));
    if (p.d > 9) c.Add(p.d);
    if (p.d < -10) d.Add(p.d);
  }
  PairStatistics s;
  s.selected = a.Value();
  s.other = b.Value();
  TypicalChange(c, d, 24, 25, s.rise, s.fall);
  return s;
}

// Outside the pair's usual range: larger than factor × C, or more negative
// than factor × D less slack.
bool BeyondTypical(double d, const PairStatistics& s, double factor, double slack) {
  return (d >= 0 && d > factor * s.rise) || (d < 0 && d < factor * s.fall - slack);
}

}  // namespace

void AuditGroundTemperatureProfile(AuditContext& cx, const Grid& strNN, const Grid& strw,
                                   const Grid& strD0, const Grid& strD5, const Grid& strD10,
                                   const Grid& strD15, const Grid& strD20, const Grid&,
                                   const Grid& strZJSS) {
  if (cx.ModeCode(16) == "=") return;
  const int days = std::max({strD0.Days(), strD5.Days(), strD10.Days(), strD15.Days(),
                             strD20.Days()});
  if (days == 0) return;

  // Clear or sunny days per fixed hour: little cloud, or some cloud with
  // the sun out for most of the hour that holds 14 h true solar time.
  std::array<std::vector<char>, kFixedHours + 1> selected;
  for (auto& s : selected) s.assign(static_cast<size_t>(days) + 1, 0);
  if (cx.Latitude().ends_with('N') && cx.Longitude().ends_with('E')) {
    const double longitude = CoordinateToDegreesValue(cx.Longitude(), 'E', 'W');
    const int monthDays = DaysInMonth(cx.Year(), cx.Month());
    bool longitudeReported = false;
    for (int day = 1; day <= days; ++day) {
      // Rows past the end of the month are no dates.
      if (monthDays == 0 || day > monthDays) continue;
      // The recorder hour that holds 14 h true solar time.
      std::array<char, 24> buf;
      const double hour = std::trunc(
          TrueSolarTime(cx.Para(2), cx.Para(3), NumberText(day, buf), "14", longitude));
      if (!(hour <= strZJSS.Columns())) {
        if (!longitudeReported)
          cx.list().Add(kMsgLongitude, kFileHeader, kWindItem, "", "", "1", kLevelError);
        longitudeReported = true;
        continue;
      }
      const Cell& z = strZJSS(day, hour < 1 ? 0 : static_cast<int>(hour));
      for (int f = 1; f <= kFixedHours; ++f) {
        // "10-" (sky obscured) keeps its leading 10; "-", "//" are no amount.
        const Cell& n = strNN(day, FixedColumn(strNN, f));
        if (!n.Present() || IsMissingRun(n.text) || !ParseNumber(n.text).anyDigit) continue;
        if (n.value < 4 || (z.WellFormed() && n.value < 7 && z.value >= 8))
          selected[static_cast<size_t>(f)][static_cast<size_t>(day)] = 1;
      }
    }
  }

  std::array<PairStatistics, kFixedHours + 1> s1, s2, s3, s4;
  for (int f = 1; f <= kFixedHours; ++f) {
    const auto& sel = selected[static_cast<size_t>(f)];
    s1[static_cast<size_t>(f)] = Statistics(strD0, strD5, days, f, sel);
    s2[static_cast<size_t>(f)] = Statistics(strD5, strD10, days, f, sel);
    s3[static_cast<size_t>(f)] = Statistics(strD10, strD15, days, f, sel);
    s4[static_cast<size_t>(f)] = Statistics(strD15, strD20, days, f, sel);
  }

  for (int day = 1; day <= days; ++day) {
    // Under snow the surface does not follow the sun.
    const bool snow = HasPhenomenonRecord(strw.Text(day, 1), kSnowCoverCode);
    for (int f = 1; f <= kFixedHours; ++f) {
      const size_t fi = static_cast<size_t>(f);
      const std::string_view label = FixedHourLabel(f);
      const bool sel = selected[fi][static_cast<size_t>(day)] != 0;
      const PairValue p1 = Difference(strD0, strD5, day, f);
      const PairValue p2 = Difference(strD5, strD10, day, f);
      const PairStatistics& a = s1[fi];
      const PairStatistics& b = s2[fi];
      const double d1 = p1.d, d2 = p2.d;

      if (p1.ok && !snow) {
        bool odd;
        if (f == 1)
          odd = sel ? (d1 > 2 * a.selected || d1 >= 20) : BeyondTypical(d1, a, 2, 5);
        else if (f == 3)
          odd = sel ? (d1 > 2 * a.selected || d1 <= 10)
                    : (d1 > 2.5 * a.other && p2.ok && d2 < b.other / 2.0);
        else
          odd = BeyondTypical(d1, a, 2.5, 5);
        if (odd) cx.Suspicious(kMsgProfile0And5, {kGroundSurface, day, label}, k5cm);
      }
      if (p2.ok && !snow) {
        bool odd;
        if (f == 1)
          odd = sel ? (d2 > 29 || (p1.ok && d1 > 2.5 * a.selected && d2 < 2.5 * b.selected))
                    : BeyondTypical(d2, b, 2.5, 0);
        else if (f == 3)
          odd = sel ? (d2 > 2 * b.selected || d2 <= 0)
                    : (d2 > 2.5 * b.other && p1.ok && d1 < a.other / 2.0);
        else
          odd = BeyondTypical(d2, b, 2, 5);
        if (odd) cx.Suspicious(kMsgProfile5And10, {k5cm, day, label}, k10cm);
      }
      const PairValue p3 = Difference(strD10, strD15, day, f);
      if (p3.ok && BeyondTypical(p3.d, s3[fi], 2, 5))
        cx.Suspicious(kMsgProfile10And15, {k10cm, day, label}, k15cm);
      const PairValue p4 = Difference(strD15, strD20, day, f);
      if (p4.ok && BeyondTypical(p4.d, s4[fi], 1.5, 5))
        cx.Suspicious(kMsgProfile15And20, {k15cm, day, label}, k20cm);
    }
  }
}

}  // namespace kelvane::afile::audit
