// The element audits of an A file, one entry point each, in the order the
// audit driver runs them. Each receives the call's AuditContext (parameters,
// rule values, minute data, findings) and the element arrays it reads, and
// appends its findings through the context.
#pragma once

#include <string_view>

#include "afile/audit/toolkit.h"

namespace kelvane::afile::audit {

// Station pressure, air temperature, ground-surface and grass temperature:
// format, extremes, extreme times, neighbouring hours, daily extremes
// against the fixed hours. base: 0, 6, 17 or 105 (rule entries base+1..+6).
void AuditHourlyElement(AuditContext& cx, const Grid& values, std::string_view element, int base);
// Daily extremes of pressure or temperature and their times against the
// minute data (minutes: JFileData::pressure or ::temperature).
void CompareWithJFile(AuditContext& cx, const Grid& values, const MinuteHours& minutes,
                      std::string_view element);
// Daily minimum air temperature against the minimum ground-surface
// temperature.
void AuditMinTempAgainstGround(AuditContext& cx, const Grid& strT, const Grid& strD0,
                               const Grid& strw);

// Wet bulb and the recomputation of vapour pressure, relative humidity and
// dew point (SysLib, AFilePara and strManualWindV come from the context).
void AuditPsychrometry(AuditContext& cx, const Grid& strP, const Grid& strT, const Grid& strI,
                       const Grid& strE, const Grid& strU, const Grid& strTD, const Grid& strw);
// Vapour pressure (rule 15) or dew point (rules 16, 17) against extremes and
// air temperature.
void AuditAgainstAirTemperature(AuditContext& cx, const Grid& values, const Grid& strT,
                                std::string_view element, int rule);
// Relative humidity cells, the daily minimum and its time, against the
// minute data when it could be read.
void AuditRelativeHumidity(AuditContext& cx, const Grid& strU, const MinuteHours& jHumidity,
                           bool jfileOk);

void AuditClouds(AuditContext& cx, const Grid& strNN, const Grid& strNL, const Grid& strCC,
                 const Grid& strV, const Grid& strw, const Grid& strZJSS);
void AuditCloudHeight(AuditContext& cx, const Grid& strH);
void AuditVisibility(AuditContext& cx, const Grid& strV, const Grid& strw);

void AuditFixedPrecipitation(AuditContext& cx, const Grid& strR);
void AuditHourlyPrecipitation(AuditContext& cx, const Grid& strZJRR, const Grid& strR);

void AuditWeatherPhenomena(AuditContext& cx, const Grid& strw, const Grid& strT,
                           const Grid& strU, const Grid& strNN, const Grid& strCC,
                           const Grid& strV, const Grid& strR, const Grid& strFDFF,
                           const Grid& strD0, const Grid& strDYF, const Grid& strZJRR,
                           bool mountainStation);

void AuditEvaporation(AuditContext& cx, const Grid& strT, const Grid& strE, const Grid& strw,
                      const Grid& strFDFF, const Grid& strZJFDFF, const Grid& strD0,
                      const Grid& strLE, const Grid& strLL);
void AuditSnow(AuditContext& cx, const Grid& strw, const Grid& strZ);
void AuditWireIcing(AuditContext& cx, std::string_view year, const Grid& strw, const Grid& strG);

void AuditFixedHourWind(AuditContext& cx, const Grid& strFDFF, const Grid& strZJFDFF);
void AuditTenMinuteWind(AuditContext& cx, const Grid& strZJFDFF, const Grid& strDYF);
void AuditDailyMaxWind(AuditContext& cx, const Grid& strDYF, const Grid& strZJFDFF);

// One shallow depth (5, 10, 15, 20, 40 cm); base: 27, 33, 39, 45, 48.
void AuditShallowGroundTemperature(AuditContext& cx, const Grid& values,
                                   std::string_view element, int base);
void AuditGroundTemperatureProfile(AuditContext& cx, const Grid& strNN, const Grid& strw,
                                   const Grid& strD0, const Grid& strD5, const Grid& strD10,
                                   const Grid& strD15, const Grid& strD20, const Grid& strD40,
                                   const Grid& strZJSS);
// One deep level (80, 160, 320 cm).
void AuditDeepGroundTemperature(AuditContext& cx, const Grid& values, std::string_view element);
void AuditFrozenSoil(AuditContext& cx, const Grid& strAA, const Grid& strD0, const Grid& strD5,
                     const Grid& strD10, const Grid& strD15, const Grid& strD20,
                     const Grid& strD40, const Grid& strK8);

void AuditSunshine(AuditContext& cx, const Grid& strZJSS);
void AuditSeaLevelPressure(AuditContext& cx, const Grid& strP0, const Grid& strP,
                           const Grid& strT);
void AuditGroundState(AuditContext& cx, const Grid& strGE);

}  // namespace kelvane::afile::audit
