// Sample R files: every class, every month of a leap and a common year and
// other seeds pass the format check and the audit without a finding; and
// the files keep the layout the audit's cross-element rules rely on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/check_file.h"
#include "kelvane/kelvane.h"
#include "sample/sample_rfile.h"
#include "sample/sample_stations.h"
#include "sample/sample_sysdir.h"
#include "scratch_dir.h"

namespace kelvane {
namespace {

using sample::SampleStation;

std::string Describe(const host::FileResult& r) {
  std::string s = r.status.ok() ? "" : "status " + r.status.description() + "\n";
  for (const host::Finding& f : r.findings)
    s += f.Message + " | " + f.Element + " | " + f.RelatedItem + " | " + f.Day + " | " +
         f.TimeOrItem + " | " + f.Line + " | " + f.Level + "\n";
  return s;
}

class SampleRFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new testing::ScratchDir("kelvane_sample_rfile");
    sample::WriteSampleSystemDirectory(dir_->dir().string());
  }
  static void TearDownTestSuite() { delete dir_; }
  static std::string Sys() { return dir_->dir().string() + "/"; }
  static testing::ScratchDir* dir_;
};

testing::ScratchDir* SampleRFile::dir_ = nullptr;

TEST_F(SampleRFile, ThreeClassesOverYearsAndSeedsGiveNoFinding) {
  struct Run {
    int year;
    uint32_t seed;
  };
  host::CheckOptions options;
  options.sysPath = Sys();
  host::Checker checker(options);
  int stations = 0;
  for (const SampleStation& s : sample::SampleStations()) {
    if (sample::RadiationClassCode(s) == '0') continue;
    ++stations;
    for (const Run run : {Run{2012, 20120301u}, Run{2013, 7u}, Run{2011, 99u}})
      for (int month = 1; month <= 12; ++month) {
        const std::string path = sample::WriteSampleRFile(
            s, run.year, month, run.seed, (dir_->dir() / "data").string());
        SCOPED_TRACE(path);
        const host::FileResult r = checker.Check(path);
        ASSERT_TRUE(r.checked);
        EXPECT_TRUE(r.usable);
        EXPECT_EQ(Describe(r), "");
      }
  }
  EXPECT_EQ(stations, 3);
}

TEST_F(SampleRFile, LayoutOfEachClass) {
  struct Expect {
    const char* station;
    std::vector<std::string> identifiers;  // the segment lines, in order
    size_t coverLines;
  };
  const Expect expect[] = {
      {"54399", {"Z", "Q", "N", "D", "S", "R", "??????", "******", "FM"}, 14},
      {"54511", {"Z", "Q", "N", "??????", "QZ", "QQ", "QN", "******", "FM"}, 14},
      {"53772", {"Q", "??????", "******", "FM"}, 13},
  };
  for (const Expect& e : expect) {
    SCOPED_TRACE(e.station);
    const SampleStation* s = sample::FindSampleStation(e.station);
    ASSERT_NE(s, nullptr);
    const std::vector<std::string> lines = sample::SampleRFileLines(*s, 2012, 2, 1);
    ASSERT_GT(lines.size(), 40u);
    EXPECT_EQ(lines[0].size(), 38u);
    std::vector<std::string> ids;
    size_t fm = 0;
    for (size_t i = 1; i < lines.size() && !fm; ++i) {
      const std::string& l = lines[i];
      if (l.size() <= 2 && l != "=" && l.back() != '=') ids.push_back(l);
      if (l == "??????" || l == "******") ids.push_back(l);
      if (l == "FM") fm = i;
    }
    EXPECT_EQ(ids, e.identifiers);
    ASSERT_GT(fm, 0u);
    EXPECT_EQ(lines[fm + e.coverLines + 1], "YX");
  }
}

}  // namespace
}  // namespace kelvane
