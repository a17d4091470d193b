// R-file format check: each case edits a valid sample file (54399 class 1
// without quality-control part, 54511 class 2 with it, 53772 class 3;
// March 2012 unless named) and lists every finding with its seven columns.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "rfile_test_support.h"

namespace kelvane {
namespace {

using testing::Lines;
using testing::LineOf;
using testing::SetGroup;

// 54399, March 2012: header 1, Z 2-3, Q 4 and days 5-35, N 36-67, D 68-99,
// S 100-131, R 132-163, ?????? 164, ****** 165, FM 166, cover 167-180,
// YX 181, YQ 182-183, YN 184-185, YD 186-187, YS 188-189, YR 190-191,
// YJ 192-193, CZ 194-195, BZ 196-197.
// 54511, March 2012: header 1, Z 2-3, Q 4-35, N 36-67, ?????? 68, QZ 69-70,
// QQ 71-102, QN 103-134, ****** 135, FM 136, ...
struct Case {
  const char* name;
  const char* station;
  std::function<void(Lines&)> edit;
  std::vector<std::string> expect;
  bool usable = true;
  const char* fileName = nullptr;  // default: the sample name
};

void Erase(Lines& l, int from, int to) {
  l.erase(l.begin() + (from - 1), l.begin() + to);
}

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"valid class 1", "54399", [](Lines&) {}, {}},
      {"valid class 2 with quality control", "54511", [](Lines&) {}, {}},
      {"valid class 3", "53772", [](Lines&) {}, {}},
      // Header.
      {"header station differs from the name", "54399",
       [](Lines& l) { l[0].replace(0, 5, "54398"); },
       {"文件首部参数中的区站号与文件名不一致 | 文件首部 |  |  | 参数 | 1 | 错误"}},
      {"header year and month differ", "54399",
       [](Lines& l) { l[0].replace(31, 7, "2011 04"); },
       {"文件首部参数中的年与文件名不一致 | 文件首部 |  |  | 参数 | 1 | 错误",
        "文件首部参数中的月与文件名不一致 | 文件首部 |  |  | 参数 | 1 | 错误"}},
      {"lettered station numbers compare as text", "54399",
       [](Lines& l) { l[0].replace(0, 5, "A1234"); },
       {"文件首部参数中的区站号与文件名不一致 | 文件首部 |  |  | 参数 | 1 | 错误"},
       true, "RB5678-201203.TXT"},
      {"elevation and class against the station table", "54511",
       [](Lines& l) { l[0].replace(19, 6, "000314"); },
       {"文件首部参数与台站参数表不符 | 文件首部 | 观测场高 |  |  | 1 | 错误"}},
      {"class against the station table; class 2 has no D", "54399",
       [](Lines& l) { l[0][27] = '2'; },
       {"文件首部参数与台站参数表不符 | 文件首部 | 辐射站类别 |  |  | 1 | 错误",
        "观测数据部分结束符记录格式错误 | 数据段结束 |  |  | 标识 | 68 | 错误"},
       false},
      // A header failing its pattern builds no sun table: the hour 6-7 of
      // day 1 given as "..." is not reported; the class reads as 0 (Z Q N).
      {"header with a trailing blank", "54399",
       [](Lines& l) {
         l[0] += " ";
         SetGroup(l, 5, 7, "...");
       },
       {"数据格式错误,无法对参数进行格式检查 | 文件首部 |  |  | 参数 | 1 | 错误",
        "观测数据部分结束符记录格式错误 | 数据段结束 |  |  | 标识 | 68 | 错误"},
       false},
      // Z.
      {"wrong Z identifier", "54399", [](Lines& l) { l[1] = "X"; },
       {"项目识别符不正确,无法继续审核 | 作用层 |  |  | 指示码Z | 2 | 错误"}, false},
      {"Z line without = and one value short", "54399",
       [](Lines& l) { l[2] = l[2].substr(0, l[2].size() - 3); },
       {"数据无月结束符(=) | 作用层 |  |  |  | 3 | 错误",
        "记录个数不正确 | 作用层 |  |  |  | 3 | 错误"}},
      {"Z= declares the segment empty", "54399", [](Lines& l) {
         l[1] = "Z=";
         Erase(l, 3, 3);
       }, {}},
      // Hourly segments.
      {"Q= skips the global segment", "54399", [](Lines& l) {
         l[3] = "Q=";
         Erase(l, 5, 35);
       }, {}},
      {"class 3: Q= then ??????", "53772", [](Lines& l) {
         l[1] = "Q=";
         Erase(l, 3, 33);
       }, {}},
      {"dots in a daylight hour", "54399", [](Lines& l) { SetGroup(l, 5, 7, "..."); },
       {"该时在日出日落时间(6.37-17.49)以内,记录却为“...” | 总辐射 |  | 1 | 6-7 | 5 | 错误"}},
      {"dots in a daylight hour of net radiation", "54399",
       [](Lines& l) { SetGroup(l, 37, 7, "...."); }, {}},
      {"a value before sunrise", "54399", [](Lines& l) { SetGroup(l, 5, 3, "000"); },
       {"该时在日出至日落时间(6.37-17.49)外,却有记录:000 | 总辐射 |  | 1 | 2-3 | 5 | 错误"}},
      {"group length and format", "54399",
       [](Lines& l) {
         SetGroup(l, 6, 8, "04");
         SetGroup(l, 6, 9, "0a7");
         SetGroup(l, 6, 25, "////");
         SetGroup(l, 6, 26, "///");
       },
       {"记录长度不正确 | 总辐射 |  | 2 | 7-8 | 6 | 错误",
        "其中有某一记录格式错误 | 总辐射 |  | 2 | 8-9 | 6 | 错误",
        "记录长度不正确 | 总辐射 |  | 2 |  | 6 | 错误",
        "其中有某一记录格式错误 | 总辐射 |  | 2 |  | 6 | 错误"}},
      {"a group missing", "54399",
       [](Lines& l) { l[6] = l[6].substr(0, l[6].rfind(' ')); },
       {"记录个数不正确 | 总辐射 |  | 3 |  | 7 | 错误"}},
      {"last day without =", "54399",
       [](Lines& l) { l[34].pop_back(); },
       {"月末数据无结束符(=) | 总辐射 |  | 31 |  | 35 | 错误",
        "记录长度不正确 | 总辐射 |  | 31 |  | 35 | 错误"}},
      {"= before the last day", "54399", [](Lines& l) { l[13] += "="; },
       {"记录行数不够 | 总辐射 |  | 10 |  | 14 | 错误",
        "项目识别符不正确,无法继续审核 | 净全辐射 |  |  | 指示码N | 15 | 错误"},
       false},
      {"leap February needs 29 day lines", "54399",
       [](Lines& l) {
         l = testing::SampleR("54399", 2012, 2);
         Erase(l, 33, 33);  // day 29 of the global segment: "N" is read as day 29
       },
       {"月末数据无结束符(=) | 总辐射 |  | 29 |  | 33 | 错误",
        "记录个数不正确 | 总辐射 |  | 29 |  | 33 | 错误",
        "项目识别符不正确,无法继续审核 | 净全辐射 |  |  | 指示码N | 34 | 错误"},
       false, "R54399-201202.TXT"},
      // Truncated files end with the findings so far.
      {"file cut inside the global segment", "54399", [](Lines& l) { l.resize(10); },
       {"记录非法结束 | 总辐射 |  | 7 |  | 10 | 错误"}, false},
      {"file cut inside the cover", "54399", [](Lines& l) { l.resize(170); },
       {"记录非法结束 | 封面 |  |  |  | 170 | 错误"}, false},
      {"file cut inside an instrument block", "54399", [](Lines& l) {
         l[182].pop_back();
         l.resize(183);
       },
       {"记录非法结束 | 总辐射表 |  |  |  | 183 | 错误"}, false},
      {"remarks never closed", "54399", [](Lines& l) { l[196].pop_back(); },
       {"记录非法结束 | 备注 |  |  |  | 197 | 错误"}, false},
      {"empty file", "54399", [](Lines& l) { l.clear(); },
       {"数据格式错误,无法对参数进行格式检查 | 文件首部 |  |  | 参数 | 1 | 错误",
        "记录非法结束 | 作用层 |  |  |  | 1 | 错误"},
       false},
      // Section ends.
      {"data part end", "54399", [](Lines& l) { l[163] = "?????"; },
       {"观测数据部分结束符记录格式错误 | 数据段结束 |  |  | 标识 | 164 | 错误"}, false},
      {"quality-control end", "54399", [](Lines& l) { l[164] = "*****"; },
       {"质量控制码段结束符记录格式错误 | 控制段结束 |  |  | 标识 | 165 | 错误"}, false},
      // Quality-control part (54511).
      {"QC identifiers", "54511", [](Lines& l) { l[68] = "QX"; },
       {"项目识别符不正确,无法继续审核 | 作用层 |  |  | 质控码QZ | 69 | 错误"}, false},
      {"QC QN identifier", "54511", [](Lines& l) { l[102] = "QQ"; },
       {"项目识别符不正确,无法继续审核 | 净全辐射 |  |  | 质控码QN | 103 | 错误"}, false},
      {"QZ line", "54511", [](Lines& l) { l[69] = "0 0="; },
       {"质控段记录个数不正确 | 作用层 |  |  |  | 70 | 错误"}},
      {"QC codes", "54511",
       [](Lines& l) {
         SetGroup(l, 72, 2, "00");
         SetGroup(l, 72, 3, "0a0");
       },
       {"质量控制段记录长度不正确 | 总辐射 |  | 1 |  | 72 | 错误",
        "质量控制段中有一记录格式错误 | 总辐射 |  | 1 |  | 72 | 错误"}},
      {"QC last day without =", "54511", [](Lines& l) { l[133].pop_back(); },
       {"质量控制段月末数据无结束符(=) | 净全辐射 |  | 31 |  | 134 | 错误",
        "质量控制段记录长度不正确 | 净全辐射 |  | 31 |  | 134 | 错误"}},
      // The QC reader clears the usable flag; the instruments and the
      // later sections are still checked (a remark on day 00 is found).
      {"QC segment short of a day", "54511",
       [](Lines& l) {
         l[132] += "=";
         Erase(l, 134, 134);
         l[l.size() - 1] = "00/备注=";
       },
       {"质量控制段记录行数不够 | 净全辐射 |  | 30 |  | 133 | 错误",
        "日期标识码格式错误 | 备注 |  |  |  | 160 | 错误"},
       false},
      {"QC file cut", "54511", [](Lines& l) { l.resize(80); },
       {"质量控制段记录非法结束 | 总辐射 |  | 10 |  | 80 | 错误"}, false},
      // Corrections.
      {"correction records", "54511",
       [](Lines& l) {
         l.insert(l.begin() + 134, {"3 Q 15 12 1 [123] [125]", "3 Q 15 12 1 [1]",
                                    "5 Q 15 12 1 [123] [125]", "3 Q 15 12 1 123] [125]",
                                    "8 N 01 24 3 [-016] [-015]"});
       },
       {"更正数据格式错误 | 更正数据 |  |  |  | 136 | 错误",
        "更正数据格式错误 | 更正数据 |  |  |  | 137 | 错误",
        "更正数据格式错误 | 更正数据 |  |  |  | 138 | 错误",
        "最后一更正数据后漏等于符号(=) | 更正数据 |  |  |  | 140 | 错误"}},
      {"correction block never closed", "54511",
       [](Lines& l) {
         l.resize(134);
         l.push_back("3 Q 15 12 1 [123] [125]=");
       },
       {"更正数据格式错误,无法继续审核 | 更正数据 |  |  |  | 135 | 错误"}, false},
      // Cover (54399: FM 166, lines 167..180).
      {"cover FM", "54399", [](Lines& l) { l[165] = "FN"; },
       {"数据文件格式错误,无法继续审核 | 封面 |  |  | 指示码 | 166 | 错误"}, false},
      {"cover texts", "54399",
       [](Lines& l) {
         l[166] = "5439";
         l[167] = "";
         l[168] = std::string(19, 'x');
         l[169] = std::string(22, 'x');
         l[170] = "一二三四五六七八九十一";
         l[174] = "";
         l[178] = "一二三四五六七八九";
         l[179] = "20120230=";
       },
       {"封面档案号格式错误 | 封面 |  |  |  | 167 | 错误",
        "封面省名格式错误 | 封面 |  |  |  | 168 | 错误",
        "封面台站名格式错误 | 封面 |  |  |  | 169 | 错误",
        "封面台站地址格式错误 | 封面 |  |  |  | 170 | 错误",
        "封面地理环境格式错误 | 封面 |  |  |  | 171 | 错误",
        "封面有关姓名格式错误 | 封面 |  | 输入 |  | 175 | 错误",
        "封面有关姓名格式错误 | 封面 |  | 传输 |  | 179 | 错误",
        "封面传输日期格式错误 | 封面 |  |  |  | 180 | 错误"}},
      {"cover heights against the station", "54399",
       [](Lines& l) {
         l[171] = "016 15 017";
         l[172] = "016 015";
       },
       {"封面总表高度与台站参数表不符 | 封面 |  |  |  | 172 | 可疑",
        "封面散表高度格式错误 | 封面 |  |  |  | 172 | 错误",
        "封面直表高度与台站参数表不符 | 封面 |  |  |  | 172 | 可疑",
        "封面净表高度与台站参数表不符 | 封面 |  |  |  | 173 | 可疑"}},
      {"two height groups at class 1 pass the count", "54399",
       [](Lines& l) { l[171] = "015 016"; },
       {"封面散表高度与台站参数表不符 | 封面 |  |  |  | 172 | 可疑"}},
      {"height group counts", "54511",
       [](Lines& l) {
         l[141] = "015 015 015";
         l[142] = "015 015";
       },
       {"封面总、散、直表高度格式错误 | 封面 |  |  |  | 142 | 错误",
        "封面净、反表高度格式错误 | 封面 |  |  |  | 143 | 错误"}},
      // Instruments (54399: YX 181, YQ 182, its line 183).
      {"instrument section", "54399", [](Lines& l) { l[180] = "YY"; },
       {"仪器类型性能格式错误,无法继续审核 | 仪器类型性能 |  |  | 指示码 | 181 | 错误"}, false},
      {"instrument code", "54399", [](Lines& l) { l[183] = "YD"; },
       {"净全辐射表类型格式错误,无法继续审核 | 净全辐射表 |  |  | 指示码 | 184 | 错误"}, false},
      {"instrument groups", "54399",
       [](Lines& l) {
         l[182] = "RQ-1234567890 12a4567 102 3 01100 20110230 20110229";
         l.insert(l.begin() + 183, "RQ-1 100231 1023 30 0110 20110806 20110801");
         l.insert(l.begin() + 184, "RQ-1 100231 1023 30 0110 20110806=");
       },
       {"总辐射表类型型号组位长错误 | 总辐射表 |  |  |  | 183 | 错误",
        "总辐射表类型号码组位长错误 | 总辐射表 |  |  |  | 183 | 错误",
        "总辐射表类型号码应全为数值 | 总辐射表 |  |  |  | 183 | 错误",
        "总辐射表类型灵敏度组位长错误 | 总辐射表 |  |  |  | 183 | 错误",
        "总辐射表类型响应时间组位长错误 | 总辐射表 |  |  |  | 183 | 错误",
        "总辐射表类型电阻组位长错误 | 总辐射表 |  |  |  | 183 | 错误",
        "总辐射表类型检定时间日期非法 | 总辐射表 |  |  |  | 183 | 错误",
        "总辐射表类型启用时间日期非法 | 总辐射表 |  |  |  | 183 | 错误",
        "总辐射表类型启用时间与检定时间矛盾 | 总辐射表 |  |  |  | 184 | 错误",
        "总辐射表类型数据组数错误 | 总辐射表 |  |  |  | 185 | 错误"}},
      {"net radiometer and recorder groups", "54399",
       [](Lines& l) {
         l[184] = "FN-1 113400 09a5 1012 25 0095 //////// ////////=";
         l[192] = "DR-2 ////// 2011080 20110813=";
       },
       {"净全辐射表类型灵敏度应全为数值 | 净全辐射表 |  |  |  | 185 | 错误",
        "记录器类型检定时间组位长错误 | 记录器 |  |  |  | 193 | 错误",
        "记录器类型检定时间日期非法 | 记录器 |  |  |  | 193 | 错误"}},
      {"calibration 731 days ago", "54399",
       [](Lines& l) { l[182] = "RQ-1 100231 1023 30 0110 20100301 20110813="; }, {}},
      {"calibration 732 days ago", "54399",
       [](Lines& l) { l[182] = "RQ-1 100231 1023 30 0110 20100228 20110813="; },
       {"总辐射表已超检1天 | 总辐射表 |  |  |  | 183 | "}},
      // Surroundings and remarks.
      {"surroundings", "54399",
       [](Lines& l) {
         l[194] = "03/新建房屋";
         l.insert(l.begin() + 195, "01/a/b");
         l.insert(l.begin() + 196, "=");
       },
       {"标识码格式错误 | 场地周围环境变化 |  |  |  | 195 | 错误",
        "标识码格式错误 | 场地周围环境变化 |  |  |  | 196 | 错误"}},
      {"surroundings identifier", "54399", [](Lines& l) { l[193] = "CC"; },
       {"格式错误,无法继续审核 | 场地周围环境变化 |  |  | 指示码 | 194 | 错误"}, false},
      {"remarks", "54399",
       [](Lines& l) {
         l[196] = "00/x";
         l.push_back("32/x");
         l.push_back("31/x");
         l.push_back("=");
       },
       {"日期标识码格式错误 | 备注 |  |  |  | 197 | 错误",
        "日期标识码格式错误 | 备注 |  |  |  | 198 | 错误"}},
      {"remarks identifier", "54399", [](Lines& l) { l[195] = "B"; },
       {"格式错误,无法继续审核 | 备注 |  |  | 指示码 | 196 | 错误"}, false},
  };
  return cases;
}

class RFileFormat : public ::testing::TestWithParam<size_t> {
 protected:
  static void SetUpTestSuite() { fixture_ = new testing::RFileFixture(); }
  static void TearDownTestSuite() { delete fixture_; }
  static testing::RFileFixture* fixture_;
};
testing::RFileFixture* RFileFormat::fixture_ = nullptr;

TEST_P(RFileFormat, Findings) {
  const Case& c = Cases()[GetParam()];
  SCOPED_TRACE(c.name);
  Lines lines = testing::SampleR(c.station);
  c.edit(lines);
  const std::string name =
      c.fileName ? c.fileName : std::string("R") + c.station + "-201203.TXT";
  const testing::RCheck r = fixture_->Check(lines, name);
  ASSERT_TRUE(r.status.ok()) << r.status.description();
  EXPECT_EQ(testing::Join(r.rows), testing::Join(c.expect));
  EXPECT_EQ(r.usable, c.usable);
}

INSTANTIATE_TEST_SUITE_P(Cases, RFileFormat, ::testing::Range<size_t>(0, Cases().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                           std::string n = Cases()[info.param].name;
                           for (char& ch : n)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

TEST(RFileFormatPara, HeaderValuesForTheAudit) {
  testing::RFileFixture f;
  KelvaneR k;
  VariantArray para = VariantArray::Vector(1, 12);
  StringArray list;
  const std::string path = f.Write(testing::SampleR("54399", 2012, 2), "R54399-201202.TXT");
  ASSERT_TRUE(k.RFileFormCheck(f.Sys(), path, para, list).ok());
  const std::vector<std::string> expect = {path, "2012", "02", "29",
                                           "54399 3959N 11617E 100550 Z1 0 2012 02", "True",
                                           "54399", "39.59N", "116.17E", "(55.0)", "1", "0"};
  for (long i = 1; i <= 12; ++i) EXPECT_EQ(para(i).Text(), expect[static_cast<size_t>(i - 1)]) << i;
  // A caller's parameter array too short is an error status, not a crash.
  VariantArray shortPara = VariantArray::Vector(1, 6);
  EXPECT_EQ(k.RFileFormCheck(f.Sys(), path, shortPara, list).number(), kErrSubscript);
  // A file that does not exist is an error status.
  EXPECT_EQ(k.RFileFormCheck(f.Sys(), f.dir().Path("R00000-201201.TXT"), para, list).number(),
            kErrFileNotFound);
}

}  // namespace
}  // namespace kelvane
