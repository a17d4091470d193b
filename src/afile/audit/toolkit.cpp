#include "afile/audit/toolkit.h"

#include <charconv>
#include <cmath>
#include <string>

#include "common/solar.h"
#include "common/text.h"

namespace kelvane::afile::audit {

// ---------------------------------------------------------------- cells

const Cell Grid::kAbsentCell{};

int64_t Cell::WholeOutsideRange() const {
  if (!(value < 9.2e18)) return INT64_MAX;
  if (!(value > -9.2e18)) return INT64_MIN;
  return static_cast<int64_t>(value < 0 ? -std::floor(-value + 0.5) : std::floor(value + 0.5));
}

Cell ParseCell(std::string_view t) {
  Cell c;
  c.text = t;
  if (t.empty() || t == "-") return c;  // Absent
  c.kind = CellKind::Text;

  // One pass of the reading LeadingNumber and IsNumericText share.
  const ParsedNumber number = ParseNumber(t);
  c.value = number.value;
  if (number.wholeText) c.kind = number.decimalPoint ? CellKind::Decimal : CellKind::Whole;
  return c;
}

bool IsMissingRun(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c != '/') return false;
  return true;
}

Cell HumidityCell(const Cell& c) {
  if (c.text != "%%") return c;
  Cell full = c;
  full.value = 100;
  full.kind = CellKind::Whole;
  return full;
}

Grid::Grid(const StringArray& a) {
  if (!a.IsAllocated() || a.Rank() != 2) return;
  const long days = a.UBound(1), columns = a.UBound(2);
  if (days < 1 || columns < 1 || a.LBound(1) > 1 || a.LBound(2) > 1) return;
  days_ = static_cast<int>(days);
  columns_ = static_cast<int>(columns);
  cells_.resize(static_cast<size_t>(days) * static_cast<size_t>(columns));
  // The array is stored column by column (the first index runs fastest):
  // read it in that order, each cell parsed once.
  const std::vector<std::string>& data = a.data();
  const long lb1 = a.LBound(1), lb2 = a.LBound(2);
  const size_t stride = static_cast<size_t>(days - lb1 + 1);
  for (long c = 1; c <= columns; ++c) {
    const std::string* column = data.data() + static_cast<size_t>(c - lb2) * stride +
                                static_cast<size_t>(1 - lb1);
    for (long d = 1; d <= days; ++d)
      cells_[static_cast<size_t>((d - 1) * columns + (c - 1))] =
          ParseCell(column[static_cast<size_t>(d - 1)]);
  }
}

// ---------------------------------------------------------------- labels

namespace {

// "0" .. "400": day numbers, hours and the 6c - 4 labels without formatting.
struct SmallNumbers {
  static constexpr int kMax = 400;
  std::array<char, (kMax + 1) * 4> chars{};
  std::array<std::string_view, kMax + 1> views{};
  SmallNumbers() {
    for (int k = 0; k <= kMax; ++k) {
      char* p = chars.data() + k * 4;
      auto r = std::to_chars(p, p + 4, k);
      views[static_cast<size_t>(k)] = std::string_view(p, static_cast<size_t>(r.ptr - p));
    }
  }
};

const SmallNumbers& Small() {
  static const SmallNumbers table;
  return table;
}

}  // namespace

std::string_view FixedHourLabel(int c) {
  if (c < 1 || 6 * c - 4 > SmallNumbers::kMax) return {};
  return Small().views[static_cast<size_t>(6 * c - 4)];
}

std::string_view ObsTimeLabel(int observations, int i) {
  return LayoutOf(observations) == Layout::Hourly ? HourLabel(i) : FixedHourLabel(i);
}

int HourColumn(int hh) {
  if (hh >= 21 && hh <= 24) return hh - 20;
  if (hh == 0) return 4;
  if (hh >= 1 && hh <= 20) return hh + 4;
  return 0;
}

std::string_view NumberText(int64_t n, std::array<char, 24>& buf) {
  if (n >= 0 && n <= SmallNumbers::kMax) return Small().views[static_cast<size_t>(n)];
  auto r = std::to_chars(buf.data(), buf.data() + buf.size(), n);
  return std::string_view(buf.data(), static_cast<size_t>(r.ptr - buf.data()));
}

ColumnLabels::ColumnLabels(Layout layout, std::initializer_list<std::string_view> named)
    : layout_(layout) {
  for (std::string_view s : named) {
    if (namedCount_ == kMaxNamed) break;
    named_[namedCount_++] = s;
  }
}

ColumnLabels ColumnLabels::For(int columns, std::initializer_list<std::string_view> hourlyNames,
                               std::initializer_list<std::string_view> fixedNames) {
  const Layout layout = LayoutOf(columns);
  return ColumnLabels(layout, layout == Layout::Hourly ? hourlyNames : fixedNames);
}

std::string_view ColumnLabels::operator()(int c) const {
  const int times = TimeColumns();
  if (c >= 1 && c <= times) return layout_ == Layout::Hourly ? HourLabel(c) : FixedHourLabel(c);
  const long k = static_cast<long>(c) - times - 1;
  if (k >= 0 && static_cast<size_t>(k) < namedCount_) return named_[static_cast<size_t>(k)];
  return {};
}

// ---------------------------------------------------------------- neighbours

HourNeighbours NeighboursOf(const Grid& g, int day, int column) {
  HourNeighbours n;
  if (g.Columns() < 24 || column < 1 || column > 24 || day < 1 || day > g.Days()) return n;
  if ((day == 1 && column == 1) || (day == g.Days() && column == 24)) return n;
  n.before = column == 1 ? &g(day - 1, 24) : &g(day, column - 1);
  n.after = column == 24 ? &g(day + 1, 1) : &g(day, column + 1);
  return n;
}

// ---------------------------------------------------------------- context

AuditContext::AuditContext(const VariantArray& AFilePara, const StringArray& AFileClass,
                           const AuditRules& rules, const VariantArray& SysLib,
                           const std::string& strManualWindV, const JFileData& jfile,
                           bool mountainStation, AuditList& list)
    : rules_(rules),
      sysLib_(SysLib),
      manualWindV_(strManualWindV),
      jfile_(jfile),
      mountain_(mountainStation),
      list_(list) {
  for (long k = 1; k < static_cast<long>(para_.size()); ++k)
    if (const Variant* v = AFilePara.Find(k)) para_[static_cast<size_t>(k)] = v->Text();
  for (long k = 1; k < static_cast<long>(modes_.size()); ++k)
    if (const std::string* s = AFileClass.Find(k)) modes_[static_cast<size_t>(k)] = *s;
  auto whole = [](std::string_view s) {
    const int64_t v = LeadingInteger(s);
    return static_cast<int>(v < -100000 ? -100000 : v > 100000 ? 100000 : v);
  };
  year_ = whole(Para(2));
  month_ = whole(Para(3));
  days_ = whole(Para(4));
}

std::string_view AuditContext::Para(int k) const {
  if (k < 1 || k >= static_cast<int>(para_.size())) return {};
  return para_[static_cast<size_t>(k)];
}

std::string_view AuditContext::ModeCode(int k) const {
  if (k < 1 || k >= static_cast<int>(modes_.size())) return {};
  return modes_[static_cast<size_t>(k)];
}

bool AuditContext::Present(int k) const {
  const std::string_view code = ModeCode(k);
  return code.empty() || code.back() != '=';
}

void AuditContext::Add(std::string_view message, const Spot& at, std::string_view related,
                       std::string_view level) {
  std::array<char, 24> buf;
  const std::string_view day = at.day > 0 ? NumberText(at.day, buf) : std::string_view();
  list_.Add(message, at.element, related, day, at.time, "", level);
}

void AuditContext::Error(std::string_view message, const Spot& at, std::string_view related) {
  Add(message, at, related, kLevelError);
}

void AuditContext::Suspicious(std::string_view message, const Spot& at,
                              std::string_view related) {
  Add(message, at, related, kLevelSuspicious);
}

// ---------------------------------------------------------------- shared rules

bool CheckFormat(AuditContext& cx, const Cell& v, const Spot& at) {
  if (v.WellFormed()) return true;
  if (v.Present()) cx.Error(kMsgFormat, at);
  return false;
}

void CheckExtremes(AuditContext& cx, double v, double upper, double lower, const Spot& at) {
  if (v > upper || v < lower) cx.Suspicious(kMsgExtreme, at);
}

void CheckUpperExtreme(AuditContext& cx, double v, double upper, const Spot& at) {
  if (v > upper) cx.Suspicious(kMsgExtreme, at);
}

void CheckLowerExtreme(AuditContext& cx, double v, double lower, const Spot& at) {
  if (v < lower) cx.Suspicious(kMsgExtreme, at);
}

bool CheckInterpolation(AuditContext& cx, const Grid& g, int day, int column, const Spot& at,
                        GapWording wording) {
  const HourNeighbours n = NeighboursOf(g, day, column);
  if (!n.BothNumeric() || g(day, column).Numeric()) return false;
  cx.Error(wording == GapWording::Interpolate ? kMsgInterpolate : kMsgNotMissing, at);
  return true;
}

// ---------------------------------------------------------------- minute data

int MinuteDataHour(std::string_view hhmm) {
  int64_t h = LeadingInteger(hhmm.substr(0, 2));
  if (LeadingNumber(hhmm.substr(2, 2)) > 0) ++h;
  if (hhmm == "0000") h = 24;
  return h >= 1 && h <= 24 ? static_cast<int>(h) : 0;
}

namespace {

// The hour's extreme as it is compared: written as a number text and read
// back. A whole number below 10^15 reads back as itself; other values may
// come back rounded to the ten decimals of the text.
double AsCompared(double extreme) {
  if (extreme == std::trunc(extreme) && std::fabs(extreme) < 1e15) return extreme;
  return LeadingNumber(FormatNumber(extreme));
}

// "label/hh"
std::string HourItem(std::string_view label, int h) {
  std::string s(label);
  s += '/';
  s += static_cast<char>('0' + h / 10);
  s += static_cast<char>('0' + h % 10);
  return s;
}

}  // namespace

void CompareExtremeWithMinutes(AuditContext& cx, const MinuteHours& minutes, int day,
                               std::optional<double> recorded, std::string_view hhmm,
                               const MinuteComparison& how) {
  const int h = MinuteDataHour(hhmm);
  if (h == 0) return;
  const HourExtremes* hour = minutes.Find(day, HourColumn(h));
  if (!hour) return;
  const MinuteExtreme& extreme = how.maximum ? hour->max : hour->min;
  if (!extreme.Found()) return;
  if (recorded && *recorded != AsCompared(extreme.value))
    cx.Suspicious(how.valueMessage, {how.element, day, HourItem(how.valueLabel, h)});
  if (!extreme.At(hhmm.substr(2, 2)))
    cx.Suspicious(how.timeMessage, {how.element, day, HourItem(how.timeLabel, h)});
}

const AuditContext::SunTexts& AuditContext::SunText(int day) const {
  const size_t d = day >= 1 && day <= 31 ? static_cast<size_t>(day) : 0;
  if (d > 0 && !sunKnown_[d]) {
    std::array<char, 24> buf;
    SunTexts& t = sunText_[d];
    SunriseSunset(Para(2), Para(3), NumberText(day, buf), Latitude(), Longitude(), t.rise, t.set);
    sun_[d] = {LeadingNumber(t.rise), LeadingNumber(t.set)};
    sunKnown_[d] = true;
  }
  return sunText_[d];
}

AuditContext::SunTimes AuditContext::Sun(int day) const {
  if (day < 1 || day > 31) return {};
  SunText(day);
  return sun_[static_cast<size_t>(day)];
}

}  // namespace kelvane::afile::audit

// ---------------------------------------------------------------- soil, sunshine, evaporation, snow

namespace kelvane::afile::audit {

bool HasPhenomenonRecord(std::string_view weather, std::string_view code) {
  if (code.empty()) return false;
  for (size_t at = weather.find(code); at != std::string_view::npos;
       at = weather.find(code, at + 1)) {
    const bool starts = at == 0 || weather[at - 1] == ',' || weather[at - 1] == '(';
    const size_t end = at + code.size();
    const bool ends = end == weather.size() || weather[end] < '0' || weather[end] > '9';
    if (starts && ends) return true;
  }
  return false;
}

}  // namespace kelvane::afile::audit
