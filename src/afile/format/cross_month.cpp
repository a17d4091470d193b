// The cross-month precipitation line: its form, and its start date and
// amount against the precipitation of the previous month's A file of the
// same station.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "afile/file_name.h"
#include "afile/format/messages.h"
#include "afile/format/sections.h"
#include "common/error.h"
#include "common/text.h"

namespace kelvane::afile {

namespace {

// "???? ??/??/???? ?????=", written with escapes so that no "??" pair is
// read as a trigraph.
constexpr std::string_view kCrossMonthPattern = "???? ?\?/?\?/???? ????\?=";

// The previous month's A file: same directory, letter, station and
// observation-mode suffix, the previous year and month. When no file has
// exactly that name, a file whose ".TXT" ending differs only in case is
// taken. Empty when there is none.
std::optional<std::string> PreviousMonthFile(const FormContext& cx, std::string_view prevYear,
                                             std::string_view prevMonth) {
  const std::string& path = cx.pathFile;
  const size_t nameLen = AFileNameLength(path);
  const std::string_view name = AFileName(path);
  const std::string_view dir = std::string_view(path).substr(0, path.size() - name.size());
  std::string base(MidChars(name, 1, 7));
  base += prevYear;
  base += prevMonth;
  if (nameLen == 19) base += MidChars(name, 14, 2);

  std::error_code ec;
  std::string exact = std::string(dir) + base + ".TXT";
  if (std::filesystem::is_regular_file(exact, ec)) return exact;

  // The ending in another case: each of its eight spellings is tried by
  // name, so the cost does not grow with the number of files in the folder.
  std::string& candidate = exact;
  const size_t at = candidate.size() - 3;
  for (int mask = 1; mask < 8; ++mask) {
    candidate[at] = (mask & 1) ? 't' : 'T';
    candidate[at + 1] = (mask & 2) ? 'x' : 'X';
    candidate[at + 2] = (mask & 4) ? 't' : 'T';
    if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
  }
  return std::nullopt;
}

// A whole number from a value in tenths of mm, rounded half away from zero
// and kept within a safe range.
int64_t RoundedAmount(std::string_view text) {
  double v = LeadingNumber(text);
  if (!std::isfinite(v)) return 0;
  v = std::fmax(-1e15, std::fmin(1e15, v));
  return static_cast<int64_t>(v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5));
}

bool OnlyOf(std::string_view s, char c) {
  for (char x : s)
    if (x != c) return false;
  return true;
}

}  // namespace

void ParseCrossMonthPrecipitation(FormContext& cx) {
  std::string_view line;
  if (!cx.Next(line)) cx.Fatal(msg::kIllegalEndB, msg::kCrossMonthElement, "", "");
  if (MatchPattern(line, kCrossMonthPattern))
    CheckCrossMonthPrecipitation(cx, line, cx.line);
  else
    cx.Add(msg::kCrossMonthForm, msg::kCrossMonthElement, "", "", "");
}

void CheckCrossMonthPrecipitation(FormContext& cx, std::string_view line, long lineNumber) {
  // Previous month and year.
  const std::string yearText = cx.para(2).Text();
  const int64_t month = LeadingInteger(cx.para(3).Text());
  char buf[32];
  std::string prevYear, prevMonth;
  if (month == 1) {
    std::snprintf(buf, sizeof buf, "%04lld", static_cast<long long>(LeadingInteger(yearText) - 1));
    prevYear = buf;
    prevMonth = "12";
  } else {
    std::snprintf(buf, sizeof buf, "%02lld", static_cast<long long>(month - 1));
    prevYear = yearText;
    prevMonth = buf;
  }

  const std::optional<std::string> prevPath = PreviousMonthFile(cx, prevYear, prevMonth);
  if (!prevPath) return;
  std::optional<LineReader> prev;
  try {
    prev.emplace(*prevPath);
  } catch (const Error&) {
    return;  // unreadable: as if there were no previous file
  }

  // Find the precipitation segment recorded in mode 6.
  for (;;) {
    if (prev->Eof()) return;
    const std::string_view l = prev->ReadLine();
    if (l == "R2" || l == "R0" || l == "R=") return;
    if (l == "R6") break;
  }
  // Daily totals: the running sum of the spell still going at month end.
  int64_t sum = 0;
  int lastDry = 0, lastWet = 0;
  for (int day = 1;; ++day) {
    if (prev->Eof()) return;
    const std::string_view l = prev->ReadLine();
    std::string_view total = GetFieldView(l, " ", 3);
    if (EndsWith(total, '=')) total.remove_suffix(1);
    if (OnlyOf(total, ',') || OnlyOf(total, '0')) {
      sum = 0;
      lastDry = day;
    } else {
      sum += RoundedAmount(total);
      lastWet = day;
    }
    if (EndsWith(l, '=')) break;
  }
  // Skip the hourly block; the line after it is the previous file's own
  // cross-month line.
  for (;;) {
    if (prev->Eof()) return;
    if (EndsWith(prev->ReadLine(), '=')) break;
  }
  if (prev->Eof()) return;
  const std::string_view c = prev->ReadLine();
  const std::string_view cSumText = MidChars(c, 17, 5);
  const std::string_view cDate = MidChars(c, 6, 10);
  const bool cSumNumeric = IsNumericText(cSumText);
  const double cSum = LeadingNumber(cSumText);

  auto dayAfter = [&](int day) {
    std::snprintf(buf, sizeof buf, "%02d/", day + 1);
    return std::string(buf) + prevMonth + "/" + prevYear;
  };
  std::string expectedDate;
  double expectedSum = static_cast<double>(sum);
  if (sum < 1) {
    expectedDate = cSumNumeric && cSum == 0 && lastWet == 0 ? std::string(cDate)
                                                             : dayAfter(lastWet);
  } else if (cSumNumeric && cSum > 0 && lastDry == 0) {
    expectedSum += cSum;
    expectedDate = cDate;
  } else {
    expectedDate = dayAfter(lastDry);
  }

  if (GetFieldView(line, " ", 2) != expectedDate)
    cx.AddOnLine(std::string(msg::kCrossMonthDatePrefix) + expectedDate +
                     std::string(msg::kCrossMonthSuffix),
                 msg::kCrossMonthElement, "", "", "", lineNumber, kLevelSuspicious);
  if (LeadingNumber(GetFieldView(line, " ", 3)) != expectedSum)
    cx.AddOnLine(std::string(msg::kCrossMonthSumPrefix) + FormatNumber(expectedSum) +
                     std::string(msg::kCrossMonthSuffix),
                 msg::kCrossMonthElement, "", "", "", lineNumber, kLevelSuspicious);
}

}  // namespace kelvane::afile
