// The visibility audit and the two tests of whether the weather phenomena of
// a day explain a low visibility at an observation.
#pragma once

#include <string_view>

#include "afile/audit/weather_text.h"

namespace kelvane::afile::audit {

// When an observation was made, as the explanation tests need it: its
// minute of the observation day (PhenomenonMinutes, end mode) and whether
// it falls in the night part of the day, which a night bracket alone
// explains (hourly arrays: 21 to 8 o'clock; four observations: 02 and 08).
struct ObservationTime {
  int minute = 0;
  bool night = false;
};

// Below 1.0 km. The fog, mist and haze family (04/05/06) anywhere in the
// day's records, or a 31/38/39/42/50/70/85 period covering the quarter of
// an hour up to the observation explains it. Only when nothing explains it
// does a covering precipitation period (60/68/77/79/80/83/87/89) make it
// merely doubtful: the level is then "可疑", else "错误". With a night
// bracket, a night observation is judged by the night records alone.
bool ExplainsLowVisibility(std::string_view& level, const WeatherDay& day,
                           const ObservationTime& at);

// 1.0 to 9.9 km: haze, mist and the like (04/05/06/07/10) anywhere, or a
// 38/50/60/68/70/77/79/80/83/85/87/89 period covering the observation.
bool ExplainsReducedVisibility(const WeatherDay& day, const ObservationTime& at);

}  // namespace kelvane::afile::audit
