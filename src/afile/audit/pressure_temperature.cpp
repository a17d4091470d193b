// The audits of station pressure, air temperature, ground-surface and grass
// temperature: the hourly (or fixed-hour) values and the daily extremes of
// one element, the daily extremes against the minute data, the daily
// minimum air temperature against the ground-surface minimum, and the
// recomputation of sea-level pressure.
//
// Only well-formed values (whole numbers) take part in an extreme, a
// comparison or a recomputation. Missing values (runs of "/") and absent
// ones ("-", empty) only get the format and the interpolation findings;
// any other malformed text has its format finding and nothing more.
#include <array>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "afile/audit/audits.h"
#include "afile/audit/predicates.h"
#include "common/pressure.h"
#include "common/solar.h"
#include "common/text.h"

namespace kelvane::afile::audit {

namespace {

constexpr std::string_view kStationPressure = "本站气压";
constexpr std::string_view kAirTemperature = "气温";
constexpr std::string_view kGroundSurface = "地面温度";
constexpr std::string_view kGrass = "草面温度";
constexpr std::string_view kSeaLevelPressure = "海平面气压";
constexpr std::string_view kPressureAndTemperature = "本站气压/气温";

constexpr std::string_view kMax = "最高";
constexpr std::string_view kMaxTime = "最高时";
constexpr std::string_view kMin = "最低";
constexpr std::string_view kMinTime = "最低时";
constexpr std::string_view kTimeMark = "时";
constexpr std::string_view kMaxVsPrevious20 = "最高/上日20";
constexpr std::string_view kMinVsPrevious20 = "最低/上日20";
constexpr std::string_view kTwoOClock = "2";

constexpr std::string_view kMsgNeighbours = "相邻前后两时次的变化异常";
constexpr std::string_view kMsgMaxBelowPrevious20 = "日最高低于前一日20时太多";
constexpr std::string_view kMsgMinAbovePrevious20 = "日最低高于前一日20时太多";
constexpr std::string_view kMsgWeightedDiffers = "2时地温与加权平均求得的值不一致";
constexpr std::string_view kMsgWeightedMissing = "2时地温应用加权平均求算";
constexpr std::string_view kMsgMaxVsFixed = "最高值与定时值矛盾";
constexpr std::string_view kMsgMaxFarAbove = "日最高高于定时中的最大值太多";
constexpr std::string_view kMsgMinVsFixedWeighted = "最低值与定时值矛盾,可能是加权平均影响";
constexpr std::string_view kMsgMinVsFixed = "最低值与定时值矛盾";
constexpr std::string_view kMsgMinFarBelow = "日最低低于定时中的最低值太多";
constexpr std::string_view kMsgMaxVsMinutes = "最高值与对应J文件分钟值不一致";
constexpr std::string_view kMsgMaxTimeVsMinutes = "最高值出现时间与对应J文件分钟值不一致";
constexpr std::string_view kMsgMinVsMinutes = "最低值与对应J文件分钟值不一致";
constexpr std::string_view kMsgMinTimeVsMinutes = "最低值出现时间与对应J文件分钟值不一致";
constexpr std::string_view kMsgAirMinFarBelowGround = "最低气温值低于地面最低温度太多";
constexpr std::string_view kMsgAirMinFarAboveGround = "最低气温值高于地面最低温度太多";
constexpr std::string_view kMsgSeaLevelDiffers = "计算值与记录值的差为";

// Nearest whole number, halves away from zero, saturated.
int64_t Nearest(double x) {
  Cell c;
  c.value = x;
  return c.Whole();
}

// A well-formed cell's whole number, for arithmetic without overflow.
double WholeValue(const Cell& c) { return static_cast<double>(c.Whole()); }

// "head/tail", the TimeOrItem of a finding that names two places.
std::string Joined(std::string_view head, std::string_view tail) {
  std::string s;
  s.reserve(head.size() + 1 + tail.size());
  s += head;
  s += '/';
  s += tail;
  return s;
}

// A time written as hours with one decimal, the way it is shown ("6.3"):
// the value is first taken to 15 significant digits, as a real is written
// as text, then rounded half away from zero.
double RoundedToTenths(double x) {
  return static_cast<double>(Nearest(ThroughFifteenDigits(x) * 10)) / 10;
}

// Sunrise and sunset of each day in standard time (of 120° E), computed on
// the first day that needs them. The longitude is read as degrees east
// whatever its letter.
class DaylightHours {
 public:
  explicit DaylightHours(const AuditContext& cx)
      : cx_(cx), offset_((120 - CoordinateToDegreesValue(cx.Longitude(), 'E', '\0')) * 4 / 60) {}

  // Greatest allowed departure of a ground or grass temperature at hour h
  // from the mean of its neighbours: small at night, larger around sunrise
  // and sunset, largest in the day.
  double Limit(int day, double h) {
    Compute(day);
    if (h < rise_ - 1 || h > set_ + 1) return 30;
    if (h < rise_ + 1 || h > set_ - 1) return 50;
    return 150;
  }

 private:
  void Compute(int day) {
    if (day == day_) return;
    const AuditContext::SunTimes sun = cx_.Sun(day);
    rise_ = RoundedToTenths(offset_ + sun.rise);
    set_ = RoundedToTenths(offset_ + sun.set);
    day_ = day;
  }

  const AuditContext& cx_;
  double offset_;
  int day_ = 0;
  double rise_ = 0, set_ = 0;
};

// The time of a daily extreme (a column labelled "...时"): a time of the
// day, and when it names a full hour, the extreme equals that hour's value.
void CheckExtremeTime(AuditContext& cx, const Grid& q, int day, int column, const Cell& v,
                      const Spot& at) {
  const std::string_view t = v.text;
  if (IsBadExtremeTime(t, "-") && t != "0000" && t != "2400") {
    cx.Error(kMsgTimeFormat, at);
    return;
  }
  if (t.size() < 2 || t.substr(t.size() - 2) != "00") return;
  const int64_t hh = LeadingInteger(t.substr(0, 2));
  const int hourColumn = HourColumn(static_cast<int>(hh));
  if (hourColumn == 0) return;
  const Cell& hourValue = q(day, hourColumn);
  const Cell& extreme = q(day, column - 1);
  if (!hourValue.WellFormed() || !extreme.WellFormed() || hourValue.value == extreme.value) return;
  std::array<char, 24> buf;
  cx.Error(kMsgExtremeOnTheHour, {at.element, day, Joined(at.time, NumberText(hh, buf))});
}

// Change between neighbouring hours: the departure of the hour from the
// mean of the hours before and after it.
void CheckNeighbours(AuditContext& cx, const HourNeighbours& n, const Cell& v, const Spot& at,
                     DaylightHours& daylight) {
  if (!n.before->WellFormed() || !v.WellFormed() || !n.after->WellFormed()) return;
  const double prev = n.before->value, next = n.after->value;
  double limit;
  if (at.element == kStationPressure) {
    limit = 30;
  } else if (at.element == kAirTemperature) {
    limit = prev - next >= 5 ? 50 : 30;  // a falling temperature may bend more
  } else if (at.element == kGroundSurface || at.element == kGrass) {
    limit = daylight.Limit(at.day, LeadingNumber(at.time));
  } else {
    return;
  }
  const double d = (prev + next) / 2 - v.value;
  if ((d < 0 ? -d : d) > limit) cx.Suspicious(kMsgNeighbours, at);
}

// The extremes of the day's fixed-hour values and the first column that
// holds each (0: none).
struct FixedHourExtremes {
  double max = -99999, min = 99999;
  int maxColumn = 0, minColumn = 0;

  void Read(const Grid& q, int day, int columns) {
    *this = {};
    for (int c = 1; c <= columns; ++c) {
      const Cell& cell = q(day, c);
      if (!cell.WellFormed()) continue;
      const double x = WholeValue(cell);
      if (x > max) max = x, maxColumn = c;
      if (x < min) min = x, minColumn = c;
    }
  }
};

// A daily extreme and its time against the minute data: only a well-formed
// time of four characters is looked up, and only a well-formed extreme is
// compared (its time still is when the extreme is malformed).
void CompareDailyExtreme(AuditContext& cx, const Cell& x, const Cell& xt,
                         const MinuteHours& minutes, int day, const MinuteComparison& how) {
  if (!xt.WellFormed() || xt.text.size() != 4) return;
  CompareExtremeWithMinutes(cx, minutes, day,
                            x.WellFormed() ? std::optional<double>(x.value) : std::nullopt,
                            xt.text, how);
}

// True when the day's weather text records snow cover (code 16): "16," at
// the start of the text or after a "," or "(" (and not the end of a period
// such as "0730-0816,").
bool SnowCoverRecorded(std::string_view weather) {
  for (size_t at = weather.find("16,"); at != std::string_view::npos;
       at = weather.find("16,", at + 1)) {
    if (at == 0 || weather[at - 1] == ',' || weather[at - 1] == '(') return true;
  }
  return false;
}

}  // namespace

void AuditHourlyElement(AuditContext& cx, const Grid& q, std::string_view element, int base) {
  const int w = q.Columns();
  const ColumnLabels labels = w == 28
                                  ? ColumnLabels(Layout::Hourly, {kMax, kMaxTime, kMin, kMinTime})
                                  : ColumnLabels(LayoutOf(w), {kMax, kMin});
  const double upper = cx.Rule(base + 1), lower = cx.Rule(base + 2);
  DaylightHours daylight(cx);

  // Every cell: format, extremes, extreme times, neighbouring hours.
  ForEachCell(q, [&](int day, int column, const Cell& v) {
    const std::string_view label = labels(column);
    const Spot at{element, day, label};
    if (CheckFormat(cx, v, at)) {
      if (label.find(kTimeMark) != std::string_view::npos)
        CheckExtremeTime(cx, q, day, column, v, at);
      else
        CheckExtremes(cx, WholeValue(v), upper, lower, at);
    }
    if (w < 25 || column > 24) return;
    const HourNeighbours n = NeighboursOf(q, day, column);
    if (!n) return;
    CheckNeighbours(cx, n, v, at, daylight);
    CheckInterpolation(cx, q, day, column, at);
  });

  if (w < 5) return;
  const int fixedColumns = w > 24 ? 24 : 4;
  const int maxColumn = w == 28 ? 25 : w - 1;
  const int minColumn = w == 28 ? 27 : w;
  // A station observing three times a day gets its 02 h ground-surface
  // temperature as the mean of the previous 20 h value and the day's minimum.
  const bool weighted02 = element == kGroundSurface && cx.ManualStation() &&
                          LeadingNumber(cx.Para(16)) == 3 && w == 6;
  FixedHourExtremes fixed;
  for (int day = 1; day <= q.Days(); ++day) {
    fixed.Read(q, day, fixedColumns);
    const Cell& x = q(day, maxColumn);
    const Cell& m = q(day, minColumn);

    if (day > 1) {
      const Cell& p20 = q(day - 1, fixedColumns);
      const bool hasP20 = p20.WellFormed();
      if (hasP20 && x.WellFormed() && WholeValue(p20) - WholeValue(x) > cx.Rule(base + 4))
        cx.Suspicious(kMsgMaxBelowPrevious20, {element, day, kMaxVsPrevious20});
      if (hasP20 && m.WellFormed() && WholeValue(m) - WholeValue(p20) > cx.Rule(base + 6))
        cx.Suspicious(kMsgMinAbovePrevious20, {element, day, kMinVsPrevious20});

      if (weighted02) {
        const Cell& at02 = q(day, 1);
        const Cell& min = q(day, 6);
        const bool computable = min.WellFormed() && hasP20;
        if (at02.WellFormed()) {
          if (computable &&
              at02.value != static_cast<double>(Nearest((WholeValue(p20) + WholeValue(min)) / 2)))
            cx.Error(kMsgWeightedDiffers, {element, day, kTwoOClock});
        } else if (at02.Present() && computable) {
          cx.Error(kMsgWeightedMissing, {element, day, kTwoOClock});
        }
      }
    }

    if (x.WellFormed() && fixed.maxColumn != 0) {
      const double xv = WholeValue(x);
      auto at = [&] { return Joined(kMax, labels(fixed.maxColumn)); };
      if (xv < fixed.max) cx.Error(kMsgMaxVsFixed, {element, day, at()});
      if (xv - fixed.max > cx.Rule(base + 3))
        cx.Suspicious(kMsgMaxFarAbove, {element, day, at()});
    }
    if (m.WellFormed() && fixed.minColumn != 0) {
      const double mv = WholeValue(m);
      auto at = [&] { return Joined(kMin, labels(fixed.minColumn)); };
      if (fixed.min < mv) {
        const Cell& at02 = q(day, 1);
        if (weighted02 && at02.WellFormed() && WholeValue(at02) == fixed.min)
          cx.Suspicious(kMsgMinVsFixedWeighted, {element, day, at()});
        else
          cx.Error(kMsgMinVsFixed, {element, day, at()});
      }
      if (fixed.min - mv > cx.Rule(base + 5))
        cx.Suspicious(kMsgMinFarBelow, {element, day, at()});
    }
  }
}

void CompareWithJFile(AuditContext& cx, const Grid& q, const MinuteHours& minutes,
                      std::string_view element) {
  if (q.Columns() != 28) return;
  const MinuteComparison maximum{element, true, kMax, kMaxTime, kMsgMaxVsMinutes,
                                 kMsgMaxTimeVsMinutes};
  const MinuteComparison minimum{element, false, kMin, kMinTime, kMsgMinVsMinutes,
                                 kMsgMinTimeVsMinutes};
  for (int day = 1; day <= q.Days(); ++day) {
    CompareDailyExtreme(cx, q(day, 25), q(day, 26), minutes, day, maximum);
    CompareDailyExtreme(cx, q(day, 27), q(day, 28), minutes, day, minimum);
  }
}

void AuditMinTempAgainstGround(AuditContext& cx, const Grid& strT, const Grid& strD0,
                               const Grid& strw) {
  const int tColumns = strT.Columns();
  if (tColumns < 5) return;
  const int tMin = tColumns == 28 ? 27 : tColumns;
  const int g = strD0.Columns();
  const int gMin = g == 6 ? 6 : g == 26 ? 26 : g == 28 ? 27 : 0;
  if (gMin == 0) return;
  const double below = cx.Rule(24), above = cx.Rule(25);
  for (int day = 1; day <= strT.Days(); ++day) {
    const Cell& tn = strT(day, tMin);
    const Cell& gn = strD0(day, gMin);
    if (!tn.WellFormed() || !gn.WellFormed()) continue;
    const double t = WholeValue(tn);
    const Spot at{kAirTemperature, day, kMin};
    // Over snow cover the ground minimum may lie far above the air minimum.
    if ((SnowCoverRecorded(strw(day, 1).text) || g != 28) && gn.value - t > below)
      cx.Suspicious(kMsgAirMinFarBelowGround, at, kGroundSurface);
    if (t - gn.value > above) cx.Suspicious(kMsgAirMinFarAboveGround, at, kGroundSurface);
  }
}

void AuditSeaLevelPressure(AuditContext& cx, const Grid& strP0, const Grid& strP,
                           const Grid& strT) {
  // Each array is read in its own layout: the fixed hour k is column 6k of
  // an hourly array, column k of four observations a day.
  const bool pHourly = strP.Columns() > 23, tHourly = strT.Columns() > 23;
  auto tColumn = [&](int k) { return tHourly ? 6 * k : k; };
  for (int day = 1; day <= strP0.Days(); ++day) {
    for (int k = 1; k <= 4; ++k) {
      const Cell& v = strP0(day, k);
      const Spot at{kSeaLevelPressure, day, FixedHourLabel(k)};
      if (!CheckFormat(cx, v, at)) continue;
      if (day == 1 && k <= 2) continue;  // no temperature 12 hours earlier
      const Cell& p = strP(day, pHourly ? 6 * k : k);
      const Cell& t = strT(day, tColumn(k));
      const Cell& t12 = k >= 3 ? strT(day, tColumn(k - 2)) : strT(day - 1, tColumn(k + 2));
      if (!p.WellFormed() || !t.WellFormed() || !t12.WellFormed()) continue;
      const std::string s = SeaLevelPressure(p.text, t.text, t12.text, cx.BarometerElevation());
      const double difference = LeadingNumber(s) - v.value;
      if (difference == 0) continue;
      std::string message(kMsgSeaLevelDiffers);
      message += FormatNumber(difference);
      cx.Error(message, at, kPressureAndTemperature);
    }
  }
}

}  // namespace kelvane::afile::audit
