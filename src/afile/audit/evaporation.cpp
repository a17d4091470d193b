// The evaporation audit: the small pan and the large (E601) pan against
// their extreme, the large pan's hours against its daily total, a frozen
// pan against the ice phenomenon, the two pans against each other and
// against an estimate from temperature, humidity and wind.
//
// Only well-formed values take part in a sum, a comparison or the estimate:
// a missing hour ("-" or a run of "/") makes the day's total a missing
// value; "B" marks a frozen pan.
#include "afile/audit/evaporation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

#include "afile/audit/audits.h"
#include "common/formulas.h"
#include "common/text.h"

namespace kelvane::afile::audit {

namespace {

constexpr std::string_view kEvaporation = "蒸发量";
constexpr std::string_view kWeather = "天气现象";
constexpr std::string_view kSmall = "小型";
constexpr std::string_view kLarge = "大型";
constexpr std::string_view kSmallAndLarge = "小型/大型";
constexpr std::string_view kFrozen = "B";
constexpr std::string_view kIceCode = "03";

constexpr std::string_view kMsgSumDiffers = "各时蒸发量之和与日合计不相等";
constexpr std::string_view kMsgFrozenTotal = "各时蒸发量为结冰与日合计不一致";
constexpr std::string_view kMsgTotalNotMissing = "时值有缺测,日合计应作缺测处理";
constexpr std::string_view kMsgFrozenWithoutIce = "蒸发记结冰,但无结冰现象";
constexpr std::string_view kMsgSmallPanOdd = "根据温、湿、风等分析,该日小型蒸发量反常";
constexpr std::string_view kMsgPansDiffer = "小型蒸发与大型蒸发两者相差太大";
constexpr std::string_view kMsgLargePanOdd = "根据温、湿、风等分析,该日E601差值约为";

constexpr int kUpperRule = 57;
constexpr int kLargePanHourly = 25;  // 24 hours and the daily total

// The observation columns of an array: 24 hours, or four fixed hours.
int ObservationColumns(const Grid& g) {
  return LayoutOf(g.Columns()) == Layout::Hourly ? 24 : std::min(g.Columns(), 4);
}

// Mean of the well-formed observations of a day, in tenths; 0 without any.
// speed: the cells are wind records and the speed is the part after "/".
struct DayMean {
  float value = 0;
  bool any = false;
};
DayMean MeanOf(const Grid& g, int day, bool speed) {
  double sum = 0;
  int count = 0;
  const int columns = ObservationColumns(g);
  for (int c = 1; c <= columns; ++c) {
    const Cell& cell = g(day, c);
    if (!speed) {
      if (!cell.WellFormed()) continue;
      sum += static_cast<double>(cell.Whole());
      ++count;
      continue;
    }
    const Cell part = ParseCell(GetFieldView(cell.text, "/", 2));
    if (!part.WellFormed()) continue;
    sum += static_cast<double>(part.Whole());
    ++count;
  }
  if (count == 0) return {};
  return {static_cast<float>(sum / count / 10), true};
}

// (L - est) / 10 with one decimal: "2.3", "-0.5", "0.0".
std::string Tenths(int64_t v) {
  std::string s;
  if (v < 0) s += '-';
  const uint64_t a = v < 0 ? static_cast<uint64_t>(-(v + 1)) + 1 : static_cast<uint64_t>(v);
  s += std::to_string(a / 10);
  s += '.';
  s += static_cast<char>('0' + a % 10);
  return s;
}

// x written as a number and read back, the way the small pan's share is
// taken: 0.6 × 3 is 1.8, not the binary value just below it.
double ThroughText(double x) {
  return ThroughFifteenDigits(x);
}

bool MissingHour(const Cell& c) { return c.text == "-" || IsMissingRun(c.text); }

// The large pan's hours against its daily total.
void CheckLargePanHours(AuditContext& cx, const Grid& ll, int day) {
  for (int c = 1; c <= 24; ++c) CheckInterpolation(cx, ll, day, c, {kEvaporation, day, HourLabel(c)});
  int missing = 0, frozen = 0, values = 0;
  double sum = 0;
  for (int c = 1; c <= 24; ++c) {
    const Cell& h = ll(day, c);
    if (MissingHour(h))
      ++missing;
    else if (h.text.empty())
      continue;
    else if (h.text == kFrozen)
      ++frozen;
    else
      ++values, sum += h.WellFormed() ? static_cast<double>(h.Whole()) : h.value;
  }
  const Cell& total = ll(day, kLargePanHourly);
  const Spot at{kEvaporation, day, kLarge};
  if (missing > 0) {
    if (total.Present() && !IsMissingRun(total.text)) cx.Error(kMsgTotalNotMissing, at);
    return;
  }
  if (total.text == kFrozen) {
    // A frozen total needs every hour frozen or without a record.
    if (values > 0 || frozen == 0) cx.Error(kMsgFrozenTotal, at);
    return;
  }
  if (total.WellFormed() && static_cast<double>(total.Whole()) != sum) cx.Error(kMsgSumDiffers, at);
}

}  // namespace

int EstimateEvaporation(int day, const Grid& strT, const Grid& strE, const Grid& strFDFF,
                        const Grid& strZJFDFF, const Grid& strD0) {
  DayMean wind = MeanOf(strZJFDFF, day, true);
  if (!wind.any) wind = MeanOf(strFDFF, day, true);
  const float u = wind.value;
  const float ta = MeanOf(strT, day, false).value;
  const float tg = MeanOf(strD0, day, false).value;
  const float e = MeanOf(strE, day, false).value;
  const float e0 = static_cast<float>((SatVapourWater(tg) + SatVapourWater(ta)) / 2);
  const float estimate = 0.26f * (1 + 0.41f * u) * (e0 - e) * 0.75f * 10;
  // Absurd readings give absurd estimates, not a failure.
  if (!(estimate < 1e9f)) return 1000000000;
  if (!(estimate > -1e9f)) return -1000000000;
  return RoundHalfAway(estimate);
}

void AuditEvaporation(AuditContext& cx, const Grid& strT, const Grid& strE, const Grid& strw,
                      const Grid& strFDFF, const Grid& strZJFDFF, const Grid& strD0,
                      const Grid& strLE, const Grid& strLL) {
  const bool largeHourly = strLL.Columns() == kLargePanHourly;
  const int largeColumn = largeHourly ? kLargePanHourly : 1;
  const std::string_view mode = cx.ModeCode(12);
  const bool stationPan = mode == "0" || mode == "A" || mode == "B";
  const double upper = cx.Rule(kUpperRule);
  const int days = std::max(strLE.Days(), strLL.Days());

  for (int day = 1; day <= days; ++day) {
    if (largeHourly && day <= strLL.Days()) CheckLargePanHours(cx, strLL, day);

    bool estimated = false;
    int est = 0;
    auto estimate = [&] {
      if (!estimated) est = EstimateEvaporation(day, strT, strE, strFDFF, strZJFDFF, strD0);
      estimated = true;
      return est;
    };
    const bool ice = HasPhenomenonRecord(strw.Text(day, 1), kIceCode);
    const Cell& small = strLE(day, 1);
    const Cell& large = strLL(day, largeColumn);

    for (int pan = 0; pan < 2; ++pan) {
      const Cell& v = pan == 0 ? small : large;
      const std::string_view name = pan == 0 ? kSmall : kLarge;
      const Spot at{kEvaporation, day, name};
      if (v.text == kFrozen) {
        if (!ice) cx.Error(kMsgFrozenWithoutIce, {kWeather, day, name}, kEvaporation);
        continue;
      }
      if (!CheckFormat(cx, v, at)) continue;
      CheckUpperExtreme(cx, v.value, upper, at);
      const double x = static_cast<double>(v.Whole());
      if (pan == 0) {
        const double e = estimate();
        if (std::fabs(x * 0.5 - e) > e && (x >= 25 || e > 24)) cx.Suspicious(kMsgSmallPanOdd, at);
        continue;
      }
      if (small.WellFormed()) {
        const double s = static_cast<double>(small.Whole());
        const double s6 = ThroughText(s * 0.6);
        if (x < std::fabs(x - s6) && (s >= 25 || x >= 25))
          cx.Suspicious(kMsgPansDiffer, {kEvaporation, day, kSmallAndLarge});
      }
      const double e = estimate();
      const double limit = stationPan ? 0.75 * e : e;
      if (std::fabs(x - e) > limit && (x >= 20 || e > 19)) {
        std::string message(kMsgLargePanOdd);
        message += Tenths(static_cast<int64_t>(x) - est);
        cx.Suspicious(message, at);
      }
    }
  }
}

}  // namespace kelvane::afile::audit
