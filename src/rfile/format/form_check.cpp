// Main sequence of the R-file format check: file name, header, station
// comparison, sun table, data segments, the quality-control part with its
// corrections; the later sections are in sections.cpp.
#include "rfile/format/form_check.h"

#include <cstdio>
#include <string>

#include "common/error.h"
#include "common/station_params.h"
#include "common/text.h"
#include "common/text_file.h"
#include "rfile/format/context.h"
#include "rfile/layout.h"

namespace kelvane::rfile {

// ---------------------------------------------------------------- context

std::string_view RContext::Read(std::string_view element, std::string_view day) {
  if (in->Eof()) Stop("记录非法结束", element, day);
  ++line;
  return in->ReadLine();
}

void RContext::Add(std::string_view message, std::string_view element, std::string_view related,
                   std::string_view day, std::string_view timeOrItem, std::string_view level) {
  list.Add(message, element, related, day, timeOrItem, Num(line), level);
}

void RContext::MarkUnusable() { para(6) = Variant(false); }

void RContext::Stop(std::string_view message, std::string_view element, std::string_view day,
                    std::string_view timeOrItem) {
  Add(message, element, "", day, timeOrItem);
  MarkUnusable();
  throw StopCheck{};
}

namespace {

constexpr std::string_view kHeaderElement = "文件首部";
constexpr std::string_view kWrongIdentifier = "项目识别符不正确,无法继续审核";

std::string ParaText(const VariantArray& para, long i) {
  const Variant* v = para.Find(i);
  return v ? v->Text() : std::string();
}

// Days of the month of the file name: the calendar's normalisation of
// year/month/31 (a month 13 is January of the next year, 0 December of the
// year before), so any text gives 28..31.
int DaysOfNamedMonth(std::string_view yearText, std::string_view monthText) {
  long year = static_cast<long>(LeadingInteger(yearText));
  long month = static_cast<long>(LeadingInteger(monthText));
  long m0 = (month - 1) % 12;
  if (m0 < 0) m0 += 12;
  year += (month - 1 - m0) / 12;
  return DaysInMonth(static_cast<int>(year % 400 + 400), static_cast<int>(m0 + 1));
}

bool FiveDigits(std::string_view s) { return s.size() == 5 && MatchPattern(s, "#####"); }

// ------------------------------------------------------------ header

void CheckHeader(RContext& c, std::string_view raw) {
  VariantArray& para = c.para;
  para(5) = Variant(std::string(TrimBlanks(raw)));
  if (!MatchPattern(raw, kRHeaderPattern)) {
    c.Add("数据格式错误,无法对参数进行格式检查", kHeaderElement, "", "", "参数");
    c.MarkUnusable();
    return;
  }
  const std::string_view station = raw.substr(0, 5);
  const std::string named = ParaText(para, 7);
  const bool same = FiveDigits(station) && FiveDigits(named)
                        ? LeadingInteger(station) == LeadingInteger(named)
                        : station == named;
  if (!same) c.Add("文件首部参数中的区站号与文件名不一致", kHeaderElement, "", "", "参数");
  para(7) = Variant(std::string(station));
  para(8) = Variant(std::string(raw.substr(6, 2)) + "." + std::string(raw.substr(8, 3)));
  para(9) = Variant(Num(static_cast<long>(LeadingInteger(raw.substr(12, 3)))) + "." +
                    std::string(raw.substr(15, 3)));
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", static_cast<double>(LeadingInteger(raw.substr(20, 5))) / 10);
  para(10) = Variant(raw[19] == '1' ? "(" + std::string(buf) + ")" : std::string(buf));
  para(11) = Variant(std::string(raw.substr(27, 1)));
  para(12) = Variant(std::string(raw.substr(29, 1)));
  if (LeadingNumber(raw.substr(31, 4)) != LeadingNumber(ParaText(para, 2)))
    c.Add("文件首部参数中的年与文件名不一致", kHeaderElement, "", "", "参数");
  if (LeadingNumber(raw.substr(36, 2)) != LeadingNumber(ParaText(para, 3)))
    c.Add("文件首部参数中的月与文件名不一致", kHeaderElement, "", "", "参数");
}

std::string_view RadiationClassOfGrade(std::string_view grade) {
  if (grade == "一级") return "1";
  if (grade == "二级") return "2";
  if (grade == "三级") return "3";
  return "0";
}

void CompareWithStation(RContext& c) {
  const std::optional<StationRecord> rec = FindStation(c.sysPath, ParaText(c.para, 7), c.problems);
  if (!rec) return;
  HeaderValues h;
  h.latitude = ParaText(c.para, 8);
  h.longitude = ParaText(c.para, 9);
  h.fieldElevation = ParaText(c.para, 10);
  CompareGeneralItems(*rec, h, 3, c.list);
  auto field = [&rec](std::string_view column) {
    return rec->Has(column) ? rec->Get(column) : std::string();
  };
  if (RadiationClassOfGrade(field("RadiationGrade")) != ParaText(c.para, 11))
    c.list.Add("文件首部参数与台站参数表不符", kHeaderElement, "辐射站类别", "", "", "1",
               kLevelError);
  c.heightG = field("GPyranometerH");
  c.heightD = field("DPyranometerH");
  c.heightS = field("SPyranometerH");
  c.heightN = field("NPyranometerH");
  c.heightR = field("RPyranometerH");
}

// ------------------------------------------------------------ data part

// One day line of an hourly segment (Q, N, D, S, R).
void CheckDayGroups(RContext& c, const RSegment& seg, int d, std::string_view text,
                    const std::string& dayText) {
  const bool daylightTests = c.sunBuilt && seg.letter != 'N';
  const SunDay sun = daylightTests ? SunOfDay(c.sun, d) : SunDay{};
  std::string message;
  const int found = ForEachGroup(text, [&](int j, std::string_view group) {
    const std::string_view label = HourLabel(j);
    const bool dots = group.empty() || IsRunOf(group, '.');
    const bool hour = j <= 24;
    if (!dots) {
      const int width = GroupWidth(seg.letter, j);
      if (static_cast<int>(CharCount(group)) != width)
        c.Add("记录长度不正确", seg.element, "", dayText, label);
      if (!IsDecimal(group) && !(IsRunOf(group, '/') && static_cast<int>(group.size()) == width))
        c.Add("其中有某一记录格式错误", seg.element, "", dayText, label);
      if (hour && daylightTests && !sun.InDaylight(j)) {
        message.assign("该时在日出至日落时间(");
        message.append(sun.riseText).append("-").append(sun.setText).append(")外,却有记录:");
        message.append(group);
        c.Add(message, seg.element, "", dayText, label);
      }
    } else if (hour && daylightTests && sun.InDaylight(j)) {
      message.assign("该时在日出日落时间(");
      message.append(sun.riseText).append("-").append(sun.setText).append(")以内,记录却为“");
      message.append(group).append("”");
      c.Add(message, seg.element, "", dayText, label);
    }
  });
  (void)found;
}

void ReadHourlySegment(RContext& c, const RSegment& seg) {
  std::string scratch;
  for (int d = 1; d <= c.days; ++d) {
    const std::string dayText = Num(d);
    std::string_view text = c.Read(seg.element, dayText);
    const bool last = d == c.days;
    if (!EndsWith(text, '=') && last) {
      text = DropLastChar(text);
      c.Add("月末数据无结束符(=)", seg.element, "", dayText);
    } else if (EndsWith(text, '=') && !last) {
      c.Add("记录行数不够", seg.element, "", dayText);
      c.MarkUnusable();
      return;
    }
    text = RemoveChars(text, "=", scratch);
    if (CountBlanks(text) + 1 != seg.groups) c.Add("记录个数不正确", seg.element, "", dayText);
    CheckDayGroups(c, seg, d, text, dayText);
  }
}

void CheckZSegment(RContext& c) {
  const RSegment& z = *FindRSegment('Z');
  const std::string_view id = c.Read(z.element);
  if (id != "Z" && id != "Z=") c.Stop(kWrongIdentifier, z.element, "", "指示码Z");
  if (id == "Z=") return;
  const std::string_view data = c.Read(z.element);
  if (!EndsWith(data, '=')) c.Add("数据无月结束符(=)", z.element);
  if (CountSeparators(data, " ") + 1 != c.days) c.Add("记录个数不正确", z.element);
}

void CheckDataPart(RContext& c) {
  for (char letter : ClassSegments(c.stationClass)) {
    if (letter == 'Z') {
      CheckZSegment(c);
      continue;
    }
    const RSegment& seg = *FindRSegment(letter);
    const std::string_view id = c.Read(seg.element);
    const char letterText[2] = {letter, '\0'};
    const std::string bare(letterText);
    if (id != bare && id != bare + "=")
      c.Stop(kWrongIdentifier, seg.element, "", "指示码" + bare);
    if (id == bare) ReadHourlySegment(c, seg);
  }
  if (c.Read("数据段结束") != "??????")
    c.Stop("观测数据部分结束符记录格式错误", "数据段结束", "", "标识");
}

// ------------------------------------------------------------ quality control

void ReadQcSegment(RContext& c, const RSegment& seg) {
  std::string scratch;
  for (int d = 1; d <= c.days; ++d) {
    const std::string dayText = Num(d);
    if (c.AtEnd()) c.Stop("质量控制段记录非法结束", seg.element, dayText);
    std::string_view text = c.Read(seg.element, dayText);
    const bool last = d == c.days;
    if (!EndsWith(text, '=') && last) {
      text = DropLastChar(text);
      c.Add("质量控制段月末数据无结束符(=)", seg.element, "", dayText);
    } else if (EndsWith(text, '=') && !last) {
      c.Add("质量控制段记录行数不够", seg.element, "", dayText);
      c.MarkUnusable();
      return;
    }
    text = RemoveChars(text, "=", scratch);
    if (CountBlanks(text) + 1 != seg.groups)
      c.Add("质量控制段记录个数不正确", seg.element, "", dayText);
    ForEachGroup(text, [&](int, std::string_view group) {
      if (group.size() != 3) c.Add("质量控制段记录长度不正确", seg.element, "", dayText);
      if (!IsDecimal(group)) c.Add("质量控制段中有一记录格式错误", seg.element, "", dayText);
    });
  }
}

void CheckQzSegment(RContext& c) {
  const RSegment& z = *FindRSegment('Z');
  const std::string_view id = c.Read(z.element);
  if (id != "QZ" && id != "QZ=") c.Stop(kWrongIdentifier, z.element, "", "质控码QZ");
  if (id == "QZ=") return;
  const std::string_view data = c.Read(z.element);
  if (!EndsWith(data, '=')) c.Add("质控段数据无月结束符(=)", z.element);
  if (CountBlanks(data) + 1 != c.days) c.Add("质控段记录个数不正确", z.element);
}

void CheckCorrection(RContext& c, std::string_view text) {
  constexpr std::string_view kBad = "更正数据格式错误";
  if (CharCount(text) <= 21) {
    c.Add(kBad, "更正数据");
    return;
  }
  if (!MatchPattern(MidChars(text, 1, 12), "[348] [ZQNDSR] ## ## [123] ")) c.Add(kBad, "更正数据");
  std::string_view rest = MidChars(text, 13, text.size());
  if (EndsWith(rest, '=')) rest.remove_suffix(1);
  if (!StartsWith(rest, '[') || !EndsWith(rest, ']') || rest.find("] [") == std::string_view::npos)
    c.Add(kBad, "更正数据");
}

void CheckQualityControl(RContext& c) {
  for (char letter : ClassSegments(c.stationClass)) {
    if (letter == 'Z') {
      CheckQzSegment(c);
      continue;
    }
    const RSegment& seg = *FindRSegment(letter);
    if (c.Read(seg.element) != seg.qcCode)
      c.Stop(kWrongIdentifier, seg.element, "", "质控码" + std::string(seg.qcCode));
    ReadQcSegment(c, seg);
  }
  bool lastEquals = true;
  for (;;) {
    if (c.AtEnd()) c.Stop("更正数据格式错误,无法继续审核", "更正数据");
    const std::string_view text = c.Read("更正数据");
    if (text == "******") {
      if (!lastEquals) c.Add("最后一更正数据后漏等于符号(=)", "更正数据");
      return;
    }
    if (text != "=") CheckCorrection(c, text);
    lastEquals = EndsWith(text, '=');
  }
}

void RunSections(RContext& c, const std::string& pathFile,
                 std::shared_ptr<const DataFile::Text> text) {
  VariantArray& para = c.para;
  // 1. Entry values and the file name.
  para(6) = Variant(true);
  para(1) = Variant(pathFile);
  const std::string_view name = LastChars(pathFile, 17);
  para(7) = Variant(std::string(MidChars(name, 2, 5)));
  para(2) = Variant(std::string(MidChars(name, 8, 4)));
  para(3) = Variant(std::string(MidChars(name, 12, 2)));
  c.days = DaysOfNamedMonth(ParaText(para, 2), ParaText(para, 3));
  para(4) = Variant(c.days);

  // 2-5. Header, station table, sun table.
  c.in.emplace(text ? std::move(text) : ReadText(pathFile));
  const std::string_view header = c.in->ReadLine();
  c.line = 1;
  CheckHeader(c, header);
  const bool headerMatched = para(6).Truth();
  if (headerMatched) CompareWithStation(c);
  // A header that failed its pattern gives no coordinates to compute the
  // sun from: the daylight tests are then left out.
  if (headerMatched)
    c.sunBuilt = BuildSunTimes(ParaText(para, 2), ParaText(para, 3), c.days,
                               ParaText(para, 8), ParaText(para, 9), c.sun);
  c.stationClass = static_cast<int>(LeadingInteger(ParaText(para, 11)));

  // 6-12. Data part, quality-control part.
  CheckDataPart(c);
  if (ParaText(para, 12) == "0") {
    if (c.Read("控制段结束") != "******")
      c.Stop("质量控制码段结束符记录格式错误", "控制段结束", "", "标识");
  } else {
    CheckQualityControl(c);
  }
  // 13-16.
  CheckCover(c);
  CheckInstruments(c);
  CheckSurroundings(c);
  CheckRemarks(c);
}

}  // namespace

void RunRFormCheck(std::string_view sysPath, const std::string& pathFile,
                   std::shared_ptr<const DataFile::Text> text, VariantArray& RFilePara,
                   SunTimesTable& sunTimes, AuditList& list,
                   std::vector<std::string>* problems) {
  if (RFilePara.Rank() != 1 || RFilePara.LBound(1) > 1 || RFilePara.UBound(1) < 12)
    throw SubscriptError("RFilePara must cover indices 1 to 12");
  RContext c(sysPath, RFilePara, sunTimes, list);
  c.problems = problems;
  try {
    RunSections(c, pathFile, std::move(text));
  } catch (const StopCheck&) {
  }
}

}  // namespace kelvane::rfile
