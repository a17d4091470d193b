// The visibility audit: the format of each observation and of the daily
// minimum's time, the minimum against the hourly value when it was reached
// on the hour, and whether the day's weather phenomena explain a visibility
// below 10 km.
//
// Missing values (runs of "/") get the format finding and take part in no
// other rule. The time of the minimum (column 26) is never read as a
// visibility; the minimum itself is judged at that time.
#include "afile/audit/visibility.h"

#include <algorithm>
#include <array>
#include <string>

#include "afile/audit/audits.h"
#include "afile/audit/predicates.h"
#include "common/text.h"

namespace kelvane::afile::audit {

namespace {

constexpr std::string_view kVisibility = "能见度";
constexpr std::string_view kWeather = "天气现象";
constexpr std::string_view kMinimum = "最小";
constexpr std::string_view kMinimumTime = "最小时";
constexpr std::string_view kLevelError = "错误";
constexpr std::string_view kLevelSuspicious = "可疑";

constexpr std::string_view kMsgMinimumMissing = "定时能见度正常且＜1.0,最小能见度不能为缺测";
constexpr std::string_view kMsgRainUnlikely = "所对应的降水现象使能见度＜1.0的可能性较小";
constexpr std::string_view kMsgLowUnexplained = "能见度＜1.0,但无天气现象配合";
constexpr std::string_view kMsgReducedUnexplained = "能见度为1.0－9.9KM,但无天气现象配合";

// Codes of each explanation.
constexpr std::string_view kLowAnywhere = "04,05,06,";
constexpr std::string_view kLowInPeriod = "31,38,39,42,50,70,85,";
constexpr std::string_view kLowDoubtful = "60,68,77,79,80,83,87,89,";
constexpr std::string_view kLowNight = "05,04,06,31,38,39,42,50,70,85,";
constexpr std::string_view kLowNightDoubtful = "68,60,77,79,80,83,87,89,";
constexpr std::string_view kReducedAnywhere = "04,05,06,07,10,";
constexpr std::string_view kReducedInPeriod = "38,50,60,68,70,77,79,80,83,85,87,89,";
constexpr std::string_view kReducedNight = "05,04,06,07,10,50,60,68,70,77,79,80,83,85,87,89,38,";

// A period of the record covers some minute of the quarter of an hour up
// to the observation (from T - 14 to T, the start minute included). Times
// written "////" cover nothing.
bool CoversObservation(const WeatherDay& day, const WeatherRecord& r, int t) {
  for (const WeatherPeriod* p = day.begin(r); p != day.end(r); ++p) {
    if (p->tooShort) continue;
    const int s = p->writtenStart, e = p->writtenEnd;
    if (s == kUnknownMinutes || e == kUnknownMinutes) continue;
    if (std::max(s, t - 14) <= std::min(e, t)) return true;
  }
  return false;
}

// The night records hold one of the codes.
bool NightHolds(const WeatherDay& day, std::string_view codes) {
  for (const WeatherRecord& r : day.records())
    if (r.night && CodeIn(r.code(), codes)) return true;
  return false;
}

}  // namespace

bool ExplainsLowVisibility(std::string_view& level, const WeatherDay& day,
                           const ObservationTime& at) {
  level = kLevelError;
  if (day.hasCloseParenthesis() && at.night) {
    if (NightHolds(day, kLowNight)) {
      level = {};
      return true;
    }
    if (NightHolds(day, kLowNightDoubtful)) level = kLevelSuspicious;
    return false;
  }
  // Every day record is examined before precipitation alone is taken as
  // the only explanation.
  bool doubtful = false;
  for (const WeatherRecord& r : day.records()) {
    if (r.night && day.hasCloseParenthesis()) continue;
    if (CodeIn(r.code(), kLowAnywhere) ||
        (CodeIn(r.code(), kLowInPeriod) && CoversObservation(day, r, at.minute))) {
      level = {};
      return true;
    }
    if (!doubtful && CodeIn(r.code(), kLowDoubtful) && CoversObservation(day, r, at.minute))
      doubtful = true;
  }
  if (doubtful) level = kLevelSuspicious;
  return false;
}

bool ExplainsReducedVisibility(const WeatherDay& day, const ObservationTime& at) {
  if (day.hasCloseParenthesis() && at.night) return NightHolds(day, kReducedNight);
  for (const WeatherRecord& r : day.records()) {
    if (r.night && day.hasCloseParenthesis()) continue;
    if (CodeIn(r.code(), kReducedAnywhere) ||
        (CodeIn(r.code(), kReducedInPeriod) && CoversObservation(day, r, at.minute)))
      return true;
  }
  return false;
}

namespace {

// Clock hour of observation c of the day: 21..24, 1..20 for hourly
// columns, 2, 8, 14, 20 for four observations.
int ClockHour(Layout layout, int c) {
  if (layout == Layout::FourTimes) return 6 * c - 4;
  return c <= 4 ? c + 20 : c - 4;
}

// The observation minute of a whole clock hour (an end of the day: 20
// o'clock is 1440) and whether the night bracket speaks for it.
ObservationTime AtHour(Layout layout, int hour) {
  char hhmm[5] = {static_cast<char>('0' + hour / 10 % 10), static_cast<char>('0' + hour % 10),
                  '0', '0', '\0'};
  ObservationTime t;
  t.minute = PhenomenonMinutes(std::string_view(hhmm, 4), TimeRole::End);
  t.night = layout == Layout::Hourly ? t.minute <= 720
                                     : (hour == 23 || hour == 8 || hour == 2 || hour == 5);
  return t;
}

// A visibility that takes part in the rules past its format: present and
// not a missing run.
bool HoldsReading(const Cell& c) { return c.Present() && !IsMissingRun(c.text); }

class VisibilityDay {
 public:
  VisibilityDay(AuditContext& cx, const Grid& v) : cx_(cx), v_(v) {
    layout_ = LayoutOf(v.Columns());
    times_ = layout_ == Layout::Hourly ? 24 : 4;
    // Named columns after the observations: the minimum and its time.
    minimumColumn_ = times_ + 1;
    timeColumn_ = times_ + 2;
  }

  void Run(const Grid& strw) {
    const ColumnLabels labels = ColumnLabels::For(v_.Columns(), {kMinimum, kMinimumTime},
                                                  {kMinimum, kMinimumTime});
    for (int d = 1; d <= v_.Days(); ++d) {
      day_.Parse(strw.Text(d, 1));
      for (int c = 1; c <= v_.Columns(); ++c)
        // 24 hourly columns label the midnight hour "0"; with the minimum
        // and its time (26 columns) it is "24".
        Check(d, c, v_.Columns() == 24 && c == 4 ? std::string_view("0") : labels(c));
    }
  }

 private:
  void Check(int d, int c, std::string_view label) {
    const audit::Cell& v = v_(d, c);
    if (v.Absent()) return;
    const Spot at{kVisibility, d, label};
    const bool wellFormed = CheckFormat(cx_, v, at);
    if (!HoldsReading(v)) return;
    if (c == timeColumn_) {
      if (wellFormed) MinimumTime(d, v, at);
      return;
    }
    ObservationTime when;
    if (c <= times_) {
      when = AtHour(layout_, ClockHour(layout_, c));
    } else if (c == minimumColumn_) {
      // The minimum is judged at its time; without a valid time it takes
      // part in no period test, so it is not judged at all.
      const std::string_view t = v_.Text(d, timeColumn_);
      if (!HoldsReading(v_(d, timeColumn_)) || t == "XXXX" ||
          (IsBadExtremeTime(t, "-") && t != "0000"))
        return;
      when.minute = PhenomenonMinutes(t, TimeRole::End);
      when.night = when.minute <= 720;
      if (layout_ == Layout::FourTimes) {
        const int hour = static_cast<int>(LeadingInteger(t.substr(0, 2)));
        when.night = hour == 23 || hour == 8 || hour == 2 || hour == 5;
      }
    } else {
      return;
    }
    if (v.value < 10) {
      std::string_view level;
      if (ExplainsLowVisibility(level, day_, when)) {
        if (MinimumVisibilityMissing()) cx_.Suspicious(kMsgMinimumMissing, at, kWeather);
      } else if (level == kLevelSuspicious) {
        cx_.Suspicious(kMsgRainUnlikely, at, kWeather);
      } else {
        cx_.Error(kMsgLowUnexplained, at, kWeather);
      }
    } else if (v.value < 100 && !ExplainsReducedVisibility(day_, when)) {
      cx_.Suspicious(kMsgReducedUnexplained, at, kWeather);
    }
  }

  // The day text gives its minimum visibility as "[///]".
  bool MinimumVisibilityMissing() const {
    const std::string_view text = day_.raw();
    const size_t open = text.find('['), close = text.find(']');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
      return false;
    return text.substr(open + 1, close - open - 1) == "///";
  }

  // The time of the minimum: a time of the day, and on a whole hour the
  // minimum is that hour's value.
  void MinimumTime(int d, const audit::Cell& v, const Spot& at) {
    const std::string_view t = v.text;
    if (IsBadExtremeTime(t, "-") && t != "2400" && t != "0000") {
      cx_.Error(kMsgTimeFormat, at);
      return;
    }
    if (!t.ends_with("00") || t.size() < 4) return;
    const int hh = static_cast<int>(LeadingInteger(t.substr(0, 2)));
    const int column = layout_ == Layout::Hourly ? HourColumn(hh) : 0;
    if (column == 0) return;
    const audit::Cell& hourly = v_(d, column);
    const audit::Cell& minimum = v_(d, minimumColumn_);
    if (!HoldsReading(hourly) || !HoldsReading(minimum)) return;
    if (!hourly.Numeric() || !minimum.Numeric() || hourly.value == minimum.value) return;
    std::array<char, 24> buf;
    const std::string label = std::string(kMinimumTime) + "/" + std::string(NumberText(hh, buf));
    cx_.Error(kMsgExtremeOnTheHour, {kVisibility, d, label});
  }

  AuditContext& cx_;
  const Grid& v_;
  Layout layout_;
  int times_ = 4, minimumColumn_ = 5, timeColumn_ = 6;
  WeatherDay day_;
};

}  // namespace

void AuditVisibility(AuditContext& cx, const Grid& strV, const Grid& strw) {
  VisibilityDay(cx, strV).Run(strw);
}

}  // namespace kelvane::afile::audit
