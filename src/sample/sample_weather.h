// A synthetic month of weather at one sample station, for the sample data
// files. The model is deterministic for a seed and internally consistent:
// hourly values are samples of minute series, so daily extremes and their
// times agree with the hourly values; humidity, clouds, visibility,
// sunshine, ground temperatures and weather phenomena follow the same
// precipitation events and cloudiness. Phenomena with times leave their
// mark on the other elements: fog lowers the visibility below 1 km and
// brings the air near saturation, a thunderstorm falls in a shower from
// cumulonimbus, a gale comes with gusts of 17 m/s and more.
//
// Time runs over observation days: observation day d (1..days) covers the
// minutes after 20:00 of the day before up to 20:00 of day d. Its hourly
// column c (1..24) is the hour 20 + c (21, 22, 23, 24) for c <= 4 and c - 4
// (1 ... 20) after that; the four fixed observations 02, 08, 14, 20 are the
// columns 6, 12, 18 and 24.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sample/sample_stations.h"

namespace kelvane::sample {

namespace detail {
// Weather of one calendar day, interpolated between noons.
struct SampleDayParams {
  double meanT, range, depression, slpAnomaly, cloud, lowShare, wind, windDir, haze;
};
}  // namespace detail

// The continuous elements of the model, each a minute series.
enum class Series : uint8_t {
  Pressure,     // station pressure, hPa
  Temperature,  // air temperature, °C
  DewPoint,     // °C (relative humidity derives from it and Temperature)
  Surface,      // ground-surface temperature, °C
  Grass,        // grass (snow) surface temperature, °C
  Visibility,   // m
  WindSpeed,    // ten-minute mean wind speed, m/s
  WindDir,      // ten-minute mean wind direction, whole degrees 1..360
  Gust,         // instantaneous wind speed, m/s
  kCount
};

// An extreme of one observation day: the value in the file's unit and the
// clock time hhmm of its first occurrence (midnight written "0000").
struct DayExtreme {
  int value = 0;
  int hhmm = 0;
  int minute = 0;  // minute of the observation day, 1..1440
};

// Cloud observation of one hour.
struct SampleCloud {
  int total = 0;       // tenths of the sky
  int low = 0;
  std::string forms;   // cloud forms, largest amount first, blank-separated
  std::string lowForm; // genus of the low cloud ("SC", "CU", "NS"), empty when none
  int lowBase = 0;     // height of the low cloud base, m (0: no low cloud)
};

// The precipitation of one observation day: at most one event. An event
// that runs on past 20:00 ends at 1440 and goes on from 0 on the next day.
struct SamplePrecipitation {
  int start = -1;  // minutes after 20:00 of the day before; -1: no event
  int end = -1;    // start < end <= 1440
  bool snow = false;
  bool convective = false;    // a shower from cumulonimbus (thunder possible)
  bool intermittent = false;  // light precipitation that comes and goes
  std::array<int, 25> hourly{};  // tenths of mm, hour index 1..24 (the hour ending at column c)
  bool trace20to8 = false;       // the event touches the half day but brought < 0.05 mm
  bool trace8to20 = false;
  int Amount20to8() const;
  int Amount8to20() const;
  bool Has() const { return start >= 0; }
};

// A period of a phenomenon recorded with times, in minutes of the
// observation day (0 is 20:00 of the day before): the phenomenon is present
// in the minutes after start up to and including end.
struct SamplePeriod {
  int start = 0;
  int end = 0;
  int visibility = -1;                  // minimum visibility (m) of the period; -1: none
  std::vector<std::string> directions;  // thunderstorm: start, [middle,] end direction
};

// A phenomenon with times: its code and periods in time order.
struct SamplePhenomenon {
  std::string code;
  std::vector<SamplePeriod> periods;
  bool dotted = false;  // intermittent: each start and end joined by "..."
};

class SampleWeather {
 public:
  SampleWeather(const SampleStation& station, int year, int month, uint32_t seed);

  // The precipitation of a month alone (cheap; identical to what the full
  // model of the same month holds).
  static std::vector<SamplePrecipitation> Precipitation(const SampleStation& station, int year,
                                                        int month, uint32_t seed);

  int Year() const { return year_; }
  int Month() const { return month_; }
  int Days() const { return days_; }

  // Value of a series at minute m of observation day d (m = 0 is 20:00 of the
  // day before; m may run from -1440 to 1440 around the month).
  float At(Series s, int d, int m) const;
  // Tenths of the unit (hPa, °C, m/s), rounded half away from zero; wind
  // direction in whole degrees; visibility in metres rounded to 10 m.
  int Tenths(Series s, int d, int m) const;
  // Hourly value (column c) in the file unit of Tenths.
  int Hourly(Series s, int d, int c) const { return Tenths(s, d, 60 * c); }
  // Relative humidity in whole percent at a minute (from temperature and dew
  // point), 1..100.
  int Humidity(int d, int m) const;

  // Daily maximum and minimum over the minutes of observation day d.
  DayExtreme Max(Series s, int d) const;
  DayExtreme Min(Series s, int d) const;
  DayExtreme MinHumidity(int d) const;

  // Hourly cloud observation at column c (1..24).
  const SampleCloud& Cloud(int d, int c) const;
  const SamplePrecipitation& Precip(int d) const { return precip_[d]; }
  // True when column c of day d lies in the hours of the day's precipitation.
  bool PrecipitationHour(int d, int c) const;

  // Ground temperature (tenths of °C) at 5, 10, 15, 20, 40, 80, 160 or 320 cm,
  // hourly column c.
  int Soil(int depthCm, int d, int c) const;

  // Sunshine in tenths of an hour of the true-solar hour j-1..j (j 1..24) of
  // calendar day d.
  int Sunshine(int d, int j) const { return sunshine_[d][j]; }
  // Sunrise and sunset of calendar day d as hhmm in local mean time.
  int SunriseLocalMean(int d) const { return sunriseLmt_[d]; }
  int SunsetLocalMean(int d) const { return sunsetLmt_[d]; }

  // Snow depth at 08 h, cm (0: no snow cover).
  int SnowDepth(int d) const { return snowDepth_[d]; }
  // Frozen soil at 08 h: upper and lower limit of the frozen layer, cm;
  // lower < 0 when the ground is not frozen.
  int FrozenUpper(int d) const { return frozenUpper_[d]; }
  int FrozenLower(int d) const { return frozenLower_[d]; }
  // Small-pan evaporation of the day, tenths of mm; large pan per hour.
  int SmallPan(int d) const { return smallPan_[d]; }
  int LargePan(int d, int c) const { return largePan_[d][c]; }
  // Whether the large pan is in use this month (not in the frozen season).
  bool LargePanInUse() const { return month_ >= 4 && month_ <= 10; }

  // Bare phenomena of the day, as two-digit codes in ascending order (dew,
  // frost, ice, haze, mist, snow cover).
  const std::vector<std::string>& BarePhenomena(int d) const { return bare_[d]; }
  // Phenomena with times (fog, precipitation, thunderstorm, gale), in the
  // order of their first start. Fog periods carry the minimum visibility in
  // the period where it occurred; thunderstorm periods their directions.
  const std::vector<SamplePhenomenon>& TimedPhenomena(int d) const { return timed_[d]; }
  // The day's weather text: the bare codes, then the phenomena with times,
  // records each followed by ",", then "."; "." alone on a day without
  // phenomena. Periods are written hhmm-hhmm (hhmm...hhmm when
  // intermittent), a minimum visibility as [metres] after the start time,
  // thunderstorm directions after ";" joined by ":" (by "-" at a manual
  // station, as its observers write them).
  std::string WeatherText(int d) const;
  // Ground state code of the 14 h observation.
  int GroundState(int d) const { return groundState_[d]; }
  // Wire icing of the day at a station that observes it: rime from a fog
  // in freezing air (code 48, recorded as the phenomenon 48 over the fog's
  // hours), with its diameters and thicknesses in mm and the air
  // temperature (tenths of °C) when the fog lifted. Code empty: none.
  struct Icing {
    std::string code;
    int diameter = 0, thickness = 0, temperature = 0;
  };
  const Icing& WireIcing(int d) const { return icing_[d]; }

  // Clock time hhmm of minute m of an observation day (m 1..1440).
  static int ClockOfMinute(int m);
  // Clock time hhmm of a phenomenon start or end (an end at midnight is
  // written 2400).
  static std::string PhenomenonTime(int m, bool end);

 private:
  // Time of hourly node n (hours after 20:00 of observation day 0).
  struct NodeTime {
    size_t i = 0;      // index into the node vectors
    int k = 0;         // calendar day (0: the day before day 1 of the month)
    int hour = 0;      // clock hour 0..23 of calendar day k
    double clock = 0;  // the same as a number
    double x = 0;      // calendar time in days (k + 0.5 is noon of day k)
    int d = 0, c = 0;  // observation day and hourly column
    bool wet = false;  // an hour of the day's precipitation
  };
  NodeTime TimeOfNode(int n) const;
  // A day parameter interpolated between noons at calendar time x.
  double Param(double detail::SampleDayParams::*field, double x) const;
  // Cloud observation of node n.
  SampleCloud CloudOfNode(int n, double x, double clock, bool precipHour, bool shower) const;

  // The model is built in this order (sample_weather.cpp; the phenomena in
  // sample_phenomena.cpp).
  void BuildDays(uint32_t seed);
  void PlanFog();
  void BuildNodes();
  void BuildCloudNodes();
  void BuildWetnessNodes();
  std::vector<double> BuildTemperatureAndDewPointNodes();
  void BuildPressureNodes(const std::vector<double>& airTemperature);
  void BuildWindNodes();
  void BuildVisibilityNodes();
  void BuildSnowCover();
  void BuildSurfaceNodes();
  void SurfaceSeries(std::vector<float>& out, const std::vector<double>& heating, double gain,
                     const std::vector<double>& cooling, double loss,
                     const std::vector<double>& snowCover);
  void PlanStorms();
  void BuildMinutes(uint32_t seed);
  void KeepSnowOnColdDays();
  void BuildSoil();
  void BuildSun();
  void BuildDaily();
  void BuildPhenomena();

  int NodeIndex(int d, int c) const { return 24 * (d - 1) + c - nodeLo_; }
  float Node(Series s, int n) const { return nodes_[static_cast<size_t>(s)][n - nodeLo_]; }

  const SampleStation& station_;
  int year_, month_, days_;
  double lat_ = 0, lon_ = 0, elevation_ = 0;
  uint32_t seed_;

  // Calendar-day parameters (index: calendar day + a margin of days).
  std::vector<detail::SampleDayParams> dayParams_;
  std::vector<SamplePrecipitation> precip_;       // index 1..days
  std::vector<std::array<SampleCloud, 25>> clouds_;  // index 1..days, column 1..24

  // Hourly nodes over [nodeLo_, nodeHi_] hours after 20:00 of day 0.
  int nodeLo_ = 0, nodeHi_ = 0;
  std::array<std::vector<float>, static_cast<size_t>(Series::kCount)> nodes_;
  std::vector<float> cloudNode_;   // cloud cover 0..1 per node
  std::vector<float> precipNode_;  // 1 in precipitation hours
  std::vector<float> snowNode_;    // 1 under snow cover
  std::vector<float> snowCover_;   // snow cover as the surface feels it, 0..1
  std::vector<float> bareSurface_; // the ground surface as it would be without snow
  // Minute series over [-1440, days*1440 + 1440].
  int minuteLo_ = 0;
  std::array<std::vector<float>, static_cast<size_t>(Series::kCount)> minutes_;
  std::array<std::vector<float>, 8> soil_;  // per depth, per node

  std::vector<std::array<int, 25>> sunshine_;
  std::vector<int> sunriseLmt_, sunsetLmt_;
  std::vector<int> snowDepth_, frozenUpper_, frozenLower_, smallPan_, groundState_;
  std::vector<std::array<int, 25>> largePan_;
  std::vector<std::vector<std::string>> bare_;
  // Per day: fog periods (in the night before the day; the visibility is
  // the lowest the fog is to reach), thunderstorm periods, a gale.
  std::vector<std::vector<SamplePeriod>> fog_, thunder_;
  std::vector<SamplePeriod> gale_;  // end 0: none
  std::vector<std::vector<SamplePhenomenon>> timed_;
  std::vector<Icing> icing_;
};

}  // namespace kelvane::sample
