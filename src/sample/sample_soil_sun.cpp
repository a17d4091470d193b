// The ground temperatures of the sample weather model below the surface.
//
// Each shallow depth (5 to 40 cm) is the season's surface level plus the
// surface's departure from it, damped and delayed with depth. The season's
// level is the air temperature of the climate at the time plus the month's
// mean excess of the surface over the air, so a layer never inherits the
// weather of the hours it started from. The departure has two parts that
// reach down differently: the surface's daily mean against the season
// (a spell of warm or cold days), which 40 cm follows only over days and
// much damped, and the daily wave about that mean, damped and delayed more
// with depth; the night's cooling of the bare surface reaches the soil less
// than the day's heating. A small gradient of the season (warmer below in
// winter, cooler in summer) is added. The steps from hour to hour stay small
// and the profile keeps its shape from day to day, as the ground temperature
// audits expect of real soil. The deep layers (80 to 320 cm) follow the
// yearly wave only.
#include <algorithm>
#include <cmath>
#include <vector>

#include "sample/sample_weather.h"
#include "sample/weather_model.h"

namespace kelvane::sample {

using namespace detail;

namespace {

constexpr int kSoilDepths[8] = {5, 10, 15, 20, 40, 80, 160, 320};

// One layer: the gain and hours with which it follows a spell of cold
// days (and of warm days, where that differs), and the gains (by day, by
// night) and hours of its daily wave.
struct Layer {
  int depth;
  double spellGain;
  double spellHours;
  double warmingHours;  // 0: spellHours
  double dayGain;
  double nightGain;
  double waveHours;
};
// 15 and 20 cm move almost together, as the audits of the profile expect
// of their difference from day to day. 5 cm follows a cold spell within
// hours, so that a sunny day that turns cold still has its surface warmer
// than 5 cm at 14 h, but warms more slowly after it, so that a hot day
// after a wet one does not lift the layer beyond the day-to-day limits.
constexpr Layer kShallow[5] = {
    {5, 0.90, 4, 7, 0.72, 0.60, 3},
    {10, 0.74, 10, 0, 0.45, 0.36, 6},
    {15, 0.64, 14, 0, 0.25, 0.22, 9},
    {20, 0.60, 16, 0, 0.22, 0.20, 10},
    {40, 0.40, 60, 0, 0.10, 0.10, 24},
};

// First-order relaxation of a series (one step an hour) with a time
// constant of `hours`, or of `risingHours` where the series lies above the
// layer, starting from the series' mean over the first `hours`, as if the
// layer had followed it for long before.
std::vector<double> Relax(const std::vector<double>& in, double hours, double risingHours = 0) {
  std::vector<double> out(in.size());
  if (in.empty()) return out;
  const double k = 1.0 - std::exp(-1.0 / hours);
  const double kRising = risingHours > 0 ? 1.0 - std::exp(-1.0 / risingHours) : k;
  const size_t n = std::min(in.size(), static_cast<size_t>(hours));
  double v = 0;
  for (size_t i = 0; i < n; ++i) v += in[i];
  v /= static_cast<double>(std::max<size_t>(n, 1));
  for (size_t i = 0; i < in.size(); ++i) out[i] = v += (in[i] > v ? kRising : k) * (in[i] - v);
  return out;
}

// The parts of a surface series the shallow layers follow: its spell of
// warm or cold days against the season's level, and its daily wave by day
// and by night.
struct SurfaceParts {
  std::vector<double> spell, waveDay, waveNight;
};

SurfaceParts Decompose(const std::vector<float>& surface, const std::vector<double>& season) {
  const size_t count = surface.size();
  SurfaceParts p;
  p.spell.assign(count, 0.0);
  p.waveDay.assign(count, 0.0);
  p.waveNight.assign(count, 0.0);
  // The surface's mean over the 24 hours around each node (the first and
  // last half day take what there is), and its departure from that mean.
  for (size_t i = 0; i < count; ++i) {
    const size_t lo = i >= 12 ? i - 12 : 0;
    const size_t hi = std::min(count - 1, i + 11);
    double sum = 0;
    for (size_t j = lo; j <= hi; ++j) sum += surface[j];
    const double mean = sum / static_cast<double>(hi - lo + 1);
    const double wave = surface[i] - mean;
    (wave > 0 ? p.waveDay : p.waveNight)[i] = wave;
    p.spell[i] = mean - season[i];
  }
  return p;
}

// A shallow layer from the parts of the surface, into out.
void ShallowLayer(const Layer& layer, const SurfaceParts& p, const std::vector<double>& season,
                  double gradient, std::vector<float>& out) {
  const std::vector<double> s = Relax(p.spell, layer.spellHours, layer.warmingHours);
  const std::vector<double> day = Relax(p.waveDay, layer.waveHours);
  const std::vector<double> night = Relax(p.waveNight, layer.waveHours);
  out.assign(season.size(), 0.0f);
  for (size_t i = 0; i < season.size(); ++i)
    out[i] = static_cast<float>(season[i] + layer.spellGain * s[i] + layer.dayGain * day[i] +
                                layer.nightGain * night[i] + gradient * layer.depth);
}

}  // namespace

void SampleWeather::BuildSoil() {
  const int doy0 = DayOfYear(year_, month_);
  const double gradient = 0.04 * Winterness(doy0 + days_ / 2.0);
  const double yearMean = 12.5 - 0.0055 * elevation_ + 1.5;
  const size_t count = static_cast<size_t>(nodeHi_ - nodeLo_ + 1);
  const auto& surface = nodes_[static_cast<size_t>(Series::Surface)];
  const auto& air = nodes_[static_cast<size_t>(Series::Temperature)];

  // The season's level: the climate's air temperature at each node plus
  // the surface's mean excess over the air in the month.
  double excess = 0;
  const size_t first = static_cast<size_t>(NodeIndex(1, 1));
  const size_t last = static_cast<size_t>(NodeIndex(days_, 24));
  for (size_t i = first; i <= last; ++i) excess += surface[i] - air[i];
  excess /= static_cast<double>(last - first + 1);
  std::vector<double> season(count);
  for (size_t i = 0; i < count; ++i) {
    const double doy = doy0 + (static_cast<int>(i) + nodeLo_ - 4) / 24.0;
    season[i] = ClimateOf(doy, elevation_).meanT + excess;
  }

  const SurfaceParts parts = Decompose(surface, season);
  for (size_t z = 0; z < 5; ++z) ShallowLayer(kShallow[z], parts, season, gradient, soil_[z]);

  // Under snow the surface is held below freezing and gets little of the
  // sun, and the soil below it, kept from the cold air, is warmer than the
  // snow-covered surface. The profile audits judge the size of the contrast
  // of 0 and 5 cm at 14 h on the clear days of a month together,
  // snow-covered or not: so on a day with snow cover 5 cm lies above the
  // surface at 14 h by three quarters of the contrast that bare ground
  // would have in the same weather (enough for the month's typical contrast,
  // with little lift). The lift is drawn linearly between the fixed hours
  // that carry it: 14 h of a snow-covered day, and 02 (08 after snow), 14
  // and 20 h of a day without snow (none), so the layer stays smooth and a
  // day without snow keeps its own profile.
  std::vector<float> bare5;
  ShallowLayer(kShallow[0], Decompose(bareSurface_, season), season, gradient, bare5);
  struct Knot {
    int node;
    double lift;
  };
  std::vector<Knot> knots;
  knots.reserve(static_cast<size_t>(3 * days_ + 2));
  knots.push_back({nodeLo_, 0.0});
  double lifted = 0;
  for (int d = 1; d <= days_; ++d) {
    const int n14 = 24 * (d - 1) + 18;
    if (snowDepth_[static_cast<size_t>(d)] >= 1) {
      const size_t i = static_cast<size_t>(NodeIndex(d, 18));
      const double lift =
          (surface[i] - soil_[0][i]) + 0.75 * std::fabs(bareSurface_[i] - bare5[i]);
      knots.push_back({n14, std::max(0.0, lift)});
      lifted = knots.back().lift;
      if (d < days_ && snowDepth_[static_cast<size_t>(d + 1)] < 1 && lifted > 0)
        knots.push_back({24 * (d - 1) + 24, 0.55 * lifted});
    } else {
      // The lift of a snow-covered day before fades over the evening and
      // night and is gone at 08 h: most of it while the soil cools anyway,
      // little in the morning.
      if (lifted > 0) knots.push_back({24 * (d - 1) + 6, 0.2 * lifted});
      for (int c : {lifted > 0 ? 12 : 6, 18, 24}) knots.push_back({24 * (d - 1) + c, 0.0});
      lifted = 0;
    }
  }
  knots.push_back({nodeHi_, 0.0});
  for (size_t k = 0; k + 1 < knots.size(); ++k) {
    const Knot a = knots[k], b = knots[k + 1];
    if (a.lift == 0 && b.lift == 0) continue;
    for (int n = a.node; n < b.node; ++n) {
      const double f = static_cast<double>(n - a.node) / (b.node - a.node);
      soil_[0][static_cast<size_t>(n - nodeLo_)] +=
          static_cast<float>((1 - f) * a.lift + f * b.lift);
    }
  }

  for (size_t z = 5; z < 8; ++z) {
    const int depth = kSoilDepths[z];
    soil_[z].assign(count, 0.0f);
    for (size_t i = 0; i < count; ++i) {
      const double doy = doy0 + (static_cast<int>(i) + nodeLo_ - 4) / 24.0;
      soil_[z][i] = static_cast<float>(
          yearMean - 14.5 * std::exp(-depth / 300.0) *
                         std::cos(2.0 * kPi * (doy - 15.0 - depth / 4.0) / 365.25));
    }
  }
}

}  // namespace kelvane::sample
