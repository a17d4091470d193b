// Sample A files (monthly surface observation files) of the sample stations:
// realistic, internally consistent months written block by block from the
// segment table that the format check reads, so writer and check cannot
// disagree on counts and widths.
//
// Conventions of the written files beyond the segment table:
//   - station and sea-level pressure: tenths of hPa without the thousands
//     digit (1013.2 hPa is 0132, 987.6 hPa is 9876);
//   - temperatures: tenths of °C, "-" and three digits below zero; an iced
//     wet bulb is written "," and the three digits of its (negative) value;
//   - relative humidity 100 % is "%%";
//   - visibility: metres in the five-character records of automatic
//     instruments, tenths of km in three-character records;
//   - wind: direction and speed (tenths of m/s, three digits) in one
//     six-character record; directions in whole degrees (three digits) for
//     wind mode N, else as 16-point codes padded in front with "P" to three
//     characters (PPN, PNE, NNE);
//   - precipitation: ",,,," none, "0000" trace, else tenths of mm;
//   - runs of "," for an element with nothing to record (no snow cover, no
//     frozen soil, no wire icing); a block the station does not observe this
//     month (wet bulb of a humidity sensor, large pan in the frozen season,
//     ground state, wind recorder of a manual station) is written "=";
//   - sunshine mode 2: the hours 04-05 ... 21-22 of true solar time and the
//     daily total;
//   - weather phenomena: the day's records each followed by ",", then "."
//     ("=" on the last day); a day without phenomena is "." alone;
//   - the cross-month precipitation line starts with "0000".
//
// Beside the A file of a station that records pressure, temperature and
// humidity automatically lies its minute data file (the A file's name with
// the leading letter "J"): the minute values those hourly values, daily
// extremes and their times were taken from. A manual station reads its
// instruments at the observation times only and keeps no minute data, so it
// has no such file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sample/sample_stations.h"

namespace kelvane::sample {

// The A-file name of a station and month: "A" + station + "-" + yyyymm + ".TXT".
std::string SampleAFileName(const SampleStation& station, int year, int month);

// Mode code of each of the twenty segments (P, T, I, ..., B) that the sample
// writer uses for a station, chosen from the station's observing program.
std::vector<std::string> SampleModeCodes(const SampleStation& station);

// The lines of the file (UTF-8, without line ends). Deterministic for a seed.
std::vector<std::string> SampleAFileLines(const SampleStation& station, int year, int month,
                                          uint32_t seed);

// Writes the file into dir (created when missing) in GB18030 with CRLF line
// ends and returns its path. Raises kelvane::Error when it cannot be written.
std::string WriteSampleAFile(const SampleStation& station, int year, int month, uint32_t seed,
                             const std::string& dir);

// Whether the station keeps minute data (an automatic station observing
// every hour): only then is a minute data file written.
bool HasMinuteData(const SampleStation& station);

// The minute data file name: "J" + station + "-" + yyyymm + ".TXT".
std::string SampleJFileName(const SampleStation& station, int year, int month);

// The lines of the minute data file of the A file of the same arguments
// (ASCII, without line ends); empty for a station without minute data.
std::vector<std::string> SampleJFileLines(const SampleStation& station, int year, int month,
                                          uint32_t seed);

// Writes the minute data file into dir with CRLF line ends and returns its
// path; writes nothing and returns "" for a station without minute data.
// Raises kelvane::Error when it cannot be written.
std::string WriteSampleJFile(const SampleStation& station, int year, int month, uint32_t seed,
                             const std::string& dir);

// The sample data files of all sample stations, February and March 2012,
// into dir + "/data/": each A file and, beside it, its minute data file when
// the station keeps one. Returns the A files written; the minute data files
// are appended to *minuteFiles when it is given.
std::vector<std::string> WriteSampleStationFiles(const std::string& dir,
                                                 std::vector<std::string>* minuteFiles = nullptr);

// The sample Y files of all sample stations (year 2012, from the same
// weather as their A files) into dir + "/data/"; returns their paths.
std::vector<std::string> WriteSampleYFiles(const std::string& dir);

}  // namespace kelvane::sample
