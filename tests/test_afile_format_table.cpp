// The segment table against the layouts the A-file format documents:
// quality-control code counts per block and the blocks of a few codes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "afile/segment_table.h"

namespace kelvane::afile {
namespace {

const SegmentLayout& Segment(char letter) {
  for (const SegmentLayout& s : Segments())
    if (s.letter == letter) return s;
  throw std::logic_error("no segment");
}

std::vector<int> QcCounts(char letter, std::string_view code) {
  std::vector<int> out;
  const ModeLayout* m = FindMode(Segment(letter), code, /*qcOnly=*/true);
  if (!m) return {-1};
  for (const BlockLayout& b : m->blocks)
    if (b.qcCodes > 0) out.push_back(b.qcCodes);
  return out;
}

TEST(AFileFormatTable, QualityControlCountsPerBlock) {
  struct {
    char letter;
    const char* code;
    std::vector<int> counts;
  } cases[] = {
      {'P', "3", {6, 4}},   {'P', "4", {4, 4}},      {'P', "6", {5, 3}},
      {'P', "8", {3, 3}},   {'P', "B", {26, 4}},     {'P', "C", {28, 4}},
      {'P', "D", {28, 24}}, {'P', "A", {26}},        {'T', "A", {26}},
      {'U', "A", {25}},     {'U', "B", {26}},        {'V', "A", {24}},
      {'V', "B", {26}},     {'R', "6", {3, 24}},     {'L', "0", {1, 1}},
      {'L', "A", {1, 25}},  {'L', "B", {1, 24}},     {'S', "2", {19}},
      {'S', "A", {27}},     {'K', "B", {24, 24, 24}}, {'B', "A", {28, 1}},
      {'G', "0", {9}},      {'G', "2", {9}},         {'H', "B", {24}},
      {'C', "0", {4}},      {'C', "9", {3}},         {'W', "0", {1}},
      {'F', "K", {24, 24, 4}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(QcCounts(c.letter, c.code), c.counts) << c.letter << c.code;
}

TEST(AFileFormatTable, CodeLookup) {
  EXPECT_EQ(FindMode(Segment('P'), "2"), nullptr);          // quality-control section only
  EXPECT_NE(FindMode(Segment('P'), "2", true), nullptr);
  EXPECT_NE(FindMode(Segment('W'), "7"), nullptr);          // any code brings weather lines
  EXPECT_EQ(FindMode(Segment('W'), "7="), nullptr);
  EXPECT_EQ(FindMode(Segment('N'), "A")->baseStationOnlyMessage,
            "云量方式位不可能为A,无法继续审核");
  EXPECT_TRUE(FindMode(Segment('N'), "0")->baseStationOnlyMessage.empty());
}

}  // namespace
}  // namespace kelvane::afile
