#include "common/solar.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "common/error.h"
#include "common/text.h"

namespace kelvane {

namespace {

// The constants as the recorded values were computed with; more digits would
// change results at the last place.
constexpr double kPi = 3.14159265358979;
constexpr double kTwoPi = 6.28318530717958;
constexpr double kRefraction = 34.0 / 60;  // degrees

struct DateNumber {
  int year;
  int n;  // days since 1 January of the year (0 on 1 January)
};

// Whole number of a date part: blanks around it allowed, digits only.
bool ParseDatePart(std::string_view t, int* out) {
  t = TrimBlanks(t);
  if (t.empty() || t.size() > 9) return false;
  int v = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  *out = v;
  return true;
}

// Day number of the date year/month/day. A combination that is no calendar
// date is a run-time error of the caller, as converting the text
// "yyyy/mm/dd" to a date would be.
DateNumber DayNumber(std::string_view year, std::string_view month, std::string_view day) {
  int y = 0, m = 0, d = 0;
  if (!ParseDatePart(year, &y) || !ParseDatePart(month, &m) || !ParseDatePart(day, &d) ||
      y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) {
    throw Error(kErrTypeMismatch, "Type mismatch: year, month and day make no date");
  }
  static constexpr int kDaysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  int n = kDaysBefore[m - 1] + d - 1;
  if (m > 2 && DaysInMonth(y, 2) == 29) ++n;
  return {y, n};
}

// Angle of the year (radians) at the hour of the day n at the longitude,
// counted from the mean vernal equinox N0 of the year.
double YearAngle(double year, double n, double longitude, double hour) {
  double n0 = 79.6764 + 0.2422 * (year - 1985) - std::floor((year - 1985) * 0.25);
  return ((hour - longitude / 15) / 24 + n - n0) * kTwoPi / 365.2422;
}

// Writes v with at least four digits ("0833", "8667", "12500"); a negative
// value gets "-" before its digits. Returns the length written.
int WriteFourDigits(char* out, size_t size, int32_t v) {
  char digits[12];
  unsigned long long a = v < 0 ? 0ull - static_cast<unsigned long long>(static_cast<long long>(v))
                               : static_cast<unsigned long long>(v);
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + a % 10);
    a /= 10;
  } while (a != 0);
  while (n < 4) digits[n++] = '0';
  const int length = n + (v < 0 ? 1 : 0);
  if (static_cast<size_t>(length) >= size) return 0;
  int k = 0;
  if (v < 0) out[k++] = '-';
  while (n > 0) out[k++] = digits[--n];
  out[k] = '\0';
  return length;
}

struct CoordinateParts {
  bool negative;
  std::string_view degrees;
  char fraction[16];
  int fractionLength;
};

CoordinateParts SplitCoordinate(std::string_view c, char positive, char negative) {
  CoordinateParts p{};
  if (!c.empty() && c.back() == negative) {
    c.remove_suffix(1);
    p.negative = true;
  } else if (!c.empty() && c.back() == positive) {
    c.remove_suffix(1);
  }
  // The minutes field holds no "." (it ends at the next one), so its leading
  // number is already whole; the rounding only guards the range.
  double minutes = RoundHalfAway(LeadingNumber(GetFieldView(c, ".", 2)));
  int32_t f = RoundHalfAway(minutes / 60 * 10000);
  p.fractionLength = WriteFourDigits(p.fraction, sizeof p.fraction, f);
  p.degrees = GetFieldView(c, ".", 1);
  return p;
}

// True when x >= 1 means the sun does not set, s < 0 that it does not rise;
// otherwise x is the sine of half the daylight hour angle.
struct DayArc {
  bool polarNight;
  bool polarDay;
  double x;
};

DayArc DaylightArc(double phi, double delta) {
  double a = std::sin((45 - (phi - delta - kRefraction) / 2) * kPi / 180);
  double b = std::sin(((phi - delta + kRefraction) / 2 + 45) * kPi / 180);
  double s = a * b;
  if (s < 0) return {true, false, 0};
  double q = s / (std::cos(phi * kPi / 180) * std::cos(delta * kPi / 180));
  // Beyond the pole q is negative and x not a number; the rounding of the
  // callers then raises the overflow error.
  double x = std::sqrt(q);
  if (x >= 1) return {false, true, x};
  return {false, false, x};
}

// Half the day length in hours from the sine of half the hour angle.
double HalfDayHours(double x) { return std::atan(x / std::sqrt(1 - x * x)) * 2 * 180 / kPi / 15; }

}  // namespace

std::string CoordinateToDegrees(std::string_view coordinate, char positive, char negative) {
  CoordinateParts p = SplitCoordinate(coordinate, positive, negative);
  std::string out;
  out.reserve(p.degrees.size() + 2 + static_cast<size_t>(p.fractionLength));
  if (p.negative) out += '-';
  out += p.degrees;
  out += '.';
  out.append(p.fraction, static_cast<size_t>(p.fractionLength));
  return out;
}

double CoordinateToDegreesValue(std::string_view coordinate, char positive, char negative) {
  CoordinateParts p = SplitCoordinate(coordinate, positive, negative);
  char buf[64];
  size_t need = p.degrees.size() + 2 + static_cast<size_t>(p.fractionLength);
  if (need > sizeof buf) return LeadingNumber(CoordinateToDegrees(coordinate, positive, negative));
  size_t len = 0;
  if (p.negative) buf[len++] = '-';
  std::memcpy(buf + len, p.degrees.data(), p.degrees.size());
  len += p.degrees.size();
  buf[len++] = '.';
  std::memcpy(buf + len, p.fraction, static_cast<size_t>(p.fractionLength));
  len += static_cast<size_t>(p.fractionLength);
  return LeadingNumber(std::string_view(buf, len));
}

double SolarDeclination(double year, double dayNumber, double longitude, double hour) {
  double t = YearAngle(year, dayNumber, longitude, hour);
  return 0.3723 + 23.2567 * std::sin(t) + 0.1149 * std::sin(2 * t) - 0.1712 * std::sin(3 * t) -
         0.758 * std::cos(t) + 0.3656 * std::cos(2 * t) + 0.0201 * std::cos(3 * t);
}

float DayLength(std::string_view year, std::string_view month, std::string_view day,
                std::string_view latitude, std::string_view longitude) {
  double phi = CoordinateToDegreesValue(latitude, 'N', 'S');
  double lambda = CoordinateToDegreesValue(longitude, 'E', 'W');
  DateNumber date = DayNumber(year, month, day);
  double delta = SolarDeclination(date.year, date.n, lambda, 12);
  DayArc arc = DaylightArc(phi, delta);
  if (arc.polarNight) return 0;
  if (arc.polarDay) return 24;
  float half = static_cast<float>(HalfDayHours(arc.x));
  return static_cast<float>(RoundHalfAway(static_cast<double>(half) * 2 * 100) / 100.0);
}

void SunriseSunset(std::string_view year, std::string_view month, std::string_view day,
                   std::string_view latitude, std::string_view longitude, std::string& rise,
                   std::string& set) {
  // The day length is taken through its text form (seven significant digits
  // of a single), so 14.95 is read as 14.95 and not as its binary neighbour.
  char text[64];
  const auto written =
      std::to_chars(text, text + sizeof text,
                    static_cast<double>(DayLength(year, month, day, latitude, longitude)),
                    std::chars_format::general, 7);
  double length = LeadingNumber(std::string_view(text, static_cast<size_t>(written.ptr - text)));
  rise = FormatTwoDecimals(12 - length / 2);
  set = FormatTwoDecimals(12 + length / 2);
}

namespace {

double EquationOfTimeAt(std::string_view year, std::string_view month, std::string_view day,
                        std::string_view hour, double lambda) {
  DateNumber date = DayNumber(year, month, day);
  double t = YearAngle(date.year, date.n, lambda, LeadingNumber(hour));
  return (0.0028 - 1.9857 * std::sin(t) + 9.9059 * std::sin(2 * t) - 7.0924 * std::cos(t) -
          0.6882 * std::cos(2 * t)) /
         60;
}

}  // namespace

double EquationOfTime(std::string_view year, std::string_view month, std::string_view day,
                      std::string_view hour, std::string_view longitude) {
  return EquationOfTimeAt(year, month, day, hour, CoordinateToDegreesValue(longitude, 'E', 'W'));
}

double TrueSolarTime(std::string_view year, std::string_view month, std::string_view day,
                     std::string_view hour, std::string_view longitude) {
  return TrueSolarTime(year, month, day, hour, CoordinateToDegreesValue(longitude, 'E', 'W'));
}

double TrueSolarTime(std::string_view year, std::string_view month, std::string_view day,
                     std::string_view hour, double longitudeDegrees) {
  return LeadingNumber(hour) + (longitudeDegrees - 120) * 4 / 60 +
         EquationOfTimeAt(year, month, day, hour, longitudeDegrees);
}

void SunriseSunsetMeanTime(std::string_view year, std::string_view month, std::string_view day,
                           std::string_view latitude, std::string_view longitude, float& rise,
                           float& set) {
  double e = EquationOfTime(year, month, day, "0", longitude);

  // Latitude by position: two characters of degrees, the last two of minutes.
  std::string_view lat = latitude;
  bool south = false;
  if (!lat.empty() && lat.back() == 'S') {
    lat.remove_suffix(1);
    south = true;
  } else if (!lat.empty() && lat.back() == 'N') {
    lat.remove_suffix(1);
  }
  size_t two = std::min<size_t>(2, lat.size());
  std::string_view degrees = lat.substr(0, two);
  int64_t minutes = LeadingInteger(lat.substr(lat.size() - two));
  int32_t f = RoundHalfAway(static_cast<double>(minutes) / 60 * 10000);
  char buf[32];
  size_t len = 0;
  if (south) buf[len++] = '-';
  std::memcpy(buf + len, degrees.data(), degrees.size());
  len += degrees.size();
  buf[len++] = '.';
  len += static_cast<size_t>(WriteFourDigits(buf + len, sizeof buf - len, f));
  double phi = LeadingNumber(std::string_view(buf, len));

  double lambda = CoordinateToDegreesValue(longitude, 'E', 'W');
  DateNumber date = DayNumber(year, month, day);
  double delta = SolarDeclination(date.year, date.n, lambda, 12);
  DayArc arc = DaylightArc(phi, delta);
  if (arc.polarNight) {
    rise = set = 12;
    return;
  }
  if (arc.polarDay) {
    rise = 0;
    set = 24;
    return;
  }
  double half = HalfDayHours(arc.x);
  rise = static_cast<float>(RoundHalfAway((12 - half - e) * 100) / 100.0);
  set = static_cast<float>(RoundHalfAway((12 + half - e) * 100) / 100.0);
}

std::string FormatTwoDecimals(double x) {
  if (!std::isfinite(x)) throw Error(kErrOverflow, "Overflow: a value that is not a finite number");
  // std::to_chars with a precision writes what printf's "%.*e" and "%.*f"
  // write, without the locale and the multi-precision arithmetic.
  double a = std::fabs(x);
  char buf[400];
  char* const end = buf + sizeof buf;
  if (a >= 1e15) {
    // No decimals are significant any more; the binary value is written.
    const auto r = std::to_chars(buf, end, x, std::chars_format::fixed, 2);
    return std::string(buf, r.ptr);
  }
  long long hundredths = 0;
  const auto sci = std::to_chars(buf, end, a, std::chars_format::scientific, 14);
  const char* e = std::find(buf, sci.ptr, 'e');
  int exponent = 0;
  if (e != sci.ptr) {
    const char* q = e + 1;
    if (q != sci.ptr && *q == '+') ++q;
    std::from_chars(q, sci.ptr, exponent);
  }
  if (exponent >= -3) {
    // The same 15 significant digits in fixed notation.
    int decimals = std::max(0, 14 - exponent);
    const auto fixed = std::to_chars(buf, end, a, std::chars_format::fixed, decimals);
    const char* p = buf;
    long long whole = 0;
    while (p != fixed.ptr && *p >= '0' && *p <= '9') whole = whole * 10 + (*p++ - '0');
    int digit[3] = {0, 0, 0};
    if (p != fixed.ptr && *p == '.') {
      ++p;
      for (int i = 0; i < 3 && p != fixed.ptr && *p >= '0' && *p <= '9'; ++i) digit[i] = *p++ - '0';
    }
    hundredths = whole * 100 + digit[0] * 10 + digit[1] + (digit[2] >= 5 ? 1 : 0);
  }
  std::string out;
  if (x < 0 && hundredths != 0) out += '-';
  char digits[24];
  const auto w = std::to_chars(digits, digits + sizeof digits, hundredths / 100);
  out.append(digits, w.ptr);
  out += '.';
  out += static_cast<char>('0' + hundredths % 100 / 10);
  out += static_cast<char>('0' + hundredths % 10);
  return out;
}

}  // namespace kelvane
