#include "rfile/sun_times.h"

#include <cmath>

#include "common/error.h"
#include "common/solar.h"
#include "common/text.h"

namespace kelvane::rfile {

namespace {

// Whole hours and minutes of a "h + mm/100" text.
double ClockHours(std::string_view text) {
  const double v = LeadingNumber(text);
  const double h = std::floor(v);
  const double mm = std::round((v - h) * 100);
  return h + mm / 60;
}

}  // namespace

std::string SunTimeText(float hours) {
  const double v = hours;
  const double h = std::floor(v);
  const double mm = std::nearbyint((v - h) * 60);
  // A sixtieth minute stays as ".6": the hour is not carried.
  const long hundredths = static_cast<long>(h) * 100 + static_cast<long>(mm);
  return HundredthsText(hundredths);
}

std::string HundredthsText(long hundredths) {
  // The shortest text of hundredths / 100 is its decimal text without
  // trailing zeros: any text of fewer digits lies at least 0.01 away, far
  // beyond the spacing of doubles of this size.
  if (hundredths <= -1000000000L || hundredths >= 1000000000L)
    return FormatNumber(static_cast<double>(hundredths) / 100);
  std::string out;
  unsigned long a = hundredths < 0 ? static_cast<unsigned long>(-hundredths)
                                   : static_cast<unsigned long>(hundredths);
  if (hundredths < 0) out += '-';
  out += std::to_string(a / 100);
  const unsigned long cents = a % 100;
  if (cents != 0) {
    out += '.';
    out += static_cast<char>('0' + cents / 10);
    if (cents % 10 != 0) out += static_cast<char>('0' + cents % 10);
  }
  return out;
}

namespace {

bool ComputeSunTimes(std::string_view year, std::string_view month, int days,
                     std::string_view latitude, std::string_view longitude, SunTimesTable& table);

// The table computed last on this thread: the format check and the audit of
// an R file ask for the same month one after the other.
struct LastSunTimes {
  bool known = false;
  std::string year, month, latitude, longitude;
  int days = 0;
  bool built = false;
  SunTimesTable table;
};

}  // namespace

bool BuildSunTimes(std::string_view year, std::string_view month, int days,
                   std::string_view latitude, std::string_view longitude, SunTimesTable& table) {
  thread_local LastSunTimes last;
  if (!(last.known && last.days == days && last.year == year && last.month == month &&
        last.latitude == latitude && last.longitude == longitude)) {
    last.known = false;
    last.table = SunTimesTable{};
    last.built = ComputeSunTimes(year, month, days, latitude, longitude, last.table);
    last.year = year;
    last.month = month;
    last.latitude = latitude;
    last.longitude = longitude;
    last.days = days;
    last.known = true;
  }
  if (!last.built) return false;
  // The entries of the month's days; the others stay as they were.
  for (int d = 1; d <= days; ++d) {
    table[static_cast<size_t>(d)] = last.table[static_cast<size_t>(d)];
    table[static_cast<size_t>(31 + d)] = last.table[static_cast<size_t>(31 + d)];
  }
  return true;
}

namespace {

bool ComputeSunTimes(std::string_view year, std::string_view month, int days,
                     std::string_view latitude, std::string_view longitude, SunTimesTable& table) {
  if (days < 1 || days > 31) return false;
  const double m = LeadingNumber(month);
  if (m < 1 || m >= 13) return false;
  SunTimesTable out = table;
  try {
    for (int d = 1; d <= days; ++d) {
      float rise = 0, set = 0;
      const std::string day = Num(d);
      SunriseSunsetMeanTime(year, month, day, latitude, longitude, rise, set);
      if (!std::isfinite(rise) || !std::isfinite(set)) return false;
      out[static_cast<size_t>(d)] = SunTimeText(rise);
      out[static_cast<size_t>(31 + d)] = SunTimeText(set);
    }
  } catch (const Error&) {
    return false;
  }
  table = std::move(out);
  return true;
}

}  // namespace

bool SunDay::InDaylight(int j) const { return std::floor(rise) < j && j <= std::ceil(set); }

SunDay SunOfDay(const SunTimesTable& table, int day) {
  SunDay s;
  if (day < 1 || day > 31) return s;
  s.riseText = table[static_cast<size_t>(day)];
  s.setText = table[static_cast<size_t>(31 + day)];
  s.rise = LeadingNumber(s.riseText);
  s.set = LeadingNumber(s.setText);
  s.riseHours = ClockHours(s.riseText);
  s.setHours = ClockHours(s.setText);
  return s;
}

}  // namespace kelvane::rfile
