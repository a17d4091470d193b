// Solar formulas: decimal coordinates, declination, day length, sunrise and
// sunset, equation of time and true solar time. Besides the fixed examples the
// results are compared with an independent low-precision solar ephemeris (the
// usual published one: mean longitude, equation of centre, obliquity).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/error.h"
#include "common/solar.h"
#include "common/text.h"

namespace kelvane {
namespace {

constexpr double kDeg = M_PI / 180;

// Days since 1970-01-01 of a proleptic Gregorian date.
long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  long era = (y >= 0 ? y : y - 399) / 400;
  long yoe = y - era * 400;
  long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

struct Ephemeris {
  double declination;  // degrees
  double equationOfTime;  // minutes, apparent minus mean
};

// Low-precision solar ephemeris at the given UT hour of a date.
Ephemeris Reference(int y, int m, int d, double utHour) {
  double jd = 2440587.5 + DaysFromCivil(y, m, d) + utHour / 24;
  double T = (jd - 2451545) / 36525;
  double L0 = std::fmod(280.46646 + T * (36000.76983 + T * 0.0003032), 360);
  double M = 357.52911 + T * (35999.05029 - 0.0001537 * T);
  double e = 0.016708634 - T * (0.000042037 + 0.0000001267 * T);
  double C = std::sin(M * kDeg) * (1.914602 - T * (0.004817 + 0.000014 * T)) +
             std::sin(2 * M * kDeg) * (0.019993 - 0.000101 * T) + std::sin(3 * M * kDeg) * 0.000289;
  double omega = 125.04 - 1934.136 * T;
  double lambda = L0 + C - 0.00569 - 0.00478 * std::sin(omega * kDeg);
  double eps = 23 + (26 + (21.448 - T * (46.815 + T * (0.00059 - T * 0.001813))) / 60) / 60 +
               0.00256 * std::cos(omega * kDeg);
  double yy = std::pow(std::tan(eps * kDeg / 2), 2);
  double eot = yy * std::sin(2 * L0 * kDeg) - 2 * e * std::sin(M * kDeg) +
               4 * e * yy * std::sin(M * kDeg) * std::cos(2 * L0 * kDeg) -
               0.5 * yy * yy * std::sin(4 * L0 * kDeg) - 1.25 * e * e * std::sin(2 * M * kDeg);
  return {std::asin(std::sin(eps * kDeg) * std::sin(lambda * kDeg)) / kDeg, 4 * eot / kDeg};
}

struct Date {
  char y[16], m[16], d[16];
  int n;
};

Date MakeDate(int y, int m, int d) {
  Date r{};
  std::snprintf(r.y, sizeof r.y, "%d", y);
  std::snprintf(r.m, sizeof r.m, "%02d", m);
  std::snprintf(r.d, sizeof r.d, "%d", d);
  r.n = static_cast<int>(DaysFromCivil(y, m, d) - DaysFromCivil(y, 1, 1));
  return r;
}

// Hundredths of a "#0.00" text.
int Hundredths(const std::string& s) { return static_cast<int>(std::lround(std::atof(s.c_str()) * 100)); }

TEST(SolarTest, CoordinateToDegrees) {
  struct Case {
    const char* text;
    char pos, neg;
    const char* expected;
  };
  const Case cases[] = {
      {"39.52N", 'N', 'S', "39.8667"},   {"116.28W", 'E', 'W', "-116.4667"},
      {"39", 'N', 'S', "39.0000"},       {"39.05N", 'N', 'S', "39.0833"},
      {"116.28E", 'E', 'W', "116.4667"}, {"39.52S", 'N', 'S', "-39.8667"},
      {"39.52", 'N', 'S', "39.8667"},    {"0.00N", 'N', 'S', "0.0000"},
      {"39.30N", 'N', 'S', "39.5000"},   {"039.5N", 'N', 'S', "039.0833"},  // degrees as written
      {"39.60N", 'N', 'S', "39.10000"},  // 60 minutes: the formula gives five digits
      {"39.52E", 'N', 'S', "39.8667"},   // a foreign letter ends the minutes
      {"", 'N', 'S', ".0000"},           {"abc", 'N', 'S', "abc.0000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CoordinateToDegrees(c.text, c.pos, c.neg), c.expected) << c.text;
    EXPECT_EQ(CoordinateToDegreesValue(c.text, c.pos, c.neg), LeadingNumber(c.expected)) << c.text;
  }
  // Minutes too large for the scaled rounding: the overflow error of the caller.
  try {
    CoordinateToDegrees("1.99999999N", 'N', 'S');
    ADD_FAILURE() << "no overflow";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), kErrOverflow);
  }
}

TEST(SolarTest, DeclinationAgainstEphemeris) {
  // Published values at the 2012 equinoxes and solstices (12 UT).
  struct Case {
    int m, d;
    double expected;
  };
  const Case published[] = {{3, 20, 0.1}, {6, 21, 23.44}, {9, 22, 0.05}, {12, 21, -23.44}};
  for (const Case& c : published)
    EXPECT_NEAR(SolarDeclination(2012, MakeDate(2012, c.m, c.d).n, 0, 12), c.expected, 0.5)
        << c.m << "/" << c.d;
  // Every day of 1990..2035. The day number counts from 0 on 1 January, which
  // puts the formula about a day behind the sun: up to 0.4 degrees near the
  // equinoxes, where the declination moves fastest.
  for (int y = 1990; y <= 2035; ++y)
    for (int m = 1; m <= 12; ++m)
      for (int d = 1; d <= DaysInMonth(y, m); ++d)
        ASSERT_NEAR(SolarDeclination(y, MakeDate(y, m, d).n, 0, 12), Reference(y, m, d, 12).declination,
                    0.45)
            << y << "/" << m << "/" << d;
}

TEST(SolarTest, DayLengthExamples) {
  struct Case {
    const char *y, *m, *d, *lat, *lon;
    float expected;
  };
  const Case cases[] = {
      {"2012", "03", "20", "0.00N", "120.00E", 12.08f}, {"2012", "06", "21", "39.52N", "116.28E", 14.95f},
      {"2012", "12", "21", "39.52N", "116.28E", 9.28f}, {"2012", "06", "25", "70.00N", "116.28E", 24},
      {"2012", "12", "25", "70.00N", "116.28E", 0},     {"2012", "06", "25", "70.00S", "116.28E", 0},
      {"2012", "12", "25", "70.00S", "116.28E", 24},    {"2012", "3", "20", "0.00", "120.00", 12.08f},
      {" 2012", "03", " 20 ", "0.00N", "120.00E", 12.08f},
      {"2012", "03", "20", "abc", "120.00E", 12.08f},  // no number: the equator
      // The day number counts from 0 on 1 January (counting from 1 gives 12.19).
      {"2012", "09", "22", "60.00N", "116.28E", 12.28f},
      // Half the day is held in single precision (in double these give 12.07
      // and 12.50).
      {"2012", "09", "30", "1.48N", "116.28E", 12.06f},
      {"2012", "06", "29", "7.19N", "116.28E", 12.51f},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DayLength(c.y, c.m, c.d, c.lat, c.lon), c.expected) << c.m << "/" << c.d << " " << c.lat;
  // About 15 h and 9.3 h at 40 N on the solstices.
  EXPECT_NEAR(DayLength("2012", "06", "21", "40.00N", "116.28E"), 15.0, 0.1);
  EXPECT_NEAR(DayLength("2012", "12", "21", "40.00N", "116.28E"), 9.3, 0.1);
}

TEST(SolarTest, DayLengthAgainstEphemeris) {
  // Hour angle of the sun's centre at 34' below the horizon with the
  // independent declination; within 0.1 h (the one-day lag of the day number).
  const char* lats[] = {"0.00N", "23.30N", "39.52N", "33.33S", "55.00N"};
  for (int y : {2001, 2012, 2024})
    for (int m = 1; m <= 12; ++m)
      for (int d = 1; d <= DaysInMonth(y, m); ++d) {
        Date dt = MakeDate(y, m, d);
        double decl = Reference(y, m, d, 12 - 116.4667 / 15).declination * kDeg;
        for (const char* lat : lats) {
          double phi = CoordinateToDegreesValue(lat, 'N', 'S') * kDeg;
          double c = (std::cos((90 + 34.0 / 60) * kDeg) - std::sin(phi) * std::sin(decl)) /
                     (std::cos(phi) * std::cos(decl));
          double expected = 2 * std::acos(c) / kDeg / 15;
          ASSERT_NEAR(DayLength(dt.y, dt.m, dt.d, lat, "116.28E"), expected, 0.1)
              << dt.y << "/" << dt.m << "/" << dt.d << " " << lat;
        }
      }
}

TEST(SolarTest, SunriseSunset) {
  struct Case {
    const char *m, *d, *lat, *rise, *set;
  };
  const Case cases[] = {
      {"06", "21", "39.52N", "4.53", "19.48"},  // 14.95 h: both halves of 7.475 round up
      {"12", "21", "39.52N", "7.36", "16.64"},   {"03", "20", "0.00N", "5.96", "18.04"},
      {"12", "25", "70.00N", "12.00", "12.00"},  {"06", "25", "70.00N", "0.00", "24.00"},
  };
  std::string rise, set;
  for (const Case& c : cases) {
    SunriseSunset("2012", c.m, c.d, c.lat, "116.28E", rise, set);
    EXPECT_EQ(rise, c.rise) << c.m << "/" << c.d;
    EXPECT_EQ(set, c.set) << c.m << "/" << c.d;
  }
  // Over a year: symmetric around true noon to the rounding, and exactly the
  // day length apart.
  for (int m = 1; m <= 12; ++m)
    for (int d = 1; d <= DaysInMonth(2012, m); ++d) {
      Date dt = MakeDate(2012, m, d);
      SunriseSunset(dt.y, dt.m, dt.d, "39.52N", "116.28E", rise, set);
      int length = static_cast<int>(std::lround(DayLength(dt.y, dt.m, dt.d, "39.52N", "116.28E") * 100));
      EXPECT_EQ(Hundredths(set) - Hundredths(rise), length) << m << "/" << d;
      EXPECT_EQ(Hundredths(rise) + Hundredths(set), 2400 + length % 2) << m << "/" << d;
    }
}

TEST(SolarTest, EquationOfTimeShape) {
  double lowest = 1, highest = -1;
  int lowestDay = 0, highestDay = 0;
  for (int m = 1; m <= 12; ++m)
    for (int d = 1; d <= DaysInMonth(2012, m); ++d) {
      Date dt = MakeDate(2012, m, d);
      double e = EquationOfTime(dt.y, dt.m, dt.d, "12", "0.00E");
      ASSERT_LT(std::fabs(e), 0.3) << m << "/" << d;
      // Independent ephemeris within a minute (the day-number lag moves the
      // curve by up to half a minute).
      ASSERT_NEAR(e * 60, Reference(2012, m, d, 12).equationOfTime, 1.0) << m << "/" << d;
      if (e < lowest) lowest = e, lowestDay = dt.n;
      if (e > highest) highest = e, highestDay = dt.n;
    }
  // About -14.2 min around 11 February, +16.4 min around 3 November.
  EXPECT_NEAR(lowest * 60, -14.2, 0.4);
  EXPECT_NEAR(lowestDay, MakeDate(2012, 2, 11).n, 4);
  EXPECT_NEAR(highest * 60, 16.4, 0.4);
  EXPECT_NEAR(highestDay, MakeDate(2012, 11, 3).n, 4);
}

TEST(SolarTest, TrueSolarTime) {
  // At 120 E the true solar time is the standard time plus the equation of
  // time; elsewhere 4 minutes per degree are added.
  EXPECT_DOUBLE_EQ(TrueSolarTime("2012", "11", "3", "14", "120.00E"),
                   14 + EquationOfTime("2012", "11", "3", "14", "120.00E"));
  // At the ephemeris' solar noon (standard time of 120 E) the true solar time
  // is 12 to within the minute of the equation of time.
  for (const char* lon : {"116.28E", "87.37E", "126.38E", "0.00E", "77.02W"}) {
    double lambda = CoordinateToDegreesValue(lon, 'E', 'W');
    for (int m = 1; m <= 12; ++m) {
      Date dt = MakeDate(2012, m, 15);
      double noon = 12 - (lambda - 120) / 15 - Reference(2012, m, 15, 12 - lambda / 15).equationOfTime / 60;
      char hour[32];
      std::snprintf(hour, sizeof hour, "%.6f", noon);
      EXPECT_NEAR(TrueSolarTime(dt.y, dt.m, dt.d, hour, lon), 12, 1.0 / 60) << lon << " " << m;
    }
  }
}

TEST(SolarTest, SunriseSunsetMeanTime) {
  float rise = -1, set = -1, rise2 = -1, set2 = -1;
  // Latitude read by position: both forms are the same place.
  SunriseSunsetMeanTime("2012", "06", "21", "39.52N", "116.28E", rise, set);
  SunriseSunsetMeanTime("2012", "06", "21", "3952N", "116.28E", rise2, set2);
  EXPECT_EQ(rise, 4.55f);
  EXPECT_EQ(set, 19.5f);
  EXPECT_EQ(rise2, rise);
  EXPECT_EQ(set2, set);
  SunriseSunsetMeanTime("2012", "12", "25", "70.00N", "116.28E", rise, set);
  EXPECT_EQ(rise, 12);
  EXPECT_EQ(set, 12);
  SunriseSunsetMeanTime("2012", "06", "25", "70.00N", "116.28E", rise, set);
  EXPECT_EQ(rise, 0);
  EXPECT_EQ(set, 24);
  SunriseSunsetMeanTime("2012", "06", "25", "70.00S", "116.28E", rise, set);
  EXPECT_EQ(rise, 12);
  // The true solar times shifted by the equation of time, to the roundings.
  std::string r, s;
  for (int m = 1; m <= 12; ++m) {
    Date dt = MakeDate(2013, m, 10);
    SunriseSunsetMeanTime(dt.y, dt.m, dt.d, "33.33S", "151.12E", rise, set);
    SunriseSunset(dt.y, dt.m, dt.d, "33.33S", "151.12E", r, s);
    double e = EquationOfTime(dt.y, dt.m, dt.d, "0", "151.12E");
    EXPECT_NEAR(rise, std::atof(r.c_str()) - e, 0.011) << m;
    EXPECT_NEAR(set, std::atof(s.c_str()) - e, 0.011) << m;
  }
}

TEST(SolarTest, BadInput) {
  // Dates that do not exist are run-time errors of the caller.
  const char* bad[][3] = {{"2012", "02", "30"}, {"2011", "02", "29"}, {"2012", "13", "01"},
                          {"2012", "00", "01"}, {"abc", "01", "01"}, {"", "01", "01"},
                          {"2012", "1.5", "01"}, {"2012", "-1", "01"}, {"2012", "01", ""}};
  std::string r, s;
  float fr, fs;
  for (const auto& b : bad) {
    SCOPED_TRACE(std::string(b[0]) + "/" + b[1] + "/" + b[2]);
    auto expectMismatch = [](auto&& call) {
      try {
        call();
        ADD_FAILURE() << "no error";
      } catch (const Error& e) {
        EXPECT_EQ(e.number(), kErrTypeMismatch);
      }
    };
    expectMismatch([&] { DayLength(b[0], b[1], b[2], "39.52N", "116.28E"); });
    expectMismatch([&] { SunriseSunset(b[0], b[1], b[2], "39.52N", "116.28E", r, s); });
    expectMismatch([&] { EquationOfTime(b[0], b[1], b[2], "12", "116.28E"); });
    expectMismatch([&] { TrueSolarTime(b[0], b[1], b[2], "12", "116.28E"); });
    expectMismatch([&] { SunriseSunsetMeanTime(b[0], b[1], b[2], "39.52N", "116.28E", fr, fs); });
  }
  EXPECT_NO_THROW(DayLength("2012", "2", "29", "39.52N", "116.28E"));
  // A latitude beyond the pole has no day length: overflow of the rounding.
  try {
    DayLength("2012", "06", "21", "99.00N", "116.28E");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), kErrOverflow);
  }
}

TEST(SolarTest, FormatTwoDecimals) {
  struct Case {
    double x;
    const char* expected;
  };
  const Case cases[] = {{4.515, "4.52"},  {19.485, "19.49"}, {1.005, "1.01"},   {5.27, "5.27"},
                        {0, "0.00"},      {24, "24.00"},     {12.344999, "12.34"}, {0.004, "0.00"},
                        {0.005, "0.01"},  {-0.24, "-0.24"},  {-0.001, "0.00"},  {1e-300, "0.00"},
                        {99.995, "100.00"}, {123456789.125, "123456789.13"}};
  for (const Case& c : cases) EXPECT_EQ(FormatTwoDecimals(c.x), c.expected) << c.x;
  EXPECT_THROW(FormatTwoDecimals(NAN), Error);
}

}  // namespace
}  // namespace kelvane
