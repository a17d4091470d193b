// R-file format check, segment by segment: the readers of the hourly
// segments and of the quality-control segments give each finding for every
// element they read, the file ends early in every section, and the cover,
// header and instrument findings not covered elsewhere. Every case edits a
// valid sample file and lists every finding with its seven columns.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "rfile_test_support.h"

namespace kelvane {
namespace {

using testing::Lines;
using testing::SetGroup;

// 54399, March 2012 (class 1): header 1, Z 2-3, Q 4 and days 5-35, N 36-67,
// D 68-99, S 100-131, R 132-163, ?????? 164, ****** 165, FM 166, cover
// 167-180, YX 181, YQ 182-183, YN 184-185, YD 186-187, YS 188-189, YR
// 190-191, YJ 192-193, CZ 194-195, BZ 196-197. Sun of day 1: 6.37-17.49.
//
// With a quality-control part (WithQc): ?????? 164, QZ 165-166, QQ 167
// and days 168-198, QN 199-230, QD 231-262, QS 263-294, QR 295-326,
// ****** 327, FM 328.
void WithQc(Lines& l) {
  l[0][29] = '1';
  Lines qc = {"QZ", ""};
  for (int d = 1; d <= 31; ++d) qc[1] += d == 1 ? "0" : " 0";
  qc[1] += "=";
  for (const auto& [code, groups] :
       {std::pair{"QQ", 28}, {"QN", 29}, {"QD", 27}, {"QS", 28}, {"QR", 34}}) {
    qc.push_back(code);
    std::string codes;
    for (int j = 1; j <= groups; ++j) codes += j == 1 ? "000" : " 000";
    for (int d = 1; d <= 31; ++d) qc.push_back(codes + (d == 31 ? "=" : ""));
  }
  l.insert(l.begin() + 164, qc.begin(), qc.end());
}

// Day line damage at the line of day 1 of a segment (first): hour 3 of day
// 1 holds a value before sunrise, hour 7 dots in daylight; on day 2 group
// 8 is one character short and group 9 of the right width not a number; day 3 lacks its last
// group; the last day lacks its "=".
void DamageDays(Lines& l, int first, int width, bool daylight) {
  if (daylight) {
    SetGroup(l, first, 3, std::string(static_cast<size_t>(width), '0'));
    SetGroup(l, first, 7, std::string(static_cast<size_t>(width), '.'));
  }
  SetGroup(l, first + 1, 8, std::string(static_cast<size_t>(width - 1), '0'));
  SetGroup(l, first + 1, 9, std::string(static_cast<size_t>(width - 1), '0') + "a");
  std::string& third = l[static_cast<size_t>(first + 1)];
  third = third.substr(0, third.rfind(' '));
  l[static_cast<size_t>(first + 29)].pop_back();
}

// The same for a quality-control segment whose day 1 is at line first.
void DamageQcDays(Lines& l, int first) {
  SetGroup(l, first + 1, 2, "00");
  SetGroup(l, first + 1, 3, "0a0");
  std::string& third = l[static_cast<size_t>(first + 1)];
  third = third.substr(0, third.rfind(' '));
  l[static_cast<size_t>(first + 29)].pop_back();
}

struct Case {
  const char* name;
  const char* station;
  std::function<void(Lines&)> edit;
  std::vector<std::string> expect;
  bool usable = true;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"valid class 1 with quality control", "54399", WithQc, {}},
      // Header against the station table.
      {"latitude and longitude against the station", "54399",
       [](Lines& l) { l[0].replace(6, 12, "3958N 11618E"); },
       {"文件首部参数与台站参数表不符 | 文件首部 | 纬度 |  |  | 1 | 错误",
        "文件首部参数与台站参数表不符 | 文件首部 | 经度 |  |  | 1 | 错误"}},
      // Identifiers of the data part.
      {"wrong Q identifier", "54399", [](Lines& l) { l[3] = "G"; },
       {"项目识别符不正确,无法继续审核 | 总辐射 |  |  | 指示码Q | 4 | 错误"}, false},
      // Hourly segments: every reader finding for every element.
      {"damaged net days", "54399", [](Lines& l) { DamageDays(l, 37, 4, false); },
       {"记录长度不正确 | 净全辐射 |  | 2 | 7-8 | 38 | 错误",
        "其中有某一记录格式错误 | 净全辐射 |  | 2 | 8-9 | 38 | 错误",
        "记录个数不正确 | 净全辐射 |  | 3 |  | 39 | 错误",
        "月末数据无结束符(=) | 净全辐射 |  | 31 |  | 67 | 错误",
        "记录长度不正确 | 净全辐射 |  | 31 |  | 67 | 错误"}},
      {"damaged diffuse days", "54399", [](Lines& l) { DamageDays(l, 69, 3, true); },
       {"该时在日出至日落时间(6.37-17.49)外,却有记录:000 | 散射辐射 |  | 1 | 2-3 | 69 | 错误",
        "该时在日出日落时间(6.37-17.49)以内,记录却为“...” | 散射辐射 |  | 1 | 6-7 | 69 | 错误",
        "记录长度不正确 | 散射辐射 |  | 2 | 7-8 | 70 | 错误",
        "其中有某一记录格式错误 | 散射辐射 |  | 2 | 8-9 | 70 | 错误",
        "记录个数不正确 | 散射辐射 |  | 3 |  | 71 | 错误",
        "月末数据无结束符(=) | 散射辐射 |  | 31 |  | 99 | 错误",
        "记录长度不正确 | 散射辐射 |  | 31 |  | 99 | 错误"}},
      {"damaged direct days", "54399", [](Lines& l) { DamageDays(l, 101, 3, true); },
       {"该时在日出至日落时间(6.37-17.49)外,却有记录:000 | 直接辐射 |  | 1 | 2-3 | 101 | 错误",
        "该时在日出日落时间(6.37-17.49)以内,记录却为“...” | 直接辐射 |  | 1 | 6-7 | 101 | 错误",
        "记录长度不正确 | 直接辐射 |  | 2 | 7-8 | 102 | 错误",
        "其中有某一记录格式错误 | 直接辐射 |  | 2 | 8-9 | 102 | 错误",
        "记录个数不正确 | 直接辐射 |  | 3 |  | 103 | 错误",
        "月末数据无结束符(=) | 直接辐射 |  | 31 |  | 131 | 错误",
        "记录长度不正确 | 直接辐射 |  | 31 |  | 131 | 错误"}},
      // The last group of R is "////": without its last character it is
      // too short and no longer a missing value.
      {"damaged reflected days", "54399", [](Lines& l) { DamageDays(l, 133, 3, true); },
       {"该时在日出至日落时间(6.37-17.49)外,却有记录:000 | 反射辐射 |  | 1 | 2-3 | 133 | 错误",
        "该时在日出日落时间(6.37-17.49)以内,记录却为“...” | 反射辐射 |  | 1 | 6-7 | 133 | 错误",
        "记录长度不正确 | 反射辐射 |  | 2 | 7-8 | 134 | 错误",
        "其中有某一记录格式错误 | 反射辐射 |  | 2 | 8-9 | 134 | 错误",
        "记录个数不正确 | 反射辐射 |  | 3 |  | 135 | 错误",
        "月末数据无结束符(=) | 反射辐射 |  | 31 |  | 163 | 错误",
        "记录长度不正确 | 反射辐射 |  | 31 |  | 163 | 错误",
        "其中有某一记录格式错误 | 反射辐射 |  | 31 |  | 163 | 错误"}},
      // "=" on day 10: the segment ends there and day 11 is read as the
      // next identifier.
      {"net ends on day 10", "54399", [](Lines& l) { l[45] += "="; },
       {"记录行数不够 | 净全辐射 |  | 10 |  | 46 | 错误",
        "项目识别符不正确,无法继续审核 | 散射辐射 |  |  | 指示码D | 47 | 错误"},
       false},
      {"diffuse ends on day 10", "54399", [](Lines& l) { l[77] += "="; },
       {"记录行数不够 | 散射辐射 |  | 10 |  | 78 | 错误",
        "项目识别符不正确,无法继续审核 | 直接辐射 |  |  | 指示码S | 79 | 错误"},
       false},
      {"direct ends on day 10", "54399", [](Lines& l) { l[109] += "="; },
       {"记录行数不够 | 直接辐射 |  | 10 |  | 110 | 错误",
        "项目识别符不正确,无法继续审核 | 反射辐射 |  |  | 指示码R | 111 | 错误"},
       false},
      {"reflected ends on day 10", "54399", [](Lines& l) { l[141] += "="; },
       {"记录行数不够 | 反射辐射 |  | 10 |  | 142 | 错误",
        "观测数据部分结束符记录格式错误 | 数据段结束 |  |  | 标识 | 143 | 错误"},
       false},
      // The file ends in each section: "记录非法结束" on the last line read,
      // with the findings so far.
      {"cut in the net segment", "54399", [](Lines& l) { l.resize(41); },
       {"记录非法结束 | 净全辐射 |  | 6 |  | 41 | 错误"}, false},
      {"cut in the diffuse segment", "54399", [](Lines& l) { l.resize(73); },
       {"记录非法结束 | 散射辐射 |  | 6 |  | 73 | 错误"}, false},
      {"cut in the direct segment", "54399", [](Lines& l) { l.resize(105); },
       {"记录非法结束 | 直接辐射 |  | 6 |  | 105 | 错误"}, false},
      {"cut in the reflected segment", "54399", [](Lines& l) { l.resize(137); },
       {"记录非法结束 | 反射辐射 |  | 6 |  | 137 | 错误"}, false},
      {"cut before the data part end", "54399", [](Lines& l) { l.resize(163); },
       {"记录非法结束 | 数据段结束 |  |  |  | 163 | 错误"}, false},
      {"cut before the quality-control end", "54399", [](Lines& l) { l.resize(164); },
       {"记录非法结束 | 控制段结束 |  |  |  | 164 | 错误"}, false},
      {"cut before an instrument code", "54399", [](Lines& l) { l.resize(183); },
       {"记录非法结束 | 仪器类型性能 |  |  |  | 183 | 错误"}, false},
      {"cut after the recorder code", "54399", [](Lines& l) { l.resize(192); },
       {"记录非法结束 | 记录器 |  |  |  | 192 | 错误"}, false},
      {"cut after CZ", "54399", [](Lines& l) { l.resize(194); },
       {"记录非法结束 | 场地周围环境变化 |  |  |  | 194 | 错误"}, false},
      // Quality-control part of a class 1 station.
      {"QZ line without =", "54399",
       [](Lines& l) {
         WithQc(l);
         l[165].pop_back();
       },
       {"质控段数据无月结束符(=) | 作用层 |  |  |  | 166 | 错误"}},
      {"wrong QQ identifier", "54399",
       [](Lines& l) {
         WithQc(l);
         l[166] = "QG";
       },
       {"项目识别符不正确,无法继续审核 | 总辐射 |  |  | 质控码QQ | 167 | 错误"}, false},
      {"wrong QD identifier", "54399",
       [](Lines& l) {
         WithQc(l);
         l[230] = "QX";
       },
       {"项目识别符不正确,无法继续审核 | 散射辐射 |  |  | 质控码QD | 231 | 错误"}, false},
      {"wrong QS identifier", "54399",
       [](Lines& l) {
         WithQc(l);
         l[262] = "QS=";
       },
       {"项目识别符不正确,无法继续审核 | 直接辐射 |  |  | 质控码QS | 263 | 错误"}, false},
      {"wrong QR identifier", "54399",
       [](Lines& l) {
         WithQc(l);
         l[294] = "qr";
       },
       {"项目识别符不正确,无法继续审核 | 反射辐射 |  |  | 质控码QR | 295 | 错误"}, false},
      {"damaged QQ days", "54399",
       [](Lines& l) {
         WithQc(l);
         DamageQcDays(l, 168);
       },
       {"质量控制段记录长度不正确 | 总辐射 |  | 2 |  | 169 | 错误",
        "质量控制段中有一记录格式错误 | 总辐射 |  | 2 |  | 169 | 错误",
        "质量控制段记录个数不正确 | 总辐射 |  | 3 |  | 170 | 错误",
        "质量控制段月末数据无结束符(=) | 总辐射 |  | 31 |  | 198 | 错误",
        "质量控制段记录长度不正确 | 总辐射 |  | 31 |  | 198 | 错误"}},
      {"damaged QN days", "54399",
       [](Lines& l) {
         WithQc(l);
         DamageQcDays(l, 200);
       },
       {"质量控制段记录长度不正确 | 净全辐射 |  | 2 |  | 201 | 错误",
        "质量控制段中有一记录格式错误 | 净全辐射 |  | 2 |  | 201 | 错误",
        "质量控制段记录个数不正确 | 净全辐射 |  | 3 |  | 202 | 错误",
        "质量控制段月末数据无结束符(=) | 净全辐射 |  | 31 |  | 230 | 错误",
        "质量控制段记录长度不正确 | 净全辐射 |  | 31 |  | 230 | 错误"}},
      {"damaged QD days", "54399",
       [](Lines& l) {
         WithQc(l);
         DamageQcDays(l, 232);
       },
       {"质量控制段记录长度不正确 | 散射辐射 |  | 2 |  | 233 | 错误",
        "质量控制段中有一记录格式错误 | 散射辐射 |  | 2 |  | 233 | 错误",
        "质量控制段记录个数不正确 | 散射辐射 |  | 3 |  | 234 | 错误",
        "质量控制段月末数据无结束符(=) | 散射辐射 |  | 31 |  | 262 | 错误",
        "质量控制段记录长度不正确 | 散射辐射 |  | 31 |  | 262 | 错误"}},
      {"damaged QS days", "54399",
       [](Lines& l) {
         WithQc(l);
         DamageQcDays(l, 264);
       },
       {"质量控制段记录长度不正确 | 直接辐射 |  | 2 |  | 265 | 错误",
        "质量控制段中有一记录格式错误 | 直接辐射 |  | 2 |  | 265 | 错误",
        "质量控制段记录个数不正确 | 直接辐射 |  | 3 |  | 266 | 错误",
        "质量控制段月末数据无结束符(=) | 直接辐射 |  | 31 |  | 294 | 错误",
        "质量控制段记录长度不正确 | 直接辐射 |  | 31 |  | 294 | 错误"}},
      {"damaged QR days", "54399",
       [](Lines& l) {
         WithQc(l);
         DamageQcDays(l, 296);
       },
       {"质量控制段记录长度不正确 | 反射辐射 |  | 2 |  | 297 | 错误",
        "质量控制段中有一记录格式错误 | 反射辐射 |  | 2 |  | 297 | 错误",
        "质量控制段记录个数不正确 | 反射辐射 |  | 3 |  | 298 | 错误",
        "质量控制段月末数据无结束符(=) | 反射辐射 |  | 31 |  | 326 | 错误",
        "质量控制段记录长度不正确 | 反射辐射 |  | 31 |  | 326 | 错误"}},
      // "=" before the last day: day 11 is read as the next identifier.
      {"QQ ends on day 10", "54399",
       [](Lines& l) {
         WithQc(l);
         l[176] += "=";
       },
       {"质量控制段记录行数不够 | 总辐射 |  | 10 |  | 177 | 错误",
        "项目识别符不正确,无法继续审核 | 净全辐射 |  |  | 质控码QN | 178 | 错误"},
       false},
      {"QD ends on day 10", "54399",
       [](Lines& l) {
         WithQc(l);
         l[240] += "=";
       },
       {"质量控制段记录行数不够 | 散射辐射 |  | 10 |  | 241 | 错误",
        "项目识别符不正确,无法继续审核 | 直接辐射 |  |  | 质控码QS | 242 | 错误"},
       false},
      {"QS ends on day 10", "54399",
       [](Lines& l) {
         WithQc(l);
         l[272] += "=";
       },
       {"质量控制段记录行数不够 | 直接辐射 |  | 10 |  | 273 | 错误",
        "项目识别符不正确,无法继续审核 | 反射辐射 |  |  | 质控码QR | 274 | 错误"},
       false},
      // QR ends on day 30: day 31 is read as a correction record.
      {"QR ends on day 30", "54399",
       [](Lines& l) {
         WithQc(l);
         l[324] += "=";
       },
       {"质量控制段记录行数不够 | 反射辐射 |  | 30 |  | 325 | 错误",
        "更正数据格式错误 | 更正数据 |  |  |  | 326 | 错误",
        "更正数据格式错误 | 更正数据 |  |  |  | 326 | 错误"},
       false},
      {"cut in QN", "54399",
       [](Lines& l) {
         WithQc(l);
         l.resize(204);
       },
       {"质量控制段记录非法结束 | 净全辐射 |  | 6 |  | 204 | 错误"}, false},
      {"cut in QD", "54399",
       [](Lines& l) {
         WithQc(l);
         l.resize(236);
       },
       {"质量控制段记录非法结束 | 散射辐射 |  | 6 |  | 236 | 错误"}, false},
      {"cut in QS", "54399",
       [](Lines& l) {
         WithQc(l);
         l.resize(268);
       },
       {"质量控制段记录非法结束 | 直接辐射 |  | 6 |  | 268 | 错误"}, false},
      {"cut in QR", "54399",
       [](Lines& l) {
         WithQc(l);
         l.resize(300);
       },
       {"质量控制段记录非法结束 | 反射辐射 |  | 6 |  | 300 | 错误"}, false},
      // Cover.
      {"height groups of the wrong width", "54399",
       [](Lines& l) {
         l[171] = "15 015 15";
         l[172] = "15 15";
       },
       {"封面总表高度格式错误 | 封面 |  |  |  | 172 | 错误",
        "封面直表高度格式错误 | 封面 |  |  |  | 172 | 错误",
        "封面净表高度格式错误 | 封面 |  |  |  | 173 | 错误",
        "封面反表高度格式错误 | 封面 |  |  |  | 173 | 错误"}},
      {"reflected height against the station", "54399", [](Lines& l) { l[172] = "015 020"; },
       {"封面反表高度与台站参数表不符 | 封面 |  |  |  | 173 | 可疑"}},
      {"names of every role", "54399",
       [](Lines& l) {
         l[173] = "";
         l[175] = "一二三四五六七八九";
         l[176] = "";
         l[177] = "abcdefghi";
       },
       {"封面有关姓名格式错误 | 封面 |  | 台站长 |  | 174 | 错误",
        "封面有关姓名格式错误 | 封面 |  | 校对 |  | 176 | 错误",
        "封面有关姓名格式错误 | 封面 |  | 预审 |  | 177 | 错误",
        "封面有关姓名格式错误 | 封面 |  | 审核 |  | 178 | 错误"}},
      // Instrument codes of every kind.
      {"global radiometer code", "54399", [](Lines& l) { l[181] = "YN"; },
       {"总辐射表类型格式错误,无法继续审核 | 总辐射表 |  |  | 指示码 | 182 | 错误"}, false},
      {"diffuse radiometer code", "54399", [](Lines& l) { l[185] = "YS"; },
       {"散射辐射表类型格式错误,无法继续审核 | 散射辐射表 |  |  | 指示码 | 186 | 错误"}, false},
      {"direct radiometer code", "54399", [](Lines& l) { l[187] = "Y S"; },
       {"直接辐射表类型格式错误,无法继续审核 | 直接辐射表 |  |  | 指示码 | 188 | 错误"}, false},
      {"reflected radiometer code", "54399", [](Lines& l) { l[189] = "YR="; },
       {"反射辐射表类型格式错误,无法继续审核 | 反射辐射表 |  |  | 指示码 | 190 | 错误"}, false},
      {"recorder code", "54399", [](Lines& l) { l[191] = "YX"; },
       {"记录器类型格式错误,无法继续审核 | 记录器 |  |  | 指示码 | 192 | 错误"}, false},
      {"response time, resistance and start date", "54399",
       [](Lines& l) { l[186] = "RD-1 103270 1023 3a 01a0 20110306 2011031="; },
       {"散射辐射表类型响应时间应全为数值 | 散射辐射表 |  |  |  | 187 | 错误",
        "散射辐射表类型电阻应全为数值 | 散射辐射表 |  |  |  | 187 | 错误",
        "散射辐射表类型启用时间组位长错误 | 散射辐射表 |  |  |  | 187 | 错误",
        "散射辐射表类型启用时间日期非法 | 散射辐射表 |  |  |  | 187 | 错误"}},
      // The recorder is never overdue; a reflected radiometer is.
      // A remark line "=" alone closes the remarks unchecked, as in the
      // surroundings.
      {"remarks closed by = alone", "54399",
       [](Lines& l) {
         l[196].pop_back();
         l.push_back("=");
       },
       {}},
      {"overdue radiometer, recorder never", "54399",
       [](Lines& l) {
         l[190] = "RR-1 117452 1023 30 0110 20090306 20090313=";
         l[192] = "DR-2 109348 20090306 20090313=";
       },
       {"反射辐射表已超检360天 | 反射辐射表 |  |  |  | 191 | "}},
  };
  return cases;
}

class RFileFormatSegments : public ::testing::TestWithParam<size_t> {
 protected:
  static void SetUpTestSuite() { fixture_ = new testing::RFileFixture(); }
  static void TearDownTestSuite() { delete fixture_; }
  static testing::RFileFixture* fixture_;
};
testing::RFileFixture* RFileFormatSegments::fixture_ = nullptr;

TEST_P(RFileFormatSegments, Findings) {
  const Case& c = Cases()[GetParam()];
  SCOPED_TRACE(c.name);
  Lines lines = testing::SampleR(c.station);
  c.edit(lines);
  const testing::RCheck r =
      fixture_->Check(lines, std::string("R") + c.station + "-201203.TXT");
  ASSERT_TRUE(r.status.ok()) << r.status.description();
  EXPECT_EQ(testing::Join(r.rows), testing::Join(c.expect));
  EXPECT_EQ(r.usable, c.usable);
}

INSTANTIATE_TEST_SUITE_P(Cases, RFileFormatSegments, ::testing::Range<size_t>(0, Cases().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                           std::string n = Cases()[info.param].name;
                           for (char& ch : n)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

}  // namespace
}  // namespace kelvane
