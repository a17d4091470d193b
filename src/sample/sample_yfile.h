// Sample Y files (yearly surface observation files) of the sample stations.
// The monthly values come from the same weather model that writes the
// sample A files (sample_weather.h), so a station's A and Y files tell one
// story; the yearly values are those the yearly statistics component
// computes from them. The lines follow the layout table the format check
// reads (yfile/layout.h).
//
// What the model does not give is written as "no event" (runs of "."): the
// snow pressure, wire icing, the maximum precipitation of the periods and
// the first dates of the previous autumn in the first/last-date block.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sample/sample_stations.h"

namespace kelvane::sample {

// "Y" + station + "-" + yyyy + ".TXT".
std::string SampleYFileName(const SampleStation& station, int year);

// The lines of the file (UTF-8, without line ends). Deterministic for a seed.
std::vector<std::string> SampleYFileLines(const SampleStation& station, int year, uint32_t seed);

// Writes the file into dir (created when missing) in GB18030 with CRLF line
// ends and returns its path. Raises kelvane::Error when it cannot be written.
std::string WriteSampleYFile(const SampleStation& station, int year, uint32_t seed,
                             const std::string& dir);

}  // namespace kelvane::sample
