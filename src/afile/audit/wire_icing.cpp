// The wire icing audit: the format and climatic limits of the daily icing
// record (code, diameters, thicknesses, weights, the temperature and wind
// at the time of the largest weight), the fields an icing code requires or
// forbids, the weights that must have been measured, and the glaze and rime
// phenomena of the day text.
//
// A missing field (a run of "/") gets its format finding only and takes
// part in no limit; "-" and empty mean no record.
#include <string>

#include "afile/audit/audits.h"
#include "afile/audit/weather_text.h"
#include "common/text.h"

namespace kelvane::afile::audit {

namespace {

constexpr std::string_view kIcing = "电线积冰";
constexpr std::string_view kWeather = "天气现象";

constexpr std::string_view kMsgSizeLimit = "直径或厚度超气候极值";
constexpr std::string_view kMsgWeightLimit = "重量超气候极值";
constexpr std::string_view kMsgTemperature = "最大重量测定时间气温错";
constexpr std::string_view kMsgDirection = "风向格式错";
constexpr std::string_view kMsgSpeed = "风速格式错";
constexpr std::string_view kMsgNoSize = "有积冰现象,至少应有直径和厚度";
constexpr std::string_view kMsgFieldsWithoutIcing = "无积冰现象,但其他相关内容有记录";
constexpr std::string_view kMsgWeightMissing = "漏测电线积冰重量";
constexpr std::string_view kMsgGlazeWithoutPhenomenon = "电线积冰有雨凇,但无雨凇现象";
constexpr std::string_view kMsgRimeWithoutPhenomenon = "电线积冰有雾凇,但无雾凇现象";

constexpr std::string_view kColumnNames[10] = {
    "", "现象代码", "南北直径", "南北厚度", "南北重量", "东西直径", "东西厚度", "东西重量", "气温", "风"};

// The 16 points, calm and "-".
constexpr std::string_view kWindCodes = "N,NNE,NE,ENE,E,ESE,SE,SSE,S,SSW,SW,WSW,W,WNW,NW,NNW,C,-,";

bool IsWindCode(std::string_view d) {
  if (d.find(',') != std::string_view::npos) return false;
  size_t from = 0;
  while (from < kWindCodes.size()) {
    const size_t comma = kWindCodes.find(',', from);
    if (kWindCodes.substr(from, comma - from) == d) return true;
    from = comma + 1;
  }
  return false;
}

bool IsGlaze(std::string_view code) { return code == "56" || code == "5648" || code == "4856"; }
bool IsRime(std::string_view code) { return code == "48" || code == "5648" || code == "4856"; }

// A record of the day's text has the code (night records included).
bool DayHasCode(const WeatherDay& day, std::string_view code) {
  for (const WeatherRecord& r : day.records())
    if (r.code() == code) return true;
  return false;
}

}  // namespace

void AuditWireIcing(AuditContext& cx, std::string_view year, const Grid& strw, const Grid& strG) {
  const bool after2010 = LeadingNumber(year) > 2010;
  const double sizeLower = after2010 ? 27 : 4;
  const double sizeUpper = cx.Rule(67);
  const double weightUpper = cx.Rule(68);
  WeatherDay day;
  for (int d = 1; d <= strG.Days(); ++d) {
    auto at = [&](int c) { return Spot{kIcing, d, kColumnNames[c]}; };
    // The fields one by one.
    for (int c = 1; c <= 9; ++c) {
      const Cell& v = strG(d, c);
      if (v.Absent()) continue;
      if (c == 1) {
        if (v.text != "56" && v.text != "48" && v.text != "5648" && v.text != "4856")
          cx.Error(kMsgFormat, at(c));
      } else if (c <= 8) {
        if (!v.WellFormed()) cx.Error(kMsgFormat, at(c));
        if (IsMissingRun(v.text)) continue;
        if (c == 4 || c == 7) {
          if (v.value > weightUpper) cx.Suspicious(kMsgWeightLimit, at(c));
        } else if (c == 8) {
          if (v.value > 0) cx.Suspicious(kMsgTemperature, at(c));
        } else if (v.value < sizeLower || v.value > sizeUpper) {
          cx.Suspicious(kMsgSizeLimit, at(c));
        }
      } else if (v.text != "-/-" && !IsRunOf(v.text, '/')) {
        const size_t slash = v.text.find('/');
        const std::string_view direction = v.text.substr(0, slash);
        const std::string_view speed =
            slash == std::string_view::npos ? std::string_view() : v.text.substr(slash + 1);
        if (!IsWindCode(direction)) cx.Error(kMsgDirection, {kIcing, d, "风向"});
        if (!IsNumericText(speed)) cx.Error(kMsgSpeed, {kIcing, d, "风速"});
      }
    }

    // The day as a whole.
    const std::string_view code = strG.Text(d, 1);
    auto empty = [&](int c) { return strG(d, c).Absent(); };
    if (strG(d, 1).value > 0) {
      if (empty(2) && empty(3) && empty(5) && empty(6)) cx.Error(kMsgNoSize, at(1));
    } else {
      for (int c = 2; c <= 9; ++c)
        if (!empty(c)) {
          cx.Error(kMsgFieldsWithoutIcing, at(1));
          break;
        }
    }
    const double limit = IsGlaze(code) ? (after2010 ? 30 : 7)
                         : code == "48" ? (after2010 ? 37 : 14)
                                        : -1;
    if (limit >= 0) {
      auto measured = [&](int c) {
        const Cell& v = strG(d, c);
        return v.Present() && !IsMissingRun(v.text) ? v.value : 0.0;
      };
      if (measured(2) > limit && empty(4)) cx.Error(kMsgWeightMissing, {kIcing, d, "南北重量"});
      if (measured(5) > limit && empty(7)) cx.Error(kMsgWeightMissing, {kIcing, d, "东西重量"});
    }
    if (IsGlaze(code) || IsRime(code)) {
      day.Parse(strw.Text(d, 1));
      if (IsGlaze(code) && !DayHasCode(day, "56"))
        cx.Error(kMsgGlazeWithoutPhenomenon, {kWeather, d, kColumnNames[1]}, kIcing);
      if (IsRime(code) && !DayHasCode(day, "48"))
        cx.Error(kMsgRimeWithoutPhenomenon, {kWeather, d, kColumnNames[1]}, kIcing);
    }
  }
}

}  // namespace kelvane::afile::audit
