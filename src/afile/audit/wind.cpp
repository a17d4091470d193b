// The wind audits: the fixed-hour wind against its limit and the ten-minute
// wind of the same hour, the hourly ten-minute wind against the daily
// maximum wind, and the daily maximum and extreme wind with their times.
//
// A wind record is direction "/" speed (speed "/" direction in the daily
// wind); "-/-", "/", "-" and empty are missing records and are skipped, and
// a part written "-" was not observed. A speed takes part in a limit or a
// comparison only when it is a well-formed whole number, and two directions
// are compared only when both convert to degrees.
#include "afile/audit/wind.h"

#include <array>
#include <cmath>
#include <string>
#include <string_view>

#include "afile/audit/audits.h"
#include "afile/audit/predicates.h"
#include "common/text.h"
#include "common/wind.h"

namespace kelvane::afile::audit {

namespace {

constexpr std::string_view kFixedWind = "定时风";
constexpr std::string_view kTenMinuteWind = "十分钟风";
constexpr std::string_view kDailyWind = "最大极大风";

constexpr std::string_view kMsgWindFormat = "记录格式错";
constexpr std::string_view kMsgDirectionVsSpeed = "风向与风速矛盾";
constexpr std::string_view kMsgFixedAboveLimit = "定时风速超气候极值";
constexpr std::string_view kMsgFixedVsTenMinuteSpeed = "定时风速与十分钟风速差值>3m/s";
constexpr std::string_view kMsgFixedVsTenMinuteDirection = "定时风向与十分钟风向相差太大";
constexpr std::string_view kMsgSpeedMissing = "风速缺测,风向也应作缺测";
constexpr std::string_view kMsgMaxBelowTenMinute = "最大风速小于各时十分钟风速的最大值";
constexpr std::string_view kMsgMaxDirectionVsTenMinute = "最大风向与十分钟风向矛盾";
constexpr std::string_view kMsgMaxSpeedVsTenMinute = "最大风速与十分钟风速矛盾";
constexpr std::string_view kMsgDirectionFormat = "风向格式错";
constexpr std::string_view kMsgSpeedFormat = "风速格式错";
constexpr std::string_view kMsgMaxAboveLimit = "最大风速超气候极值";
constexpr std::string_view kMsgExtremeAboveLimit = "极大风速超气候极值";
constexpr std::string_view kMsgMaxAboveExtreme = "最大风速与极大风速矛盾";
constexpr std::string_view kMsgMaxFarBelowPrevious20 = "最大风速小于前一日20时十分钟风速太多";
constexpr std::string_view kMsgEightPoints = "风向8个方位连续达10天,可能系统性错误";

constexpr std::string_view kMaxSpeedItem = "/最大风速";
constexpr std::string_view kMaxDirectionItem = "/最大风向";
constexpr std::string_view kMaxVsExtreme = "最大风速/极大风速";
constexpr std::string_view kMaxVsPrevious20 = "最大风速/上日20";

constexpr int kMaxWindRule = 69, kExtremeWindRule = 70, kFixedWindRule = 71;

// Time labels of the wind audits: with 24 observations the hour index i is
// the hour ending at 21, 22, 23, 0, 1, ..., 20 o'clock; four observations
// are 02, 08, 14 and 20 h.
constexpr std::array<std::string_view, 24> kHourlyWindLabels = {
    "21", "22", "23", "0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",
    "9",  "10", "11", "12", "13", "14", "15", "16", "17", "18", "19", "20"};
constexpr std::array<std::string_view, 4> kFixedWindLabels = {"2", "8", "14", "20"};

std::string_view WindLabel(int observations, int i) {
  if (observations >= 24) return i >= 1 && i <= 24 ? kHourlyWindLabels[i - 1] : "";
  return i >= 1 && i <= 4 ? kFixedWindLabels[i - 1] : "";
}

// One wind record split at its first "/".
struct Wind {
  std::string_view direction;
  std::string_view speedText;
  Cell speed;  // the speed part parsed: well formed, "-" (absent) or malformed

  bool HasSpeed() const { return speed.WellFormed(); }
  double Speed() const { return static_cast<double>(speed.Whole()); }
};

// A missing record: nothing to audit.
bool IsMissingWind(std::string_view t) { return t.empty() || t == "-" || t == "-/-" || t == "/"; }

// "ddd/sss" (fixed-hour and ten-minute wind) or "sss/ddd" (daily wind).
Wind SplitWind(std::string_view t, bool speedFirst) {
  const size_t slash = t.find('/');
  const std::string_view head = t.substr(0, slash);
  const std::string_view tail = slash == std::string_view::npos ? std::string_view() : t.substr(slash + 1);
  Wind w;
  w.direction = speedFirst ? tail : head;
  w.speedText = speedFirst ? head : tail;
  w.speed = ParseCell(w.speedText);
  return w;
}

// A calm with wind, or wind without a calm: calm allows at most calmLimit
// (tenths of m/s), any other direction needs 3 or more.
bool DirectionContradictsSpeed(const Wind& w, double calmLimit) {
  if (!w.HasSpeed()) return false;
  const double s = w.Speed();
  return (w.direction == "C" && s > calmLimit) || (w.direction != "C" && s < 3);
}

// The direction in degrees of a record through WindDirectionDegrees, when
// it is a number of degrees (not calm, not unknown).
bool DirectionDegrees(const Wind& w, double& degrees) {
  const std::string d = WindDirectionDegrees(w.direction, w.speedText);
  if (!IsNumericText(d)) return false;
  degrees = LeadingNumber(d);
  return true;
}

// The direction test of the recording form: degrees when AFileClass 15 is
// "N", else 16-point codes.
bool BadDirection(const AuditContext& cx, std::string_view d) {
  return cx.ModeCode(15) == "N" ? IsBadWindDirectionDegrees(d) : IsBadWindDirectionCode(d);
}

// Ten days in a row whose observations all have directions of at most two
// characters (the eight main points and calm) hint at a vane read on eight
// points only. A day without any observed direction takes no part: it ends
// a run instead of counting as an eight-point day.
class EightPointRun {
 public:
  explicit EightPointRun(std::string_view element) : element_(element) {}

  void StartDay() { observed_ = false, eightPoints_ = true; }
  // One observation of the day (missing records included).
  void Observe(std::string_view direction) {
    if (direction.size() >= 3) eightPoints_ = false;
    if (!direction.empty() && direction != "-") observed_ = true;
  }
  void EndDay(AuditContext& cx, int day) {
    if (!observed_ || !eightPoints_) {
      run_ = 0;
      return;
    }
    if (run_ == 0) first_ = day;
    if (++run_ < 10) return;
    std::string item = std::to_string(first_) + "-" + std::to_string(day) + "日";
    cx.Suspicious(kMsgEightPoints, {element_, day, item});
    run_ = 0;
  }

 private:
  std::string_view element_;
  bool observed_ = false, eightPoints_ = true;
  int run_ = 0, first_ = 0;
};

std::string Item(std::string_view head, std::string_view tail) {
  std::string s(head);
  s += tail;
  return s;
}

}  // namespace

bool IsBadWindDirectionCode(std::string_view d) {
  // The sixteen points, calm "C" and "-", by length (comparisons with
  // literals of a known length compile to a few instructions).
  switch (d.size()) {
    case 1:
      return !(d == "N" || d == "E" || d == "S" || d == "W" || d == "C" || d == "-");
    case 2:
      return !(d == "NE" || d == "SE" || d == "SW" || d == "NW");
    case 3:
      return !(d == "NNE" || d == "ENE" || d == "ESE" || d == "SSE" || d == "SSW" || d == "WSW" ||
               d == "WNW" || d == "NNW");
    default:
      return true;
  }
}

bool IsBadWindDirectionDegrees(std::string_view d) {
  if (d == "-" || d == "C") return false;
  if (!IsNumericText(d)) return true;
  const double v = LeadingNumber(d);
  return v > 360 || v < 0;
}

void AuditFixedHourWind(AuditContext& cx, const Grid& strFDFF, const Grid& strZJFDFF) {
  const int w = strFDFF.Columns();
  const bool hourly = w >= 24;
  const int observations = hourly ? 24 : w;
  const double limit = cx.Rule(kFixedWindRule);
  EightPointRun run(kFixedWind);
  for (int day = 1; day <= strFDFF.Days(); ++day) {
    run.StartDay();
    for (int i = 1; i <= observations; ++i) {
      const std::string_view text = strFDFF.Text(day, i);
      const Wind f = SplitWind(text, false);
      run.Observe(IsMissingWind(text) ? std::string_view("-") : f.direction);
      if (IsMissingWind(text)) continue;
      const Spot at{kFixedWind, day, WindLabel(observations, i)};

      const bool validDirection =
          !IsBadWindDirectionCode(f.direction) || !IsBadWindDirectionDegrees(f.direction);
      if (f.HasSpeed() && validDirection) {
        if (DirectionContradictsSpeed(f, 3)) cx.Error(kMsgDirectionVsSpeed, at);
      } else {
        cx.Error(kMsgWindFormat, at);
      }
      if (!f.HasSpeed()) continue;
      if (f.Speed() > limit) cx.Suspicious(kMsgFixedAboveLimit, at);

      // The ten-minute wind of the same hour (of the fixed hour with four
      // observations).
      const int hour = hourly ? i : 6 * i;
      const std::string_view tenText = strZJFDFF.Text(day, hour);
      if (IsMissingWind(tenText)) continue;
      const Wind t = SplitWind(tenText, false);
      if (!t.HasSpeed()) continue;
      if (std::fabs(f.Speed() - t.Speed()) > 30)
        cx.Suspicious(kMsgFixedVsTenMinuteSpeed, at, kTenMinuteWind);
      if (!hourly) continue;
      double d1 = 0, d2 = 0;
      if (f.Speed() > 30 && t.Speed() > 30 && DirectionDegrees(f, d1) && DirectionDegrees(t, d2)) {
        const double d = std::fabs(d1 - d2);
        if (d > 170 && d < 190) cx.Suspicious(kMsgFixedVsTenMinuteDirection, at, kTenMinuteWind);
      }
    }
    run.EndDay(cx, day);
  }
}

void AuditTenMinuteWind(AuditContext& cx, const Grid& strZJFDFF, const Grid& strDYF) {
  const int hours = strZJFDFF.Columns() < 24 ? strZJFDFF.Columns() : 24;
  EightPointRun run(kTenMinuteWind);
  for (int day = 1; day <= strZJFDFF.Days(); ++day) {
    run.StartDay();
    double greatest = 0;
    bool found = false;
    std::string_view greatestLabel;
    for (int i = 1; i <= hours; ++i) {
      const std::string_view text = strZJFDFF.Text(day, i);
      const Wind t = SplitWind(text, false);
      run.Observe(IsMissingWind(text) ? std::string_view("-") : t.direction);
      if (IsMissingWind(text)) continue;
      const Spot at{kTenMinuteWind, day, WindLabel(24, i)};
      if (BadDirection(cx, t.direction) || !t.HasSpeed()) cx.Error(kMsgWindFormat, at);
      if (t.speedText == "-" && t.direction != "-") cx.Error(kMsgSpeedMissing, at);
      if (DirectionContradictsSpeed(t, 2)) cx.Error(kMsgDirectionVsSpeed, at);
      if (t.HasSpeed() && (!found || t.Speed() > greatest)) {
        greatest = t.Speed();
        greatestLabel = at.time;
        found = true;
      }
    }
    run.EndDay(cx, day);

    const std::string_view maxText = strDYF.Text(day, 1);
    if (!found || IsMissingWind(maxText)) continue;
    const Wind m = SplitWind(maxText, true);
    if (m.HasSpeed() && m.Speed() < greatest)
      cx.Error(kMsgMaxBelowTenMinute, {kTenMinuteWind, day, Item(greatestLabel, kMaxSpeedItem)},
               kDailyWind);

    // A maximum timed on a whole hour is that hour's ten-minute wind.
    const std::string_view time = strDYF.Text(day, 2);
    if (time.size() != 4 || time.substr(2) != "00" || !IsNumericText(time)) continue;
    const int64_t hh = LeadingInteger(time.substr(0, 2));
    if (hh < 0 || hh > 24) continue;
    const int index = hh > 20 ? static_cast<int>(hh) - 20 : static_cast<int>(hh) + 4;
    const std::string_view tenText = strZJFDFF.Text(day, index);
    if (IsMissingWind(tenText)) continue;
    const Wind t = SplitWind(tenText, false);
    if (t.direction != "-" && m.direction != "-" && t.direction != m.direction)
      cx.Error(kMsgMaxDirectionVsTenMinute,
               {kTenMinuteWind, day, Item(greatestLabel, kMaxDirectionItem)}, kDailyWind);
    if (t.speedText != "-" && m.speedText != "-" && t.speedText != m.speedText)
      cx.Error(kMsgMaxSpeedVsTenMinute, {kTenMinuteWind, day, Item(greatestLabel, kMaxSpeedItem)},
               kDailyWind);
  }
}

void AuditDailyMaxWind(AuditContext& cx, const Grid& strDYF, const Grid& strZJFDFF) {
  // The maximum (column 1) and the extreme wind (column 3) with their
  // TimeOrItem labels.
  struct Column {
    int column;
    std::string_view direction, speed, both;
    std::string_view aboveLimit;
    int rule;
  };
  static constexpr Column kColumns[] = {
      {1, "最大风向", "最大风速", "最大风速/最大风向", kMsgMaxAboveLimit, kMaxWindRule},
      {3, "极大风向", "极大风速", "极大风速/极大风向", kMsgExtremeAboveLimit, kExtremeWindRule}};
  static constexpr std::string_view kTimeItems[] = {"最大时间", "极大时间"};
  for (int day = 1; day <= strDYF.Days(); ++day) {
    for (const Column& c : kColumns) {
      const std::string_view text = strDYF.Text(day, c.column);
      if (IsMissingWind(text)) continue;
      const Wind w = SplitWind(text, true);
      if (BadDirection(cx, w.direction)) cx.Error(kMsgDirectionFormat, {kDailyWind, day, c.direction});
      if (!w.HasSpeed()) cx.Error(kMsgSpeedFormat, {kDailyWind, day, c.speed});
      if (DirectionContradictsSpeed(w, 2)) cx.Error(kMsgDirectionVsSpeed, {kDailyWind, day, c.both});
      if (w.speedText == "-" && w.direction != "-")
        cx.Error(kMsgSpeedMissing, {kDailyWind, day, c.both});
      if (w.HasSpeed() && w.Speed() > cx.Rule(c.rule))
        cx.Suspicious(c.aboveLimit, {kDailyWind, day, c.speed});
    }
    for (int k = 0; k < 2; ++k) {
      const Cell& t = strDYF(day, 2 + 2 * k);
      if (t.Absent()) continue;
      if (IsBadExtremeTime(t.text, "-") && t.text != "2400" && t.text != "0000")
        cx.Error(kMsgWindFormat, {kDailyWind, day, kTimeItems[k]});
    }

    const std::string_view maxText = strDYF.Text(day, 1);
    if (IsMissingWind(maxText)) continue;
    const Wind m = SplitWind(maxText, true);
    if (!m.HasSpeed()) continue;
    const std::string_view extremeText = strDYF.Text(day, 3);
    if (!IsMissingWind(extremeText)) {
      const Wind x = SplitWind(extremeText, true);
      if (x.HasSpeed() && m.Speed() > x.Speed())
        cx.Suspicious(kMsgMaxAboveExtreme, {kDailyWind, day, kMaxVsExtreme});
    }
    if (day < 2) continue;
    const std::string_view previousText = strZJFDFF.Text(day - 1, 24);
    if (IsMissingWind(previousText)) continue;
    const Wind p = SplitWind(previousText, false);
    if (p.HasSpeed() && p.Speed() - m.Speed() > 10)
      cx.Suspicious(kMsgMaxFarBelowPrevious20, {kTenMinuteWind, day, kMaxVsPrevious20});
  }
}

}  // namespace kelvane::afile::audit
