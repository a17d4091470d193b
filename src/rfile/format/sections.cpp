// The sections after the quality-control part: cover, instruments, site
// surroundings and remarks.
#include <string>

#include "common/text.h"
#include "common/text_file.h"
#include "rfile/format/context.h"
#include "rfile/layout.h"

namespace kelvane::rfile {

long DaysFromCivil(long y, int m, int d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

std::optional<long> DateNumberOf(std::string_view s) {
  if (s.size() != 8 || !MatchPattern(s, "########")) return std::nullopt;
  const int year = static_cast<int>(LeadingInteger(s.substr(0, 4)));
  const int month = static_cast<int>(LeadingInteger(s.substr(4, 2)));
  const int day = static_cast<int>(LeadingInteger(s.substr(6, 2)));
  if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    return std::nullopt;
  return DaysFromCivil(year, month, day);
}

namespace {

constexpr std::string_view kCover = "封面";

std::string ParaText(const VariantArray& para, long i) {
  const Variant* v = para.Find(i);
  return v ? v->Text() : std::string();
}

bool LengthWithin(std::string_view text, size_t low, size_t high) {
  const size_t n = CharCount(text);
  return n >= low && n <= high;
}

// A cover line of instrument heights: groups of three digits in 0.1 m,
// each compared with the station's height in metres.
struct HeightLine {
  std::string_view countMessage;  // the line as a whole
  std::string_view kinds;         // one character per group: 总散直 or 净反
  const std::string* station[3];  // the station heights of the groups
};

void CheckHeights(RContext& c, std::string_view text, bool countBad, const HeightLine& h) {
  if (countBad) c.Add(h.countMessage, kCover);
  std::string message;
  ForEachGroup(text, [&](int k, std::string_view group) {
    const std::string_view kind = MidChars(h.kinds, static_cast<size_t>(k), 1);
    if (CharCount(group) != 3) {
      message.assign("封面").append(kind).append("表高度格式错误");
      c.Add(message, kCover);
      return;
    }
    const size_t slots = CharCount(h.kinds);
    if (static_cast<size_t>(k) > slots) return;
    const std::string& station = *h.station[k - 1];
    if (!station.empty() && LeadingNumber(station) != LeadingNumber(group) / 10) {
      message.assign("封面").append(kind).append("表高度与台站参数表不符");
      c.Add(message, kCover, "", "", "", kLevelSuspicious);
    }
  });
}

}  // namespace

void CheckCover(RContext& c) {
  if (c.Read(kCover) != "FM") c.Stop("数据文件格式错误,无法继续审核", kCover, "", "指示码");
  static constexpr std::string_view kRoles[] = {"台站长", "输入", "校对", "预审", "审核", "传输"};
  const int cls = c.stationClass;
  for (int k = 1; k <= 14; ++k) {
    if (k == 7 && cls == 3) continue;
    const std::string_view text = c.Read(kCover);
    const int n = CountBlanks(text) + 1;
    switch (k) {
      case 1:
        if (!MatchPattern(MidChars(text, 1, 12), "#####")) c.Add("封面档案号格式错误", kCover);
        break;
      case 2:
        if (!LengthWithin(text, 1, 10)) c.Add("封面省名格式错误", kCover);
        break;
      case 3:
        if (!LengthWithin(text, 1, 18)) c.Add("封面台站名格式错误", kCover);
        break;
      case 4:
        if (!LengthWithin(text, 1, 21)) c.Add("封面台站地址格式错误", kCover);
        break;
      case 5:
        if (!LengthWithin(text, 0, 10)) c.Add("封面地理环境格式错误", kCover);
        break;
      case 6: {
        const bool bad = n > 3 || text.empty() || (n == 3 && cls > 1) || (n == 1 && cls == 1);
        CheckHeights(c, text, bad,
                     {"封面总、散、直表高度格式错误", "总散直",
                      {&c.heightG, &c.heightD, &c.heightS}});
        break;
      }
      case 7: {
        const bool bad =
            n > 2 || (text.empty() && cls < 3) || (n == 2 && cls > 1) || (n == 1 && cls == 1);
        CheckHeights(c, text, bad,
                     {"封面净、反表高度格式错误", "净反", {&c.heightN, &c.heightR, &c.heightR}});
        break;
      }
      case 14: {
        if (!EndsWith(text, '=') || CharCount(text) != 9 || !DateNumberOf(text.substr(0, 8)))
          c.Add("封面传输日期格式错误", kCover);
        break;
      }
      default:  // 8..13: the names of the people who made the file
        if (text.empty() || CharCount(text) > 8)
          c.Add("封面有关姓名格式错误", kCover, "", kRoles[k - 8]);
        break;
    }
  }
}

namespace {

bool NumericOrSlashes(std::string_view g, size_t width) {
  return IsDecimal(g) || (g.size() == width && IsRunOf(g, '/'));
}

// One instrument line whose group count is right: each group by its meaning.
void CheckInstrumentGroups(RContext& c, const RInstrument& kind, std::string_view text,
                           long monthStart) {
  const std::string_view n = kind.name;
  std::string message;
  auto add = [&](std::string_view suffix, std::string_view level = kLevelError) {
    message.assign(n).append(suffix);
    c.Add(message, n, "", "", "", level);
  };
  // Group positions of the kind: the recorder has model, serial number and
  // the two dates; the net radiometer two sensitivities.
  const bool recorder = kind.groups == 4;
  const int calibrationAt = kind.groups - 1;
  std::optional<long> calibration;
  ForEachGroup(text, [&](int j, std::string_view g) {
    if (j == 1) {
      if (CharCount(g) > 10) add("类型型号组位长错误");
    } else if (j == 2) {
      if (CharCount(g) > 6) add("类型号码组位长错误");
      if (!NumericOrSlashes(g, 6)) add("类型号码应全为数值");
    } else if (j == calibrationAt) {
      if (g.size() != 8) add("类型检定时间组位长错误");
      calibration = DateNumberOf(g);
      if (!calibration && g != "////////") add("类型检定时间日期非法");
    } else if (j == calibrationAt + 1) {
      if (EndsWith(g, '=')) g.remove_suffix(1);
      if (g.size() != 8) add("类型启用时间组位长错误");
      const std::optional<long> start = DateNumberOf(g);
      if (!start && g != "////////") add("类型启用时间日期非法");
      if (start && calibration && *start < *calibration) add("类型启用时间与检定时间矛盾");
    } else if (!recorder) {
      // 3 (and 4 at the net radiometer) sensitivity, then response time and resistance.
      const int fromEnd = calibrationAt - j;  // 1 resistance, 2 response time, else sensitivity
      if (fromEnd == 1) {
        if (g.size() != 4) add("类型电阻组位长错误");
        if (!NumericOrSlashes(g, 4)) add("类型电阻应全为数值");
      } else if (fromEnd == 2) {
        if (g.size() != 2) add("类型响应时间组位长错误");
        if (!NumericOrSlashes(g, 2)) add("类型响应时间应全为数值");
      } else {
        if (g.size() != 4) add("类型灵敏度组位长错误");
        if (!NumericOrSlashes(g, 4)) add("类型灵敏度应全为数值");
      }
    }
  });
  // A radiometer calibrated more than two years (731 days) before the
  // month of the file is overdue.
  if (!recorder && calibration && monthStart != 0) {
    const long overdue = monthStart - *calibration - 731;
    if (overdue >= 1) add("已超检" + Num(overdue) + "天", "");
  }
}

}  // namespace

void CheckInstruments(RContext& c) {
  constexpr std::string_view kSection = "仪器类型性能";
  if (c.Read(kSection) != "YX") c.Stop("仪器类型性能格式错误,无法继续审核", kSection, "", "指示码");
  long monthStart = 0;
  {
    const std::string y = ParaText(c.para, 2), m = ParaText(c.para, 3);
    const long year = static_cast<long>(LeadingInteger(y));
    const long month = static_cast<long>(LeadingInteger(m));
    if (IsDecimal(y) && IsDecimal(m) && year >= 1 && month >= 1 && month <= 12)
      monthStart = DaysFromCivil(year, static_cast<int>(month), 1);
  }
  for (const RInstrument& kind : kRInstruments) {
    if (!ClassHasInstrument(c.stationClass, kind)) continue;
    if (c.Read(kSection) != kind.code)
      c.Stop(std::string(kind.name) + "类型格式错误,无法继续审核", kind.name, "", "指示码");
    // The instrument lines of the kind; the last one ends with "=". The
    // reader stops the check only at its own end of file.
    for (;;) {
      const std::string_view text = c.Read(kind.name);
      if (CountBlanks(text) + 1 != kind.groups)
        c.Add(std::string(kind.name) + "类型数据组数错误", kind.name);
      else
        CheckInstrumentGroups(c, kind, text, monthStart);
      if (EndsWith(text, '=')) break;
    }
  }
}

void CheckSurroundings(RContext& c) {
  constexpr std::string_view kSection = "场地周围环境变化";
  if (c.Read(kSection) != "CZ") c.Stop("格式错误,无法继续审核", kSection, "", "指示码");
  for (;;) {
    const std::string_view text = c.Read(kSection);
    if (text == "=") return;
    const size_t slash = text.find('/');
    const std::string_view code = text.substr(0, slash);
    if ((code != "01" && code != "02") || CountSeparators(text, "/") != 1)
      c.Add("标识码格式错误", kSection);
    if (EndsWith(text, '=')) return;
  }
}

void CheckRemarks(RContext& c) {
  constexpr std::string_view kSection = "备注";
  if (c.Read(kSection) != "BZ") c.Stop("格式错误,无法继续审核", kSection, "", "指示码");
  for (;;) {
    const std::string_view text = c.Read(kSection);
    if (text == "=") return;
    const double day = LeadingNumber(MidChars(text, 1, 2));
    if (day < 1 || day > c.days) c.Add("日期标识码格式错误", kSection);
    if (EndsWith(text, '=')) return;
  }
}

}  // namespace kelvane::rfile
