#include "sample/sample_text.h"
#include "sample/sample_yfile.h"

#include <iconv.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

#include "common/error.h"
#include "common/solar.h"
#include "common/text.h"
#include "kelvane/year_statistic.h"
#include "sample/sample_weather.h"
#include "yfile/layout.h"

namespace kelvane::sample {

namespace {

namespace fs = std::filesystem;

// A whole number zero-padded to width characters, a sign included.
std::string Pad(long v, int width) {
  std::string digits = std::to_string(v < 0 ? -v : v);
  const int room = width - (v < 0 ? 1 : 0);
  if (static_cast<int>(digits.size()) < room)
    digits.insert(0, static_cast<size_t>(room) - digits.size(), '0');
  return v < 0 ? "-" + digits : digits;
}

std::string Run(char c, int width) { return std::string(static_cast<size_t>(width), c); }

long Round(double x) { return RoundHalfAway(x); }

// Sixteen-point code of a direction in degrees, index 0 (N) .. 15 (NNW).
int DirectionIndex(int degrees) {
  return static_cast<int>(std::floor(((degrees % 360 + 360) % 360 + 11.25) / 22.5)) % 16;
}

// A direction code padded in front with "P" to three characters.
std::string Padded(std::string_view code) {
  if (code.size() >= 3) return std::string(code);
  return std::string(3 - code.size(), 'P') + std::string(code);
}

// Header field of a length in metres: tenths in `width` digits ("0" when
// the station has none).
std::string TenthsField(std::string text, int width) {
  if (!text.empty() && text.front() == '(') text = text.substr(1, text.size() - 2);
  return Pad(Round(LeadingNumber(text) * 10.0), width);
}

std::string CoordinateField(const std::string& text, int degreeDigits) {
  const std::string body = text.substr(0, text.size() - 1);
  return Pad(static_cast<long>(LeadingInteger(GetField(body, ".", 1))), degreeDigits) +
         Pad(static_cast<long>(LeadingInteger(GetField(body, ".", 2))), 2) + text.back();
}

// The extreme of daily values with the day group: the first day holding it,
// plus 50 when another day holds the same value (not on day 1, whose 51 the
// check does not take).
struct Extreme {
  long value = 0;
  std::string day;
};

Extreme ExtremeOf(const std::vector<long>& perDay, bool largest) {
  int best = 0, ties = 0;
  for (size_t d = 1; d < perDay.size(); ++d) {
    const long v = perDay[d];
    if (best == 0 || (largest ? v > perDay[static_cast<size_t>(best)] : v < perDay[static_cast<size_t>(best)])) {
      best = static_cast<int>(d);
      ties = 1;
    } else if (v == perDay[static_cast<size_t>(best)]) {
      ++ties;
    }
  }
  return {perDay[static_cast<size_t>(best)], Pad(ties > 1 && best > 1 ? best + 50 : best, 2)};
}

double MeanOf(const std::vector<long>& perDay) {
  double s = 0;
  for (size_t d = 1; d < perDay.size(); ++d) s += static_cast<double>(perDay[d]);
  return s / static_cast<double>(perDay.size() - 1);
}


// Phenomenon codes of the model counted by the 25 weather-day items (雨, 雪,
// 冰雹, 冰针, 雾, 轻雾, 露, 霜, 雨凇, 雾凇, 吹雪, 龙卷, 积雪, 结冰, 沙尘暴, 扬沙,
// 浮尘, 烟幕, 霾, 尘卷风, 雷暴, 闪电, 极光, 大风, 飑); "" for those it never has.
constexpr std::array<std::array<std::string_view, 2>, 25> kWeatherCodes = {{
    {"60", "80"}, {"70", "85"}, {"", ""}, {"", ""}, {"42", ""}, {"10", ""}, {"01", ""},
    {"02", ""}, {"", ""}, {"", ""}, {"", ""}, {"", ""}, {"16", ""}, {"03", ""}, {"", ""},
    {"", ""}, {"", ""}, {"", ""}, {"05", ""}, {"", ""}, {"17", ""}, {"", ""}, {"", ""},
    {"15", ""}, {"", ""},
}};

class YWriter {
 public:
  YWriter(const SampleStation& st, int year, uint32_t seed) : st_(st), year_(year) {
    for (int m = 1; m <= 12; ++m)
      months_[static_cast<size_t>(m - 1)] = std::make_unique<SampleWeather>(st, year, m, seed);
    my_ = StringArray::Matrix(1, 13, 1, yfile::kYearItems);
    mwdf_ = StringArray::Matrix(1, 17, 1, 60);
    ywdf_ = StringArray::Matrix(1, 17, 1, 6);
    para_ = VariantArray::Vector(1, 16);
    para_(2) = Variant(std::to_string(year));
    para_(6) = Variant(st.Latitude);
    para_(7) = Variant(st.Longitude);
  }

  std::vector<std::string> Lines() {
    for (int m = 1; m <= 12; ++m) Month(m);
    FirstLast();
    if (Status s = yearstat::YearStatistic(para_, my_, mwdf_, ywdf_); !s.ok())
      throw Error(s.number(), s.description());
    lines_.push_back(Header());
    for (const yfile::IdentifierSpec& id : yfile::Identifiers()) {
      lines_.emplace_back(1, id.letter);
      for (const yfile::BlockSpec& b : id.blocks) Block(b);
    }
    lines_.push_back("??????");
    Appendix();
    lines_.push_back("######");
    return std::move(lines_);
  }

 private:
  const SampleWeather& W(int m) const { return *months_[static_cast<size_t>(m - 1)]; }
  void Set(int m, int item, std::string v) { my_(m, item) = std::move(v); }

  std::string Header() const {
    auto elevation = [](const std::string& text) {
      return std::string(text.starts_with("(") ? "1" : "0") + TenthsField(text, 5);
    };
    const char cls = st_.StationClass == "基准站" ? '1'
                     : st_.StationClass == "基本站" ? '2'
                     : st_.FixTimes == "3"          ? '4'
                                                    : '3';
    return st_.StationNum + " " + CoordinateField(st_.Latitude, 2) + " " +
           CoordinateField(st_.Longitude, 3) + " " + elevation(st_.FieldElevation) + " " +
           elevation(st_.BaroElevation) + " " + TenthsField(st_.WindVHeight, 3) + " " +
           TenthsField(st_.PlatformH, 3) + " S" + (st_.DataCollection == "人工" ? '0' : '1') +
           cls + " 000 " + Pad(year_, 4);
  }

  // ---- the monthly values of month m

  // Daily values of a series: mean of the hourly values, maximum, minimum.
  struct Daily {
    std::vector<long> mean, max, min;
  };
  Daily DailyOf(const SampleWeather& w, Series s) const {
    Daily d;
    const size_t n = static_cast<size_t>(w.Days()) + 1;
    d.mean.assign(n, 0), d.max.assign(n, 0), d.min.assign(n, 0);
    for (int day = 1; day <= w.Days(); ++day) {
      long sum = 0;
      for (int c = 1; c <= 24; ++c) sum += w.Hourly(s, day, c);
      d.mean[static_cast<size_t>(day)] = Round(static_cast<double>(sum) / 24.0);
      d.max[static_cast<size_t>(day)] = w.Max(s, day).value;
      d.min[static_cast<size_t>(day)] = w.Min(s, day).value;
    }
    return d;
  }

  // mean, mean max, mean min, highest, its day, lowest, its day
  void MeanAndExtremes(int m, int item, const Daily& d, int width) {
    const Extreme hi = ExtremeOf(d.max, true), lo = ExtremeOf(d.min, false);
    Set(m, item, Pad(Round(MeanOf(d.mean)), width));
    Set(m, item + 1, Pad(Round(MeanOf(d.max)), width));
    Set(m, item + 2, Pad(Round(MeanOf(d.min)), width));
    Set(m, item + 3, Pad(hi.value, width));
    Set(m, item + 4, hi.day);
    Set(m, item + 5, Pad(lo.value, width));
    Set(m, item + 6, lo.day);
  }

  void Month(int m) {
    const SampleWeather& w = W(m);
    const int days = w.Days();
    const size_t n = static_cast<size_t>(days) + 1;

    const Daily p = DailyOf(w, Series::Pressure);
    MeanAndExtremes(m, 1, p, 5);
    // Sea level: the station pressure brought down by the barometer height.
    Set(m, 8, Pad(Round(MeanOf(p.mean) + LeadingNumber(st_.BaroElevation) * 1.2), 5));

    const Daily t = DailyOf(w, Series::Temperature);
    static constexpr int kFixed[] = {6, 12, 18, 24};
    for (int i = 0; i < 4; ++i) {
      long s = 0;
      for (int d = 1; d <= days; ++d) s += w.Hourly(Series::Temperature, d, kFixed[i]);
      Set(m, 9 + i, Pad(Round(static_cast<double>(s) / days), 4));
    }
    long range = 0, hot = 0, warm = 0, frost = 0, cold = 0;
    for (int d = 1; d <= days; ++d) {
      const size_t k = static_cast<size_t>(d);
      range += t.max[k] - t.min[k];
      hot += t.max[k] >= 350, warm += t.max[k] >= 300, frost += t.min[k] < 0, cold += t.min[k] < -100;
    }
    Set(m, 13, Pad(Round(static_cast<double>(range) / days), 4));
    Set(m, 14, Pad(hot, 4)), Set(m, 15, Pad(warm, 4)), Set(m, 16, Pad(frost, 4)), Set(m, 17, Pad(cold, 4));
    MeanAndExtremes(m, 18, t, 4);

    // Vapour pressure from the dew point, relative humidity.
    std::vector<long> eMean(n), eMax(n), eMin(n), uMean(n), uMin(n);
    for (int d = 1; d <= days; ++d) {
      const size_t k = static_cast<size_t>(d);
      long es = 0, us = 0, hi = -1, lo = 1 << 20;
      for (int c = 1; c <= 24; ++c) {
        const double td = w.Hourly(Series::DewPoint, d, c) / 10.0;
        const long e = Round(10.0 * 6.1078 * std::pow(10.0, 7.5 * td / (237.3 + td)));
        es += e, hi = std::max(hi, e), lo = std::min(lo, e);
        us += w.Humidity(d, 60 * c);
      }
      eMean[k] = Round(es / 24.0), eMax[k] = hi, eMin[k] = lo;
      uMean[k] = Round(us / 24.0), uMin[k] = w.MinHumidity(d).value;
    }
    const Extreme eHi = ExtremeOf(eMax, true), eLo = ExtremeOf(eMin, false), uLo = ExtremeOf(uMin, false);
    Set(m, 25, Pad(Round(MeanOf(eMean)), 3));
    Set(m, 26, Pad(eHi.value, 3)), Set(m, 27, eHi.day), Set(m, 28, Pad(eLo.value, 3)), Set(m, 29, eLo.day);
    Set(m, 30, Pad(Round(MeanOf(uMean)), 2)), Set(m, 31, Pad(uLo.value, 2)), Set(m, 32, uLo.day);

    // Clouds: monthly means in tenths of a tenth, days by daily mean class.
    long total = 0, low = 0;
    std::array<long, 6> classes{};
    for (int d = 1; d <= days; ++d) {
      long dt = 0, dl = 0;
      for (int c = 1; c <= 24; ++c) dt += w.Cloud(d, c).total, dl += w.Cloud(d, c).low;
      total += dt, low += dl;
      const long t10 = Round(dt * 10.0 / 24.0), l10 = Round(dl * 10.0 / 24.0);
      ++classes[t10 <= 19 ? 0 : t10 <= 80 ? 1 : 2];
      ++classes[l10 <= 19 ? 3 : l10 <= 80 ? 4 : 5];
    }
    Set(m, 33, Pad(Round(total * 10.0 / (24.0 * days)), 3));
    Set(m, 34, Pad(Round(low * 10.0 / (24.0 * days)), 3));
    for (int i = 0; i < 6; ++i) Set(m, 35 + i, Pad(classes[static_cast<size_t>(i)], 3));

    Precipitation(m);
    Weather(m);

    // Evaporation: small pan, and the large pan in its season.
    long small = 0, large = 0;
    for (int d = 1; d <= days; ++d) {
      small += w.SmallPan(d);
      for (int c = 1; c <= 24; ++c) large += w.LargePan(d, c);
    }
    Set(m, 66, Pad(small, 5));
    Set(m, 67, w.LargePanInUse() ? Pad(large, 5) : Run('.', 5));

    // Snow depth; the model has no snow pressure and no wire icing.
    std::vector<long> snow(n, 0);
    long anySnow = 0;
    for (int d = 1; d <= days; ++d) snow[static_cast<size_t>(d)] = w.SnowDepth(d), anySnow += w.SnowDepth(d) > 0;
    if (anySnow > 0) {
      const Extreme s = ExtremeOf(snow, true);
      Set(m, 68, Pad(s.value, 3)), Set(m, 69, s.day);
    } else {
      Set(m, 68, "..."), Set(m, 69, "//");
    }
    Set(m, 70, "..."), Set(m, 71, "//");
    static constexpr int kIcingWidths[12] = {4, 3, 3, 5, 2, 3, 3, 5, 2, 4, 3, 3};
    for (int i = 0; i < 12; ++i)
      Set(m, 72 + i, i == 4 || i == 8 ? "//" : Run('.', kIcingWidths[i]));

    Wind(m);

    const Daily g = DailyOf(w, Series::Surface);
    MeanAndExtremes(m, 118, g, 4);
    long frozen = 0;
    for (int d = 1; d <= days; ++d) frozen += g.min[static_cast<size_t>(d)] <= 0;
    Set(m, 125, Pad(frozen, 3));
    static constexpr int kDepths[8] = {5, 10, 15, 20, 40, 80, 160, 320};
    for (int i = 0; i < 8; ++i) {
      long s = 0;
      for (int d = 1; d <= days; ++d)
        for (int c = 1; c <= 24; ++c) s += w.Soil(kDepths[i], d, c);
      Set(m, 126 + i, Pad(Round(static_cast<double>(s) / (24.0 * days)), 4));
    }
    const Daily gr = DailyOf(w, Series::Grass);
    MeanAndExtremes(m, 134, gr, 4);
    long grassFrozen = 0;
    for (int d = 1; d <= days; ++d) grassFrozen += gr.min[static_cast<size_t>(d)] <= 0;
    Set(m, 141, Pad(grassFrozen, 3));

    std::vector<long> soilFrozen(n, -1);
    long anyFrozen = 0;
    for (int d = 1; d <= days; ++d)
      soilFrozen[static_cast<size_t>(d)] = w.FrozenLower(d), anyFrozen += w.FrozenLower(d) >= 0;
    if (anyFrozen > 0) {
      const Extreme f = ExtremeOf(soilFrozen, true);
      Set(m, 142, Pad(f.value, 4)), Set(m, 143, f.day);
    } else {
      Set(m, 142, "...."), Set(m, 143, "//");
    }

    Sunshine(m);
  }

  void Precipitation(int m) {
    const SampleWeather& w = W(m);
    const int days = w.Days();
    std::vector<long> amount(static_cast<size_t>(days) + 1, 0);
    long night = 0, dayTime = 0, wet = 0, hourMax = 0, sum = 0;
    for (int d = 1; d <= days; ++d) {
      const SamplePrecipitation& p = w.Precip(d);
      if (!p.Has()) continue;
      night += p.Amount20to8(), dayTime += p.Amount8to20();
      amount[static_cast<size_t>(d)] = p.Amount20to8() + p.Amount8to20();
      for (int c = 1; c <= 24; ++c) hourMax = std::max<long>(hourMax, p.hourly[static_cast<size_t>(c)]);
    }
    for (int d = 1; d <= days; ++d) sum += amount[static_cast<size_t>(d)], wet += amount[static_cast<size_t>(d)] > 0;
    const long extra[9] = {night, dayTime, wet, hourMax, 0, 0, 0, 0, 0};
    for (int i = 0; i < 9; ++i) Set(m, 41 + i, Pad(extra[i], 5));
    Set(m, 50, Pad(sum, 5));
    if (sum > 0) {
      const Extreme e = ExtremeOf(amount, true);
      Set(m, 51, Pad(e.value, 5)), Set(m, 52, e.day);
    } else {
      Set(m, 51, "....."), Set(m, 52, "//");
    }
    static constexpr long kClasses[8] = {1, 10, 50, 100, 250, 500, 1000, 1500};
    for (int i = 0; i < 8; ++i) {
      long count = 0;
      for (int d = 1; d <= days; ++d) count += amount[static_cast<size_t>(d)] >= kClasses[i];
      Set(m, 53 + i, Pad(count, 4));
    }
    // The longest wet and dry spells inside the month (ties: the larger
    // amount, then the earlier spell).
    auto spell = [&](bool wetDays, int item) {
      int bestStart = 0, bestLen = 0;
      long bestAmount = -1;
      for (int d = 1; d <= days;) {
        if ((amount[static_cast<size_t>(d)] > 0) != wetDays) {
          ++d;
          continue;
        }
        int e = d;
        long a = 0;
        while (e <= days && (amount[static_cast<size_t>(e)] > 0) == wetDays) a += amount[static_cast<size_t>(e++)];
        const int len = e - d;
        if (len > bestLen || (wetDays && len == bestLen && a > bestAmount))
          bestStart = d, bestLen = len, bestAmount = a;
        d = e;
      }
      Set(m, item, Pad(bestLen, 4));
      if (wetDays) Set(m, item + 1, Pad(std::max<long>(bestAmount, 0), 5));
      const int dates = wetDays ? item + 2 : item + 1;
      if (bestLen == 0) {
        Set(m, dates, "/////-/////");
      } else {
        Set(m, dates, Pad(m, 2) + "/" + Pad(bestStart, 2) + "-" + Pad(m, 2) + "/" +
                          Pad(bestStart + bestLen - 1, 2));
      }
    };
    spell(true, 61);
    spell(false, 64);
  }

  void Weather(int m) {
    const SampleWeather& w = W(m);
    std::array<long, 25> count{};
    for (int d = 1; d <= w.Days(); ++d) {
      for (size_t i = 0; i < 25; ++i) {
        bool seen = false;
        for (std::string_view code : kWeatherCodes[i]) {
          if (code.empty()) continue;
          for (const std::string& b : w.BarePhenomena(d)) seen = seen || b == code;
          for (const SamplePhenomenon& p : w.TimedPhenomena(d)) seen = seen || p.code == code;
        }
        count[i] += seen;
      }
    }
    for (int i = 0; i < 25; ++i) Set(m, 84 + i, Pad(count[static_cast<size_t>(i)], 3));
  }

  void Wind(int m) {
    const SampleWeather& w = W(m);
    const int days = w.Days();
    std::vector<long> mean(static_cast<size_t>(days) + 1), max(mean.size()), gust(mean.size());
    std::vector<std::string> maxDir(mean.size()), gustDir(mean.size());
    std::array<long, 17> sum{}, count{}, top{};
    long all = 0;
    for (int d = 1; d <= days; ++d) {
      const size_t k = static_cast<size_t>(d);
      long s = 0;
      for (int c = 1; c <= 24; ++c) {
        const int speed = w.Hourly(Series::WindSpeed, d, c);
        s += speed;
        const size_t i = speed <= 2 ? 16 : static_cast<size_t>(DirectionIndex(w.Hourly(Series::WindDir, d, c)));
        ++count[i], ++all;
        if (i < 16) sum[i] += speed, top[i] = std::max<long>(top[i], speed);
      }
      mean[k] = Round(s / 24.0);
      const DayExtreme mx = w.Max(Series::WindSpeed, d), gx = w.Max(Series::Gust, d);
      max[k] = mx.value, gust[k] = gx.value;
      maxDir[k] = yfile::kDirections[DirectionIndex(w.Tenths(Series::WindDir, d, mx.minute))];
      gustDir[k] = yfile::kDirections[DirectionIndex(w.Tenths(Series::WindDir, d, gx.minute))];
    }
    Set(m, 111, Pad(Round(MeanOf(mean)), 3));
    const Extreme mx = ExtremeOf(max, true), gx = ExtremeOf(gust, true);
    const size_t mxDay = static_cast<size_t>(LeadingInteger(mx.day) % 50 == 0 ? 50 : LeadingInteger(mx.day) % 50);
    const size_t gxDay = static_cast<size_t>(LeadingInteger(gx.day) % 50 == 0 ? 50 : LeadingInteger(gx.day) % 50);
    Set(m, 112, Pad(mx.value, 3)), Set(m, 113, maxDir[mxDay]), Set(m, 114, mx.day);
    Set(m, 115, Pad(gx.value, 3)), Set(m, 116, gustDir[gxDay]), Set(m, 117, gx.day);

    for (size_t i = 0; i < 17; ++i) {
      const long col = (m - 1) * 5;
      const long dir = static_cast<long>(i) + 1;
      mwdf_(dir, col + 2) = Pad(count[i], 4);
      mwdf_(dir, col + 4) = Pad(Round(100.0 * static_cast<double>(count[i]) / static_cast<double>(all)), 2);
      if (i == 16) break;
      mwdf_(dir, col + 1) = Pad(sum[i], 6);
      mwdf_(dir, col + 3) = count[i] ? Pad(Round(static_cast<double>(sum[i]) / static_cast<double>(count[i])), 3) : "...";
      mwdf_(dir, col + 5) = count[i] ? Pad(top[i], 3) : "...";
    }
    // The most frequent direction and the next (calm left out).
    size_t first = 16, second = 16;
    for (size_t i = 0; i < 16; ++i) {
      if (count[i] == 0) continue;
      if (first == 16 || count[i] > count[first]) {
        second = first, first = i;
      } else if (second == 16 || count[i] > count[second]) {
        second = i;
      }
    }
    mostSecond_[static_cast<size_t>(m - 1)] = second;
    Set(m, 109, first == 16 ? "..." : std::string(yfile::kDirections[first]));
    Set(m, 110, first == 16 ? ".." : mwdf_(static_cast<long>(first) + 1, (m - 1) * 5 + 4));
  }

  void Sunshine(int m) {
    const SampleWeather& w = W(m);
    const int days = w.Days();
    long dekad[3] = {0, 0, 0}, total = 0, bright = 0, dull = 0;
    double possible = 0;
    for (int d = 1; d <= days; ++d) {
      long h = 0;
      for (int j = 1; j <= 24; ++j) h += w.Sunshine(d, j);
      dekad[d <= 10 ? 0 : d <= 20 ? 1 : 2] += h;
      total += h;
      const double dl = DayLength(std::to_string(year_), std::to_string(m), std::to_string(d),
                                  st_.Latitude, st_.Longitude);
      possible += dl;
      bright += h / 10.0 >= 0.6 * dl;
      dull += h / 10.0 <= 0.2 * dl;
    }
    for (int i = 0; i < 3; ++i) Set(m, 144 + i, Pad(dekad[i], 5));
    Set(m, 147, Pad(total, 5));
    Set(m, 148, Pad(possible > 0 ? Round(100.0 * (total / 10.0) / possible) : 0, 2));
    Set(m, 149, Pad(bright, 3)), Set(m, 150, Pad(dull, 3));
  }

  // ---- first and last dates: the model covers the file's year only, so
  // the first dates of the previous autumn are "no event".

  void FirstLast() {
    // Per day of the year: frost, snow, snow cover, ice, air, ground and
    // grass at or below 0 ℃, thunder.
    std::array<int, 8> springM{}, springD{}, autumnM{}, autumnD{}, firstM{}, firstD{};
    for (int m = 1; m <= 12; ++m) {
      const SampleWeather& w = W(m);
      for (int d = 1; d <= w.Days(); ++d) {
        auto has = [&](std::string_view code) {
          for (const std::string& b : w.BarePhenomena(d))
            if (b == code) return true;
          for (const SamplePhenomenon& p : w.TimedPhenomena(d))
            if (p.code == code) return true;
          return false;
        };
        const bool on[8] = {has("02"), has("70") || has("85"), has("16"), has("03"),
                            w.Min(Series::Temperature, d).value <= 0,
                            w.Min(Series::Surface, d).value <= 0,
                            w.Min(Series::Grass, d).value <= 0, has("17")};
        for (size_t i = 0; i < 8; ++i) {
          if (!on[i]) continue;
          if (i == 7) {
            if (firstM[i] == 0) firstM[i] = m, firstD[i] = d;
            springM[i] = m, springD[i] = d;
          } else if (m < 7) {
            springM[i] = m, springD[i] = d;
          } else if (autumnM[i] == 0) {
            autumnM[i] = m, autumnD[i] = d;
          }
        }
      }
    }
    auto date = [](int m, int d) { return m == 0 ? std::string(".. ..") : Pad(m, 2) + " " + Pad(d, 2); };
    for (size_t i = 0; i < 7; ++i)
      firstLast_[i] = ".. .. " + date(springM[i], springD[i]) + " ... " + date(autumnM[i], autumnD[i]);
    std::string thunder = date(firstM[7], firstD[7]) + " " + date(springM[7], springD[7]) + " ";
    if (firstM[7] == 0) {
      thunder += "...";
    } else {
      auto dayOfYear = [&](int m, int d) {
        int n = d;
        for (int k = 1; k < m; ++k) n += DaysInMonth(year_, k);
        return n;
      };
      thunder += Pad(dayOfYear(springM[7], springD[7]) - dayOfYear(firstM[7], firstD[7]) + 1, 3);
    }
    firstLast_[7] = thunder;
    // Frost-free: the days strictly between the last spring frost and the
    // first autumn frost (January 1 and December 31 for none).
    auto dayOfYear = [&](int m, int d) {
      int n = d;
      for (int k = 1; k < m; ++k) n += DaysInMonth(year_, k);
      return n;
    };
    const int spring = springM[0] ? dayOfYear(springM[0], springD[0]) : 1;
    const int autumn = autumnM[0] ? dayOfYear(autumnM[0], autumnD[0]) : dayOfYear(12, 31);
    firstLast_[8] = Pad(autumn - spring - 1, 3);
  }

  // ---- the lines of each block

  void Block(const yfile::BlockSpec& b) {
    using yfile::Special;
    switch (b.special) {
      case Special::None: return Standard(b);
      case Special::PeriodMaxRain:
        for (int a = 1; a <= 15; ++a) lines_.push_back(std::string("..... .. .. .. ..") + (a == 15 ? "=" : ""));
        return;
      case Special::WetSpell:
      case Special::DrySpell: return Spell(b);
      case Special::FirstLastDates:
        for (size_t i = 0; i < 9; ++i) lines_.push_back(firstLast_[i] + (i == 8 ? "=" : ""));
        return;
      case Special::WindStatistics: return WindLines();
      case Special::MostFrequent: return MostFrequentLines();
    }
  }

  void Standard(const yfile::BlockSpec& b) {
    for (int a = 1; a <= 13; ++a) {
      const std::string_view layout = a == 13 ? b.yearLine : b.monthLine;
      int yearItems = 0;
      for (char c : layout) yearItems += c != yfile::kGroupMonth;
      int item = a == 13 ? b.firstItem + b.items - yearItems : b.firstItem;
      std::string line;
      for (size_t k = 0; k < layout.size(); ++k, ++item) {
        if (!line.empty()) line += ' ';
        const std::string& v = my_(a, item);
        if (layout[k] == yfile::kGroupMonth) {
          // "MM/DD" back to its two groups; a date of no event is missing.
          if (IsRunOf(v, '/')) {
            line += "// " + Run('/', yfile::GroupWidth(layout[k + 1]));
          } else {
            line += GetField(v, "/", 1) + " " + GetField(v, "/", 2);
          }
          ++k;
        } else if (layout[k] == yfile::kGroupDirection) {
          line += Padded(v);
        } else {
          line += v;
        }
      }
      lines_.push_back(line + (a == 13 ? "=" : ""));
    }
  }

  void Spell(const yfile::BlockSpec& b) {
    const bool wet = b.special == yfile::Special::WetSpell;
    for (int a = 1; a <= 13; ++a) {
      std::string line = my_(a, b.firstItem);
      if (wet) line += " " + my_(a, b.firstItem + 1);
      std::string dates = my_(a, b.firstItem + (wet ? 2 : 1));
      for (char& c : dates)
        if (c == '/' || c == '-') c = ' ';
      // A month without a spell: its four date groups missing.
      if (my_(a, b.firstItem + (wet ? 2 : 1)) == "/////-/////") dates = "// // // //";
      line += " " + dates;
      lines_.push_back(line + (a == 13 ? "=" : ""));
    }
  }

  void WindLines() {
    for (int m = 1; m <= 12; ++m)
      for (int q = 0; q < 4; ++q) {
        std::string line;
        for (int j = 0; j < 4; ++j)
          for (int i = 1; i <= 5; ++i) {
            if (!line.empty()) line += ' ';
            line += mwdf_(q * 4 + j + 1, (m - 1) * 5 + i);
          }
        lines_.push_back(line);
      }
    for (int m = 1; m <= 12; ++m)
      lines_.push_back(mwdf_(17, (m - 1) * 5 + 2) + " " + mwdf_(17, (m - 1) * 5 + 4));
    for (int q = 0; q < 4; ++q) {
      std::string line;
      for (int j = 0; j < 4; ++j)
        for (int i = 1; i <= 6; ++i) {
          if (!line.empty()) line += ' ';
          line += ywdf_(q * 4 + j + 1, i);
        }
      lines_.push_back(line);
    }
    lines_.push_back(ywdf_(17, 2) + " " + ywdf_(17, 4) + "=");
  }

  void MostFrequentLines() {
    for (int a = 1; a <= 13; ++a) {
      size_t second = 16;
      std::string secondFreq = "..";
      if (a <= 12) {
        second = mostSecond_[static_cast<size_t>(a - 1)];
        if (second < 16) secondFreq = mwdf_(static_cast<long>(second) + 1, (a - 1) * 5 + 4);
      } else {
        // The year's second direction from the yearly counts.
        size_t first = 16;
        for (size_t i = 0; i < 16; ++i)
          if (yfile::kDirections[i] == my_(13, 109)) first = i;
        long best = 0;
        for (size_t i = 0; i < 16; ++i) {
          const long c = static_cast<long>(LeadingInteger(ywdf_(static_cast<long>(i) + 1, 2)));
          if (i != first && c > best) best = c, second = i;
        }
        if (second < 16) secondFreq = ywdf_(static_cast<long>(second) + 1, 4);
      }
      const std::string& top = my_(a, 109);
      lines_.push_back((top == "..." ? top : Padded(top)) + " " + my_(a, 110) + " " +
                       (second < 16 ? Padded(yfile::kDirections[second]) : std::string("...")) +
                       " " + secondFreq + (a == 13 ? "=" : ""));
    }
  }

  void Appendix() {
    lines_.push_back("FM");
    lines_.push_back(st_.StationNum.substr(0, 5));
    lines_.push_back(st_.province);
    lines_.push_back(st_.StationName);
    lines_.push_back(st_.address);
    lines_.push_back(st_.environment);
    for (const char* name : {"王明", "李华", "张强", "赵敏", "陈静", "刘洋"}) lines_.push_back(name);
    lines_.push_back(Pad(year_ + 1, 4) + "0115=");
    lines_.push_back("GK");
    lines_.push_back("01/全年平均气温" + my_(13, 18) + ",降水量" + my_(13, 50));
    lines_.push_back("05/本年天气气候基本正常=");
    lines_.push_back("BZ");
    if (st_.DataCollection != "人工") lines_.push_back("10/自动观测/逐时");
    lines_.push_back("10/人工观测/02、08、14、20时");
    lines_.push_back("11/昼夜守班=");
    lines_.push_back("YQ");
    lines_.push_back("01/气压表/DYM1/2008/正常");
    lines_.push_back("02/温度表/WQG/2008/正常=");
  }

  const SampleStation& st_;
  int year_;
  std::array<std::unique_ptr<SampleWeather>, 12> months_;
  StringArray my_, mwdf_, ywdf_;
  VariantArray para_;
  std::array<size_t, 12> mostSecond_{};
  std::array<std::string, 9> firstLast_;
  std::vector<std::string> lines_;
};

}  // namespace

std::string SampleYFileName(const SampleStation& station, int year) {
  return "Y" + station.StationNum + "-" + Pad(year, 4) + ".TXT";
}

std::vector<std::string> SampleYFileLines(const SampleStation& station, int year, uint32_t seed) {
  return YWriter(station, year, seed).Lines();
}

std::string WriteSampleYFile(const SampleStation& station, int year, uint32_t seed,
                             const std::string& dir) {
  return WriteLines(SampleYFileLines(station, year, seed), dir, SampleYFileName(station, year));
}

}  // namespace kelvane::sample
