// The sample Y file of station 54511 as lines, edited by the tests and
// checked with the sample system directory; line numbers of its blocks.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "kelvane/kelvane.h"
#include "sample/sample_stations.h"
#include "sample/sample_yfile.h"
#include "scratch_dir.h"
#include "yfile/layout.h"

namespace kelvane::testing {

struct YRow {
  std::string message, element, related, day, time, line, level = "错误";
  bool operator==(const YRow&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const YRow& r) {
  return os << "{" << r.message << " | " << r.element << " | " << r.related << " | " << r.day
            << " | " << r.time << " | " << r.line << " | " << r.level << "}";
}

inline std::vector<YRow> RowsOf(const StringArray& list) {
  std::vector<YRow> rows;
  if (list.IsAllocated())
    for (long i = 1; i <= list.UBound(2); ++i)
      rows.push_back({list(1, i), list(2, i), list(3, i), list(4, i), list(5, i), list(6, i),
                      list(7, i)});
  return rows;
}

inline const std::vector<std::string>& SampleYLines() {
  static const std::vector<std::string> lines =
      sample::SampleYFileLines(*sample::FindSampleStation("54511"), 2012, 20120301);
  return lines;
}

// 1-based line number of line `offset` (0: the identifier line itself) of
// the block `element`'s identifier, or of the block's first line + offset - 1.
inline int LineOfBlock(std::string_view element, int lineInBlock) {
  int line = 2;
  for (const yfile::IdentifierSpec& id : yfile::Identifiers()) {
    ++line;  // after the identifier line
    for (const yfile::BlockSpec& b : id.blocks) {
      if (b.element == element) return line + lineInBlock - 1;
      using yfile::Special;
      line += b.special == Special::PeriodMaxRain    ? 15
              : b.special == Special::FirstLastDates ? 9
              : b.special == Special::WindStatistics ? 65
                                                     : 13;
    }
  }
  return 0;
}

// Line number of the "??????" line of the sample.
inline int DataEndLine() { return LineOfBlock("草面温度", 14); }

struct YCheck {
  Status status;
  std::vector<YRow> rows;
  VariantArray para = VariantArray::Vector(1, 16);
  bool usable() const { return para(4).Truth(); }
};

inline std::string WriteLines(const ScratchDir& dir, const std::string& name,
                              const std::vector<std::string>& lines) {
  const std::string path = dir.Path(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const std::string& l : lines) out << l << "\r\n";
  return path;
}

inline YCheck RunYCheck(const std::vector<std::string>& lines,
                        const std::string& name = "Y54511-2012.TXT") {
  ScratchDir dir("kelvane_yfile");
  YCheck r;
  KelvaneY y;
  StringArray list;
  r.status = y.YfileFormCheck(SampleSystemPath(), WriteLines(dir, name, lines), r.para, list);
  r.rows = RowsOf(list);
  return r;
}

}  // namespace kelvane::testing
