// The host decoder of Y files: known lines written into the sample Y file
// land in the cells the audit reads, in the forms it compares; and the tool
// decodes and checks Y files.
#include "tool_run.h"
#include "yfile_test_support.h"

namespace kelvane::testing {
namespace {

struct DecodedY {
  VariantArray para = VariantArray::Vector(1, 16);
  YFileArrays a;
  std::vector<YRow> findings;
};

DecodedY Decode(const std::vector<std::string>& lines) {
  ScratchDir dir("kelvane_yfile_decoder");
  const std::string path = WriteLines(dir, "Y54511-2012.TXT", lines);
  DecodedY d;
  KelvaneY y;
  StringArray list;
  EXPECT_TRUE(y.YfileFormCheck(SampleSystemPath(), path, d.para, list).ok());
  d.findings = RowsOf(list);
  EXPECT_TRUE(DecodeYFile(path, d.para, d.a).ok());
  return d;
}

void Put(std::vector<std::string>& lines, const std::string& element, int line,
         const std::string& text) {
  lines[static_cast<size_t>(LineOfBlock(element, line) - 1)] = text;
}

TEST(YDecoder, CellsOfKnownLines) {
  std::vector<std::string> l = SampleYLines();
  Put(l, "本站气压", 1, "10220 10233 10208 10275 23 10148 07");
  Put(l, "本站气压", 13, "10091 10109 10076 10293 02 21 09803 56 25=");
  Put(l, "连续降水日数", 13, "0005 00177 2011 12 30 2012 01 03=");
  Put(l, "连续无降水日数", 3, "0017 03 04 03 20");
  Put(l, "初终间日期", 1, ".. .. 03 27 ... 10 24");
  Put(l, "初终间日期", 8, "04 29 08 12 106");
  Put(l, "初终间日期", 9, "210=");
  Put(l, "风的统计", 61,
      "009623 0444 022 05 054 03 004165 0202 021 02 044 03 003072 0140 022 02 044 02 001733 0067 "
      "026 01 042 08");
  Put(l, "风的统计", 49, "0012 03");
  Put(l, "风的统计", 65, "0000 00=");
  Put(l, "最多风向", 13, "PSW 12 WSW 11=");
  Put(l, "风平均/最大/极大", 13, "028 165 WNW 11 22 246 PWSW 11 25=");
  const DecodedY d = Decode(l);
  // The edits are well formed; a yearly value that disagrees with its months
  // is the audit's business, not the format check's.
  EXPECT_TRUE(d.findings.empty()) << ::testing::PrintToString(d.findings);
  const StringArray& my = d.a.strMonthYearS;
  const std::vector<std::pair<std::pair<int, int>, std::string>> cells = {
      {{1, 1}, "10220"}, {{1, 5}, "23"}, {{1, 7}, "07"},
      {{13, 1}, "10091"}, {{13, 4}, "10293"}, {{13, 5}, "02/21"}, {{13, 7}, "56/25"},
      {{13, 61}, "0005"}, {{13, 62}, "00177"}, {{13, 63}, "2011/12/30-2012/01/03"},
      {{3, 64}, "0017"}, {{3, 65}, "03/04-03/20"},
      {{13, 109}, "SW"}, {{13, 110}, "12"},
      {{13, 113}, "WNW"}, {{13, 116}, "WSW"}, {{13, 117}, "11/25"},
  };
  for (const auto& [at, want] : cells)
    EXPECT_EQ(my(at.first, at.second), want) << "(" << at.first << ", " << at.second << ")";
  const StringArray& sed = d.a.strElementStartEndDate;
  EXPECT_EQ(sed(1, 1), "-/-");
  EXPECT_EQ(sed(1, 2), "03/27");
  EXPECT_EQ(sed(1, 3), "-");
  EXPECT_EQ(sed(1, 4), "10/24");
  EXPECT_EQ(sed(8, 1), "04/29");
  EXPECT_EQ(sed(8, 2), "08/12");
  EXPECT_EQ(sed(8, 3), "106");
  EXPECT_EQ(sed(9, 1), "210");
  const std::vector<std::string> north = {"009623", "0444", "022", "05", "054", "03"};
  for (int q = 1; q <= 6; ++q) EXPECT_EQ(d.a.strYearWDF(1, q), north[static_cast<size_t>(q - 1)]);
  EXPECT_EQ(d.a.strYearWDF(4, 6), "08");
  EXPECT_EQ(d.a.strYearWDF(17, 2), "0000");
  EXPECT_EQ(d.a.strYearWDF(17, 4), "00");
  EXPECT_EQ(d.a.strYearWDF(17, 1), "");
  EXPECT_EQ(d.a.strMonthWDF(17, 2), "0012");  // January calm count
  EXPECT_EQ(d.a.strMonthWDF(17, 4), "03");
}

TEST(YDecoder, TheTool) {
  ScratchDir dir("kelvane_yfile_tool");
  const std::string path = WriteLines(dir, "Y54511-2012.TXT", SampleYLines());
  const std::string sys = "--sys '" + SampleSystemPath() + "' ";
  ToolRun r = RunTool("decode " + sys + "'" + path + "'");
  EXPECT_EQ(r.status, 0);
  for (const char* key : {"\"YFilePara\"", "\"strMonthYearS\"", "\"strTimesSegmantMaxR\"",
                          "\"strElementStartEndDate\"", "\"strMonthWDF\"", "\"strYearWDF\"",
                          "\"YFileFM\"", "\"YFileGK\"", "\"YFileBZ\"", "\"YFileYQ\""})
    EXPECT_NE(r.out.find(key), std::string::npos) << key;
  r = RunTool("check " + sys + "'" + path + "'");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("no findings"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace kelvane::testing
