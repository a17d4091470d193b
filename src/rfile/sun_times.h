// The table of sunrise and sunset times of each day of a month that the
// R-file check and audit read (RSunTimes): entry d (1..31) the sunrise of
// day d, entry 31 + d its sunset, each in local mean time written as hours
// + minutes/100 ("4.58" is 04:58, "18.2" is 18:20).
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace kelvane::rfile {

using SunTimesTable = std::array<std::string, 63>;  // index 0 unused

// Fills entries 1..days and 32..31+days from SunriseSunsetMeanTime for the
// year, month, latitude and longitude texts (as the parameter array holds
// them). Returns false, leaving the table as it was, when the date or the
// coordinates cannot be computed (a month outside 1..12, a latitude that
// gives no arithmetic result).
bool BuildSunTimes(std::string_view year, std::string_view month, int days,
                   std::string_view latitude, std::string_view longitude, SunTimesTable& table);

// The "h + mm/100" text of a time in decimal hours: h the integer part
// (floor), mm the rest in minutes rounded to the nearest (ties to even).
std::string SunTimeText(float hours);

// hundredths / 100 as its shortest decimal text ("6.5", "-0.05", "12").
std::string HundredthsText(long hundredths);

// Sunrise and sunset of one day as the rules use them.
struct SunDay {
  std::string_view riseText, setText;  // the table's texts
  double rise = 0, set = 0;            // their number values (hours + minutes/100)
  // Hours + minutes/60: the clock times as decimal hours, for day lengths.
  double riseHours = 0, setHours = 0;
  double DayLength() const { return setHours - riseHours; }
  // Hour j (label j-1 .. j) lies in daylight: floor(rise) < j <= ceil(set).
  bool InDaylight(int j) const;
};

SunDay SunOfDay(const SunTimesTable& table, int day);

}  // namespace kelvane::rfile
