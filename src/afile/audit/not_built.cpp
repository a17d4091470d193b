// Element audits not built yet: each entry point accepts its arguments and
// finds nothing. As an audit is written it moves to a file of its own named
// after what it checks, and its stub here is removed.
#include "afile/audit/audits.h"
#include "afile/audit/weather_phenomena.h"

namespace kelvane::afile::audit {





void AuditEvaporation(AuditContext&, const Grid&, const Grid&, const Grid&, const Grid&,
                      const Grid&, const Grid&, const Grid&, const Grid&) {}
void AuditSnow(AuditContext&, const Grid&, const Grid&) {}


void AuditShallowGroundTemperature(AuditContext&, const Grid&, std::string_view, int) {}
void AuditGroundTemperatureProfile(AuditContext&, const Grid&, const Grid&, const Grid&,
                                   const Grid&, const Grid&, const Grid&, const Grid&,
                                   const Grid&, const Grid&) {}
void AuditDeepGroundTemperature(AuditContext&, const Grid&, std::string_view) {}
void AuditFrozenSoil(AuditContext&, const Grid&, const Grid&, const Grid&, const Grid&,
                     const Grid&, const Grid&, const Grid&, const Grid&) {}

void AuditSunshine(AuditContext&, const Grid&) {}
void AuditGroundState(AuditContext&, const Grid&) {}

}  // namespace kelvane::afile::audit
