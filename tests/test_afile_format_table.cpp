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

// Names of the arrays a block feeds, with the records each takes.
std::vector<std::string> Targets(char letter, std::string_view code, size_t block) {
  std::vector<std::string> out;
  const ModeLayout* m = FindMode(Segment(letter), code);
  if (!m || block >= m->blocks.size()) return {"?"};
  for (const BlockTarget& t : m->blocks[block].targets) {
    if (t.array == nullptr) continue;
    const size_t i = AFileArrayIndex(t.array);
    out.push_back(std::string(kAFileArrayTable<>[i].name) + "@" + std::to_string(t.first) +
                  "+" + std::to_string(t.count));
  }
  return out;
}

TEST(AFileFormatTable, BlockTargets) {
  struct {
    char letter;
    const char* code;
    size_t block;
    std::vector<std::string> targets;
  } cases[] = {
      {'P', "D", 0, {"strP@0+0"}},      {'P', "D", 1, {"strP0@0+0"}},
      {'I', "B", 0, {"strI@0+0"}},      {'I', "B", 1, {"strTD@0+0"}},
      {'R', "6", 1, {"strZJRR@0+0"}},   {'R', "6", 2, {"strRconnect@0+0"}},
      {'L', "0", 0, {"strLE@0+0"}},     {'L', "0", 1, {"strLL@0+0"}},  // both named 蒸发量
      {'L', "A", 1, {"strLL@0+0"}},     {'F', "K", 0, {"strFDFF@0+0"}},
      {'F', "K", 1, {"strZJFDFF@0+0"}}, {'F', "K", 2, {"strDYF@0+0"}},
      {'D', "1", 3, {"strD20@0+0"}},  // code 1: surface, 5, 10, 20 and 30 cm
      {'D', "1", 4, {}},              // the 30 cm line has no array
      {'K', "0", 0, {"strK8@0+1", "strK16@1+1", "strK32@2+1"}},
      {'K', "1", 0, {"strK8@1+1", "strK16@2+1", "strK32@3+1"}},  // 40 cm dropped
      {'K', "B", 2, {"strK32@0+0"}},    {'B', "A", 1, {"strGE@0+0"}},
      {'W', "0", 0, {"strw@0+0"}},      {'S', "A", 0, {"strZJSS@0+0"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Targets(c.letter, c.code, c.block), c.targets) << c.letter << c.code << c.block;
}

// Every block of every code: its records per day are its quality-control
// codes (one per value; the older six-record wire icing line keeps nine),
// and every target takes records the block has.
TEST(AFileFormatTable, RecordsPerLineAgreeWithTheQualityControlCodes) {
  for (const SegmentLayout& seg : Segments())
    for (const auto* modes : {&seg.modes, &seg.qcOnlyModes})
      for (const ModeLayout& m : *modes)
        for (const BlockLayout& b : m.blocks) {
          SCOPED_TRACE(std::string(1, seg.letter) + std::string(m.code) + " " +
                       std::string(b.element));
          if (b.kind == BlockKind::CrossMonth || b.kind == BlockKind::Weather) {
            EXPECT_EQ(RecordsPerLine(b, 0), 0);
            continue;
          }
          int n = 0;
          for (int ln = 0; ln < LinesPerDay(b); ++ln) n += RecordsPerLine(b, ln);
          if (b.kind == BlockKind::WireIcing && n == 6)
            EXPECT_EQ(b.qcCodes, 9);
          else
            EXPECT_EQ(n, b.qcCodes);
          for (const BlockTarget& t : b.targets) {
            if (t.array != nullptr) { EXPECT_LE(t.first + t.count, n); }
          }
        }
}

TEST(AFileFormatTable, RecordWidths) {
  const BlockLayout& ub = FindMode(Segment('U'), "B")->blocks[0];
  const BlockLayout& u0 = FindMode(Segment('U'), "0")->blocks[0];
  const BlockLayout& vb = FindMode(Segment('V'), "B")->blocks[0];
  const BlockLayout& sa = FindMode(Segment('S'), "A")->blocks[0];
  struct {
    const BlockLayout& block;
    int record;
    bool instrument;
    int width;
  } cases[] = {
      {ub, 13, false, 2}, {ub, 14, false, 4},  // the time of the minimum humidity
      {u0, 5, false, 2},                       // a daily line has no time
      {vb, 13, false, 3}, {vb, 14, false, 3},  // observed visibility: 3 throughout
      {vb, 13, true, 5},  {vb, 14, true, 4},   // an instrument: metres, then the time
      {sa, 1, false, 2},  {sa, 25, false, 4},  {sa, 27, false, 3}, {sa, 28, false, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RecordWidth(c.block, c.record, c.instrument), c.width)
        << c.block.element << " record " << c.record;
}

}  // namespace
}  // namespace kelvane::afile
