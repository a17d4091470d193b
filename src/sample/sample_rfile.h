// Sample R files (monthly radiation) of the sample stations: plausible
// clear, cloudy and rainy days within the possible radiation and the rule
// values of the sample system directory, inside the daylight window of the
// sun table, and consistent across the elements (diffuse and reflected
// below global, horizontal direct = global - diffuse, albedo from the
// totals), so that a sample file passes the format check and the audit
// without a finding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sample/sample_stations.h"

namespace kelvane::sample {

// R + station + "-" + YYYYMM + ".TXT".
std::string SampleRFileName(const SampleStation& station, int year, int month);

// The lines of the file (UTF-8, no line ends). The station must have a
// radiation class (RadiationClassCode 1..3); the weather of each day is
// drawn from seed.
std::vector<std::string> SampleRFileLines(const SampleStation& station, int year, int month,
                                          uint32_t seed);

// Writes the file into dir (created when missing) in GB18030 with CRLF line
// ends and returns its path. Raises kelvane::Error when it cannot be written.
std::string WriteSampleRFile(const SampleStation& station, int year, int month, uint32_t seed,
                             const std::string& dir);

// The R files of the sample stations with radiation, February and March
// 2012, into dir + "/data/"; returns their paths.
std::vector<std::string> WriteSampleRFiles(const std::string& dir);

}  // namespace kelvane::sample
