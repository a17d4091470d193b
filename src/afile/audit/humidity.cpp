// The humidity audits: wet bulb and the recomputation of vapour pressure,
// relative humidity and dew point from the psychrometer (or from relative
// humidity when there is no wet-bulb reading), vapour pressure and dew point
// against their extremes and the air temperature, and relative humidity with
// its daily minimum, the fixed hours, the previous day and the minute data.
//
// Missing values (runs of "/") and absent ones ("-", empty) take part in no
// extreme, comparison or recomputation; they only get the format and the
// interpolation findings. The relative humidity record "%%" is 100 %.
#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "afile/audit/audits.h"
#include "afile/audit/predicates.h"
#include "common/error.h"
#include "common/formulas.h"
#include "common/text.h"

namespace kelvane::afile::audit {

namespace {

constexpr std::string_view kWetBulb = "湿球温度";
constexpr std::string_view kAirTemperature = "气温";
constexpr std::string_view kVapourPressure = "水汽压";
constexpr std::string_view kRelativeHumidity = "相对湿度";
constexpr std::string_view kDewPoint = "露点温度";
constexpr std::string_view kWeather = "天气现象";
constexpr std::string_view kFromHumidity = "气温/相对湿度";
constexpr std::string_view kFromWetBulb = "气温/湿球温度";

constexpr std::string_view kMinimum = "最小";
constexpr std::string_view kMinimumTime = "最小时";

constexpr std::string_view kMsgWetAboveDry = "湿球温度大于干球温度";
constexpr std::string_view kMsgIcedAboveZero = "湿球温度0℃以上结冰";
constexpr std::string_view kMsgIcedWithoutSymbol = "湿球温度结冰,天气现象无结冰符号";
constexpr std::string_view kMsgVapourRecomputed = "水汽压审核计算值与A文件中的差为";
constexpr std::string_view kMsgHumidityRecomputed = "相对湿度审核计算值与A文件中的差为";
constexpr std::string_view kMsgDewRecomputed = "露点温度审核计算值与A文件中的差为";
constexpr std::string_view kMsgVapourFromHumidity = "水汽压与反查计算的值相差达0.3hPa以上(";
constexpr std::string_view kMsgDewFromHumidity = "露点温度与反查计算的值相差达0.3℃以上(";
constexpr std::string_view kMsgVapourManual = "水汽压与反查计算值的差为";
constexpr std::string_view kMsgDewManual = "露点温度与反查计算值的差为";
constexpr std::string_view kMsgDewAboveAir = "露点温度与气温矛盾";
constexpr std::string_view kMsgImpossible = "记录不可能";
constexpr std::string_view kMsgMinimumVsMinutes = "最小值与对应J文件分钟值不一致";
constexpr std::string_view kMsgMinimumTimeVsMinutes = "最小值出现时间与对应J文件分钟值不一致";
constexpr std::string_view kMsgMinimumAbovePrevious20 = "日最小高于前一日20时太多";
constexpr std::string_view kMsgMinimumVsFixed = "最小值与定时值矛盾";
constexpr std::string_view kMsgMinimumFarBelow = "日最低低于定时中的最低值太多（>=30）";

// A cell that holds a reading: neither absent nor a run of "/".
bool HoldsReading(const Cell& c) { return c.Present() && !IsMissingRun(c.text); }

// The reading of a wet-bulb cell without the mark "B" of an iced bulb. A
// mark without a reading ("B", "-B") is malformed text, not an absent cell.
Cell WetBulbReading(const Cell& v) {
  if (!v.text.ends_with('B')) return v;
  Cell w = ParseCell(v.text.substr(0, v.text.size() - 1));
  if (w.Absent()) {
    w.text = v.text;
    w.kind = CellKind::Text;
  }
  return w;
}

// Nearest whole number, halves away from zero, saturated.
int64_t NearestWhole(double x) {
  Cell c;
  c.value = x;
  return c.Whole();
}

std::string WithNumber(std::string_view prefix, int64_t n) {
  std::array<char, 24> buf;
  std::string s(prefix);
  s += NumberText(n, buf);
  return s;
}

// "prefix" & x / 10 with one decimal & ")" for x >= 0 tenths.
std::string WithTenths(std::string_view prefix, double x) {
  const int64_t tenths = NearestWhole(x);
  std::array<char, 24> buf;
  std::string s(prefix);
  s += NumberText(tenths / 10, buf);
  s += '.';
  s += static_cast<char>('0' + tenths % 10);
  s += ')';
  return s;
}

// label & "/" & text
std::string Joined(std::string_view label, std::string_view text) {
  std::string s(label);
  s += '/';
  s += text;
  return s;
}

// True when the day's weather text records icing: "03" at its start or
// after a comma, or "(03".
bool HasIcingSymbol(std::string_view w) {
  return w.starts_with("03") || w.find(",03") != std::string_view::npos ||
         w.find("(03") != std::string_view::npos;
}

// The psychrometric formulas with the station's settings, and output texts
// reused from cell to cell.
class Psychrometer {
 public:
  explicit Psychrometer(const VariantArray& sysLib)
      : pDefault_(Item(sysLib, 72)),
        c0_(Item(sysLib, 27)),
        c1_(Item(sysLib, 28)),
        c2_(Item(sysLib, 29)),
        c3_(Item(sysLib, 30)) {}

  // From dry bulb, wet bulb (as written, "B" for an iced bulb) and station
  // pressure. False when the formulas cannot evaluate the readings (values
  // far outside any weather); the cell is then not compared.
  bool FromWetBulb(std::string_view dry, std::string_view wet, std::string_view p,
                   std::string_view vent) {
    return Run(dry, wet, p, vent);
  }

  // From dry bulb and relative humidity; the pressure does not enter.
  bool FromHumidity(std::string_view dry, const Cell& u) {
    wet_.assign(u.text == "%%" ? std::string_view("100") : u.text);
    wet_ += 'U';
    return Run(dry, wet_, "10000", "0.8");
  }

  const std::string& e() const { return e_; }
  const std::string& u() const { return u_; }
  const std::string& td() const { return td_; }

 private:
  static double Item(const VariantArray& a, long k) {
    const Variant* v = a.Find(k);
    return v ? LeadingNumber(v->Text()) : 0.0;
  }

  bool Run(std::string_view dry, std::string_view wet, std::string_view p,
           std::string_view vent) {
    try {
      HumidityFromPsychrometer(dry, wet, p, vent, e_, u_, td_, pDefault_, c0_, c1_, c2_, c3_);
      return true;
    } catch (const Error&) {  // a result that is no number or out of range
      return false;
    }
  }

  double pDefault_, c0_, c1_, c2_, c3_;
  std::string e_, u_, td_, wet_;
};

// Recorded minus recomputed, rounded to a whole number, when the recorded
// cell is numeric and they differ: "prefix" & difference (错误).
void ReportDifference(AuditContext& cx, const Cell& recorded, const std::string& computed,
                      std::string_view prefix, const Spot& at, std::string_view related) {
  if (!recorded.Numeric()) return;
  const int64_t d = NearestWhole(recorded.value - LeadingNumber(computed));
  if (d != 0) cx.Error(WithNumber(prefix, d), at, related);
}

// |recorded - recomputed| of 3 tenths or more: "prefix" & it in units with
// one decimal & ")" (可疑).
void ReportDeviation(AuditContext& cx, const Cell& recorded, const std::string& computed,
                     std::string_view prefix, const Spot& at, std::string_view related) {
  if (!HoldsReading(recorded)) return;
  const double a = std::fabs(recorded.value - LeadingNumber(computed));
  if (a >= 3) cx.Suspicious(WithTenths(prefix, a), at, related);
}

// Wet-bulb readings: format, lower extreme, above the dry bulb, iced bulb.
void WetBulbPass(AuditContext& cx, const Grid& strT, const Grid& strI, const Grid& strw) {
  const double lower = cx.Rule(13);
  const int columns = strI.Columns();
  ForEachCell(strI, [&](int day, int column, const Cell& v) {
    if (v.Absent()) return;
    const Spot at{kWetBulb, day, ObsTimeLabel(columns, column)};
    const bool iced = v.text.ends_with('B');
    const Cell w = WetBulbReading(v);
    if (CheckFormat(cx, w, at)) {
      const int64_t x = w.Whole();
      CheckLowerExtreme(cx, static_cast<double>(x), lower, at);
      const Cell& t = strT(day, column);
      if (HoldsReading(t) && static_cast<double>(x) > t.value + (iced ? 5 : 0))
        cx.Error(kMsgWetAboveDry, at, kAirTemperature);
      if (x > 0 && iced) cx.Suspicious(kMsgIcedAboveZero, at);
    }
    if (iced && !HasIcingSymbol(strw.Text(day, 1)))
      cx.Suspicious(kMsgIcedWithoutSymbol, at, kWeather);
  });
}

// The three recomputed values against the recorded ones (错误 for any
// difference).
void CompareRecomputed(AuditContext& cx, const Psychrometer& psy, const Grid& strE,
                       const Grid& strU, const Grid& strTD, int day, int column,
                       std::string_view time) {
  ReportDifference(cx, strE(day, column), psy.e(), kMsgVapourRecomputed,
                   {kVapourPressure, day, time}, kFromHumidity);
  ReportDifference(cx, HumidityCell(strU(day, column)), psy.u(), kMsgHumidityRecomputed,
                   {kRelativeHumidity, day, time}, kFromWetBulb);
  ReportDifference(cx, strTD(day, column), psy.td(), kMsgDewRecomputed,
                   {kDewPoint, day, time}, kFromHumidity);
}

// Automatic stations: from the psychrometer where wet bulb and pressure are
// read, else from relative humidity.
void AutomaticPass(AuditContext& cx, Psychrometer& psy, const Grid& strP, const Grid& strT,
                   const Grid& strI, const Grid& strE, const Grid& strU, const Grid& strTD) {
  const int columns = strI.Columns();
  ForEachCell(strI, [&](int day, int column, const Cell& wet) {
    const Cell& t = strT(day, column);
    const Cell u = HumidityCell(strU(day, column));
    if (!HoldsReading(t) || !HoldsReading(u)) return;
    const std::string_view time = ObsTimeLabel(columns, column);
    const Cell& p = strP(day, column);
    if (HoldsReading(wet) && HoldsReading(p)) {
      if (psy.FromWetBulb(t.text, wet.text, p.text, "0.8"))
        CompareRecomputed(cx, psy, strE, strU, strTD, day, column, time);
      return;
    }
    if (!psy.FromHumidity(t.text, u)) return;
    ReportDeviation(cx, strE(day, column), psy.e(), kMsgVapourFromHumidity,
                    {kVapourPressure, day, time}, kFromHumidity);
    ReportDeviation(cx, strTD(day, column), psy.td(), kMsgDewFromHumidity,
                    {kDewPoint, day, time}, kFromHumidity);
  });
}

// Manual stations: from the psychrometer with the station's ventilation
// code, or from relative humidity where no wet bulb was read.
void ManualPass(AuditContext& cx, Psychrometer& psy, const Grid& strP, const Grid& strT,
                const Grid& strI, const Grid& strE, const Grid& strU, const Grid& strTD) {
  const int columns = strI.Columns();
  const std::string& vent = cx.manualWindV();
  ForEachCell(strI, [&](int day, int column, const Cell& wet) {
    const Cell& t = strT(day, column);
    const Cell& p = strP(day, column);
    const Cell w = WetBulbReading(wet);
    const std::string_view time = ObsTimeLabel(columns, column);
    if (w.Numeric() && t.Numeric() && p.Numeric()) {
      if (psy.FromWetBulb(t.text, wet.text, p.text, vent))
        CompareRecomputed(cx, psy, strE, strU, strTD, day, column, time);
      return;
    }
    const Cell u = HumidityCell(strU(day, column));
    const bool noWetBulb = !HoldsReading(wet) || wet.text == ",";
    if (!noWetBulb || !t.Numeric() || !u.Numeric()) return;
    if (!psy.FromHumidity(t.text, u)) return;
    ReportDifference(cx, strE(day, column), psy.e(), kMsgVapourManual,
                     {kVapourPressure, day, time}, kFromHumidity);
    ReportDifference(cx, strTD(day, column), psy.td(), kMsgDewManual, {kDewPoint, day, time},
                     kFromHumidity);
  });
}

// Interpolation of a relative humidity hour, "%%" counting as a number.
void CheckHumidityGap(AuditContext& cx, const Grid& strU, int day, int column, const Cell& v,
                      const Spot& at) {
  const HourNeighbours n = NeighboursOf(strU, day, column);
  if (!n || v.Numeric()) return;
  if (HumidityCell(*n.before).Numeric() && HumidityCell(*n.after).Numeric())
    cx.Error(kMsgInterpolate, at);
}

// The daily minimum and its time against the minute data. Here a decimal
// record is read too: a numeric time of four characters is looked up, and a
// numeric minimum compared. Records are fixed-width ("05"), minute values
// plain ("5"): numbers are compared.
void CompareMinimumWithMinutes(AuditContext& cx, const Grid& strU, const MinuteHours& jHumidity,
                               int day) {
  static constexpr MinuteComparison kMinimumVsMinutes{
      kRelativeHumidity, false, kMinimum, kMinimumTime, kMsgMinimumVsMinutes,
      kMsgMinimumTimeVsMinutes};
  const Cell n = HumidityCell(strU(day, 25));
  const Cell& nt = strU(day, 26);
  if (!nt.Numeric() || nt.text.size() != 4) return;
  CompareExtremeWithMinutes(cx, jHumidity, day,
                            n.Numeric() ? std::optional<double>(n.value) : std::nullopt, nt.text,
                            kMinimumVsMinutes);
}

// The daily minimum against the fixed hours and the previous day's 20 h.
void CheckDailyMinimum(AuditContext& cx, const Grid& strU, const ColumnLabels& labels, int day) {
  const int w = strU.Columns();
  const int fixedColumns = w > 23 ? 24 : 4;
  int64_t min = 99999;
  int minColumn = 0;
  for (int c = 1; c <= fixedColumns; ++c) {
    // Only well-formed values take part (a malformed or missing cell has its
    // format finding and is read by no further rule).
    const Cell v = HumidityCell(strU(day, c));
    if (!v.WellFormed()) continue;
    const int64_t x = v.Whole();
    if (x < min) {
      min = x;
      minColumn = c;
    }
  }
  const Cell n = HumidityCell(strU(day, w == 26 ? 25 : w));
  if (day > 1) {
    const Cell p20 = HumidityCell(strU(day - 1, w > 24 ? 24 : 4));
    if (n.Numeric() && p20.Numeric() && n.value - p20.value > cx.Rule(14))
      cx.Suspicious(kMsgMinimumAbovePrevious20, {kRelativeHumidity, day, "最小/上日20"});
  }
  if (!n.Numeric() || minColumn == 0) return;
  const int64_t x = n.Whole();
  const std::string_view lmin = labels(minColumn);
  if (min < x) cx.Error(kMsgMinimumVsFixed, {kRelativeHumidity, day, Joined(kMinimum, lmin)});
  if (min - x >= 30)
    cx.Suspicious(kMsgMinimumFarBelow, {kRelativeHumidity, day, Joined("最低", lmin)});
}

}  // namespace

void AuditPsychrometry(AuditContext& cx, const Grid& strP, const Grid& strT, const Grid& strI,
                       const Grid& strE, const Grid& strU, const Grid& strTD, const Grid& strw) {
  WetBulbPass(cx, strT, strI, strw);
  Psychrometer psy(cx.sysLib());
  if (!cx.ManualStation())
    AutomaticPass(cx, psy, strP, strT, strI, strE, strU, strTD);
  else if (!cx.manualWindV().empty())
    ManualPass(cx, psy, strP, strT, strI, strE, strU, strTD);
}

void AuditAgainstAirTemperature(AuditContext& cx, const Grid& values, const Grid& strT,
                                std::string_view element, int rule) {
  const bool dewPoint = element == kDewPoint;
  const double upper = cx.Rule(rule);
  const double lower = dewPoint ? cx.Rule(rule + 1) : 0;
  const int columns = values.Columns();
  ForEachCell(values, [&](int day, int column, const Cell& v) {
    const Spot at{element, day, ObsTimeLabel(columns, column)};
    if (CheckFormat(cx, v, at)) {
      const double x = static_cast<double>(v.Whole());
      CheckUpperExtreme(cx, x, upper, at);
      if (dewPoint) {
        CheckLowerExtreme(cx, x, lower, at);
        const Cell& t = strT(day, column);
        if (t.Numeric() && t.value < x) cx.Error(kMsgDewAboveAir, at, kAirTemperature);
      }
    }
    CheckInterpolation(cx, values, day, column, at, GapWording::NotMissing);
  });
}

void AuditRelativeHumidity(AuditContext& cx, const Grid& strU, const MinuteHours& jHumidity,
                           bool jfileOk) {
  const int w = strU.Columns();
  const ColumnLabels labels = ColumnLabels::For(w, {kMinimum, kMinimumTime}, {kMinimum});
  const bool hourly = labels.layout() == Layout::Hourly;
  for (int day = 1; day <= strU.Days(); ++day) {
    bool timedOnTheHour = false;  // the minimum's time named a full hour it disagrees with
    for (int j = 1; j <= w; ++j) {
      const Cell v = HumidityCell(strU(day, j));
      const std::string_view label = labels(j);
      const Spot at{kRelativeHumidity, day, label};
      if (CheckFormat(cx, v, at)) {
        if (label.find("时") != std::string_view::npos) {
          if (v.text != "2400" && v.text != "0000" && IsBadExtremeTime(v.text, "-")) {
            cx.Error(kMsgTimeFormat, at);
          } else if (v.text.ends_with("00")) {
            const int64_t hh = LeadingInteger(v.text.substr(0, 2));
            const Cell hour = HumidityCell(strU(day, HourColumn(static_cast<int>(hh))));
            const Cell extreme = HumidityCell(strU(day, j - 1));
            const bool differ = hour.Numeric() && extreme.Numeric()
                                    ? hour.value != extreme.value
                                    : hour.text != extreme.text;
            if (HoldsReading(hour) && HoldsReading(extreme) && differ) {
              std::array<char, 24> buf;
              cx.Error(kMsgExtremeOnTheHour,
                       {kRelativeHumidity, day, Joined(label, NumberText(hh, buf))});
              timedOnTheHour = true;
            }
          }
        } else if (v.value > 100 || v.value < 0) {
          cx.Error(kMsgImpossible, at);
        }
      }
      if (hourly && j <= 24) CheckHumidityGap(cx, strU, day, j, v, at);
    }
    if (w == 26 && jfileOk && !timedOnTheHour)
      CompareMinimumWithMinutes(cx, strU, jHumidity, day);
  }
  // Arrays of 24 hourly columns (or 4 fixed ones) carry no daily minimum.
  if (w < 5 || w == 24) return;
  for (int day = 1; day <= strU.Days(); ++day) CheckDailyMinimum(cx, strU, labels, day);
}

}  // namespace kelvane::afile::audit
