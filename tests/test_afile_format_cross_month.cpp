// The cross-month precipitation line against the previous month's A file:
// how the previous file is found and what the spell at its month end makes
// of the expected start date and amount.
#include <gtest/gtest.h>

#include "afile_test_run.h"

namespace kelvane::testing {
namespace {

// Daily totals of the previous month: one text per day (third record).
BuiltFile PreviousMonth(int year, int month, const std::vector<std::string>& totals,
                        const std::string& crossMonthLine, const std::string& rCode = "6") {
  AFileRecipe recipe = AutomaticReferenceStation();
  recipe.year = year;
  recipe.month = month;
  recipe.codes['R'] = rCode;
  BuiltFile f = BuildAFile(recipe);
  if (rCode != "6") return f;
  for (int d = 1; d <= f.days; ++d)
    f.At("R.1", d - 1) = "0000 0000 " + totals.at(static_cast<size_t>(d - 1)) +
                         (d == f.days ? "=" : "");
  f.At("R.3") = crossMonthLine;
  return f;
}

std::vector<std::string> Days(int n, const std::string& value) {
  return std::vector<std::string>(static_cast<size_t>(n), value);
}

struct CrossCase {
  const char* name;
  std::function<BuiltFile()> previous;  // nullptr: no previous file
  const char* previousName;
  const char* currentName;
  const char* currentLine;
  const char* expectedDate;  // nullptr: no date finding
  const char* expectedSum;   // nullptr: no amount finding
  int month = 3;
};

BuiltFile DryEndAfterWetSpell() {
  // Dry to day 20, 12.3 mm on days 21 to 24, dry again from day 25.
  std::vector<std::string> t = Days(29, "0000");
  t[20] = t[21] = t[22] = "0030";
  t[23] = "0033";
  t[25] = ",,,,";
  return PreviousMonth(2012, 2, t, "0000 01/02/2012 00000=");
}

BuiltFile WetWholeMonth() {
  return PreviousMonth(2012, 2, Days(29, "0010"), "0000 20/01/2012 00050=");
}

BuiltFile WetEndAfterDryDays() {
  std::vector<std::string> t = Days(29, "0010");
  for (int d = 0; d < 10; ++d) t[static_cast<size_t>(d)] = "0000";
  return PreviousMonth(2012, 2, t, "0000 20/01/2012 00050=");
}

BuiltFile DryWholeMonth() {
  return PreviousMonth(2012, 2, Days(29, "0000"), "0000 15/01/2012 00000=");
}

const CrossCase kCross[] = {
    {"DryEndMatching", DryEndAfterWetSpell, "A59990-201202.TXT", "A59990-201203.TXT",
     "0000 25/02/2012 00000=", nullptr, nullptr},
    {"DryEndDiffering", DryEndAfterWetSpell, "A59990-201202.TXT", "A59990-201203.TXT",
     "0000 24/02/2012 00123=", "25/02/2012", "0"},
    {"WetMonthCarriesEarlierSpell", WetWholeMonth, "A59990-201202.TXT", "A59990-201203.TXT",
     "0000 20/01/2012 00340=", nullptr, nullptr},
    {"WetMonthDiffering", WetWholeMonth, "A59990-201202.TXT", "A59990-201203.TXT",
     "0000 01/02/2012 00290=", "20/01/2012", "340"},
    {"WetEndStartsAfterLastDryDay", WetEndAfterDryDays, "A59990-201202.TXT", "A59990-201203.TXT",
     "0000 20/01/2012 00240=", "11/02/2012", "190"},
    {"DryMonthKeepsEarlierDate", DryWholeMonth, "A59990-201202.TXT", "A59990-201203.TXT",
     "0000 15/01/2012 00000=", nullptr, nullptr},
    {"JanuaryLooksAtDecember",
     [] { return PreviousMonth(2011, 12, Days(31, "0000"), "0000 15/11/2011 00000="); },
     "A59990-201112.TXT", "A59990-201201.TXT", "0000 14/11/2011 00000=", "15/11/2011",
     nullptr, 1},
    {"ModeSuffixKeptInPreviousName", DryWholeMonth, "A59990-201202-1.TXT",
     "A59990-201203-1.TXT", "0000 14/01/2012 00000=", "15/01/2012", nullptr},
    {"PreviousEndingInLowerCase", DryWholeMonth, "A59990-201202.txt", "A59990-201203.TXT",
     "0000 14/01/2012 00000=", "15/01/2012", nullptr},
    {"PreviousEndingInMixedCase", DryWholeMonth, "A59990-201202.tXt", "A59990-201203.TXT",
     "0000 14/01/2012 00000=", "15/01/2012", nullptr},
    {"PreviousNameDiffersBeforeTheEnding", DryWholeMonth, "a59990-201202.TXT",
     "A59990-201203.TXT", "0000 14/01/2012 00999=", nullptr, nullptr},
    {"PreviousWithoutHourlyPrecipitation",
     [] { return PreviousMonth(2012, 2, {}, "", "0"); }, "A59990-201202.TXT",
     "A59990-201203.TXT", "0000 14/01/2012 00999=", nullptr, nullptr},
    {"NoPreviousFile", nullptr, "", "A59990-201203.TXT", "0000 14/01/2012 00999=", nullptr,
     nullptr},
    {"PreviousOfAnotherStation", DryWholeMonth, "A59991-201202.TXT", "A59990-201203.TXT",
     "0000 14/01/2012 00999=", nullptr, nullptr},
};

void PrintTo(const CrossCase& c, std::ostream* os) { *os << c.name; }

class AFileCrossMonth : public ::testing::TestWithParam<CrossCase> {};

TEST_P(AFileCrossMonth, AgainstPreviousMonth) {
  const CrossCase& c = GetParam();
  AFileDir dir;
  if (c.previous) c.previous().Write(dir.Path(c.previousName));
  AFileRecipe recipe = AutomaticReferenceStation();
  recipe.month = c.month;
  BuiltFile f = BuildAFile(recipe);
  f.At("R.3") = c.currentLine;
  const std::string path = dir.Path(c.currentName);
  f.Write(path);
  CheckResult r = RunCheck(path, AFileDir::SysPath());
  ASSERT_TRUE(r.status.ok()) << r.status.description();
  std::vector<Row> expected;
  const long line = f.Line("R.3");
  if (c.expectedDate)
    expected.push_back({std::string("上跨日期与上月A文件(") + c.expectedDate + ")不符",
                        "跨月降水量", "", "", "", line, "可疑"});
  if (c.expectedSum)
    expected.push_back({std::string("上跨降水量与上月A文件(") + c.expectedSum + ")不符",
                        "跨月降水量", "", "", "", line, "可疑"});
  EXPECT_EQ(r.rows, expected);
  EXPECT_TRUE(r.usable());
}

INSTANTIATE_TEST_SUITE_P(AFileFormat, AFileCrossMonth, ::testing::ValuesIn(kCross),
                         [](const ::testing::TestParamInfo<CrossCase>& i) {
                           return i.param.name;
                         });

}  // namespace
}  // namespace kelvane::testing
