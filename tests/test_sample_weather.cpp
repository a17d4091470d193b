// The phenomena of the sample weather model over a year: the day texts use
// the record grammar broadly (periods across midnight and past 20 h, several
// records a day, thunderstorm directions, minimum visibilities, dotted and
// repeated periods), and every phenomenon agrees with the elements the
// audits compare it with (clouds, visibility, humidity, precipitation,
// wind, minimum temperatures).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "afile/audit/weather_text.h"
#include "sample/sample_stations.h"
#include "sample/sample_weather.h"

namespace kelvane::sample {
namespace {

constexpr uint32_t kSeed = 20120301;  // the seed of the files `kelvane sample` writes

using afile::audit::WeatherDay;
using afile::audit::WeatherPeriod;
using afile::audit::WeatherRecord;

TEST(SampleWeatherPhenomena, YearUsesTheRecordGrammar) {
  WeatherDay day;
  for (const SampleStation& s : SampleStations()) {
    SCOPED_TRACE(s.StationNum);
    int acrossMidnight = 0, pastTwenty = 0, severalRecords = 0, thunderDirections = 0,
        visibilities = 0, dotted = 0, repeated = 0;
    for (int month = 1; month <= 12; ++month) {
      const SampleWeather w(s, 2012, month, kSeed);
      std::string endsAtTwenty;  // code of a record of the day before that ends at 20:00
      for (int d = 1; d <= w.Days(); ++d) {
        const std::string text = w.WeatherText(d);
        day.Parse(text);
        EXPECT_TRUE(day.issues().empty()) << month << "/" << d << " " << text;
        int timed = 0;
        std::string endsToday;
        for (const WeatherRecord& r : day.records()) {
          if (r.periodCount == 0) continue;
          ++timed;
          repeated += r.periodCount >= 2;
          for (const WeatherPeriod* p = day.begin(r); p != day.end(r); ++p) {
            acrossMidnight += p->startMinutes < 240 && p->endMinutes > 240;
            if (p->start() == "2000" && r.code() == endsAtTwenty) ++pastTwenty;
            if (p->end() == "2000") endsToday = r.code();
            thunderDirections += r.code() == "17" && p->hasDirections;
            visibilities += !p->visibility().empty();
            dotted += p->dotted;
          }
        }
        severalRecords += timed >= 2;
        endsAtTwenty = endsToday;
      }
    }
    EXPECT_GE(acrossMidnight, 1);
    EXPECT_GE(pastTwenty, 1);
    EXPECT_GE(severalRecords, 1);
    EXPECT_GE(thunderDirections, 1);
    EXPECT_GE(visibilities, 1);
    EXPECT_GE(dotted, 1);
    EXPECT_GE(repeated, 1);
  }
}

bool Has(const std::vector<std::string>& codes, const char* code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

bool FormsHaveAny(const std::string& forms, std::initializer_list<const char*> parts) {
  for (const char* p : parts)
    if (forms.find(p) != std::string::npos) return true;
  return false;
}

TEST(SampleWeatherPhenomena, AgreeWithTheOtherElements) {
  for (const SampleStation& s : SampleStations())
    for (int month = 1; month <= 12; ++month) {
      const SampleWeather w(s, 2012, month, kSeed);
      for (int d = 1; d <= w.Days(); ++d) {
        const std::string where = s.StationNum + " " + std::to_string(month) + "/" +
                                  std::to_string(d) + " " + w.WeatherText(d);
        const SamplePrecipitation& rain = w.Precip(d);
        const SamplePhenomenon* fog = nullptr;
        const SamplePhenomenon* gale = nullptr;
        bool precipitationRecord = false;
        for (const SamplePhenomenon& ph : w.TimedPhenomena(d)) {
          const std::string& code = ph.code;
          if (code == "42") fog = &ph;
          if (code == "15") gale = &ph;
          const bool precipitation = code == "60" || code == "70" || code == "80" || code == "85";
          precipitationRecord = precipitationRecord || precipitation;
          if (precipitation) {
            EXPECT_EQ(ph.periods.front().start, rain.start) << where;
            EXPECT_EQ(ph.periods.back().end, rain.end) << where;
          }
          for (const SamplePeriod& p : ph.periods) {
            // The observations of the hours the period touches (an end more
            // than 45 minutes past the hour reaches the next one).
            const int first = std::max(1, (p.start + 59) / 60);
            const int last = std::min(24, p.end / 60 + (p.end % 60 > 45 ? 1 : 0));
            for (int c = first; c <= last; ++c) {
              const std::string& forms = w.Cloud(d, c).forms;
              const int humidity = w.Humidity(d, 60 * c);
              SCOPED_TRACE(where + " hour index " + std::to_string(c));
              if (code == "42") {
                EXPECT_LT(w.Hourly(Series::Visibility, d, c), 950);
                EXPECT_GE(humidity, 80);
                EXPECT_LE(w.Hourly(Series::WindSpeed, d, c), 60);
              }
              // Clouds that bring the phenomenon (the forms the audit asks for).
              if (code == "60" || code == "70") {
                EXPECT_TRUE(FormsHaveAny(forms, {"NS", "SC", "AC", "AS"})) << forms;
              }
              if (code == "80" || code == "85") {
                EXPECT_TRUE(FormsHaveAny(forms, {"CB", "CU"})) << forms;
              }
              if (code == "17") {
                EXPECT_TRUE(FormsHaveAny(forms, {"CB"})) << forms;
              }
              if (precipitation) {
                EXPECT_GE(humidity, 50);
              }
              if (code == "15") {
                EXPECT_GE(w.Hourly(Series::WindSpeed, d, c), 40);
              }
            }
          }
        }
        EXPECT_EQ(precipitationRecord, rain.Has()) << where;
        // Hourly amounts fall only in the hours of the event.
        for (int c = 1; c <= 24; ++c)
          if (rain.hourly[static_cast<size_t>(c)] > 0) {
            EXPECT_GE(c, std::max(1, (rain.start + 59) / 60)) << where;
            EXPECT_LE(c, (rain.end + 59) / 60) << where;
          }

        // A visibility below 1 km at an observation lies in a fog period
        // (or ended at most 14 minutes before); the day's lowest visibility
        // is the one written with the fog, which covers midnight.
        for (int c = 1; c <= 24; ++c) {
          if (w.Hourly(Series::Visibility, d, c) >= 1000) continue;
          bool explained = false;
          if (fog)
            for (const SamplePeriod& p : fog->periods)
              explained = explained || (p.start < 60 * c && p.end >= 60 * c - 14);
          EXPECT_TRUE(explained) << where << " hour index " << c;
        }
        const DayExtreme lowest = w.Min(Series::Visibility, d);
        if (fog) {
          int written = -1;
          for (const SamplePeriod& p : fog->periods) written = std::max(written, p.visibility);
          EXPECT_EQ(written, lowest.value) << where;
          EXPECT_LT(fog->periods.front().start, 240) << where;
          EXPECT_GE(fog->periods.front().end, 240) << where;
          EXPECT_TRUE(Has(w.BarePhenomena(d), "10")) << where;
        } else {
          EXPECT_GE(lowest.value, 1000) << where;
        }

        // Gusts of 17 m/s and more only in a gale, the strongest inside it,
        // with a maximum wind of at least 10 m/s.
        const DayExtreme gust = w.Max(Series::Gust, d);
        EXPECT_EQ(gust.value >= 170, gale != nullptr) << where;
        if (gale) {
          EXPECT_GE(gust.minute, gale->periods.front().start) << where;
          EXPECT_LE(gust.minute, gale->periods.front().end) << where;
          EXPECT_GE(w.Max(Series::WindSpeed, d).value, 100) << where;
        } else {
          EXPECT_LE(w.Max(Series::WindSpeed, d).value, 170) << where;
        }

        // Snow cover and ice against the minimum air and ground temperatures.
        const int air = w.Min(Series::Temperature, d).value;
        const int ground = w.Min(Series::Surface, d).value;
        const std::vector<std::string>& bare = w.BarePhenomena(d);
        if (Has(bare, "16")) {
          EXPECT_LE(air, 50) << where;
          EXPECT_LE(ground, 50) << where;
        }
        if (Has(bare, "03")) {
          EXPECT_LE(air, 50) << where;
          EXPECT_LE(ground, 80) << where;
        } else {
          EXPECT_GE(air, -200) << where;
          EXPECT_GE(ground, -250) << where;
        }
      }
    }
}

}  // namespace
}  // namespace kelvane::sample
