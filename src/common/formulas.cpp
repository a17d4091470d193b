#include "common/formulas.h"

#include <cmath>
#include <cstring>
#include <cstdint>
#include <array>
#include <cstdlib>

#include "common/text.h"

namespace kelvane {

// ---------------------------------------------------------------------------
// Psychrometric formulas

namespace {

// θ = T0 / T with the temperature in kelvin.
double GoffTheta(float t) { return 273.16 / (static_cast<double>(t) + 273.15); }

// Psychrometer coefficient A (in 1e-8 per tenth of hPa and °C) of a
// ventilation code, for a wet or an iced bulb.
float PsychrometerCoefficient(std::string_view vent, bool iced) {
  if (vent == "2.5") return iced ? 5840.0f : 6620.0f;
  if (vent == "3.5") return iced ? 5880.0f : 6670.0f;
  if (vent == "0.4" || vent == "4" || vent == "04") return iced ? 7190.0f : 8150.0f;
  return 7947.0f;
}

std::string WithoutChar(std::string_view text, char c) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text)
    if (ch != c) out += ch;
  return out;
}

// A whole number with at least two digits, "-" in front when negative.
std::string TwoDigits(int32_t v) {
  const int64_t a = std::llabs(static_cast<int64_t>(v));
  std::string digits = std::to_string(a);
  if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
  return v < 0 ? "-" + digits : digits;
}

// Dew point (°C, single precision) of a vapour pressure e > 0.001 hPa: a
// first estimate from the Magnus form, then steps of 0.1 °C towards the
// temperature whose saturation pressure over water is closest to e.
float DewPoint(double e) {
  const double x = std::log10(e / 6.1078);
  float td = static_cast<float>(std::floor(x * 2439.2 / (7.69 - x) + 0.5) / 10.0);
  double e0 = SatVapourWater(td);
  // Each step strictly improves |e - E|; the bound only guards the loop.
  for (int step = 0; step < 100000; ++step) {
    const double d = std::fabs(e - e0);
    const double sign = e > e0 ? 1.0 : (e < e0 ? -1.0 : 0.0);
    const float next = static_cast<float>(static_cast<double>(td) + 0.1 * sign);
    const double e1 = SatVapourWater(next);
    if (!(std::fabs(e - e1) < d && next <= 46.0f)) break;
    td = next;
    e0 = e1;
  }
  return td;
}

}  // namespace

namespace {

double SatVapourWaterComputed(float t) {
  const double th = GoffTheta(t);
  const double lg = 5.028 * std::log10(th) - 10.79574 * th + 11.58145127 +
                    0.000150475 * (1.0 - std::pow(10.0, 8.2969 * (1.0 - 1.0 / th))) +
                    0.00042873 * std::pow(10.0, 4.76955 * (1.0 - th));
  return std::pow(10.0, lg);
}

}  // namespace

double SatVapourWater(float t) {
  // A function of the temperature alone, asked for the same few hundred
  // temperatures (tenths of a degree) again and again by the humidity
  // audits and the dew-point search: each thread keeps the last values.
  struct Entry {
    uint32_t bits;
    bool used;
    double value;
  };
  thread_local std::array<Entry, 1024> cache{};
  uint32_t bits = 0;
  std::memcpy(&bits, &t, sizeof bits);
  Entry& e = cache[(bits * 2654435761u) >> 22];
  if (e.used && e.bits == bits) return e.value;
  const double value = SatVapourWaterComputed(t);
  e = Entry{bits, true, value};
  return value;
}

double SatVapourIce(float t) {
  const double th = GoffTheta(t);
  const double lg = 10.75981 - 9.09685 * th - 3.56654 * std::log10(th) - 0.87682 / th;
  return std::pow(10.0, lg);
}

void HumidityFromPsychrometer(std::string_view dry, std::string_view wet, std::string_view p,
                              std::string_view vent, std::string& e, std::string& u,
                              std::string& td, double pDefault, double c0, double c1, double c2,
                              double c3) {
  const float t = static_cast<float>(LeadingNumber(dry) / 10.0);
  const float tw = static_cast<float>(LeadingNumber(wet) / 10.0);
  const double pressure = (p == "-" || p.empty()) ? pDefault * 10.0 : LeadingNumber(p);

  double vapour = 0.0;
  double rh = 0.0;
  const bool hygrometer = wet.find('F') != std::string_view::npos;
  const bool direct = wet.find('U') != std::string_view::npos;
  if (!hygrometer && !direct) {
    const bool iced = tw <= 0.0f && wet.find('B') != std::string_view::npos;
    const float a = PsychrometerCoefficient(vent, iced);
    const double ew = iced ? SatVapourIce(tw) : SatVapourWater(tw);
    vapour = ew - a / 1e8 * pressure * (static_cast<double>(t) - static_cast<double>(tw));
    rh = vapour * 100.0 / SatVapourWater(t);
  } else {
    if (hygrometer) {
      const double h = LeadingNumber(wet);
      rh = RoundHalfAway(c0 + c1 * h + c2 * h * h + c3 * h * h * h);
      if (rh < 0) rh = 0;
      if (rh > 100) rh = 100;
    } else {
      rh = LeadingNumber(WithoutChar(wet, 'U'));
    }
    vapour = rh * SatVapourWater(t) / 100.0;
  }

  float dew = 0.0f;
  if (rh >= 100.0) {
    dew = t;
    vapour = SatVapourWater(t);
    rh = 100.0;
  } else if (vapour <= 0.001) {
    vapour = 0.0;
    rh = 0.0;
    dew = -80.0f;
  } else {
    dew = DewPoint(vapour);
  }

  u = std::to_string(RoundHalfAway(rh));
  e = TwoDigits(RoundHalfAway(vapour * 10.0));
  td = TwoDigits(RoundHalfAway(static_cast<double>(dew) * 10.0));
}

}  // namespace kelvane
