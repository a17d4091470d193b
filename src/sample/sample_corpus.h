// A corpus of sample station files of any size, for benchmarks and tests of
// whole-archive runs: stations derived from the sample stations, each with
// consecutive months of data files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sample/sample_stations.h"

namespace kelvane::sample {

// n stations derived from the sample stations, their types in turn: each a
// copy of its model with its own station number (5 digits, none of them a
// sample station's) and a position a few minutes of arc apart, so that the
// seed of its weather and its sun times differ. Deterministic.
std::vector<SampleStation> CorpusStations(int n);

struct CorpusFiles {
  std::vector<std::string> data;    // A files and R files (and later Y files)
  std::vector<std::string> minute;  // J files
};

// Writes the system directory for the corpus stations below dir and, under
// dir/data, `months` consecutive months from January 2011 for each station
// (A files, the R files of the stations with radiation, and the minute files
// of the stations that record minute data),
// with the weather of `seed`. jobs threads write stations in parallel; the
// files do not depend on it. Raises kelvane::Error when a file cannot be
// written.
CorpusFiles WriteSampleCorpus(const std::string& dir, int stations, int months, uint32_t seed,
                              unsigned jobs = 1);

}  // namespace kelvane::sample
