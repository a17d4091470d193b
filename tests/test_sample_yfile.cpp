// Sample Y files of every sample station, for several seeds and a leap and
// a common year, pass the format check and the audit with no finding, and
// the yearly statistics component recomputes exactly their yearly values.
#include "kelvane/automation.h"
#include "kelvane/year_statistic.h"
#include "yfile_test_support.h"

namespace kelvane::testing {
namespace {

TEST(SampleYFile, CheckAndAuditFindNothing) {
  ASSERT_TRUE(yearstat::RegisterYearStatistic().ok() ||
              automation::Registry::Instance().IsRegistered(yearstat::kProgId));
  ScratchDir dir("kelvane_sample_yfile");
  for (const sample::SampleStation& s : sample::SampleStations()) {
    for (int year : {2012, 2013}) {
      for (uint32_t seed : {1u, 7u, 20120301u, 987654321u}) {
        SCOPED_TRACE(s.StationNum + " " + std::to_string(year) + " seed " + std::to_string(seed));
        const std::vector<std::string> lines = sample::SampleYFileLines(s, year, seed);
        const std::string path = WriteLines(dir, sample::SampleYFileName(s, year), lines);
        KelvaneY y;
        VariantArray para = VariantArray::Vector(1, 16);
        StringArray list;
        ASSERT_TRUE(y.YfileFormCheck(SampleSystemPath(), path, para, list).ok());
        EXPECT_TRUE(RowsOf(list).empty()) << ::testing::PrintToString(RowsOf(list));
        ASSERT_TRUE(para(4).Truth());
        YFileArrays a;
        ASSERT_TRUE(DecodeYFile(path, para, a).ok());
        const YFileArrays before = a;
        ASSERT_TRUE(y.YfileAuditing(SampleSystemPath(), para, a, list).ok());
        EXPECT_TRUE(RowsOf(list).empty()) << ::testing::PrintToString(RowsOf(list));
        // The recomputed values are the file's, cell for cell.
        for (int k = 1; k <= yfile::kYearItems; ++k)
          EXPECT_EQ(a.strMonthYearS(13, k), before.strMonthYearS(13, k)) << "item " << k;
        for (int d = 1; d <= 17; ++d)
          for (int q = 1; q <= 6; ++q)
            EXPECT_EQ(a.strYearWDF(d, q), before.strYearWDF(d, q)) << d << "," << q;
      }
    }
  }
}

}  // namespace
}  // namespace kelvane::testing
