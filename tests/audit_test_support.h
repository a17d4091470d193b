// What the A-file audit tests share: the inputs an audit reads besides its
// element arrays, findings as the tests compare them, filled element
// arrays, and the sample station files decoded as a host decodes them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "afile/audit/toolkit.h"
#include "host/decoder.h"
#include "sample/sample_afile.h"
#include "kelvane/kelvane.h"
#include "scratch_dir.h"

namespace kelvane::testing {

using afile::audit::AuditContext;

// The call's parameters, rules, station settings, minute data and the list
// the findings go to; the rules start from their defaults.
struct AuditInputs {
  AuditInputs() { rules.Reset(); }

  AuditContext Context(bool mountain = false) {
    return {para, cls, rules, sysLib, wind, jfile, mountain, list};
  }
  // The context a host builds for a decoded file: its station settings and
  // manual wind directions.
  AuditContext Context(const host::DecodedAFile& d) {
    return {para, cls, rules, d.SysLib, d.strManualWindV, jfile, false, list};
  }

  VariantArray para = VariantArray::Vector(1, 52);
  StringArray cls = StringArray::Vector(1, 20);
  VariantArray sysLib;
  std::string wind;
  afile::audit::JFileData jfile;
  afile::audit::AuditRules rules;
  AuditList list;
};

// One audit finding: every column but the line, which audits leave empty.
struct Finding {
  std::string message, element, related, day, time, level;
  bool operator==(const Finding&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Finding& f) {
  return os << "{" << f.message << " | " << f.element << " | " << f.related << " | " << f.day
            << " | " << f.time << " | " << f.level << "}";
}

inline std::vector<Finding> Findings(const AuditList& list) {
  std::vector<Finding> out;
  for (const AuditList::Row& r : list.rows()) {
    EXPECT_EQ(r[5], "");  // audit findings carry no line
    out.push_back({r[0], r[1], r[2], r[3], r[4], r[6]});
  }
  return out;
}

// days × columns cells, all holding `text`.
inline StringArray Filled(long days, long columns, const std::string& text) {
  StringArray a = StringArray::Matrix(1, days, 1, columns);
  for (long d = 1; d <= days; ++d)
    for (long c = 1; c <= columns; ++c) a(d, c) = text;
  return a;
}

// Minute data from hour lines: texts(day, column) scanned as the reader of
// the minute data file scans its lines (days past 31 are left out).
inline afile::audit::MinuteHours ScanHours(
    const StringArray& texts,
    afile::audit::MinuteValues reading = afile::audit::MinuteValues::AsWritten) {
  afile::audit::MinuteHours hours;
  hours.Reset();
  const long days = std::min(texts.UBound(1), long{afile::audit::MinuteHours::kDays});
  for (long d = 1; d <= days; ++d)
    for (long c = 1; c <= afile::audit::MinuteHours::kHours; ++c)
      if (const std::string* t = texts.Find(d, c))
        hours.At(d, c) = afile::audit::ScanMinuteHour(*t, reading);
  return hours;
}

// The minutes an hour's extreme occurs at, "02,04", in the order of the
// clock ("00" first).
inline std::string MinutesText(const afile::audit::MinuteExtreme& e) {
  std::string s;
  for (int m = 0; m < 100; ++m) {
    const char mm[2] = {static_cast<char>('0' + m / 10), static_cast<char>('0' + m % 10)};
    if (!e.At(std::string_view(mm, 2))) continue;
    if (!s.empty()) s += ',';
    s.append(mm, 2);
  }
  return s;
}

// The sample system directory and station files in a folder of their own.
class SampleStationDir {
 public:
  SampleStationDir() {
    sample::WriteSampleSystemDirectory(dir_.dir().string());
    files_ = sample::WriteSampleStationFiles(dir_.dir().string());
  }
  std::string SysPath() const { return dir_.dir().string() + "/"; }
  const std::filesystem::path& root() const { return dir_.dir(); }
  const std::vector<std::string>& files() const { return files_; }

 private:
  ScratchDir dir_{"kelvane_audit_samples"};
  std::vector<std::string> files_;
};

// Form-checks a file as a host does first, then decodes it: the parameters
// land in `in`, the element arrays in `d`.
inline ::testing::AssertionResult DecodeSample(const std::string& sys, const std::string& path,
                                               AuditInputs& in, host::DecodedAFile& d) {
  KelvaneA a;
  StringArray formList;
  const Status s = a.AFileFormCheck(sys, path, in.para, in.cls, formList);
  if (!s.ok())
    return ::testing::AssertionFailure() << "format check: " << s.number() << " " << s.description();
  host::DecodeAFile(path, in.para, in.cls, d);
  return ::testing::AssertionSuccess();
}

}  // namespace kelvane::testing
