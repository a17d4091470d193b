// The R-file audit: the driver that loads the station's radiation rule
// values and the possible radiation of its latitude, builds the sun table
// and runs the element audits by station class; the rule loader and the
// time-of-day format test the audits share.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "common/audit_list.h"
#include "kelvane/kelvane.h"
#include "kelvane/rfile_arrays.h"
#include "kelvane/safe_array.h"
#include "rfile/sun_times.h"

namespace kelvane::rfile {

// Rule values of one audit (RRuleValues): 1..42 the station's values for
// the month from tabRAuditingData, 43 the possible global radiation and 44
// the possible direct radiation of the station's latitude (0.1 MJ/m² per
// day). An empty entry switches the rules that read it off.
using RuleValues = std::array<std::string, 45>;  // index 0 unused

// Loads the rule values for station, month and latitude text (such as
// "39.48N"). Returns false when tabRAuditingData has rows but neither the
// station's nor the default "99999" row. Raises kelvane::Error when a
// database or table cannot be read. With problems, what is wrong with the
// rule table is noted there in words (an empty table; an entry of the row
// used that is neither a number nor a list of twelve numbers); the values
// loaded are the same either way.
bool LoadRuleValues(std::string_view sysPath, std::string_view station, std::string_view month,
                    std::string_view latitude, RuleValues& rules,
                    std::vector<std::string>* problems = nullptr);

// True when t is not an acceptable time of day HHMM (or "XXXX"). With the
// marker "-", "0000" is not acceptable and "2400" is.
bool TimeFormatBad(std::string_view t, std::string_view marker);

struct RAuditInputs {
  std::string_view sysPath;
  const VariantArray& RFilePara;
  const RFileArrays& arrays;
};

// The whole audit: findings go to list (the instance list, emptied by the
// caller). warn receives the warning when no rule set fits the station.
// Raises a subscript error when an element array the class audits does not
// cover the days and groups of the month.
void RunRFileAuditing(const RAuditInputs& in, SunTimesTable& sunTimes, AuditList& list,
                      const WarningCallback& warn);

}  // namespace kelvane::rfile
