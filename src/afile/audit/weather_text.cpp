#include "afile/audit/weather_text.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "afile/audit/predicates.h"
#include "common/text.h"

namespace kelvane::afile::audit {

namespace {

constexpr std::string_view kPhenomenonCodes =
    "01,02,03,04,05,06,07,08,10,13,14,15,16,17,18,19,31,38,39,42,48,"
    "50,56,60,68,70,76,77,79,80,83,85,87,89,";
constexpr std::string_view kThunderDirections = "N,NE,E,SE,S,SW,W,NW,Z,";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Bytes of the first `chars` characters of s.
size_t PrefixBytes(std::string_view s, size_t chars) {
  size_t i = 0, seen = 0;
  for (; i < s.size(); ++i) {
    if (IsContinuation(s[i])) continue;
    if (seen == chars) break;
    ++seen;
  }
  return i;
}

std::string_view Prefix(std::string_view s, size_t chars) { return s.substr(0, PrefixBytes(s, chars)); }

// True when item followed by "," is one of the comma-terminated items of
// list (an item never contains a comma, so this is membership).
bool ListHas(std::string_view list, std::string_view item) {
  if (!item.empty()) {
    // An entry holds no comma; otherwise the item is searched for as a
    // substring that starts and ends at entry boundaries.
    if (item.find(',') != std::string_view::npos) return false;
    for (size_t pos = list.find(item); pos != std::string_view::npos;
         pos = list.find(item, pos + 1)) {
      const size_t end = pos + item.size();
      if ((pos == 0 || list[pos - 1] == ',') && (end == list.size() || list[end] == ','))
        return true;
    }
    return false;
  }
  for (size_t at = 0; at < list.size();) {
    const size_t comma = list.find(',', at);
    if (list.substr(at, comma - at) == item) return true;
    at = comma + 1;
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------- codes, times

bool IsBadPhenomenonCode(std::string_view code) {
  return !code.empty() && !ListHas(kPhenomenonCodes, code);
}

bool CodeIn(std::string_view code, std::string_view list) {
  return code.size() == 2 && ListHas(list, code);
}

int VisibilityCodeSlot(std::string_view code) {
  if (code.size() != 2) return -1;
  for (int k = 0; k < 7; ++k)
    if (kVisibilityCodes.substr(static_cast<size_t>(3 * k), 2) == code) return k;
  return -1;
}

int PhenomenonMinutes(std::string_view time, TimeRole role) {
  if (time == kUnknownTime) return kUnknownMinutes;
  const std::string_view hh = Prefix(time, 2);
  const std::string_view mm = Prefix(time.substr(hh.size()), 2);
  // Two characters read as numbers: both within -9..99.
  const int hour = static_cast<int>(LeadingInteger(hh));
  const int minute = static_cast<int>(LeadingInteger(mm));
  if (hour == 20) {
    if (role == TimeRole::Start || minute != 0) return minute;
    return 1440;
  }
  if (hour >= 21 && hour <= 24) return (hour - 20) * 60 + minute;
  if (hour == 0) return 240 + minute;
  if (hour >= 1 && hour <= 19) return (hour + 4) * 60 + minute;
  return 0;
}

bool IsBadPhenomenonTime(std::string_view time, TimeRole role) {
  return IsBadExtremeTime(time, role == TimeRole::End ? "-" : " ");
}

std::string_view CheckPeriodSequence(int a, int b, Sequence kind) {
  if (a == kUnknownMinutes || b == kUnknownMinutes) return {};
  if (kind == Sequence::WithinPeriod) return a >= b ? "开始时间与终止时间矛盾!" : "";
  if (a >= b) return "后一开始时间与前一终止时间矛盾!";
  if (b - a <= 15) return "后一开始时间与前一终止时间相隔15分钟,须用虚线连接!";
  return {};
}

bool IsBadThunderDirection(std::string_view d) {
  return !ListHas(kThunderDirections, d) || d.empty();
}

int ThunderDirectionDegrees(std::string_view d) {
  static constexpr std::pair<std::string_view, int> kDegrees[] = {
      {"Z", 361}, {"N", 360},  {"NE", 45},  {"E", 90},  {"SE", 135},
      {"S", 180}, {"SW", 225}, {"W", 270}, {"NW", 315}};
  for (const auto& [name, degrees] : kDegrees)
    if (name == d) return degrees;
  return 0;
}

bool IsWithoutTimes(std::string_view dayText) {
  int chars = 0;
  for (char c : dayText) {
    if (c == ',') {
      chars = 0;
    } else if (c != '(' && c != ')' && !IsContinuation(c) && ++chars > 2) {
      return false;
    }
  }
  return true;
}

std::string_view Describe(WeatherSyntax what) {
  switch (what) {
    case WeatherSyntax::Unfinished: return "expected \",.\" or \").\" at the end";
    case WeatherSyntax::Parenthesis: return "\"(\" opens the text, \")\" follows a \",\", both or neither";
    case WeatherSyntax::BlankBeforeComma: return "blank before \",\"";
    case WeatherSyntax::EmptyRecord: return "expected a record";
    case WeatherSyntax::Code: return "expected a phenomenon code";
    case WeatherSyntax::AfterCode: return "expected \" \", \"[\" or \",\" after the code";
    case WeatherSyntax::Time: return "expected hhmm or ////";
    case WeatherSyntax::AfterTime: return "expected \"[\", \"-\", \"...\", \";\", \"'\" or \",\"";
    case WeatherSyntax::Visibility: return "expected digits and \"]\"";
    case WeatherSyntax::Direction: return "expected one to three of N NE E SE S SW W NW Z";
    case WeatherSyntax::AfterPeriod: return "expected \";\", \"'\" or \",\" after the end time";
  }
  return {};
}

// ---------------------------------------------------------------- parsed day

std::string_view WeatherRecord::AfterCode() const {
  const std::string_view after = text().substr(codeSize_);
  return Prefix(after, 1);
}

uint32_t WeatherRecord::length() const { return static_cast<uint32_t>(CharCount(text())); }

void WeatherDay::Parse(std::string_view dayText) {
  raw_ = dayText;
  records_.clear();
  periods_.clear();
  issues_.clear();
  parentheses_.clear();

  // Directions written after "-" are read as if written after ":".
  text_.assign(dayText);
  for (size_t i = 0; i + 1 < text_.size(); ++i) {
    if (text_[i] != '-') continue;
    char u = text_[i + 1];
    if (u >= 'a' && u <= 'z') u = static_cast<char>(u - 'a' + 'A');
    if (u == 'E' || u == 'S' || u == 'W' || u == 'N' || u == 'Z') {
      text_[i] = ':';
      text_[i + 1] = u;
      ++i;
    }
  }

  hasOpen_ = text_.find('(') != std::string::npos;
  hasClose_ = text_.find(')') != std::string::npos;
  openBrackets_ = static_cast<int>(std::count(text_.begin(), text_.end(), '['));
  closeBrackets_ = static_cast<int>(std::count(text_.begin(), text_.end(), ']'));
  blankBeforeComma_ = text_.find(" ,") != std::string::npos;
  const std::string_view t = text_;
  complete_ = CharCount(t) > 3 ? (t.ends_with(",.") || t.ends_with(").")) : t == ".";

  // The records before the last piece holding ")" are the night records.
  lastNight_ = 0;
  int piece = 1;
  // Periods come only after a code of two characters, so a piece of at
  // most two bytes has none; each "'" starts one more.
  size_t periodBound = 0, pieceBytes = 0;
  for (char c : text_) {
    if (c == ',') {
      ++piece;
      periodBound += pieceBytes > 2;
      pieceBytes = 0;
      continue;
    }
    if (c != '(' && c != ')') ++pieceBytes;
    if (c == ')') lastNight_ = piece - 1;
    else if (c == '\'') ++periodBound;
  }
  periodBound += pieceBytes > 2;

  // One record per comma-separated piece at most: reserving them at once
  // keeps a very long line from holding the old and the grown storage
  // together while the vector grows.
  records_.reserve(static_cast<size_t>(piece));
  periods_.reserve(periodBound);
  // Most bad texts have at most one issue per piece.
  issues_.reserve(static_cast<size_t>(piece));

  clean_.clear();
  clean_.reserve(text_.size());
  for (size_t i = 0; i < text_.size(); ++i) {
    // Kept as the offset in the clean text where each one was taken out.
    if (text_[i] == '(' || text_[i] == ')') parentheses_.push_back(static_cast<uint32_t>(clean_.size()));
    else clean_.push_back(text_[i]);
  }
  // Each period stores at most its own text twice (dashes for dots, the
  // bracket group cut out); the pool never grows past this.
  pool_.clear();
  pool_.reserve(2 * clean_.size() + 1);

  CheckFrame();

  // An empty text has no pieces at all.
  const std::string_view clean = clean_;
  if (!clean.empty()) {
    int index = 1;
    for (size_t at = 0;; ++index) {
      const size_t comma = std::min(clean.find(',', at), clean.size());
      const std::string_view p = clean.substr(at, comma - at);
      if (p != ".") ReadRecord(p, static_cast<uint32_t>(at), index);
      else if (comma != clean.size()) Issue(static_cast<uint32_t>(at), WeatherSyntax::EmptyRecord);
      if (comma == clean.size()) break;
      at = comma + 1;
    }
  }
  std::stable_sort(issues_.begin(), issues_.end(),
                   [](const WeatherIssue& a, const WeatherIssue& b) { return a.offset < b.offset; });
}

void WeatherDay::CheckFrame() {
  // The earliest misplaced parenthesis or blank before a comma.
  size_t first = std::string::npos;
  int opens = 0, closes = 0;
  for (size_t i = 0; i < text_.size() && first == std::string::npos; ++i) {
    if (text_[i] == '(' && (i != 0 || opens++ > 0)) first = i;
    if (text_[i] == ')' && (closes++ > 0 || opens == 0 || i == 0 || text_[i - 1] != ','))
      first = i;
  }
  if (first == std::string::npos && hasOpen_ != hasClose_)
    first = text_.find(hasOpen_ ? '(' : ')');
  if (blankBeforeComma_) first = std::min(first, text_.find(" ,"));
  if (first != std::string::npos) {
    const bool blank = text_[first] == ' ';
    issues_.push_back({static_cast<uint32_t>(first),
                       blank ? WeatherSyntax::BlankBeforeComma : WeatherSyntax::Parenthesis});
  }
  if (!complete_) issues_.push_back({static_cast<uint32_t>(raw_.size()), WeatherSyntax::Unfinished});
}

void WeatherDay::ReadRecord(std::string_view piece, uint32_t cleanOffset, int index) {
  WeatherRecord r;
  r.data_ = piece.data();
  r.size_ = static_cast<uint32_t>(piece.size());
  r.offset = RawOffset(cleanOffset);
  r.index = index;
  r.night = index <= lastNight_;
  r.codeSize_ = static_cast<uint8_t>(Prefix(piece, 2).size());
  const std::string_view rest = TrimBlanks(piece.substr(r.codeSize_));
  r.restFrom_ = static_cast<uint32_t>(rest.data() - piece.data());
  r.restSize_ = static_cast<uint32_t>(rest.size());
  r.firstPeriod = static_cast<uint32_t>(periods_.size());
  // Periods are checked against the grammar only when the record itself
  // reads up to them.
  const bool framed = CheckRecordGrammar(r, cleanOffset);
  if (rest.size() >= 2 && rest.front() == '[' && rest.back() == ']') {
    r.form = RecordForm::Visibility;
  } else if (!rest.empty()) {
    r.form = RecordForm::Periods;
    const uint32_t restOffset = cleanOffset + r.restFrom_;
    for (size_t at = 0;;) {
      const size_t mark = std::min(rest.find('\'', at), rest.size());
      ReadPeriod(r, rest.substr(at, mark - at), restOffset + static_cast<uint32_t>(at), framed);
      if (mark == rest.size()) break;
      at = mark + 1;
    }
  }
  r.periodCount = static_cast<uint32_t>(periods_.size()) - r.firstPeriod;
  if (framed && r.form != RecordForm::Periods && r.AfterCode() == " ")
    Issue(cleanOffset + 3, WeatherSyntax::Time);  // a blank and no period
  records_.push_back(r);
}

void WeatherDay::ReadPeriod(const WeatherRecord& r, std::string_view written,
                            uint32_t cleanOffset, bool checkGrammar) {
  WeatherPeriod p;
  using Span = WeatherPeriod::Span;
  const auto within = [](std::string_view base, std::string_view part) {
    return part.empty() ? Span{} : Span{static_cast<uint32_t>(part.data() - base.data()),
                                        static_cast<uint32_t>(part.size())};
  };
  p.written_ = written.data();
  p.writtenSize_ = static_cast<uint32_t>(written.size());
  p.offset = RawOffset(cleanOffset);

  // "..." reads as "-".
  const size_t dots = written.find("...");
  p.dotted = dots != std::string_view::npos;
  std::string_view text = written;
  if (p.dotted) {
    const size_t from = pool_.size();
    for (size_t i = 0; i < written.size();) {
      if (written.compare(i, 3, "...") == 0) {
        Append("-");
        i += 3;
      } else {
        Append(written.substr(i, 1));
        ++i;
      }
    }
    text = std::string_view(pool_).substr(from);
  }
  p.text_ = text.data();
  p.textSize_ = static_cast<uint32_t>(text.size());
  p.tooShort = CharCount(text) < 4;

  const std::string_view start = Prefix(text, 4);
  p.start_ = within(text, start);
  const size_t dash = text.find('-');
  p.hasEnd = dash != std::string_view::npos;
  const std::string_view end = p.hasEnd ? Prefix(text.substr(dash + 1), 4) : std::string_view();
  p.end_ = within(text, end);
  p.writtenStart = PhenomenonMinutes(start, TimeRole::Start);
  p.writtenEnd = p.hasEnd ? PhenomenonMinutes(end, TimeRole::End) : p.writtenStart;
  p.startMinutes = p.writtenStart;
  p.endMinutes = p.writtenEnd;
  if (p.hasEnd) {
    if (p.endMinutes == kUnknownMinutes) p.endMinutes = p.startMinutes;
    if (p.startMinutes == kUnknownMinutes) p.startMinutes = p.endMinutes;
  }

  // Minimum visibility: the group between the first "[" and the first "]".
  // For the codes that may carry one it is cut out before the length is
  // counted (the text between a "]" that comes first and the "[" too).
  const size_t open = text.find('['), close = text.find(']');
  p.opens = static_cast<uint16_t>(std::min<size_t>(std::count(text.begin(), text.end(), '['), 65535));
  p.closes = static_cast<uint16_t>(std::min<size_t>(std::count(text.begin(), text.end(), ']'), 65535));
  std::string_view cut = text;
  if (open != std::string_view::npos && close != std::string_view::npos) {
    p.bracketsReversed = close < open;
    if (!p.bracketsReversed) p.visibility_ = within(text, text.substr(open + 1, close - open - 1));
    if (VisibilityCodeSlot(r.code()) >= 0) {
      const size_t a = std::min(open, close), b = std::max(open, close);
      const size_t from = pool_.size();
      Append(text.substr(0, a));
      Append(text.substr(b + 1));
      cut = std::string_view(pool_).substr(from);
    }
  }
  p.cut_ = cut.data();
  p.cutSize_ = static_cast<uint32_t>(cut.size());

  const size_t semicolon = cut.find(';');
  p.hasDirections = semicolon != std::string_view::npos;
  p.coreSize_ = static_cast<uint32_t>(std::min(semicolon, cut.size()));
  if (p.hasDirections) {
    const std::string_view directionText = cut.substr(semicolon + 1);
    for (size_t at = 0;; ++p.directionCount) {
      const size_t colon = std::min(directionText.find(':', at), directionText.size());
      const std::string_view piece = directionText.substr(at, colon - at);
      p.lastDirection_ = within(cut, piece);
      if (p.directionCount < 3) p.directions_[p.directionCount] = p.lastDirection_;
      if (colon == directionText.size()) {
        ++p.directionCount;
        break;
      }
      at = colon + 1;
    }
  }

  if (checkGrammar) CheckPeriodGrammar(written, cleanOffset);
  periods_.push_back(p);
}

// The record up to its first period; false when it does not get that far
// (the code is not followed by a blank or a visibility).
bool WeatherDay::CheckRecordGrammar(const WeatherRecord& r, uint32_t cleanOffset) {
  const std::string_view t = r.text();
  if (t.empty()) {
    Issue(cleanOffset, WeatherSyntax::EmptyRecord);
    return false;
  }
  if (r.code().size() != 2 || !IsDigit(t[0]) || !IsDigit(t[1]) || IsBadPhenomenonCode(r.code()))
    Issue(cleanOffset, WeatherSyntax::Code);
  if (t.size() <= r.code().size()) return true;
  if (t[2] == '[') {
    // "[" digits "]" and nothing after.
    size_t i = 3;
    while (i < t.size() && IsDigit(t[i])) ++i;
    if (i == 3 || i >= t.size() || t[i] != ']')
      Issue(cleanOffset + static_cast<uint32_t>(i), WeatherSyntax::Visibility);
    else if (i + 1 < t.size())
      Issue(cleanOffset + static_cast<uint32_t>(i + 1), WeatherSyntax::AfterPeriod);
    return false;
  }
  if (t[2] != ' ') {
    Issue(cleanOffset + static_cast<uint32_t>(r.code().size()), WeatherSyntax::AfterCode);
    return false;
  }
  // Exactly one blank before the first period.
  if (t.size() > 3 && t[3] == ' ') {
    Issue(cleanOffset + 3, WeatherSyntax::Time);
    return false;
  }
  return true;
}

void WeatherDay::CheckPeriodGrammar(std::string_view w, uint32_t cleanOffset) {
  const size_t n = w.size();
  auto fail = [&](size_t at, WeatherSyntax what) {
    Issue(cleanOffset + static_cast<uint32_t>(at), what);
    return false;
  };
  auto time = [&](size_t at) {
    if (w.compare(at, 4, kUnknownTime) == 0) return true;
    for (size_t k = at; k < at + 4; ++k)
      if (k >= n || !IsDigit(w[k])) return fail(k, WeatherSyntax::Time);
    return true;
  };

  if (!time(0)) return;
  size_t i = 4;
  if (i < n && w[i] == '[') {
    size_t j = i + 1;
    while (j < n && IsDigit(w[j])) ++j;
    if (j == i + 1 || j >= n || w[j] != ']') {
      fail(j, WeatherSyntax::Visibility);
      return;
    }
    i = j + 1;
  }
  bool hasEnd = false;
  if (i < n && (w[i] == '-' || w.compare(i, 3, "...") == 0)) {
    i += w[i] == '-' ? 1 : 3;
    if (!time(i)) return;
    i += 4;
    hasEnd = true;
  }
  if (i < n && w[i] == ';') {
    for (int count = 1;; ++count) {
      const size_t from = ++i;
      while (i < n && w[i] >= 'A' && w[i] <= 'Z') ++i;
      if (count > 3 || IsBadThunderDirection(w.substr(from, i - from))) {
        fail(from, WeatherSyntax::Direction);
        return;
      }
      if (i == n) return;
      if (w[i] != ':') {
        fail(i, WeatherSyntax::Direction);
        return;
      }
    }
  }
  if (i < n) fail(i, hasEnd ? WeatherSyntax::AfterPeriod : WeatherSyntax::AfterTime);
}

void WeatherDay::Issue(uint32_t cleanOffset, WeatherSyntax what) {
  issues_.push_back({RawOffset(cleanOffset), what});
}

uint32_t WeatherDay::RawOffset(uint32_t cleanOffset) const {
  // Every parenthesis taken out at or before this place in the clean text
  // stood before it in the text as given. A binary search keeps a day with
  // many parentheses linear.
  const auto removed = std::upper_bound(parentheses_.begin(), parentheses_.end(), cleanOffset);
  return cleanOffset + static_cast<uint32_t>(removed - parentheses_.begin());
}

void WeatherDay::Append(std::string_view s) {
  // Views into the pool stay valid only while it keeps its first buffer.
  if (pool_.size() + s.size() > pool_.capacity()) throw std::length_error("weather text pool");
  pool_.append(s);
}

}  // namespace kelvane::afile::audit
