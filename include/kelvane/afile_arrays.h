// The element arrays of one A file, as KelvaneA::AFileAuditing takes them,
// in one bundle; and the host's decoder that fills the bundle from the file.
//
// kAFileArrayTable is the one ordered list of the arrays: their names, in
// the order of AFileAuditing's parameters, with the column layout of each.
// Everything that walks all arrays (the automation layer's parameter list,
// the audit's shape checks and grids, the decoder, the JSON output) walks
// this table; code that reads one array names its member.
//
// Element arrays are (day 1..days, column). Hourly columns 1..24 are the
// hours 21, 22, 23, 24, 1, ..., 20 of the observation day; four fixed
// columns are the observations of 02, 08, 14 and 20 h. Cells hold the value
// text as written in the file ("-" or "" when absent, a run of "/" when
// missing), with the few host conversions the decoder documents.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "kelvane/data_file.h"
#include "kelvane/safe_array.h"
#include "kelvane/status.h"

namespace kelvane {

// Column layout of an element array at an hourly station (automatic, or a
// "基准站") and at a manual station observing at fixed hours.
enum class AFileColumns : uint8_t {
  Observations,       // 24 hourly, or 4 fixed hours
  DailyOrHourly,      // 24 hourly, or 1 daily value
  ExtremesWithTimes,  // 24 + maximum, its time, minimum, its time (28); 4 + maximum, minimum (6)
  Extremes,           // 24 + maximum, minimum (26); 4 + maximum, minimum (6)
  MinimumWithTime,    // 24 + minimum, its time (26); 4 + minimum (5)
  Visibility,         // 24 (+ minimum, its time when the file has them: 26); 4
  Cloud,              // 24 at a "基准站", else 4
  LargePan,           // 24 + daily total (25); 1 daily value
  FixedHours,         // 4 fixed hours at every station
  Columns,            // `count` columns at every station
  List,               // one-dimensional, `count` items (0: as many as the file has)
};

// The string arrays of AFileAuditing between AFileClass and strManualWindV,
// for any cell type (the audit keeps a parsed grid of each).
template <class Array>
struct AFileArraysOf {
  Array strP;         // station pressure
  Array strT;         // air temperature
  Array strI;         // wet-bulb temperature
  Array strE;         // vapour pressure
  Array strU;         // relative humidity
  Array strTD;        // dew point
  Array strNN;        // total cloud amount
  Array strNL;        // low cloud amount
  Array strCC;        // cloud form
  Array strH;         // cloud height
  Array strV;         // visibility
  Array strR;         // precipitation 20-8, 8-20, 20-20 h
  Array strw;         // weather phenomena, the day's text
  Array strFDFF;      // fixed-hour wind "direction/speed"
  Array strD0;        // ground-surface temperature
  Array strGLT;       // grass (snow) surface temperature
  Array strGE;        // ground state
  Array strD5;        // 5 cm ground temperature
  Array strD10;       // 10 cm
  Array strD15;       // 15 cm
  Array strD20;       // 20 cm
  Array strD40;       // 40 cm
  Array strK8;        // 80 cm ground temperature
  Array strK16;       // 160 cm
  Array strK32;       // 320 cm
  Array strLE;        // small-pan evaporation
  Array strLL;        // large-pan evaporation
  Array strP0;        // sea-level pressure
  Array strZ;         // snow depth, snow pressure
  Array strDYF;       // maximum wind "speed/direction", its time, extreme wind, its time
  Array strAA;        // frozen soil: layer 1 upper, lower, layer 2 upper, lower
  Array strG;         // wire icing: code, diameters, thicknesses, weights, temperature, wind
  Array strZJRR;      // hourly precipitation (column 1 the hour 20-21)
  Array strZJFDFF;    // ten-minute wind "direction/speed"
  Array strZJSS;      // hourly sunshine (true solar time 00-01 ... 23-24), sunrise, sunset, total
  Array strMaxRain;   // one-dimensional; the A file has no such block
  Array strRconnect;  // cross-month precipitation: first field, start date, amount
  Array VFileFM;      // cover lines
  Array VFileJY;      // summary lines
  Array VFileGK;      // climate outline lines
  Array VFileBZ;      // remarks lines
};

// The arguments of AFileAuditing that come from the file: the element
// arrays and the station settings the host supplies with them.
struct AFileArrays : AFileArraysOf<StringArray> {
  // Station settings of the psychrometric audit, indices 1..72: 27..30 the
  // hygrometer coefficients, 72 the default station pressure in hPa.
  VariantArray SysLib;
  // Psychrometer ventilation in m/s at a manual station; empty otherwise.
  std::string strManualWindV;
};

template <class Array>
struct AFileArrayEntry {
  std::string_view name;
  Array AFileArraysOf<Array>::*member;
  AFileColumns columns;
  int8_t count = 0;  // Columns, List: the number of columns or items
};

// The arrays in the order AFileAuditing takes them.
template <class Array = StringArray>
inline constexpr AFileArrayEntry<Array> kAFileArrayTable[] = {
    {"strP", &AFileArraysOf<Array>::strP, AFileColumns::ExtremesWithTimes},
    {"strT", &AFileArraysOf<Array>::strT, AFileColumns::ExtremesWithTimes},
    {"strI", &AFileArraysOf<Array>::strI, AFileColumns::Observations},
    {"strE", &AFileArraysOf<Array>::strE, AFileColumns::Observations},
    {"strU", &AFileArraysOf<Array>::strU, AFileColumns::MinimumWithTime},
    {"strTD", &AFileArraysOf<Array>::strTD, AFileColumns::Observations},
    {"strNN", &AFileArraysOf<Array>::strNN, AFileColumns::Cloud},
    {"strNL", &AFileArraysOf<Array>::strNL, AFileColumns::Cloud},
    {"strCC", &AFileArraysOf<Array>::strCC, AFileColumns::Cloud},
    {"strH", &AFileArraysOf<Array>::strH, AFileColumns::Cloud},
    {"strV", &AFileArraysOf<Array>::strV, AFileColumns::Visibility},
    {"strR", &AFileArraysOf<Array>::strR, AFileColumns::Columns, 3},
    {"strw", &AFileArraysOf<Array>::strw, AFileColumns::Columns, 1},
    {"strFDFF", &AFileArraysOf<Array>::strFDFF, AFileColumns::Observations},
    {"strD0", &AFileArraysOf<Array>::strD0, AFileColumns::Extremes},
    {"strGLT", &AFileArraysOf<Array>::strGLT, AFileColumns::Extremes},
    {"strGE", &AFileArraysOf<Array>::strGE, AFileColumns::Columns, 1},
    {"strD5", &AFileArraysOf<Array>::strD5, AFileColumns::Observations},
    {"strD10", &AFileArraysOf<Array>::strD10, AFileColumns::Observations},
    {"strD15", &AFileArraysOf<Array>::strD15, AFileColumns::Observations},
    {"strD20", &AFileArraysOf<Array>::strD20, AFileColumns::Observations},
    {"strD40", &AFileArraysOf<Array>::strD40, AFileColumns::Observations},
    {"strK8", &AFileArraysOf<Array>::strK8, AFileColumns::DailyOrHourly},
    {"strK16", &AFileArraysOf<Array>::strK16, AFileColumns::DailyOrHourly},
    {"strK32", &AFileArraysOf<Array>::strK32, AFileColumns::DailyOrHourly},
    {"strLE", &AFileArraysOf<Array>::strLE, AFileColumns::Columns, 1},
    {"strLL", &AFileArraysOf<Array>::strLL, AFileColumns::LargePan},
    {"strP0", &AFileArraysOf<Array>::strP0, AFileColumns::FixedHours},
    {"strZ", &AFileArraysOf<Array>::strZ, AFileColumns::Columns, 2},
    {"strDYF", &AFileArraysOf<Array>::strDYF, AFileColumns::Columns, 4},
    {"strAA", &AFileArraysOf<Array>::strAA, AFileColumns::Columns, 4},
    {"strG", &AFileArraysOf<Array>::strG, AFileColumns::Columns, 9},
    {"strZJRR", &AFileArraysOf<Array>::strZJRR, AFileColumns::Columns, 24},
    {"strZJFDFF", &AFileArraysOf<Array>::strZJFDFF, AFileColumns::Columns, 24},
    {"strZJSS", &AFileArraysOf<Array>::strZJSS, AFileColumns::Columns, 27},
    {"strMaxRain", &AFileArraysOf<Array>::strMaxRain, AFileColumns::List, 0},
    {"strRconnect", &AFileArraysOf<Array>::strRconnect, AFileColumns::List, 3},
    {"VFileFM", &AFileArraysOf<Array>::VFileFM, AFileColumns::List, 0},
    {"VFileJY", &AFileArraysOf<Array>::VFileJY, AFileColumns::List, 0},
    {"VFileGK", &AFileArraysOf<Array>::VFileGK, AFileColumns::List, 0},
    {"VFileBZ", &AFileArraysOf<Array>::VFileBZ, AFileColumns::List, 0},
};

inline constexpr size_t kAFileArrayCount = std::size(kAFileArrayTable<>);

// One member of the bundle, as the segment table names a block's target.
using AFileArray = StringArray AFileArraysOf<StringArray>::*;

// Position of a member in kAFileArrayTable (kAFileArrayCount when absent).
constexpr size_t AFileArrayIndex(AFileArray member) {
  for (size_t i = 0; i < kAFileArrayCount; ++i)
    if (kAFileArrayTable<>[i].member == member) return i;
  return kAFileArrayCount;
}

// Decodes an A file that passed the format check into the element arrays
// (see README.md, "Decoded arrays"). AFilePara is the parameter array the
// format check filled (items 4 days, 11 barometer elevation, 16 fixed
// observation times, 17 station type, 22 visibility mode flag; when the
// header failed its pattern the header line itself is consulted). Any
// content decodes without failing: where a malformed file loses the thread
// the remaining elements keep their absent shape ("-" in every cell).
Status DecodeAFile(const DataFile& file, const VariantArray& AFilePara, AFileArrays& out);
// The same, reading the file at path.
Status DecodeAFile(const std::string& path, const VariantArray& AFilePara, AFileArrays& out);

}  // namespace kelvane
