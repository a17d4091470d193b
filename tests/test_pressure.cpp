// Sea-level pressure reduction and the elevation text it reads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/error.h"
#include "common/pressure.h"

namespace kelvane {
namespace {

TEST(PressureTest, StripParentheses) {
  struct Case {
    const char *text, *expected;
  };
  const Case cases[] = {{"(35.2)", "35.2"}, {"35.2", "35.2"}, {"(35.2", "35."}, {"()", ""},
                        {"(", ""},          {"", ""},         {"x(1)", "x(1)"}, {"(12）", "12"}};
  for (const Case& c : cases) EXPECT_EQ(StripParentheses(c.text), c.expected) << c.text;
}

TEST(PressureTest, SeaLevelPressureCases) {
  struct Case {
    const char *p, *t, *t12, *h, *expected;
  };
  const Case cases[] = {
      {"10132", "150", "-", "1000", "-"},  // no temperature 12 hours earlier
      {"10132", "150", "", "1000", "-"},
      {"10132", "150", "120", "0", "10132"},  // a station at sea level
      {"10132", "-250", "300", "(0)", "10132"},
      {"9000", "100", "100", "1000", "10144"},
      {"9000", "100", "100", "(1000)", "10144"},  // elevation in parentheses
      {"9000", "100", "100", "1000.0", "10144"},
      // International standard atmosphere at 1000 m (898.7 hPa, 8.5 degC)
      // reduces to about its 1013.25 hPa.
      {"8987", "85", "85", "1000", "10136"},
      // Elevation and mean column temperature held in single precision (in
      // double these give 6986 and 9196).
      {"6925", "194", "169", "75.4", "6987"},
      {"8923", "-118", "-143", "229.4", "9195"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SeaLevelPressure(c.p, c.t, c.t12, c.h), c.expected) << c.p << " " << c.t << " " << c.h;
  EXPECT_THROW(SeaLevelPressure("99999999999", "100", "100", "1000"), Error);
}

TEST(PressureTest, AgreesWithHypsometricFormula) {
  // The hypsometric equation p0 = p exp(g H / (Rd Tm)) with the same mean
  // column temperature Tm. The reduction here uses 18400 m and 273 K where
  // the physical constants give Rd 273.15 K / (g log10 e) = 18410 m and
  // 273.15 K, which changes the exponent by under 0.06 %, about 0.08 % of the
  // reduction at 3000 m. Allowed: half a tenth of rounding plus 0.15 % of the
  // reduction.
  const double g = 9.80665, rd = 287.05;
  for (double h : {10.0, 100.0, 500.0, 1000.0, 1500.0, 3000.0})
    for (int t : {-200, 0, 150, 300})
      for (int p : {10000, 9000, 8000, 7000}) {
        char hs[16], ts[16], t12s[16], ps[16];
        std::snprintf(hs, sizeof hs, "%g", h);
        std::snprintf(ts, sizeof ts, "%d", t);
        std::snprintf(t12s, sizeof t12s, "%d", t - 40);
        std::snprintf(ps, sizeof ps, "%d", p);
        double tm = (t + t - 40) / 20.0 + h / 400;
        double expected = p * std::exp(g * h / (rd * (tm + 273.15)));
        double got = std::atof(SeaLevelPressure(ps, ts, t12s, hs).c_str());
        EXPECT_NEAR(got, expected, 0.5 + 0.0015 * (expected - p)) << "p " << p << " t " << t << " h " << h;
      }
}

}  // namespace
}  // namespace kelvane
