// The sunshine audit: the recorder's hourly sunshine (hours of true solar
// time, or of local mean time where the station converts) against the
// computed sunrise and sunset, the recorded sunrise and sunset times, and
// the daily total.
//
// Only well-formed values take part: a missing hour ("-" or a run of "/")
// makes the day's total a missing value, and is neither summed nor taken
// as an hour with sunshine.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <string_view>

#include "afile/audit/audits.h"
#include "common/solar.h"
#include "common/text.h"

namespace kelvane::afile::audit {

namespace {

constexpr std::string_view kSunshine = "日照时数";
constexpr std::string_view kSunrise = "日出时间";
constexpr std::string_view kSunset = "日落时间";
constexpr std::string_view kTotal = "合计";

constexpr std::string_view kMsgSunriseDiffers = "日出时间与计算值不符";
constexpr std::string_view kMsgSunsetDiffers = "日落时间与计算值不符";
constexpr std::string_view kMsgAboveMinutes = "记录>60";
constexpr std::string_view kMsgAboveOneHour = "记录>1.0";
constexpr std::string_view kMsgSunriseHour = "该时日照大于日出时间时段内的最大值";
constexpr std::string_view kMsgSunsetHour = "该时日照大于日落时间时段内的最大值";
constexpr std::string_view kMsgSumDiffers = "各时日照之和与日合计不相等";
constexpr std::string_view kMsgTotalNotMissing = "时值有缺测,日合计应作缺测处理";
constexpr std::string_view kMsgStartBeforeSunrise = "日照出现开始时间与日出时间矛盾";
constexpr std::string_view kMsgEndAfterSunset = "日照出现结束时间与日落时间矛盾";

constexpr int kRiseColumn = 25, kSetColumn = 26, kTotalColumn = 27;

// "05-06": the label of hour column j (1..24), the hour j - 1 to j.
struct HourLabels {
  std::array<std::array<char, 5>, 25> text{};
  HourLabels() {
    for (int j = 1; j <= 24; ++j) {
      auto& t = text[static_cast<size_t>(j)];
      t = {static_cast<char>('0' + (j - 1) / 10), static_cast<char>('0' + (j - 1) % 10), '-',
           static_cast<char>('0' + j / 10), static_cast<char>('0' + j % 10)};
    }
  }
  std::string_view operator()(int j) const {
    if (j < 1 || j > 24) return {};
    return std::string_view(text[static_cast<size_t>(j)].data(), 5);
  }
};

const HourLabels& Labels() {
  static const HourLabels labels;
  return labels;
}

std::string_view ColumnLabel(int j) {
  if (j == kRiseColumn) return kSunrise;
  if (j == kSetColumn) return kSunset;
  if (j == kTotalColumn) return kTotal;
  return Labels()(j);
}

// A time "h.hh" as the clock time hhmm: the whole hours, then the
// hundredths of an hour as minutes.
int ClockOf(std::string_view hours) {
  const int64_t h = LeadingInteger(GetFieldView(hours, ".", 1));
  const int64_t hundredths = LeadingInteger(GetFieldView(hours, ".", 2));
  return static_cast<int>(h) * 100 + RoundHalfAway(static_cast<double>(hundredths) * 60 / 100);
}

// The day's computed sunrise and sunset: as hours ("5.27") and as hhmm.
struct DaySun {
  double rise = 0, set = 0;
  int riseClock = 0, setClock = 0;
};

DaySun ComputeSun(const AuditContext& cx, int day, bool meanTime) {
  std::array<char, 24> buf;
  const std::string_view dayText = NumberText(day, buf);
  const AuditContext::SunTexts& computed = cx.SunText(day);
  std::string rise = computed.rise, set = computed.set;
  DaySun sun;
  if (rise == "0.00" && set == "24.00") {
    sun = {0, 24, 0, 2400};
  } else if (rise == "12.00" && set == "12.00") {
    sun = {12, 12, 1200, 1200};
  } else {
    if (meanTime) {
      // The recorder keeps local mean time: the equation of time comes off.
      rise = FormatTwoDecimals(LeadingNumber(rise) -
                               EquationOfTime(cx.Para(2), cx.Para(3), dayText, rise,
                                              cx.Longitude()));
      set = FormatTwoDecimals(LeadingNumber(set) -
                              EquationOfTime(cx.Para(2), cx.Para(3), dayText, set,
                                             cx.Longitude()));
    }
    sun = {LeadingNumber(rise), LeadingNumber(set), ClockOf(rise), ClockOf(set)};
  }
  return sun;
}

// "日出时间/05-06"
std::string Joined(std::string_view head, std::string_view label) {
  std::string s(head);
  s += '/';
  s += label;
  return s;
}

}  // namespace

void AuditSunshine(AuditContext& cx, const Grid& strZJSS) {
  const std::string_view mode = cx.ModeCode(19);
  if (mode.ends_with('=')) return;
  const bool recorderA = mode == "A";
  const bool minutes = mode == "B";
  const bool recorder = recorderA || minutes;
  const bool meanTime = recorderA && cx.Para(29) == "1";
  const int monthDays = DaysInMonth(cx.Year(), cx.Month());
  const int columns = std::min(strZJSS.Columns(), kTotalColumn);

  for (int day = 1; day <= strZJSS.Days(); ++day) {
    // Rows past the end of the month are no dates: no sunrise or sunset.
    const bool dated = monthDays != 0 && day <= monthDays;
    const DaySun sun = dated ? ComputeSun(cx, day, meanTime) : DaySun{0, 24, 0, 2400};
    int riseHour = sun.riseClock / 100;
    const int riseMinutes = sun.riseClock % 100;
    if (riseMinutes > 0) ++riseHour;
    const int setHour = sun.setClock / 100 + 1;
    const int setMinutes = sun.setClock % 100;

    int missing = 0;
    double sum = 0;
    int firstSunny = 0, lastSunny = 0;
    for (int j = 1; j <= columns; ++j) {
      const Cell& v = strZJSS(day, j);
      const Spot at{kSunshine, day, ColumnLabel(j)};
      if (j <= 24) {
        if (v.text == "-" || IsMissingRun(v.text))
          ++missing;
        else if (v.WellFormed())
          sum += static_cast<double>(v.Whole());
        if (v.WellFormed() && v.value > 0) {
          if (firstSunny == 0) firstSunny = j;
          lastSunny = j;
        }
      }
      if (CheckFormat(cx, v, at)) {
        const int64_t x = v.Whole();
        if (j == kRiseColumn && recorderA && dated && x != sun.riseClock)
          cx.Error(kMsgSunriseDiffers, at);
        if (j == kSetColumn && recorderA && dated && x != sun.setClock)
          cx.Error(kMsgSunsetDiffers, at);
        if (j <= 24) {
          if (x > (minutes ? 60 : 10)) cx.Error(minutes ? kMsgAboveMinutes : kMsgAboveOneHour, at);
          // The hours of sunrise and sunset hold no more sunshine than the
          // minutes the sun is up in them (tenths of an hour, 6 minutes
          // each; minute records have no such limit).
          if (!minutes && dated) {
            if (riseHour == j && 6 * x > 65 - riseMinutes) cx.Error(kMsgSunriseHour, at);
            if (setHour == j && 6 * x > (setMinutes != 0 ? setMinutes + 5 : 65))
              cx.Error(kMsgSunsetHour, at);
          }
        }
      }
      if (j == kTotalColumn && mode != "0") {
        if (missing == 0 && v.WellFormed() && static_cast<double>(v.Whole()) != sum)
          cx.Error(kMsgSumDiffers, at);
        else if (missing > 0 && v.Present() && !IsMissingRun(v.text))
          cx.Error(kMsgTotalNotMissing, at);
      }
    }

    if (firstSunny == 0 || !recorder || !dated) continue;
    if (std::floor(sun.rise) > firstSunny - 1)
      cx.Error(kMsgStartBeforeSunrise, {kSunshine, day, Joined(kSunrise, Labels()(firstSunny))});
    if (std::ceil(sun.set) < lastSunny - 1)
      cx.Error(kMsgEndAfterSunset, {kSunshine, day, Joined(kSunset, Labels()(lastSunny))});
  }
}

}  // namespace kelvane::afile::audit
