// The day-by-day pass of the weather phenomena audit, as the rules that
// compare the phenomena with the other elements see it: the parsed day
// (weather_text.h), what the pass has learnt about the day so far, and the
// places where those rules run (after each period's own checks, and at the
// end of the day).
#pragma once

#include <array>
#include <exception>
#include <new>
#include <string_view>

#include "afile/audit/toolkit.h"
#include "afile/audit/weather_text.h"

namespace kelvane::afile::audit {

inline constexpr std::string_view kWeatherElement = "天气现象";

// The element arrays the phenomena are compared with.
struct WeatherElements {
  const Grid& T;
  const Grid& U;
  const Grid& NN;
  const Grid& CC;
  const Grid& V;
  const Grid& R;
  const Grid& FDFF;
  const Grid& D0;
  const Grid& DYF;
  const Grid& ZJRR;
};

// The state of one day of the pass, reset at the start of the day.
struct WeatherDayState {
  int day = 0;
  // Index of the last night record, 0 when there is none.
  int lastNight = 0;
  // Start minutes of the first period of the last record that had one.
  int lastFirstStart = kUnknownMinutes;
  // Code of the record before the one at hand.
  std::string_view previousCode;
  // Start and end minutes of the last period examined.
  int previousStart = kUnknownMinutes;
  int previousEnd = kUnknownMinutes;
  // A minimum visibility already given, per code of kVisibilityCodes.
  std::array<bool, 7> visibilityGiven{};
  // A thunderstorm (17) period with directions was read.
  bool thunderDirection = false;
  // Precipitation phenomena in the 20-8 and the 8-20 part of the day, and
  // per hour index 1..24 (the hour ending at 21:00 is 1); kept by the
  // consistency rules.
  bool precipitation20to8 = false;
  bool precipitation8to20 = false;
  std::array<bool, 25> precipitationHour{};

  void Reset(int d);
  // Index of the last day record of a two-digit code, 0 when there is none.
  int LastDayRecord(std::string_view code) const;
  void NoteDayRecord(std::string_view code, int index);

 private:
  std::array<int, 100> lastDayRecord_{};
};

// The rules comparing the phenomena with the other elements. Per period,
// after the period's own checks (the state's previous start and end are
// already this period's):
void CheckPeriodWithElements(AuditContext& cx, const WeatherElements& el, const WeatherDay& day,
                             const WeatherRecord& record, const WeatherPeriod& period,
                             WeatherDayState& state);
// At the end of the day, first the minimum visibility against the fixed
// visibilities, then (after the duplicate checks) the rest.
void CheckMinimumVisibilityWithElements(AuditContext& cx, const WeatherElements& el,
                                        const WeatherDay& day, WeatherDayState& state);
void CheckDayWithElements(AuditContext& cx, const WeatherElements& el, const WeatherDay& day,
                          WeatherDayState& state);

// One step of the pass. A run-time error inside a step (a number that does
// not fit, a rule entry that cannot be read) abandons that step only; the
// pass goes on with the next. Running out of memory is not caught.
template <class Fn>
void RunWeatherStep(Fn&& fn) {
  try {
    fn();
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
  }
}

}  // namespace kelvane::afile::audit
