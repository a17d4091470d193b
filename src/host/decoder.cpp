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
using afile::ModeLayout;
using afile::SegmentLayout;

// The element arrays, in the order AFileAuditing takes them.
enum class Arr : uint8_t {
  P, T, I, E, U, TD, NN, NL, CC, H, V, R, W, FDFF, D0, GLT, GE, D5, D10, D15, D20, D40, K8,
  K16, K32, LE, LL, P0, Z, DYF, AA, G, ZJRR, ZJFDFF, ZJSS, MaxRain, Rconnect, kCount
};

constexpr DecodedAFile::Named kNamed[] = {
    {"strP", &DecodedAFile::strP},         {"strT", &DecodedAFile::strT},
    {"strI", &DecodedAFile::strI},         {"strE", &DecodedAFile::strE},
    {"strU", &DecodedAFile::strU},         {"strTD", &DecodedAFile::strTD},
    {"strNN", &DecodedAFile::strNN},       {"strNL", &DecodedAFile::strNL},
    {"strCC", &DecodedAFile::strCC},       {"strH", &DecodedAFile::strH},
    {"strV", &DecodedAFile::strV},         {"strR", &DecodedAFile::strR},
    {"strw", &DecodedAFile::strw},         {"strFDFF", &DecodedAFile::strFDFF},
    {"strD0", &DecodedAFile::strD0},       {"strGLT", &DecodedAFile::strGLT},
    {"strGE", &DecodedAFile::strGE},       {"strD5", &DecodedAFile::strD5},
    {"strD10", &DecodedAFile::strD10},     {"strD15", &DecodedAFile::strD15},
    {"strD20", &DecodedAFile::strD20},     {"strD40", &DecodedAFile::strD40},
    {"strK8", &DecodedAFile::strK8},       {"strK16", &DecodedAFile::strK16},
    {"strK32", &DecodedAFile::strK32},     {"strLE", &DecodedAFile::strLE},
    {"strLL", &DecodedAFile::strLL},       {"strP0", &DecodedAFile::strP0},
    {"strZ", &DecodedAFile::strZ},         {"strDYF", &DecodedAFile::strDYF},
    {"strAA", &DecodedAFile::strAA},       {"strG", &DecodedAFile::strG},
    {"strZJRR", &DecodedAFile::strZJRR},   {"strZJFDFF", &DecodedAFile::strZJFDFF},
    {"strZJSS", &DecodedAFile::strZJSS},   {"strMaxRain", &DecodedAFile::strMaxRain},
    {"strRconnect", &DecodedAFile::strRconnect}, {"VFileFM", &DecodedAFile::VFileFM},
    {"VFileJY", &DecodedAFile::VFileJY},   {"VFileGK", &DecodedAFile::VFileGK},
    {"VFileBZ", &DecodedAFile::VFileBZ},
};
constexpr size_t kArrCount = static_cast<size_t>(Arr::kCount);
static_assert(kNamed[static_cast<size_t>(Arr::W)].name == "strw");
static_assert(kNamed[static_cast<size_t>(Arr::Rconnect)].name == "strRconnect");
static_assert(std::size(kNamed) == kArrCount + 4);

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
  // Columns when an hourly block brings no extras (0: hourlyColumns).
  int8_t hourlyBareColumns = 0;
  int8_t extraCount = 0;
  std::array<Extra, 4> extras = {};
};

constexpr Extra kMaxMinWithTimes[] = {{25, 5, false}, {26, 0, true}, {27, 6, false}, {28, 0, true}};

constexpr Layout Timed(int hourly, int fixed) {
  return {static_cast<int8_t>(hourly), static_cast<int8_t>(fixed), true};
}
constexpr Layout Direct(int columns) {
  return {static_cast<int8_t>(columns), static_cast<int8_t>(columns), false};
}
// Pressure and air temperature: 24 + maximum, its time, minimum, its time;
// at the fixed hours 4 + maximum, minimum.
constexpr Layout ExtremesWithTimes() {
  Layout l = Timed(28, 6);
  l.extraCount = 4;
  for (size_t i = 0; i < 4; ++i) l.extras[i] = kMaxMinWithTimes[i];
  return l;
}
// Ground-surface and grass temperature: 24 + maximum, minimum (the times of
// the file's records are not kept); at the fixed hours 4 + maximum, minimum.
constexpr Layout ExtremesWithoutTimes() {
  Layout l = Timed(26, 6);
  l.extraCount = 4;
  l.extras = {Extra{25, 5, false}, Extra{0, 0, true}, Extra{26, 6, false}, Extra{0, 0, true}};
  return l;
}
// Relative humidity and visibility: 24 + minimum, its time.
constexpr Layout MinimumWithTime(int fixed, int fixedMinColumn) {
  Layout l = Timed(26, fixed);
  l.extraCount = 2;
  l.extras = {Extra{25, static_cast<int8_t>(fixedMinColumn), false}, Extra{26, 0, true}};
  return l;
}
// Visibility: 24 hourly values of the instrument, with or without the
// minimum and its time; four fixed hours of a manual station.
constexpr Layout Visibility() {
  Layout l = MinimumWithTime(4, 0);
  l.hourlyBareColumns = 24;
  return l;
}
constexpr Layout Cloud() {
  Layout l = Timed(24, 4);
  l.cloud = true;
  return l;
}
constexpr Layout LargePan() {
  Layout l = Timed(25, 1);
  l.extraCount = 1;
  l.extras = {Extra{25, 0, false}};
  return l;
}
constexpr Layout SeaLevel() {
  Layout l = Timed(4, 4);
  l.fixedOnly = true;
  return l;
}

constexpr Layout kLayouts[] = {
    ExtremesWithTimes(),     // P
    ExtremesWithTimes(),     // T
    Timed(24, 4),            // I
    Timed(24, 4),            // E
    MinimumWithTime(5, 5),   // U
    Timed(24, 4),            // TD
    Cloud(),                 // NN
    Cloud(),                 // NL
    Cloud(),                 // CC
    Cloud(),                 // H
    Visibility(),            // V
    Direct(3),               // R
    Direct(1),               // W
    Timed(24, 4),            // FDFF
    ExtremesWithoutTimes(),  // D0
    ExtremesWithoutTimes(),  // GLT
    Direct(1),               // GE
    Timed(24, 4),            // D5
    Timed(24, 4),            // D10
    Timed(24, 4),            // D15
    Timed(24, 4),            // D20
    Timed(24, 4),            // D40
    Timed(24, 1),            // K8
    Timed(24, 1),            // K16
    Timed(24, 1),            // K32
    Direct(1),               // LE
    LargePan(),              // LL
    SeaLevel(),              // P0
    Direct(2),               // Z
    Direct(4),               // DYF
    Direct(4),               // AA
    Direct(9),               // G
    Direct(24),              // ZJRR
    Direct(24),              // ZJFDFF
    Direct(27),              // ZJSS
    Direct(0),               // MaxRain (one-dimensional, no data in the file)
    Direct(3),               // Rconnect (one-dimensional)
};
static_assert(std::size(kLayouts) == kArrCount);

// The element array of each block, by the block's element name.
struct NameRoute {
  std::string_view element;
  Arr target;
};
constexpr NameRoute kByElement[] = {
    {"本站气压", Arr::P},     {"海平面气压", Arr::P0},  {"气温", Arr::T},
    {"湿球温度", Arr::I},     {"露点温度", Arr::TD},    {"水汽压", Arr::E},
    {"相对湿度", Arr::U},     {"总云量", Arr::NN},      {"低云量", Arr::NL},
    {"实测云高", Arr::H},     {"云状", Arr::CC},        {"能见度", Arr::V},
    {"定时降水量", Arr::R},   {"小时降水量", Arr::ZJRR}, {"积雪", Arr::Z},
    {"电线积冰", Arr::G},     {"定时风", Arr::FDFF},    {"十分钟风", Arr::ZJFDFF},
    {"最大极大风", Arr::DYF}, {"地面温度", Arr::D0},    {"5cm温度", Arr::D5},
    {"10cm温度", Arr::D10},   {"15cm温度", Arr::D15},   {"20cm温度", Arr::D20},
    {"40cm温度", Arr::D40},   {"80cm地温", Arr::K8},    {"160cm地温", Arr::K16},
    {"320cm地温", Arr::K32},  {"冻土深度", Arr::AA},    {"日照时数", Arr::ZJSS},
    {"草面温度", Arr::GLT},   {"地面状态", Arr::GE},
};

// A block's records of one day that go to one array: records
// first..first+count-1 (0-based).
struct Route {
  Arr target;
  int first;
  int count;
};

// Records of one day of a block, all lines together.
int RecordsPerDay(const BlockLayout& b) {
  switch (b.kind) {
    case BlockKind::Daily:
    case BlockKind::DeepGround:
      return b.count1;
    case BlockKind::Hourly:
      return b.count1 + b.count2;
    case BlockKind::HourlyWind:
      return b.count1 * 4;
    case BlockKind::Cloud: {
      if (b.count1 == 1) return b.count2;
      int n = 0;
      for (uint8_t k : b.layout) n += k;
      return n;
    }
    case BlockKind::WireIcing:
    case BlockKind::MaxWind:
    case BlockKind::Sunshine:
      return static_cast<int>(b.layout.size());
    case BlockKind::CrossMonth:
    case BlockKind::Weather:
      break;
  }
  return 1;
}

// The arrays a block feeds. The evaporation segment names both pans alike:
// its first block is the small pan, its second the large pan (E601). The
// deep ground temperature line of a manual station holds 80, 160 and
// 320 cm; the older four-record line (code 1) holds 40, 80, 160 and 320 cm,
// of which the last three are kept (its 40 cm has no array of its own; the
// 40 cm array belongs to the shallow segment). Blocks without an array (the
// 30 cm line of shallow code 1) are read and dropped.
int Routes(const BlockLayout& b, int ordinal, std::array<Route, 3>& out) {
  const int n = RecordsPerDay(b);
  if (b.element == "蒸发量") {
    out[0] = {ordinal == 0 ? Arr::LE : Arr::LL, 0, n};
    return 1;
  }
  if (b.element == "深层地温") {
    if (n < 3) return 0;
    out[0] = {Arr::K8, n - 3, 1};
    out[1] = {Arr::K16, n - 2, 1};
    out[2] = {Arr::K32, n - 1, 1};
    return 3;
  }
  for (const NameRoute& r : kByElement)
    if (r.element == b.element) {
      out[0] = {r.target, 0, n};
      return 1;
    }
  return 0;
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
std::string Convert(Arr t, std::string_view r, long column, bool time, bool visibilityMetres) {
  // A run of "," records that there was nothing to record (no precipitation,
  // no snow cover, no frozen soil, no icing); in the evaporation pans it
  // marks a frozen pan.
  if (AllOf(r, ',')) return t == Arr::LE || t == Arr::LL ? "B" : "";
  if (time) return std::string(r);
  switch (t) {
    case Arr::P:
    case Arr::P0:
      return RestorePressure(r);
    case Arr::I:
      // An iced wet bulb is written with "," in place of the minus sign.
      if (r.size() > 1 && r.front() == ',') {
        std::string_view v = r.substr(1);
        std::string out = v.front() == '-' || v.front() == '+' ? "" : "-";
        return out.append(v).append("B");
      }
      break;
    // Relative humidity "%%" (100 %) and cloud amounts with a leading zero
    // ("06") are handed on as written: the audits read them by value.
    case Arr::V:
      // Automatic instruments write metres; the audits read tenths of km.
      // Visibility is reported truncated, so 950 m stays below 1.0 km.
      if (visibilityMetres && AllDigits(r)) return std::to_string(DigitsValue(r) / 100);
      break;
    case Arr::FDFF:
    case Arr::ZJFDFF:
      return Wind(r, false);
    case Arr::DYF:
      if (column == 1 || column == 3) return Wind(r, true);
      break;
    case Arr::G:
      if (column == 9) return Wind(r, false);
      if (column == 1) return StripLeadingZeros(r);
      break;
    case Arr::ZJRR:
      // "A---" starts an accumulated amount, "----" the hours it covers.
      if (!r.empty() && r.front() == 'A' && (r.size() == 1 || AllOf(r.substr(1), '-')))
        return "A";
      if (AllOf(r, '-')) return "-";
      break;
    case Arr::LE:
    case Arr::LL:
      if (AllOf(r, '-')) return "-";
      break;
    default:
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
    for (size_t t = 0; t < kArrCount; ++t) {
      const Layout& l = kLayouts[t];
      Shape(static_cast<Arr>(t), l.cloud ? f_.reference : f_.hourly);
    }
    out_.VFileFM = out_.VFileJY = out_.VFileGK = out_.VFileBZ = StringArray::Vector(1, 0);
    std::string_view line;
    if (!Next(line)) return;  // the header line
    DecodeSegments();
    DecodeAppendix();
  }

 private:
  StringArray& A(Arr t) { return out_.*kNamed[static_cast<size_t>(t)].member; }
  static const Layout& L(Arr t) { return kLayouts[static_cast<size_t>(t)]; }

  bool Next(std::string_view& line) {
    if (in_.Eof()) return false;
    line = in_.ReadLine();
    return true;
  }

  static void Fill(StringArray& a, const char* text) {
    // Copies of one string (assigning the literal itself in the loop draws a
    // false -Wrestrict warning from GCC 12 in optimised builds).
    const std::string value(text);
    if (a.Rank() == 1) {
      for (long i = a.LBound(1); i <= a.UBound(1); ++i) a(i) = value;
      return;
    }
    for (long j = a.LBound(2); j <= a.UBound(2); ++j)
      for (long i = a.LBound(1); i <= a.UBound(1); ++i) a(i, j) = value;
  }

  // Gives an array its hourly or fixed-hour shape (or the given number of
  // columns) with every cell "-".
  void Shape(Arr t, bool hourly, int columns = 0) {
    StringArray& a = A(t);
    const Layout& l = L(t);
    if (t == Arr::MaxRain) {
      a = StringArray::Vector(1, 0);
      return;
    }
    if (t == Arr::Rconnect) {
      a = StringArray::Vector(1, l.fixedColumns);
    } else {
      if (columns <= 0) columns = hourly ? l.hourlyColumns : l.fixedColumns;
      a = StringArray::Matrix(1, f_.days, 1, columns);
    }
    Fill(a, "-");
  }

  void ClearRow(Arr t, long d) {
    StringArray& a = A(t);
    for (long c = 1; c <= a.UBound(2); ++c) a(d, c).clear();
  }

  void Set(Arr t, long d, long c, std::string_view r, bool time = false, bool metres = false) {
    StringArray& a = A(t);
    if (c < 1 || c > a.UBound(2)) return;
    a(d, c) = Convert(t, r, c, time, metres);
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
      int ordinal = 0;
      for (const BlockLayout& b : mode->blocks) {
        if (!DecodeBlock(b, ordinal++)) return;
      }
    }
  }

  // Reads one block; false at the end of the file.
  bool DecodeBlock(const BlockLayout& b, int ordinal) {
    if (b.kind == BlockKind::CrossMonth) return DecodeCrossMonth();
    if (b.kind == BlockKind::Weather) return DecodeWeather();
    std::array<Route, 3> routes;
    const int nRoutes = Routes(b, ordinal, routes);
    for (int k = 0; k < nRoutes; ++k) {
      const Route& r = routes[k];
      const Layout& l = L(r.target);
      const bool hourly = l.timed && r.count >= 24;
      Shape(r.target, hourly, hourly && r.count == 24 ? l.hourlyBareColumns : 0);
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
        for (int k = 0; k < nRoutes; ++k) Place(routes[k], b, d);
      if (endOfFile) return false;
      if (monthEnded) return true;
    }
    return true;
  }

  // Records of a day on the lines before line ln (0-based).
  static size_t RecordsBeforeLine(const BlockLayout& b, int ln) {
    int n = 0;
    for (int k = 0; k < ln; ++k) {
      switch (b.kind) {
        case BlockKind::Hourly:
          n += k == 0 ? b.count1 : b.count2;
          break;
        case BlockKind::HourlyWind:
          n += b.count1;
          break;
        case BlockKind::Cloud:
          n += static_cast<size_t>(k) < b.layout.size() ? b.layout[static_cast<size_t>(k)] : 0;
          break;
        default:
          break;
      }
    }
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
    size_t start = 0;
    while (true) {
      const size_t at = line.find(sep, start);
      if (at == std::string_view::npos) {
        records_.push_back(line.substr(start));
        break;
      }
      records_.push_back(line.substr(start, at - start));
      start = at + 1;
    }
  }

  std::string_view Record(const Route& r, int k) const {
    const size_t i = static_cast<size_t>(r.first + k);
    return i < records_.size() ? records_[i] : std::string_view();
  }

  void Place(const Route& r, const BlockLayout& b, long d) {
    ClearRow(r.target, d);
    if (L(r.target).timed)
      PlaceTimed(r, b, d);
    else
      PlaceDirect(r, d);
  }

  // Observation values at their times of day, then the extras.
  void PlaceTimed(const Route& r, const BlockLayout& b, long d) {
    const Layout& l = L(r.target);
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
    const bool metres = r.target == Arr::V && b.kind == BlockKind::Hourly && f_.visibilityMetres;
    if (hourly && l.fixedOnly) {
      for (int k = 1; k <= 4; ++k) Set(r.target, d, k, Record(r, 6 * k - 1), false, metres);
      return;
    }
    for (int k = 0; k < values; ++k) {
      // Three fixed observations are those of 08, 14 and 20 h.
      const long column = !hourly && values == 3 ? k + 2 : k + 1;
      Set(r.target, d, column, Record(r, k), false, metres);
    }
    for (int k = 0; k < extras; ++k) {
      // A line without the extreme times carries the values alone.
      const int role = extras == l.extraCount ? k : (2 * extras == l.extraCount ? 2 * k : k);
      if (role >= l.extraCount) break;
      const Extra& e = l.extras[static_cast<size_t>(role)];
      const int column = hourly ? e.hourlyColumn : e.fixedColumn;
      if (column > 0) Set(r.target, d, column, Record(r, values + k), e.time, metres);
    }
    if (r.target == Arr::LL && hourly && extras == 0) A(Arr::LL)(d, 25) = LargePanTotal(d);
  }

  // The daily total of a large pan whose line holds the hours only, as the
  // evaporation audit expects it: "-" when an hour is missing, "B" when the
  // pan was frozen all day, empty when nothing was recorded, else the sum.
  std::string LargePanTotal(long d) {
    const StringArray& a = A(Arr::LL);
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
    if (r.target == Arr::ZJSS && n < kSunshineTotalColumn) {
      // The daily total is the line's last record; the hours before it.
      const int hours = n - 1;
      const int first = hours >= 24 ? 1 : kShortSunshineFirstColumn;
      for (int k = 0; k < hours; ++k) Set(r.target, d, first + k, Record(r, k));
      Set(r.target, d, kSunshineTotalColumn, Record(r, n - 1));
      return;
    }
    if (r.target == Arr::G && n < L(Arr::G).fixedColumns) {
      // The older six-record line: diameter, thickness and weight north-south,
      // then east-west, without the phenomenon code, temperature and wind.
      // The code is taken from the day's glaze (56) and rime (48) records.
      for (int k = 0; k < n; ++k) Set(r.target, d, k + 2, Record(r, k));
      StringArray& g = A(Arr::G);
      bool any = false;
      for (long c = 2; c <= 7 && c <= g.UBound(2); ++c) any = any || !g(d, c).empty();
      if (any) g(d, 1) = IcingCodeFromWeather(d);
      return;
    }
    for (int k = 0; k < n; ++k) Set(r.target, d, k + 1, Record(r, k));
  }

  std::string IcingCodeFromWeather(long d) {
    const std::string text = "," + A(Arr::W)(d, 1);
    const bool glaze = text.find(",56") != std::string::npos ||
                       text.find("(56") != std::string::npos;
    const bool rime = text.find(",48") != std::string::npos ||
                      text.find("(48") != std::string::npos;
    return glaze && rime ? "5648" : glaze ? "56" : rime ? "48" : "";
  }

  // One line per day of phenomenon text; the month's "=" becomes the "."
  // that ends every other day. "0=" ends the segment.
  bool DecodeWeather() {
    StringArray& w = A(Arr::W);
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
    StringArray& a = A(Arr::Rconnect);
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
  size_t scratchNext_ = 0;
};

}  // namespace

std::span<const DecodedAFile::Named> DecodedAFile::Arrays() { return kNamed; }

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

void DecodeAFile(const std::string& path, const VariantArray& AFilePara,
                 const StringArray& /*AFileClass*/, DecodedAFile& out) {
  LineReader in(path);
  const std::string header(in.Peek());
  const Facts f = ReadFacts(AFilePara, header);
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

Status AuditDecodedAFile(KelvaneA& a, const std::string& sysPath, VariantArray& AFilePara,
                         StringArray& AFileClass, DecodedAFile& d, StringArray& auditList) {
  return a.AFileAuditing(sysPath, d.SysLib, AFilePara, AFileClass, d.strP, d.strT, d.strI, d.strE,
                         d.strU, d.strTD, d.strNN, d.strNL, d.strCC, d.strH, d.strV, d.strR,
                         d.strw, d.strFDFF, d.strD0, d.strGLT, d.strGE, d.strD5, d.strD10,
                         d.strD15, d.strD20, d.strD40, d.strK8, d.strK16, d.strK32, d.strLE,
                         d.strLL, d.strP0, d.strZ, d.strDYF, d.strAA, d.strG, d.strZJRR,
                         d.strZJFDFF, d.strZJSS, d.strMaxRain, d.strRconnect, d.VFileFM,
                         d.VFileJY, d.VFileGK, d.VFileBZ, d.strManualWindV, auditList);
}

}  // namespace kelvane::host
