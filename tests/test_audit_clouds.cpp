// Cloud audits: amounts, forms and their rules, visibility and sunshine
// against the forms, time labels, measured cloud height; and the sample
// station files, which must pass without a finding.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "afile/audit/audits.h"
#include "afile/audit/clouds.h"
#include "afile/audit/toolkit.h"
#include "audit_test_support.h"
#include "host/decoder.h"

namespace kelvane::afile::audit {
namespace {

using kelvane::testing::AuditInputs;
using kelvane::testing::Filled;
using kelvane::testing::Finding;
using kelvane::testing::Findings;

// A station at 39°52'N 116°28'E in March 2012 with sunshine observed. The
// arrays start with no cloud observation (empty), visibility and hourly
// sunshine absent ("-").
class CloudAuditTest : public ::testing::Test, protected AuditInputs {
 protected:
  CloudAuditTest() {
    para(2) = "2012";
    para(3) = "03";
    para(4) = "31";
    para(8) = "39.52N";
    para(9) = "116.28E";
    for (long k = 1; k <= 20; ++k) cls(k) = "0";
    cls(19) = "A";
    Shape(1, 4, 4);
  }

  void Shape(long days, long cloudColumns, long visibilityColumns) {
    nn = Filled(days, cloudColumns, "");
    nl = Filled(days, cloudColumns, "");
    cc = Filled(days, cloudColumns, "");
    v = Filled(days, visibilityColumns, "-");
    zjss = Filled(days, 27, "-");
  }

  std::vector<Finding> Run() {
    list.Clear();
    AuditContext cx = Context();
    AuditClouds(cx, Grid(nn), Grid(nl), Grid(cc), Grid(v), Grid(w), Grid(zjss));
    return Findings(list);
  }

  StringArray nn, nl, cc, v, w, zjss;
};

// One observation (day 1, 14 o'clock of four) and what it yields.
struct Expect {
  const char* message;
  const char* element;
  const char* related;
  const char* level;
};

struct ObservationCase {
  const char* nn;
  const char* nl;
  const char* cc;
  const char* v;   // visibility at 14 o'clock
  const char* z;   // sunshine of the true-solar hour 13-14
  std::vector<Expect> expected;
};

constexpr const char* kE = "错误";
constexpr const char* kS = "可疑";
constexpr const char* kAmounts = "总云量/低云量";

TEST_F(CloudAuditTest, OneObservation) {
  const ObservationCase cases[] = {
      // Amounts are read by their value; "10-" and "-" keep their meaning.
      {"06", "06", "SC", "-", "-", {}},
      {"00", "00", "CIFIL", "-", "-", {}},  // 0 with clouds: no "no total" finding
      {"6.0", "5", "SC", "-", "-",
       {{"记录格式错误", "总云量", "", kE},
        {"总云量小于低云量", "总云量", "低云量", kE},
        {"无总云量,但有云状!", "云状", kAmounts, kE}}},
      {"5", "x", "CIFIL", "-", "-", {{"记录格式错误", "低云量", "", kE}}},
      {"10-", "10", "NS", "-", "-", {{"总云量小于低云量", "总云量", "低云量", kE}}},
      {"10-", "10-", "NS", "-", "-", {{"有NS云,但云量不为10/10!", "云状", kAmounts, kS}}},
      {"3", "5", "SC", "-", "-", {{"总云量小于低云量", "总云量", "低云量", kE}}},
      // Forms format.
      {"5", "0", "FG", "-", "-",
       {{"云状格式有错误FG", "云状", "", kE}, {"有总云量,但无云状!", "云状", kAmounts, kE}}},
      {"5", "5", "T", "-", "-", {}},  // "T," stands inside "SCCAST,"
      {"5", "5", "SC SC CU CU", "-", "-", {{"云状有重复SC", "云状", "", kE}}},
      {"6", "3", "ACCAST ST", "-", "-", {}},  // ST is no repetition of the tail of ACCAST
      {"5", "5", "SC  CU", "-", "-", {{"云状格式有错误", "云状", "", kE}}},
      // Forms against amounts.
      {"5", "0", "", "-", "-", {{"有总云量,但无云状!", "云状", kAmounts, kE}}},
      {"9", "9", "42", "-", "-", {{"有视程障碍现象,总低云量错!", "云状", kAmounts, kE}}},
      {"10", "10", "42", "-", "-", {}},
      {"-", "-", "SC", "-", "-", {{"总低云量缺测,但有云状错!", "云状", kAmounts, kE}}},
      {"-", "-", "-", "-", "-", {}},
      {"10", "10", "SC 42", "-", "-", {{"视程障碍现象不是位于第一!", "云状", kAmounts, kE}}},
      {"10", "10", "42 SC", "-", "-", {}},
      {"5", "", "SC", "-", "-", {{"无低云量,但有低云状!", "云状", kAmounts, kE}}},
      {"5", "3", "CIFIL", "-", "-", {{"有低云量,但无低云状!", "云状", kAmounts, kE}}},
      {"", "", "CIFIL", "-", "-", {{"无总云量,但有云状!", "云状", kAmounts, kE}}},
      {"5", "0", "-", "-", "-", {{"有总云量,但无云状!", "云状", kAmounts, kE}}},
      {"9", "9", "NS", "-", "-", {{"有NS云,但云量不为10/10!", "云状", kAmounts, kS}}},
      {"8", "0", "CSNEBU", "-", "-", {{"有CSNEBU,总云量不为10!", "云状", kAmounts, kS}}},
      {"0", "0", "SCOP", "-", "-", {{"有SCOP云,但云量小于1成!", "云状", kAmounts, kE}}},
      {"0", "0", "ACOP", "-", "-", {{"有ACOP云,但云量小于1成!", "云状", kAmounts, kE}}},
      {"0", "0", "ASOP", "-", "-", {{"有ASOP云,但云量小于1成!", "云状", kAmounts, kE}}},
      {"0", "0", "CSFIL", "-", "-", {{"有CSFIL云,但云量小于1成!", "云状", kAmounts, kE}}},
      {"10", "10", "CU", "-", "-",
       {{"低云量为10,但无可使满布全天的云状!", "云状", kAmounts, kE}}},
      {"10", "10", "SCOP ACTRA", "-", "-", {{"低云量为10,但有中高云!", "云状", kAmounts, kE}}},
      {"10", "0", "ACLENT", "-", "-",
       {{"总云量为10,但无可使满布全天的云状!", "云状", kAmounts, kE}}},
      {"6", "4", "SC CU", "-", "-",
       {{"仅有低云,但总云量与低云量不相等!", "云状", kAmounts, kE}}},
      // Order of forms: upper then low, low then upper, two upper then low.
      {"6", "5", "ACTRA SC", "-", "-", {{"云状顺序排列错!", "云状", kAmounts, kE}}},
      {"8", "2", "ACTRA SC", "-", "-", {}},
      {"8", "2", "SC ACTRA", "-", "-", {{"云状顺序排列错!", "云状", kAmounts, kE}}},
      {"6", "3", "ACTRA ACOP SC CU", "-", "-", {{"云状顺序排列错!", "云状", kAmounts, kE}}},
      {"8", "4", "ACTRA ACOP SC CU", "-", "-", {}},
      // Visibility (tenths of km) against fog and mist.
      {"10", "10", "42", "15", "-",
       {{"云状为雾、雪暴、沙尘暴之一,但能见度>=1.0KM", "云状", "能见度", kE}}},
      {"10", "10", "42", "5", "-", {}},
      {"10", "10", "10", "100", "-",
       {{"云状为轻雾、扬沙之一,但能见度不在1.0-<10.0KM之间", "云状", "能见度", kE}}},
      {"10", "10", "10", "5", "-",
       {{"云状为轻雾、扬沙之一,但能见度不在1.0-<10.0KM之间", "云状", "能见度", kE}}},
      {"10", "10", "10", "50", "-", {}},
      // No visibility observed or a missing one: nothing to compare.
      {"10", "10", "10", "", "-", {}},
      {"10", "10", "10", "///", "-", {}},
      // Sunshine of the hour against the forms.
      {"0", "0", "", "-", "0",
       {{"无云状或云状为高云,但无日照时数", "总云量", "云状/日照时数", kS}}},
      {"3", "0", "CIFIL", "-", "0",
       {{"无云状或云状为高云,但无日照时数", "总云量", "云状/日照时数", kS}}},
      {"3", "3", "SC", "-", "0", {}},
      {"0", "0", "", "-", "3", {}},
      {"10", "10", "NS", "-", "10",
       {{"总云量为10且云状中无高云,日照时数为1.0", "云状", "总云量/日照时数", kS}}},
      {"10", "0", "ACTRA CIFIL", "-", "10", {}},
      {"10-", "0", "ACTRA", "-", "10", {}},
      // Sunshine not recorded by the hour, or missing: no sunshine rule.
      {"0", "0", "", "-", "", {}},
      {"0", "0", "", "-", "-", {}},
      {"0", "0", "", "-", "///", {}},
  };
  for (const ObservationCase& c : cases) {
    SCOPED_TRACE(std::string(c.nn) + " / " + c.nl + " / \"" + c.cc + "\" / V " + c.v + " / Z " +
                 c.z);
    Shape(1, 4, 4);
    nn(1, 3) = c.nn;
    nl(1, 3) = c.nl;
    cc(1, 3) = c.cc;
    v(1, 3) = c.v;
    zjss(1, 14) = c.z;
    std::vector<Finding> expected;
    for (const Expect& e : c.expected)
      expected.push_back({e.message, e.element, e.related, "1", "14", e.level});
    EXPECT_EQ(Run(), expected);
  }
}

TEST_F(CloudAuditTest, PassesComeInOrderAndUncodedAmountsKeepThePreviousOne) {
  Shape(2, 4, 4);
  // Day 1: a form against amounts (third pass); low amount malformed
  // (first pass, low amounts after all total amounts).
  nn(1, 1) = "5";
  nl(1, 1) = "5";
  cc(1, 1) = "CIFIL";
  nn(1, 2) = "5";
  nl(1, 2) = "1.5";  // keeps the low amount 5 of 02 h
  cc(1, 2) = "SC";
  // Day 2: a malformed total amount keeps the amount before it, so the
  // high cloud form still has a total amount.
  nn(2, 1) = "7";
  nl(2, 1) = "0";
  cc(2, 1) = "CIFIL";
  nn(2, 2) = "x7";
  nl(2, 2) = "0";
  cc(2, 2) = "CIFIL FG";
  const std::vector<Finding> expected = {
      {"记录格式错误", "总云量", "", "2", "8", kE},
      {"记录格式错误", "低云量", "", "1", "8", kE},
      {"云状格式有错误FG", "云状", "", "2", "8", kE},
      {"有低云量,但无低云状!", "云状", kAmounts, "1", "2", kE},
  };
  EXPECT_EQ(Run(), expected);
}

TEST_F(CloudAuditTest, VisibilityIsReadAtTheHourOfTheCloudObservation) {
  // Clouds four a day, visibility hourly with its daily minimum: the 02 h
  // observation reads column 6, not column 1 (21 h).
  Shape(1, 4, 26);
  v(1, 1) = "5";
  v(1, 6) = "20";
  v(1, 12) = "5";
  for (long i : {1, 2}) {
    nn(1, i) = "10";
    nl(1, i) = "10";
    cc(1, i) = "42";
  }
  EXPECT_EQ(Run(), (std::vector<Finding>{{"云状为雾、雪暴、沙尘暴之一,但能见度>=1.0KM", "云状",
                                          "能见度", "1", "2", kE}}));

  // Hourly clouds, visibility four a day: 08 h reads the second column; 09 h
  // has no visibility.
  Shape(1, 24, 4);
  v(1, 2) = "20";
  for (long i : {12, 13}) {
    nn(1, i) = "10";
    nl(1, i) = "10";
    cc(1, i) = "42";
  }
  EXPECT_EQ(Run(), (std::vector<Finding>{{"云状为雾、雪暴、沙尘暴之一,但能见度>=1.0KM", "云状",
                                          "能见度", "1", "8", kE}}));
}

TEST_F(CloudAuditTest, SunshineHourFollowsTrueSolarTime) {
  // Hourly clouds: 11 o'clock Beijing time is about 10.6 h true solar time
  // at 116°28'E in mid-March, so the sunshine of the hour 10-11 is read.
  Shape(15, 24, 24);
  nn(15, 15) = "0";
  zjss(15, 11) = "0";
  zjss(15, 12) = "5";
  const std::vector<Finding> clear = {
      {"无云状或云状为高云,但无日照时数", "总云量", "云状/日照时数", "15", "11", kS}};
  EXPECT_EQ(Run(), clear);

  // Early in the morning (06 h, about 5.6 h true solar time) is outside the
  // window that starts an hour and a half after sunrise.
  Shape(15, 24, 24);
  nn(15, 10) = "0";
  zjss(15, 6) = "0";
  EXPECT_EQ(Run(), std::vector<Finding>{});

  // Sunshine not observed, or a station outside the northern and eastern
  // hemispheres: no sunshine rule.
  Shape(15, 24, 24);
  nn(15, 15) = "0";
  zjss(15, 11) = "0";
  cls(19) = "A=";
  EXPECT_EQ(Run(), std::vector<Finding>{});
  cls(19) = "A";
  para(8) = "39.52S";
  EXPECT_EQ(Run(), std::vector<Finding>{});
  para(8) = "39.52N";
  EXPECT_EQ(Run(), clear);

  // Rows past the end of the month are no dates: skipped, not an error.
  para(3) = "02";
  Shape(31, 24, 24);
  nn(30, 15) = "0";
  zjss(30, 11) = "0";
  EXPECT_EQ(Run(), std::vector<Finding>{});
}

TEST(CloudCodes, PositionsGiveTheClasses) {
  struct Case {
    const char* words;
    bool (*inClass)(int);
  };
  const Case cases[] = {
      {"CUHUM FC CUCONG CBCALV CBCAP SCTRA SCOP SCCUG SCCAST SCLENT ST FS NS FN SC CB CU",
       IsLowCloudPosition},
      {"ASTRA ASOP ACTRA ACOP ACLENT ACCUG ACFLO ACCAST AC AS CI CS", IsMiddleOrHighPosition},
      {"CIFIL CIDENS CINOT CIUNC CSFIL CSNEBU CC", IsHighCloudPosition},
      {"42 31 38 39 04 05 06 07 10 -", [](int p) { return p > 182; }},
  };
  for (const Case& c : cases) {
    std::string_view rest = c.words;
    while (!rest.empty()) {
      const size_t blank = rest.find(' ');
      const std::string_view word = rest.substr(0, blank);
      EXPECT_TRUE(c.inClass(CloudCodePosition(word))) << word << " " << CloudCodePosition(word);
      rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    }
  }
  EXPECT_FALSE(IsHighCloudPosition(CloudCodePosition("CI")));  // genus only
  EXPECT_EQ(CloudCodePosition("FG"), 0);
  EXPECT_EQ(CloudCodePosition(""), 0);
  EXPECT_EQ(CloudCodePosition("CUHUM"), 1);
  EXPECT_TRUE(IsLowCloudPosition(CloudCodePosition("T")));  // tail of "SCCAST,"
}

// The lookup table must give what a plain search of the list gives, for
// every piece of the list (codes, their tails and heads, pieces across a
// ",") and for words that are no code.
TEST(CloudCodes, PositionIsThePlainSearchOfTheList) {
  auto search = [](std::string_view w) -> int {
    if (w.empty()) return 0;
    for (size_t at = kCloudCodeList.find(w); at != std::string_view::npos;
         at = kCloudCodeList.find(w, at + 1))
      if (at + w.size() < kCloudCodeList.size() && kCloudCodeList[at + w.size()] == ',')
        return static_cast<int>(at) + 1;
    return 0;
  };
  std::vector<std::string> words = {"FG", "CUHUMX", "cu", "1", "0", "--", "CU,", "CU,ST",
                                    "SC,CB", ",", "ACCASTX", "SCCASTLE"};
  for (size_t at = 0; at < kCloudCodeList.size(); ++at)
    for (size_t n = 1; n <= 8 && at + n <= kCloudCodeList.size(); ++n)
      words.emplace_back(kCloudCodeList.substr(at, n));
  for (const std::string& w : words) EXPECT_EQ(CloudCodePosition(w), search(w)) << w;
}

TEST(CloudCodes, ObservationTimeLabels) {
  EXPECT_EQ(ObsTimeLabel(4, 1), "2");
  EXPECT_EQ(ObsTimeLabel(4, 2), "8");
  EXPECT_EQ(ObsTimeLabel(4, 3), "14");
  EXPECT_EQ(ObsTimeLabel(4, 4), "20");
  EXPECT_EQ(ObsTimeLabel(24, 1), "21");
  EXPECT_EQ(ObsTimeLabel(24, 4), "24");
  EXPECT_EQ(ObsTimeLabel(24, 5), "1");
  EXPECT_EQ(ObsTimeLabel(24, 24), "20");
  EXPECT_EQ(ObsTimeLabel(26, 24), "20");
}

TEST_F(CloudAuditTest, CloudHeightFormat) {
  struct Case {
    const char* value;
    bool bad;
  };
  const Case cases[] = {
      {"SC800", false}, {"CC8000", false}, {"FN300", false}, {"ST0", true},  {"SC", true},
      {"XX800", true},  {"SC8a0", true},   {"sc800", true},  {"SC 800 AC2500", true},
      {"", false},      {"云高800", true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsBadCloudHeight(c.value), c.bad) << c.value;

  StringArray h = Filled(2, 24, "-");
  h(1, 1) = "SC800";
  h(1, 2) = "";
  h(1, 3) = "SC";
  h(2, 24) = "XX800";
  AuditContext cx = Context();
  AuditCloudHeight(cx, Grid(h));
  EXPECT_EQ(Findings(list), (std::vector<Finding>{{"记录格式错误", "实测云高", "", "1", "23", kE},
                                                  {"记录格式错误", "实测云高", "", "2", "20", kE}}));
  list.Clear();
  StringArray h4 = Filled(1, 4, "");
  h4(1, 2) = "CU";
  AuditCloudHeight(cx, Grid(h4));
  EXPECT_EQ(Findings(list),
            (std::vector<Finding>{{"记录格式错误", "实测云高", "", "1", "8", kE}}));
}

// ---------------------------------------------------------------- sample files

TEST(CloudAuditSample, SampleStationFilesPass) {
  const kelvane::testing::SampleStationDir samples;
  ASSERT_EQ(samples.files().size(), 6u);
  for (const std::string& path : samples.files()) {
    SCOPED_TRACE(path);
    AuditInputs in;
    host::DecodedAFile d;
    ASSERT_TRUE(kelvane::testing::DecodeSample(samples.SysPath(), path, in, d));
    AuditContext cx = in.Context(d);
    // The files carry clouds with forms, so the audit has something to read.
    ASSERT_TRUE(cx.Present(8));
    long withForms = 0;
    for (long day = 1; day <= d.strCC.UBound(1); ++day)
      for (long i = 1; i <= d.strCC.UBound(2); ++i) withForms += !d.strCC(day, i).empty();
    EXPECT_GT(withForms, 0);
    AuditClouds(cx, Grid(d.strNN), Grid(d.strNL), Grid(d.strCC), Grid(d.strV), Grid(d.strw),
                  Grid(d.strZJSS));
    if (cx.Present(7)) AuditCloudHeight(cx, Grid(d.strH));
    EXPECT_EQ(Findings(in.list), std::vector<Finding>{});
  }
}

}  // namespace
}  // namespace kelvane::afile::audit
