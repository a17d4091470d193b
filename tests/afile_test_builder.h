// Builds well-formed A files for tests from the segment table: a header, the
// twenty segments with the blocks of the chosen mode codes, the data end
// marker, the quality-control section or the control end marker, the
// appendix blocks and the file end. Tests then change single lines to
// inject one fault, finding the lines through the recorded marks.
#pragma once

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "afile/segment_table.h"
#include "common/text.h"

namespace kelvane::testing {

struct AFileRecipe {
  // Header fields.
  std::string station = "53772";
  std::string latitude = "3747N";
  std::string longitude = "11233E";
  std::string field = "007783";   // flag + five digits
  std::string baro = "007791";
  std::string wind = "102";
  std::string platform = "///";
  char stationType = '0';         // '0' manual, '1' automatic
  char classCode = '3';
  std::string flags = "00000090000000009009";
  char qc = '0';
  int year = 2012;
  int month = 3;
  // Mode code of each segment (letter -> code).
  std::map<char, std::string> codes = {
      {'P', "3"}, {'T', "0"}, {'I', "2"}, {'E', "0"}, {'U', "0"}, {'N', "0"}, {'H', "="},
      {'C', "0"}, {'V', "0"}, {'R', "0"}, {'W', "0"}, {'L', "0"}, {'Z', "0"}, {'G', "0"},
      {'F', "E"}, {'D', "0"}, {'K', "="}, {'A', "0"}, {'S', "0"}, {'B', "="}};
};

// The manual ordinary station 53772 of the sample system directory.
inline AFileRecipe ManualStation() { return AFileRecipe{}; }

// An automatic reference station (class 1) with hourly data and the
// quality-control section; its number is not in the station table.
inline AFileRecipe AutomaticReferenceStation() {
  AFileRecipe s;
  s.station = "59990";
  s.stationType = '1';
  s.classCode = '1';
  s.flags = "11111000110100111011";
  s.qc = '1';
  s.codes = {{'P', "D"}, {'T', "B"}, {'I', "B"}, {'E', "A"}, {'U', "B"}, {'N', "A"},
             {'H', "B"}, {'C', "A"}, {'V', "B"}, {'R', "6"}, {'W', "0"}, {'L', "B"},
             {'Z', "0"}, {'G', "2"}, {'F', "K"}, {'D', "B"}, {'K', "B"}, {'A', "0"},
             {'S', "A"}, {'B', "A"}};
  return s;
}

struct BuiltFile {
  std::vector<std::string> lines;
  // Index (0-based) of marked lines: "P" indicator of segment P, "P.1" first
  // line of block 1 of P, "QP" and "QP.1" likewise in the quality-control
  // section, and "??????", "******", "YF", "JY", "GK", "BZ", "######".
  std::map<std::string, size_t> marks;
  int days = 31;

  // Line number (1-based) of a mark plus an offset.
  long Line(const std::string& mark, long offset = 0) const {
    return static_cast<long>(marks.at(mark)) + 1 + offset;
  }
  std::string& At(const std::string& mark, long offset = 0) {
    return lines.at(marks.at(mark) + static_cast<size_t>(offset));
  }
  std::string Text(const char* eol = "\r\n") const {
    std::string t;
    for (const std::string& l : lines) t += l + eol;
    return t;
  }
  void Write(const std::string& path, const char* eol = "\r\n") const {
    std::ofstream(path, std::ios::binary) << Text(eol);
  }
};

inline std::string Header(const AFileRecipe& s) {
  char ym[16];
  std::snprintf(ym, sizeof ym, "%04d %02d", s.year, s.month);
  return s.station + " " + s.latitude + " " + s.longitude + " " + s.field + " " + s.baro + " " +
         s.wind + " " + s.platform + " S" + s.stationType + s.classCode + " " + s.flags + " " +
         s.qc + " " + ym;
}

namespace detail {

inline std::string Records(int n, int width, char fill = '0') {
  std::string l;
  for (int i = 0; i < n; ++i) {
    if (i) l += ' ';
    l += std::string(static_cast<size_t>(width), fill);
  }
  return l;
}

// One line of `count` records of a block, each of its width.
inline std::string RecordsLine(const afile::BlockLayout& b, int count, char visibilityFlag) {
  std::string l;
  for (int i = 1; i <= count; ++i) {
    const int w = afile::RecordWidth(b, i, visibilityFlag == '1');
    if (i > 1) l += ' ';
    l += std::string(static_cast<size_t>(w), '0');
  }
  return l;
}

// One cloud line of `count` observation times, every other one empty.
inline std::string CloudLine(const afile::BlockLayout& b, int count) {
  const std::string item = b.targets[0].array == &AFileArrays::strCC ? "Ci" : "1200";
  std::string l;
  for (int i = 0; i < count; ++i) l += (i % 2 ? "" : item) + std::string(",");
  return l;
}

inline void AddBlock(BuiltFile& f, const afile::BlockLayout& b, const AFileRecipe& s) {
  using afile::BlockKind;
  const int days = f.days;
  switch (b.kind) {
    case BlockKind::CrossMonth: {
      char l[64];
      std::snprintf(l, sizeof l, "0000 01/%02d/%04d 00000=", s.month, s.year);
      f.lines.push_back(l);
      return;
    }
    case BlockKind::Weather:
      for (int d = 1; d <= days; ++d) f.lines.push_back(std::string("60") + (d == days ? "=" : "."));
      return;
    default:
      break;
  }
  // A day's lines: the month ends with "=", a day of several lines with ".".
  const int lines = afile::LinesPerDay(b);
  for (int d = 1; d <= days; ++d)
    for (int ln = 0; ln < lines; ++ln) {
      const int n = afile::RecordsPerLine(b, ln);
      std::string l = b.kind == BlockKind::Cloud ? CloudLine(b, n) : RecordsLine(b, n, s.flags[8]);
      if (ln == lines - 1) l += d == days ? "=" : lines > 1 ? "." : "";
      f.lines.push_back(std::move(l));
    }
}

}  // namespace detail

inline BuiltFile BuildAFile(const AFileRecipe& s) {
  BuiltFile f;
  f.days = DaysInMonth(s.year, s.month);
  f.lines.push_back(Header(s));
  for (const afile::SegmentLayout& seg : afile::Segments()) {
    const std::string letter(1, seg.letter);
    const std::string code = s.codes.at(seg.letter);
    f.marks[letter] = f.lines.size();
    f.lines.push_back(letter + code);
    const afile::ModeLayout* mode = afile::FindMode(seg, code);
    if (!mode) continue;
    int b = 1;
    for (const afile::BlockLayout& block : mode->blocks) {
      f.marks[letter + "." + std::to_string(b++)] = f.lines.size();
      detail::AddBlock(f, block, s);
    }
  }
  f.marks["??????"] = f.lines.size();
  f.lines.push_back("??????");
  if (s.qc != '0') {
    for (const afile::SegmentLayout& seg : afile::Segments()) {
      const std::string q = std::string("Q") + seg.letter;
      const std::string code = s.codes.at(seg.letter);
      f.marks[q] = f.lines.size();
      f.lines.push_back(q + code);
      const afile::ModeLayout* mode = afile::FindMode(seg, code);
      if (!mode) continue;
      int b = 1;
      for (const afile::BlockLayout& block : mode->blocks) {
        if (block.qcCodes == 0) continue;
        f.marks[q + "." + std::to_string(b++)] = f.lines.size();
        for (int d = 1; d <= f.days; ++d)
          f.lines.push_back(detail::Records(block.qcCodes, 3) + (d == f.days ? "=" : ""));
      }
    }
    f.marks["corrections"] = f.lines.size();
    f.lines.push_back("=");
  }
  f.marks["******"] = f.lines.size();
  f.lines.push_back("******");
  f.marks["YF"] = f.lines.size();
  char date[32];
  std::snprintf(date, sizeof date, "%04d/%02d/05=", s.month == 12 ? s.year + 1 : s.year,
                s.month % 12 + 1);
  for (std::string l : {"YF", "12345", "山西省", "示范三站", "山西省某县某镇", "盆地", "张台长",
                        "李输入", "王校对", "赵预审", "钱审核", "孙传输"})
    f.lines.push_back(l);
  f.lines.push_back(date);
  f.marks["JY"] = f.lines.size();
  f.lines.push_back("JY");
  f.lines.push_back("8888=");
  f.marks["GK"] = f.lines.size();
  f.lines.push_back("GK");
  f.lines.push_back("01/本月天气晴好");
  f.lines.push_back("05/气候正常=");
  f.marks["BZ"] = f.lines.size();
  f.lines.push_back("BZ");
  f.lines.push_back("10/02、08、14、20时/定时观测");
  f.lines.push_back("11/全月守班=");
  f.marks["######"] = f.lines.size();
  f.lines.push_back("######");
  return f;
}

}  // namespace kelvane::testing
