// The weather phenomena of the sample weather model: the fog and
// thunderstorms planned over the month, the phenomena of each day with and
// without times, and the day's weather text as an A file writes it.
#include <algorithm>
#include <cstdio>

#include "sample/sample_weather.h"
#include "sample/weather_model.h"

namespace kelvane::sample {

using namespace detail;

void SampleWeather::PlanFog() {
  // Radiation fog forms late in the evening of a calm, humid night that is
  // not overcast, most often in the cool season, and lifts in the morning.
  // It always covers midnight, and its start and end lie well away from the
  // whole hours (an end at most 40 minutes past), so that every observation
  // sees either the fog (visibility below 1 km) or clear air (1 km and
  // more). Now and then it lifts for half an hour and forms again.
  fog_.assign(static_cast<size_t>(days_ + 1), {});
  Rng rng(Mix(StreamSeed(seed_, station_, year_, month_, kStreamPhenomena), 1));
  const int doy0 = DayOfYear(year_, month_);
  for (int d = 1; d <= days_; ++d) {
    double u[10];
    for (double& v : u) v = rng.Uniform();
    const DayParams& evening = dayParams_[static_cast<size_t>(d - 1 + kPad)];
    const DayParams& morning = dayParams_[static_cast<size_t>(d + kPad)];
    const Climate climate = ClimateOf(doy0 + d - 1, elevation_);
    // Saturated air must stay within the dew points of the season: the
    // night may not be much warmer than the season's humid air.
    const double warmest = std::max(evening.meanT, morning.meanT) + 2.0;
    const bool likely = evening.wind < 2.6 && morning.wind < 2.6 && morning.depression < 6.5 &&
                        morning.cloud < 0.75 && warmest <= std::min(climate.dewCeiling + 5.0, 24.0);
    if (!likely || u[0] >= 0.5 - 0.3 * climate.summer) continue;
    const int start = 60 * (1 + static_cast<int>(u[1] * 3)) + 5 + 5 * static_cast<int>(u[2] * 11);
    const int end = 60 * (9 + static_cast<int>(u[3] * 5)) + 5 + 5 * static_cast<int>(u[4] * 8);
    const SamplePrecipitation& p = precip_[static_cast<size_t>(d)];
    if (p.Has() && p.start < end + 60) continue;
    const int lowest = 60 + 10 * static_cast<int>(u[5] * 50);
    std::vector<SamplePeriod>& periods = fog_[static_cast<size_t>(d)];
    if (u[6] < 0.35) {
      const int lifts = 60 * (5 + static_cast<int>(u[7] * (end / 60 - 6))) + 5 +
                        5 * static_cast<int>(u[8] * 8);
      int again = lifts + 25 + 5 * static_cast<int>(u[9] * 4);
      if (again % 60 == 0) again += 5;
      periods.push_back({start, lifts, lowest, {}});
      periods.push_back({again, end, std::min(880, lowest + 150), {}});
    } else {
      periods.push_back({start, end, lowest, {}});
    }
  }
}

void SampleWeather::PlanStorms() {
  // Thunderstorms in showers that are not of snow: one cell, or two with a
  // lull between; each cell's directions as it is heard moving across (from
  // the west half mostly): one point, two points 90 or 135 degrees apart,
  // or three points from one side over the station or round it to the
  // opposite side. A gale blows in some first cells for 10 to 20 minutes.
  thunder_.assign(static_cast<size_t>(days_ + 1), {});
  gale_.assign(static_cast<size_t>(days_ + 1), {});
  Rng rng(Mix(StreamSeed(seed_, station_, year_, month_, kStreamPhenomena), 2));
  static const char* const kPoints[8] = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
  static constexpr int kFrom[6] = {6, 5, 7, 6, 4, 0};
  auto directions = [](double a, double b, double c) {
    const int from = kFrom[static_cast<int>(a * 6)];
    const int turn = c < 0.5 ? 1 : 7;  // clockwise or anticlockwise
    auto point = [&](int steps) { return std::string(kPoints[(from + turn * steps) % 8]); };
    switch (static_cast<int>(b * 5)) {
      case 0: return std::vector<std::string>{point(0)};
      case 1: return std::vector<std::string>{point(0), point(3)};
      case 2: return std::vector<std::string>{point(0), point(2)};
      case 3: return std::vector<std::string>{point(0), "Z", point(4)};
      default: return std::vector<std::string>{point(0), point(2), point(4)};
    }
  };
  for (int d = 1; d <= days_; ++d) {
    double u[15];
    for (double& v : u) v = rng.Uniform();
    const SamplePrecipitation& p = precip_[static_cast<size_t>(d)];
    if (!p.Has() || !p.convective || p.snow || u[0] >= 0.8) continue;
    std::vector<SamplePeriod>& cells = thunder_[static_cast<size_t>(d)];
    int start = p.start + 5 * static_cast<int>(u[1] * 4);
    int end = std::min(start + 15 + 5 * static_cast<int>(u[2] * 16), p.end);
    if (end - start < 10) start = p.start, end = std::min(p.start + 30, p.end);
    cells.push_back({start, end, -1, directions(u[3], u[4], u[5])});
    if (p.end - end >= 45 && u[6] < 0.45) {
      const int again = end + 20 + 5 * static_cast<int>(u[7] * 3);
      const int last = std::min(again + 10 + 5 * static_cast<int>(u[8] * 8), p.end);
      if (last - again >= 10) cells.push_back({again, last, -1, directions(u[9], u[10], u[11])});
    }
    const int length = 10 + 5 * static_cast<int>(u[12] * 3);
    if (u[13] < 0.4 && end - start >= length && start >= 30 && end <= 1380) {
      const int from = start + 5 * static_cast<int>(u[14] * ((end - start - length) / 5 + 1));
      gale_[static_cast<size_t>(d)] = {from, from + length, -1, {}};
    }
  }
}

void SampleWeather::BuildPhenomena() {
  bare_.assign(static_cast<size_t>(days_ + 1), {});
  timed_.assign(static_cast<size_t>(days_ + 1), {});
  icing_.assign(static_cast<size_t>(days_ + 1), {});
  for (int d = 1; d <= days_; ++d) {
    const size_t di = static_cast<size_t>(d);
    const int airMin = Min(Series::Temperature, d).value;
    const int groundMin = Min(Series::Surface, d).value;

    // Phenomena without times.
    const int cloud02 = Cloud(d, 6).total;
    const int humidity08 = Humidity(d, 60 * 12);
    std::vector<std::string>& bare = bare_[di];
    if (groundMin >= 5 && cloud02 <= 5 && humidity08 >= 80 && airMin > 0) bare.push_back("01");
    if ((groundMin <= -5 && cloud02 <= 5 && humidity08 >= 50) || groundMin < -240)
      bare.push_back("02");
    if (airMin <= -5 || groundMin < -240) bare.push_back("03");
    const DayExtreme visMin = Min(Series::Visibility, d);
    if (visMin.value < 10000) bare.push_back(Humidity(d, visMin.minute) >= 75 ? "10" : "05");
    if (snowDepth_[di] >= 1) bare.push_back("16");
    std::sort(bare.begin(), bare.end());

    // Phenomena with times. The fog's minimum visibility is written in the
    // period where the fog was thickest.
    std::vector<SamplePhenomenon>& timed = timed_[di];
    if (!fog_[di].empty()) {
      SamplePhenomenon fog{"42", fog_[di], false};
      size_t thickest = 0;
      int lowest = 1 << 20;
      for (size_t k = 0; k < fog.periods.size(); ++k) {
        SamplePeriod& f = fog.periods[k];
        for (int m = f.start + 1; m <= f.end; ++m) {
          const int v = Tenths(Series::Visibility, d, m);
          if (v < lowest) lowest = v, thickest = k;
        }
        f.visibility = -1;
      }
      fog.periods[thickest].visibility = lowest;
      // Rime grows on the wires in a fog whose air stays below freezing;
      // it is measured when the fog has lifted. Its diameter and thickness
      // stay within the sizes an ordinary rime reaches without a weighing
      // (up to 37 mm).
      const int from = fog.periods.front().start, to = fog.periods.back().end;
      int warmest = -1000;
      for (int m = from + 1; m <= to; ++m)
        warmest = std::max(warmest, Tenths(Series::Temperature, d, m));
      if (station_.IcingLine == "1" && warmest <= -5 && to - from >= 120) {
        Icing& ice = icing_[di];
        ice.code = "48";
        ice.diameter = 27 + (to - from) / 120 % 10;
        ice.thickness = 27 + (to - from) / 180 % 5;
        ice.temperature = Tenths(Series::Temperature, d, to);
        if (ice.temperature > 0) ice.temperature = 0;
        timed.push_back({"48", {{from, to, -1, {}}}, false});
      }
      timed.push_back(std::move(fog));
    }
    const SamplePrecipitation& p = precip_[di];
    if (p.Has()) {
      const char* code = p.convective ? (p.snow ? "85" : "80") : (p.snow ? "70" : "60");
      timed.push_back({code, {{p.start, p.end, -1, {}}}, p.intermittent});
    }
    if (!thunder_[di].empty()) timed.push_back({"17", thunder_[di], false});
    if (gale_[di].end > 0) timed.push_back({"15", {gale_[di]}, false});
    std::stable_sort(timed.begin(), timed.end(),
                     [](const SamplePhenomenon& a, const SamplePhenomenon& b) {
                       return a.periods.front().start < b.periods.front().start;
                     });
  }
}

std::string SampleWeather::PhenomenonTime(int m, bool end) {
  int hhmm = ClockOfMinute(m);
  if (end && hhmm == 0) hhmm = 2400;
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04d", hhmm);
  return buf;
}

std::string SampleWeather::WeatherText(int d) const {
  std::string text;
  for (const std::string& code : bare_[static_cast<size_t>(d)]) text += code + ",";
  const char joiner = station_.DataCollection == "人工" ? '-' : ':';
  for (const SamplePhenomenon& ph : timed_[static_cast<size_t>(d)]) {
    text += ph.code;
    char separator = ' ';
    for (const SamplePeriod& p : ph.periods) {
      text += separator;
      separator = '\'';
      text += PhenomenonTime(p.start, false);
      if (p.visibility >= 0) text += "[" + std::to_string(p.visibility) + "]";
      text += ph.dotted ? "..." : "-";
      text += PhenomenonTime(p.end, true);
      for (size_t k = 0; k < p.directions.size(); ++k) {
        text += k == 0 ? ';' : joiner;
        text += p.directions[k];
      }
    }
    text += ',';
  }
  return text + ".";
}

}  // namespace kelvane::sample
