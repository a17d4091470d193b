// The appendix blocks after the control section: cover, summary, climate
// outline and remarks, then the file end marker.
#include "afile/format/messages.h"
#include "afile/format/sections.h"
#include "common/text.h"

namespace kelvane::afile {

namespace {

// Reads the next line of a block; the end of the file inside a block ends
// the check.
std::string_view NextInBlock(FormContext& cx, std::string_view element,
                             std::string_view timeOrItem = "") {
  std::string_view line;
  if (!cx.Next(line)) cx.Fatal(kMsgDataFileFormatFatal, element, "", timeOrItem);
  return line;
}

void ExpectIndicator(FormContext& cx, std::string_view indicator, std::string_view element) {
  if (NextInBlock(cx, element, names::kIndicator) != indicator)
    cx.Fatal(kMsgDataFileFormatFatal, element, "", names::kIndicator);
}

bool LengthWithin(std::string_view s, size_t most) { return CharCount(s) <= most; }

bool IsTwoDigitDay(std::string_view s, int days) {
  if (s.size() != 2 || s[0] < '0' || s[0] > '9' || s[1] < '0' || s[1] > '9') return false;
  const int d = (s[0] - '0') * 10 + (s[1] - '0');
  return d >= 1 && d <= days;
}

std::string_view WithoutEndMark(std::string_view line) {
  if (EndsWith(line, '=')) line.remove_suffix(1);
  return line;
}

// Item n (1-based) of a line between "/" separators, blanks kept as written.
std::string_view SlashItem(std::string_view body, int n) {
  return GetFieldView(body, "/", n, FieldBlanks::Keep);
}

void CheckCover(FormContext& cx) {
  const std::string_view element = names::kCover;
  ExpectIndicator(cx, "YF", element);
  static constexpr std::string_view kRoles[] = {"台站长", "输入", "校对", "预审", "审核", "传输"};
  for (int i = 1; i <= 12; ++i) {
    const std::string_view line = NextInBlock(cx, element, names::kIndicator);
    switch (i) {
      case 1:
        if (!MatchPattern(line, "#####")) cx.Add(msg::kCoverArchive, element, "", "", "");
        break;
      case 2:
        if (line.empty() || !LengthWithin(line, 10))
          cx.Add(msg::kCoverProvince, element, "", "", "");
        break;
      case 3:
        if (line.empty() || !LengthWithin(line, 18))
          cx.Add(msg::kCoverStation, element, "", "", "");
        break;
      case 4:
        if (line.empty() || !LengthWithin(line, 21))
          cx.Add(msg::kCoverAddress, element, "", "", "");
        break;
      case 5:
        if (!LengthWithin(line, 10)) cx.Add(msg::kCoverEnvironment, element, "", "", "");
        break;
      case 12:
        if (!EndsWith(line, '=') || !MatchPattern(WithoutEndMark(line), "####/##/##"))
          cx.Add(msg::kCoverDate, element, "", "", "");
        break;
      default:
        if (line.empty() || !LengthWithin(line, 8))
          cx.Add(msg::kCoverName, element, "", kRoles[i - 6], "");
        break;
    }
  }
}

void CheckSummary(FormContext& cx) {
  const std::string_view element = names::kSummary;
  ExpectIndicator(cx, "JY", element);
  for (;;) {
    const std::string_view line = NextInBlock(cx, element);
    if (line == "8888=") return;
    const std::string_view body = WithoutEndMark(line);
    if (CountSeparators(line, "/") != 2) {
      cx.Add(msg::kSummaryForm, element, "", "", "");
    } else {
      if (!MatchPattern(SlashItem(body, 1), "[0][123456789]"))
        cx.Add(msg::kSummaryCode, element, "", "", "");
      if (!IsValidDayOrRange(SlashItem(body, 2), cx.days))
        cx.Add(msg::kSummaryDate, element, "", "", "");
      if (TrimBlanks(SlashItem(body, 3)).empty())
        cx.Add(msg::kSummaryEmpty, element, "", "", "");
    }
    if (EndsWith(line, '=')) return;
  }
}

void CheckOutline(FormContext& cx) {
  const std::string_view element = names::kOutline;
  ExpectIndicator(cx, "GK", element);
  bool has01 = false, has05 = false;
  for (;;) {
    const std::string_view line = NextInBlock(cx, element);
    const std::string_view body = WithoutEndMark(line);
    if (CountSeparators(line, "/") != 1) {
      cx.Add(msg::kOutlineForm, element, "", "", "");
    } else {
      const std::string_view code = SlashItem(body, 1);
      if (!MatchPattern(code, "[0][12345]")) cx.Add(msg::kOutlineCode, element, "", "", "");
      has01 = has01 || code == "01";
      has05 = has05 || code == "05";
      if (TrimBlanks(SlashItem(body, 2)).empty())
        cx.Add(msg::kOutlineEmpty, element, "", "", "");
    }
    if (EndsWith(line, '=')) break;
  }
  if (!(has01 && has05)) cx.Add(msg::kOutlineMissing, names::kRemarks, "", "", "");
}

// Whether the number of "/" of a remarks line fits its item code.
bool SlashCountFits(int slashes, std::string_view code) {
  switch (slashes) {
    case 1:
      return code == "11";
    case 2:
      for (std::string_view c : {"00", "01", "02", "03", "04", "07", "09", "10", "12", "77", "BB"})
        if (code == c) return true;
      return false;
    case 5:
      return code == "08";
    case 7:
      return code == "05";
    case 0:
      return false;
    default:
      return true;  // three, four, six or more than seven: any code
  }
}

bool IsRemarkCode(std::string_view code) {
  if (code == "BB" || code == "55" || code == "77") return true;
  return code.size() == 2 && code[0] >= '0' && code[0] <= '9' && code[1] >= '0' &&
         code[1] <= '9' && (code[0] - '0') * 10 + (code[1] - '0') < 13;
}

void CheckRemarks(FormContext& cx) {
  const std::string_view element = names::kRemarks;
  ExpectIndicator(cx, "BZ", element);
  int dutyItems = 0;
  for (;;) {
    const std::string_view line = NextInBlock(cx, element);
    const std::string_view body = WithoutEndMark(line);
    const std::string_view code = SlashItem(body, 1);
    if (!SlashCountFits(CountSeparators(line, "/"), code)) {
      cx.Add(msg::kRemarkForm, element, "", "", "");
      if (EndsWith(line, '=')) break;
      continue;
    }
    const bool duty = code == "10" || code == "11";
    if (duty) ++dutyItems;
    if (!IsRemarkCode(code)) cx.Add(msg::kRemarkCode, element, "", "", "");
    if (code != "00" && !duty && !IsValidDayOrRange(SlashItem(body, 2), cx.days))
      cx.Add(msg::kRemarkDate, element, "", "", "");
    if (TrimBlanks(SlashItem(body, duty ? 2 : 3)).empty())
      cx.Add(msg::kRemarkEmpty, element, "", "", "");
    if (EndsWith(line, '=')) break;
  }
  if (dutyItems != 2 && dutyItems != 3)
    cx.Add(msg::kRemarkDutyMissing, element, "", "", "");
}

void CheckFileEnd(FormContext& cx) {
  std::string_view line;
  if (!cx.Next(line)) cx.Fatal(msg::kFileEndMark, names::kFileEnd, "", "");
  // The marker is read as one item: up to a comma, without surrounding blanks.
  std::string_view item = line.substr(0, line.find(','));
  if (TrimBlanks(item) != "######") cx.Add(msg::kFileEndMark, names::kFileEnd, "", "", "");
  if (!cx.AtEnd()) cx.Add(msg::kFileEndExtra, names::kFileEnd, "", "", "");
}

}  // namespace

bool IsValidDayOrRange(std::string_view text, int days) {
  if (text.size() == 5 && text[2] == '-') {
    const std::string_view a = text.substr(0, 2), b = text.substr(3, 2);
    return IsTwoDigitDay(a, days) && IsTwoDigitDay(b, days) && a <= b;
  }
  return IsTwoDigitDay(text, days);
}

void CheckAppendix(FormContext& cx) {
  CheckCover(cx);
  CheckSummary(cx);
  CheckOutline(cx);
  CheckRemarks(cx);
  CheckFileEnd(cx);
}

}  // namespace kelvane::afile
