#include "afile/audit/jfile.h"

#include "afile/file_name.h"
#include "common/text.h"

namespace kelvane::afile::audit {

namespace {

constexpr std::string_view kHeaderPattern =
    "[A-W0-9]#### ####[NS] #####[EW] [01][0-9-]#### [01][0-9-]#### ### ### S## "
    "[01][01][01][01][01] #### ##";
constexpr size_t kHeaderLength = 58;

// The hour's text as stored: trailing blanks cut, every "," and "=" removed.
void StoreHour(std::string_view line, std::string& cell) {
  while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
  // Most lines hold neither mark: one copy, no per-character work.
  bool marks = false;
  for (char c : line) marks |= (c == ',') | (c == '=');
  if (!marks) {
    cell.assign(line);
    return;
  }
  cell.clear();
  cell.reserve(line.size());
  for (char c : line)
    if (c != ',' && c != '=') cell.push_back(c);
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

void ReadJSection(LineReader& in, std::string_view letter, StringArray& cells, int days,
                  bool& ok) {
  if (in.Eof()) {
    ok = false;
    return;
  }
  const std::string_view first = in.ReadLine();
  const std::string code = std::string(letter) + "0";
  const std::string none = std::string(letter) + "=";
  if (first == none) return;
  if (first.substr(0, 2) != code) {
    ok = false;
    return;
  }
  if (first != code) return;
  for (int day = 1; day <= days; ++day) {
    for (int hour = 1; hour <= 24; ++hour) {
      if (in.Eof()) {
        ok = false;
        return;
      }
      StoreHour(in.ReadLine(), cells(day, hour));
    }
  }
}

void ReadJFile(const std::string& path, int days, JFileData& out) {
  out.ok = true;
  try {
    out.pressure = StringArray::Matrix(1, 31, 1, 24);
    out.temperature = StringArray::Matrix(1, 31, 1, 24);
    out.humidity = StringArray::Matrix(1, 31, 1, 24);
    if (days < 1 || days > 31) {
      out.ok = false;
      return;
    }
    LineReader in(path);
    const std::string_view header = in.ReadLine();
    if (header.size() != kHeaderLength || !MatchPattern(header, kHeaderPattern)) {
      out.ok = false;
      return;
    }
    ReadJSection(in, "P", out.pressure, days, out.ok);
    if (out.ok) ReadJSection(in, "T", out.temperature, days, out.ok);
    if (out.ok) ReadJSection(in, "U", out.humidity, days, out.ok);
  } catch (...) {
    out.ok = false;
  }
}

}  // namespace kelvane::afile::audit
