// The precipitation audits: the fixed-time amounts of each day (20-8, 8-20
// and the 20-20 total) and the hourly amounts of the recorder, whose
// half-day sums are compared with the fixed-time amounts.
//
// Only well-formed amounts are summed or compared. A missing hour (a run of
// "/") counts as not observed, like "-"; an empty cell is a day or an hour
// without precipitation and reads 0.
#include <cmath>
#include <string>
#include <string_view>

#include "afile/audit/audits.h"
#include "common/text.h"

namespace kelvane::afile::audit {

namespace {

constexpr std::string_view kFixedPrecipitation = "定时降水量";
constexpr std::string_view kHourlyPrecipitation = "小时降水量";

constexpr std::string_view kMsgTotalVsFixed = "日合计与定时记录矛盾";
constexpr std::string_view kMsgTrace = "微量降水不可测量";
constexpr std::string_view kMsgAccumulatedRun = "记有累计降水量开始,但其后记录与其不符";
constexpr std::string_view kMsgHalfDayBeyondLimit = "小时降水与定时降水差值超过极限值";
constexpr std::string_view kMsgHalfDayFarOff = "小时降水与定时降水相差太大";
constexpr std::string_view kMsgHoursWithoutFixed = "小时降水与定时降水矛盾(有小时无定时)";

constexpr std::string_view kColumnNames[] = {"20-8", "8-20", "20-20"};

constexpr int kHourlyRule = 64, kFixedRule = 65, kHalfDayRule = 66;

// Label of hour index b: "20-21" .. "23-24", then "0-1" .. "19-20".
constexpr std::string_view kHourLabels[] = {
    "20-21", "21-22", "22-23", "23-24", "0-1",   "1-2",   "2-3",   "3-4",
    "4-5",   "5-6",   "6-7",   "7-8",   "8-9",   "9-10",  "10-11", "11-12",
    "12-13", "13-14", "14-15", "15-16", "16-17", "17-18", "18-19", "19-20"};

// Absent or a well-formed amount: a cell the 20-20 sum may read (absent
// reads 0).
bool Summable(const Cell& c) { return c.Absent() || c.WellFormed(); }

// The hours of one half-day against its fixed-time amount.
struct HalfDay {
  int notObserved = 0, empty = 0, hours = 0;
  double sum = 0;

  void Add(const Cell& v) {
    ++hours;
    if (v.text.empty()) {
      ++empty;
    } else if (v.WellFormed()) {
      sum += static_cast<double>(v.Whole());
    } else {
      ++notObserved;  // "-", "A", a missing run or malformed text
    }
  }
  // No hour held an amount: "-" when one was not observed, else empty.
  bool NoneObserved() const { return notObserved + empty == hours && notObserved > 0; }
};

void CompareHalfDay(AuditContext& cx, const HalfDay& h, const Cell& r, int day,
                    std::string_view name) {
  const Spot at{kHourlyPrecipitation, day, name};
  if (!h.NoneObserved() && (r.text.empty() || r.WellFormed())) {
    const double fixed = r.text.empty() ? 0 : static_cast<double>(r.Whole());
    const double difference = std::fabs(fixed - h.sum);
    if (difference > cx.Rule(kHalfDayRule))
      cx.Suspicious(kMsgHalfDayBeyondLimit, at, kFixedPrecipitation);
    if (difference > (fixed <= 100 ? 25 : fixed * 0.25))
      cx.Suspicious(kMsgHalfDayFarOff, at, kFixedPrecipitation);
  }
  if (r.text.empty() && (h.NoneObserved() || h.sum > 0))
    cx.Error(kMsgHoursWithoutFixed, at, kFixedPrecipitation);
}

}  // namespace

void AuditFixedPrecipitation(AuditContext& cx, const Grid& strR) {
  const double limit = cx.Rule(kFixedRule);
  for (int day = 1; day <= strR.Days(); ++day) {
    for (int c = 1; c <= 3; ++c) {
      const Cell& v = strR(day, c);
      const Spot at{kFixedPrecipitation, day, kColumnNames[c - 1]};
      if (CheckFormat(cx, v, at) && c < 3) CheckUpperExtreme(cx, v.value, limit, at);
    }
    const Cell &t1 = strR(day, 1), &t2 = strR(day, 2), &t3 = strR(day, 3);
    std::string joined(t1.text);
    joined += t2.text;
    bool contradicts;
    if (joined == "--" || joined == "-")
      contradicts = t3.text != "-";
    else
      contradicts = !t3.text.empty() && t1.text.empty() && t2.text.empty();
    if (!joined.empty() && t3.text.empty()) contradicts = true;
    // The sum only of amounts that are written as such.
    if (Summable(t1) && Summable(t2) && Summable(t3) && t3.value != t1.value + t2.value)
      contradicts = true;
    if (contradicts) cx.Error(kMsgTotalVsFixed, {kFixedPrecipitation, day, kColumnNames[2]});
  }
}

void AuditHourlyPrecipitation(AuditContext& cx, const Grid& strZJRR, const Grid& strR) {
  bool hasHourly = false;
  ForEachCell(strZJRR, [&](int, int, const Cell& v) { hasHourly |= !v.text.empty(); });
  const double limit = cx.Rule(kHourlyRule);
  const int hours = strZJRR.Columns() < 24 ? strZJRR.Columns() : 24;
  for (int day = 1; day <= strZJRR.Days(); ++day) {
    HalfDay half;
    for (int b = 1; b <= hours; ++b) {
      const Cell& v = strZJRR(day, b);
      const Spot at{kHourlyPrecipitation, day, kHourLabels[b - 1]};
      if (v.text == "A") {
        // An accumulated amount: "-" up to the hour that holds the total.
        if (b == 24) {
          cx.Error(kMsgFormat, at);
        } else {
          for (int l = b + 1; l <= 24; ++l) {
            const Cell& next = strZJRR(day, l);
            if (next.Numeric()) break;
            if (next.text != "-" || l == 24) {
              cx.Error(kMsgAccumulatedRun, at);
              break;
            }
          }
        }
      } else if (CheckFormat(cx, v, at)) {
        CheckUpperExtreme(cx, v.value, limit, at);
        if (v.value == 0) cx.Error(kMsgTrace, at);
      }
      if (hasHourly) half.Add(v);
      if (hasHourly && (b == 12 || b == 24)) {
        CompareHalfDay(cx, half, strR(day, b == 12 ? 1 : 2), day, kColumnNames[b == 12 ? 0 : 1]);
        half = {};
      }
    }
  }
}

}  // namespace kelvane::afile::audit
