// The A-file audit driver: loads the station's rule values, reads the
// minute data file when there is one, runs the element audits the file's
// mode codes call for, in a fixed order, and leaves the findings in the
// instance's result list for the caller to merge.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "afile/audit/rules.h"
#include "common/audit_list.h"
#include "kelvane/afile_arrays.h"
#include "kelvane/kelvane.h"
#include "kelvane/safe_array.h"

namespace kelvane::afile::audit {

inline constexpr std::string_view kNoRulesWarning = "没有适合该站的审核规则库!";
inline constexpr std::string_view kWarningCaption = "警告";
inline constexpr std::string_view kNoRulesNotice = "无适合本站的审核规则库,不能进行数据审核";

// The arguments of AFileAuditing, by reference. The audits only read them.
struct AuditInputs {
  std::string_view sysPath;
  const VariantArray& AFilePara;
  const StringArray& AFileClass;
  // The element arrays with SysLib and strManualWindV. Of the lists, only
  // VFileFM is read (item 4: the mountain-station test).
  const AFileArrays& arrays;
  const StringArray& AFileAuditingList;  // shape checked before anything runs
};

// Runs one audit into list (which the caller has emptied and merges
// afterwards). Raises kelvane::Error for a parameter array of the wrong
// shape (before anything else happens) and for an unreadable rule library.
// Without a rule set for the station, warn gets the warning, the list the
// notice row, and no audit runs. rules is erased on every exit.
void RunAFileAuditing(const AuditInputs& in, AuditRules& rules, AuditList& list,
                      const WarningCallback& warn);

// One call of an element audit entry point, in driver order.
enum class AuditStep : unsigned char {
  StationPressure,            // AuditHourlyElement(strP, "本站气压", 0)
  StationPressureVsJFile,     // CompareWithJFile(strP, pressure minutes)
  AirTemperature,             // AuditHourlyElement(strT, "气温", 6)
  AirTemperatureVsJFile,      // CompareWithJFile(strT, temperature minutes)
  MinTempAgainstGround,
  Psychrometry,
  VapourPressure,             // AuditAgainstAirTemperature(strE, "水汽压", 15)
  RelativeHumidity,
  DewPoint,                   // AuditAgainstAirTemperature(strTD, "露点温度", 16)
  Clouds,
  CloudHeight,
  Visibility,
  FixedPrecipitation,
  HourlyPrecipitation,
  WeatherPhenomena,
  Evaporation,
  Snow,
  WireIcing,
  FixedHourWind,
  TenMinuteWind,
  DailyMaxWind,
  GroundSurfaceTemperature,   // AuditHourlyElement(strD0, "地面温度", 17)
  GroundTemperature5cm,
  GroundTemperature10cm,
  GroundTemperature15cm,
  GroundTemperature20cm,
  GroundTemperature40cm,
  GroundTemperatureProfile,
  GroundTemperature80cm,
  GroundTemperature160cm,
  GroundTemperature320cm,
  FrozenSoil,
  Sunshine,
  SeaLevelPressure,
  GrassTemperature,           // AuditHourlyElement(strGLT, "草面温度", 105)
  GroundState,
};
std::string_view StepName(AuditStep step);

// What the gates of the driver table look at.
struct GateFacts {
  std::array<std::string_view, 21> modeCodes{};  // AFileClass 1..20
  std::string_view tenMinuteWindFlag;            // AFilePara 46
  bool jfileOk = false;
  bool hourlyPrecipitationMissing = false;       // IsAllMissing(strZJRR)
};

// The audits to run, in order. An element is present when its mode code
// does not end in "=".
std::vector<AuditStep> PlanAudits(const GateFacts& facts);

}  // namespace kelvane::afile::audit
