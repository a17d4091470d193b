// Result list: hand-back of format checks, level-grouping merge of audits,
// and the entry/exit behaviour of the public methods.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/audit_list.h"
#include "kelvane/kelvane.h"

namespace kelvane {
namespace {

using Rows = std::vector<std::vector<std::string>>;  // {message, level}

StringArray MakeList(const Rows& rows) {
  StringArray a = StringArray::Matrix(1, 7, 0, static_cast<long>(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r) {
    a(1, static_cast<long>(r + 1)) = rows[r][0];
    a(7, static_cast<long>(r + 1)) = rows[r][1];
  }
  return a;
}

Rows ReadList(const StringArray& a) {
  Rows out;
  for (long r = 1; r <= a.UBound(2); ++r) out.push_back({a(1, r), a(7, r)});
  return out;
}

TEST(AuditListTest, HandBackCopiesRowsInOrderWithEmptyRowZero) {
  AuditList l;
  l.Add("a", "E1", "R", "1", "02", "5", "错误");
  l.Add("b", "E2", "", "", "", "6", "错误");
  l.Add("c", "E3", "", "", "", "7", "错误");
  StringArray caller = MakeList({{"old", "错误"}});
  l.HandBack(caller);
  ASSERT_EQ(caller.Rank(), 2);
  EXPECT_EQ(caller.LBound(1), 1);
  EXPECT_EQ(caller.UBound(1), 7);
  EXPECT_EQ(caller.LBound(2), 0);
  EXPECT_EQ(caller.UBound(2), 3);
  for (long c = 1; c <= 7; ++c) EXPECT_EQ(caller(c, 0), "");
  EXPECT_EQ(caller(1, 1), "a");
  EXPECT_EQ(caller(2, 1), "E1");
  EXPECT_EQ(caller(3, 1), "R");
  EXPECT_EQ(caller(4, 1), "1");
  EXPECT_EQ(caller(5, 1), "02");
  EXPECT_EQ(caller(6, 1), "5");
  EXPECT_EQ(caller(1, 3), "c");
}

TEST(AuditListTest, HandBackOfNothingLeavesCallerUnchanged) {
  AuditList l;
  StringArray caller = MakeList({{"kept", "错误"}});
  l.HandBack(caller);
  EXPECT_EQ(ReadList(caller), (Rows{{"kept", "错误"}}));
}

struct MergeCase {
  const char* name;
  Rows caller;
  Rows audit;
  Rows expected;
};

class MergeTest : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeTest, GroupsByLevelStably) {
  const MergeCase& c = GetParam();
  AuditList l;
  for (const auto& r : c.audit) l.Add(r[0], "", "", "", "", "", r[1]);
  StringArray caller = MakeList(c.caller);
  l.MergeInto(caller);
  EXPECT_EQ(caller.LBound(2), 0);
  for (long col = 1; col <= 7; ++col) EXPECT_EQ(caller(col, 0), "");
  EXPECT_EQ(ReadList(caller), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeTest,
    ::testing::Values(
        MergeCase{"FormatErrorsFirstThenAuditErrorsThenSuspicious",
                  {{"f1", "错误"}, {"f2", "错误"}},
                  {{"a-susp", "可疑"}, {"a-err", "错误"}},
                  {{"f1", "错误"}, {"f2", "错误"}, {"a-err", "错误"}, {"a-susp", "可疑"}}},
        MergeCase{"NoticeGoesToRowOne",
                  {{"f1", "错误"}},
                  {{"无适合本站的审核规则库,不能进行数据审核", ""}},
                  {{"无适合本站的审核规则库,不能进行数据审核", ""}, {"f1", "错误"}}},
        MergeCase{"EmptyCallerListGetsOnlyAuditRowsGrouped",
                  {},
                  {{"s1", "可疑"}, {"e1", "错误"}, {"s2", "可疑"}, {"e2", "错误"}},
                  {{"e1", "错误"}, {"e2", "错误"}, {"s1", "可疑"}, {"s2", "可疑"}}},
        MergeCase{"NothingFoundKeepsCallerRows",
                  {{"f1", "错误"}, {"s", "可疑"}},
                  {},
                  {{"f1", "错误"}, {"s", "可疑"}}},
        MergeCase{"CallerSuspiciousRowsAlsoRegrouped",
                  {{"fs", "可疑"}, {"fe", "错误"}},
                  {{"ae", "错误"}},
                  {{"fe", "错误"}, {"ae", "错误"}, {"fs", "可疑"}}},
        // A host may hand in rows with a level of its own: they are kept,
        // after the suspicious group, never duplicated.
        MergeCase{"ForeignLevelKeptAtEnd",
                  {{"x", "提示"}, {"fe", "错误"}},
                  {{"as", "可疑"}},
                  {{"fe", "错误"}, {"as", "可疑"}, {"x", "提示"}}}),
    [](const auto& info) { return std::string(info.param.name); });

// A limit keeps the first rows and ends the list with one row that counts
// the others, after a hand-back and after a merge (last, whatever its level
// group); Clear starts the count again and keeps the limit.
TEST(AuditListTest, LimitKeepsTheFirstRowsAndCountsTheRest) {
  struct Case {
    size_t limit;
    int added;
    Rows handedBack;
  };
  const std::string leftOut2 = "另有2条结果未列出(已达结果条数上限)";
  const std::vector<Case> cases = {
      {0, 5, {{"m1", "错误"}, {"m2", "可疑"}, {"m3", "错误"}, {"m4", "可疑"}, {"m5", "错误"}}},
      {5, 5, {{"m1", "错误"}, {"m2", "可疑"}, {"m3", "错误"}, {"m4", "可疑"}, {"m5", "错误"}}},
      {3, 5, {{"m1", "错误"}, {"m2", "可疑"}, {"m3", "错误"}, {leftOut2, ""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.limit);
    AuditList list;
    list.SetLimit(c.limit);
    for (int i = 1; i <= c.added; ++i)
      list.Add("m" + std::to_string(i), "", "", "", "", "", i % 2 ? "错误" : "可疑");
    StringArray back;
    list.HandBack(back);
    EXPECT_EQ(ReadList(back), c.handedBack);
  }
  AuditList list;
  list.SetLimit(3);
  for (int i = 1; i <= 5; ++i)
    list.Add("m" + std::to_string(i), "", "", "", "", "", i % 2 ? "错误" : "可疑");
  StringArray caller = MakeList({{"c1", "可疑"}});
  list.MergeInto(caller);
  EXPECT_EQ(ReadList(caller),
            (Rows{{"m1", "错误"}, {"m3", "错误"}, {"c1", "可疑"}, {"m2", "可疑"}, {leftOut2, ""}}));
  list.Clear();
  EXPECT_EQ(list.Dropped(), 0u);
  for (int i = 1; i <= 4; ++i) list.Add("n", "", "", "", "", "", "错误");
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Dropped(), 1u);
}

TEST(AuditListTest, MergeIntoUnallocatedListActsAsEmpty) {
  AuditList l;
  l.Add("s", "", "", "", "", "", "可疑");
  l.Add("e", "", "", "", "", "", "错误");
  StringArray caller;
  l.MergeInto(caller);
  EXPECT_EQ(ReadList(caller), (Rows{{"e", "错误"}, {"s", "可疑"}}));
}

TEST(AuditListTest, MergeRejectsMisshapenListAndLeavesItAlone) {
  AuditList l;
  l.Add("s", "", "", "", "", "", "可疑");
  StringArray oneDim = StringArray::Vector(1, 3);
  oneDim(1) = "x";
  EXPECT_THROW(l.MergeInto(oneDim), SubscriptError);
  EXPECT_EQ(oneDim(1), "x");
  StringArray fiveCols = StringArray::Matrix(1, 5, 0, 1);
  EXPECT_THROW(l.MergeInto(fiveCols), SubscriptError);
  StringArray rowsFromOne = StringArray::Matrix(1, 7, 1, 2);
  EXPECT_THROW(l.MergeInto(rowsFromOne), SubscriptError);
}

// Entry and exit steps through the public classes.

TEST(PublicMethodsTest, RAndYFormChecksCutCallerListToRowZero) {
  KelvaneR r;
  KelvaneY y;
  VariantArray para = VariantArray::Vector(1, 16);
  StringArray list = MakeList({{"old", "错误"}});
  (void)r.RFileFormCheck("/nonexistent/", "/nonexistent/R54511-201203.TXT", para, list);
  EXPECT_EQ(list.UBound(2), 0);
  list = MakeList({{"old", "错误"}});
  (void)y.YfileFormCheck("/nonexistent/", "/nonexistent/Y54511-2012.TXT", para, list);
  EXPECT_EQ(list.UBound(2), 0);
}

TEST(PublicMethodsTest, AuditWithMisshapenListFailsWithSubscriptError) {
  KelvaneY y;
  VariantArray para = VariantArray::Vector(1, 16);
  StringArray e;
  StringArray bad = StringArray::Vector(0, 3);
  Status s = y.YfileAuditing("/x/", para, e, e, e, e, e, e, e, e, e, bad);
  EXPECT_FALSE(s.ok());
  EXPECT_EQ(s.number(), kErrSubscript);
  EXPECT_EQ(bad.Rank(), 1);
}

TEST(PublicMethodsTest, LiveObjectCountFollowsInstances) {
  long before = LiveObjectCount();
  {
    KelvaneA a;
    KelvaneR r;
    EXPECT_EQ(LiveObjectCount(), before + 2);
  }
  EXPECT_EQ(LiveObjectCount(), before);
}

}  // namespace
}  // namespace kelvane
