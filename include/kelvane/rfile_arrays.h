// The arrays of one R file (monthly radiation), as KelvaneR::RFileAuditing
// takes them, in one bundle; and the host's decoder that fills the bundle
// from the file.
//
// kRFileArrayTable is the one ordered list of the arrays: their names in the
// order of RFileAuditing's parameters, the data segment each element array
// is decoded from and its number of groups per day. Everything that walks
// all arrays (the automation layer, the decoder, the JSON output) walks
// this table; code that reads one array names its member.
//
// Element arrays are (day 1..days, group 1..groups), the groups numbered as
// in the file: 1..24 the hourly totals of the hours ending at 1, 2, ... 24,
// then the daily values. A cell is "" for a group of all "." (no record for
// the hour), "-" for a group of all "/" (missing), otherwise the group's
// text as written. The section arrays are one-dimensional lists from 1.
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

template <class Array>
struct RFileArraysOf {
  Array strRFileG;            // global radiation: 24 hourly, total, maximum, its time, sunshine
  Array strRFileN;            // net: 24, total, maximum, time, minimum, time
  Array strRFileD;            // diffuse: 24, total, maximum, time
  Array strRFileS;            // direct: 24, total (normal incidence), maximum, time, horizontal total
  Array strRFileR;            // reflected: 24, total, albedo, maximum, time, 29..34
  Array strRFileYQ;           // instrument lines, code lines included
  Array strRFileEnvironment;  // surroundings lines "01/..."
  Array strRFileSurface;      // surroundings lines "02/..."
  Array strRFileOtherCZ;      // other surroundings lines
  Array strRFileBZ;           // remark lines
  Array strRFileFM;           // cover lines
};

struct RFileArrays : RFileArraysOf<StringArray> {};

template <class Array>
struct RFileArrayEntry {
  std::string_view name;
  Array RFileArraysOf<Array>::*member;
  char segment = 0;  // data segment letter of an element array; 0 for a list
  int8_t groups = 0;  // groups per day of an element array
};

// The arrays in the order RFileAuditing takes them.
template <class Array = StringArray>
inline constexpr RFileArrayEntry<Array> kRFileArrayTable[] = {
    {"strRFileG", &RFileArraysOf<Array>::strRFileG, 'Q', 28},
    {"strRFileN", &RFileArraysOf<Array>::strRFileN, 'N', 29},
    {"strRFileD", &RFileArraysOf<Array>::strRFileD, 'D', 27},
    {"strRFileS", &RFileArraysOf<Array>::strRFileS, 'S', 28},
    {"strRFileR", &RFileArraysOf<Array>::strRFileR, 'R', 34},
    {"strRFileYQ", &RFileArraysOf<Array>::strRFileYQ},
    {"strRFileEnvironment", &RFileArraysOf<Array>::strRFileEnvironment},
    {"strRFileSurface", &RFileArraysOf<Array>::strRFileSurface},
    {"strRFileOtherCZ", &RFileArraysOf<Array>::strRFileOtherCZ},
    {"strRFileBZ", &RFileArraysOf<Array>::strRFileBZ},
    {"strRFileFM", &RFileArraysOf<Array>::strRFileFM},
};

inline constexpr size_t kRFileArrayCount = std::size(kRFileArrayTable<>);

// Decodes an R file that passed the format check into the arrays.
// RFilePara is the parameter array the format check filled (4 days, 11 the
// station class). Element arrays of segments the class does not carry, or
// that the file declares empty ("Q="), have every cell "". Any content
// decodes without failing: where a malformed file loses the thread the
// remaining cells stay "".
Status DecodeRFile(const DataFile& file, const VariantArray& RFilePara, RFileArrays& out);

}  // namespace kelvane
