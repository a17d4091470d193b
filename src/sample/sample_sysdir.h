// The sample system directory: the station and rule database and the
// radiation reference database that the checks and audits read, filled for
// the three sample stations (sample/sample_stations.h).
//
//   DIR/Sysconfig/SysLib.mdb   tabStationParameter, tabAuditingRuleLib1,
//                              tabAuditingRuleLib2, tabRAuditingData
//   DIR/RadiationConstant.mdb  tabPossibleGlobalRadiation,
//                              tabPossibleDirectRadiation
//
// Both files are SQLite databases under the names the host installation
// uses; the database layer recognises them by their first bytes.
#pragma once

#include <string>
#include <vector>

#include "sample/sample_stations.h"

namespace kelvane::sample {

// Writes both databases below dir, creating the directories and replacing
// existing files. Raises kelvane::Error when a directory cannot be created
// or a file cannot be written.
void WriteSampleSystemDirectory(const std::string& dir);
// The same with the given stations in tabStationParameter.
void WriteSampleSystemDirectory(const std::string& dir,
                                const std::vector<SampleStation>& stations);

// The default ("99999") rule set as stored: entry 1..114 of the A-file
// rule library, and column 1..42 of tabRAuditingData. A monthly value is a
// list of twelve comma-separated items, January first. The empty text for an
// entry the audits do not read (stored as null) and for an index out of range.
std::string DefaultAuditRule(int entry);
std::string DefaultRadiationRule(int column);

// Monthly mean daily extraterrestrial radiation on a horizontal surface at a
// northern latitude (degrees, 0..90), MJ/m² per day.
double ExtraterrestrialDaily(double latitude, int month);
// The reference values of RadiationConstant.mdb, whole units of 0.1 MJ/m²
// per day: possible global radiation on a horizontal surface, and possible
// direct radiation on a surface normal to the beam, for a latitude node and
// month 1..12.
int PossibleGlobalRadiation(int latitude, int month);
int PossibleDirectRadiation(int latitude, int month);

}  // namespace kelvane::sample
