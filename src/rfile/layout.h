// The layout of an R file (monthly radiation data) as data: the data
// segments with their element names, group counts and group widths, the
// segments and instrument kinds each radiation station class carries, and
// the hour labels. The format check, the audit, the host's decoder and the
// sample writer all read these tables.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvane::rfile {

// One data segment of the data part.
struct RSegment {
  char letter;               // identifier letter: Z, Q, N, D, S, R
  std::string_view element;  // element name of its findings
  int groups;                // groups per day line (0 for Z: one line of daily values)
  std::string_view qcCode;   // identifier of its quality-control segment
};

inline constexpr RSegment kRSegments[] = {
    {'Z', "作用层", 0, "QZ"},     {'Q', "总辐射", 28, "QQ"},   {'N', "净全辐射", 29, "QN"},
    {'D', "散射辐射", 27, "QD"},  {'S', "直接辐射", 28, "QS"}, {'R', "反射辐射", 34, "QR"},
};

// The segment of a letter; nullptr for any other letter.
const RSegment* FindRSegment(char letter);

// Width of group j (1-based) of a day line of the segment; 0 when j is
// beyond the segment's groups.
int GroupWidth(char letter, int j);

// Whether a station of the given class (the header digit; any other value
// is compared the same way: below 3 carries Z and N, exactly 1 carries D, S
// and R) carries the segment.
bool ClassHasSegment(int stationClass, char letter);

// The data segments of a class in file order (Z Q N D S R, as the class has them).
std::string_view ClassSegments(int stationClass);

// One instrument kind of the instrument section.
struct RInstrument {
  std::string_view code;  // code line: YQ, YN, YD, YS, YR, YJ
  std::string_view name;  // instrument name, the Element of its findings
  int groups;             // groups per instrument line
  char segment;           // the data segment the instrument serves (J: the recorder)
};

inline constexpr RInstrument kRInstruments[] = {
    {"YQ", "总辐射表", 7, 'Q'},  {"YN", "净全辐射表", 8, 'N'}, {"YD", "散射辐射表", 7, 'D'},
    {"YS", "直接辐射表", 7, 'S'}, {"YR", "反射辐射表", 7, 'R'}, {"YJ", "记录器", 4, 'J'},
};

// Whether a class has the instrument kind (the recorder at every class).
bool ClassHasInstrument(int stationClass, const RInstrument& kind);

// Label of hour j (1..24): "0-1" ... "23-24".
std::string_view HourLabel(int j);

// Number of lines of the cover after "FM": 14, 13 for class 3 (no second
// line of instrument heights).
int CoverLines(int stationClass);

}  // namespace kelvane::rfile
