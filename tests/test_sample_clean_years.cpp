// A year of sample corpus months of every station type, for several seeds,
// gives no finding at all from the full check: the sample weather, soil,
// sunshine, phenomena and wire icing fit every audit of the A and R files
// through the seasons.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>

#include "host/check_file.h"
#include "sample/sample_corpus.h"
#include "scratch_dir.h"

namespace kelvane::sample {
namespace {

namespace fs = std::filesystem;

// Days of an A file whose wire icing record has a code (rime or glaze).
int IcingDays(const host::FileResult& r) {
  if (!r.aArrays || !r.aArrays->strG.IsAllocated() || r.aArrays->strG.Rank() != 2) return 0;
  const StringArray& g = r.aArrays->strG;
  const long codeColumn = 1;
  if (codeColumn < g.LBound(2) || codeColumn > g.UBound(2)) return 0;
  int days = 0;
  for (long d = g.LBound(1); d <= g.UBound(1); ++d) {
    const std::string& code = g(d, codeColumn);
    if (code == "48" || code == "56" || code == "5648" || code == "4856") ++days;
  }
  return days;
}

struct SeedYear {
  uint32_t seed;
  int months;  // from January 2011
};

TEST(SampleCleanYears, EveryStationTypeAndMonthIsClean) {
  // Four seeds, each a whole year of the six station types (all twelve
  // calendar months under four different weathers).
  const SeedYear cases[] = {{1, 12}, {4, 12}, {7, 12}, {10, 12}};
  constexpr int kStations = 6;
  std::map<std::string, int> tally;  // message | element -> findings
  int icingDays = 0;
  for (const SeedYear& c : cases) {
    SCOPED_TRACE("seed " + std::to_string(c.seed));
    const testing::ScratchDir dir("kelvane_sample_clean_" + std::to_string(c.seed));
    const CorpusFiles files = WriteSampleCorpus(dir.dir().string(), kStations, c.months, c.seed, 2);
    int aFiles = 0;
    host::CheckOptions options;
    options.sysPath = dir.dir().string() + "/";
    options.keepArrays = true;
    host::Checker checker(options);
    for (const std::string& path : files.data) {
      const host::FileResult r = checker.Check(path);
      ASSERT_TRUE(r.status.ok()) << path << ": " << r.status.description();
      ASSERT_TRUE(r.checked) << path;
      if (r.kind == 'A') {
        ++aFiles;
        icingDays += IcingDays(r);
      }
      for (const host::Finding& f : r.findings) {
        ++tally[f.Message + " | " + f.Element];
        ADD_FAILURE() << fs::path(path).filename().string() << " | " << f.Element << " | "
                      << f.RelatedItem << " | day " << f.Day << " | " << f.TimeOrItem << " | "
                      << f.Message;
      }
    }
    EXPECT_EQ(aFiles, kStations * c.months);
  }
  for (const auto& [what, n] : tally) std::cout << n << "  " << what << "\n";
  // The wire icing audit has icing days to judge: rime from freezing fog
  // at the stations that observe icing.
  EXPECT_GT(icingDays, 0);
}

}  // namespace
}  // namespace kelvane::sample
