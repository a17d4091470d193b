// The A-file format check on built files: a well-formed file has no
// findings; each case injects one fault and lists the findings it must
// produce (message, element, related item, day, time/item, line), in order.
#include <gtest/gtest.h>

#include <functional>

#include "afile_test_run.h"

namespace kelvane::testing {
namespace {

using Mutate = std::function<void(BuiltFile&)>;
using Expect = std::function<std::vector<Row>(const BuiltFile&)>;

struct Case {
  const char* name;
  AFileRecipe (*recipe)();
  std::function<void(AFileRecipe&)> adjust;  // header flags, mode codes
  Mutate mutate;
  Expect expect;
  bool usable = true;
};

Row E(std::string message, std::string element, std::string day, std::string time, long line,
      std::string related = "") {
  return {std::move(message), std::move(element), std::move(related), std::move(day),
          std::move(time), line};
}

void Erase(BuiltFile& f, size_t from, size_t count) {
  f.lines.erase(f.lines.begin() + static_cast<long>(from),
                f.lines.begin() + static_cast<long>(from + count));
}

// Replaces a whole block (one line per day, `perDay` lines) by one line.
void ReplaceBlock(BuiltFile& f, const std::string& mark, int perDay, const std::string& line) {
  const size_t at = f.marks.at(mark);
  Erase(f, at, static_cast<size_t>(f.days * perDay));
  f.lines.insert(f.lines.begin() + static_cast<long>(at), line);
  for (auto& [k, v] : f.marks)
    if (v > at) v -= static_cast<size_t>(f.days * perDay - 1);
}

void Truncate(BuiltFile& f, size_t keep) { f.lines.resize(keep); }

const Case kCases[] = {
    // ---------------------------------------------------------------- header
    {"HeaderWithTrailingBlankFailsPatternOnly", ManualStation, nullptr,
     [](BuiltFile& f) { f.lines[0] += " "; },
     [](const BuiltFile&) {
       return std::vector<Row>{E("数据格式错误,无法对参数进行格式检查", "文件首部", "", "参数", 1)};
     },
     false},
    {"ShortHeaderSkipsModeRulesAndFindsNoQualityControlByMarker", ManualStation, nullptr,
     [](BuiltFile& f) { f.lines[0] = "53772 3747N"; },
     [](const BuiltFile&) {
       return std::vector<Row>{E("数据格式错误,无法对参数进行格式检查", "文件首部", "", "参数", 1)};
     },
     false},
    {"FailedHeaderModeRulesReadRawFlagPositions", ManualStation, nullptr,
     [](BuiltFile& f) {
       f.lines[0][45] = '9';  // P flag: not observed, but P3 follows
       f.lines[0][0] = 'a';   // lower-case station letter fails the pattern
     },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("数据格式错误,无法对参数进行格式检查", "文件首部", "", "参数", 1),
           E("文件首部参数与气压方式位不符", "本站气压", "", "指示码P", f.Line("P"))};
     },
     false},
    {"HeaderStationYearMonthDifferFromName", ManualStation, nullptr,
     [](BuiltFile& f) {
       f.lines[0].replace(0, 5, "53779");
       f.lines[0].replace(68, 4, "2011");
       f.lines[0].replace(73, 2, "04");
     },
     [](const BuiltFile&) {
       return std::vector<Row>{
           E("文件首部参数中的区站号与文件名不一致", "文件首部", "", "参数", 1),
           E("文件首部参数中的年与文件名不一致", "文件首部", "", "参数", 1),
           E("文件首部参数中的月与文件名不一致", "文件首部", "", "参数", 1)};
     }},
    {"HeaderLatitudeDiffersFromStationTable", ManualStation, nullptr,
     [](BuiltFile& f) { f.lines[0].replace(6, 5, "3748N"); },
     [](const BuiltFile&) {
       return std::vector<Row>{
           E("文件首部参数与台站参数表不符", "文件首部", "", "", 1, "纬度")};
     }},

    // ------------------------------------------------------ segment framing
    {"WrongIndicatorLetterStops", ManualStation, nullptr,
     [](BuiltFile& f) { f.At("T") = "X0"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("文件格式错误,无法继续审核", "气温", "", "指示码T", f.Line("T"))};
     },
     false},
    {"UnknownModeCodeStops", ManualStation, nullptr, [](BuiltFile& f) { f.At("P") = "P5"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("文件格式错误,无法继续审核", "本站气压", "", "指示码P", f.Line("P"))};
     },
     false},
    {"UnknownPrecipitationCodeStopsWithDataFileMessage", ManualStation, nullptr,
     [](BuiltFile& f) { f.At("R") = "R5"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("数据文件格式错误,无法继续审核", "定时降水量", "", "指示码R", f.Line("R"))};
     },
     false},
    {"UnknownCodeEndingInEqualsHasNoData", ManualStation,
     [](AFileRecipe& s) { s.codes['I'] = "5="; }, nullptr,
     [](const BuiltFile&) { return std::vector<Row>{}; }},
    {"UnknownWindCodeStopsWithWindRule", ManualStation, nullptr,
     [](BuiltFile& f) { f.At("F") = "FX"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("文件首部参数与定时风方式位不符", "定时风", "", "指示码F", f.Line("F"))};
     },
     false},
    {"PressureAbsentWithNotObservedFlagIsFine", ManualStation,
     [](AFileRecipe& s) {
       s.station = "59991";
       s.codes['P'] = "=";
       s.flags[0] = '9';
     },
     nullptr, [](const BuiltFile&) { return std::vector<Row>{}; }},

    // ------------------------------------------------------------ daily blocks
    {"DailyRecordCount", ManualStation, nullptr,
     [](BuiltFile& f) { f.At("P.1", 4) = "0000 0000 0000 0000 0000"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("记录个数不正确", "本站气压", "5", "", f.Line("P.1", 4))};
     }},
    {"DailyRecordWidth", ManualStation, nullptr,
     [](BuiltFile& f) { f.At("P.2", 0) = "0000 000 0000 0000"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("记录长度不正确", "海平面气压", "1", "", f.Line("P.2"))};
     }},
    {"DailyRecordEndingInMinus", ManualStation, nullptr,
     [](BuiltFile& f) { f.At("T.1", 1) = "0000 0000 012- 0000 0000 0000"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("其中有某一记录格式错误", "气温", "2", "", f.Line("T.1", 1))};
     }},
    {"DailyMonthEndMissingDropsLastCharacter", ManualStation, nullptr,
     [](BuiltFile& f) { f.At("E.1", 30).pop_back(); },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("月末数据无结束符(=)", "水汽压", "31", "", f.Line("E.1", 30)),
                               E("记录长度不正确", "水汽压", "31", "", f.Line("E.1", 30))};
     }},
    {"DailyMonthEndsEarlyStops", ManualStation, nullptr,
     [](BuiltFile& f) { f.At("U.1", 26) += "="; },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("记录行数不够", "相对湿度", "27", "", f.Line("U.1", 26))};
     },
     false},
    {"DailyBlockCutByEndOfFileStops", ManualStation, nullptr,
     [](BuiltFile& f) { Truncate(f, f.marks.at("T.1") + 10); },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("记录非法结束", "气温", "11", "", f.Line("T.1", 9))};
     },
     false},
    {"AbsentDailyBlockIsFine", ManualStation, nullptr,
     [](BuiltFile& f) { ReplaceBlock(f, "P.2", 1, "0="); },
     [](const BuiltFile&) { return std::vector<Row>{}; }},

    // ----------------------------------------------------------- hourly blocks
    {"HourlyDayEndMissingDropsLastCharacter", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) { f.At("T.1", 5).pop_back(); },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("日末数据无结束符(.)", "气温", "3", "", f.Line("T.1", 5)),
                               E("记录长度不正确", "气温", "3", "", f.Line("T.1", 5))};
     }},
    {"HourlyMonthEndMissingDropsLastCharacter", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) { f.At("T.1", 61).pop_back(); },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("月末数据无结束符(=)", "气温", "31", "", f.Line("T.1", 61)),
                               E("记录长度不正确", "气温", "31", "", f.Line("T.1", 61))};
     }},
    {"HourlyFirstLineEndingMonthStops", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) { f.At("U.1", 4) += "="; },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("记录行数不够", "相对湿度", "3", "", f.Line("U.1", 4))};
     },
     false},
    {"HourlyVisibilityWidthFollowsFlag", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) { f.At("V.1", 0).replace(0, 5, "000"); },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("记录长度不正确", "能见度", "1", "", f.Line("V.1"))};
     }},
    {"HourlyHumidityRecord14IsFourWide", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) {
       std::string& l = f.At("U.1", 1);  // 12 values, min, time
       l = l.substr(0, l.size() - 2) + ".";  // time 4 -> 3 characters
     },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("记录长度不正确", "相对湿度", "1", "", f.Line("U.1", 1))};
     }},
    {"HourlyWindDayEndMissing", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) { f.At("F.2", 7).pop_back(); },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("日末数据无结束符(.)", "十分钟风", "2", "", f.Line("F.2", 7)),
                               E("记录长度不正确", "十分钟风", "2", "", f.Line("F.2", 7))};
     }},

    // ------------------------------------------------------------ cloud blocks
    {"CloudLineWithoutFinalComma", ManualStation, nullptr,
     [](BuiltFile& f) { f.At("C.1", 3) = "Ci,,Ci,Sc"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("时次记录结束后无结束符", "云状", "", "4", f.Line("C.1", 3))};
     }},
    {"CloudRecordCountAndLength", ManualStation, nullptr,
     [](BuiltFile& f) { f.At("C.1", 5) = "Cicucs,,Ci,"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("记录个数不正确", "云状", "", "6", f.Line("C.1", 5)),
                               E("记录长度不正确", "云状", "", "6", f.Line("C.1", 5))};
     }},
    {"CloudFourLineDayEndMissing", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) { f.At("H.1", 3).pop_back(); },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("日末数据无结束符(.)", "实测云高", "", "1", f.Line("H.1", 3)),
           E("记录个数不正确", "实测云高", "", "1", f.Line("H.1", 3))};
     }},
    {"CloudMonthEndMissing", ManualStation, nullptr, [](BuiltFile& f) { f.At("C.1", 30).pop_back(); },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("月末数据无结束符(=)", "云状", "", "31", f.Line("C.1", 30))};
     }},

    // ---------------------------------------------------------- weather lines
    {"WeatherDayEndMark", ManualStation, nullptr, [](BuiltFile& f) { f.At("W.1", 2) = "60"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("日结束符不正确", "天气现象", "3", "", f.Line("W.1", 2))};
     }},
    {"WeatherMonthEndingEarlyEndsSegmentOnly", ManualStation, nullptr,
     [](BuiltFile& f) {
       f.At("W.1", 9) = "60=";
       Erase(f, f.marks.at("W.1") + 10, 21);
     },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("记录行数不够", "天气现象", "10", "", f.Line("W.1", 9))};
     }},
    {"WeatherCutByEndOfFileStops", ManualStation, nullptr,
     [](BuiltFile& f) { Truncate(f, f.marks.at("W.1") + 3); },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("数据文件格式错误,无法继续审核", "天气现象", "", "指示码W", f.Line("W.1", 2))};
     },
     false},

    // ------------------------------- single-line parsers with trailing blanks
    {"MaxWindRecordCount", ManualStation, nullptr,
     [](BuiltFile& f) { f.At("F.3", 1) = "000000 0000 000000"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("记录个数不正确 ", "最大极大风", "", "2", f.Line("F.3", 1))};
     }},
    {"WireIcingRecordWidth", ManualStation, nullptr,
     [](BuiltFile& f) { f.At("G.1", 2) = "000 000 0000 000 000 00000"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("记录长度不正确 ", "电线积冰", "", "3", f.Line("G.1", 2))};
     }},
    {"WireIcingMonthEndsEarlyStops", ManualStation, nullptr,
     [](BuiltFile& f) { f.At("G.1", 4) += "="; },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("记录行数不够 ", "电线积冰", "", "5", f.Line("G.1", 4))};
     },
     false},
    {"WireIcingCutByEndOfFileStops", ManualStation, nullptr,
     [](BuiltFile& f) { Truncate(f, f.marks.at("G.1") + 2); },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("记录非法结束 ", "电线积冰", "", "3", f.Line("G.1", 1))};
     },
     false},
    {"SunshineMonthEndMissing", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) { f.At("S.1", 30).pop_back(); },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("月末数据无结束符(=) ", "日照时数", "", "31", f.Line("S.1", 30)),
                               E("记录长度不正确 ", "日照时数", "", "31", f.Line("S.1", 30))};
     }},
    {"DeepGroundRecordFormAndMarks", ManualStation,
     [](AFileRecipe& s) {
       s.station = "59991";
       s.codes['K'] = "0";
       s.flags[16] = '0';
     },
     [](BuiltFile& f) {
       f.At("K.1", 0) = "0000 0000 0000 ;";
       f.At("K.1", 1) = "0000 12a4 0000 .";
     },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("其中有某一记录格式错误 ", "深层地温", "", "2", f.Line("K.1", 1))};
     }},
    {"CrossMonthLineForm", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) { f.At("R.3") = "0000 01/03/2012 0000="; },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("记录格式不正确", "跨月降水量", "", "", f.Line("R.3"))};
     }},
    {"CrossMonthLineCutByEndOfFileStops", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) { Truncate(f, f.marks.at("R.3")); },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("记录非法结束 ", "跨月降水量", "", "", f.Line("R.3", -1))};
     },
     false},

    // ------------------------------------------------------- markers, QC
    {"DataEndMarker", ManualStation, nullptr, [](BuiltFile& f) { f.At("??????") = "?????"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("观测数据部分结束符记录格式错误", "数据段结束", "", "标识", f.Line("??????"))};
     },
     false},
    {"DataEndMarkerCutByEndOfFile", ManualStation, nullptr,
     [](BuiltFile& f) { Truncate(f, f.marks.at("??????")); },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("观测数据部分结束符记录格式错误", "数据段结束", "", "标识", f.Line("??????", -1))};
     },
     false},
    {"ControlEndMarkerWithoutQualityControl", ManualStation, nullptr,
     [](BuiltFile& f) { f.At("******") = "*****"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("质量控制码段结束符记录格式错误", "控制段结束", "", "标识", f.Line("******"))};
     },
     false},
    {"QualityControlIndicatorStops", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) { f.At("QT") = "XTB"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("文件格式错误,无法继续审核", "气温", "", "质控码QT", f.Line("QT"))};
     },
     false},
    {"QualityControlCodeDiffersBlocksFollowDataCode", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) { f.At("QT") = "QTA"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("与观测数据段方式位不一致", "气温", "", "质控码QT", f.Line("QT"))};
     }},
    {"QualityControlRecords", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) {
       std::string& l = f.At("QE.1", 1);
       l = "00 0a0" + l.substr(7);  // 24 codes: one 2 wide, one not numeric
       f.At("QE.1", 2).erase(0, 4);
     },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("质量控制段记录长度不正确", "水汽压", "2", "", f.Line("QE.1", 1)),
           E("质量控制段中有一记录格式错误", "水汽压", "2", "", f.Line("QE.1", 1)),
           E("质量控制段记录个数不正确", "水汽压", "3", "", f.Line("QE.1", 2))};
     }},
    {"QualityControlMonthEndMissing", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) { f.At("QE.1", 30).pop_back(); },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("质量控制段月末数据无结束符(=)", "水汽压", "31", "", f.Line("QE.1", 30))};
     }},
    {"QualityControlEndsEarly", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) {
       f.At("QE.1", 9) += "=";
       Erase(f, f.marks.at("QE.1") + 10, 21);
     },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("质量控制段记录行数不够", "水汽压", "10", "", f.Line("QE.1", 9))};
     }},
    {"QualityControlAbsentWhereDataPresent", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) { ReplaceBlock(f, "QE.1", 1, "="); },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("质量控制段与观测数据部分不对应", "水汽压", "1", "", f.Line("QE.1")),
           E("质量控制段记录行数不够", "水汽压", "1", "", f.Line("QE.1"))};
     }},
    {"QualityControlOfAbsentBlockIsSingleEquals", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) {
       ReplaceBlock(f, "QP.2", 1, "=");
       ReplaceBlock(f, "P.2", 2, "=");
     },
     [](const BuiltFile&) { return std::vector<Row>{}; }},
    {"QualityControlCodesForAbsentBlock", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) { ReplaceBlock(f, "P.2", 2, "="); },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("质量控制段与观测数据部分不对应", "海平面气压", "1", "", f.Line("QP.2"))};
     }},
    {"QualityControlCutByEndOfFileStops", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) { Truncate(f, f.marks.at("QE.1") + 4); },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("质量控制段记录非法结束", "水汽压", "5", "", f.Line("QE.1", 3))};
     },
     false},

    // ------------------------------------------------------------ corrections
    {"Corrections", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) {
       f.At("corrections") = "3 P 1 01 02 1 [1000] [1001]";
       const size_t at = f.marks.at("corrections") + 1;
       f.lines.insert(f.lines.begin() + static_cast<long>(at),
                      {"3 R 3 // 01 1 [0000 01/02/2012 00000] [0000 02/02/2012 00000]",
                       "9 P 1 01 02 1 [1000] [1001]", "3 T 1 01 02 1 1000] [1001]", "short"});
       f.marks["******"] += 4;
     },
     [](const BuiltFile& f) {
       const long c = f.Line("corrections");
       return std::vector<Row>{E("更正数据格式错误", "更正数据", "", "", c + 2),
                               E("更正数据格式错误", "更正数据", "", "", c + 3),
                               E("更正数据格式错误", "更正数据", "", "", c + 4),
                               E("最后一更正数据后漏等于符号(=)", "更正数据", "", "", c + 5)};
     }},
    {"CorrectionsCutByEndOfFileStop", AutomaticReferenceStation, nullptr,
     [](BuiltFile& f) { Truncate(f, f.marks.at("corrections") + 1); },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("数据文件格式错误,无法继续审核", "更正数据", "", "", f.Line("corrections"))};
     },
     false},

    // ------------------------------------------------------------------ cover
    {"CoverIndicatorStops", ManualStation, nullptr, [](BuiltFile& f) { f.At("YF") = "YX"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("数据文件格式错误,无法继续审核", "封面", "", "指示码", f.Line("YF"))};
     },
     false},
    {"CoverLines", ManualStation, nullptr,
     [](BuiltFile& f) {
       f.At("YF", 1) = "1234";
       f.At("YF", 2) = "一二三四五六七八九十一";
       f.At("YF", 3) = "";
       f.At("YF", 4) = std::string(22, 'x');
       f.At("YF", 5) = "一二三四五六七八九十一";
       f.At("YF", 6) = "";
       f.At("YF", 11) = "一二三四五六七八九";
       f.At("YF", 12) = "2012-04-05=";
     },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("封面档案号格式错误", "封面", "", "", f.Line("YF", 1)),
                               E("封面省名格式错误", "封面", "", "", f.Line("YF", 2)),
                               E("封面台站名格式错误", "封面", "", "", f.Line("YF", 3)),
                               E("封面台站地址格式错误", "封面", "", "", f.Line("YF", 4)),
                               E("封面地理环境格式错误", "封面", "", "", f.Line("YF", 5)),
                               E("封面有关姓名格式错误", "封面", "台站长", "", f.Line("YF", 6)),
                               E("封面有关姓名格式错误", "封面", "传输", "", f.Line("YF", 11)),
                               E("封面传输日期格式错误", "封面", "", "", f.Line("YF", 12))};
     }},
    {"CoverDateWithoutEndMark", ManualStation, nullptr,
     [](BuiltFile& f) { f.At("YF", 12) = "2012/04/05"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("封面传输日期格式错误", "封面", "", "", f.Line("YF", 12))};
     }},
    {"CoverCutByEndOfFileStops", ManualStation, nullptr,
     [](BuiltFile& f) { Truncate(f, f.marks.at("YF") + 5); },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("数据文件格式错误,无法继续审核", "封面", "", "指示码", f.Line("YF", 4))};
     },
     false},

    // --------------------------------------------------------------- summary
    {"Summary", ManualStation, nullptr,
     [](BuiltFile& f) {
       f.At("JY", 1) = "10/05/大风";
       const size_t at = f.marks.at("JY") + 2;
       f.lines.insert(f.lines.begin() + static_cast<long>(at),
                      {"01/32/大风", "01/05-03/大风", "01/05/", "01-05", "02/03-05/冰雹="});
       for (const char* m : {"GK", "BZ", "######"}) f.marks[m] += 5;
     },
     [](const BuiltFile& f) {
       const long j = f.Line("JY");
       return std::vector<Row>{E("纪要项目标识码格式错误", "纪要", "", "", j + 1),
                               E("纪要项目日期格式错误", "纪要", "", "", j + 2),
                               E("纪要项目日期格式错误", "纪要", "", "", j + 3),
                               E("纪要内容不能为空", "纪要", "", "", j + 4),
                               E("纪要数据格式错误", "纪要", "", "", j + 5)};
     }},
    {"SummaryIndicatorStops", ManualStation, nullptr, [](BuiltFile& f) { f.At("JY") = "JX"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("数据文件格式错误,无法继续审核", "纪要", "", "指示码", f.Line("JY"))};
     },
     false},
    {"SummaryCutByEndOfFileStops", ManualStation, nullptr,
     [](BuiltFile& f) {
       f.At("JY", 1) = "01/05/大风";
       Truncate(f, f.marks.at("JY") + 2);
     },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("数据文件格式错误,无法继续审核", "纪要", "", "", f.Line("JY", 1))};
     },
     false},

    // ------------------------------------------------------- climate outline
    {"Outline", ManualStation, nullptr,
     [](BuiltFile& f) {
       f.At("GK", 1) = "06/特点";
       f.At("GK", 2) = "01/";
       f.lines.insert(f.lines.begin() + static_cast<long>(f.marks.at("GK") + 3), "01/x/y=");
       for (const char* m : {"BZ", "######"}) f.marks[m] += 1;
     },
     [](const BuiltFile& f) {
       const long g = f.Line("GK");
       return std::vector<Row>{
           E("气候概况项目标识码格式错误", "气候概况", "", "", g + 1),
           E("气候概况内容不能为空", "气候概况", "", "", g + 2),
           E("气候概况数据格式错误", "气候概况", "", "", g + 3),
           E("漏输主要天气气候特点或(和)天气气候综合评价", "备注", "", "", g + 3)};
     }},
    {"OutlineIndicatorStops", ManualStation, nullptr, [](BuiltFile& f) { f.At("GK") = "GX"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("数据文件格式错误,无法继续审核", "气候概况", "", "指示码", f.Line("GK"))};
     },
     false},

    // --------------------------------------------------------------- remarks
    {"Remarks", ManualStation, nullptr,
     [](BuiltFile& f) {
       const size_t at = f.marks.at("BZ") + 1;
       f.lines.insert(f.lines.begin() + static_cast<long>(at),
                      {"13/05/x/y/z", "01/40/x", "01/05/", "05/01/2/3/4/5", "10/b"});
       f.marks["######"] += 5;
     },
     [](const BuiltFile& f) {
       const long b = f.Line("BZ");
       return std::vector<Row>{E("备注项目标识码格式错误", "备注", "", "", b + 1),
                               E("备注项目日期格式错误", "备注", "", "", b + 2),
                               E("备注内容不能为空", "备注", "", "", b + 3),
                               E("备注数据格式错误", "备注", "", "", b + 4),
                               E("备注数据格式错误", "备注", "", "", b + 5)};
     }},
    {"RemarkWithWrongSlashesStillClosesBlock", ManualStation, nullptr,
     [](BuiltFile& f) { f.At("BZ", 2) = "11/全月守班/x="; },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("备注数据格式错误", "备注", "", "", f.Line("BZ", 2)),
                               E("漏输观测时间或(和)守班情况", "备注", "", "", f.Line("BZ", 2))};
     }},
    {"RemarksIndicatorStops", ManualStation, nullptr, [](BuiltFile& f) { f.At("BZ") = "BX"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("数据文件格式错误,无法继续审核", "备注", "", "指示码", f.Line("BZ"))};
     },
     false},
    {"RemarksCutByEndOfFileStops", ManualStation, nullptr,
     [](BuiltFile& f) { Truncate(f, f.marks.at("BZ") + 2); },
     [](const BuiltFile& f) {
       return std::vector<Row>{
           E("数据文件格式错误,无法继续审核", "备注", "", "", f.Line("BZ", 1))};
     },
     false},

    // -------------------------------------------------------------- file end
    {"FileEndMarker", ManualStation, nullptr, [](BuiltFile& f) { f.At("######") = "#####"; },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("数据文件结束标志错误", "文件结束", "", "", f.Line("######"))};
     }},
    {"FileEndFollowedByEmptyLine", ManualStation, nullptr,
     [](BuiltFile& f) { f.lines.push_back(""); },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("数据文件尾部有多余记录", "文件结束", "", "", f.Line("######"))};
     }},
    {"FileEndMissingStops", ManualStation, nullptr,
     [](BuiltFile& f) { f.lines.pop_back(); },
     [](const BuiltFile& f) {
       return std::vector<Row>{E("数据文件结束标志错误", "文件结束", "", "", f.Line("######", -1))};
     },
     false},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class AFileFormatCase : public ::testing::TestWithParam<Case> {};

TEST_P(AFileFormatCase, Findings) {
  const Case& c = GetParam();
  AFileRecipe recipe = c.recipe();
  if (c.adjust) c.adjust(recipe);
  BuiltFile f = BuildAFile(recipe);
  if (c.mutate) c.mutate(f);
  AFileDir dir;
  const std::string path = dir.Path(DefaultName(recipe));
  f.Write(path);
  CheckResult r = RunCheck(path, AFileDir::SysPath());
  ASSERT_TRUE(r.status.ok()) << r.status.description();
  EXPECT_EQ(r.rows, c.expect(f));
  EXPECT_EQ(r.usable(), c.usable);
}

INSTANTIATE_TEST_SUITE_P(AFileFormat, AFileFormatCase, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& i) { return i.param.name; });

// ------------------------------------------------------- mode-flag rules

struct ModeRuleCase {
  char letter;
  char flag;          // header flag to write
  const char* code;   // mode code to write (nullptr: keep)
  const char* message;
  const char* element;
};

const ModeRuleCase kModeRules[] = {
    {'P', '9', nullptr, "文件首部参数与气压方式位不符", "本站气压"},
    {'T', '1', nullptr, "文件首部参数与气温方式位不符", "气温"},
    {'U', '9', nullptr, "文件首部参数与相对湿度方式位不符", "相对湿度"},
    {'N', '9', nullptr, "文件首部参数与云量方式位不符", "总云量"},
    {'H', '0', "=", "文件首部参数与实测云高方式位不符", "实测云高"},
    {'C', '1', nullptr, "文件首部参数与云状方式位不符", "云状"},
    {'V', '9', nullptr, "文件首部参数与能见度方式位不符", "能见度"},
    {'W', '9', nullptr, "文件首部参数与天气现象方式位不符", "天气现象"},
    {'L', '1', nullptr, "文件首部参数与蒸发量方式位不符", "小型蒸发量"},
    {'Z', '9', nullptr, "文件首部参数与积雪方式位不符", "积雪"},
    {'G', '9', nullptr, "文件首部参数与电线积冰方式位不符", "电线积冰"},
    {'D', '1', nullptr, "文件首部参数与浅层地温方式位不符", "地面温度"},
    {'K', '0', "=", "文件首部参数与深层地温方式位不符", "80cm地温"},
    {'A', '9', nullptr, "文件首部参数与冻土深度方式位不符", "冻土深度"},
    {'S', '0', "=", "文件首部参数与日照时数方式位不符", "日照时数"},
    {'B', '0', "=", "文件首部参数与草面(雪面)温度方式位不符", "草面温度"},
};

class AFileModeRule : public ::testing::TestWithParam<ModeRuleCase> {};

TEST_P(AFileModeRule, FlagDisagreeingWithCodeIsReported) {
  const ModeRuleCase& c = GetParam();
  AFileRecipe recipe = ManualStation();
  recipe.station = "59991";  // not registered: no station-table findings
  const size_t k = std::string("PTIEUNHCVRWLZGFDKASB").find(c.letter);
  recipe.flags[k] = c.flag;
  if (c.code) recipe.codes[c.letter] = c.code;
  BuiltFile f = BuildAFile(recipe);
  AFileDir dir;
  const std::string path = dir.Path(DefaultName(recipe));
  f.Write(path, "\n");
  CheckResult r = RunCheck(path, AFileDir::SysPath());
  ASSERT_TRUE(r.status.ok()) << r.status.description();
  const std::string indicator = std::string("指示码") + c.letter;
  EXPECT_EQ(r.rows, (std::vector<Row>{E(c.message, c.element, "", indicator,
                                        f.Line(std::string(1, c.letter)))}));
  EXPECT_TRUE(r.usable());
}

INSTANTIATE_TEST_SUITE_P(AFileFormat, AFileModeRule, ::testing::ValuesIn(kModeRules),
                         [](const ::testing::TestParamInfo<ModeRuleCase>& i) {
                           return std::string(1, i.param.letter);
                         });

// ---------------------------------------- codes only a reference station uses

struct BaseOnlyCase {
  char letter;
  const char* code;
  const char* message;
  const char* element;
};

const BaseOnlyCase kBaseOnly[] = {
    {'N', "A", "云量方式位不可能为A,无法继续审核", "总云量"},
    {'H', "B", "云高方式位不可能为B,无法继续审核", "实测云高"},
    {'C', "A", "云状方式位不可能为A,无法继续审核", "云状"},
    {'V', "A", "能见度方式位不可能为A,无法继续审核", "能见度"},
};

class AFileBaseOnlyCode : public ::testing::TestWithParam<BaseOnlyCase> {};

TEST_P(AFileBaseOnlyCode, StopsForOtherClasses) {
  const BaseOnlyCase& c = GetParam();
  AFileRecipe recipe = ManualStation();
  recipe.station = "59991";
  recipe.flags[std::string("PTIEUNHCVRWLZGFDKASB").find(c.letter)] = '0';
  recipe.codes[c.letter] = c.code;
  BuiltFile f = BuildAFile(recipe);
  AFileDir dir;
  const std::string path = dir.Path(DefaultName(recipe));
  f.Write(path);
  CheckResult r = RunCheck(path, AFileDir::SysPath());
  ASSERT_TRUE(r.status.ok());
  const std::string letter(1, c.letter);
  EXPECT_EQ(r.rows, (std::vector<Row>{E(c.message, c.element, "", "指示码" + letter,
                                        f.Line(letter))}));
  EXPECT_FALSE(r.usable());
  EXPECT_EQ(r.cls(std::string("PTIEUNHCVRWLZGFDKASB").find(c.letter) + 1), c.code);
}

INSTANTIATE_TEST_SUITE_P(AFileFormat, AFileBaseOnlyCode, ::testing::ValuesIn(kBaseOnly),
                         [](const ::testing::TestParamInfo<BaseOnlyCase>& i) {
                           return std::string(1, i.param.letter);
                         });

// ------------------------------------------------------ record form rules

// Replaces record `index` (0-based) of a line.
void SetRecord(std::string& line, int index, const std::string& value) {
  size_t start = 0;
  for (int i = 0; i < index; ++i) start = line.find(' ', start) + 1;
  size_t end = line.find(' ', start);
  if (end == std::string::npos) end = line.size();
  line.replace(start, end - start, value);
}

struct FormRuleCase {
  const char* name;
  bool automatic;
  const char* mark;  // block mark
  int lineOffset;
  int record;
  const char* value;
  const char* element;  // empty: well formed
  const char* day;
};

const FormRuleCase kFormRules[] = {
    {"HumidityPercentSigns", false, "U.1", 0, 0, "%%", "", ""},
    {"HumiditySlashes", false, "U.1", 0, 1, "//", "", ""},
    {"HumidityLetters", false, "U.1", 0, 1, "ab", "相对湿度", "1"},
    {"TemperatureMissing", false, "T.1", 0, 0, "////", "", ""},
    {"TemperatureCommas", false, "T.1", 0, 0, ",,,,", "", ""},
    {"TemperatureNegative", false, "T.1", 0, 0, "-012", "", ""},
    {"TemperatureLetters", false, "T.1", 0, 0, "12a4", "气温", "1"},
    {"WetBulbIce", false, "I.1", 0, 0, ",012", "", ""},
    {"WetBulbLetters", false, "I.1", 0, 0, "x012", "湿球温度", "1"},
    {"FixedPrecipitationTrace", false, "R.1", 0, 0, ";;;;", "", ""},
    {"FixedPrecipitationColon", false, "R.1", 0, 0, ":000", "", ""},
    {"FixedPrecipitationNoHourlyMarks", false, "R.1", 0, 0, "----", "定时降水量", "1"},
    {"HourlyPrecipitationMarks", true, "R.2", 0, 0, "A---", "", ""},
    {"HourlyPrecipitationDashes", true, "R.2", 0, 1, "----", "", ""},
    {"HourlyEvaporationDashes", true, "L.2", 0, 0, "---", "", ""},
    {"HourlyEvaporationLetters", true, "L.2", 0, 0, "abc", "蒸发量", "1"},
    {"DailyEvaporationDashes", false, "L.1", 0, 0, "---", "蒸发量", "1"},
    {"FixedWindAnything", false, "F.1", 0, 0, "C-0/x0", "", ""},
};

void PrintTo(const FormRuleCase& c, std::ostream* os) { *os << c.name; }

class AFileFormRule : public ::testing::TestWithParam<FormRuleCase> {};

TEST_P(AFileFormRule, Record) {
  const FormRuleCase& c = GetParam();
  AFileRecipe recipe = c.automatic ? AutomaticReferenceStation() : ManualStation();
  recipe.station = "59991";
  BuiltFile f = BuildAFile(recipe);
  SetRecord(f.At(c.mark, c.lineOffset), c.record, c.value);
  AFileDir dir;
  const std::string path = dir.Path(DefaultName(recipe));
  f.Write(path);
  CheckResult r = RunCheck(path, AFileDir::SysPath());
  ASSERT_TRUE(r.status.ok());
  std::vector<Row> expected;
  if (*c.element)
    expected.push_back(E("其中有某一记录格式错误", c.element, c.day, "", f.Line(c.mark, c.lineOffset)));
  EXPECT_EQ(r.rows, expected);
}

INSTANTIATE_TEST_SUITE_P(AFileFormat, AFileFormRule, ::testing::ValuesIn(kFormRules),
                         [](const ::testing::TestParamInfo<FormRuleCase>& i) {
                           return i.param.name;
                         });

}  // namespace
}  // namespace kelvane::testing
