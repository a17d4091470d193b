// Helpers of the R-file tests: a sample R file as lines, edited and written
// to a scratch folder, then format-checked (and audited) through KelvaneR;
// findings as "Message | Element | RelatedItem | Day | TimeOrItem | Line |
// Level" texts.
#pragma once

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "host/check_file.h"
#include "kelvane/kelvane.h"
#include "sample/sample_rfile.h"
#include "sample/sample_stations.h"
#include "sample/sample_sysdir.h"
#include "scratch_dir.h"

namespace kelvane::testing {

using Lines = std::vector<std::string>;

inline std::string Row(const host::Finding& f) {
  return f.Message + " | " + f.Element + " | " + f.RelatedItem + " | " + f.Day + " | " +
         f.TimeOrItem + " | " + f.Line + " | " + f.Level;
}

inline Lines SampleR(const char* station, int year = 2012, int month = 3) {
  return sample::SampleRFileLines(*sample::FindSampleStation(station), year, month, 20120301u);
}

// 1-based number of the first line equal to text (0 when none).
inline int LineOf(const Lines& lines, const std::string& text, int from = 1) {
  for (size_t i = static_cast<size_t>(from - 1); i < lines.size(); ++i)
    if (lines[i] == text) return static_cast<int>(i) + 1;
  return 0;
}

// Blank-separated group k (1-based) of line n (1-based) replaced.
inline void SetGroup(Lines& lines, int n, int k, const std::string& value) {
  std::string& l = lines[static_cast<size_t>(n - 1)];
  size_t start = 0;
  for (int i = 1; i < k; ++i) start = l.find(' ', start) + 1;
  size_t end = l.find(' ', start);
  if (end == std::string::npos) end = l.size();
  l.replace(start, end - start, value);
}

struct RCheck {
  Status status;
  bool usable = false;
  std::vector<std::string> rows;
};

class RFileFixture {
 public:
  RFileFixture() { sample::WriteSampleSystemDirectory(dir_.dir().string()); }
  std::string Sys() const { return dir_.dir().string() + "/"; }

  std::string Write(const Lines& lines, const std::string& name) const {
    const std::string path = dir_.Path(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (size_t i = 0; i < lines.size(); ++i) out << lines[i] << "\r\n";
    return path;
  }

  // Format check only.
  RCheck Check(const Lines& lines, const std::string& name) const {
    RCheck r;
    KelvaneR k;
    VariantArray para = VariantArray::Vector(1, 12);
    StringArray list;
    r.status = k.RFileFormCheck(Sys(), Write(lines, name), para, list);
    r.usable = para(6).Truth();
    for (const host::Finding& f : host::ReadFindings(list)) r.rows.push_back(Row(f));
    return r;
  }

  // Format check, decoding and audit, as kelvane check does it.
  RCheck CheckAndAudit(const Lines& lines, const std::string& name) const {
    host::CheckOptions o;
    o.sysPath = Sys();
    const host::FileResult fr = host::CheckFile(Write(lines, name), o);
    RCheck r;
    r.status = fr.status;
    r.usable = fr.usable;
    for (const host::Finding& f : fr.findings) r.rows.push_back(Row(f));
    return r;
  }

  const ScratchDir& dir() const { return dir_; }

 private:
  ScratchDir dir_{"kelvane_rfile"};
};

inline std::string Join(const std::vector<std::string>& v) {
  std::string s;
  for (const std::string& x : v) s += x + "\n";
  return s;
}

}  // namespace kelvane::testing
