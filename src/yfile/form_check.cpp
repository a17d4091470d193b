// The Y-file format check. The element blocks are read from the layout table
// (yfile/layout.h); every other section has its own reader below. Every read
// tests the end of the file first: a file cut short ends the check with the
// message of the step it was cut at, and the findings so far are handed back.
#include "yfile/form_check.h"

#include <algorithm>
#include <optional>

#include "common/error.h"
#include "common/station_params.h"
#include "common/text.h"
#include "common/text_file.h"
#include "yfile/layout.h"

namespace kelvane::yfile {

namespace {

// ---- messages (each appears only here)

constexpr std::string_view kHeaderPattern = "数据格式错误,无法对参数进行格式检查";
constexpr std::string_view kStationName = "文件首部参数中的区站号与文件名不一致";
constexpr std::string_view kYearName = "文件首部参数中的年与文件名不一致";
constexpr std::string_view kNameMode = "文件名格式与文件首部参数观测方式不符";
constexpr std::string_view kIllegalEnd = "记录非法结束";
constexpr std::string_view kNoYearEnd = "年末数据无结束符(=)";
constexpr std::string_view kNoEnd = "数据无结束符(=)";
constexpr std::string_view kTooFewLines = "记录行数不够";
constexpr std::string_view kGroupCount = "记录个数不正确";
constexpr std::string_view kGroupLength = "记录长度不正确";
constexpr std::string_view kGroupForm = "其中有某一记录格式错误";
constexpr std::string_view kDateLength = "出现日期长度不正确";
constexpr std::string_view kBadDate = "出现日期不合法";
constexpr std::string_view kBadMonth = "出现月份不合法";
constexpr std::string_view kSpecialYear = "年份中有某一记录格式错误";
constexpr std::string_view kSpecialMonth = "月份中有某一记录格式错误";
constexpr std::string_view kSpecialDay = "日期中有某一记录格式错误";
constexpr std::string_view kNoMostFrequent = "无最多风向,但有次多风向";
constexpr std::string_view kDataEnd = "观测数据部分结束符记录格式错误";
constexpr std::string_view kStopData = "数据文件格式错误,无法继续审核";
constexpr std::string_view kCoverArchive = "封面档案号格式错误";
constexpr std::string_view kCoverProvince = "封面省名格式错误";
constexpr std::string_view kCoverStation = "封面台站名格式错误";
constexpr std::string_view kCoverAddress = "封面台站地址格式错误";
constexpr std::string_view kCoverEnvironment = "封面地理环境格式错误";
constexpr std::string_view kCoverNames = "封面有关姓名格式错误";
constexpr std::string_view kCoverDate = "封面传输日期格式错误";
constexpr std::string_view kOutlineForm = "气候概况数据格式错误";
constexpr std::string_view kOutlineCode = "气候概况项目标识码格式错误";
constexpr std::string_view kOutlineEmpty = "气候概况内容不能为空";
constexpr std::string_view kOutlineMissing = "漏输主要天气气候特点或(和)天气气候综合评价";
constexpr std::string_view kRemarkForm = "备注数据格式错误";
constexpr std::string_view kRemarkCode = "备注项目标识码格式错误";
constexpr std::string_view kRemarkDate = "备注项目日期格式错误";
constexpr std::string_view kRemarkEmpty = "备注内容不能为空";
constexpr std::string_view kRemarkWatch = "漏输观测时间或(和)守班情况";
constexpr std::string_view kInstrumentCount = "项目个数不正确";
constexpr std::string_view kInstrumentCode = "仪器标识码不正确";
constexpr std::string_view kFileEnd = "数据文件结束标志错误";
constexpr std::string_view kTrailing = "数据文件尾部有多余记录";

// ---- element and section names

constexpr std::string_view kHeader = "文件首部";
constexpr std::string_view kParameter = "参数";
constexpr std::string_view kObservationMode = "观测方式";
constexpr std::string_view kDataEndElement = "数据段结束";
constexpr std::string_view kMark = "标识";
constexpr std::string_view kIndicator = "指示码";
constexpr std::string_view kCover = "封面";
constexpr std::string_view kOutline = "气候概况";
constexpr std::string_view kRemarks = "备注";
constexpr std::string_view kInstruments = "现用仪器";
constexpr std::string_view kEnd = "文件结束";

constexpr std::string_view kHeaderLinePattern =
    "[A-W0-9]#### ####[NS] #####[EW] #[0-9-]#### #[0-9-]#### ### ### S[01]# ### ####";

struct Stop {};

// State of one check: the parameter array, the result list, the file and
// its line counter.
struct Check {
  std::string_view sysPath;
  const std::string& pathFile;
  VariantArray& para;
  AuditList& list;
  std::vector<std::string>* problems;  // of the station table, when wanted
  std::optional<LineReader> in;
  long line = 0;  // number of the last line read (1 = header)
  int year = 0;   // YFilePara 2 as a number
  std::string scratch;

  bool Next(std::string_view& out) {
    if (in->Eof()) return false;
    out = in->ReadLine();
    ++line;
    return true;
  }
  void Add(std::string_view message, std::string_view element, std::string_view day = {},
           std::string_view timeOrItem = {}, std::string_view related = {}) {
    list.Add(message, element, related, day, timeOrItem, Num(line), kLevelError);
  }
  [[noreturn]] void StopWith(std::string_view message, std::string_view element,
                             std::string_view day = {}, std::string_view timeOrItem = {}) {
    Add(message, element, day, timeOrItem);
    para(kParaUsable) = Variant(false);
    throw Stop{};
  }
  void Unusable() { para(kParaUsable) = Variant(false); }
};

void SetText(VariantArray& para, long i, std::string_view text) {
  para(i) = Variant(std::string(text));
}

// A whole number as the file writes it: an optional sign and digits.
bool IsWholeNumber(std::string_view s) {
  size_t i = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
  if (i >= s.size()) return false;
  for (; i < s.size(); ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

bool IsDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

int NumberOf(std::string_view s) { return static_cast<int>(std::clamp<int64_t>(LeadingInteger(s), -100000, 100000)); }

// Byte length of a text in the stations' code page: two bytes for every
// character outside ASCII.
size_t CodePageLength(std::string_view utf8) {
  size_t n = 0;
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    n += c < 0x80 ? 1 : 2;
    i += len;
  }
  return n;
}

// Walks the blank-separated groups of a line.
class Groups {
 public:
  explicit Groups(std::string_view s) : s_(s) {}
  bool Next(std::string_view& g) {
    if (done_) return false;
    const size_t blank = s_.find(' ', pos_);
    if (blank == std::string_view::npos) {
      g = s_.substr(pos_);
      done_ = true;
    } else {
      g = s_.substr(pos_, blank - pos_);
      pos_ = blank + 1;
    }
    return true;
  }

 private:
  std::string_view s_;
  size_t pos_ = 0;
  bool done_ = false;
};

// Metres with one decimal from a text of tenths ("-0123" -> "-12.3").
std::string TenthsToMetres(std::string_view tenths) {
  const int64_t v = LeadingInteger(tenths);
  const int64_t a = v < 0 ? -v : v;
  std::string s = v < 0 ? "-" : "";
  s += std::to_string(a / 10);
  s += '.';
  s += static_cast<char>('0' + a % 10);
  return s;
}

// ---- name and header

// The file name: the last 15 characters of the path, or the last 17 when it
// ends with "-0.TXT" or "-1.TXT". A shorter path gives what it has.
std::string_view FileName(std::string_view path, char& mode) {
  mode = 0;
  std::string_view tail = LastChars(path, 6);
  std::string upper(tail);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (upper == "-0.TXT" || upper == "-1.TXT") {
    mode = upper[1];
    return LastChars(path, 17);
  }
  return LastChars(path, 15);
}

void CheckHeader(Check& c, char nameMode) {
  VariantArray& p = c.para;
  std::string_view h;
  if (!c.Next(h)) h = {};
  c.line = 1;
  const bool matches = MatchPattern(h, kHeaderLinePattern);
  SetText(p, 3, TrimBlanks(h));
  if (!matches) {
    c.Add(kHeaderPattern, kHeader, "", kParameter);
    c.Unusable();
    return;
  }
  // The station number may begin with a letter: compared as text.
  if (MidChars(h, 1, 5) != p(5).Text()) c.Add(kStationName, kHeader, "", kParameter);
  if (LeadingNumber(MidChars(h, 50, 4)) != LeadingNumber(p(2).Text()))
    c.Add(kYearName, kHeader, "", kParameter);

  SetText(p, 2, MidChars(h, 50, 4));
  SetText(p, 5, MidChars(h, 1, 5));
  SetText(p, 6, std::string(MidChars(h, 7, 2)) + "." + std::string(MidChars(h, 9, 3)));
  SetText(p, 7, Num(static_cast<long>(LeadingInteger(MidChars(h, 13, 3)))) + "." +
                    std::string(MidChars(h, 16, 3)));
  auto elevation = [&](size_t flag, size_t from) {
    std::string m = TenthsToMetres(MidChars(h, from, 5));
    return MidChars(h, flag, 1) == "1" ? "(" + m + ")" : m;
  };
  SetText(p, 8, elevation(20, 21));
  SetText(p, 9, elevation(27, 28));
  SetText(p, 10, TenthsToMetres(MidChars(h, 34, 3)));
  SetText(p, 11, TenthsToMetres(MidChars(h, 38, 3)));
  const std::string_view cls = MidChars(h, 44, 1);
  p(12) = cls == "1"   ? Variant("基准站")
          : cls == "2" ? Variant("基本站")
          : cls == "3" || cls == "4" ? Variant("一般站")
          : cls == "5" ? Variant("自动")
                       : Variant();
  p(13) = cls == "1"                 ? Variant("24")
          : cls == "2" || cls == "3" ? Variant("4")
          : cls == "4"               ? Variant("3")
                                     : Variant();
  SetText(p, 14, MidChars(h, 43, 1) == "0" ? "人工" : "自动站");
  SetText(p, 15, "");
  SetText(p, 16, MidChars(h, 46, 3));
  c.year = NumberOf(p(2).Text());

  // The station table, consulted once.
  if (std::optional<StationRecord> rec = FindStation(c.sysPath, p(5).Text(), c.problems)) {
    HeaderValues v;
    v.latitude = p(6).Text();
    v.longitude = p(7).Text();
    v.fieldElevation = p(8).Text();
    v.baroElevation = p(9).Text();
    v.windHeight = p(10).Text();
    v.platformHeight = p(11).Text();
    if (!p(12).IsEmpty()) v.stationClass = p(12).Text();
    if (!p(13).IsEmpty()) v.fixTimes = p(13).Text();
    v.collection = p(14).Text();
    CompareGeneralItems(*rec, v, 9, c.list);
  }
  // The name's mode against the header's (only a header that passed its
  // pattern has a mode to compare).
  const std::string mode = p(14).Text();
  if ((nameMode == '1' && mode != "自动站") || (nameMode == '0' && mode != "人工"))
    c.Add(kNameMode, kHeader, "", "", kObservationMode);
}

// ---- standard blocks

std::string MonthLabel(int a) { return a <= 12 ? Num(a) + "月" : std::string("年"); }

bool ValueForm(std::string_view g, size_t width) {
  return IsWholeNumber(g) || (g.size() == width && (IsRunOf(g, '/') || IsRunOf(g, '.')));
}

bool ValidDay(int v, int days) { return (v >= 1 && v <= days) || (v >= 52 && v <= days + 50); }

// Reads one line of a block: false (after the finding) when the block ends
// early. On return `body` is the line without its "=".
bool ReadBlockLine(Check& c, std::string_view element, std::string_view label, bool last,
                   std::string_view endMessage, std::string_view& body) {
  std::string_view s;
  if (!c.Next(s)) {
    c.Add(kIllegalEnd, element, label);
    c.Unusable();
    return false;
  }
  if (last) {
    // Only a final "=" is removed; without one the line stays whole.
    if (!EndsWith(s, '=')) c.Add(endMessage, element, label);
  } else if (EndsWith(s, '=')) {
    c.Add(kTooFewLines, element, label);
    c.Unusable();
    return false;
  }
  body = RemoveChars(s, "=", c.scratch);
  return true;
}

void ReadStandardBlock(Check& c, const BlockSpec& b) {
  for (int a = 1; a <= 13; ++a) {
    const bool yearLine = a == 13;
    const std::string label = MonthLabel(a);
    std::string_view body;
    if (!ReadBlockLine(c, b.element, label, yearLine, kNoYearEnd, body)) return;
    const std::string_view layout = yearLine ? b.yearLine : b.monthLine;
    if (static_cast<size_t>(CountBlanks(body) + 1) != layout.size())
      c.Add(kGroupCount, b.element, label);
    const int days = yearLine ? 0 : DaysInMonth(c.year, a);
    int month = 0;  // the month group before a year-line day (0: unknown)
    Groups groups(body);
    std::string_view g;
    for (size_t k = 0; k < layout.size() && groups.Next(g); ++k) {
      const char kind = layout[k];
      if (kind == kGroupDirection) {
        if (!IsValidDirection(g)) c.Add(kGroupForm, b.element, label);
        continue;
      }
      const size_t width = static_cast<size_t>(GroupWidth(kind));
      if (!IsDateGroup(kind)) {
        if (CharCount(g) != width) {
          c.Add(kGroupLength, b.element, label);
        } else if (!ValueForm(g, width)) {
          c.Add(kGroupForm, b.element, label);
        }
        continue;
      }
      if (CharCount(g) != width) {
        c.Add(kDateLength, b.element, label);
        if (kind == kGroupMonth) month = 0;
        continue;
      }
      if (!IsWholeNumber(g) && !IsRunOf(g, '/')) {
        c.Add(kGroupForm, b.element, label);
        if (kind == kGroupMonth) month = 0;
        continue;
      }
      // A missing date ("//") is well formed and not range-tested.
      if (!IsWholeNumber(g)) {
        if (kind == kGroupMonth) month = 0;
        continue;
      }
      const int v = NumberOf(g);
      if (kind == kGroupMonth) {
        // Month + 50 marks an extreme held by several months; January's is
        // 51, so 51..62 are all valid.
        const bool ok = (v >= 1 && v <= 12) || (v >= 51 && v <= 62);
        if (!ok) c.Add(kBadMonth, b.element, label);
        month = ok ? (v > 50 ? v - 50 : v) : 0;
      } else if (!yearLine) {
        if (!ValidDay(v, days)) c.Add(kBadDate, b.element, label);
      } else if (month != 0) {
        // Without a valid month there is no day count to test against.
        if (!ValidDay(v, DaysInMonth(c.year, month))) c.Add(kBadDate, b.element, label);
      }
    }
  }
}

// ---- special blocks

struct SpecialLines {
  int count;
  std::string_view endMessage;
};

SpecialLines LinesOf(Special s) {
  switch (s) {
    case Special::PeriodMaxRain: return {15, kNoEnd};
    case Special::FirstLastDates: return {9, kNoEnd};
    case Special::WindStatistics: return {65, kNoEnd};
    default: return {13, kNoYearEnd};
  }
}

std::string SpecialLabel(Special s, int line) {
  switch (s) {
    case Special::PeriodMaxRain: return std::string(PeriodLabel(line));
    case Special::FirstLastDates: return std::string(FirstLastLabel(line));
    case Special::WindStatistics:
      if (line <= 48) return Num((line - 1) / 4 + 1) + "月" + std::string(QuarterLabel((line - 1) % 4 + 1));
      if (line <= 60) return Num(line - 48) + "月C";
      if (line <= 64) return "年" + std::string(QuarterLabel(line - 60));
      return "年C";
    default: return MonthLabel(line);
  }
}

std::string_view SpecialLayout(const BlockSpec& b, int line) {
  switch (b.special) {
    case Special::FirstLastDates:
      return line <= 7 ? std::string_view("nana3na") : line == 8 ? std::string_view("nana3")
                                                                 : std::string_view("3");
    case Special::WindStatistics:
      if (line <= 48) return b.monthLine;
      if (line <= 60 || line == 65) return "42";
      return b.yearLine;
    case Special::PeriodMaxRain: return b.monthLine;
    default: return line == 13 ? b.yearLine : b.monthLine;
  }
}

bool ValidMostFrequentDirection(std::string_view g) {
  if (g == "///" || g == "...") return true;
  const std::string_view code = StripDirectionPadding(g);
  if (code == "-") return true;
  for (std::string_view d : kDirections)
    if (code == d) return true;
  return false;
}

void ReadSpecialBlock(Check& c, const BlockSpec& b) {
  const SpecialLines lines = LinesOf(b.special);
  for (int a = 1; a <= lines.count; ++a) {
    const std::string label = SpecialLabel(b.special, a);
    std::string_view body;
    if (!ReadBlockLine(c, b.element, label, a == lines.count, lines.endMessage, body)) return;
    const std::string_view layout = SpecialLayout(b, a);
    if (static_cast<size_t>(CountBlanks(body) + 1) != layout.size())
      c.Add(kGroupCount, b.element, label);
    // Year of the dates on this line, for the day counts: the year group
    // before them when there is one; in the first/last-date block the
    // previous year for months from July on (thunder: the file's year).
    int year = c.year;
    int month = 0;
    Groups groups(body);
    std::string_view g, first, second;
    for (size_t k = 0; k < layout.size() && groups.Next(g); ++k) {
      const char kind = layout[k];
      if (k == 0) first = g;
      if (k == 2) second = g;
      if (kind == 'v') {
        if (!ValidMostFrequentDirection(g)) c.Add(kGroupForm, b.element, label);
        continue;
      }
      const size_t width = kind == 'y' ? 4 : (kind == 'n' || kind == 'a') ? 2
                                                                          : static_cast<size_t>(GroupWidth(kind));
      if (CharCount(g) != width) {
        c.Add(kGroupLength, b.element, label);
        if (kind == 'n') month = 0;
        continue;
      }
      if (!ValueForm(g, width)) {
        c.Add(kGroupForm, b.element, label);
        if (kind == 'n') month = 0;
        continue;
      }
      if (!IsWholeNumber(g)) {
        if (kind == 'n') month = 0;
        continue;
      }
      const int v = NumberOf(g);
      if (kind == 'y') {
        if (v != c.year && v != c.year - 1) c.Add(kSpecialYear, b.element, label);
        year = v;
      } else if (kind == 'n') {
        month = (v >= 1 && v <= 12) ? v : 0;
        if (month == 0) c.Add(kSpecialMonth, b.element, label);
        if (b.special == Special::FirstLastDates && a <= 7 && month >= 7) year = c.year - 1;
        if (b.special == Special::FirstLastDates && a > 7) year = c.year;
      } else if (kind == 'a') {
        const int days = month != 0 ? DaysInMonth(year, month) : 31;
        if (v < 1 || v > days) c.Add(kSpecialDay, b.element, label);
      }
    }
    if (b.special == Special::MostFrequent && first == "..." && second != "...")
      c.Add(kNoMostFrequent, b.element, label);
  }
}

void ReadIdentifier(Check& c, const IdentifierSpec& id) {
  const std::string indicator = std::string(kIndicator) + id.letter;
  std::string_view s;
  if (!c.Next(s) || s.size() != 1 || s[0] != id.letter)
    c.StopWith(id.stopMessage, id.blocks.front().element, "", indicator);
  for (const BlockSpec& b : id.blocks) {
    if (b.special == Special::None) {
      ReadStandardBlock(c, b);
    } else {
      ReadSpecialBlock(c, b);
    }
  }
}

// ---- appendix sections

void ExpectMarker(Check& c, std::string_view marker, std::string_view element) {
  std::string_view s;
  if (!c.Next(s) || s != marker) c.StopWith(kStopData, element, "", kIndicator);
}

std::string_view NextOrStop(Check& c, std::string_view element) {
  std::string_view s;
  if (!c.Next(s)) c.StopWith(kStopData, element);
  return s;
}

void ReadCover(Check& c) {
  ExpectMarker(c, "FM", kCover);
  struct Limit {
    size_t min, max;
    std::string_view message, day;
  };
  static constexpr Limit kLines[] = {
      {1, 20, kCoverProvince, ""},     {1, 36, kCoverStation, ""},
      {1, 42, kCoverAddress, ""},      {0, 20, kCoverEnvironment, ""},
      {1, 16, kCoverNames, "台站长"},  {1, 16, kCoverNames, "输入"},
      {1, 16, kCoverNames, "校对"},    {1, 16, kCoverNames, "预审"},
      {1, 16, kCoverNames, "审核"},    {1, 16, kCoverNames, "传输"},
  };
  std::string_view s = NextOrStop(c, kCover);
  if (s.size() != 5 || !IsDigits(s)) c.Add(kCoverArchive, kCover);
  for (const Limit& l : kLines) {
    s = NextOrStop(c, kCover);
    const size_t n = CodePageLength(s);
    if (n < l.min || n > l.max) c.Add(l.message, kCover, l.day);
  }
  s = NextOrStop(c, kCover);
  bool ok = s.size() == 9 && s.back() == '=' && IsDigits(s.substr(0, 8));
  if (ok) {
    const int y = NumberOf(s.substr(0, 4)), m = NumberOf(s.substr(4, 2)),
              d = NumberOf(s.substr(6, 2));
    ok = y >= 1 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
  }
  if (!ok) c.Add(kCoverDate, kCover);
}

void ReadOutline(Check& c) {
  ExpectMarker(c, "GK", kOutline);
  int main = 0, summary = 0;
  for (;;) {
    std::string_view s = NextOrStop(c, kOutline);
    if (CountSeparators(s, "/") != 1) {
      c.Add(kOutlineForm, kOutline);
      continue;
    }
    const size_t slash = s.find('/');
    const std::string_view code = s.substr(0, slash);
    std::string_view text = s.substr(slash + 1);
    const bool last = EndsWith(s, '=');
    if (last) text.remove_suffix(1);
    if (!MatchPattern(code, "[0][12345]")) c.Add(kOutlineCode, kOutline);
    if (text.empty()) c.Add(kOutlineEmpty, kOutline);
    if (code == "01") ++main;
    if (code == "05") ++summary;
    if (last) break;
  }
  if (main != 1 || summary != 1) c.Add(kOutlineMissing, kRemarks);
}

// Whether a remark line's number of "/" fits its code: one, two, five and
// seven "/" belong to certain codes, a line without "/" is no remark, and
// any other count goes with any code.
bool RemarkShapeAgrees(std::string_view code, int slashes) {
  switch (slashes) {
    case 1: return code == "11";
    case 5: return code == "08";
    case 7: return code == "05" || code == "55";
    case 2:
      for (std::string_view k : {"BB", "00", "01", "02", "03", "04", "07", "77", "09", "10",
                                 "12", "13"})
        if (code == k) return true;
      return false;
    case 0: return false;
    default: return true;  // three, four, six or more than seven: any code
  }
}

bool RemarkCodeValid(std::string_view code) {
  if (code == "BB" || code == "55" || code == "77") return true;
  return IsDigits(code) && NumberOf(code) < 14;
}

bool RemarkDateValid(std::string_view f) {
  if (f.size() == 4) return IsDigits(f);
  if (f.size() == 9 && f[4] == '-') {
    const std::string_view a = f.substr(0, 4), b = f.substr(5, 4);
    return IsDigits(a) && IsDigits(b) && NumberOf(a) < NumberOf(b);
  }
  return false;
}

void ReadRemarks(Check& c) {
  ExpectMarker(c, "BZ", kRemarks);
  int watch = 0;
  for (;;) {
    std::string_view s = NextOrStop(c, kRemarks);
    const bool last = EndsWith(s, '=');
    const std::string_view body = last ? s.substr(0, s.size() - 1) : s;
    const std::string_view code = GetFieldView(body, "/", 1, FieldBlanks::Keep);
    if (!RemarkShapeAgrees(code, CountSeparators(body, "/"))) {
      c.Add(kRemarkForm, kRemarks);
      continue;
    }
    if (!RemarkCodeValid(code)) c.Add(kRemarkCode, kRemarks);
    const bool timeOrWatch = code == "10" || code == "11";
    if (!timeOrWatch && code != "00" &&
        !RemarkDateValid(GetFieldView(body, "/", 2, FieldBlanks::Keep)))
      c.Add(kRemarkDate, kRemarks);
    if (GetFieldView(body, "/", timeOrWatch ? 2 : 3, FieldBlanks::Keep).empty())
      c.Add(kRemarkEmpty, kRemarks);
    if (timeOrWatch) ++watch;
    if (last) break;
  }
  if (watch != 2 && watch != 3) c.Add(kRemarkWatch, kRemarks);
}

void ReadInstruments(Check& c) {
  ExpectMarker(c, "YQ", kInstruments);
  for (;;) {
    std::string_view s = NextOrStop(c, kInstruments);
    const bool last = EndsWith(s, '=');
    if (s != "=") {
      if (CountSeparators(s, "/") != 4) c.Add(kInstrumentCount, kInstruments);
      if (LeadingNumber(GetFieldView(s, "/", 1, FieldBlanks::Keep)) > 36)
        c.Add(kInstrumentCode, kInstruments);
    }
    if (last) break;
  }
}

void ReadFileEnd(Check& c) {
  std::string_view s;
  // A file that ends before its end line stops here.
  if (!c.Next(s)) c.StopWith(kFileEnd, kEnd);
  if (s != "######") c.Add(kFileEnd, kEnd);
  if (c.Next(s)) c.Add(kTrailing, kEnd);
}

void RunSections(Check& c, char nameMode) {
  CheckHeader(c, nameMode);
  for (const IdentifierSpec& id : Identifiers()) ReadIdentifier(c, id);
  std::string_view s;
  if (!c.Next(s) || s != "??????") c.StopWith(kDataEnd, kDataEndElement, "", kMark);
  ReadCover(c);
  ReadOutline(c);
  ReadRemarks(c);
  ReadInstruments(c);
  ReadFileEnd(c);
}

}  // namespace

void RunYFormCheck(std::string_view sysPath, const std::string& pathFile,
                   std::shared_ptr<const DataFile::Text> text, VariantArray& para,
                   AuditList& list, std::vector<std::string>* problems) {
  // The parameter array must hold its 16 entries before anything is written.
  if (para.Rank() != 1 || para.LBound(1) > 1 || para.UBound(1) < kParaCount)
    throw SubscriptError("YFilePara must cover the indices 1 to 16");
  Check c{sysPath, pathFile, para, list, problems, std::nullopt, 0, 0, std::string()};
  para(kParaUsable) = Variant(true);
  SetText(para, 1, pathFile);
  char nameMode = 0;
  const std::string_view name = FileName(pathFile, nameMode);
  SetText(para, 5, MidChars(name, 2, 5));
  SetText(para, 2, MidChars(name, 8, 4));
  c.year = NumberOf(para(2).Text());
  c.in.emplace(text ? std::move(text) : ReadText(pathFile));
  try {
    RunSections(c, nameMode);
  } catch (const Stop&) {
  }
}

}  // namespace kelvane::yfile
