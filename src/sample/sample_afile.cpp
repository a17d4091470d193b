#include "sample/sample_text.h"
#include "sample/sample_afile.h"
#include "sample/sample_yfile.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "afile/segment_table.h"
#include "common/error.h"
#include "common/formulas.h"
#include "common/pressure.h"
#include "common/text.h"
#include "sample/sample_weather.h"

namespace kelvane::sample {

namespace {

namespace fs = std::filesystem;
using afile::BlockKind;
using afile::BlockLayout;
using afile::ModeLayout;
using afile::SegmentLayout;

// The seed of the sample files that `kelvane sample` writes.
constexpr uint32_t kSampleSeed = 20120301;
// Hourly columns of the four fixed observations 02, 08, 14 and 20.
constexpr int kFixedColumns[4] = {6, 12, 18, 24};

[[noreturn]] void Unsupported(std::string_view what) {
  throw std::logic_error("sample A file: no sample data for " + std::string(what));
}

// ---------------------------------------------------------------------------
// Records: a value, nothing to record, or a text.

struct Cell {
  enum class Kind : uint8_t { Number, Nothing, Text };
  Kind kind = Kind::Nothing;
  int value = 0;
  std::string text;
};

Cell Num(int v) { return {Cell::Kind::Number, v, {}}; }
Cell NothingCell() { return {Cell::Kind::Nothing, 0, {}}; }
Cell TextCell(std::string t) { return {Cell::Kind::Text, 0, std::move(t)}; }

std::string Digits(long v, int width) {
  std::string s = std::to_string(v);
  if (static_cast<int>(s.size()) > width)
    throw std::logic_error("sample A file: value " + s + " does not fit " + std::to_string(width) +
                           " characters");
  return std::string(static_cast<size_t>(width) - s.size(), '0') + s;
}

std::string FormatCell(const Cell& c, const BlockLayout& b, int width) {
  switch (c.kind) {
    case Cell::Kind::Nothing:
      return std::string(static_cast<size_t>(width), ',');
    case Cell::Kind::Text:
      return c.text;
    case Cell::Kind::Number:
      break;
  }
  int v = c.value;
  const AFileArray t = b.targets[0].array;
  if (t == &AFileArrays::strU && width == 2 && v >= 100) return "%%";
  if (t == &AFileArrays::strP || t == &AFileArrays::strP0) v %= 10000;
  if (v < 0) return "-" + Digits(-static_cast<long>(v), width - 1);
  return Digits(v, width);
}

std::string Pad2(int v) { return Digits(v, 2); }


// A sixteen-point direction code for a direction in degrees, padded in front
// with "P" to three characters.
std::string DirectionCode(int degrees) {
  static const char* const kCodes[16] = {"N",  "NNE", "NE", "ENE", "E",  "ESE", "SE", "SSE",
                                         "S",  "SSW", "SW", "WSW", "W",  "WNW", "NW", "NNW"};
  const int i = static_cast<int>(std::floor((degrees % 360 + 11.25) / 22.5)) % 16;
  std::string code = kCodes[i];
  return std::string(3 - code.size(), 'P') + code;
}

// Header field of a length in metres: tenths of a metre in `width` digits
// ("-" and one digit less below zero), or "/" throughout when empty.
std::string TenthsField(std::string text, int width) {
  if (text.empty()) return std::string(static_cast<size_t>(width), '/');
  if (text.front() == '(') text = text.substr(1, text.size() - 2);
  const int v = RoundHalfAway(LeadingNumber(text) * 10.0);
  return v < 0 ? "-" + Digits(-v, width - 1) : Digits(v, width);
}

// Header field of a coordinate "39.48N": degrees in `degreeDigits` digits,
// minutes, hemisphere.
std::string CoordinateField(const std::string& text, int degreeDigits) {
  const std::string body = text.substr(0, text.size() - 1);
  return Digits(LeadingInteger(GetField(body, ".", 1)), degreeDigits) +
         Digits(LeadingInteger(GetField(body, ".", 2)), 2) + text.back();
}

std::string DateText(int day, int month, int year) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", day, month, year);
  return buf;
}

// ---------------------------------------------------------------------------
// Precipitation as the fixed-time block writes it.

struct FixedPrecipitation {
  Cell night, day, total;  // 20-8, 8-20, 20-20
};

FixedPrecipitation FixedAmounts(const SamplePrecipitation& p) {
  if (!p.Has()) return {NothingCell(), NothingCell(), NothingCell()};
  const int a = p.Amount20to8(), b = p.Amount8to20();
  const Cell night = a > 0 ? Num(a) : (p.trace20to8 ? Num(0) : NothingCell());
  const Cell day = b > 0 ? Num(b) : (p.trace8to20 ? Num(0) : NothingCell());
  return {night, day, Num(a + b)};
}

// The cross-month precipitation line of a month: the spell (wet or dry)
// still running at the end of the previous month, derived from that month's
// daily totals and its own cross-month line exactly as the format check
// derives it from the previous month's file.
std::string CrossMonthLine(const SampleStation& st, int year, int month, uint32_t seed,
                           int depth = 0) {
  const int py = month == 1 ? year - 1 : year;
  const int pm = month == 1 ? 12 : month - 1;
  if (depth > 36) return "0000 " + DateText(1, pm, py) + " 00000=";
  const std::vector<SamplePrecipitation> prev = SampleWeather::Precipitation(st, py, pm, seed);
  const int days = DaysInMonth(py, pm);
  long sum = 0;
  int lastDry = 0, lastWet = 0;
  for (int d = 1; d <= days; ++d) {
    const Cell total = FixedAmounts(prev[static_cast<size_t>(d)]).total;
    if (total.kind != Cell::Kind::Number || total.value == 0) {
      sum = 0;
      lastDry = d;
    } else {
      sum += total.value;
      lastWet = d;
    }
  }
  std::optional<std::string> own;
  auto previousLine = [&]() -> const std::string& {
    if (!own) own = CrossMonthLine(st, py, pm, seed, depth + 1);
    return *own;
  };
  // A spell that filled the whole previous month started before it: its
  // start and, for a wet spell, its amount come from that month's own line.
  std::string date;
  long expected = sum;
  if (sum < 1) {
    const bool carried = lastWet == 0 && LeadingNumber(previousLine().substr(16, 5)) == 0;
    date = carried ? previousLine().substr(5, 10) : DateText(lastWet + 1, pm, py);
  } else if (lastDry == 0 && LeadingInteger(previousLine().substr(16, 5)) > 0) {
    expected = sum + LeadingInteger(previousLine().substr(16, 5));
    date = previousLine().substr(5, 10);
  } else {
    date = DateText(lastDry + 1, pm, py);
  }
  return "0000 " + date + " " + Digits(expected, 5) + "=";
}

// ---------------------------------------------------------------------------
// The writer of one file.

class AFileWriter {
 public:
  AFileWriter(const SampleStation& st, int year, int month, uint32_t seed)
      : st_(st),
        year_(year),
        month_(month),
        seed_(seed),
        w_(st, year, month, seed),
        days_(w_.Days()),
        flags_(HeaderModeFlags(st)),
        codes_(SampleModeCodes(st)),
        humid_(static_cast<size_t>(days_ + 1)) {}

  // The lines of the minute data file (empty for a station that keeps no
  // minute data): the header, then the station pressure, air temperature
  // and relative humidity sections, each its code line ("P0") and one line
  // per hour of the month, the hours of each observation day in the order
  // of the A file (21, 22, ..., 24, 1, ..., 20). A line holds the hour's 60
  // minute values separated by single blanks, minute 1 of the hour first
  // and the full hour last, each written as the A file writes the element
  // (pressure without the thousands digit, "%%" for 100 %). The section's
  // last line ends with "=". A section whose element is not recorded
  // automatically is the line "P=" ("T=", "U=") alone.
  std::vector<std::string> MinuteLines() {
    std::vector<std::string> out;
    if (!HasMinuteData(st_)) return out;
    out.push_back(MinuteHeader());
    const std::vector<int> hours = Columns(24);
    struct Section {
      char letter;
      size_t flag;  // position of the element in the A header's mode flags
    };
    for (const Section section : {Section{'P', 0}, Section{'T', 1}, Section{'U', 4}}) {
      if (flags_[section.flag] != '1') {
        out.push_back(std::string(1, section.letter) + "=");
        continue;
      }
      out.push_back(std::string(1, section.letter) + "0");
      std::string line;
      for (int d = 1; d <= days_; ++d) {
        for (int c = 1; c <= 24; ++c) {
          line.clear();
          for (int m = 60 * (c - 1) + 1; m <= 60 * c; ++m) {
            if (m % 60 != 1) line += ' ';
            switch (section.letter) {
              case 'P':
                line += Digits(w_.Tenths(Series::Pressure, d, m) % 10000, 4);
                break;
              case 'T': {
                const int t = w_.Tenths(Series::Temperature, d, m);
                line += t < 0 ? "-" + Digits(-t, 3) : Digits(t, 4);
                break;
              }
              default: {
                const int u = HumidityAt(d, m, hours);
                line += u >= 100 ? "%%" : Digits(u, 2);
                break;
              }
            }
          }
          if (d == days_ && c == 24) line += '=';
          out.push_back(line);
        }
      }
    }
    return out;
  }

  std::vector<std::string> Lines() {
    lines_.clear();
    lines_.push_back(Header());
    baroText_ = BarometerElevationText();
    const auto segments = afile::Segments();
    for (size_t k = 0; k < segments.size(); ++k) WriteSegment(segments[k], codes_[k]);
    lines_.push_back("??????");
    if (st_.qualityControl) {
      for (size_t k = 0; k < segments.size(); ++k) WriteQualitySegment(segments[k], codes_[k]);
      WriteCorrections();
    }
    lines_.push_back("******");
    WriteAppendix();
    lines_.push_back("######");
    return std::move(lines_);
  }

 private:
  // Psychrometric values of one observation, as written.
  struct Humid {
    bool done = false;
    Cell wet;  // wet bulb as written (text: an iced bulb)
    int e = 0, u = 0, td = 0;
  };

  // ---- header

  std::string Header() const {
    return StationFields() + " " + flags_ + " " + (st_.qualityControl ? "1" : "0") + " " +
           Digits(year_, 4) + " " + Pad2(month_);
  }

  // The minute data file's header: the A header's station fields, five
  // flags ("1": recorded automatically) for station pressure, air
  // temperature, relative humidity, wind and precipitation, year, month.
  std::string MinuteHeader() const {
    std::string flags;
    for (size_t k : {0, 1, 4, 14, 9}) flags += flags_[k] == '1' ? '1' : '0';
    return StationFields() + " " + flags + " " + Digits(year_, 4) + " " + Pad2(month_);
  }

  // The header fields that the A file and its minute data file share:
  // station, position, elevations, instrument heights, station type and
  // class ("54511 3948N 11628E 000313 000313 105 000 S12").
  std::string StationFields() const {
    const std::string baro =
        flags_[0] == '1' && !st_.BaroSensorElevation.empty() ? st_.BaroSensorElevation
                                                               : st_.BaroElevation;
    auto elevation = [](const std::string& text) {
      return std::string(text.starts_with("(") ? "1" : "0") + TenthsField(text, 5);
    };
    return st_.StationNum + " " + CoordinateField(st_.Latitude, 2) + " " +
           CoordinateField(st_.Longitude, 3) + " " + elevation(st_.FieldElevation) + " " +
           elevation(baro) + " " + TenthsField(st_.WindVHeight, 3) + " " +
           TenthsField(st_.PlatformH, 3) + " S" + HeaderStationType(st_) + HeaderClassCode(st_);
  }

  // Barometer elevation as the check reads it from the header: metres with
  // one decimal ("31.3"), in parentheses when the header flags it estimated.
  std::string BarometerElevationText() const {
    const std::string& header = lines_.front();
    const int64_t tenths = LeadingInteger(std::string_view(header).substr(27, 5));
    const int64_t a = tenths < 0 ? -tenths : tenths;
    std::string metres = (tenths < 0 ? "-" : "") + std::to_string(a / 10) + "." +
                         std::to_string(a % 10);
    return header[26] == '1' ? "(" + metres + ")" : metres;
  }

  // ---- segments

  void WriteSegment(const SegmentLayout& seg, const std::string& code) {
    lines_.push_back(std::string(1, seg.letter) + code);
    const ModeLayout* mode = afile::FindMode(seg, code);
    if (!mode) return;
    for (const BlockLayout& block : mode->blocks) WriteBlock(block);
  }

  void WriteBlock(const BlockLayout& block) {
    if (block.kind == BlockKind::CrossMonth) {
      lines_.push_back(CrossMonthLine(st_, year_, month_, seed_));
      return;
    }
    if (!Present(block)) {
      lines_.push_back("=");
      return;
    }
    const bool instrumentVisibility = flags_[8] == '1';
    for (int d = 1; d <= days_; ++d) {
      const bool last = d == days_;
      if (block.kind == BlockKind::Weather) {
        std::string text = w_.WeatherText(d);
        if (last) text.back() = '=';
        lines_.push_back(text);
        continue;
      }
      const std::vector<Cell> cells = DayCells(block, d);
      // Records per line, in order.
      std::vector<int> perLine;
      for (int ln = 0; ln < afile::LinesPerDay(block); ++ln)
        perLine.push_back(afile::RecordsPerLine(block, ln));
      int expected = 0;
      for (int n : perLine) expected += n;
      if (static_cast<int>(cells.size()) != expected)
        Unsupported(std::string(block.element) + " with " + std::to_string(expected) +
                    " records a day");
      size_t at = 0;
      for (size_t ln = 0; ln < perLine.size(); ++ln) {
        std::string line;
        const int count = perLine[ln];
        for (int i = 1; i <= count; ++i, ++at) {
          if (block.kind == BlockKind::Cloud) {
            line += cells[at].text + ",";
          } else {
            if (i > 1) line += ' ';
            const int width = afile::RecordWidth(block, i, instrumentVisibility);
            line += FormatCell(cells[at], block, width);
          }
        }
        const bool lastLine = ln + 1 == perLine.size();
        if (lastLine && last)
          line += '=';
        else if (lastLine && perLine.size() > 1)
          line += '.';
        lines_.push_back(line);
      }
    }
  }

  // Whether a block holds data this month (else it is written "=").
  bool Present(const BlockLayout& block) const {
    using A = AFileArrays;
    const AFileArray t = block.targets[0].array;
    if (t == &A::strI) return st_.WetBulbT != "0";
    if (t == &A::strLL) return st_.Evapgauge != "0" && w_.LargePanInUse();
    if (t == &A::strZJFDFF) return st_.AutoWind != "0";
    if (t == &A::strDYF) return st_.AutoWind != "0" || st_.ExMaxWind != "0";
    if (t == &A::strGE) return st_.GroundEstate == "1";
    return true;
  }

  // Hourly columns of `count` observations a day.
  static std::vector<int> Columns(int count) {
    if (count >= 24) {
      std::vector<int> c(24);
      for (int i = 0; i < 24; ++i) c[static_cast<size_t>(i)] = i + 1;
      return c;
    }
    if (count >= 4) return {kFixedColumns, kFixedColumns + 4};
    Unsupported("three observations a day");
  }

  // Values at the observation columns, then the day's extremes: total =
  // observations + 0, 1 (minimum), 2 (maximum and minimum, or minimum and
  // its time) or 4 (maximum, time, minimum, time).
  std::vector<Cell> ValueCells(int total, const std::function<int(int)>& at,
                               const std::function<DayExtreme()>& max,
                               const std::function<DayExtreme()>& min) const {
    std::vector<Cell> cells;
    const std::vector<int> columns = Columns(total);
    for (int c : columns) cells.push_back(Num(at(c)));
    const int extras = total - static_cast<int>(columns.size());
    if (extras == 0) return cells;
    if (!min) Unsupported("extremes");
    const DayExtreme lo = min();
    if (extras == 1) {
      cells.push_back(Num(lo.value));
    } else if (extras == 2 && max) {
      cells.push_back(Num(max().value));
      cells.push_back(Num(lo.value));
    } else if (extras == 2) {
      cells.push_back(Num(lo.value));
      cells.push_back(Num(lo.hhmm));
    } else if (extras == 4 && max) {
      const DayExtreme hi = max();
      cells.push_back(Num(hi.value));
      cells.push_back(Num(hi.hhmm));
      cells.push_back(Num(lo.value));
      cells.push_back(Num(lo.hhmm));
    } else {
      Unsupported("extremes");
    }
    return cells;
  }

  std::vector<Cell> SeriesCells(Series s, int total, int d) const {
    return ValueCells(
        total, [&](int c) { return w_.Hourly(s, d, c); }, [&] { return w_.Max(s, d); },
        [&] { return w_.Min(s, d); });
  }

  // Sea-level pressure (tenths of hPa) at column c from the station
  // pressure, the temperature and the temperature 12 hours earlier.
  int SeaLevel(int d, int c) const {
    const int p = w_.Hourly(Series::Pressure, d, c);
    const int t = w_.Hourly(Series::Temperature, d, c);
    const int t12 = c > 12 ? w_.Hourly(Series::Temperature, d, c - 12)
                           : w_.Hourly(Series::Temperature, d - 1, c + 12);
    return static_cast<int>(LeadingInteger(SeaLevelPressure(
        std::to_string(p), std::to_string(t), std::to_string(t12), baroText_)));
  }

  const Humid& Psychrometer(int d, int c) {
    Humid& h = humid_[static_cast<size_t>(d)][static_cast<size_t>(c)];
    if (h.done) return h;
    h.done = true;
    const std::string dry = std::to_string(w_.Hourly(Series::Temperature, d, c));
    std::string e, u, td;
    if (st_.WetBulbT == "0") {
      // A humidity sensor: relative humidity measured, vapour pressure and
      // dew point derived from it.
      HumidityFromPsychrometer(dry, std::to_string(w_.Humidity(d, 60 * c)) + "U", "10000", "0.8",
                               e, u, td, 1000.0, 0, 0, 0, 0);
    } else {
      // A psychrometer: the wet-bulb reading whose vapour pressure comes
      // closest to the air's, iced on days with ice below 0 °C.
      const int t = w_.Hourly(Series::Temperature, d, c);
      const std::string p = std::to_string(w_.Hourly(Series::Pressure, d, c));
      const float dew = static_cast<float>(w_.Hourly(Series::DewPoint, d, c) / 10.0);
      const int target = RoundHalfAway(SatVapourWater(dew) * 10.0);
      const auto& bare = w_.BarePhenomena(d);
      const bool iceDay = std::find(bare.begin(), bare.end(), "03") != bare.end();
      int best = t, bestDiff = 1 << 30;
      for (int tw = t; tw >= t - 400; --tw) {
        const std::string wet = std::to_string(tw) + (iceDay && tw < 0 ? "B" : "");
        HumidityFromPsychrometer(dry, wet, p, st_.ventilation, e, u, td, 1000.0, 0, 0, 0, 0);
        const int diff = std::abs(std::stoi(e) - target);
        if (diff < bestDiff) {
          best = tw;
          bestDiff = diff;
        }
        if (std::stoi(e) < target) break;
      }
      const bool iced = iceDay && best < 0;
      HumidityFromPsychrometer(dry, std::to_string(best) + (iced ? "B" : ""), p, st_.ventilation,
                               e, u, td, 1000.0, 0, 0, 0, 0);
      h.wet = iced ? TextCell("," + Digits(-best, 3)) : Num(best);
    }
    h.e = std::stoi(e);
    h.u = std::stoi(u);
    h.td = std::stoi(td);
    return h;
  }

  std::vector<Cell> HumidityCells(AFileArray t, int total, int d) {
    if (t == &AFileArrays::strU) {
      const std::vector<int> columns = Columns(total);
      return ValueCells(
          total, [&](int c) { return Psychrometer(d, c).u; }, nullptr,
          [&] { return HumidityMinimum(d, columns); });
    }
    std::vector<Cell> cells;
    for (int c : Columns(total)) {
      const Humid& h = Psychrometer(d, c);
      cells.push_back(t == &AFileArrays::strI ? h.wet : Num(t == &AFileArrays::strE ? h.e : h.td));
    }
    return cells;
  }

  // Relative humidity at minute m of day d as the station keeps it: the
  // hygrograph's (or sensor's) minute value, and at an observation time the
  // observation itself (a psychrometer reading may differ from the
  // hygrograph by a percent).
  int HumidityAt(int d, int m, const std::vector<int>& columns) {
    if (m % 60 == 0 && std::find(columns.begin(), columns.end(), m / 60) != columns.end())
      return Psychrometer(d, m / 60).u;
    return w_.Humidity(d, m);
  }

  // The day's smallest relative humidity and the time of its first minute.
  DayExtreme HumidityMinimum(int d, const std::vector<int>& columns) {
    DayExtreme lo;
    lo.value = 1000;
    for (int m = 1; m <= 1440; ++m) {
      const int u = HumidityAt(d, m, columns);
      if (u < lo.value) lo = {u, 0, m};
    }
    lo.hhmm = SampleWeather::ClockOfMinute(lo.minute);
    return lo;
  }

  // Wind record: direction and speed in one six-character text.
  std::string WindText(int degrees, int speed) const {
    const std::string dir = codes_[14] == "N" ? Digits(degrees, 3) : DirectionCode(degrees);
    return dir + Digits(speed, 3);
  }

  // Two-minute wind at a fixed hour: close to the ten-minute wind.
  std::string FixedWind(int d, int c) const {
    const int speed10 = w_.Hourly(Series::WindSpeed, d, c);
    const int dir10 = w_.Hourly(Series::WindDir, d, c);
    const int k = 24 * d + c;
    const int speed = std::max(3, speed10 + ((k * 7) % 9 - 4) * std::max(1, speed10 / 20));
    int dir = dir10 + ((k * 5) % 7 - 3) * 3;
    dir = (dir + 359) % 360 + 1;
    return WindText(dir, speed);
  }

  // Depth in cm of a ground temperature array; 0 for any other.
  static int DepthOf(AFileArray t) {
    using A = AFileArrays;
    constexpr std::pair<AFileArray, int> kDepths[] = {
        {&A::strD5, 5},   {&A::strD10, 10}, {&A::strD15, 15},  {&A::strD20, 20},
        {&A::strD40, 40}, {&A::strK8, 80},  {&A::strK16, 160}, {&A::strK32, 320}};
    for (const auto& [array, depth] : kDepths)
      if (array == t) return depth;
    return 0;
  }

  std::vector<Cell> DayCells(const BlockLayout& block, int d) {
    using A = AFileArrays;
    const std::string_view e = block.element;  // for messages only
    const AFileArray t = block.targets[0].array;
    const int n = block.kind == BlockKind::Hourly ? block.count1 + block.count2 : block.count1;
    if (t == &A::strP) return SeriesCells(Series::Pressure, n, d);
    if (t == &A::strP0) {
      std::vector<Cell> cells;
      for (int c : Columns(n)) cells.push_back(Num(SeaLevel(d, c)));
      return cells;
    }
    if (t == &A::strT) return SeriesCells(Series::Temperature, n, d);
    if (t == &A::strD0) return SeriesCells(Series::Surface, n, d);
    if (t == &A::strGLT) return SeriesCells(Series::Grass, n, d);
    if (t == &A::strI || t == &A::strTD || t == &A::strE || t == &A::strU)
      return HumidityCells(t, n, d);
    if (t == &A::strNN || t == &A::strNL) {
      std::vector<Cell> cells;
      for (int c : Columns(n))
        cells.push_back(Num(t == &A::strNN ? w_.Cloud(d, c).total : w_.Cloud(d, c).low));
      return cells;
    }
    if (block.kind == BlockKind::Cloud) {
      // Cloud forms, or the measured height of the low cloud (genus and
      // metres) when there is low cloud.
      std::vector<Cell> cells;
      for (int c : Columns(block.count1 == 1 ? block.count2 : 24)) {
        const SampleCloud& cl = w_.Cloud(d, c);
        if (t == &A::strCC)
          cells.push_back(TextCell(cl.forms));
        else
          cells.push_back(TextCell(cl.low > 0 ? cl.lowForm + std::to_string(cl.lowBase) : ""));
      }
      return cells;
    }
    if (t == &A::strV) {
      const bool metres = flags_[8] == '1';
      auto unit = [metres](int m) { return metres ? m : RoundHalfAway(m / 100.0); };
      return ValueCells(
          n, [&](int c) { return unit(w_.Hourly(Series::Visibility, d, c)); }, nullptr,
          [&] {
            DayExtreme lo = w_.Min(Series::Visibility, d);
            lo.value = unit(lo.value);
            return lo;
          });
    }
    if (t == &A::strR) {
      const FixedPrecipitation f = FixedAmounts(w_.Precip(d));
      if (n != 3) Unsupported(e);
      return {f.night, f.day, f.total};
    }
    if (t == &A::strZJRR) {
      std::vector<Cell> cells;
      const SamplePrecipitation& p = w_.Precip(d);
      for (int c = 1; c <= 24; ++c) {
        const int v = p.hourly[static_cast<size_t>(c)];
        cells.push_back(v > 0 ? Num(v) : NothingCell());
      }
      return cells;
    }
    if (t == &A::strLE) return {Num(w_.SmallPan(d))};
    if (t == &A::strLL) {
      int total = 0;
      std::vector<Cell> cells;
      for (int c = 1; c <= 24; ++c) {
        total += w_.LargePan(d, c);
        if (n >= 24) cells.push_back(Num(w_.LargePan(d, c)));
      }
      if (n == 1 || n == 25) cells.push_back(Num(total));
      return cells;
    }
    if (t == &A::strZ) {
      const int depth = w_.SnowDepth(d);
      return {depth > 0 ? Num(depth) : NothingCell(), NothingCell()};
    }
    if (t == &A::strAA) {
      std::vector<Cell> cells;
      if (w_.FrozenLower(d) >= 0)
        cells = {Num(w_.FrozenUpper(d)), Num(w_.FrozenLower(d))};
      else
        cells = {NothingCell(), NothingCell()};
      while (static_cast<int>(cells.size()) < n) cells.push_back(NothingCell());
      return cells;
    }
    if (t == &A::strG) {
      // Nine records (code, then north-south and east-west diameter,
      // thickness, weight, temperature, wind) or the six sizes alone.
      std::vector<Cell> cells(block.layout.size(), NothingCell());
      const SampleWeather::Icing& ice = w_.WireIcing(d);
      if (ice.code.empty()) return cells;
      const size_t first = cells.size() >= 9 ? 1 : 0;
      if (first == 1) cells[0] = Num(std::stoi(ice.code));
      cells[first] = cells[first + 3] = Num(ice.diameter);
      cells[first + 1] = cells[first + 4] = Num(ice.thickness);
      if (cells.size() >= 9) cells[7] = Num(ice.temperature);
      return cells;
    }
    if (t == &A::strFDFF) {
      std::vector<Cell> cells;
      for (int c : Columns(block.kind == BlockKind::HourlyWind ? 24 : n))
        cells.push_back(TextCell(FixedWind(d, c)));
      return cells;
    }
    if (t == &A::strZJFDFF) {
      std::vector<Cell> cells;
      for (int c = 1; c <= 24; ++c)
        cells.push_back(TextCell(WindText(w_.Hourly(Series::WindDir, d, c),
                                          w_.Hourly(Series::WindSpeed, d, c))));
      return cells;
    }
    if (t == &A::strDYF) {
      const DayExtreme mx = w_.Max(Series::WindSpeed, d);
      const DayExtreme gust = w_.Max(Series::Gust, d);
      return {TextCell(WindText(w_.Tenths(Series::WindDir, d, mx.minute), mx.value)),
              Num(mx.hhmm),
              TextCell(WindText(w_.Tenths(Series::WindDir, d, gust.minute), gust.value)),
              Num(gust.hhmm)};
    }
    if (block.kind == BlockKind::DeepGround && n == 3)
      return {Num(w_.Soil(80, d, 18)), Num(w_.Soil(160, d, 18)), Num(w_.Soil(320, d, 18))};
    if (const int depth = DepthOf(t); depth > 0 && block.targets[1].array == nullptr) {
      return ValueCells(n, [&](int c) { return w_.Soil(depth, d, c); }, nullptr, nullptr);
    }
    if (t == &A::strZJSS) {
      int total = 0;
      for (int j = 1; j <= 24; ++j) total += w_.Sunshine(d, j);
      if (block.kind != BlockKind::Sunshine) return {Num(total)};
      std::vector<Cell> cells;
      if (n == 19) {
        for (int j = 5; j <= 22; ++j) cells.push_back(Num(w_.Sunshine(d, j)));
      } else if (n == 27) {
        for (int j = 1; j <= 24; ++j) cells.push_back(Num(w_.Sunshine(d, j)));
        cells.push_back(Num(w_.SunriseLocalMean(d)));
        cells.push_back(Num(w_.SunsetLocalMean(d)));
      } else {
        Unsupported(e);
      }
      cells.push_back(Num(total));
      return cells;
    }
    if (t == &A::strGE) return {Num(w_.GroundState(d))};
    Unsupported(e);
  }

  // ---- quality control

  void WriteQualitySegment(const SegmentLayout& seg, const std::string& code) {
    lines_.push_back(std::string("Q") + seg.letter + code);
    const ModeLayout* mode = afile::FindMode(seg, code);
    if (!mode) return;
    for (size_t b = 0; b < mode->blocks.size(); ++b) {
      const BlockLayout& block = mode->blocks[b];
      if (block.qcCodes == 0) continue;
      if (!Present(block)) {
        lines_.push_back("=");
        continue;
      }
      // Every value passed the station's checks: code 000 throughout.
      std::string line;
      for (int i = 0; i < block.qcCodes; ++i) line += i ? " 000" : "000";
      for (int d = 1; d < days_; ++d) lines_.push_back(line);
      lines_.push_back(line + "=");
    }
  }

  // Two corrections made while checking the month: a temperature and a
  // relative humidity that were keyed wrongly at first.
  void WriteCorrections() {
    auto temperature = [](int v) { return v < 0 ? "-" + Digits(-v, 3) : Digits(v, 4); };
    const int t = w_.Hourly(Series::Temperature, 5, 18);
    lines_.push_back("3 T 1 05 14 1 [" + temperature(t + 10) + "] [" + temperature(t) + "]");
    const int u = std::min(96, Psychrometer(12, 12).u);
    lines_.push_back("4 U 1 12 08 1 [" + Pad2(u + 3) + "] [" + Pad2(u) + "]=");
  }

  // ---- appendix

  void WriteAppendix() {
    const int nextYear = month_ == 12 ? year_ + 1 : year_;
    const int nextMonth = month_ % 12 + 1;
    lines_.push_back("YF");
    for (const std::string& l :
         {st_.StationNum, st_.province, st_.StationName, st_.address, st_.environment,
          std::string("周建国"), std::string("李华"), std::string("王强"), std::string("赵丽"),
          std::string("钱进"), std::string("孙宁")})
      lines_.push_back(l);
    lines_.push_back(Digits(nextYear, 4) + "/" + Pad2(nextMonth) + "/05=");

    // Month figures for the summary and the climate outline.
    long rain = 0, wettestAmount = 0, sunshine = 0, tempSum = 0, tempCount = 0;
    int wettestDay = 0, snowDays = 0;
    for (int d = 1; d <= days_; ++d) {
      const SamplePrecipitation& p = w_.Precip(d);
      const long amount = p.Has() ? p.Amount20to8() + p.Amount8to20() : 0;
      rain += amount;
      if (amount > wettestAmount) wettestAmount = amount, wettestDay = d;
      if (p.Has() && p.snow) ++snowDays;
      for (int j = 1; j <= 24; ++j) sunshine += w_.Sunshine(d, j);
      for (int c = 1; c <= 24; ++c) tempSum += w_.Hourly(Series::Temperature, d, c), ++tempCount;
    }
    auto tenths = [](long v) {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%s%ld.%ld", v < 0 ? "-" : "", std::labs(v) / 10,
                    std::labs(v) % 10);
      return std::string(buf);
    };
    lines_.push_back("JY");
    if (wettestAmount >= 50)
      lines_.push_back("01/" + Pad2(wettestDay) + "/本月最大日降水量" + tenths(wettestAmount) +
                       "毫米=");
    else
      lines_.push_back("8888=");

    const long meanTemp = RoundHalfAway(static_cast<double>(tempSum) / tempCount);
    lines_.push_back("GK");
    lines_.push_back("01/本月平均气温" + tenths(meanTemp) + "℃,降水量" + tenths(rain) +
                     "毫米,日照" + tenths(sunshine) + "小时" +
                     (snowDays > 0 ? ",有降雪" + std::to_string(snowDays) + "日" : ""));
    lines_.push_back("05/本月天气气候基本正常=");

    lines_.push_back("BZ");
    if (st_.DataCollection != "人工") lines_.push_back("10/自动观测/逐时");
    lines_.push_back("10/人工观测/02、08、14、20时");
    lines_.push_back("11/昼夜守班=");
  }

  const SampleStation& st_;
  int year_, month_;
  uint32_t seed_;
  SampleWeather w_;
  int days_;
  std::string flags_;
  std::vector<std::string> codes_;
  std::vector<std::array<Humid, 25>> humid_;
  std::vector<std::string> lines_;
  std::string baroText_;  // barometer elevation of the header, as the check reads it
};

}  // namespace

bool HasMinuteData(const SampleStation& station) {
  if (!station.hourly || station.DataCollection == "人工") return false;
  const std::string flags = HeaderModeFlags(station);
  return flags[0] == '1' || flags[1] == '1' || flags[4] == '1';
}

std::string SampleAFileName(const SampleStation& station, int year, int month) {
  return "A" + station.StationNum + "-" + Digits(year, 4) + Pad2(month) + ".TXT";
}

std::vector<std::string> SampleModeCodes(const SampleStation& st) {
  const std::string flags = HeaderModeFlags(st);
  const bool hourly = st.hourly;
  const bool reference = st.StationClass == "基准站";
  const bool automatic = st.DataCollection != "人工";
  auto observed = [&](int k) { return flags[static_cast<size_t>(k)] != '9'; };
  auto automaticFlag = [&](int k) { return flags[static_cast<size_t>(k)] == '1'; };
  std::vector<std::string> codes = {
      hourly ? "C" : "3",                                               // P
      hourly ? "B" : "0",                                               // T
      hourly ? "B" : "2",                                               // I
      hourly ? "A" : "0",                                               // E
      hourly ? "B" : "0",                                               // U
      reference ? "A" : "0",                                            // N
      !observed(6) ? "=" : (reference ? "B" : "0"),                     // H
      reference ? "A" : "0",                                            // C
      reference ? "A" : (automaticFlag(8) ? "B" : "0"),                 // V
      automaticFlag(9) ? "6" : "0",                                     // R
      !observed(10) ? "=" : "0",                                        // W
      !observed(11) ? "=" : (automatic && automaticFlag(11) ? "B" : "0"),  // L
      !observed(12) ? "=" : "0",                                        // Z
      !observed(13) ? "=" : (hourly ? "2" : "0"),                       // G
      automaticFlag(14) ? "N" : "E",                                    // F
      !observed(15) ? "=" : (automaticFlag(15) ? "B" : "0"),            // D
      !observed(16) ? "=" : (automaticFlag(16) ? "B" : "0"),            // K
      !observed(17) ? "=" : "0",                                        // A
      !observed(18) ? "=" : (automaticFlag(18) ? "A" : "2"),            // S
      !observed(19) ? "=" : "A",                                        // B
  };
  return codes;
}

std::vector<std::string> SampleAFileLines(const SampleStation& station, int year, int month,
                                          uint32_t seed) {
  return AFileWriter(station, year, month, seed).Lines();
}

std::string SampleJFileName(const SampleStation& station, int year, int month) {
  return "J" + SampleAFileName(station, year, month).substr(1);
}

std::vector<std::string> SampleJFileLines(const SampleStation& station, int year, int month,
                                          uint32_t seed) {
  if (!HasMinuteData(station)) return {};
  return AFileWriter(station, year, month, seed).MinuteLines();
}


std::string WriteSampleAFile(const SampleStation& station, int year, int month, uint32_t seed,
                             const std::string& dir) {
  return WriteLines(SampleAFileLines(station, year, month, seed), dir,
                    SampleAFileName(station, year, month), true);
}

std::string WriteSampleJFile(const SampleStation& station, int year, int month, uint32_t seed,
                             const std::string& dir) {
  if (!HasMinuteData(station)) return {};
  return WriteLines(SampleJFileLines(station, year, month, seed), dir,
                    SampleJFileName(station, year, month), false);
}

std::vector<std::string> WriteSampleStationFiles(const std::string& dir,
                                                 std::vector<std::string>* minuteFiles) {
  const std::string data = (fs::path(dir) / "data").string();
  std::vector<std::string> written;
  for (const SampleStation& s : SampleStations())
    for (int month : {2, 3}) {
      written.push_back(WriteSampleAFile(s, 2012, month, kSampleSeed, data));
      const std::string minutes = WriteSampleJFile(s, 2012, month, kSampleSeed, data);
      if (minuteFiles && !minutes.empty()) minuteFiles->push_back(minutes);
    }
  return written;
}

std::vector<std::string> WriteSampleYFiles(const std::string& dir) {
  const std::string data = (fs::path(dir) / "data").string();
  std::vector<std::string> written;
  for (const SampleStation& s : SampleStations())
    written.push_back(WriteSampleYFile(s, 2012, kSampleSeed, data));
  return written;
}

}  // namespace kelvane::sample
