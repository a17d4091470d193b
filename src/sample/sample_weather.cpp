// The sample weather model: the days and their precipitation, the hourly
// nodes and minute series of the elements, soil, sunshine and the daily
// values. The phenomena and their text: sample_phenomena.cpp.
#include "sample/sample_weather.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/formulas.h"
#include "common/solar.h"
#include "common/text.h"
#include "sample/weather_model.h"

namespace kelvane::sample {

using namespace detail;

namespace {

constexpr int kNodesBefore = 120;   // hourly nodes before 20:00 of day 0
constexpr int kNodesAfter = 48;
constexpr int kDepths[8] = {5, 10, 15, 20, 40, 80, 160, 320};

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// ---------------------------------------------------------------------------
// A calendar day as the solar formulas take it: year, month and day texts,
// plus the year and day number (0 on 1 January) for the declination. Day k
// of the month may lie before or after it (k <= 0, k > days).

struct CalendarDay {
  int year = 0;
  int dayNumber = 0;
  std::string yearText, monthText, dayText;
};

CalendarDay CalendarDayOf(int year, int month, int k) {
  while (k < 1) {
    if (--month < 1) month = 12, --year;
    k += DaysInMonth(year, month);
  }
  while (k > DaysInMonth(year, month)) {
    k -= DaysInMonth(year, month);
    if (++month > 12) month = 1, ++year;
  }
  CalendarDay c;
  c.year = year;
  c.dayNumber = DayOfYear(year, month) - 1 + k - 1;
  c.yearText = std::to_string(year);
  c.monthText = std::to_string(month);
  c.dayText = std::to_string(k);
  return c;
}

// Sunrise or sunset in local mean time as hhmm, from its true solar time
// "h.hh": the equation of time at that moment is taken off, the result kept
// to two decimals, and the hundredths of an hour become minutes.
int LocalMeanClock(const CalendarDay& c, const std::string& trueSolar,
                   const std::string& longitude) {
  const std::string mean = FormatTwoDecimals(
      LeadingNumber(trueSolar) -
      EquationOfTime(c.yearText, c.monthText, c.dayText, trueSolar, longitude));
  const int64_t hours = LeadingInteger(GetFieldView(mean, ".", 1));
  const int64_t hundredths = LeadingInteger(GetFieldView(mean, ".", 2));
  return static_cast<int>(hours) * 100 + RoundHalfAway(hundredths * 60 / 100.0);
}

// Dew point of air at t (°C) with relative humidity rh (0..1), and the
// temperature at which dew point td means that humidity (Magnus formula).
constexpr double kMagnusA = 17.27, kMagnusB = 237.7;
double DewPointOf(double t, double rh) {
  const double g = std::log(rh) + kMagnusA * t / (kMagnusB + t);
  return kMagnusB * g / (kMagnusA - g);
}
double TemperatureOf(double td, double rh) {
  const double g = kMagnusA * td / (kMagnusB + td) - std::log(rh);
  return kMagnusB * g / (kMagnusA - g);
}

// Shape of the daily temperature wave at clock hour t: -1 at 06:30, +1 at 14:30.
double DiurnalShape(double t) {
  if (t < 6.5) t += 24.0;
  if (t <= 14.5) return -std::cos(kPi * (t - 6.5) / 8.0);
  return std::cos(kPi * (t - 14.5) / 16.0);
}

double Clamp(double x, double lo, double hi) { return std::min(hi, std::max(lo, x)); }

// Elevation in metres from a station-table text ("31.3", "(55.0)").
double Elevation(const std::string& text) {
  std::string_view t = text;
  if (!t.empty() && t.front() == '(') t.remove_prefix(1);
  return LeadingNumber(t);
}

// Adds `total` tenths of mm falling in the minutes after `from` up to `to`
// with a triangular intensity, summed per hour; the hourly tenths keep the
// rounded total (largest remainders first).
void Distribute(SamplePrecipitation& p, int from, int to, int total) {
  double weight[25] = {};
  double sum = 0;
  const double mid = (from + to) / 2.0, half = (to - from) / 2.0;
  for (int m = from + 1; m <= to; ++m) {
    const double w = 1.0 - std::fabs(m - 0.5 - mid) / half * 0.8;
    weight[(m - 1) / 60 + 1] += w;
    sum += w;
  }
  int given = 0;
  double rest[25] = {};
  int share[25] = {};
  for (int h = 1; h <= 24; ++h) {
    const double exact = total * weight[h] / sum;
    share[h] = static_cast<int>(std::floor(exact));
    rest[h] = exact - std::floor(exact);
    given += share[h];
  }
  for (; given < total; ++given) {
    int best = 1;
    for (int h = 2; h <= 24; ++h)
      if (rest[h] > rest[best]) best = h;
    ++share[best];
    rest[best] = -1.0;
  }
  for (int h = 1; h <= 24; ++h) p.hourly[static_cast<size_t>(h)] += share[h];
}

void SetTraces(SamplePrecipitation& p) {
  p.trace20to8 = p.start < 720 && p.Amount20to8() == 0;
  p.trace8to20 = p.end > 720 && p.Amount8to20() == 0;
}

// Calendar-day parameters (index k + kPad) and the precipitation events of
// the observation days 1..days. Everything the cross-month precipitation
// line of the next month needs comes from here.
void GenerateDays(const SampleStation& st, int year, int month, uint32_t seed,
                  std::vector<DayParams>& params, std::vector<SamplePrecipitation>& precip) {
  const int days = DaysInMonth(year, month);
  const double elevation = Elevation(st.FieldElevation);
  const int doy0 = DayOfYear(year, month);
  Rng rng(StreamSeed(seed, st, year, month, kStreamDays));
  params.assign(static_cast<size_t>(days + 2 * kPad + 1), {});
  double anomaly = 1.5 * rng.Normal(), cloud = rng.Uniform(), slp = 4.0 * rng.Normal();
  for (int k = -kPad; k <= days + kPad; ++k) {
    const Climate c = ClimateOf(doy0 + k - 1, elevation);
    anomaly = 0.7 * anomaly + 2.0 * rng.Normal();
    cloud = Clamp(0.45 * cloud + 0.55 * rng.Uniform() + 0.1 * rng.Normal(), 0.0, 1.0);
    // Day-to-day change of the sea-level anomaly held to 8 hPa: with the
    // anomaly interpolated between noons that is at most 2 hPa in the six
    // hours between fixed times, so a manual station's daily extremes stay
    // within the audit's 5 hPa of its fixed-hour extremes.
    slp = Clamp(0.75 * slp + 3.5 * rng.Normal(), slp - 8.0, slp + 8.0);
    DayParams& p = params[static_cast<size_t>(k + kPad)];
    p.cloud = cloud;
    p.meanT = c.meanT + anomaly - 1.0 * cloud;
    p.range = std::max(2.5, c.dtr * (1.0 - 0.65 * cloud) + 1.0 * rng.Normal());
    p.depression = std::max(1.8, (c.depression + 2.0 * rng.Normal()) * (1.0 - 0.45 * cloud));
    p.slpAnomaly = slp;
    p.lowShare = rng.Uniform(0.2, 0.95);
    p.wind = Clamp(c.wind + 1.0 * rng.Normal(), 1.0, 6.5);
    p.windDir = c.windDir + 55.0 * rng.Normal();
    p.haze = (p.depression < 7.0 && p.wind < 2.6 && rng.Uniform() < 0.35) ? rng.Uniform(0.4, 0.8)
                                                                           : 0.0;
  }

  Rng ev(StreamSeed(seed, st, year, month, kStreamEvents));
  precip.assign(static_cast<size_t>(days + 1), {});
  for (int d = 1; d <= days; ++d) {
    const Climate c = ClimateOf(doy0 + d - 1, elevation);
    const double cloudiness = params[static_cast<size_t>(d + kPad)].cloud;
    const double draw = ev.Uniform();
    const int start = 30 + 5 * static_cast<int>(ev.Uniform() * 260);
    const int duration = 40 + 5 * static_cast<int>(ev.Uniform() * 80);
    const double amount = -std::log(std::max(ev.Uniform(), 1e-9)) * c.precipMean;
    if (cloudiness < 0.5 || draw > c.precipChance) continue;
    SamplePrecipitation& p = precip[static_cast<size_t>(d)];
    p.start = start;
    p.end = std::min(start + duration, 1435);
    Distribute(p, p.start, p.end, RoundHalfAway(amount * (0.5 + cloudiness) * 10.0 / 2.0));
    SetTraces(p);
  }

  // The kind of each event: in the warm season an event of the late
  // morning, afternoon or evening is mostly a shower from cumulonimbus; a
  // long light event comes and goes. An ordinary event of the late
  // afternoon may go on past 20:00 into a dry next day.
  Rng ph(StreamSeed(seed, st, year, month, kStreamPhenomena));
  for (int d = 1; d <= days; ++d) {
    const double uShower = ph.Uniform(), uOn = ph.Uniform(), uRest = ph.Uniform();
    const double uAmount = ph.Uniform(), uGaps = ph.Uniform();
    SamplePrecipitation& p = precip[static_cast<size_t>(d)];
    if (!p.Has()) continue;
    const Climate c = ClimateOf(doy0 + d - 1, elevation);
    p.convective = c.summer > 0.6 && (p.start >= 840 || p.start <= 180) && p.start > 0 &&
                   uShower < 0.6;
    if (p.convective) continue;
    SamplePrecipitation* next = d < days ? &precip[static_cast<size_t>(d + 1)] : nullptr;
    if (next && !next->Has() && p.end >= 1200 && uOn < 0.5) {
      const int endBefore = p.end;
      p.end = 1440;
      Distribute(p, endBefore, p.end, 1 + static_cast<int>(uAmount * 6));
      SetTraces(p);
      next->start = 0;
      next->end = 30 + 5 * static_cast<int>(uRest * 30);
      Distribute(*next, next->start, next->end, 1 + static_cast<int>(uAmount * 9));
      SetTraces(*next);
      continue;
    }
    p.intermittent = p.start > 0 && p.end - p.start >= 120 &&
                     p.Amount20to8() + p.Amount8to20() <= 20 && uGaps < 0.4;
  }
}

}  // namespace

int SamplePrecipitation::Amount20to8() const {
  int s = 0;
  for (int h = 1; h <= 12; ++h) s += hourly[static_cast<size_t>(h)];
  return s;
}

int SamplePrecipitation::Amount8to20() const {
  int s = 0;
  for (int h = 13; h <= 24; ++h) s += hourly[static_cast<size_t>(h)];
  return s;
}

std::vector<SamplePrecipitation> SampleWeather::Precipitation(const SampleStation& station,
                                                              int year, int month,
                                                              uint32_t seed) {
  std::vector<DayParams> params;
  std::vector<SamplePrecipitation> precip;
  GenerateDays(station, year, month, seed, params, precip);
  return precip;
}

// ---------------------------------------------------------------------------

SampleWeather::SampleWeather(const SampleStation& station, int year, int month, uint32_t seed)
    : station_(station),
      year_(year),
      month_(month),
      days_(DaysInMonth(year, month)),
      seed_(seed) {
  lat_ = CoordinateToDegreesValue(station.Latitude, 'N', 'S');
  lon_ = CoordinateToDegreesValue(station.Longitude, 'E', 'W');
  elevation_ = Elevation(station.FieldElevation);
  BuildDays(seed);
  PlanFog();
  BuildNodes();
  PlanStorms();
  BuildMinutes(seed);
  KeepSnowOnColdDays();
  BuildSoil();
  BuildSun();
  BuildDaily();
  BuildPhenomena();
}

void SampleWeather::BuildDays(uint32_t seed) {
  GenerateDays(station_, year_, month_, seed, dayParams_, precip_);
}

bool SampleWeather::PrecipitationHour(int d, int c) const {
  if (d < 1 || d > days_) return false;
  const SamplePrecipitation& p = precip_[static_cast<size_t>(d)];
  if (!p.Has()) return false;
  const int first = std::max(1, (p.start + 59) / 60);
  const int last = std::min(24, (p.end + 59) / 60);
  return c >= first && c <= last;
}

// ---------------------------------------------------------------------------
// Hourly nodes: the state of the weather at each whole hour, from which the
// minute series are interpolated. The sky and the wetness come first; the
// element series follow them.

SampleWeather::NodeTime SampleWeather::TimeOfNode(int n) const {
  NodeTime t;
  t.i = static_cast<size_t>(n - nodeLo_);
  const int clockAbs = 60 * n + 1200;  // minutes since 00:00 of calendar day 0
  t.k = FloorDiv(clockAbs, 1440);
  t.hour = (clockAbs - 1440 * t.k) / 60;
  t.clock = (clockAbs - 1440 * t.k) / 60.0;
  t.x = t.k + t.clock / 24.0;
  t.d = FloorDiv(n - 1, 24) + 1;
  t.c = n - 24 * (t.d - 1);
  t.wet = PrecipitationHour(t.d, t.c);
  return t;
}

double SampleWeather::Param(double DayParams::*field, double x) const {
  // Interpolates a day parameter at calendar time x (days; k + 0.5 is noon).
  const int k = static_cast<int>(std::floor(x - 0.5));
  const double f = x - 0.5 - k;
  const auto at = [&](int kk) {
    kk = std::clamp(kk, -kPad, days_ + kPad);
    return dayParams_[static_cast<size_t>(kk + kPad)].*field;
  };
  return at(k) * (1 - f) + at(k + 1) * f;
}

void SampleWeather::BuildNodes() {
  nodeLo_ = -kNodesBefore;
  nodeHi_ = 24 * days_ + kNodesAfter;
  const size_t count = static_cast<size_t>(nodeHi_ - nodeLo_ + 1);
  for (auto& v : nodes_) v.assign(count, 0.0f);
  cloudNode_.assign(count, 0.0f);
  precipNode_.assign(count, 0.0f);
  snowNode_.assign(count, 0.0f);
  clouds_.assign(static_cast<size_t>(days_ + 1), {});
  BuildCloudNodes();
  BuildWetnessNodes();
  const std::vector<double> airTemperature = BuildTemperatureAndDewPointNodes();
  BuildPressureNodes(airTemperature);
  BuildWindNodes();
  BuildVisibilityNodes();
  BuildSnowCover();
  BuildSurfaceNodes();
}

SampleCloud SampleWeather::CloudOfNode(int n, double x, double clock, bool precipHour,
                                       bool shower) const {
  // A shower falls from cumulonimbus, other precipitation from
  // nimbostratus; both cover the sky.
  const uint64_t noise = StreamSeed(seed_, station_, year_, month_, kStreamMisc);
  SampleCloud cl;
  if (precipHour) {
    cl.total = 10;
    cl.low = 10;
    cl.forms = shower ? "CB" : "NS";
    cl.lowForm = cl.forms;
    cl.lowBase = (shower ? 500 : 600) + 50 * static_cast<int>(3 + 3 * HashSigned(noise, 7 * n + 1));
    return cl;
  }
  const double cover = Clamp(Param(&DayParams::cloud, x) +
                                 0.12 * std::sin(2 * kPi * (clock - 9.0) / 24.0) +
                                 0.12 * HashSigned(noise, 7 * n + 2),
                             0.0, 1.0);
  const double lowShare = Param(&DayParams::lowShare, x);
  if (cover > 0.96 && lowShare < 0.35) {
    cl.total = 10;
    cl.forms = "CS";
    return cl;
  }
  cl.total = std::min(9, static_cast<int>(std::lround(cover * 10.0)));
  if (cl.total == 0) return cl;
  cl.low = static_cast<int>(std::lround(cl.total * lowShare));
  const int middle = cl.total - cl.low;
  const bool convective = month_ >= 5 && month_ <= 9 && clock >= 10 && clock <= 17;
  const std::string lowForm = convective && cl.low <= 6 ? "CU" : "SC";
  const std::string highForm = middle >= 4 ? "AC" : "CI";
  if (cl.low == 0)
    cl.forms = highForm;
  else if (middle == 0)
    cl.forms = lowForm;
  else if (cl.low >= middle)
    cl.forms = lowForm + " " + highForm;
  else
    cl.forms = highForm + " " + lowForm;
  if (cl.low > 0) cl.lowForm = lowForm;
  if (cl.low > 0)
    cl.lowBase = (lowForm == "CU" ? 1200 : 1500) +
                 100 * static_cast<int>(std::lround(6 + 5 * HashSigned(noise, 7 * n + 3)));
  return cl;
}

// Cloud observation of every hour of the month and the cloud cover (0..1)
// of every node.
void SampleWeather::BuildCloudNodes() {
  for (int n = nodeLo_; n <= nodeHi_; ++n) {
    const NodeTime t = TimeOfNode(n);
    const bool shower = t.wet && precip_[static_cast<size_t>(t.d)].convective;
    const SampleCloud cl = CloudOfNode(n, t.x, t.clock, t.wet, shower);
    if (t.d >= 1 && t.d <= days_) clouds_[static_cast<size_t>(t.d)][static_cast<size_t>(t.c)] = cl;
    cloudNode_[t.i] = static_cast<float>(cl.total / 10.0);
  }
}

// Wetness: 1 while it rains, some hours of it after the rain (wet ground,
// moist air) and a little the hour before.
void SampleWeather::BuildWetnessNodes() {
  auto rainsAt = [&](int node) {
    const int nd = FloorDiv(node - 1, 24) + 1;
    return PrecipitationHour(nd, node - 24 * (nd - 1));
  };
  constexpr double kAfterRain[4] = {0.65, 0.4, 0.25, 0.15};
  for (int n = nodeLo_; n <= nodeHi_; ++n) {
    const NodeTime t = TimeOfNode(n);
    double wetness = t.wet ? 1.0 : (rainsAt(n + 1) ? 0.4 : 0.0);
    for (int back = 1; back <= 4 && wetness < 1.0; ++back)
      if (rainsAt(n - back)) wetness = std::max(wetness, kAfterRain[back - 1]);
    precipNode_[t.i] = static_cast<float>(wetness);
  }
}

// Air temperature and dew point, which depend on each other in the rain.
// Returns the air temperature of each node at full precision for the
// station pressure.
std::vector<double> SampleWeather::BuildTemperatureAndDewPointNodes() {
  const size_t count = static_cast<size_t>(nodeHi_ - nodeLo_ + 1);
  const int doy0 = DayOfYear(year_, month_);
  // In a fog the air is close to saturation, from the hour before it forms
  // to the hour after it lifts, and it moistens over the two hours before
  // that and dries over the two hours after: the greatest dew point
  // depression of each node (°C), or none.
  constexpr double kNoCap = 1e9;
  constexpr double kAroundFog[2] = {2.0, 3.5};  // one, two hours further out
  std::vector<double> fogDepression(count, kNoCap);
  auto cap = [&](int d, int c, double depression) {
    double& v = fogDepression[static_cast<size_t>(NodeIndex(d, c))];
    v = std::min(v, depression);
  };
  for (int d = 1; d <= days_; ++d)
    for (const SamplePeriod& f : fog_[static_cast<size_t>(d)]) {
      const int first = f.start / 60, last = (f.end + 59) / 60;
      for (int c = first; c <= last; ++c) cap(d, c, 0.6);
      for (int k = 1; k <= 2; ++k) {
        cap(d, first - k, kAroundFog[k - 1]);
        cap(d, last + k, kAroundFog[k - 1]);
      }
    }

  std::vector<double> air(count);
  for (int n = nodeLo_; n <= nodeHi_; ++n) {
    const NodeTime nt = TimeOfNode(n);
    const size_t i = nt.i;
    const double x = nt.x, clock = nt.clock;
    const double doy = doy0 + x - 1.0;
    const double meanT = Param(&DayParams::meanT, x);
    const double range = Param(&DayParams::range, x) * (1.15 - 0.3 * cloudNode_[i]);
    double t = meanT + range / 2.0 * DiurnalShape(clock);
    double td = meanT - Param(&DayParams::depression, x) + 0.4 * DiurnalShape(clock);
    // Rain cools the air, warm dry air the most, and brings it close to
    // saturation; dry air gains less.
    t -= precipNode_[i] * std::min(3.0, 1.2 + 0.3 * std::max(0.0, t - td - 3.0));
    const double rainDew = t - 0.6 - 0.1 * std::max(0.0, t - td - 0.6);
    td += precipNode_[i] * std::max(0.0, rainDew - td);
    // Humid air of the season levels off below its ceiling.
    const double ceiling = ClimateOf(doy, elevation_).dewCeiling;
    if (td > ceiling - 2.0) td = ceiling - 2.0 + 2.0 * (1.0 - std::exp(-(td - ceiling + 2.0) / 2.0));
    td = std::min(td, t - 0.3);
    if (fogDepression[i] < kNoCap) td = std::max(td, t - fogDepression[i]);
    if (nt.wet) {
      // Falling precipitation keeps the air moist (57 % at least): the dew
      // point rises up to the season's ceiling, and air still too dry is
      // cooled further.
      constexpr double kWetHumidity = 0.57;
      td = std::max(td, std::min(DewPointOf(t, kWetHumidity), ceiling));
      t = std::min(t, TemperatureOf(td, kWetHumidity));
    }
    nodes_[static_cast<size_t>(Series::Temperature)][i] = static_cast<float>(t);
    nodes_[static_cast<size_t>(Series::DewPoint)][i] = static_cast<float>(td);
    air[i] = t;
  }
  return air;
}

// Station pressure: the season's sea-level pressure with the day's anomaly
// and the half-daily wave, reduced to the barometer's elevation through the
// air temperature.
void SampleWeather::BuildPressureNodes(const std::vector<double>& airTemperature) {
  const int doy0 = DayOfYear(year_, month_);
  const double baro = Elevation(station_.BaroElevation);
  for (int n = nodeLo_; n <= nodeHi_; ++n) {
    const NodeTime nt = TimeOfNode(n);
    const double doy = doy0 + nt.x - 1.0;
    const double t = airTemperature[nt.i];
    const double slp = ClimateOf(doy, elevation_).slp + Param(&DayParams::slpAnomaly, nt.x) +
                       0.8 * std::cos(2 * kPi * (nt.clock - 10.0) / 12.0);
    const double station = slp * std::exp(-baro / (29.27 * (t + 273.15 + 0.00325 * baro)));
    nodes_[static_cast<size_t>(Series::Pressure)][nt.i] = static_cast<float>(station);
  }
}

// Wind speed (stronger by day) and direction (turning a little over the day).
void SampleWeather::BuildWindNodes() {
  const uint64_t noise = StreamSeed(seed_, station_, year_, month_, kStreamMisc);
  for (int n = nodeLo_; n <= nodeHi_; ++n) {
    const NodeTime nt = TimeOfNode(n);
    const double clock = nt.clock;
    double wind = Param(&DayParams::wind, nt.x) *
                  (0.75 + 0.35 * std::max(0.0, DiurnalShape(clock)) +
                   0.12 * HashSigned(noise, 7 * n + 4));
    wind = Clamp(wind, 0.8, 11.0);
    nodes_[static_cast<size_t>(Series::WindSpeed)][nt.i] = static_cast<float>(wind);
  }
  for (int n = nodeLo_; n <= nodeHi_; ++n) {
    const NodeTime nt = TimeOfNode(n);
    double dir = Param(&DayParams::windDir, nt.x) + 20.0 * std::sin(2 * kPi * nt.clock / 24.0);
    dir = std::fmod(std::fmod(dir, 360.0) + 360.0, 360.0);
    nodes_[static_cast<size_t>(Series::WindDir)][nt.i] = static_cast<float>(dir);
  }
}

// Visibility: clean air far, haze and precipitation near; a little lower in
// the morning.
void SampleWeather::BuildVisibilityNodes() {
  for (int n = nodeLo_; n <= nodeHi_; ++n) {
    const NodeTime nt = TimeOfNode(n);
    const double haze = Param(&DayParams::haze, nt.x);
    const double depression = Param(&DayParams::depression, nt.x);
    double vis = (haze > 0 ? 9000.0 * (1.0 - haze) + 1500.0
                           : 12000.0 + 2000.0 * std::min(depression, 9.0)) *
                 (1.0 - 0.12 * std::max(0.0, -DiurnalShape(nt.clock)));
    if (nt.wet) vis *= 0.45;
    nodes_[static_cast<size_t>(Series::Visibility)][nt.i] =
        static_cast<float>(Clamp(vis, 1800.0, 30000.0));
  }
}

// Snow cover at the 08 h observation: fresh snow from the events (snow when
// the event is cold), settling and melting with the day's warmth.
void SampleWeather::BuildSnowCover() {
  snowDepth_.assign(static_cast<size_t>(days_ + 2), 0);
  double depth = 0;
  double snowSinceMorning = 0;
  for (int d = 1; d <= days_; ++d) {
    SamplePrecipitation& p = precip_[static_cast<size_t>(d)];
    if (p.Has()) {
      double sum = 0;
      int count = 0;
      for (int c = 1; c <= 24; ++c)
        if (PrecipitationHour(d, c)) {
          sum += Node(Series::Temperature, 24 * (d - 1) + c);
          ++count;
        }
      p.snow = count > 0 && sum / count <= 0.5;
    }
    // Snow of the previous evening and of this night counts at 08 h.
    double fallen = snowSinceMorning;
    snowSinceMorning = 0;
    if (p.Has() && p.snow) {
      fallen += p.Amount20to8() / 10.0;
      snowSinceMorning = p.Amount8to20() / 10.0;
    }
    double warmth = 0;
    for (int c = 1; c <= 24; ++c)
      warmth = std::max(warmth, static_cast<double>(Node(Series::Temperature, 24 * (d - 2) + c)));
    depth = std::max(0.0, depth * 0.9 - 0.45 * std::max(0.0, warmth)) + 1.1 * fallen;
    snowDepth_[static_cast<size_t>(d)] = static_cast<int>(std::lround(depth));
    const bool covered = snowDepth_[static_cast<size_t>(d)] >= 1;
    for (int c = 1; c <= 24; ++c) snowNode_[static_cast<size_t>(NodeIndex(d, c))] = covered;
  }
}

// Ground and grass surface: the air temperature plus solar heating by day
// and radiative cooling, both weaker under cloud; a snow cover keeps the
// surface below freezing and takes most of the sun's heat.
//
// The surface goes on losing heat until the sun is well up: the cooling
// fades only while the sun climbs from the horizon to about 17 degrees (and
// sets in again as it sinks below that in the evening), so the surface is
// coldest around sunrise, not an hour before it. The surface's own heat
// capacity then evens the departure from the air temperature out over a
// few hours, so that a change of cloud, a shower or the sunrise shows as a
// bend of the curve and not as a jump of one hour.
void SampleWeather::BuildSurfaceNodes() {
  const size_t count = static_cast<size_t>(nodeHi_ - nodeLo_ + 1);
  const int doy0 = DayOfYear(year_, month_);
  const double heatingMax = 13.0 + 8.0 * ClimateOf(doy0 + days_ / 2, elevation_).summer;
  std::vector<double> heating(count), bareHeating(count), cooling(count), snowCover(count);
  // Snow cover is known per observation day (the depth at 08 h); the
  // surface feels it come and go over half a day, not at 20 h at once.
  constexpr int kSnowSpan = 6;
  for (size_t i = 0; i < count; ++i) {
    double sum = 0, weights = 0;
    for (int j = -kSnowSpan; j <= kSnowSpan; ++j) {
      const double w = kSnowSpan + 1 - std::abs(j);
      const int at = std::clamp(static_cast<int>(i) + j, 0, static_cast<int>(count) - 1);
      sum += w * snowNode_[static_cast<size_t>(at)];
      weights += w;
    }
    snowCover[i] = sum / weights;
  }
  CalendarDay date;
  int dateK = 0;
  bool haveDate = false;
  for (int n = nodeLo_; n <= nodeHi_; ++n) {
    const NodeTime nt = TimeOfNode(n);
    const size_t i = nt.i;
    const double clock = nt.hour;
    if (!haveDate || nt.k != dateK) {
      date = CalendarDayOf(year_, month_, nt.k);
      dateK = nt.k;
      haveDate = true;
    }
    const double solar = TrueSolarTime(date.yearText, date.monthText, date.dayText,
                                       std::to_string(nt.hour), station_.Longitude);
    const double delta = SolarDeclination(date.year, date.dayNumber, lon_, clock) * kPi / 180.0;
    const double phi = lat_ * kPi / 180.0;
    const double sinH = std::sin(phi) * std::sin(delta) +
                        std::cos(phi) * std::cos(delta) * std::cos(kPi * (solar - 12.0) / 12.0);
    const double cover = cloudNode_[i];
    const double day = std::max(0.0, sinH);
    constexpr double kCoolingEnds = 0.3;  // sine of the sun's height
    const double night =
        sinH <= 0 ? 1.0
                  : (sinH >= kCoolingEnds ? 0.0 : 0.5 * (1.0 + std::cos(kPi * sinH / kCoolingEnds)));
    bareHeating[i] = heatingMax * day * (1.0 - 0.7 * cover);
    heating[i] = bareHeating[i] * (1.0 - 0.75 * snowCover[i]);
    cooling[i] = (1.0 + 3.0 * (1.0 - cover)) * night;
  }
  // The grass surface gains about half the heat and loses more of it.
  SurfaceSeries(nodes_[static_cast<size_t>(Series::Surface)], heating, 1.0, cooling, 1.0,
                snowCover);
  SurfaceSeries(nodes_[static_cast<size_t>(Series::Grass)], heating, 0.55, cooling, 1.6,
                snowCover);
  // The same surface as bare ground, for the soil under snow.
  SurfaceSeries(bareSurface_, bareHeating, 1.0, cooling, 1.0, std::vector<double>(count, 0.0));
  snowCover_.assign(snowCover.begin(), snowCover.end());
}

// One surface series: the air temperature plus the smoothed departure
// gain * heating - loss * cooling, held below freezing under snow.
void SampleWeather::SurfaceSeries(std::vector<float>& out, const std::vector<double>& heating,
                                  double gain,
                                  const std::vector<double>& cooling, double loss,
                                  const std::vector<double>& snowCover) {
  const size_t count = heating.size();
  out.resize(count);
  std::vector<double> offset(count);
  for (size_t i = 0; i < count; ++i) offset[i] = gain * heating[i] - loss * cooling[i];
  // Weights 1 2 3 2 1 over five hours.
  auto smoothed = [&](size_t i) {
    constexpr double kWeights[5] = {1, 2, 3, 2, 1};
    double sum = 0;
    for (int j = -2; j <= 2; ++j) {
      const int at = std::clamp(static_cast<int>(i) + j, 0, static_cast<int>(count) - 1);
      sum += kWeights[j + 2] * offset[static_cast<size_t>(at)];
    }
    return sum / 9.0;
  };
  // Below freezing under snow: the smaller of the value and -0.4 °C, with
  // the corner rounded off.
  auto underSnow = [](double v) {
    constexpr double kCap = -0.4, kSoftness = 0.4;
    const double y = (kCap - v) / kSoftness;
    return kCap - kSoftness * (y > 30 ? y : std::log1p(std::exp(y)));
  };
  for (size_t i = 0; i < count; ++i) {
    const double t = nodes_[static_cast<size_t>(Series::Temperature)][i];
    double v = t + smoothed(i);
    const double snow = snowCover[i];
    v = (1.0 - snow) * v + snow * underSnow(v);
    out[i] = static_cast<float>(v);
  }
}

void SampleWeather::BuildMinutes(uint32_t seed) {
  minuteLo_ = -1440;
  const int minuteHi = 1440 * days_ + 1440;
  const size_t count = static_cast<size_t>(minuteHi - minuteLo_ + 1);
  const uint64_t base = StreamSeed(seed, station_, year_, month_, kStreamNoise);
  // Amplitude of the minute-scale fluctuation of each series (its unit).
  constexpr double kAmplitude[] = {0.06, 0.25, 0.15, 0.35, 0.35, 0.05, 0.35, 9.0, 0.0};
  for (size_t s = 0; s < minutes_.size(); ++s) {
    std::vector<float>& out = minutes_[s];
    out.assign(count, 0.0f);
    const uint64_t seriesBase = Mix(base, s);
    for (int a = minuteLo_; a <= minuteHi; ++a) {
      const int n0 = FloorDiv(a, 60);
      const double f = (a - 60 * n0) / 60.0;
      double v = Node(static_cast<Series>(s), n0);
      const double v1 = Node(static_cast<Series>(s), n0 + 1);
      if (static_cast<Series>(s) == Series::WindDir) {
        double diff = v1 - v;
        if (diff > 180) diff -= 360;
        if (diff < -180) diff += 360;
        v += diff * f;
      } else {
        v += (v1 - v) * f;
      }
      // Smooth noise: random values every ten minutes, joined linearly.
      const int k = FloorDiv(a, 10);
      const double g = (a - 10 * k) / 10.0;
      const double noise =
          HashSigned(seriesBase, k) * (1 - g) + HashSigned(seriesBase, k + 1) * g;
      double amplitude = kAmplitude[s];
      if (static_cast<Series>(s) == Series::Visibility) amplitude *= v;
      v += amplitude * noise;
      out[static_cast<size_t>(a - minuteLo_)] = static_cast<float>(v);
    }
  }
  // Derived and bounded series.
  auto& t = minutes_[static_cast<size_t>(Series::Temperature)];
  auto& td = minutes_[static_cast<size_t>(Series::DewPoint)];
  auto& speed = minutes_[static_cast<size_t>(Series::WindSpeed)];
  auto& dir = minutes_[static_cast<size_t>(Series::WindDir)];
  auto& gust = minutes_[static_cast<size_t>(Series::Gust)];
  for (size_t i = 0; i < count; ++i) {
    td[i] = std::min(td[i], t[i] - 0.1f);
    speed[i] = std::max(speed[i], 0.5f);
    float dd = std::fmod(std::fmod(dir[i], 360.0f) + 360.0f, 360.0f);
    dd = std::round(dd);
    dir[i] = dd < 1.0f ? 360.0f : dd;
    const double factor = 1.45 + 0.25 * HashSigned(Mix(base, 99), static_cast<int64_t>(i));
    gust[i] = static_cast<float>(std::min(16.8, speed[i] * factor));
  }

  // A gale: the wind rises to 10.8..13.5 m/s over 25 minutes and falls
  // again after it; gusts reach 17 m/s and more only while it blows.
  for (int d = 1; d <= days_; ++d) {
    const SamplePeriod& g = gale_[static_cast<size_t>(d)];
    if (g.end == 0) continue;
    constexpr int kRamp = 25;
    const double peak = 12.15 + 1.35 * HashSigned(Mix(base, 101), d);
    for (int m = g.start - kRamp; m <= g.end + kRamp; ++m) {
      const size_t i = static_cast<size_t>(1440 * (d - 1) + m - minuteLo_);
      const double w = m < g.start ? 0.5 * (1 - std::cos(kPi * (m - g.start + kRamp) / kRamp))
                       : m > g.end ? 0.5 * (1 + std::cos(kPi * (m - g.end) / kRamp))
                                   : 1.0;
      if (speed[i] < peak) speed[i] = static_cast<float>(speed[i] + (peak - speed[i]) * w);
      const double factor = 1.45 + 0.25 * HashSigned(Mix(base, 99), static_cast<int64_t>(i));
      const bool blowing = m >= g.start && m <= g.end;
      gust[i] = static_cast<float>(std::min(blowing ? 25.0 : 16.8, speed[i] * factor));
    }
    const size_t mid = static_cast<size_t>(1440 * (d - 1) + (g.start + g.end) / 2 - minuteLo_);
    gust[mid] = std::max(gust[mid], static_cast<float>(18.3 + 1.2 * HashSigned(Mix(base, 102), d)));
  }

  // Fog: below 1 km from the minute after its start to its end, lowest
  // in the middle; 1.1 km and more just outside it, rising over 40 minutes
  // to the clear air's visibility.
  auto& vis = minutes_[static_cast<size_t>(Series::Visibility)];
  for (int d = 1; d <= days_; ++d) {
    const std::vector<SamplePeriod>& periods = fog_[static_cast<size_t>(d)];
    if (periods.empty()) continue;
    constexpr int kRamp = 40;
    for (int m = periods.front().start - kRamp; m <= periods.back().end + kRamp; ++m) {
      const size_t i = static_cast<size_t>(1440 * (d - 1) + m - minuteLo_);
      int distance = 1 << 20;
      bool inside = false;
      for (const SamplePeriod& f : periods) {
        if (m > f.start && m <= f.end) {
          const double depth = std::sqrt(std::max(0.0, std::sin(kPi * (m - f.start) / (f.end - f.start))));
          const double v = 900.0 - (900.0 - f.visibility) * depth +
                           15.0 * HashSigned(Mix(base, 103), static_cast<int64_t>(i));
          vis[i] = static_cast<float>(Clamp(v, 30.0, 900.0));
          inside = true;
        }
        distance = std::min(distance, m <= f.start ? f.start - m : m - f.end);
      }
      if (!inside) vis[i] = std::min(vis[i], static_cast<float>(1100 + 25 * distance));
    }
  }
}

// BuildSoil: sample_soil_sun.cpp.

void SampleWeather::BuildSun() {
  sunshine_.assign(static_cast<size_t>(days_ + 1), {});
  sunriseLmt_.assign(static_cast<size_t>(days_ + 1), 0);
  sunsetLmt_.assign(static_cast<size_t>(days_ + 1), 0);
  const uint64_t noise = Mix(StreamSeed(seed_, station_, year_, month_, kStreamMisc), 5);
  for (int d = 1; d <= days_; ++d) {
    const CalendarDay date = CalendarDayOf(year_, month_, d);
    // Sunrise and sunset in true solar time as the day's table gives them,
    // and in local mean time as a recorder writes them.
    std::string riseText, setText;
    SunriseSunset(date.yearText, date.monthText, date.dayText, station_.Latitude,
                  station_.Longitude, riseText, setText);
    const double rise = LeadingNumber(riseText);
    const double set = LeadingNumber(setText);
    if (riseText == "0.00" && setText == "24.00") {
      sunriseLmt_[static_cast<size_t>(d)] = 0;
      sunsetLmt_[static_cast<size_t>(d)] = 2400;
    } else if (riseText == "12.00" && setText == "12.00") {
      sunriseLmt_[static_cast<size_t>(d)] = 1200;
      sunsetLmt_[static_cast<size_t>(d)] = 1200;
    } else {
      sunriseLmt_[static_cast<size_t>(d)] = LocalMeanClock(date, riseText, station_.Longitude);
      sunsetLmt_[static_cast<size_t>(d)] = LocalMeanClock(date, setText, station_.Longitude);
    }

    // The clock hour (standard time) whose observation falls into each
    // true-solar hour j-1..j: the cloud seen then decides the sunshine.
    int clockOf[25];
    for (int j = 1; j <= 24; ++j) clockOf[j] = j;
    for (int c = 0; c <= 23; ++c) {
      const double t = LeadingNumber(FormatTwoDecimals(TrueSolarTime(
          date.yearText, date.monthText, date.dayText, std::to_string(c), station_.Longitude)));
      const int k = static_cast<int>(std::ceil(t));
      if (k >= 1 && k <= 24) clockOf[k] = c;
    }
    const int first = static_cast<int>(std::ceil(rise + 0.5)) + 1;  // first full hour j
    const int last = static_cast<int>(std::floor(set - 0.5));
    for (int j = first; j <= last; ++j) {
      const int c = clockOf[j];
      // Clock hour c of calendar day d is column c + 4 of observation day d.
      const int col = std::clamp(c + 4, 1, 24);
      const SampleCloud& cl = clouds_[static_cast<size_t>(d)][static_cast<size_t>(col)];
      int value = 0;
      if (!PrecipitationHour(d, col)) {
        const double clear =
            (1.0 - 0.09 * cl.low) * (1.0 - 0.03 * (cl.total - cl.low)) *
            (0.92 + 0.08 * HashSigned(noise, 31 * d + j));
        value = RoundHalfAway(10.0 * clear * (j == first || j == last ? 0.7 : 1.0));
        if (cl.low == 0) value = std::max(value, 3);
        value = std::clamp(value, 0, 10);
      }
      sunshine_[static_cast<size_t>(d)][static_cast<size_t>(j)] = value;
    }
  }
}

void SampleWeather::KeepSnowOnColdDays() {
  // Snow cover is kept only on days cold enough to hold it.
  for (int d = 1; d <= days_; ++d) {
    int& depth = snowDepth_[static_cast<size_t>(d)];
    if (depth >= 1 && (Min(Series::Temperature, d).value > 50 || Min(Series::Surface, d).value > 50))
      depth = 0;
  }
}

void SampleWeather::BuildDaily() {
  frozenUpper_.assign(static_cast<size_t>(days_ + 1), -1);
  frozenLower_.assign(static_cast<size_t>(days_ + 1), -1);
  smallPan_.assign(static_cast<size_t>(days_ + 1), 0);
  groundState_.assign(static_cast<size_t>(days_ + 1), 0);
  largePan_.assign(static_cast<size_t>(days_ + 1), {});
  const uint64_t noise = Mix(StreamSeed(seed_, station_, year_, month_, kStreamMisc), 11);
  for (int d = 1; d <= days_; ++d) {
    const size_t di = static_cast<size_t>(d);

    // Frozen soil at 08 h: from the surface down to just below the deepest
    // layer (of 0, 5, 10, 15, 20, 40 cm) that is still below freezing.
    if (Hourly(Series::Surface, d, 12) < 0) {
      int deepest = 0;
      for (int depth : {5, 10, 15, 20, 40}) {
        if (Soil(depth, d, 12) >= 0) break;
        deepest = depth;
      }
      frozenUpper_[di] = 0;
      frozenLower_[di] = deepest + 3;
    }

    // Small-pan evaporation from the day's warmth, dryness and wind; the
    // large pan evaporates about 0.6 of it, in the daylight hours.
    double t = 0, g = 0, td = 0, u = 0;
    for (int c = 1; c <= 24; ++c) {
      t += At(Series::Temperature, d, 60 * c);
      g += At(Series::Surface, d, 60 * c);
      td += At(Series::DewPoint, d, 60 * c);
      u += At(Series::WindSpeed, d, 60 * c);
    }
    t /= 24, g /= 24, td /= 24, u /= 24;
    const double e0 = (SatVapourWater(static_cast<float>(g)) + SatVapourWater(static_cast<float>(t))) / 2;
    const double estimate =
        0.26 * (1 + 0.41 * u) * std::max(0.2, e0 - SatVapourWater(static_cast<float>(td))) * 0.75 * 10;
    smallPan_[di] = std::max(1, RoundHalfAway(2.0 * estimate * (1.0 + 0.12 * HashSigned(noise, d))));
    if (LargePanInUse()) {
      const int total = RoundHalfAway(smallPan_[di] * 0.6);
      double w[25] = {}, sum = 0;
      for (int c = 9; c <= 22; ++c) {
        w[c] = std::max(0.0, DiurnalShape(c - 4.0) + 1.0);
        sum += w[c];
      }
      int given = 0;
      for (int c = 1; c <= 24; ++c) {
        largePan_[di][static_cast<size_t>(c)] = static_cast<int>(std::floor(total * w[c] / sum));
        given += largePan_[di][static_cast<size_t>(c)];
      }
      largePan_[di][18] += total - given;
    }

    // Ground state at 14 h: snow-covered, moist after precipitation, dry.
    groundState_[di] = snowDepth_[di] >= 1 ? 11 : (precip_[di].Has() ? 1 : 0);
  }
}

float SampleWeather::At(Series s, int d, int m) const {
  int a = 1440 * (d - 1) + m - minuteLo_;
  a = std::clamp(a, 0, static_cast<int>(minutes_[static_cast<size_t>(s)].size()) - 1);
  return minutes_[static_cast<size_t>(s)][static_cast<size_t>(a)];
}

int SampleWeather::Tenths(Series s, int d, int m) const {
  const double v = At(s, d, m);
  switch (s) {
    case Series::WindDir:
      return static_cast<int>(v);
    case Series::Visibility:
      return 10 * RoundHalfAway(v / 10.0);
    default:
      return RoundHalfAway(v * 10.0);
  }
}

int SampleWeather::Humidity(int d, int m) const {
  const float t = static_cast<float>(Tenths(Series::Temperature, d, m) / 10.0);
  const float td = static_cast<float>(Tenths(Series::DewPoint, d, m) / 10.0);
  const int u = RoundHalfAway(100.0 * SatVapourWater(td) / SatVapourWater(t));
  return std::clamp(u, 1, 100);
}

DayExtreme SampleWeather::Max(Series s, int d) const {
  DayExtreme e;
  e.value = Tenths(s, d, 1);
  e.minute = 1;
  for (int m = 2; m <= 1440; ++m) {
    const int v = Tenths(s, d, m);
    if (v > e.value) e = {v, 0, m};
  }
  e.hhmm = ClockOfMinute(e.minute);
  return e;
}

DayExtreme SampleWeather::Min(Series s, int d) const {
  DayExtreme e;
  e.value = Tenths(s, d, 1);
  e.minute = 1;
  for (int m = 2; m <= 1440; ++m) {
    const int v = Tenths(s, d, m);
    if (v < e.value) e = {v, 0, m};
  }
  e.hhmm = ClockOfMinute(e.minute);
  return e;
}

DayExtreme SampleWeather::MinHumidity(int d) const {
  DayExtreme e;
  e.value = Humidity(d, 1);
  e.minute = 1;
  for (int m = 2; m <= 1440; ++m) {
    const int v = Humidity(d, m);
    if (v < e.value) e = {v, 0, m};
  }
  e.hhmm = ClockOfMinute(e.minute);
  return e;
}

const SampleCloud& SampleWeather::Cloud(int d, int c) const {
  return clouds_[static_cast<size_t>(d)][static_cast<size_t>(c)];
}

int SampleWeather::Soil(int depthCm, int d, int c) const {
  for (size_t z = 0; z < 8; ++z)
    if (kDepths[z] == depthCm)
      return RoundHalfAway(soil_[z][static_cast<size_t>(NodeIndex(d, c))] * 10.0);
  return 0;
}

int SampleWeather::ClockOfMinute(int m) {
  const int clock = (1200 + m) % 1440;
  return (clock / 60) * 100 + clock % 60;
}

}  // namespace kelvane::sample
