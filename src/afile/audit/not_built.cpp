// Element audits not built yet: each entry point accepts its arguments and
// finds nothing. As an audit is written it moves to a file of its own named
// after what it checks, and its stub here is removed.
#include "afile/audit/audits.h"

namespace kelvane::afile::audit {

void AuditHourlyElement(AuditContext&, const Grid&, std::string_view, int) {}
void CompareWithJFile(AuditContext&, const Grid&, const StringArray&, std::string_view) {}
void AuditMinTempAgainstGround(AuditContext&, const Grid&, const Grid&, const Grid&) {}

void AuditPsychrometry(AuditContext&, const Grid&, const Grid&, const Grid&, const Grid&,
                       const Grid&, const Grid&, const Grid&) {}
void AuditAgainstAirTemperature(AuditContext&, const Grid&, const Grid&, std::string_view, int) {}
void AuditRelativeHumidity(AuditContext&, const Grid&, const StringArray&, bool) {}

void AuditClouds(AuditContext&, const Grid&, const Grid&, const Grid&, const Grid&, const Grid&,
                 const Grid&) {}
void AuditCloudHeight(AuditContext&, const Grid&) {}
void AuditVisibility(AuditContext&, const Grid&, const Grid&) {}

void AuditFixedPrecipitation(AuditContext&, const Grid&) {}
void AuditHourlyPrecipitation(AuditContext&, const Grid&, const Grid&) {}

void AuditWeatherPhenomena(AuditContext&, const Grid&, const Grid&, const Grid&, const Grid&,
                           const Grid&, const Grid&, const Grid&, const Grid&, const Grid&,
                           const Grid&, const Grid&, bool) {}

void AuditEvaporation(AuditContext&, const Grid&, const Grid&, const Grid&, const Grid&,
                      const Grid&, const Grid&, const Grid&, const Grid&) {}
void AuditSnow(AuditContext&, const Grid&, const Grid&) {}
void AuditWireIcing(AuditContext&, std::string_view, const Grid&, const Grid&) {}

void AuditFixedHourWind(AuditContext&, const Grid&, const Grid&) {}
void AuditTenMinuteWind(AuditContext&, const Grid&, const Grid&) {}
void AuditDailyMaxWind(AuditContext&, const Grid&, const Grid&) {}

void AuditShallowGroundTemperature(AuditContext&, const Grid&, std::string_view, int) {}
void AuditGroundTemperatureProfile(AuditContext&, const Grid&, const Grid&, const Grid&,
                                   const Grid&, const Grid&, const Grid&, const Grid&,
                                   const Grid&, const Grid&) {}
void AuditDeepGroundTemperature(AuditContext&, const Grid&, std::string_view) {}
void AuditFrozenSoil(AuditContext&, const Grid&, const Grid&, const Grid&, const Grid&,
                     const Grid&, const Grid&, const Grid&, const Grid&) {}

void AuditSunshine(AuditContext&, const Grid&) {}
void AuditSeaLevelPressure(AuditContext&, const Grid&, const Grid&, const Grid&) {}
void AuditGroundState(AuditContext&, const Grid&) {}

}  // namespace kelvane::afile::audit
