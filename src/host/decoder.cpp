#include "host/decoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "afile/segment_table.h"
#include "common/error.h"
#include "common/text.h"
#include "common/text_file.h"

namespace kelvane::host {

namespace {

using afile::BlockKind;
using afile::BlockLayout;
using afile::BlockTarget;
using afile::LinesPerDay;
using afile::RecordsPerLine;
using afile::ModeLayout;
using afile::SegmentLayout;

// Where the records after a day's observation values go: the daily
// extremes with their times, or a daily total.
struct Extra {
  int8_t hourlyColumn;  // column in the hourly layout; 0: not kept
  int8_t fixedColumn;   // column in the fixed-hour layout; 0: not kept
  bool time;            // an hhmm time rather than a value
};

// Column layout of one element array, as the audits read it.
struct Layout {
  int8_t hourlyColumns;  // 24 hourly observations (+ extras)
  int8_t fixedColumns;   // 02, 08, 14, 20 h (+ extras), or 1 for a daily value
  // The records are observations at times of day (hourly, or the fixed
  // hours with three-a-day records at 08, 14, 20 in columns 2..4); else
  // record k goes to column k.
  bool timed = false;
  bool cloud = false;      // hourly layout only at a reference station
  bool fixedOnly = false;  // an hourly block is reduced to the four fixed hours
  bool list = false;       // one-dimensional
  // Columns when an hourly block brings no extras (0: hourlyColumns).
  int8_t hourlyBareColumns = 0;
  int8_t extraCount = 0;
  std::array<Extra, 4> extras = {};
};

constexpr Layout Timed(int hourly, int fixed) {
  return {static_cast<int8_t>(hourly), static_cast<int8_t>(fixed), true};
}

// The decoder's reading of each column kind of the array table.
constexpr Layout LayoutOf(AFileColumns columns, int count) {
  Layout l{};
  switch (columns) {
    case AFileColumns::Observations:
      return Timed(24, 4);
    case AFileColumns::DailyOrHourly:
      return Timed(24, 1);
    case AFileColumns::ExtremesWithTimes:
      // 24 + maximum, its time, minimum, its time; at the fixed hours 4 +
      // maximum, minimum.
      l = Timed(28, 6);
      l.extraCount = 4;
      l.extras = {Extra{25, 5, false}, Extra{26, 0, true}, Extra{27, 6, false},
                  Extra{28, 0, true}};
      return l;
    case AFileColumns::Extremes:
      // The times of the file's records are not kept.
      l = Timed(26, 6);
      l.extraCount = 4;
      l.extras = {Extra{25, 5, false}, Extra{0, 0, true}, Extra{26, 6, false},
                  Extra{0, 0, true}};
      return l;
    case AFileColumns::MinimumWithTime:
      l = Timed(26, 5);
      l.extraCount = 2;
      l.extras = {Extra{25, 5, false}, Extra{26, 0, true}};
      return l;
    case AFileColumns::Visibility:
      // 24 hourly values of the instrument, with or without the minimum and
      // its time; four fixed hours of a manual station.
      l = Timed(26, 4);
      l.extraCount = 2;
      l.extras = {Extra{25, 0, false}, Extra{26, 0, true}};
      l.hourlyBareColumns = 24;
      return l;
    case AFileColumns::Cloud:
      l = Timed(24, 4);
      l.cloud = true;
      return l;
    case AFileColumns::LargePan:
      l = Timed(25, 1);
      l.extraCount = 1;
      l.extras = {Extra{25, 0, false}};
      return l;
    case AFileColumns::FixedHours:
      l = Timed(4, 4);
      l.fixedOnly = true;
      return l;
    case AFileColumns::Columns:
      return {static_cast<int8_t>(count), static_cast<int8_t>(count), false};
    case AFileColumns::List:
      l = {static_cast<int8_t>(count), static_cast<int8_t>(count), false};
      l.list = true;
      return l;
  }
  return l;
}

const Layout& LayoutOf(AFileArray a) {
  static const auto kLayouts = [] {
    std::array<Layout, kAFileArrayCount> out{};
    for (size_t i = 0; i < kAFileArrayCount; ++i)
      out[i] = LayoutOf(kAFileArrayTable<>[i].columns, kAFileArrayTable<>[i].count);
    return out;
  }();
  return kLayouts[AFileArrayIndex(a)];
}

// What the decoder changes in a record on its way into a cell.
enum class Conversion : uint8_t {
  None,
  Pressure,      // station and sea-level pressure: the thousands digit
  WetBulb,       // an iced bulb
  Visibility,    // instrument metres to tenths of km
  Wind,          // "dddsss" to "ddd/sss"
  MaxWind,       // columns 1 and 3 "dddsss" to "sss/ddd"
  WireIcing,     // column 1 code without leading zeros, column 9 wind
  HourlyPrecip,  // "A---" and "----"
  Pan,           // evaporation "---"; "," runs a frozen pan
};

Conversion ConversionOf(AFileArray t) {
  using A = AFileArrays;
  if (t == &A::strP || t == &A::strP0) return Conversion::Pressure;
  if (t == &A::strI) return Conversion::WetBulb;
  if (t == &A::strV) return Conversion::Visibility;
  if (t == &A::strFDFF || t == &A::strZJFDFF) return Conversion::Wind;
  if (t == &A::strDYF) return Conversion::MaxWind;
  if (t == &A::strG) return Conversion::WireIcing;
  if (t == &A::strZJRR) return Conversion::HourlyPrecip;
  if (t == &A::strLE || t == &A::strLL) return Conversion::Pan;
  return Conversion::None;
}

// A block's records of one day that go to one array: records
// first..first+count-1 (0-based).
struct Route {
  AFileArray target;
  int first;
  int count;
  Conversion conversion;
};

// Records of one day of a block, all lines together.
int RecordsPerDay(const BlockLayout& b) {
  int n = 0;
  for (int ln = 0; ln < LinesPerDay(b); ++ln) n += RecordsPerLine(b, ln);
  return n;
}

// The arrays a block feeds, from the block's targets. Blocks without an
// array (the 30 cm line of shallow code 1) are read and dropped.
int Routes(const BlockLayout& b, std::array<Route, 3>& out) {
  const int n = RecordsPerDay(b);
  int k = 0;
  for (const BlockTarget& t : b.targets) {
    if (t.array == nullptr || t.first >= n) continue;
    const int count = t.count == 0 ? n - t.first : t.count;
    out[static_cast<size_t>(k++)] = {t.array, t.first, count, ConversionOf(t.array)};
  }
  return k;
}

// ---- text helpers

bool AllOf(std::string_view s, char c) {
  if (s.empty()) return false;
  for (char x : s)
    if (x != c) return false;
  return true;
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char x : s)
    if (x < '0' || x > '9') return false;
  return true;
}

long DigitsValue(std::string_view s) {
  long v = 0;
  for (char x : s) v = v * 10 + (x - '0');
  return v;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Station and sea-level pressure are written in tenths of hPa without the
// thousands digit: a four-digit value below 5000 lies above 1000 hPa.
std::string RestorePressure(std::string_view r) {
  if (r.size() == 4 && AllDigits(r)) {
    long v = DigitsValue(r);
    return std::to_string(v < 5000 ? v + 10000 : v);
  }
  return std::string(r);
}

std::string StripLeadingZeros(std::string_view r) {
  if (!AllDigits(r)) return std::string(r);
  while (r.size() > 1 && r.front() == '0') r.remove_prefix(1);
  return std::string(r);
}

// One part of a six-character wind record: directions are padded in front
// with "P" ("PPC" calm, "PNE", "NNE", or three-digit degrees); a part made
// of "/" or "-" only is missing.
std::string_view WindPart(std::string_view p, bool direction) {
  if (direction)
    while (!p.empty() && p.front() == 'P') p.remove_prefix(1);
  if (p.empty() || AllOf(p, '/') || AllOf(p, '-')) return "-";
  return p;
}

// A wind record "dddsss" (direction, speed in tenths of m/s) as the audits
// read it: "ddd/sss", or "sss/ddd" for the daily maximum and extreme wind.
std::string Wind(std::string_view r, bool speedFirst) {
  if (r.empty()) return "";
  std::string_view dir = r, speed;
  if (r.size() > 3) {
    dir = r.substr(0, r.size() - 3);
    speed = r.substr(r.size() - 3);
  }
  dir = WindPart(dir, true);
  speed = WindPart(speed, false);
  std::string out;
  out.reserve(dir.size() + speed.size() + 1);
  out.append(speedFirst ? speed : dir).append("/").append(speedFirst ? dir : speed);
  return out;
}

// Conversion of one record into the cell of an array.
std::string Convert(Conversion conv, std::string_view r, long column, bool time,
                    bool visibilityMetres) {
  // A run of "," records that there was nothing to record (no precipitation,
  // no snow cover, no frozen soil, no icing); in the evaporation pans it
  // marks a frozen pan.
  if (AllOf(r, ',')) return conv == Conversion::Pan ? "B" : "";
  if (time) return std::string(r);
  switch (conv) {
    case Conversion::Pressure:
      return RestorePressure(r);
    case Conversion::WetBulb:
      // An iced wet bulb is written with "," in place of the minus sign.
      if (r.size() > 1 && r.front() == ',') {
        std::string_view v = r.substr(1);
        std::string out = v.front() == '-' || v.front() == '+' ? "" : "-";
        return out.append(v).append("B");
      }
      break;
    // Relative humidity "%%" (100 %) and cloud amounts with a leading zero
    // ("06") are handed on as written: the audits read them by value.
    case Conversion::Visibility:
      // Automatic instruments write metres; the audits read tenths of km.
      // Visibility is reported truncated, so 950 m stays below 1.0 km.
      if (visibilityMetres && AllDigits(r)) return std::to_string(DigitsValue(r) / 100);
      break;
    case Conversion::Wind:
      return Wind(r, false);
    case Conversion::MaxWind:
      if (column == 1 || column == 3) return Wind(r, true);
      break;
    case Conversion::WireIcing:
      if (column == 9) return Wind(r, false);
      if (column == 1) return StripLeadingZeros(r);
      break;
    case Conversion::HourlyPrecip:
      // "A---" starts an accumulated amount, "----" the hours it covers.
      if (!r.empty() && r.front() == 'A' && (r.size() == 1 || AllOf(r.substr(1), '-')))
        return "A";
      if (AllOf(r, '-')) return "-";
      break;
    case Conversion::Pan:
      if (AllOf(r, '-')) return "-";
      break;
    case Conversion::None:
      break;
  }
  return std::string(r);
}

// What the arrays are shaped by.
struct Facts {
  int days = 31;
  bool manual = false;
  bool reference = false;
  bool hourly = true;
  bool visibilityMetres = false;
};

std::string ParaText(const VariantArray& para, long i) {
  const Variant* v = para.Find(i);
  return v ? v->Text() : std::string();
}

// Character at a 1-based position of the (ASCII) header line; 0 beyond it.
char HeaderAt(std::string_view header, size_t pos) {
  return pos >= 1 && pos <= header.size() ? header[pos - 1] : '\0';
}

Facts ReadFacts(const VariantArray& para, std::string_view header) {
  Facts f;
  const int64_t days = LeadingInteger(ParaText(para, 4));
  if (days >= 28 && days <= 31) {
    f.days = static_cast<int>(days);
  } else if (header.size() >= 75 && AllDigits(header.substr(68, 4)) &&
             AllDigits(header.substr(73, 2))) {
    const int d = DaysInMonth(static_cast<int>(DigitsValue(header.substr(68, 4))),
                              static_cast<int>(DigitsValue(header.substr(73, 2))));
    if (d > 0) f.days = d;
  }
  const std::string type = ParaText(para, 17);
  f.manual = type.empty() ? HeaderAt(header, 43) == '0' : type == "人工";
  const std::string fixedTimes = ParaText(para, 16);
  f.reference = fixedTimes.empty() ? HeaderAt(header, 44) == '1' : fixedTimes == "24";
  f.hourly = !f.manual || f.reference;
  const std::string visibilityFlag = ParaText(para, 22);
  f.visibilityMetres =
      visibilityFlag.empty() ? HeaderAt(header, 54) == '1' : visibilityFlag == "1";
  return f;
}

// The sunshine line of a recorder covering part of the day (mode 2) holds
// the true-solar hours 04-05 ... 21-22, then the daily total.
constexpr int kShortSunshineFirstColumn = 5;
constexpr int kSunshineTotalColumn = 27;

class Decoder {
 public:
  Decoder(LineReader& in, const Facts& facts, DecodedAFile& out)
      : in_(in), f_(facts), out_(out) {}

  void Run() {
    for (const auto& e : kAFileArrayTable<>) {
      const Layout& l = LayoutOf(e.member);
      Shape(e.member, l.cloud ? f_.reference : f_.hourly);
    }
    std::string_view line;
    if (!Next(line)) return;  // the header line
    DecodeSegments();
    DecodeAppendix();
  }

 private:
  StringArray& A(AFileArray t) { return out_.*t; }

  bool Next(std::string_view& line) {
    if (in_.Eof()) return false;
    line = in_.ReadLine();
    return true;
  }

  // Every cell becomes the one-character text mark. The cells are one
  // contiguous run from the first one; each keeps its buffer (clear and
  // push_back stay inline, unlike an assignment).
  static void Fill(StringArray& a, char mark) {
    const size_t n = a.data().size();
    if (n == 0) return;
    std::string* cells = a.Rank() == 1 ? a.Find(a.LBound(1)) : a.Find(a.LBound(1), a.LBound(2));
    for (size_t k = 0; k < n; ++k) {
      cells[k].clear();
      cells[k].push_back(mark);
    }
  }

  // Gives an array its hourly or fixed-hour shape (or the given number of
  // columns) with every cell "-".
  void Shape(AFileArray t, bool hourly, int columns = 0) {
    StringArray& a = A(t);
    const Layout& l = LayoutOf(t);
    bool same = true;
    if (l.list) {
      if (!(a.Rank() == 1 && a.LBound(1) == 1 && a.UBound(1) == l.fixedColumns)) {
        a = StringArray::Vector(1, l.fixedColumns);
        same = false;
      }
    } else {
      if (columns <= 0) columns = hourly ? l.hourlyColumns : l.fixedColumns;
      // A block reshapes the arrays the first pass shaped: keep the cells
      // (and their buffers) when the shape is the same.
      if (!(a.Rank() == 2 && a.LBound(1) == 1 && a.UBound(1) == f_.days && a.LBound(2) == 1 &&
            a.UBound(2) == columns)) {
        a = StringArray::Matrix(1, f_.days, 1, columns);
        same = false;
      }
    }
    // An array filled with "-" that nothing has written since is filled
    // already (the first pass shapes every array, and a block that routes
    // into one shapes it again before it writes).
    const size_t i = AFileArrayIndex(t);
    if (!(same && i < kAFileArrayCount && pristine_[i])) Fill(a, '-');
    if (i < kAFileArrayCount) pristine_[i] = true;
  }

  // The array is about to be written: the next shaping fills it again.
  void Touch(AFileArray t) {
    const size_t i = AFileArrayIndex(t);
    if (i < kAFileArrayCount) pristine_[i] = false;
  }

  void ClearRow(AFileArray t, long d) {
    StringArray& a = A(t);
    for (long c = 1; c <= a.UBound(2); ++c) a(d, c).clear();
  }

  void Set(const Route& t, long d, long c, std::string_view r, bool time = false,
           bool metres = false) {
    StringArray& a = A(t.target);
    if (c < 1 || c > a.UBound(2)) return;
    std::string& cell = a(d, c);
    // Most records are handed on as written: into the cell's own buffer.
    if ((time || t.conversion == Conversion::None) && !AllOf(r, ',')) {
      // clear and append: the cell's buffer holds a record, and append
      // skips the overlap handling of assign.
      cell.clear();
      cell.append(r.data(), r.size());
      return;
    }
    cell = Convert(t.conversion, r, c, time, metres);
  }

  void DecodeSegments() {
    std::string_view line;
    for (const SegmentLayout& seg : afile::Segments()) {
      if (!Next(line)) return;
      // A wrong letter or an unknown code leaves the reader without a
      // layout for the rest of the section.
      if (line.empty() || line.front() != seg.letter) return;
      const std::string_view code = line.substr(1);
      const ModeLayout* mode = afile::FindMode(seg, code);
      if (!mode) {
        if (!code.empty() && code.back() == '=') continue;
        return;
      }
      for (const BlockLayout& b : mode->blocks)
        if (!DecodeBlock(b)) return;
    }
  }

  // Reads one block; false at the end of the file.
  bool DecodeBlock(const BlockLayout& b) {
    if (b.kind == BlockKind::CrossMonth) return DecodeCrossMonth();
    if (b.kind == BlockKind::Weather) return DecodeWeather();
    std::array<Route, 3> routes;
    const int nRoutes = Routes(b, routes);
    for (int k = 0; k < nRoutes; ++k) {
      const Route& r = routes[static_cast<size_t>(k)];
      const Layout& l = LayoutOf(r.target);
      const bool hourly = l.timed && r.count >= 24;
      Shape(r.target, hourly, hourly && r.count == 24 ? l.hourlyBareColumns : 0);
      Touch(r.target);
    }
    const int lines = LinesPerDay(b);
    for (int d = 1; d <= f_.days; ++d) {
      records_.clear();
      bool endOfFile = false, monthEnded = false, readAny = false;
      for (int ln = 0; ln < lines; ++ln) {
        std::string_view line;
        if (!Next(line)) {
          endOfFile = true;
          break;
        }
        readAny = true;
        // A block written "=" or "0=" has no data this month.
        if (d == 1 && ln == 0 && (line == "=" || line == "0=")) return true;
        line = TrimRight(line);
        const bool endsMonth = !line.empty() && line.back() == '=';
        Split(line, b.kind);
        // The records of a day's later line start at their own position even
        // when an earlier line held too few or too many.
        if (ln + 1 < lines) records_.resize(RecordsBeforeLine(b, ln + 1));
        // A month that ends early ends the block there.
        if (endsMonth && !(d == f_.days && ln == lines - 1)) {
          monthEnded = true;
          break;
        }
      }
      if (readAny)
        for (int k = 0; k < nRoutes; ++k) Place(routes[static_cast<size_t>(k)], b, d);
      if (endOfFile) return false;
      if (monthEnded) return true;
    }
    return true;
  }

  // Records of a day on the lines before line ln (0-based).
  static size_t RecordsBeforeLine(const BlockLayout& b, int ln) {
    int n = 0;
    for (int k = 0; k < ln; ++k) n += RecordsPerLine(b, k);
    return static_cast<size_t>(n);
  }

  // Splits one data line into records appended to records_: the day and
  // month marks at its end removed; cloud records are separated by ",",
  // all others by single blanks.
  void Split(std::string_view line, BlockKind kind) {
    if (kind == BlockKind::DeepGround) {
      // Day and section marks written after a blank are not records.
      std::string& s = scratch_[scratchNext_++ % scratch_.size()];
      s.clear();
      for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == ' ' && i + 1 < line.size() && (line[i + 1] == ';' || line[i + 1] == '.')) {
          ++i;
          continue;
        }
        s.push_back(line[i]);
      }
      line = s;
    }
    while (!line.empty() && (line.back() == '=' || line.back() == '.')) line.remove_suffix(1);
    char sep = ' ';
    if (kind == BlockKind::Cloud) {
      sep = ',';
      if (!line.empty() && line.back() == ',') line.remove_suffix(1);
    }
    // Records are a few characters long: a plain scan beats a library
    // search per record.
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    const char* start = begin;
    for (const char* p = begin; p != end; ++p) {
      if (*p != sep) continue;
      records_.emplace_back(start, static_cast<size_t>(p - start));
      start = p + 1;
    }
    records_.emplace_back(start, static_cast<size_t>(end - start));
  }

  std::string_view Record(const Route& r, int k) const {
    const size_t i = static_cast<size_t>(r.first + k);
    return i < records_.size() ? records_[i] : std::string_view();
  }

  void Place(const Route& r, const BlockLayout& b, long d) {
    ClearRow(r.target, d);
    if (LayoutOf(r.target).timed)
      PlaceTimed(r, b, d);
    else
      PlaceDirect(r, d);
  }

  // Observation values at their times of day, then the extras.
  void PlaceTimed(const Route& r, const BlockLayout& b, long d) {
    const Layout& l = LayoutOf(r.target);
    const int n = r.count;
    const bool hourly = n >= 24;
    int values = n, extras = 0;
    if (hourly) {
      values = 24;
      extras = n - 24;
    } else if (n > 4) {
      // Beyond four records a fixed-hour line carries the daily extremes:
      // maximum and minimum, or the minimum alone for humidity.
      extras = std::min(n, (l.extraCount + 1) / 2);
      values = n - extras;
    }
    const bool metres = r.conversion == Conversion::Visibility && b.kind == BlockKind::Hourly && f_.visibilityMetres;
    if (hourly && l.fixedOnly) {
      for (int k = 1; k <= 4; ++k) Set(r, d, k, Record(r, 6 * k - 1), false, metres);
      return;
    }
    for (int k = 0; k < values; ++k) {
      // Three fixed observations are those of 08, 14 and 20 h.
      const long column = !hourly && values == 3 ? k + 2 : k + 1;
      Set(r, d, column, Record(r, k), false, metres);
    }
    for (int k = 0; k < extras; ++k) {
      // A line without the extreme times carries the values alone.
      const int role = extras == l.extraCount ? k : (2 * extras == l.extraCount ? 2 * k : k);
      if (role >= l.extraCount) break;
      const Extra& e = l.extras[static_cast<size_t>(role)];
      const int column = hourly ? e.hourlyColumn : e.fixedColumn;
      if (column > 0) Set(r, d, column, Record(r, values + k), e.time, metres);
    }
    if (l.extraCount == 1 && hourly && extras == 0) A(r.target)(d, 25) = LargePanTotal(A(r.target), d);
  }

  // The daily total of a large pan whose line holds the hours only, as the
  // evaporation audit expects it: "-" when an hour is missing, "B" when the
  // pan was frozen all day, empty when nothing was recorded, else the sum.
  static std::string LargePanTotal(const StringArray& a, long d) {
    bool missing = false, frozen = false, value = false;
    long sum = 0;
    for (long c = 1; c <= 24; ++c) {
      const std::string& v = a(d, c);
      if (v == "-" || AllOf(v, '/'))
        missing = true;
      else if (v == "B")
        frozen = true;
      else if (!v.empty()) {
        value = true;
        sum += static_cast<long>(LeadingInteger(v));
      }
    }
    if (missing) return "-";
    if (!value) return frozen ? "B" : "";
    return std::to_string(sum);
  }

  void PlaceDirect(const Route& r, long d) {
    const int n = r.count;
    if (r.target == &AFileArrays::strZJSS && n < kSunshineTotalColumn) {
      // The daily total is the line's last record; the hours before it.
      const int hours = n - 1;
      const int first = hours >= 24 ? 1 : kShortSunshineFirstColumn;
      for (int k = 0; k < hours; ++k) Set(r, d, first + k, Record(r, k));
      Set(r, d, kSunshineTotalColumn, Record(r, n - 1));
      return;
    }
    if (r.target == &AFileArrays::strG && n < LayoutOf(r.target).fixedColumns) {
      // The older six-record line: diameter, thickness and weight north-south,
      // then east-west, without the phenomenon code, temperature and wind.
      // The code is taken from the day's glaze (56) and rime (48) records.
      for (int k = 0; k < n; ++k) Set(r, d, k + 2, Record(r, k));
      StringArray& g = A(r.target);
      bool any = false;
      for (long c = 2; c <= 7 && c <= g.UBound(2); ++c) any = any || !g(d, c).empty();
      if (any) g(d, 1) = IcingCodeFromWeather(d);
      return;
    }
    for (int k = 0; k < n; ++k) Set(r, d, k + 1, Record(r, k));
  }

  std::string IcingCodeFromWeather(long d) {
    const std::string text = "," + out_.strw(d, 1);
    const bool glaze = text.find(",56") != std::string::npos ||
                       text.find("(56") != std::string::npos;
    const bool rime = text.find(",48") != std::string::npos ||
                      text.find("(48") != std::string::npos;
    return glaze && rime ? "5648" : glaze ? "56" : rime ? "48" : "";
  }

  // One line per day of phenomenon text; the month's "=" becomes the "."
  // that ends every other day. "0=" ends the segment.
  bool DecodeWeather() {
    Touch(&AFileArrays::strw);
    StringArray& w = out_.strw;
    for (long d = 1; d <= f_.days; ++d) {
      std::string_view line;
      if (!Next(line)) return false;
      if (line == "0=") return true;
      line = TrimRight(line);
      std::string& cell = w(d, 1);
      cell.assign(line);
      if (!cell.empty() && cell.back() == '=') {
        cell.back() = '.';
        return true;
      }
    }
    return true;
  }

  // "???? dd/mm/yyyy ?????=": the three fields without the final "=".
  bool DecodeCrossMonth() {
    std::string_view line;
    if (!Next(line)) return false;
    line = TrimRight(line);
    while (!line.empty() && line.back() == '=') line.remove_suffix(1);
    Touch(&AFileArrays::strRconnect);
    StringArray& a = out_.strRconnect;
    for (long k = 1; k <= a.UBound(1); ++k) {
      const size_t blank = line.find(' ');
      a(k) = std::string(line.substr(0, blank));
      line = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
    }
    return true;
  }

  // ---- appendix blocks

  bool SeekMarker(std::string_view marker) {
    std::string_view line;
    while (Next(line))
      if (TrimRight(line) == marker) return true;
    return false;
  }

  static void Store(StringArray& a, const std::vector<std::string>& items) {
    a = StringArray::Vector(1, static_cast<long>(items.size()));
    for (size_t i = 0; i < items.size(); ++i) a(static_cast<long>(i) + 1) = items[i];
  }

  // Item lines up to the one ending with "=" (which ends the block) or up
  // to the next block's marker; each item without that "=". A first line
  // equal to emptyMark stands for a block without items.
  std::vector<std::string> ReadItems(std::string_view nextMarker, size_t maxItems,
                                     std::string_view emptyMark = {}) {
    std::vector<std::string> items;
    std::string_view line;
    while (items.size() < maxItems && !in_.Eof() && TrimRight(in_.Peek()) != nextMarker) {
      Next(line);
      if (items.empty() && !emptyMark.empty() && TrimRight(line) == emptyMark) break;
      std::string_view item = line;
      const bool last = !TrimRight(item).empty() && TrimRight(item).back() == '=';
      if (last) {
        item = TrimRight(item);
        item.remove_suffix(1);
      }
      items.emplace_back(item);
      if (last) break;
    }
    return items;
  }

  void DecodeAppendix() {
    if (!SeekMarker("YF")) return;
    // The cover: archive number, province, station name, address,
    // environment, six names and the transmission date (ending with "=").
    Store(out_.VFileFM, ReadItems("JY", 12));
    if (!SeekMarker("JY")) return;
    // "8888=" alone: no summary this month.
    Store(out_.VFileJY, ReadItems("GK", SIZE_MAX, "8888="));
    if (!SeekMarker("GK")) return;
    Store(out_.VFileGK, ReadItems("BZ", SIZE_MAX));
    if (!SeekMarker("BZ")) return;
    Store(out_.VFileBZ, ReadItems("######", SIZE_MAX));
  }

  LineReader& in_;
  const Facts f_;
  DecodedAFile& out_;
  std::vector<std::string_view> records_;
  std::array<std::string, 2> scratch_;
  // By array: filled with "-" and not written since.
  std::array<bool, kAFileArrayCount> pristine_{};
  size_t scratchNext_ = 0;
};

}  // namespace

VariantArray DefaultSysLib(const VariantArray& AFilePara) {
  VariantArray s = VariantArray::Vector(1, 72);
  // Hygrometer coefficients c0..c3: the instrument reads relative humidity.
  s(27) = 0.0;
  s(28) = 1.0;
  s(29) = 0.0;
  s(30) = 0.0;
  // Station pressure of the standard atmosphere at the barometer elevation
  // (metres; an estimated elevation is written in parentheses).
  std::string elevation = ParaText(AFilePara, 11);
  if (!elevation.empty() && elevation.front() == '(') elevation.erase(0, 1);
  const double h = LeadingNumber(elevation);
  const double p = 1013.25 * std::pow(std::max(0.0, 1.0 - 2.25577e-5 * h), 5.25588);
  s(72) = RoundHalfAway(p * 10.0) / 10.0;
  return s;
}

void DecodeAFileText(std::shared_ptr<const DataFile::Text> text, const VariantArray& AFilePara,
                     DecodedAFile& out) {
  LineReader in(std::move(text));
  const Facts f = ReadFacts(AFilePara, in.Peek());
  out.days = f.days;
  out.manualStation = f.manual;
  out.referenceStation = f.reference;
  out.hourlyStation = f.hourly;
  Decoder(in, f, out).Run();
  out.SysLib = DefaultSysLib(AFilePara);
  // Ventilation of the psychrometer of a manual station: the screen with
  // natural ventilation. Automatic stations do not read it.
  out.strManualWindV = f.manual ? "0.4" : "";
}

void DecodeAFile(const std::string& path, const VariantArray& AFilePara,
                 const StringArray& /*AFileClass*/, DecodedAFile& out) {
  DecodeAFileText(ReadText(path), AFilePara, out);
}

}  // namespace kelvane::host

namespace kelvane {

Status DecodeAFile(const DataFile& file, const VariantArray& AFilePara, AFileArrays& out) {
  return RunGuarded([&] {
    if (!file.IsOpen()) throw Error(kErrInvalidCall, "DecodeAFile: the data file is not open");
    host::DecodedAFile d;
    host::DecodeAFileText(file.text(), AFilePara, d);
    out = std::move(static_cast<AFileArrays&>(d));
  });
}

Status DecodeAFile(const std::string& path, const VariantArray& AFilePara, AFileArrays& out) {
  DataFile file;
  Status st = file.Open(path);
  if (!st.ok()) return st;
  return DecodeAFile(file, AFilePara, out);
}

}  // namespace kelvane
