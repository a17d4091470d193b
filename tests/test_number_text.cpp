// The number texts are written with std::to_chars; their contract is the
// text printf writes ("%.*g" read back by strtod, "%.14e" then "%.*f" for two
// decimals, "%.15g" for a real taken through its text). These tests hold the
// fast writers to printf over the values station data produce and the edges
// of the formats.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/solar.h"
#include "common/text.h"
#include "rfile/sun_times.h"

namespace kelvane {
namespace {

std::string PrintfShortest(double x) {
  if (x == 0) return "0";
  char buf[64];
  for (int prec = 1; prec <= 17; ++prec) {
    std::snprintf(buf, sizeof buf, "%.*g", prec, x);
    if (std::strtod(buf, nullptr) == x) break;
  }
  std::string s(buf);
  if (s.find('e') != std::string::npos && std::fabs(x) < 1e15 && std::fabs(x) >= 1e-6) {
    std::snprintf(buf, sizeof buf, "%.10f", x);
    s = buf;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  return s;
}

std::string PrintfTwoDecimals(double x) {
  double a = std::fabs(x);
  char buf[400];
  if (a >= 1e15) {
    std::snprintf(buf, sizeof buf, "%.2f", x);
    return buf;
  }
  long long hundredths = 0;
  std::snprintf(buf, sizeof buf, "%.14e", a);
  int exponent = std::atoi(std::strchr(buf, 'e') + 1);
  if (exponent >= -3) {
    int decimals = std::max(0, 14 - exponent);
    std::snprintf(buf, sizeof buf, "%.*f", decimals, a);
    const char* p = buf;
    long long whole = 0;
    while (*p >= '0' && *p <= '9') whole = whole * 10 + (*p++ - '0');
    int digit[3] = {0, 0, 0};
    if (*p == '.') {
      ++p;
      for (int i = 0; i < 3 && *p >= '0' && *p <= '9'; ++i) digit[i] = *p++ - '0';
    }
    hundredths = whole * 100 + digit[0] * 10 + digit[1] + (digit[2] >= 5 ? 1 : 0);
  }
  std::snprintf(buf, sizeof buf, "%s%lld.%02lld", x < 0 && hundredths != 0 ? "-" : "",
                hundredths / 100, hundredths % 100);
  return buf;
}

double PrintfFifteenDigits(double x) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", x);
  return std::strtod(buf, nullptr);
}

// Edges of the formats and values of the kind the audits write: hours with
// two decimals and their halves, tenths, sums that land next to a tie, powers
// of ten at the switch to exponent notation, denormals and the largest values.
std::vector<double> EdgeValues() {
  std::vector<double> v = {0.0,    -0.0,    0.005,   0.015,   0.125,   0.625,    1.005,
                           2.675,  6.925,   12.345,  14.95,   23.995,  24.0,     99.995,
                           0.1 + 0.2, 0.6 * 3,  1.0 / 3, 2.0 / 3,  1e-7,    1e-6,     9.99999e-5,
                           1e-4,   0.001,   0.0015,  1e14,    9.99999999999999e14, 1e15, 1e16,
                           123456789.125, 4.9e-324, 2.2250738585072014e-308, 1.7976931348623157e308,
                           5e-3,   0.045,   1e21,    1e22,    -3.14159, -12.5,   -0.004};
  for (int k = -2000; k <= 2000; ++k) v.push_back(k / 100.0);
  for (int k = 0; k <= 2400; ++k) v.push_back(k * 0.005);
  return v;
}

std::vector<double> RandomValues() {
  std::mt19937_64 rng(20261208);
  std::vector<double> v;
  std::uniform_real_distribution<double> hours(-1, 25);
  std::uniform_int_distribution<int> exponent(-12, 20);
  std::uniform_real_distribution<double> mantissa(1, 10);
  for (int i = 0; i < 20000; ++i) v.push_back(hours(rng));
  for (int i = 0; i < 20000; ++i) {
    const double x = mantissa(rng) * std::pow(10.0, exponent(rng));
    v.push_back(i % 2 ? -x : x);
  }
  // Values of up to seven significant digits, as a day length is read back
  // from its text, and the hours of sunrise and sunset computed from them.
  std::uniform_int_distribution<int> digits(0, 2400000);
  for (int i = 0; i < 20000; ++i) {
    const double length = digits(rng) / 100000.0;
    v.push_back(12 - length / 2);
    v.push_back(12 + length / 2);
  }
  return v;
}

TEST(NumberTextTest, WritersMatchPrintf) {
  struct Source {
    const char* name;
    std::vector<double> values;
  };
  const Source sources[] = {{"edge values", EdgeValues()}, {"random values", RandomValues()}};
  for (const Source& s : sources) {
    int mismatches = 0;
    for (double x : s.values) {
      const std::string shortest = FormatNumber(x);
      const std::string two = FormatTwoDecimals(x);
      const double through = ThroughFifteenDigits(x);
      const bool same = shortest == PrintfShortest(x) && two == PrintfTwoDecimals(x) &&
                        (through == PrintfFifteenDigits(x) ||
                         (std::isnan(through) && std::isnan(PrintfFifteenDigits(x))));
      if (!same && ++mismatches <= 5)
        ADD_FAILURE() << s.name << ": " << std::hexfloat << x << std::defaultfloat << " gives "
                      << shortest << " / " << two << " / " << through << ", printf "
                      << PrintfShortest(x) << " / " << PrintfTwoDecimals(x) << " / "
                      << PrintfFifteenDigits(x);
    }
    EXPECT_EQ(mismatches, 0) << s.name;
  }
}

TEST(NumberTextTest, HundredthsAreTheShortestText) {
  for (long k = -300000; k <= 300000; ++k)
    ASSERT_EQ(rfile::HundredthsText(k), FormatNumber(static_cast<double>(k) / 100)) << k;
  for (long k : {999999999L, -999999999L, 1000000000L, 123456789012L, -4000000000000L})
    EXPECT_EQ(rfile::HundredthsText(k), FormatNumber(static_cast<double>(k) / 100)) << k;
}

TEST(NumberTextTest, NotFiniteValues) {
  EXPECT_EQ(FormatNumber(INFINITY), PrintfShortest(INFINITY));
  EXPECT_EQ(FormatNumber(-INFINITY), PrintfShortest(-INFINITY));
  EXPECT_TRUE(std::isnan(ThroughFifteenDigits(NAN)));
  EXPECT_EQ(ThroughFifteenDigits(INFINITY), INFINITY);
}

TEST(NumberTextTest, CoordinatesKeepFourFractionDigits) {
  // Minutes become ten-thousandths of a degree with at least four digits.
  const struct {
    const char* coordinate;
    char positive, negative;
    const char* degrees;
  } cases[] = {{"39.57N", 'N', 'S', "39.9500"},   {"116.05E", 'E', 'W', "116.0833"},
               {"0.00N", 'N', 'S', "0.0000"},     {"33.30S", 'N', 'S', "-33.5000"},
               {"12.01W", 'E', 'W', "-12.0167"},  {"45.599N", 'N', 'S', "45.99833"}};
  for (const auto& c : cases)
    EXPECT_EQ(CoordinateToDegrees(c.coordinate, c.positive, c.negative), c.degrees) << c.coordinate;
}

}  // namespace
}  // namespace kelvane
