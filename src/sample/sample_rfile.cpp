#include "sample/sample_text.h"
#include "sample/sample_rfile.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>

#include "common/error.h"
#include "common/text.h"
#include "rfile/layout.h"
#include "rfile/sun_times.h"
#include "sample/sample_sysdir.h"

namespace kelvane::sample {

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kSampleSeed = 20120301;
constexpr double kPi = 3.14159265358979323846;

std::string Digits(long v, int width) {
  std::string s = std::to_string(v < 0 ? -v : v);
  if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), '0');
  return s;
}
// A signed group of the given width: "-016", "0123".
std::string Signed(long v, int width) { return v < 0 ? "-" + Digits(-v, width - 1) : Digits(v, width); }


// Deterministic draws for one station day.
struct Draw {
  uint64_t state;
  Draw(uint32_t seed, const std::string& station, int year, int month, int day) {
    state = seed * 0x9E3779B97F4A7C15ULL;
    for (char c : station) state = state * 131 + static_cast<unsigned char>(c);
    state ^= static_cast<uint64_t>(year * 10000 + month * 100 + day) * 0xBF58476D1CE4E5B9ULL;
  }
  double Next() {  // 0 <= x < 1 (splitmix64)
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) / 9007199254740992.0;
  }
};

// The month's value of a rule column of the sample rule set.
std::optional<double> Rule(int column, int month) {
  const std::string v = GetField(DefaultRadiationRule(column), ",", month);
  if (v.empty()) return std::nullopt;
  return LeadingNumber(v);
}

// Latitude in decimal degrees as the audit derives it from "dd.mmN".
double AuditLatitude(const std::string& lat) {
  const double deg = LeadingNumber(lat.substr(0, 2));
  const double minutes = LeadingNumber(lat.substr(3, 2));
  return deg + std::round(minutes / 60 * 100) / 100;
}

// The possible radiation the audit interpolates for a latitude (0.1 MJ/m²).
double Possible(int (*table)(int, int), double phi, int step, int month) {
  const double low = step * std::floor(phi / step);
  const double a = table(static_cast<int>(low), month);
  if (phi == low) return std::round(a);
  const double b = table(static_cast<int>(low) + step, month);
  return std::round(a + (b - a) / step * (phi - low));
}

// Daily extraterrestrial radiation on a horizontal surface, MJ/m².
double H0(double latitude, int dayOfYear) {
  const double delta = 23.45 * kPi / 180 * std::sin(2 * kPi * (284 + dayOfYear) / 365.0);
  const double e0 = 1 + 0.033 * std::cos(2 * kPi * dayOfYear / 365.0);
  const double phi = latitude * kPi / 180;
  const double x = std::clamp(-std::tan(phi) * std::tan(delta), -1.0, 1.0);
  const double ws = std::acos(x);
  const double h = 24 * 3600 / kPi * 1367 * e0 *
                   (std::cos(phi) * std::cos(delta) * std::sin(ws) + ws * std::sin(phi) * std::sin(delta));
  return std::max(0.0, h / 1e6);
}

int DayOfYear(int year, int month, int day) {
  int n = day;
  for (int m = 1; m < month; ++m) n += DaysInMonth(year, m);
  return n;
}

enum class Sky { Clear, Cloudy, Rainy };

// One day of all five elements, in file units (hourly and daily totals in
// 0.01 MJ/m², irradiance in W/m², times HHMM, sunshine in 0.1 h).
struct Day {
  std::array<bool, 25> daylight{};
  std::array<long, 25> g{}, n{}, d{}, s{}, r{};
  long gMax = 0, nMax = 0, nMin = 0, dMax = 0, sMax = 0, rMax = 0;
  std::string maxTime, minTime;
  long sunshine = 0;
  long Sum(const std::array<long, 25>& v) const {
    long t = 0;
    for (int j = 1; j <= 24; ++j) t += v[static_cast<size_t>(j)];
    return t;
  }
};

struct MonthModel {
  int year, month, days, cls;
  double latitude;
  double possibleGlobal;                 // 0.01 MJ/m², with the month factor
  std::optional<double> possibleDirect;  // 0.01 MJ/m²
  rfile::SunTimesTable sun;
};

long Irradiance(long hourly) { return std::lround(hourly * 10000.0 / 3600 * 1.08); }

// Shares of the day's total over the daylight hours: a sine arch between
// sunrise and sunset, integrated over the part of each hour in daylight.
std::array<double, 25> Profile(const rfile::SunDay& sun) {
  std::array<double, 25> w{};
  const double r = sun.riseHours, s = sun.setHours;
  for (int j = 1; j <= 24; ++j) {
    const double from = std::max<double>(j - 1, r), to = std::min<double>(j, s);
    if (to <= from) continue;
    constexpr int kSteps = 12;
    for (int k = 0; k < kSteps; ++k) {
      const double t = from + (to - from) * (k + 0.5) / kSteps;
      w[static_cast<size_t>(j)] += std::pow(std::sin(kPi * (t - r) / (s - r)), 1.3) * (to - from) / kSteps;
    }
  }
  return w;
}

Day MakeDay(const MonthModel& mm, int i, Sky sky, Draw& draw) {
  Day day;
  const rfile::SunDay sun = rfile::SunOfDay(mm.sun, i);
  for (int j = 1; j <= 24; ++j) day.daylight[static_cast<size_t>(j)] = sun.InDaylight(j);
  const int month = mm.month;

  // Global: a clear day 0.70 H0, within the possible radiation and the limits.
  double clear = 0.70 * H0(mm.latitude, DayOfYear(mm.year, month, i)) * 100;
  clear = std::min(clear, 0.96 * mm.possibleGlobal);
  if (auto u = Rule(3, month)) clear = std::min(clear, *u);
  const double factor = sky == Sky::Clear ? 0.92 + 0.08 * draw.Next()
                        : sky == Sky::Cloudy ? 0.5 + 0.15 * draw.Next()
                                             : 0.22 + 0.1 * draw.Next();
  const double target = clear * factor;
  const std::array<double, 25> w = Profile(sun);
  double wsum = 0;
  for (double x : w) wsum += x;
  const double hourCap = Rule(6, month).value_or(1e9);
  int peak = 12;
  for (int j = 1; j <= 24; ++j) {
    if (!day.daylight[static_cast<size_t>(j)] || wsum <= 0) continue;
    day.g[static_cast<size_t>(j)] = std::min<long>(std::lround(target * w[static_cast<size_t>(j)] / wsum),
                                                   static_cast<long>(hourCap));
    if (day.g[static_cast<size_t>(j)] > day.g[static_cast<size_t>(peak)]) peak = j;
  }
  const long gPeak = day.g[static_cast<size_t>(peak)];
  day.gMax = std::min<long>(Irradiance(gPeak), static_cast<long>(Rule(4, month).value_or(1600) + 50));
  day.maxTime = Digits(peak - 1, 2) + Digits(10 + static_cast<long>(draw.Next() * 40), 2);
  const double length = sun.DayLength();
  const double sunny = sky == Sky::Clear ? 0.8 + 0.1 * draw.Next()
                       : sky == Sky::Cloudy ? 0.3 + 0.2 * draw.Next()
                                            : 0.08 * draw.Next();
  day.sunshine = static_cast<long>(std::floor(length * sunny * 10));

  if (mm.cls < 3) {
    // Net: negative at night and in the hours of sunrise and sunset,
    // positive in the hours wholly in daylight.
    const double nightLoss = 3 + 2 * draw.Next();
    const double share = sky == Sky::Clear ? 0.5 : 0.6;
    for (int j = 1; j <= 24; ++j) {
      const size_t k = static_cast<size_t>(j);
      const bool whole = !(sun.rise > j - 1 || sun.set < j);
      const bool core = j > sun.rise + 3 && j < sun.set - 2;
      long v = -std::lround(nightLoss);
      if (whole) v = std::lround(share * day.g[k] - nightLoss);
      if (core) v = std::max<long>(v, 0);
      if (!whole) v = std::min<long>(v, 0);
      if (day.g[k] > 0 && v >= day.g[k]) v = day.g[k] - 2;
      day.n[k] = v;
    }
    if (auto u = Rule(9, month)) {
      // Keep the net total below its upper limit.
      while (day.Sum(day.n) > *u) {
        size_t top = 1;
        for (size_t k = 1; k <= 24; ++k) if (day.n[k] > day.n[top]) top = k;
        if (day.n[top] <= 0) break;
        --day.n[top];
      }
    }
    long nPeak = 0;
    for (size_t k = 1; k <= 24; ++k) nPeak = std::max(nPeak, day.n[k]);
    day.nMax = std::min<long>(Irradiance(std::max<long>(day.n[static_cast<size_t>(peak)], 0)), day.gMax - 20);
    if (day.n[static_cast<size_t>(peak)] <= 0) day.nMax = 0;
    day.nMin = -std::lround(nightLoss * 10000.0 / 3600 * 1.3);
    day.minTime = "02" + Digits(10 + static_cast<long>(draw.Next() * 40), 2);  // hour 2-3
  }

  if (mm.cls == 1) {
    const double diffuseShare = sky == Sky::Clear ? 0.22 : sky == Sky::Cloudy ? 0.55 : 0.85;
    const double albedo = 0.16 + 0.04 * draw.Next();
    const double hourCapD = Rule(20, month).value_or(1e9);
    const double hourCapS = std::min(Rule(28, month).value_or(1e9), 370.0);
    for (int j = 1; j <= 24; ++j) {
      const size_t k = static_cast<size_t>(j);
      if (!day.daylight[k]) continue;
      const long g = day.g[k];
      long d = std::min<long>(std::lround(g * diffuseShare), static_cast<long>(hourCapD));
      if (g > 0 && d >= g) d = g - 1;
      if (g == 0) d = 0;
      day.d[k] = d;
      const long horizontal = g - d;
      day.s[k] = std::min<long>(std::max<long>(horizontal, std::lround(horizontal * 1.4)),
                                static_cast<long>(hourCapS));
      day.s[k] = std::max(day.s[k], horizontal);
      day.r[k] = std::lround(g * albedo);
    }
    // The direct total within the possible direct radiation.
    if (mm.possibleDirect)
      for (size_t k = 1; k <= 24; ++k)
        while (day.Sum(day.s) > 0.97 * *mm.possibleDirect && day.s[k] > day.g[k] - day.d[k]) --day.s[k];
    long dPeak = 0, sPeak = 0, rPeak = 0;
    for (size_t k = 1; k <= 24; ++k) {
      dPeak = std::max(dPeak, day.d[k]);
      sPeak = std::max(sPeak, day.s[k]);
      rPeak = std::max(rPeak, day.r[k]);
    }
    day.dMax = std::min(Irradiance(dPeak), day.gMax);
    day.sMax = std::min<long>(Irradiance(sPeak), static_cast<long>(Rule(26, month).value_or(1300) + 50));
    day.rMax = std::min(Irradiance(rPeak), day.gMax);
  }
  return day;
}

// Hourly groups of a day: values in daylight, dots outside.
void AppendHours(std::string& line, const Day& day, const std::array<long, 25>& v, int width,
                 bool net) {
  for (int j = 1; j <= 24; ++j) {
    const size_t k = static_cast<size_t>(j);
    if (net)
      line += Signed(v[k], width);
    else if (day.daylight[k])
      line += Digits(v[k], width);
    else
      line += std::string(static_cast<size_t>(width), '.');
    line += ' ';
  }
}

std::vector<Sky> Skies(const SampleStation& st, int year, int month, int days, uint32_t seed) {
  std::vector<Sky> skies(static_cast<size_t>(days) + 1, Sky::Clear);
  for (int i = 1; i <= days; ++i) {
    Draw draw(seed ^ 0x5EED5u, st.StationNum, year, month, i);
    const double x = draw.Next();
    skies[static_cast<size_t>(i)] = x < 0.12 ? Sky::Rainy : x < 0.36 ? Sky::Cloudy : Sky::Clear;
  }
  return skies;
}

}  // namespace

std::string SampleRFileName(const SampleStation& station, int year, int month) {
  return "R" + station.StationNum + "-" + Digits(year, 4) + Digits(month, 2) + ".TXT";
}

std::vector<std::string> SampleRFileLines(const SampleStation& st, int year, int month,
                                          uint32_t seed) {
  const int cls = RadiationClassCode(st) - '0';
  MonthModel mm{year, month, DaysInMonth(year, month), cls, AuditLatitude(st.Latitude), 0, {}, {}};
  const double phi = mm.latitude;
  const double dailyFactor = (month == 12 || month == 1) ? 1.2 : (month >= 6 && month <= 8) ? 1.15 : 1.0;
  mm.possibleGlobal = Possible(PossibleGlobalRadiation, phi, 5, month) * 10 * dailyFactor;
  if (phi >= 10 && phi <= 70) mm.possibleDirect = Possible(PossibleDirectRadiation, phi, 10, month) * 10;
  const std::string& lat = st.Latitude;    // 39.48N
  const std::string& lon = st.Longitude;   // 116.28E
  rfile::BuildSunTimes(Digits(year, 4), Digits(month, 2), mm.days, lat, lon, mm.sun);

  std::vector<std::string> out;
  // Header.
  std::string elevation = st.FieldElevation;
  const bool estimated = !elevation.empty() && elevation.front() == '(';
  std::string scratch;
  const long tenths = std::lround(LeadingNumber(RemoveChars(elevation, "()", scratch)) * 10);
  const size_t dot = lon.find('.');
  const std::string lonText = Digits(LeadingInteger(lon.substr(0, dot)), 3) + lon.substr(dot + 1, 3);
  out.push_back(st.StationNum + " " + lat.substr(0, 2) + lat.substr(3, 3) + " " + lonText + " " +
                (estimated ? "1" : "0") + Digits(tenths, 5) + " Z" + std::to_string(cls) + " " +
                (st.qualityControl ? "1" : "0") + " " + Digits(year, 4) + " " + Digits(month, 2));

  // The days of the month, with a monthly check that the means stay
  // within the rule values: a month too dark loses its worst days.
  std::vector<Sky> skies = Skies(st, year, month, mm.days, seed);
  std::vector<Day> days;
  for (int attempt = 0; attempt < 64; ++attempt) {
    days.assign(1, Day{});
    for (int i = 1; i <= mm.days; ++i) {
      Draw draw(seed, st.StationNum, year, month, i);
      days.push_back(MakeDay(mm, i, skies[static_cast<size_t>(i)], draw));
    }
    auto mean = [&](auto total) {
      double sum = 0;
      for (int i = 1; i <= mm.days; ++i) sum += total(days[static_cast<size_t>(i)]);
      return std::round(sum / mm.days);
    };
    const double g = mean([](const Day& d) { return d.Sum(d.g); });
    bool dark = Rule(2, month) && g < *Rule(2, month) * 0.95;
    if (cls == 1) {
      dark = dark || (Rule(18, month) && mean([](const Day& d) { return d.Sum(d.d); }) < *Rule(18, month) * 0.95);
      dark = dark || (Rule(24, month) && mean([](const Day& d) { return d.Sum(d.s); }) < *Rule(24, month) * 0.95);
      dark = dark || (Rule(34, month) && mean([](const Day& d) { return d.Sum(d.r); }) < *Rule(34, month) * 0.95);
    }
    if (!dark) break;
    bool changed = false;
    for (int i = 1; i <= mm.days && !changed; ++i)
      if (skies[static_cast<size_t>(i)] == Sky::Rainy) skies[static_cast<size_t>(i)] = Sky::Cloudy, changed = true;
    for (int i = 1; i <= mm.days && !changed; ++i)
      if (skies[static_cast<size_t>(i)] == Sky::Cloudy) skies[static_cast<size_t>(i)] = Sky::Clear, changed = true;
    if (!changed) break;
  }

  // Data part.
  const auto endOf = [&](int i) { return i == mm.days ? "=" : ""; };
  if (cls < 3) {
    out.push_back("Z");
    std::string z;
    for (int i = 1; i <= mm.days; ++i) z += i == 1 ? "0" : " 0";
    out.push_back(z + "=");
  }
  out.push_back("Q");
  for (int i = 1; i <= mm.days; ++i) {
    const Day& d = days[static_cast<size_t>(i)];
    std::string line;
    AppendHours(line, d, d.g, 3, false);
    line += Digits(d.Sum(d.g), 4) + " " + Digits(d.gMax, 4) + " " + d.maxTime + " " + Digits(d.sunshine, 3);
    out.push_back(line + endOf(i));
  }
  if (cls < 3) {
    out.push_back("N");
    for (int i = 1; i <= mm.days; ++i) {
      const Day& d = days[static_cast<size_t>(i)];
      std::string line;
      AppendHours(line, d, d.n, 4, true);
      line += Signed(d.Sum(d.n), 5) + " " + Signed(d.nMax, 5) + " " + d.maxTime + " " +
              Signed(d.nMin, 4) + " " + d.minTime;
      out.push_back(line + endOf(i));
    }
  }
  if (cls == 1) {
    out.push_back("D");
    for (int i = 1; i <= mm.days; ++i) {
      const Day& d = days[static_cast<size_t>(i)];
      std::string line;
      AppendHours(line, d, d.d, 3, false);
      line += Digits(d.Sum(d.d), 4) + " " + Digits(d.dMax, 4) + " " + d.maxTime;
      out.push_back(line + endOf(i));
    }
    out.push_back("S");
    for (int i = 1; i <= mm.days; ++i) {
      const Day& d = days[static_cast<size_t>(i)];
      std::string line;
      AppendHours(line, d, d.s, 3, false);
      line += Digits(d.Sum(d.s), 4) + " " + Digits(d.sMax, 4) + " " + d.maxTime + " " +
              Digits(d.Sum(d.g) - d.Sum(d.d), 4);
      out.push_back(line + endOf(i));
    }
    out.push_back("R");
    for (int i = 1; i <= mm.days; ++i) {
      const Day& d = days[static_cast<size_t>(i)];
      std::string line;
      AppendHours(line, d, d.r, 3, false);
      const long g = d.Sum(d.g), r = d.Sum(d.r);
      const long albedo = g > 0 ? std::lround(static_cast<double>(r) / g * 100) : 0;
      line += Digits(r, 4) + " " + Digits(albedo, 2) + " " + Digits(d.rMax, 4) + " " + d.maxTime;
      for (int k = 29; k <= 34; ++k) line += " ////";
      out.push_back(line + endOf(i));
    }
  }
  out.push_back("??????");

  // Quality-control part: every value checked and found right.
  if (st.qualityControl) {
    for (char letter : rfile::ClassSegments(cls)) {
      const rfile::RSegment& seg = *rfile::FindRSegment(letter);
      out.push_back(std::string(seg.qcCode));
      if (letter == 'Z') {
        std::string z;
        for (int i = 1; i <= mm.days; ++i) z += i == 1 ? "0" : " 0";
        out.push_back(z + "=");
        continue;
      }
      std::string codes;
      for (int j = 1; j <= seg.groups; ++j) codes += j == 1 ? "000" : " 000";
      for (int i = 1; i <= mm.days; ++i) out.push_back(codes + endOf(i));
    }
  }
  out.push_back("******");

  // Cover.
  out.push_back("FM");
  out.push_back(st.StationNum);
  out.push_back(st.province);
  out.push_back(st.StationName);
  out.push_back(st.address);
  out.push_back(st.environment);
  auto height = [](const std::string& h) { return Digits(std::lround(LeadingNumber(h) * 10), 3); };
  if (cls == 1) {
    out.push_back(height(st.GPyranometerH) + " " + height(st.DPyranometerH) + " " + height(st.SPyranometerH));
    out.push_back(height(st.NPyranometerH) + " " + height(st.RPyranometerH));
  } else if (cls == 2) {
    out.push_back(height(st.GPyranometerH));
    out.push_back(height(st.NPyranometerH));
  } else {
    out.push_back(height(st.GPyranometerH));
  }
  for (const char* name : {"张明", "李华", "王芳", "赵强", "刘洋", "陈静"}) out.push_back(name);
  const int sendYear = month == 12 ? year + 1 : year, sendMonth = month == 12 ? 1 : month + 1;
  out.push_back(Digits(sendYear, 4) + Digits(sendMonth, 2) + "05=");

  // Instruments, calibrated in the same month of the year before.
  out.push_back("YX");
  const std::string calibrated = Digits(year - 1, 4) + Digits(month, 2) + "06";
  const std::string started = Digits(year - 1, 4) + Digits(month, 2) + "13";
  for (const rfile::RInstrument& kind : rfile::kRInstruments) {
    if (!rfile::ClassHasInstrument(cls, kind)) continue;
    out.push_back(std::string(kind.code));
    const std::string serial = Digits(100231 + (kind.segment - 'A') * 1013, 6);
    if (kind.groups == 4)
      out.push_back("DR-2 " + serial + " " + calibrated + " " + started + "=");
    else if (kind.groups == 8)
      out.push_back("FN-1 " + serial + " 0985 1012 25 0095 " + calibrated + " " + started + "=");
    else
      out.push_back("R" + std::string(1, kind.segment) + "-1 " + serial + " 1023 30 0110 " + calibrated +
                    " " + started + "=");
  }
  out.push_back("CZ");
  out.push_back("01/观测场周围无变化=");
  out.push_back("BZ");
  out.push_back("01/本月仪器运行正常=");
  return out;
}

std::string WriteSampleRFile(const SampleStation& station, int year, int month, uint32_t seed,
                             const std::string& dir) {
  return WriteLines(SampleRFileLines(station, year, month, seed), dir,
                    SampleRFileName(station, year, month));
}

std::vector<std::string> WriteSampleRFiles(const std::string& dir) {
  const std::string data = (fs::path(dir) / "data").string();
  std::vector<std::string> written;
  for (const SampleStation& s : SampleStations()) {
    if (RadiationClassCode(s) == '0') continue;
    for (int month : {2, 3}) written.push_back(WriteSampleRFile(s, 2012, month, kSampleSeed, data));
  }
  return written;
}

}  // namespace kelvane::sample
