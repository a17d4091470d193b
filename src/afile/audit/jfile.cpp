#include "afile/audit/jfile.h"

#include "afile/file_name.h"
#include "common/text.h"
#include "common/text_file.h"

namespace kelvane::afile::audit {

namespace {

constexpr std::string_view kHeaderPattern =
    "[A-W0-9]#### ####[NS] #####[EW] [01][0-9-]#### [01][0-9-]#### ### ### S## "
    "[01][01][01][01][01] #### ##";
constexpr size_t kHeaderLength = 58;

// One section ("P", "T" or "U"): its code line, then days × 24 data lines
// when the code line is exactly the code, each scanned into its hour. Sets
// ok false on a wrong code line or an early end of the file.
void ReadSection(LineReader& in, char letter, MinuteValues reading, MinuteHours& hours, int days,
                 bool& ok) {
  hours.Reset(reading);
  if (in.Eof()) {
    ok = false;
    return;
  }
  const std::string_view first = in.ReadLine();
  const char code[2] = {letter, '0'};
  const char none[2] = {letter, '='};
  if (first == std::string_view(none, 2)) return;
  if (first.substr(0, 2) != std::string_view(code, 2)) {
    ok = false;
    return;
  }
  if (first.size() != 2) return;
  for (int day = 1; day <= days; ++day) {
    for (int hour = 1; hour <= 24; ++hour) {
      if (in.Eof()) {
        ok = false;
        return;
      }
      hours.SetLine(day, hour, in.ReadLine());
    }
  }
}

}  // namespace

std::string JFilePath(std::string_view aFilePath) {
  // The same name rule as the format check's, so that a year 1xxx (whose
  // name also holds "-1") and the "-0"/"-9" suffixes are told apart right.
  const std::string_view name = AFileName(aFilePath);
  std::string path(aFilePath.substr(0, aFilePath.size() - name.size()));
  path += 'J';
  path += AfterFirstChar(name);
  return path;
}

void ReadJFile(const std::string& path, int days, JFileData& out) {
  out.ok = true;
  try {
    out.pressure.Reset();
    out.temperature.Reset();
    out.humidity.Reset();
    if (days < 1 || days > 31) {
      out.ok = false;
      return;
    }
    out.text = ReadText(path);
    LineReader in(out.text);
    const std::string_view header = in.ReadLine();
    if (header.size() != kHeaderLength || !MatchPattern(header, kHeaderPattern)) {
      out.ok = false;
      return;
    }
    ReadSection(in, 'P', MinuteValues::StationPressure, out.pressure, days, out.ok);
    if (out.ok) ReadSection(in, 'T', MinuteValues::AsWritten, out.temperature, days, out.ok);
    if (out.ok) ReadSection(in, 'U', MinuteValues::AsWritten, out.humidity, days, out.ok);
  } catch (...) {
    out.ok = false;
  }
}

}  // namespace kelvane::afile::audit
