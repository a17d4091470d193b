// File name and header line of an A file: station, year and month from the
// name, the 75-character header pattern, the parameter array and the
// comparisons with the name and the station table.
#include <algorithm>
#include <cstdio>

#include "afile/file_name.h"
#include "afile/format/messages.h"
#include "afile/format/sections.h"
#include "common/station_params.h"
#include "common/text.h"

namespace kelvane::afile {

namespace {

constexpr std::string_view kHeaderPattern =
    "[A-Z0-9]#### ####[NS] #####[EW] #[0-9-]#### #[0-9-]#### [0-9/][0-9/][0-9/] "
    "[0-9/][0-9/][0-9/] S[01]# #################### [01] #### ##";

// Metres with one decimal from a text of tenths ("-0123" -> "-12.3").
std::string TenthsToMetres(std::string_view tenths) {
  int64_t v = LeadingInteger(tenths);
  int64_t a = v < 0 ? -v : v;
  std::string s = v < 0 ? "-" : "";
  s += std::to_string(a / 10);
  s += '.';
  s += static_cast<char>('0' + a % 10);
  return s;
}

std::string Elevation(std::string_view flag, std::string_view tenths) {
  std::string m = TenthsToMetres(tenths);
  return flag == "1" ? "(" + m + ")" : m;
}

void SetText(VariantArray& para, long i, std::string_view text) {
  para(i) = Variant(std::string(text));
}

}  // namespace

void CheckFileName(FormContext& cx) {
  VariantArray& p = cx.para;
  p(6) = Variant(true);
  SetText(p, 1, cx.pathFile);
  std::string_view name = AFileName(cx.pathFile);
  SetText(p, 7, MidChars(name, 2, 5));
  std::string_view year = MidChars(name, 8, 4);
  std::string_view month = MidChars(name, 12, 2);
  SetText(p, 2, year);
  SetText(p, 3, month);
  // Day 31 of the month with overflow into the next one: month numbers
  // outside 1..12 roll into the neighbouring years.
  int64_t y = std::clamp<int64_t>(LeadingInteger(year), -100000, 100000);
  int64_t m = std::clamp<int64_t>(LeadingInteger(month), -100000, 100000);
  int64_t total = y * 12 + (m - 1);
  int64_t ny = total >= 0 ? total / 12 : -((-total + 11) / 12);
  int nm = static_cast<int>(total - ny * 12) + 1;
  cx.days = DaysInMonth(static_cast<int>(ny), nm);
  p(4) = Variant(std::to_string(cx.days));
}

void CheckHeader(FormContext& cx) {
  VariantArray& p = cx.para;
  std::string_view h;
  if (!cx.Next(h)) {
    h = {};
    cx.line = 1;
  }
  const bool matches = MatchPattern(h, kHeaderPattern);
  SetText(p, 5, TrimBlanks(h));

  if (!matches) {
    cx.Add(msg::kHeaderPattern, names::kHeader, "", "", names::kParameter);
    p(6) = Variant(false);
    // The data section still runs; it takes the element modes from the raw
    // line when the flag positions are there.
    const size_t len = CharCount(h);
    if (len >= 65) {
      cx.header.flagsKnown = true;
      for (int k = 1; k <= 20; ++k) {
        std::string_view c = CharAt(h, static_cast<size_t>(45 + k));
        cx.header.flag[static_cast<size_t>(k)] = c.size() == 1 ? c[0] : '?';
      }
      cx.header.manualStation = CharAt(h, 43) == "0";
      cx.header.baseStation = CharAt(h, 44) == "1";
      if (len >= 67) cx.header.noQualityControl = CharAt(h, 67) == "0";
    }
  } else {
    // The pattern admits ASCII only, so byte positions are characters.
    auto at = [&](size_t from, size_t count) { return h.substr(from - 1, count); };
    if (LeadingNumber(at(1, 5)) != LeadingNumber(p(7).Text()))
      cx.Add(msg::kHeaderStation, names::kHeader, "", "", names::kParameter);
    SetText(p, 7, at(1, 5));

    SetText(p, 8, std::string(at(7, 2)) + "." + std::string(at(9, 3)));
    SetText(p, 9, std::to_string(LeadingInteger(at(13, 3))) + "." + std::string(at(16, 3)));
    SetText(p, 10, Elevation(at(20, 1), at(21, 5)));
    SetText(p, 11, Elevation(at(27, 1), at(28, 5)));
    SetText(p, 12, TenthsToMetres(at(34, 3)));
    SetText(p, 14, TenthsToMetres(at(38, 3)));
    static constexpr std::string_view kClassWords[] = {"基准站", "基本站", "一般站", "一般站",
                                                       "自动"};
    static constexpr std::string_view kFixTimes[] = {"24", "4", "4", "3"};
    const char classCode = h[43];
    if (classCode >= '1' && classCode <= '5') {
      SetText(p, 15, kClassWords[classCode - '1']);
    } else {
      p(15) = Variant();
    }
    if (classCode >= '1' && classCode <= '4') {
      SetText(p, 16, kFixTimes[classCode - '1']);
    } else {
      p(16) = Variant();
    }
    SetText(p, 17, h[42] == '0' ? "人工" : "自动站");
    auto flag = [&](int pos) { return at(static_cast<size_t>(pos), 1); };
    SetText(p, 20, flag(51));
    SetText(p, 21, flag(52));
    SetText(p, 22, flag(54));
    SetText(p, 23, flag(56));
    SetText(p, 24, flag(46));
    SetText(p, 25, flag(47));
    SetText(p, 26, flag(50));
    SetText(p, 27, flag(60));
    SetText(p, 28, flag(55));
    SetText(p, 29, flag(64));
    SetText(p, 30, flag(57));
    SetText(p, 31, flag(57));
    SetText(p, 32, flag(58));
    SetText(p, 33, flag(58));
    SetText(p, 34, flag(59));
    SetText(p, 35, flag(63));
    for (long i = 36; i <= 41; ++i) SetText(p, i, flag(61));
    for (long i = 42; i <= 44; ++i) SetText(p, i, flag(62));
    SetText(p, 45, flag(55));
    SetText(p, 46, flag(60));
    SetText(p, 47, "9");
    SetText(p, 48, "9");
    SetText(p, 50, "9");
    SetText(p, 49, flag(65));
    SetText(p, 51, flag(67));
    SetText(p, 52, "");

    if (LeadingNumber(at(69, 4)) != LeadingNumber(p(2).Text()))
      cx.Add(msg::kHeaderYear, names::kHeader, "", "", names::kParameter);
    if (LeadingNumber(at(74, 2)) != LeadingNumber(p(3).Text()))
      cx.Add(msg::kHeaderMonth, names::kHeader, "", "", names::kParameter);

    cx.header.flagsKnown = true;
    for (int k = 1; k <= 20; ++k) cx.header.flag[static_cast<size_t>(k)] = h[44 + k];
    cx.header.manualStation = h[42] == '0';
    cx.header.baseStation = classCode == '1';
    cx.header.noQualityControl = h[66] == '0';

    if (p(6).Truth()) CheckAFileAgainstStation(cx.sysPath, p, h, cx.list, cx.problems);
  }

  const std::string station = p(17).Text();
  const char mode = ObservationModeSuffix(cx.pathFile);
  if ((mode == '1' && station != "自动站") || (mode == '0' && station != "人工"))
    cx.Add(msg::kNameMode, names::kHeader, names::kObservationMode, "", "");
}

}  // namespace kelvane::afile
