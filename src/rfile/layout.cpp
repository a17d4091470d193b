#include "rfile/layout.h"

#include <array>

namespace kelvane::rfile {

namespace {

constexpr std::array<std::string_view, 25> kHourLabels = {
    "",      "0-1",   "1-2",   "2-3",   "3-4",   "4-5",   "5-6",   "6-7",   "7-8",
    "8-9",   "9-10",  "10-11", "11-12", "12-13", "13-14", "14-15", "15-16", "16-17",
    "17-18", "18-19", "19-20", "20-21", "21-22", "22-23", "23-24"};

}  // namespace

const RSegment* FindRSegment(char letter) {
  for (const RSegment& s : kRSegments)
    if (s.letter == letter) return &s;
  return nullptr;
}

int GroupWidth(char letter, int j) {
  const RSegment* s = FindRSegment(letter);
  if (!s || j < 1 || j > s->groups) return 0;
  if (j <= 24) return letter == 'N' ? 4 : 3;
  switch (letter) {
    case 'Q':
      return j == 28 ? 3 : 4;
    case 'N':
      return j <= 26 ? 5 : 4;
    case 'R':
      return j == 26 ? 2 : 4;
    default:  // D, S
      return 4;
  }
}

bool ClassHasSegment(int stationClass, char letter) {
  switch (letter) {
    case 'Q':
      return true;
    case 'Z':
    case 'N':
      return stationClass < 3;
    case 'D':
    case 'S':
    case 'R':
      return stationClass == 1;
    default:
      return false;
  }
}

std::string_view ClassSegments(int stationClass) {
  if (stationClass == 1) return "ZQNDSR";
  if (stationClass < 3) return "ZQN";
  return "Q";
}

bool ClassHasInstrument(int stationClass, const RInstrument& kind) {
  return kind.segment == 'J' || ClassHasSegment(stationClass, kind.segment);
}

std::string_view HourLabel(int j) {
  return j >= 1 && j <= 24 ? kHourLabels[static_cast<size_t>(j)] : std::string_view();
}

int CoverLines(int stationClass) { return stationClass == 3 ? 13 : 14; }

}  // namespace kelvane::rfile
