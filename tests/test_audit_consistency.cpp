// The weather phenomena against the other elements: one table of days, each
// a day text and the element values that differ from a quiet day, with the
// findings in all their columns.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "afile/audit/audits.h"
#include "audit_test_support.h"

namespace kelvane::afile::audit {
namespace {

using kelvane::testing::Filled;
using kelvane::testing::Finding;

enum class A { CC, V, R, U, FDFF, NN, T, D0, DYF, ZJRR };

struct Set {
  A array;
  long column;
  std::string text;
};

struct ConsistencyCase {
  const char* name;
  std::string weather;
  std::vector<Set> cells;
  std::vector<Finding> findings;
  int vColumns = 4;
};

class Consistency : public ::testing::Test, protected kelvane::testing::AuditInputs {
 protected:
  Consistency() {
    cls(10) = "0";
    cls(11) = "0";
    const std::pair<int, const char*> values[] = {
        {62, "50"}, {63, "50"},  {72, "100"}, {73, "170"}, {74, "30"},   {75, "50"},
        {76, "80"}, {77, "100"}, {79, "30"},  {80, "40"},  {81, "60"},   {82, "50"},
        {83, "60"}, {84, "80"},  {85, "50"},  {86, "80"},  {87, "10"},   {88, "80"},
        {89, "50"}, {90, "20"},  {91, "9"},   {92, "-200"}, {93, "-250"}, {94, "50"},
        {95, "80"}, {96, "-250"}};
    for (const auto& [k, v] : values) rules.Set(k, v);
  }

  std::vector<Finding> Run(const ConsistencyCase& c) {
    list.Clear();
    StringArray w = Filled(1, 1, c.weather);
    StringArray cc = Filled(1, 4, "SC"), v = Filled(1, c.vColumns, "200"), r = Filled(1, 3, ""),
                u = Filled(1, 6, "90"), fdff = Filled(1, 4, "NE/35"), nn = Filled(1, 4, "5"),
                t = Filled(1, 6, "100"), d0 = Filled(1, 6, "100"), dyf = Filled(1, 4, ""),
                zjrr = Filled(1, 24, "");
    t(1, 6) = "50";
    dyf(1, 1) = "80/NE", dyf(1, 2) = "1200", dyf(1, 3) = "120/NE", dyf(1, 4) = "1210";
    StringArray* arrays[] = {&cc, &v, &r, &u, &fdff, &nn, &t, &d0, &dyf, &zjrr};
    for (const Set& s : c.cells) (*arrays[static_cast<int>(s.array)])(1, s.column) = s.text;
    AuditContext cx = Context();
    AuditWeatherPhenomena(cx, Grid(w), Grid(t), Grid(u), Grid(nn), Grid(cc), Grid(v), Grid(r),
                          Grid(fdff), Grid(d0), Grid(dyf), Grid(zjrr), false);
    return kelvane::testing::Findings(list);
  }

  void Expect(const std::vector<ConsistencyCase>& cases) {
    for (const ConsistencyCase& c : cases) {
      SCOPED_TRACE(c.name);
      EXPECT_EQ(Run(c), c.findings);
    }
  }
};

constexpr const char* kW = "天气现象";
constexpr const char* kFixed = "定时降水量";
constexpr const char* kDaily = "最大极大风";

TEST_F(Consistency, PeriodsAgainstObservations) {
  Expect({
      {"thunderstorm without cumulonimbus",
       "17 1300-1500;W,.", {},
       {{"17出现的时间云状中无积雨云配合", kW, "云状", "1", "14", "错误"}}},
      {"thunderstorm with cumulonimbus", "17 1300-1500;W,.", {{A::CC, 3, "CB"}}, {}},
      {"fog with visibility of 1.0 km",
       "42 0500[300]-0900,.", {},
       {{"42出现,能见度>=1.0KM", kW, "能见度", "1", "8", "错误"}}},
      {"fog, fixed visibility below the minimum",
       "42 0500[300]-0900,.", {{A::V, 2, "2"}},
       {{"最小能见度与定时能见度矛盾", "能见度", kW, "1", "8", "错误"}}},
      {"hourly: the midnight hour of 24 columns is 0",
       "42 2330[300]-0010,.", {{A::V, 4, "2"}},
       {{"最小能见度与定时能见度矛盾", "能见度", kW, "1", "0", "错误"}}, 24},
      {"hourly: with the minimum's columns it is 24",
       "42 2330[300]-0010,.", {{A::V, 4, "2"}, {A::V, 25, "2"}, {A::V, 26, "2400"}},
       {{"最小能见度与定时能见度矛盾", "能见度", kW, "1", "24", "错误"}}, 26},
      {"missing fixed visibility takes no part",
       "42 0500[300]-0900,.", {{A::V, 2, "/////"}}, {}},
      {"drizzle without low stratus",
       "50 0700-0900,.", {{A::R, 1, "1"}, {A::R, 2, "1"}},
       {{"毛毛雨或米雪出现时间无ST、FS或雾等云状配合", kW, "云状", "1", "8", "可疑"}}},
      {"shower without convective cloud",
       "80 0700-0900,.", {{A::R, 1, "1"}, {A::R, 2, "1"}},
       {{"80出现的时间云状中无对流云配合", kW, "云状", "1", "8", "可疑"}}},
      {"rain without rain cloud",
       "60 0700-0900,.", {{A::R, 1, "1"}, {A::R, 2, "1"}, {A::CC, 2, "CI"}},
       {{"60出现的时间云状中无普通降水云层配合", kW, "云状", "1", "8", "可疑"}}},
      {"an end at 0946 reaches the 10 o'clock hour",
       "42 0900[300]-0946,.", {{A::V, 13, "3"}},
       {{"42出现,能见度>=1.0KM", kW, "能见度", "1", "10", "错误"}}, 24},
      {"an end at 0945 does not", "42 0900[300]-0945,.", {{A::V, 13, "3"}}, {}, 24},
      {"rain and low humidity",
       "60 1300-1500,.", {{A::R, 2, "5"}, {A::U, 3, "40"}},
       {{"60出现,相对湿度<50", kW, "相对湿度", "1", "14", "可疑"}}},
      {"fog and low humidity, %% is 100",
       "42 1300[300]-1500,.", {{A::V, 3, "3"}, {A::U, 3, "%%"}}, {}},
      {"gale and weak fixed-hour wind",
       "15 1300-1500,.",
       {{A::FDFF, 3, "NE/20"}, {A::DYF, 1, "120/NE"}, {A::DYF, 3, "200/NE"}, {A::DYF, 4, "1400"}},
       {{"15出现,定时风<30", kW, "定时风", "1", "14", "可疑"}}},
      {"fixed-hour wind without speed takes no part",
       "15 1300-1500,.",
       {{A::FDFF, 3, "NE/-"}, {A::DYF, 1, "120/NE"}, {A::DYF, 3, "200/NE"}, {A::DYF, 4, "1400"}},
       {}},
      {"fog and strong fixed-hour wind",
       "42 1300[300]-1500,.", {{A::V, 3, "3"}, {A::FDFF, 3, "NE/101"}},
       {{"42出现,定时风>100", kW, "定时风", "1", "14", "可疑"}}},
      {"total cloud with 14",
       "14 1300-1500,.", {{A::NN, 3, "10"}},
       {{"14出现,总云量>9", kW, "总云量", "1", "14", "错误"}}},
      {"an end past the day's end: hour marks stop at 24",
       "60 1900-1961,.", {{A::R, 2, "5"}, {A::ZJRR, 24, "5"}},
       {{"60的终止时间错1961", kW, "", "1", "", "错误"}}},
  });
}

TEST_F(Consistency, PrecipitationAmounts) {
  Expect({
      {"rain without any amount",
       "60 0700-0900,.", {},
       {{"有降水现象,但无定时降水量", kW, kFixed, "1", "20-8", "错误"},
        {"有降水现象,但无定时降水量", kW, kFixed, "1", "8-20", "错误"},
        {"20-8时有降水现象,但无定时降水量", kW, kFixed, "1", "20-8", "错误"},
        {"8-20时有降水现象,但无定时降水量", kW, kFixed, "1", "8-20", "错误"}}},
      {"rain with its amounts", "60 0700-0900,.", {{A::R, 1, "5"}, {A::R, 2, "10"}}, {}},
      {"an amount without a phenomenon",
       "10,.", {{A::R, 1, "5"}},
       {{"20-8时有定时降水量,但无降水现象", kW, kFixed, "1", "20-8", "错误"}}},
      {"amounts not observed or missing are neither", "10,.", {{A::R, 1, "-"}, {A::R, 2, "////"}}, {}},
      {"a point at 08:00 belongs to 20-8", "60 0800,.", {{A::R, 1, "5"}}, {}},
      {"a day record without times marks 8-20", "60,.", {{A::R, 2, "5"}}, {}},
      {"and not 20-8",
       "60,.", {{A::R, 1, "5"}, {A::R, 2, "5"}},
       {{"20-8时有定时降水量,但无降水现象", kW, kFixed, "1", "20-8", "错误"}}},
      {"a night record marks 20-8", "(60,)10,.", {{A::R, 1, "5"}}, {}},
      {"an hourly amount outside the phenomenon",
       "60 0830-0900,.",
       {{A::R, 2, "5"}, {A::ZJRR, 13, "3"}, {A::ZJRR, 14, "2"}, {A::ZJRR, 15, "////"}},
       {{"9-10时有小时降水量,但无降水现象", kW, "小时降水量", "1", "9-10", "错误"}}},
      {"night hours marked by a night record",
       "(60,)10,.", {{A::R, 1, "5"}, {A::ZJRR, 2, "5"}, {A::ZJRR, 13, "1"}},
       {{"8-9时有小时降水量,但无降水现象", kW, "小时降水量", "1", "8-9", "错误"}}},
  });
}

TEST_F(Consistency, EndOfDay) {
  Expect({
      {"overlapping rain and shower",
       "60 0800-1000,80 0900-1100,.", {{A::R, 2, "5"}, {A::CC, 2, "CU SC"}},
       {{"60和80的出现时间重迭", kW, "", "1", "", "错误"}}},
      {"dotted overlap is doubtful",
       "60 0800...1000,80 0900-1100,.", {{A::R, 2, "5"}, {A::CC, 2, "CU SC"}},
       {{"60和80的出现时间重迭", kW, "", "1", "", "可疑"}}},
      {"drizzle and snow overlap is doubtful",
       "50 0800-1000,70 0900-1100,.", {{A::R, 2, "5"}, {A::CC, 2, "ST"}},
       {{"50和70的出现时间重迭", kW, "", "1", "", "可疑"}}},
      {"gale without a strong extreme wind",
       "15 1300-1500,.", {{A::DYF, 1, "120/NE"}},
       {{"有大风出现,极大风速<17.0米/秒(120)", kW, kDaily, "1", "极大风速", "错误"}}},
      {"strong extreme wind without gale",
       ".", {{A::DYF, 3, "185/NE"}},
       {{"极大风速>=17.0米/秒,而无大风出现", kW, kDaily, "1", "极大风速", "错误"}}},
      {"missing extreme winds take no part", ".", {{A::DYF, 3, "///"}, {A::DYF, 1, "-/-"}}, {}},
      {"extreme wind outside the gale",
       "15 1300-1500,.", {{A::DYF, 1, "120/NE"}, {A::DYF, 3, "200/NE"}, {A::DYF, 4, "1530"}},
       {{"极大风速>=17.0米/秒(200),其开始时间(1530)与大风现象出现时间矛盾", kW, kDaily, "1",
         "极大风速", "错误"}}},
      {"gale next to the night bracket",
       "(10,)15 1400-1500,.", {{A::DYF, 1, "120/NE"}, {A::DYF, 3, "200/NE"}, {A::DYF, 4, "1430"}},
       {}},
      {"extreme at 2000 is the end of the day",
       "15 1900-2000,.", {{A::DYF, 1, "120/NE"}, {A::DYF, 3, "200/NE"}, {A::DYF, 4, "2000"}}, {}},
      {"extreme time not observed",
       "15 1300-1500,.", {{A::DYF, 1, "120/NE"}, {A::DYF, 3, "200/NE"}, {A::DYF, 4, "////"}}, {}},
      {"gale without times",
       "15,.", {{A::DYF, 1, "120/NE"}, {A::DYF, 3, "185/NE"}, {A::DYF, 4, "1430"}},
       {{"极大风速>=17.0米/秒(185),其开始时间(1430)与大风现象出现时间矛盾", kW, kDaily, "1",
         "极大风速", "错误"}}},
      {"maximum wind",
       "15 1300-1500,.", {{A::DYF, 3, "200/NE"}, {A::DYF, 4, "1400"}},
       {{"有大风出现,最大风速<100", kW, kDaily, "1", "最大风速", "可疑"}}},
      {"maximum wind without gale",
       "07,.", {{A::DYF, 1, "171/NE"}, {A::DYF, 3, "169/NE"}},
       {{"最大风速>170,而无大风出现", kW, kDaily, "1", "最大风速", "可疑"}}},
      {"blowing sand with weak wind",
       "07,.", {{A::DYF, 1, "40/NE"}},
       {{"有扬沙出现,最大风速<50", kW, kDaily, "1", "最大风速", "可疑"}}},
      {"blowing snow, snowstorm, sandstorm and squall with weak wind; snow cover written last",
       "31 0900[500]-0930,38 1000-1100,18 1030,39 1200[500]-1300,16,.",
       {{A::DYF, 1, "40/NE"}, {A::R, 2, "5"}, {A::D0, 6, "0"}},
       {{"有吹雪出现,最大风速<60", kW, kDaily, "1", "最大风速", "可疑"},
        {"有雪暴出现,最大风速<80", kW, kDaily, "1", "最大风速", "可疑"},
        {"有沙尘暴出现,最大风速<80", kW, kDaily, "1", "最大风速", "可疑"},
        {"有飑出现,最大风速<80", kW, kDaily, "1", "最大风速", "可疑"},
        {"积雪不应出现在吹雪之后", kW, "", "1", "", "错误"},
        {"积雪不应出现在雪暴之后", kW, "", "1", "", "错误"}}},
      {"cold night without ice",
       ".", {{A::T, 6, "-250"}},
       {{"最低气温<-200,无结冰出现", kW, "气温", "1", "最低", "可疑"}}},
      {"missing minimum takes no part", ".", {{A::T, 6, "////"}, {A::D0, 6, "-"}}, {}},
      {"ice on a warm night",
       "03,.", {{A::T, 6, "60"}},
       {{"有结冰出现,最低气温>50", kW, "气温", "1", "最低", "可疑"},
        {"有结冰出现,地面最低温度>80", kW, "地面温度", "1", "最低", "可疑"}}},
      {"snow cover on a warm night",
       "16,.", {{A::T, 6, "60"}, {A::D0, 6, "60"}},
       {{"有积雪出现,最低气温>50", kW, "气温", "1", "最低", "可疑"},
        {"有积雪出现,地面最低温度>50", kW, "地面温度", "1", "最低", "可疑"}}},
      {"cold clear ground without ice or frost",
       ".", {{A::D0, 6, "-260"}},
       {{"地面最低温度<-250,无结冰出现", kW, "地面温度", "1", "最低", "可疑"},
        {"地面最低温度<-250,无霜出现", kW, "地面温度", "1", "最低", "可疑"}}},
      {"glaze on a warm night",
       "56 0100-0300,.", {{A::T, 6, "30"}},
       {{"有雨凇出现,最低气温>20", kW, "气温", "1", "最低", "可疑"}}},
      {"mist written before fog", "10,42 2000[300]-0100,.", {},
       {{"轻雾不应记录在雾之前", kW, "", "1", "", "错误"}}},
      {"lightning written before thunderstorm", "13,17 2000-2030;W,.",
       {{A::CC, 1, "CB"}},
       {{"闪电不应记录在雷暴之前", kW, "", "1", "", "错误"}}},
      {"snow cover after drifting snow", "38 1000-1100,16,.", {{A::T, 6, "-100"}, {A::D0, 6, "-100"}},
       {{"积雪不应出现在吹雪之后", kW, "", "1", "", "错误"}}},
  });
}

// A run-time error in one end-of-day step (here: the rule values cannot be
// read) loses that step only; the order of records, which reads no rule,
// is still checked.
TEST_F(Consistency, AnErrorLosesOnlyItsStep) {
  rules.Erase();
  EXPECT_EQ(Run({"", "10,42 2000[300]-0100,.", {}, {}}),
            (std::vector<Finding>{{"轻雾不应记录在雾之前", kW, "", "1", "", "错误"}}));
}

}  // namespace
}  // namespace kelvane::afile::audit
