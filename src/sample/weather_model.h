// Building blocks of the sample weather model (sample_weather.h) shared by
// its two halves: the element series (sample_weather.cpp) and the weather
// phenomena with their text (sample_phenomena.cpp). Internal to the sample
// writers.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "common/text.h"
#include "sample/sample_weather.h"

namespace kelvane::sample::detail {

inline constexpr double kPi = 3.14159265358979;
inline constexpr int kPad = 8;  // calendar days kept around the month

// Deterministic random numbers: a splitmix64 generator per purpose, and
// hashed values for noise that must not depend on the order of evaluation.
class Rng {
 public:
  explicit Rng(uint64_t s) : s_(s) {}
  uint64_t Next() {
    uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
  double Normal() {
    const double u1 = std::max(Uniform(), 1e-12);
    const double u2 = Uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * kPi * u2);
  }

 private:
  uint64_t s_;
};

inline uint64_t Mix(uint64_t a, uint64_t b) {
  return Rng(a * 0x100000001B3ull ^ (b + 0x632BE59BD9B4E019ull)).Next();
}

// Phenomena draw from a stream of their own, so that the weather they are
// added to stays the same.
enum Stream : uint64_t { kStreamDays = 1, kStreamEvents, kStreamNoise, kStreamMisc, kStreamPhenomena };

inline uint64_t StreamSeed(uint32_t seed, const SampleStation& st, int year, int month, Stream s) {
  uint64_t h = Mix(seed, s);
  for (char c : st.StationNum) h = Mix(h, static_cast<unsigned char>(c));
  return Mix(Mix(h, static_cast<uint64_t>(year)), static_cast<uint64_t>(month));
}

// Uniform value in [-1, 1] for an integer key.
inline double HashSigned(uint64_t base, int64_t key) {
  return static_cast<double>(Mix(base, static_cast<uint64_t>(key)) >> 11) * 0x1.0p-52 - 1.0;
}

inline int DayOfYear(int year, int month) {
  int n = 1;
  for (int m = 1; m < month; ++m) n += DaysInMonth(year, m);
  return n;
}

// Seasonal phase: 1 in mid-January, -1 in mid-July.
inline double Winterness(double doy) { return std::cos(2.0 * kPi * (doy - 15.0) / 365.25); }

struct Climate {
  double meanT, depression, slp, summer, dtr, wind, windDir, precipChance, precipMean;
  double dewCeiling;  // the dew point hardly ever rises above this, °C
};

// The climate of a day of the year at an elevation (metres).
inline Climate ClimateOf(double doy, double elevation) {
  const double w = Winterness(doy);
  Climate c;
  c.meanT = 12.5 - 0.0055 * elevation - 14.5 * w;
  c.depression = 6.5 + 2.5 * w;
  c.slp = 1013.5 + 10.5 * w;
  c.summer = (1.0 - w) / 2.0;
  c.dtr = 10.5 + 2.5 * std::sin(2.0 * kPi * (doy - 15.0 - 45.0) / 365.25);
  c.wind = 2.4 + 0.8 * std::max(0.0, std::sin(2.0 * kPi * (doy - 15.0) / 365.25));
  c.windDir = c.summer * 180.0 + (1.0 - c.summer) * 330.0;
  c.precipChance = 0.18 + 0.5 * c.summer;
  c.precipMean = 1.8 + 9.0 * c.summer;
  // Lags the temperature by a fortnight: about -2 °C at the end of January,
  // 27 °C at the end of July.
  c.dewCeiling = 12.5 - 14.5 * std::cos(2.0 * kPi * (doy - 30.0) / 365.25);
  return c;
}

using DayParams = SampleDayParams;

}  // namespace kelvane::sample::detail
