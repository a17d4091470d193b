// The snow audit (snow depth and snow pressure against their limits, the
// day's snow cover and each other) and the ground-state code of the 14 h
// observation.
//
// Only a well-formed depth or pressure takes part in a comparison: "-" (not
// observed, every cell of a block written "0=") and runs of "/" keep their
// own format finding and nothing more. An empty depth is no snow cover, so
// a snow pressure beside it is still a contradiction.
#include <string_view>

#include "afile/audit/audits.h"

namespace kelvane::afile::audit {

namespace {

constexpr std::string_view kSnow = "积雪";
constexpr std::string_view kWeather = "天气现象";
constexpr std::string_view kGroundState = "地面状态";

constexpr std::string_view kDepth = "雪深";
constexpr std::string_view kPressure = "雪压";
constexpr std::string_view kDepthAndPressure = "雪深/雪压";
constexpr std::string_view kFourteen = "14";
constexpr std::string_view kSnowCoverCode = "16";

constexpr std::string_view kMsgDepthWithoutSnowCover = "有雪深,无积雪现象";
constexpr std::string_view kMsgPressureWithoutDepth = "根据雪深,不应有雪压记录";

constexpr int kDepthRule = 60, kPressureRule = 61;
constexpr int kLeastDepthWithPressure = 5;  // cm
constexpr int kHighestGroundState = 19;

}  // namespace

void AuditSnow(AuditContext& cx, const Grid& strw, const Grid& strZ) {
  for (int day = 1; day <= strZ.Days(); ++day) {
    const Cell& depth = strZ(day, 1);
    const Cell& pressure = strZ(day, 2);
    if (CheckFormat(cx, depth, {kSnow, day, kDepth})) {
      CheckUpperExtreme(cx, depth.value, cx.Rule(kDepthRule), {kSnow, day, kDepth});
      if (!HasPhenomenonRecord(strw.Text(day, 1), kSnowCoverCode))
        cx.Error(kMsgDepthWithoutSnowCover, {kWeather, day, kDepth}, kSnow);
    }
    if (CheckFormat(cx, pressure, {kSnow, day, kPressure}))
      CheckUpperExtreme(cx, pressure.value, cx.Rule(kPressureRule), {kSnow, day, kPressure});
    const bool depthKnown = depth.text.empty() || depth.WellFormed();
    if (pressure.WellFormed() && depthKnown && depth.value < kLeastDepthWithPressure)
      cx.Error(kMsgPressureWithoutDepth, {kSnow, day, kDepthAndPressure});
  }
}

void AuditGroundState(AuditContext& cx, const Grid& strGE) {
  for (int day = 1; day <= strGE.Days(); ++day) {
    const Cell& v = strGE(day, 1);
    if (v.Absent()) continue;
    // Codes run from 00 to 19; anything else cannot be a ground state.
    if (!v.WellFormed() || v.value < 0 || v.value > kHighestGroundState)
      cx.Error(kMsgFormat, {kGroundState, day, kFourteen});
  }
}

}  // namespace kelvane::afile::audit
