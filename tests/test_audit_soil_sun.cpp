// The ground temperature, frozen soil, sunshine, evaporation, snow and
// ground-state audits, every finding checked in all its columns.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <string>
#include <vector>

#include "afile/audit/audits.h"
#include "afile/audit/evaporation.h"
#include "afile/audit/ground_temperature.h"
#include "audit_test_support.h"

namespace kelvane::afile::audit {
namespace {

using kelvane::testing::Filled;
using kelvane::testing::Finding;

// The parameters of a March month at a station of 39.52N 116.28E; the
// rule values each case needs.
class SoilSunAudit : public ::testing::Test, protected kelvane::testing::AuditInputs {
 protected:
  SoilSunAudit() {
    para(2) = Variant("2012");
    para(3) = Variant("03");
    para(4) = Variant("31");
    para(8) = Variant("39.52N");
    para(9) = Variant("116.28E");
    for (long k = 1; k <= 20; ++k) cls(k) = "0";
  }
  std::vector<Finding> Run(const std::function<void(AuditContext&)>& audit) {
    list.Clear();
    AuditContext cx = Context();
    audit(cx);
    return kelvane::testing::Findings(list);
  }
};

using Cells = std::vector<std::tuple<int, int, std::string>>;  // day, column, text

StringArray With(long days, long columns, const std::string& fill, const Cells& cells) {
  StringArray a = Filled(days, columns, fill);
  for (const auto& [d, c, t] : cells) a(d, c) = t;
  return a;
}

constexpr const char* k5 = "5cm地温";
constexpr const char* kE = "错误";
constexpr const char* kS = "可疑";

// ---------------------------------------------------------------------------
// Shallow ground temperatures

// Column 10 (6 h) a tenth of a degree above 5 h every day, and 4.0 °C above
// it on day 7.
Cells RisingHour() {
  Cells c;
  for (int d = 1; d <= 28; ++d) c.push_back({d, 10, d == 7 ? "140" : "110"});
  return c;
}

struct ShallowCase {
  const char* name;
  const char* element;
  int base;
  int columns;
  Cells cells;  // on `days` days of "100"
  std::vector<Finding> findings;
  int days = 3;
};

TEST_F(SoilSunAudit, ShallowGroundTemperature) {
  rules.Set(27, "200"), rules.Set(28, "-100");
  rules.Set(29, "30"), rules.Set(30, "40"), rules.Set(31, "50"), rules.Set(32, "60");
  rules.Set(48, "200"), rules.Set(49, "-100"), rules.Set(50, "30");
  const std::vector<ShallowCase> cases = {
      {"steady", k5, 27, 24, {}, {}},
      {"a missing hour: its format and gap findings only, the next day is not compared with it",
       k5, 27, 24, {{2, 10, "////"}},
       {{"记录格式错误", k5, "", "2", "6", kE},
        {"相邻前后两时次数据正常,该时记录应内插", k5, "", "2", "6", kE}}},
      {"02 h is judged by the night limit, 14 h by the afternoon one",
       k5, 27, 24, {{2, 6, "140"}, {2, 18, "140"}},
       {{"与前一天比较,日际变化超气候极值", k5, "", "2", "2", kS},
        {"与前一天比较,日际变化超气候极值", k5, "", "3", "2", kS}}},
      {"a spike: extreme, the day after, and both hours against their neighbours",
       k5, 27, 24, {{1, 5, "250"}},
       {{"记录超气候极值", k5, "", "1", "1", kS},
        {"与前一天比较,日际变化超气候极值", k5, "", "2", "1", kS},
        {"相邻前后两时次的变化异常", k5, "", "1", "24", kS},
        {"相邻前后两时次的变化异常", k5, "", "1", "1", kS},
        {"相邻前后两时次的变化异常", k5, "", "1", "2", kS}}},
      {"40 cm: 1.6 away from both neighbours", "40cm地温", 48, 24, {{2, 18, "116"}},
       {{"相邻前后两时次的变化异常", "40cm地温", "", "2", "14", kS}}},
      {"40 cm: one day-to-day limit whatever the hour", "40cm地温", 48, 24, {{2, 18, "131"}},
       {{"与前一天比较,日际变化超气候极值", "40cm地温", "", "2", "14", kS},
        {"与前一天比较,日际变化超气候极值", "40cm地温", "", "3", "14", kS},
        {"相邻前后两时次的变化异常", "40cm地温", "", "2", "13", kS},
        {"相邻前后两时次的变化异常", "40cm地温", "", "2", "14", kS},
        {"相邻前后两时次的变化异常", "40cm地温", "", "2", "15", kS}}},
      {"a rise far beyond the month's typical rise at that hour", k5, 27, 24, RisingHour(),
       {{"与前一时次比较,两时次差值反常", k5, "", "7", "6", kS}}, 28},
      {"four observations: labels 2..20 and no neighbour rules",
       k5, 27, 4, {{2, 3, "////"}, {3, 4, "170"}},
       {{"记录格式错误", k5, "", "2", "14", kE},
        {"与前一天比较,日际变化超气候极值", k5, "", "3", "20", kS}}},
      {"a decimal is no value", k5, 27, 24, {{1, 12, "10.5"}},
       {{"记录格式错误", k5, "", "1", "8", kE}}},
  };
  for (const ShallowCase& c : cases) {
    SCOPED_TRACE(c.name);
    const StringArray q = With(c.days, c.columns, "100", c.cells);
    EXPECT_EQ(Run([&](AuditContext& cx) {
                AuditShallowGroundTemperature(cx, Grid(q), c.element, c.base);
              }),
              c.findings);
  }
}

TEST(SoilChangeStatistics, TypicalRiseAndFall) {
  struct Case {
    const char* name;
    const char* element;
    Cells cells;  // 28 days of "100"
    int column;
    int rise, fall;
  };
  Cells fallsAndOneRise;
  for (int d = 1; d <= 26; ++d) fallsAndOneRise.push_back({d, 2, "85"});
  fallsAndOneRise.push_back({27, 2, "120"});
  const std::vector<Case> cases = {
      {"no change: the floors", k5, {}, 2, 10, -10},
      {"one rise among many falls is halved and floored", k5, fallsAndOneRise, 2, 10, -15},
      {"a missing hour before a reading makes no rise", k5, {{5, 1, "////"}, {5, 2, "220"}}, 2,
       10, -10},
      {"the fall after it is real", k5, {{5, 1, "////"}, {5, 2, "220"}}, 3, 10, -120},
      {"40 cm counts every tenth, and is floored", "40cm地温", {{3, 2, "101"}, {4, 2, "101"}}, 2,
       10, -10},
      {"column 1 follows the last hour of the day before", k5, {{6, 24, "70"}, {7, 24, "70"}},
       1, 30, -10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const StringArray q = With(28, 24, "100", c.cells);
    const SoilChanges s = SoilChangeStatistics(Grid(q), c.element);
    EXPECT_EQ(s.rise[static_cast<size_t>(c.column)], c.rise);
    EXPECT_EQ(s.fall[static_cast<size_t>(c.column)], c.fall);
  }
}

// ---------------------------------------------------------------------------
// Deep ground temperatures

TEST_F(SoilSunAudit, DeepGroundTemperature) {
  rules.Set(52, "300"), rules.Set(53, "-50");
  rules.Set(54, "30"), rules.Set(55, "20"), rules.Set(56, "10");
  struct Case {
    const char* name;
    const char* element;
    int columns;
    Cells cells;  // 3 days of "100"
    std::vector<Finding> findings;
  };
  const char* kDeep = "深层地温";
  const char* k80 = "80cm地温";
  const std::vector<Case> cases = {
      {"daily reading steady", k80, 1, {}, {}},
      {"a jump from the day before", k80, 1, {{2, 1, "140"}},
       {{"与前一天比较,日际变化超气候极值", kDeep, "", "2", "80cm", kS},
        {"与前一天比较,日际变化超气候极值", kDeep, "", "3", "80cm", kS}}},
      {"160 cm has its own limit", "160cm地温", 1, {{2, 1, "125"}},
       {{"与前一天比较,日际变化超气候极值", kDeep, "", "2", "160cm", kS},
        {"与前一天比较,日际变化超气候极值", kDeep, "", "3", "160cm", kS}}},
      {"a missing reading is not compared", k80, 1, {{2, 1, "////"}},
       {{"记录格式错误", kDeep, "", "2", "80cm", kE}}},
      {"an extreme", "320cm地温", 1, {{1, 1, "301"}},
       {{"记录超气候极值", kDeep, "", "1", "320cm", kS},
        {"与前一天比较,日际变化超气候极值", kDeep, "", "2", "320cm", kS}}},
      {"hourly: a step of 0.6 is odd, 0.5 is not", k80, 24, {{2, 10, "106"}, {3, 10, "105"}},
       {{"与前一时次比较,两时次差值反常", k80, "", "2", "6", kS},
        {"与前一时次比较,两时次差值反常", k80, "", "2", "7", kS}}},
      {"hourly: a missing hour is a gap, not a step", k80, 24, {{2, 10, "////"}},
       {{"记录格式错误", k80, "", "2", "6", kE},
        {"相邻前后两时次数据正常,该时记录应内插", k80, "", "2", "6", kE}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const StringArray k = With(3, c.columns, "100", c.cells);
    EXPECT_EQ(Run([&](AuditContext& cx) { AuditDeepGroundTemperature(cx, Grid(k), c.element); }),
              c.findings);
  }
}

// ---------------------------------------------------------------------------
// The profile 0 to 20 cm

// 15 cm 1.5 °C colder than 10 and 20 cm at 20 h every day, 5.0 °C on day 4.
Cells ColdFifteen() {
  Cells c;
  for (int d = 1; d <= 30; ++d) c.push_back({d, 24, d == 4 ? "50" : "85"});
  return c;
}

struct ProfileCase {
  const char* name;
  Cells d0, d5, d10, d15, d20;  // 30 days of "100" at every depth
  Cells cloud;                   // 30 days of "8" (not clear)
  Cells weather;                 // 30 days of "."
  std::vector<Finding> findings;
};

TEST_F(SoilSunAudit, GroundTemperatureProfile) {
  cls(16) = "0";
  // 10 and 15 cm 1.0 °C apart at 08 h on every day but one.
  Cells steadyTen, oddTen;
  for (int d = 1; d <= 30; ++d) steadyTen.push_back({d, 12, "110"});
  oddTen = steadyTen;
  std::get<2>(oddTen[9]) = "140";
  const char* kG = "地面温度";
  const std::vector<ProfileCase> cases = {
      {"one profile all month", {}, {}, {}, {}, {}, {}, {}, {}},
      {"10/15 cm: a difference far from the month's", {}, {}, oddTen, {}, {}, {}, {},
       {{"根据全月地温资料分析,10cm与15cm地温比较差值反常", "10cm地温", "15cm地温", "10", "8",
         kS}}},
      {"10/15 cm: the month's difference is no finding", {}, {}, steadyTen, {}, {}, {}, {}, {}},
      {"15 cm far colder than usual at 20 h", {}, {}, {}, ColdFifteen(), {}, {}, {},
       {{"根据全月地温资料分析,10cm与15cm地温比较差值反常", "10cm地温", "15cm地温", "4", "20",
         kS},
        {"根据全月地温资料分析,15cm与20cm地温比较差值反常", "15cm地温", "20cm地温", "4", "20",
         kS}}},
      {"a clear afternoon with the surface hardly above 5 cm", {}, {}, {}, {}, {},
       {{7, 18, "0"}}, {},
       {{"根据云量、日照分析,0cm与5cm地温比较差值反常", kG, k5, "7", "14", kS},
        {"根据云量、日照分析,5cm与10cm地温比较差值反常", k5, "10cm地温", "7", "14", kS}}},
      {"a cloud amount not observed selects no day", {}, {}, {}, {}, {}, {{7, 18, "-"}}, {}, {}},
      {"a missing cloud amount selects no day", {}, {}, {}, {}, {}, {{7, 18, "//"}}, {}, {}},
      {"snow cover spares the surface pairs", {}, {}, {}, {}, {}, {{7, 18, "0"}},
       {{7, 1, "16,."}}, {}},
      {"16 inside a time is no snow cover", {}, {}, {}, {}, {}, {{7, 18, "0"}},
       {{7, 1, "60 0716-0816,."}},
       {{"根据云量、日照分析,0cm与5cm地温比较差值反常", kG, k5, "7", "14", kS},
        {"根据云量、日照分析,5cm与10cm地温比较差值反常", k5, "10cm地温", "7", "14", kS}}},
      {"a missing 5 cm reading takes part in nothing", {}, {{7, 18, "////"}}, {}, {}, {},
       {{7, 18, "0"}}, {}, {}},
  };
  for (const ProfileCase& c : cases) {
    SCOPED_TRACE(c.name);
    const StringArray d0 = With(30, 26, "100", c.d0), d5 = With(30, 24, "100", c.d5),
                      d10 = With(30, 24, "100", c.d10), d15 = With(30, 24, "100", c.d15),
                      d20 = With(30, 24, "100", c.d20), d40 = Filled(30, 24, "100");
    const StringArray nn = With(30, 24, "8", c.cloud), w = With(30, 1, ".", c.weather);
    const StringArray ss = Filled(30, 27, "0");
    EXPECT_EQ(Run([&](AuditContext& cx) {
                AuditGroundTemperatureProfile(cx, Grid(nn), Grid(w), Grid(d0), Grid(d5),
                                              Grid(d10), Grid(d15), Grid(d20), Grid(d40),
                                              Grid(ss));
              }),
              c.findings);
  }
}

// A cloudy afternoon with the surface far above 5 cm is odd only when 5 cm
// stands unusually close to 10 cm; a missing 10 cm reading says nothing
// about that.
TEST_F(SoilSunAudit, ProfileReadsTheOtherPairOnlyWhenItIsThere) {
  cls(16) = "0";
  for (const char* tenOnDay7 : {"0", "////"}) {
    SCOPED_TRACE(tenOnDay7);
    const StringArray g = Filled(30, 24, "0"), nn = Filled(30, 24, "8"), w = Filled(30, 1, "."),
                      ss = Filled(30, 27, "0");
    StringArray d0 = Filled(30, 26, "0"), d10 = Filled(30, 24, "-10");
    d0(7, 18) = "50";
    d10(7, 18) = tenOnDay7;
    std::vector<Finding> expected;
    if (std::string(tenOnDay7) == "0")
      expected.push_back({"根据云量、日照分析,0cm与5cm地温比较差值反常", "地面温度", k5, "7", "14", kS});
    EXPECT_EQ(Run([&](AuditContext& cx) {
                AuditGroundTemperatureProfile(cx, Grid(nn), Grid(w), Grid(d0), Grid(g),
                                              Grid(d10), Grid(g), Grid(g), Grid(g), Grid(ss));
              }),
              expected);
  }
}

TEST_F(SoilSunAudit, ProfileReportsAnImpossibleLongitudeOnce) {
  para(9) = Variant("170.00E");  // 14 h is past 17 h true solar time
  const StringArray g = Filled(3, 24, "100"), d0 = Filled(3, 26, "100"), nn = Filled(3, 24, "8"),
                    w = Filled(3, 1, "."), ss = Filled(3, 16, "0");
  AuditContext cx = Context();
  AuditGroundTemperatureProfile(cx, Grid(nn), Grid(w), Grid(d0), Grid(g), Grid(g), Grid(g),
                                Grid(g), Grid(g), Grid(ss));
  ASSERT_EQ(list.rows().size(), 1u);
  const AuditList::Row& r = list.rows()[0];
  EXPECT_EQ(r[0], "在地温变化规律审核中，用到经度值，该值明显错误");
  EXPECT_EQ(r[1], "文件首部");
  EXPECT_EQ(r[2], "风向风速项");
  EXPECT_EQ(r[3], "");
  EXPECT_EQ(r[4], "");
  EXPECT_EQ(r[5], "1");
  EXPECT_EQ(r[6], "错误");
}

// ---------------------------------------------------------------------------
// Frozen soil

TEST_F(SoilSunAudit, FrozenSoil) {
  rules.Set(58, "150");
  struct Case {
    const char* name;
    std::vector<std::string> layers;  // columns 1..4 of day 1
    Cells ground;                      // cells of the arrays (column 12: 08 h) by array index
    std::vector<Finding> findings;
  };
  const char* kF = "冻土深度";
  // ground: (array, column, text) with array 0 = D0, 1 = D5, ... 5 = D40, 6 = K8.
  const std::vector<Case> cases = {
      {"no frozen soil", {"", "", "", ""}, {}, {}},
      {"frozen from the surface to 8 cm below 0 °C", {"000", "008", "", ""}, {}, {}},
      {"5 cm at 1.2 °C under a frozen layer down to 8 cm", {"000", "008", "", ""},
       {{1, 12, "12"}},
       {{"5cm地温在0℃或以上与冻土矛盾", kF, "5cm地温", "1", "第一层下限/8", kS}}},
      {"the surface at 0 °C under a trace layer", {"000", "", "", ""}, {{0, 12, "0"}},
       {{"地面温度在0℃或以上与冻土矛盾", kF, "地面温度", "1", "第一层上限/8", kS}}},
      {"a missing 08 h reading contradicts nothing", {"000", "008", "", ""},
       {{0, 12, "////"}, {1, 12, "////"}}, {}},
      {"43 cm reaches the 40 cm reading, 27 cm none", {"027", "043", "", ""}, {{5, 12, "3"}, {4, 12, "5"}},
       {{"40cm地温在0℃或以上与冻土矛盾", kF, "40cm地温", "1", "第一层下限/8", kS}}},
      {"80 cm only where it is read every hour", {"080", "", "", ""}, {{6, 12, "5"}},
       {{"80cm地温在0℃或以上与冻土矛盾", kF, "80cm地温", "1", "第一层上限/8", kS}}},
      {"upper limit below the lower", {"035", "020", "", ""}, {},
       {{"上下限值矛盾", kF, "", "1", "第一层上限/第一层下限", kE}}},
      {"a missing lower limit is only a format finding", {"020", "///", "", ""}, {},
       {{"记录格式错误", kF, "", "1", "第一层下限", kE}}},
      {"a limit with \">\" is only a format finding", {">20", "030", "", ""}, {},
       {{"记录格式错误", kF, "", "1", "第一层上限", kE}}},
      {"beyond the extreme", {"000", "160", "", ""}, {},
       {{"记录超气候极值", kF, "", "1", "第一层下限", kS}}},
      {"second layer reversed and below the first", {"010", "030", "060", "040"}, {},
       {{"上下限值矛盾", kF, "", "1", "第二层上限/第二层下限", kE},
        {"两冻土层矛盾", kF, "", "1", "第一层上限/第二层下限", kE}}},
      {"a second layer without a first", {"", "", "010", "020"}, {},
       {{"无两冻土层,却有第二层记录", kF, "", "1", "第二层上限/第二层下限", kE}}},
      {"a second layer in the trace layer", {"010", "030", "000", "000"}, {},
       {{"有两冻土层,第二层不可能出现在微量层", kF, "", "1", "第二层上限/第二层下限", kE}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StringArray aa = Filled(1, 4, "");
    for (long j = 1; j <= 4; ++j) aa(1, j) = c.layers[static_cast<size_t>(j - 1)];
    std::vector<StringArray> g;
    g.push_back(Filled(1, 26, "-10"));
    for (int k = 1; k <= 6; ++k) g.push_back(Filled(1, 24, "-10"));
    for (const auto& [k, col, t] : c.ground) g[static_cast<size_t>(k)](1, col) = t;
    EXPECT_EQ(Run([&](AuditContext& cx) {
                AuditFrozenSoil(cx, Grid(aa), Grid(g[0]), Grid(g[1]), Grid(g[2]), Grid(g[3]),
                                Grid(g[4]), Grid(g[5]), Grid(g[6]));
              }),
              c.findings);
  }
  // A daily 80 cm reading is not compared.
  const StringArray aa = With(1, 4, "", {{1, 1, "080"}});
  const StringArray d = Filled(1, 24, "-10"), k8 = Filled(1, 1, "5");
  EXPECT_EQ(Run([&](AuditContext& cx) {
              AuditFrozenSoil(cx, Grid(aa), Grid(d), Grid(d), Grid(d), Grid(d), Grid(d), Grid(d),
                              Grid(k8));
            }),
            std::vector<Finding>{});
}

// ---------------------------------------------------------------------------
// Sunshine

struct SunCase {
  const char* name;
  const char* mode = "A";
  Cells cells;  // day 21 of December 2012 at 39.52N 116.28E: sunrise 7.36, sunset 16.64
  std::vector<Finding> findings;
};

TEST_F(SoilSunAudit, Sunshine) {
  para(3) = Variant("12");
  para(29) = Variant("0");
  const char* kZ = "日照时数";
  // A clear day: 0.7 h in 07-08 and 16-17, full hours between.
  Cells clear = {{21, 8, "7"}, {21, 17, "7"}, {21, 25, "0722"}, {21, 26, "1638"}, {21, 27, "94"}};
  for (int j = 9; j <= 16; ++j) clear.push_back({21, j, "10"});
  auto plus = [&](Cells more) {
    Cells c = clear;
    for (auto& m : more) {
      bool replaced = false;
      for (auto& x : c)
        if (std::get<0>(x) == std::get<0>(m) && std::get<1>(x) == std::get<1>(m))
          x = m, replaced = true;
      if (!replaced) c.push_back(m);
    }
    return c;
  };
  const std::vector<SunCase> cases = {
      {"a clear day", "A", clear, {}},
      {"recorded sunrise a minute late", "A", plus({{21, 25, "0723"}}),
       {{"日出时间与计算值不符", kZ, "", "21", "日出时间", kE}}},
      {"recorded sunset a minute early", "A", plus({{21, 26, "1637"}}),
       {{"日落时间与计算值不符", kZ, "", "21", "日落时间", kE}}},
      {"other modes keep no recorded times", "2", plus({{21, 25, "0723"}}), {}},
      {"more sun in the sunrise hour than the sun is up", "A",
       plus({{21, 8, "8"}, {21, 27, "95"}}),
       {{"该时日照大于日出时间时段内的最大值", kZ, "", "21", "07-08", kE}}},
      {"more sun in the sunset hour than the sun is up", "A",
       plus({{21, 17, "8"}, {21, 27, "95"}}),
       {{"该时日照大于日落时间时段内的最大值", kZ, "", "21", "16-17", kE}}},
      {"sunshine before sunrise", "A", plus({{21, 5, "3"}, {21, 27, "97"}}),
       {{"日照出现开始时间与日出时间矛盾", kZ, "", "21", "日出时间/04-05", kE}}},
      {"sunshine two hours after sunset", "A", plus({{21, 19, "2"}, {21, 27, "96"}}),
       {{"日照出现结束时间与日落时间矛盾", kZ, "", "21", "日落时间/18-19", kE}}},
      {"sunshine in the hour after sunset is tolerated", "A",
       plus({{21, 18, "2"}, {21, 27, "96"}}), {}},
      {"more than an hour in an hour", "A", plus({{21, 12, "11"}, {21, 27, "95"}}),
       {{"记录>1.0", kZ, "", "21", "11-12", kE}}},
      {"minutes: more than 60", "B", plus({{21, 12, "61"}, {21, 27, "145"}}),
       {{"记录>60", kZ, "", "21", "11-12", kE}}},
      {"the total is not the sum", "A", plus({{21, 27, "90"}}),
       {{"各时日照之和与日合计不相等", kZ, "", "21", "合计", kE}}},
      {"an hour not observed: the total must be missing", "A",
       plus({{21, 12, "-"}, {21, 27, "84"}}),
       {{"时值有缺测,日合计应作缺测处理", kZ, "", "21", "合计", kE}}},
      {"an hour not observed and the total missing", "A", plus({{21, 12, "-"}, {21, 27, "-"}}),
       {}},
      {"a missing night hour is neither sunshine nor a value", "A",
       plus({{21, 2, "//"}, {21, 27, "94"}}),
       {{"记录格式错误", kZ, "", "21", "01-02", kE},
        {"时值有缺测,日合计应作缺测处理", kZ, "", "21", "合计", kE}}},
      {"a total not observed is not compared", "A", plus({{21, 27, "-"}}), {}},
      {"mode 0 keeps the total alone", "0", {{21, 27, "94"}}, {}},
  };
  for (const SunCase& c : cases) {
    SCOPED_TRACE(c.name);
    cls(19) = c.mode;
    const StringArray z = With(21, 27, "", c.cells);
    EXPECT_EQ(Run([&](AuditContext& cx) { AuditSunshine(cx, Grid(z)); }), c.findings);
  }
}

TEST_F(SoilSunAudit, SunshineInPolarDay) {
  para(3) = Variant("06");
  para(8) = Variant("70.00N");
  para(29) = Variant("1");
  cls(19) = "A";
  Cells all = {{21, 25, "0000"}, {21, 26, "2400"}, {21, 27, "240"}};
  for (int j = 1; j <= 24; ++j) all.push_back({21, j, "10"});
  StringArray z = With(21, 27, "", all);
  EXPECT_EQ(Run([&](AuditContext& cx) { AuditSunshine(cx, Grid(z)); }), std::vector<Finding>{});
  z(21, 25) = "0001";
  EXPECT_EQ(Run([&](AuditContext& cx) { AuditSunshine(cx, Grid(z)); }),
            (std::vector<Finding>{{"日出时间与计算值不符", "日照时数", "", "21", "日出时间", kE}}));
}

// ---------------------------------------------------------------------------
// Evaporation

// One day at 20 °C air and ground, 11.7 hPa, wind 3.0 m/s: 5.1 mm estimated.
struct EvaporationDay {
  StringArray T = Filled(1, 28, "200");
  StringArray E = Filled(1, 24, "117");
  StringArray FDFF = Filled(1, 24, "090/030");
  StringArray ZJFDFF = Filled(1, 24, "090/030");
  StringArray D0 = Filled(1, 26, "200");
  EvaporationDay() {
    T(1, 26) = "1437", T(1, 28) = "0423";  // times of the extremes take no part
    D0(1, 25) = "350", D0(1, 26) = "50";
  }
  int Estimate() const {
    return EstimateEvaporation(1, Grid(T), Grid(E), Grid(FDFF), Grid(ZJFDFF), Grid(D0));
  }
};

TEST(EstimateEvaporation, MeansOfTheObservations) {
  struct Case {
    const char* name;
    std::function<void(EvaporationDay&)> edit;
    int estimate;
  };
  const std::vector<Case> cases = {
      {"the day as it is", [](EvaporationDay&) {}, 51},
      {"missing readings are left out of the means",
       [](EvaporationDay& d) { d.T(1, 3) = "////"; d.E(1, 4) = "///"; d.D0(1, 5) = "-"; }, 51},
      {"a wind record missing in parts is left out",
       [](EvaporationDay& d) { d.ZJFDFF(1, 2) = "-/-"; d.ZJFDFF(1, 3) = "090/-"; }, 51},
      {"without ten-minute winds the fixed-hour winds count",
       [](EvaporationDay& d) {
         for (long c = 1; c <= 24; ++c) d.ZJFDFF(1, c) = "-/-", d.FDFF(1, c) = "090/000";
       },
       23},
      {"calm", [](EvaporationDay& d) {
         for (long c = 1; c <= 24; ++c) d.ZJFDFF(1, c) = "C/000";
       }, 23},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EvaporationDay d;
    c.edit(d);
    EXPECT_EQ(d.Estimate(), c.estimate);
  }
}

TEST_F(SoilSunAudit, Evaporation) {
  rules.Set(57, "600");
  struct Case {
    const char* name;
    const char* mode;
    std::string small;
    std::vector<std::string> large;  // empty: no large pan; 1 value or 24 hours and a total
    const char* weather;
    std::vector<Finding> findings;
  };
  const char* kEv = "蒸发量";
  auto hours = [](const std::string& each, const std::string& total,
                  std::vector<std::pair<int, std::string>> set = {}) {
    std::vector<std::string> v(25, each);
    v[24] = total;
    for (const auto& [c, t] : set) v[static_cast<size_t>(c - 1)] = t;
    return v;
  };
  const std::vector<Case> cases = {
      {"pans that agree with the estimate", "A", "90", hours("2", "48"), ".", {}},
      {"small pan far above the estimate", "A", "250", {}, ".",
       {{"根据温、湿、风等分析,该日小型蒸发量反常", kEv, "", "1", "小型", kS}}},
      {"small pan above its extreme", "A", "610", {}, ".",
       {{"记录超气候极值", kEv, "", "1", "小型", kS},
        {"根据温、湿、风等分析,该日小型蒸发量反常", kEv, "", "1", "小型", kS}}},
      {"a frozen small pan without ice", "A", "B", {}, ".",
       {{"蒸发记结冰,但无结冰现象", "天气现象", kEv, "1", "小型", kE}}},
      {"a frozen small pan with ice", "A", "B", {}, "03,.", {}},
      {"the hours do not add up to the total", "A", "90", hours("2", "50"), ".",
       {{"各时蒸发量之和与日合计不相等", kEv, "", "1", "大型", kE}}},
      {"a missing hour with a total", "A", "90", hours("2", "46", {{10, "///"}}), ".",
       {{"相邻前后两时次数据正常,该时记录应内插", kEv, "", "1", "6", kE},
        {"时值有缺测,日合计应作缺测处理", kEv, "", "1", "大型", kE}}},
      {"a missing hour and a missing total", "A", "90", hours("2", "-", {{10, "///"}}), ".",
       {{"相邻前后两时次数据正常,该时记录应内插", kEv, "", "1", "6", kE}}},
      {"hours with values under a frozen total", "A", "90", hours("2", "B"), "03,.",
       {{"各时蒸发量为结冰与日合计不一致", kEv, "", "1", "大型", kE}}},
      {"frozen all day", "A", "B", hours("B", "B"), "03,.", {}},
      {"the large pan far from the estimate", "A", "90", {"100"}, ".",
       {{"根据温、湿、风等分析,该日E601差值约为4.9", kEv, "", "1", "大型", kS}}},
      {"a large pan of another kind is judged by the whole estimate", "1", "90", {"100"}, ".",
       {}},
      {"the pans far apart", "A", "100", {"20"}, ".",
       {{"小型蒸发与大型蒸发两者相差太大", kEv, "", "1", "小型/大型", kS}}},
      {"a missing large pan is only a format finding", "A", "90", {"///"}, ".",
       {{"记录格式错误", kEv, "", "1", "大型", kE}}},
      {"a large pan below the estimate", "A", "20", {"5"}, ".",
       {{"根据温、湿、风等分析,该日E601差值约为-4.6", kEv, "", "1", "大型", kS}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cls(12) = c.mode;
    EvaporationDay d;
    const StringArray le = Filled(1, 1, c.small);
    StringArray ll;
    if (!c.large.empty()) {
      ll = StringArray::Matrix(1, 1, 1, static_cast<long>(c.large.size()));
      for (size_t j = 0; j < c.large.size(); ++j) ll(1, static_cast<long>(j + 1)) = c.large[j];
    }
    const StringArray w = Filled(1, 1, c.weather);
    EXPECT_EQ(Run([&](AuditContext& cx) {
                AuditEvaporation(cx, Grid(d.T), Grid(d.E), Grid(w), Grid(d.FDFF),
                                 Grid(d.ZJFDFF), Grid(d.D0), Grid(le), Grid(ll));
              }),
              c.findings);
  }
}

// ---------------------------------------------------------------------------
// Snow and ground state

TEST_F(SoilSunAudit, Snow) {
  rules.Set(60, "50"), rules.Set(61, "100");
  struct Case {
    const char* name;
    const char *depth, *pressure, *weather;
    std::vector<Finding> findings;
  };
  const char* kSn = "积雪";
  const std::vector<Case> cases = {
      {"no snow", "", "", ".", {}},
      {"snow depth with snow cover", "10", "", "16,.", {}},
      {"snow cover in the night part", "10", "", "(16,)60 0800-0900,.", {}},
      {"snow depth without snow cover", "10", "", "60 0716-0816,.",
       {{"有雪深,无积雪现象", "天气现象", kSn, "1", "雪深", kE}}},
      {"a block without data: nothing observed", "-", "-", ".", {}},
      {"a missing depth is only a format finding", "///", "", ".",
       {{"记录格式错误", kSn, "", "1", "雪深", kE}}},
      {"a snow pressure on a shallow snow cover", "3", "5", "16,.",
       {{"根据雪深,不应有雪压记录", kSn, "", "1", "雪深/雪压", kE}}},
      {"a snow pressure without a snow depth", "", "5", ".",
       {{"根据雪深,不应有雪压记录", kSn, "", "1", "雪深/雪压", kE}}},
      {"a snow pressure beside a missing depth", "///", "5", ".",
       {{"记录格式错误", kSn, "", "1", "雪深", kE}}},
      {"deep snow with its pressure", "12", "20", "16,.", {}},
      {"beyond the extremes", "51", "101", "16,.",
       {{"记录超气候极值", kSn, "", "1", "雪深", kS},
        {"记录超气候极值", kSn, "", "1", "雪压", kS}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StringArray z = Filled(1, 2, "");
    z(1, 1) = c.depth, z(1, 2) = c.pressure;
    const StringArray w = Filled(1, 1, c.weather);
    EXPECT_EQ(Run([&](AuditContext& cx) { AuditSnow(cx, Grid(w), Grid(z)); }), c.findings);
  }
}

TEST_F(SoilSunAudit, GroundState) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"00", false}, {"19", false}, {"", false}, {"-", false},
      {"20", true},  {"1.5", true}, {"//", true}, {"-1", true}};
  for (const auto& [code, wrong] : cases) {
    SCOPED_TRACE(code);
    const StringArray ge = Filled(1, 1, code);
    std::vector<Finding> expected;
    if (wrong) expected.push_back({"记录格式错误", "地面状态", "", "1", "14", kE});
    EXPECT_EQ(Run([&](AuditContext& cx) { AuditGroundState(cx, Grid(ge)); }), expected);
  }
}

}  // namespace
}  // namespace kelvane::afile::audit
