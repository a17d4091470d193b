// Every comparison finding of the Y-file audit, byte for byte: a stand-in
// component writes "R" into every yearly cell, the file's yearly values are
// all "S", so each compared item and each yearly wind cell gives exactly one
// finding, in order, and the items that are not compared give none.
#include <memory>
#include <string>
#include <vector>

#include "kelvane/automation.h"
#include "kelvane/year_statistic.h"
#include "yfile_test_support.h"

namespace kelvane::testing {
namespace {

// The compared items as the operator reads them: the first item of a run,
// its names in order and the element of each name.
struct ItemRun {
  int first;
  std::vector<std::string> names;
  std::vector<std::string> elements;  // one per name
};

std::vector<std::string> Times(int n, const std::string& s) { return std::vector<std::string>(n, s); }
std::vector<std::string> Cat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<ItemRun>& Runs() {
  static const std::vector<ItemRun> runs = {
      {1,
       {"年平均本站气压", "年平均最高本站气压", "年平均最低本站气压", "年最高本站气压",
        "年最高本站气压出现日期", "年最低本站气压", "年最低本站气压出现日期", "海平面气压"},
       Cat(Times(7, "本站气压"), {"海平面气压"})},
      {18,
       {"年平均气温", "年平均最高气温", "年平均最低气温", "年最高气温", "年最高气温出现日期",
        "年最低气温", "年最低气温出现日期"},
       Times(7, "气温")},
      {25,
       {"年平均水汽压", "年最大水汽压", "年最大水汽压出现日期", "年最小水汽压",
        "年最小水汽压出现日期", "年平均相对湿度", "年最小相对湿度", "年最小相对湿度出现日期"},
       Cat(Times(5, "水汽压"), Times(3, "相对湿度"))},
      {33,
       {"年平均总云量", "年平均低云量", "年总云量0.0-1.9日数", "年总云量2.0-8.0日数",
        "年总云量8.1-10.0日数", "年低云量0.0-1.9日数", "年低云量2.0-8.0日数",
        "年低云量8.1-10.0日数"},
       Cat(Times(2, "平均云量"), Times(6, "云量量别日数"))},
      {50,
       {"年总降水量", "年最大日降水量", "年最大日降水量出现日期", "年日降水量≥0.1日数",
        "年日降水量≥1日数", "年日降水量≥5日数", "年日降水量≥10日数", "年日降水量≥25日数",
        "年日降水量≥50日数", "年日降水量≥100日数", "年日降水量≥150日数"},
       Cat(Times(3, "降水量"), Times(8, "各级降水日数"))},
      {61,
       {"年最长连续降水日数", "年最长连续降水量", "年最长连续降水起止日期", "年最长连续无降水日数",
        "年最长连续无降水起止日期", "年总蒸发量(小型)", "年总蒸发量(大型)", "年最大积雪深度",
        "年最大积雪深度出现日期", "年最大雪压", "年最大雪压出现日期"},
       Cat(Cat(Cat(Times(3, "连续降水日数"), Times(2, "连续无降水日数")), Times(2, "蒸发量")),
           Times(4, "雪深雪压"))},
      {72,
       {"年电线积冰现象符号", "年电线积冰最大直径(南北)", "年电线积冰最大厚度(南北)",
        "年电线积冰最大重量(南北)", "年电线积冰最大(南北)出现日期", "年电线积冰最大直径(东西)",
        "年电线积冰最大厚度(东西)", "年电线积冰最大重量(东西)", "年电线积冰最大(东西)出现日期",
        "年最大电线积冰时气温", "年最大电线积冰时风向", "年最大电线积冰时风速"},
       Times(12, "电线积冰")},
      {84,
       {"年雨日数", "年雪日数", "年冰雹日数", "年冰针日数", "年雾日数", "年轻雾日数", "年露日数",
        "年霜日数", "年雨凇日数", "年雾凇日数", "年吹雪日数", "年龙卷日数", "年积雪日数",
        "年结冰日数", "年沙尘暴日数", "年扬沙日数", "年浮尘日数", "年烟幕日数", "年霾日数",
        "年尘卷风日数", "年雷暴日数", "年闪电日数", "年极光日数", "年大风日数", "年飑日数"},
       Times(25, "天气日数")},
      {109,
       {"年最多风向", "年最多风向频率", "年平均风速", "年最大风速", "年最大风速的风向",
        "年最大风速出现日期", "年极大风速", "年极大风速的风向", "年极大风速出现日期"},
       Cat(Times(2, "最多风向"), Times(7, "风平均/最大/极大"))},
      {118,
       {"年平均地面温度", "年平均最高地面温度", "年平均最低地面温度", "年最高地面温度",
        "年最高地面温度出现日期", "年最低地面温度", "年最低地面温度出现日期",
        "年日最低地面温度≤0.0℃日数", "年平均5cm地温", "年平均10cm地温", "年平均15cm地温",
        "年平均20cm地温", "年平均40cm地温", "年平均80cm地温", "年平均160cm地温",
        "年平均320cm地温", "年平均草面温度", "年平均最高草面温度", "年平均最低草面温度",
        "年最高草面温度", "年最高草面温度出现日期", "年最低草面温度", "年最低草面温度出现日期",
        "年日最低草面温度≤0.0℃日数", "年最大冻土深度", "年最大冻土深度出现日期"},
       Cat(Cat(Cat(Cat(Times(8, "地温"), Times(5, "5-40cm地温")), Times(3, "深层地温")),
               Times(8, "草面温度")),
           Times(2, "冻土深度"))},
  };
  return runs;
}

const char* const kSunshine[] = {"年日照时数", "年日照百分率", "年日日照时数≥60%的日数",
                                 "年日日照时数≤20%的日数"};
const char* const kQuantity[] = {"风速合计", "出现回数", "平均风速",
                                 "风向频率", "最大风速", "最大风速出现月份"};
const char* const kDirection[] = {"N",   "NNE", "NE", "ENE", "E",  "ESE", "SE",  "SSE", "S",
                                  "SSW", "SW",  "WSW", "W",  "WNW", "NW", "NNW", "C"};
const char* const kQuarter[] = {"年N-ENE", "年E-SSE", "年S-WSW", "年W-NNW"};

// Writes "R" into every yearly cell, as a component that disagrees with
// every value of the file.
Status WriteR(automation::MethodDispatch&, std::vector<automation::Value>& v, automation::Value*) {
  StringArray& my = *v[1].AsStringArray();
  StringArray& ywdf = *v[3].AsStringArray();
  for (long k = 1; k <= 150; ++k) my(13, k) = "R";
  for (long d = 1; d <= 17; ++d)
    for (long q = 1; q <= 6; ++q) ywdf(d, q) = "R";
  return Status::Ok();
}

constexpr automation::ParamEntry kParams[] = {
    {"YFilePara", automation::ParamKind::kVariantArrayRef},
    {"strMonthYearS", automation::ParamKind::kStringArrayRef},
    {"strMonthWDF", automation::ParamKind::kStringArrayRef},
    {"strYearWDF", automation::ParamKind::kStringArrayRef},
    {"result", automation::ParamKind::kVariantRef}};
constexpr automation::MethodEntry kMethods[] = {{"YearStatistic", kParams, WriteR}};
struct WritesR final : automation::MethodDispatch {
  WritesR() : MethodDispatch(kMethods) {}
};

// Sample arrays with every yearly value "S" and the first/last dates
// removed; with `groundMonths` every monthly value of items 118-143 present.
YFileArrays AllYearly(VariantArray& para, bool groundMonthsPresent) {
  ScratchDir dir("kelvane_yfile_messages");
  KelvaneY y;
  StringArray list;
  const std::string path = WriteLines(dir, "Y54511-2012.TXT", SampleYLines());
  EXPECT_TRUE(y.YfileFormCheck(SampleSystemPath(), path, para, list).ok());
  YFileArrays a;
  EXPECT_TRUE(DecodeYFile(path, para, a).ok());
  for (long k = 1; k <= 150; ++k) a.strMonthYearS(13, k) = "S";
  for (long d = 1; d <= 17; ++d)
    for (long q = 1; q <= 6; ++q) a.strYearWDF(d, q) = "S";
  for (long line = 1; line <= 9; ++line)
    for (long c = 1; c <= 4; ++c) a.strElementStartEndDate(line, c) = "";
  for (long k = 118; k <= 143; ++k)
    for (long m = 1; m <= 12; ++m)
      if (groundMonthsPresent) a.strMonthYearS(m, k) = "0001";
  return a;
}

std::vector<YRow> AuditWithR(YFileArrays& a, VariantArray& para) {
  auto& reg = automation::Registry::Instance();
  (void)reg.UnregisterClass(yearstat::kProgId);
  EXPECT_TRUE(reg.RegisterClass(yearstat::kProgId, [] { return std::make_unique<WritesR>(); }).ok());
  KelvaneY y;
  StringArray list;
  EXPECT_TRUE(y.YfileAuditing(SampleSystemPath(), para, a, list).ok());
  reg.UnregisterClass(yearstat::kProgId);
  EXPECT_TRUE(yearstat::RegisterYearStatistic().ok());
  return RowsOf(list);
}

YRow Row(const std::string& message, const std::string& element, const std::string& day,
         const std::string& level) {
  return {message, element, "", day, "", "", level};
}

TEST(YAuditMessages, EveryComparedItemAndWindCell) {
  VariantArray para = VariantArray::Vector(1, 16);
  YFileArrays a = AllYearly(para, true);
  std::vector<YRow> errors, suspicious;
  for (const ItemRun& r : Runs()) {
    ASSERT_EQ(r.names.size(), r.elements.size()) << r.first;
    for (size_t i = 0; i < r.names.size(); ++i)
      errors.push_back(Row(r.names[i] + "(S)与统计值(R)不一致", r.elements[i], "年", "错误"));
  }
  for (const char* name : kSunshine)
    suspicious.push_back(Row(std::string(name) + "(S)与统计值(R，未考虑日数据有缺测的情况)不一致",
                             "日照时数", "年", "可疑"));
  for (int d = 0; d < 17; ++d)
    for (int q = 0; q < 6; ++q)
      errors.push_back(Row(std::string(kQuantity[q]) + "(" + kDirection[d] + ")(S)与统计值(R)不一致",
                           "风的统计", d < 16 ? kQuarter[d / 4] : "年C", "错误"));
  std::vector<YRow> want = errors;
  want.insert(want.end(), suspicious.begin(), suspicious.end());
  const std::vector<YRow> got = AuditWithR(a, para);
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << "row " << i + 1;
}

// Items 118-143 with a missing month: every one in the "因月值有缺测" form at
// the suspicious level; a missing month is empty, "-" or a run of "/".
TEST(YAuditMessages, GroundItemsWithAMissingMonth) {
  VariantArray para = VariantArray::Vector(1, 16);
  YFileArrays a = AllYearly(para, true);
  const char* const missing[] = {"", "-", "////"};
  for (long k = 118; k <= 143; ++k) a.strMonthYearS(1 + k % 12, k) = missing[k % 3];
  std::vector<YRow> want;
  const ItemRun& ground = Runs().back();
  for (size_t i = 0; i < ground.names.size(); ++i)
    want.push_back(Row("因月值有缺测，" + ground.names[i] + "(S)与统计值(R)不一致",
                       ground.elements[i], "年", "可疑"));
  std::vector<YRow> got;
  for (const YRow& r : AuditWithR(a, para))
    if (r.level == "可疑" && r.element != "日照时数") got.push_back(r);
  EXPECT_EQ(got, want);
}

}  // namespace
}  // namespace kelvane::testing
