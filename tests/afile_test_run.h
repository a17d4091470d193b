// Runs the A-file format check on built files in a temporary folder, with
// the sample system directory, and reads the findings back.
#pragma once

#include <gtest/gtest.h>
#include <iconv.h>

#include <ostream>
#include <string>
#include <vector>

#include "afile_test_builder.h"
#include "kelvane/kelvane.h"
#include "scratch_dir.h"

namespace kelvane::testing {

// One finding as the tests compare it.
struct Row {
  std::string message, element, related, day, time;
  long line = 0;
  std::string level = "错误";
  bool operator==(const Row&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << "{" << r.message << " | " << r.element << " | " << r.related << " | " << r.day
            << " | " << r.time << " | " << r.line << " | " << r.level << "}";
}

struct CheckResult {
  Status status;
  std::vector<Row> rows;
  VariantArray para = VariantArray::Vector(1, 52);
  StringArray cls = StringArray::Vector(1, 20);
  bool usable() const { return para(6).Truth(); }
};

// A folder of its own below the temporary directory, with the sample system
// directory written once per process.
class AFileDir : public ScratchDir {
 public:
  AFileDir() : ScratchDir("kelvane_afile") {}
  static const std::string& SysPath() { return SampleSystemPath(); }
};

// The text in the GB18030 code page.
inline std::string ToGb18030(const std::string& utf8) {
  iconv_t cd = iconv_open("GB18030", "UTF-8");
  std::string out(utf8.size() * 2 + 16, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* o = out.data();
  size_t oLeft = out.size();
  iconv(cd, &in, &inLeft, &o, &oLeft);
  iconv_close(cd);
  out.resize(out.size() - oLeft);
  return out;
}

inline std::string DefaultName(const AFileRecipe& s) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "A%s-%04d%02d.TXT", s.station.c_str(), s.year, s.month);
  return buf;
}

inline CheckResult RunCheck(const std::string& path, const std::string& sysPath) {
  CheckResult r;
  KelvaneA a;
  StringArray list;
  r.status = a.AFileFormCheck(sysPath, path, r.para, r.cls, list);
  if (list.IsAllocated())
    for (long i = 1; i <= list.UBound(2); ++i)
      r.rows.push_back({list(1, i), list(2, i), list(3, i), list(4, i), list(5, i),
                        std::stol(list(6, i).empty() ? "0" : list(6, i)), list(7, i)});
  return r;
}

}  // namespace kelvane::testing
