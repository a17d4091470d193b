// The frozen soil audit: the limits of the frozen layers against their
// extreme, against the 08 h ground temperature of the depth they reach
// (frozen ground is below 0 °C), and against each other.
//
// Only a well-formed limit (a whole number) takes part in a comparison: a
// missing run ("///") or a text such as ">20" gets its format finding and
// nothing more. The trace layer "000" is compared by its value.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <string_view>

#include "afile/audit/audits.h"

namespace kelvane::afile::audit {

namespace {

constexpr std::string_view kFrozenSoil = "冻土深度";

constexpr std::array<std::string_view, 5> kColumnNames = {"", "第一层上限", "第一层下限",
                                                          "第二层上限", "第二层下限"};
constexpr std::string_view kFirstLayer = "第一层上限/第一层下限";
constexpr std::string_view kSecondLayer = "第二层上限/第二层下限";
constexpr std::string_view kBetweenLayers = "第一层上限/第二层下限";

constexpr std::string_view kMsgLimitsReversed = "上下限值矛盾";
constexpr std::string_view kMsgLayersCross = "两冻土层矛盾";
constexpr std::string_view kMsgSecondWithoutFirst = "无两冻土层,却有第二层记录";
constexpr std::string_view kMsgSecondInTrace = "有两冻土层,第二层不可能出现在微量层";

constexpr int kUpperRule = 58;

// The ground temperature read against a frozen depth of x cm: the one at
// floor(x / 5) steps of 5 cm, where there is such a reading.
struct DepthReading {
  int steps;  // floor(x / 5)
  std::string_view element;
  std::string_view message;
};
constexpr DepthReading kReadings[] = {
    {0, "地面温度", "地面温度在0℃或以上与冻土矛盾"},
    {1, "5cm地温", "5cm地温在0℃或以上与冻土矛盾"},
    {2, "10cm地温", "10cm地温在0℃或以上与冻土矛盾"},
    {3, "15cm地温", "15cm地温在0℃或以上与冻土矛盾"},
    {4, "20cm地温", "20cm地温在0℃或以上与冻土矛盾"},
    {8, "40cm地温", "40cm地温在0℃或以上与冻土矛盾"},
    {16, "80cm地温", "80cm地温在0℃或以上与冻土矛盾"},
};

// The 08 h reading of an array: column 12 of hourly readings, column 2 of
// four observations a day.
const Cell& EightOClock(const Grid& g, int day) {
  return g(day, LayoutOf(g.Columns()) == Layout::Hourly ? 12 : 2);
}

}  // namespace

void AuditFrozenSoil(AuditContext& cx, const Grid& strAA, const Grid& strD0, const Grid& strD5,
                     const Grid& strD10, const Grid& strD15, const Grid& strD20,
                     const Grid& strD40, const Grid& strK8) {
  const std::array<const Grid*, 7> grounds = {&strD0,  &strD5,  &strD10, &strD15,
                                              &strD20, &strD40, &strK8};
  const double upper = cx.Rule(kUpperRule);
  const int columns = std::min(strAA.Columns(), 4);
  for (int day = 1; day <= strAA.Days(); ++day) {
    for (int j = 1; j <= columns; ++j) {
      const Cell& v = strAA(day, j);
      const std::string_view name = kColumnNames[static_cast<size_t>(j)];
      if (!CheckFormat(cx, v, {kFrozenSoil, day, name})) continue;
      CheckUpperExtreme(cx, v.value, upper, {kFrozenSoil, day, name});
      if (v.value < 0) continue;
      const double steps = std::floor(v.value / 5);
      for (size_t k = 0; k < std::size(kReadings); ++k) {
        if (kReadings[k].steps != steps) continue;
        const Grid& g = *grounds[k];
        // The 80 cm reading is hourly only at stations that record it.
        if (&g == &strK8 && g.Columns() != 24) break;
        const Cell& t = EightOClock(g, day);
        if (t.WellFormed() && t.value >= 0) {
          std::string item(name);
          item += "/8";
          cx.Suspicious(kReadings[k].message, {kFrozenSoil, day, item}, kReadings[k].element);
        }
        break;
      }
    }

    const Cell& c1 = strAA(day, 1);
    const Cell& c2 = strAA(day, 2);
    const Cell& c3 = strAA(day, 3);
    const Cell& c4 = strAA(day, 4);
    if (c1.WellFormed() && c2.WellFormed() && c2.value < c1.value)
      cx.Error(kMsgLimitsReversed, {kFrozenSoil, day, kFirstLayer});
    if (c3.WellFormed() && c4.WellFormed() && c4.value < c3.value)
      cx.Error(kMsgLimitsReversed, {kFrozenSoil, day, kSecondLayer});
    // The second layer lies above the first.
    if (c1.WellFormed() && c4.WellFormed() && c4.value >= c1.value)
      cx.Error(kMsgLayersCross, {kFrozenSoil, day, kBetweenLayers});
    if (c1.text.empty() && c2.text.empty() && (!c3.text.empty() || !c4.text.empty()))
      cx.Error(kMsgSecondWithoutFirst, {kFrozenSoil, day, kSecondLayer});
    if (c1.WellFormed() && c2.WellFormed() && c3.WellFormed() && c4.WellFormed() &&
        c3.value == 0 && c4.value == 0)
      cx.Error(kMsgSecondInTrace, {kFrozenSoil, day, kSecondLayer});
  }
}

}  // namespace kelvane::afile::audit
