// The Y-file format check, table-driven: each case edits the sample Y file
// of station 54511 (which on its own gives no finding) and lists every
// finding with its seven columns, and the usable flag.
#include <filesystem>
#include <functional>

#include "common/text.h"
#include "yfile_test_support.h"

namespace kelvane::testing {
namespace {

using Lines = std::vector<std::string>;
using Edit = std::function<void(Lines&)>;

// Group k (1-based) of line n (1-based) replaced; a final "=" stays.
Edit Group(int n, int k, std::string text) {
  return [=](Lines& l) {
    std::string& s = l[static_cast<size_t>(n - 1)];
    const bool end = !s.empty() && s.back() == '=';
    if (end) s.pop_back();
    std::vector<std::string> g;
    size_t pos = 0;
    for (;;) {
      const size_t b = s.find(' ', pos);
      g.push_back(s.substr(pos, b == std::string::npos ? std::string::npos : b - pos));
      if (b == std::string::npos) break;
      pos = b + 1;
    }
    g[static_cast<size_t>(k - 1)] = text;
    s.clear();
    for (size_t i = 0; i < g.size(); ++i) s += (i ? " " : "") + g[i];
    if (end) s += '=';
  };
}
Edit Line(int n, std::string text) {
  return [=](Lines& l) { l[static_cast<size_t>(n - 1)] = text; };
}
Edit Remove(int n) {
  return [=](Lines& l) { l.erase(l.begin() + n - 1); };
}
Edit CutAfter(int n) {
  return [=](Lines& l) { l.resize(static_cast<size_t>(n)); };
}
Edit Append(std::string text) {
  return [=](Lines& l) { l.push_back(text); };
}
Edit Both(Edit a, Edit b) {
  return [=](Lines& l) { a(l), b(l); };
}

struct Case {
  std::string name;
  Edit edit;
  std::vector<YRow> expect;
  bool usable = true;
  std::string fileName = "Y54511-2012.TXT";
};

std::string L(int n) { return std::to_string(n); }

const int kP = LineOfBlock("本站气压", 1);  // January line of station pressure
const int kPYear = LineOfBlock("本站气压", 13);
const int kSeaDec = LineOfBlock("海平面气压", 12);
const int kApril = LineOfBlock("本站气压", 4);
const int kR = LineOfBlock("降水量", 0);
const int kPeriodLast = LineOfBlock("时段最大降水量", 15);
const int kWet = LineOfBlock("连续降水日数", 1);
const int kWetYear = LineOfBlock("连续降水日数", 13);
const int kWind = LineOfBlock("风平均/最大/极大", 1);
const int kWindYear = LineOfBlock("风平均/最大/极大", 13);
const int kIcing = LineOfBlock("电线积冰", 1);
const int kMost = LineOfBlock("最多风向", 1);
const int kFirstLast = LineOfBlock("初终间日期", 1);
const int kFrozenYear = LineOfBlock("冻土深度", 13);
const int kEnd = DataEndLine();
const int kFM = kEnd + 1, kGK = kEnd + 14, kBZ = kEnd + 17, kYQ = kEnd + 21, kHash = kEnd + 24;

std::string SampleHeader() { return SampleYLines()[0]; }
std::string HeaderWith(size_t pos, char c) {
  std::string h = SampleHeader();
  h[pos - 1] = c;
  return h;
}

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"sample", nullptr, {}},
      // ---- name and header
      {"header_trailing_blank", Line(1, SampleHeader() + " "),
       {{"数据格式错误,无法对参数进行格式检查", "文件首部", "", "", "参数", "1"}}, false},
      // The mode of the name is not compared with a header that failed.
      {"header_failed_name_mode_not_compared", Line(1, SampleHeader() + " "),
       {{"数据格式错误,无法对参数进行格式检查", "文件首部", "", "", "参数", "1"}}, false,
       "Y54511-2012-0.TXT"},
      {"station_differs_from_name", nullptr,
       {{"文件首部参数中的区站号与文件名不一致", "文件首部", "", "", "参数", "1"}}, true,
       "Y54512-2012.TXT"},
      // A letter-led station number is compared as text.
      {"letter_station_differs_from_name", Line(1, "A" + SampleHeader().substr(1)),
       {{"文件首部参数中的区站号与文件名不一致", "文件首部", "", "", "参数", "1"}}, true,
       "YB4511-2012.TXT"},
      {"year_differs_from_name", nullptr,
       {{"文件首部参数中的年与文件名不一致", "文件首部", "", "", "参数", "1"}}, true,
       "Y54511-2013.TXT"},
      {"latitude_differs_from_station", Line(1, HeaderWith(10, '9')),
       {{"文件首部参数与台站参数表不符", "文件首部", "纬度", "", "", "1"}}},
      // Class code 5: "自动", no fixed times (not compared).
      {"class_code_5", Line(1, HeaderWith(44, '5')),
       {{"文件首部参数与台站参数表不符", "文件首部", "台站类别", "", "", "1"}}},
      {"longitude_differs_from_station", Line(1, HeaderWith(17, '9')),
       {{"文件首部参数与台站参数表不符", "文件首部", "经度", "", "", "1"}}},
      {"field_elevation_differs", Line(1, HeaderWith(25, '4')),
       {{"文件首部参数与台站参数表不符", "文件首部", "观测场高", "", "", "1"}}},
      {"field_elevation_in_parentheses", Line(1, HeaderWith(20, '1')),
       {{"文件首部参数与台站参数表不符", "文件首部", "观测场高", "", "", "1"}}},
      {"barometer_elevation_differs", Line(1, HeaderWith(32, '9')),
       {{"文件首部参数与台站参数表不符", "文件首部", "气压表高", "", "", "1"}}},
      {"wind_sensor_height_differs", Line(1, HeaderWith(36, '6')),
       {{"文件首部参数与台站参数表不符", "文件首部", "风速器高", "", "", "1"}}},
      {"platform_height_differs", Line(1, HeaderWith(40, '1')),
       {{"文件首部参数与台站参数表不符", "文件首部", "平台高", "", "", "1"}}},
      // Class 1: a reference station, whose 24 fixed times are accepted.
      {"class_code_1", Line(1, HeaderWith(44, '1')),
       {{"文件首部参数与台站参数表不符", "文件首部", "台站类别", "", "", "1"}}},
      {"class_code_3", Line(1, HeaderWith(44, '3')),
       {{"文件首部参数与台站参数表不符", "文件首部", "台站类别", "", "", "1"}}},
      {"class_code_4_three_times", Line(1, HeaderWith(44, '4')),
       {{"文件首部参数与台站参数表不符", "文件首部", "台站类别", "", "", "1"},
        {"文件首部参数与台站参数表不符", "文件首部", "定时次数", "", "", "1"}}},
      {"manual_mode_differs", Line(1, HeaderWith(43, '0')),
       {{"文件首部参数与台站参数表不符", "文件首部", "自动站型", "", "", "1"}}},
      {"name_mode_manual_for_automatic", nullptr,
       {{"文件名格式与文件首部参数观测方式不符", "文件首部", "观测方式", "", "", "1"}}, true,
       "Y54511-2012-0.TXT"},
      {"name_mode_automatic", nullptr, {}, true, "Y54511-2012-1.TXT"},
      {"name_mode_automatic_for_manual", Line(1, HeaderWith(43, '0')),
       {{"文件首部参数与台站参数表不符", "文件首部", "自动站型", "", "", "1"},
        {"文件名格式与文件首部参数观测方式不符", "文件首部", "观测方式", "", "", "1"}},
       true, "Y54511-2012-1.TXT"},
      {"name_mode_lower_case", nullptr,
       {{"文件名格式与文件首部参数观测方式不符", "文件首部", "观测方式", "", "", "1"}}, true,
       "Y54511-2012-0.txt"},

      // ---- identifiers
      {"identifier_p", Line(2, "X"),
       {{"文件格式错误,无法继续审核", "本站气压", "", "", "指示码P", "2"}}, false},
      {"identifier_r", Line(kR, "R="),
       {{"数据文件格式错误,无法继续审核", "降水量", "", "", "指示码R", L(kR)}}, false},
      // ---- standard block frame
      // A file cut short: every finding comes back, and the check succeeds.
      {"cut_in_a_block", CutAfter(10),
       {{"记录非法结束", "本站气压", "", "9月", "", "10"},
        {"记录非法结束", "海平面气压", "", "1月", "", "10"},
        {"文件格式错误,无法继续审核", "气温", "", "", "指示码T", "10"}},
       false},
      // Without its "=" the year line keeps its last character.
      {"year_line_without_end", Line(kPYear, SampleYLines()[static_cast<size_t>(kPYear - 1)].substr(
                                                 0, SampleYLines()[static_cast<size_t>(kPYear - 1)].size() - 1)),
       {{"年末数据无结束符(=)", "本站气压", "", "年", "", L(kPYear)}}},
      {"early_end", Line(kSeaDec, SampleYLines()[static_cast<size_t>(kSeaDec - 1)] + "="),
       {{"记录行数不够", "海平面气压", "", "12月", "", L(kSeaDec)},
        {"文件格式错误,无法继续审核", "气温", "", "", "指示码T", L(kSeaDec + 1)}},
       false},
      {"group_count", Line(kP, SampleYLines()[static_cast<size_t>(kP - 1)] + " 0"),
       {{"记录个数不正确", "本站气压", "", "1月", "", L(kP)}}},
      {"value_length", Group(kP, 1, "1022"), {{"记录长度不正确", "本站气压", "", "1月", "", L(kP)}}},
      {"value_form", Group(kP, 1, "10A20"),
       {{"其中有某一记录格式错误", "本站气压", "", "1月", "", L(kP)}}},
      {"value_missing", Group(kP, 1, "/////"), {}},
      {"value_none", Group(kP, 1, "....."), {}},
      {"date_length", Group(kP, 5, "023"), {{"出现日期长度不正确", "本站气压", "", "1月", "", L(kP)}}},
      {"date_form", Group(kP, 5, "..") , {{"其中有某一记录格式错误", "本站气压", "", "1月", "", L(kP)}}},
      {"date_missing", Group(kP, 5, "//"), {}},
      // February 2012 has 29 days: 29 and 52..79 are valid.
      {"february_29", Group(kP + 1, 5, "29"), {}},
      {"february_79", Group(kP + 1, 5, "79"), {}},
      {"february_30", Group(kP + 1, 5, "30"), {{"出现日期不合法", "本站气压", "", "2月", "", L(kP + 1)}}},
      // A 30-day month: 30 and 52..80 valid; 31, 35, 50, 51, 81 not.
      {"april_30", Group(kApril, 5, "30"), {}},
      {"april_52", Group(kApril, 5, "52"), {}},
      {"april_80", Group(kApril, 5, "80"), {}},
      {"april_31", Group(kApril, 5, "31"), {{"出现日期不合法", "本站气压", "", "4月", "", L(kApril)}}},
      {"april_35", Group(kApril, 5, "35"), {{"出现日期不合法", "本站气压", "", "4月", "", L(kApril)}}},
      {"april_50", Group(kApril, 5, "50"), {{"出现日期不合法", "本站气压", "", "4月", "", L(kApril)}}},
      {"april_51", Group(kApril, 5, "51"), {{"出现日期不合法", "本站气压", "", "4月", "", L(kApril)}}},
      {"april_81", Group(kApril, 5, "81"), {{"出现日期不合法", "本站气压", "", "4月", "", L(kApril)}}},
      // Year line: month groups 1..12 and 51..62; the day against that month.
      {"year_month_13", Group(kPYear, 5, "13"), {{"出现月份不合法", "本站气压", "", "年", "", L(kPYear)}}},
      {"year_month_51", Both(Group(kPYear, 5, "51"), Group(kPYear, 6, "31")), {}},
      // An invalid month leaves the day untested.
      {"year_month_invalid_day_untested", Both(Group(kPYear, 5, "00"), Group(kPYear, 6, "45")),
       {{"出现月份不合法", "本站气压", "", "年", "", L(kPYear)}}},
      {"year_day_of_february", Both(Group(kPYear, 5, "02"), Group(kPYear, 6, "30")),
       {{"出现日期不合法", "本站气压", "", "年", "", L(kPYear)}}},
      {"year_day_plus_50", Both(Group(kPYear, 5, "52"), Group(kPYear, 6, "79")), {}},
      {"frozen_soil_day_3", Group(kFrozenYear, 3, "05"),
       {{"出现日期长度不正确", "冻土深度", "", "年", "", L(kFrozenYear)}}},
      // Direction groups: the list, 501..529, "...", "///".
      {"direction_bad", Group(kWind, 3, "XYZ"),
       {{"其中有某一记录格式错误", "风平均/最大/极大", "", "1月", "", L(kWind)}}},
      {"direction_piece_of_list", Group(kWind, 3, "N,NNE"),
       {{"其中有某一记录格式错误", "风平均/最大/极大", "", "1月", "", L(kWind)}}},
      {"direction_number", Group(kWind, 3, "515"), {}},
      {"direction_530", Group(kWind, 3, "530"),
       {{"其中有某一记录格式错误", "风平均/最大/极大", "", "1月", "", L(kWind)}}},
      {"direction_year", Group(kWindYear, 7, "PPX"),
       {{"其中有某一记录格式错误", "风平均/最大/极大", "", "年", "", L(kWindYear)}}},
      {"icing_direction", Group(kIcing, 11, "PNX"),
       {{"其中有某一记录格式错误", "电线积冰", "", "1月", "", L(kIcing)}}},
      // ---- special blocks
      {"period_no_end", Line(kPeriodLast, "..... .. .. .. .."),
       {{"数据无结束符(=)", "时段最大降水量", "", "24小时", "", L(kPeriodLast)}}},
      {"period_length", Group(kPeriodLast - 1, 1, "0001"),
       {{"记录长度不正确", "时段最大降水量", "", "12小时", "", L(kPeriodLast - 1)}}},
      {"spell_year", Group(kWetYear, 3, "2010"),
       {{"年份中有某一记录格式错误", "连续降水日数", "", "年", "", L(kWetYear)}}},
      {"spell_month", Group(kWet, 3, "13"),
       {{"月份中有某一记录格式错误", "连续降水日数", "", "1月", "", L(kWet)}}},
      {"spell_day", Group(kWet, 4, "32"),
       {{"日期中有某一记录格式错误", "连续降水日数", "", "1月", "", L(kWet)}}},
      {"spell_group_count", Line(kWet, "0001 00001 01 01 01"),
       {{"记录个数不正确", "连续降水日数", "", "1月", "", L(kWet)}}},
      {"first_last_interval_length", Group(kFirstLast + 7, 5, "45"),
       {{"记录长度不正确", "初终间日期", "", "雷暴", "", L(kFirstLast + 7)}}},
      {"first_last_no_end", Line(kFirstLast + 8, SampleYLines()[static_cast<size_t>(kFirstLast + 7)].substr(0, 3)),
       {{"数据无结束符(=)", "初终间日期", "", "无霜期", "", L(kFirstLast + 8)}}},
      {"wind_statistics_labels", Group(LineOfBlock("风的统计", 6), 1, "1"),
       {{"记录长度不正确", "风的统计", "", "2月E-SSE", "", L(LineOfBlock("风的统计", 6))}}},
      {"wind_statistics_calm", Group(LineOfBlock("风的统计", 50), 2, "x1"),
       {{"其中有某一记录格式错误", "风的统计", "", "2月C", "", L(LineOfBlock("风的统计", 50))}}},
      {"wind_statistics_year", Group(LineOfBlock("风的统计", 64), 24, "1"),
       {{"记录长度不正确", "风的统计", "", "年W-NNW", "", L(LineOfBlock("风的统计", 64))}}},
      {"most_frequent_none_but_second", Line(kMost, "... .. PNE 12"),
       {{"无最多风向,但有次多风向", "最多风向", "", "1月", "", L(kMost)}}},
      {"most_frequent_bad", Group(kMost, 1, "515"),
       {{"其中有某一记录格式错误", "最多风向", "", "1月", "", L(kMost)}}},
      // ---- appendix
      {"data_end", Line(kEnd, "?????"),
       {{"观测数据部分结束符记录格式错误", "数据段结束", "", "", "标识", L(kEnd)}}, false},
      {"data_end_missing", CutAfter(kEnd - 1),
       {{"观测数据部分结束符记录格式错误", "数据段结束", "", "", "标识", L(kEnd - 1)}}, false},
      {"cover_marker", Line(kFM, "FN"),
       {{"数据文件格式错误,无法继续审核", "封面", "", "", "指示码", L(kFM)}}, false},
      {"cover_archive", Line(kFM + 1, "5451"), {{"封面档案号格式错误", "封面", "", "", "", L(kFM + 1)}}},
      {"cover_province", Line(kFM + 2, ""), {{"封面省名格式错误", "封面", "", "", "", L(kFM + 2)}}},
      {"cover_station", Line(kFM + 3, "一二三四五六七八九十一二三四五六七八九"),
       {{"封面台站名格式错误", "封面", "", "", "", L(kFM + 3)}}},
      {"cover_address", Line(kFM + 4, std::string(43, 'a')),
       {{"封面台站地址格式错误", "封面", "", "", "", L(kFM + 4)}}},
      {"cover_environment", Line(kFM + 5, "一二三四五六七八九十一"),
       {{"封面地理环境格式错误", "封面", "", "", "", L(kFM + 5)}}},
      {"cover_environment_empty", Line(kFM + 5, ""), {}},
      {"cover_name_6", Line(kFM + 6, "一二三四五六七八九"), {{"封面有关姓名格式错误", "封面", "", "台站长", "", L(kFM + 6)}}},
      {"cover_name_7", Line(kFM + 7, ""), {{"封面有关姓名格式错误", "封面", "", "输入", "", L(kFM + 7)}}},
      {"cover_name_8", Line(kFM + 8, "一二三四五六七八九"), {{"封面有关姓名格式错误", "封面", "", "校对", "", L(kFM + 8)}}},
      {"cover_name_9", Line(kFM + 9, ""), {{"封面有关姓名格式错误", "封面", "", "预审", "", L(kFM + 9)}}},
      {"cover_name_10", Line(kFM + 10, "一二三四五六七八九"), {{"封面有关姓名格式错误", "封面", "", "审核", "", L(kFM + 10)}}},
      {"cover_name_11", Line(kFM + 11, ""), {{"封面有关姓名格式错误", "封面", "", "传输", "", L(kFM + 11)}}},
      {"cover_date", Line(kFM + 12, "20130230="), {{"封面传输日期格式错误", "封面", "", "", "", L(kFM + 12)}}},
      {"outline_marker", Line(kGK, "GX"),
       {{"数据文件格式错误,无法继续审核", "气候概况", "", "", "指示码", L(kGK)}}, false},
      {"outline_form", Line(kGK + 1, "01全年"),
       {{"气候概况数据格式错误", "气候概况", "", "", "", L(kGK + 1)},
        {"漏输主要天气气候特点或(和)天气气候综合评价", "备注", "", "", "", L(kGK + 2)}}},
      {"outline_code", Line(kGK + 1, "06/全年"),
       {{"气候概况项目标识码格式错误", "气候概况", "", "", "", L(kGK + 1)},
        {"漏输主要天气气候特点或(和)天气气候综合评价", "备注", "", "", "", L(kGK + 2)}}},
      {"outline_empty", Line(kGK + 1, "01/"), {{"气候概况内容不能为空", "气候概况", "", "", "", L(kGK + 1)}}},
      // "05" twice and no "01": one finding.
      {"outline_missing_item", Line(kGK + 1, "05/全年"),
       {{"漏输主要天气气候特点或(和)天气气候综合评价", "备注", "", "", "", L(kGK + 2)}}},
      {"outline_cut", CutAfter(kGK + 1),
       {{"数据文件格式错误,无法继续审核", "气候概况", "", "", "", L(kGK + 1)}}, false},
      {"remark_no_slash", Line(kBZ + 1, "10"), {{"备注数据格式错误", "备注", "", "", "", L(kBZ + 1)}}},
      // Three, four, six or more than seven "/" go with any code; the code
      // is then tested on its own.
      {"remark_code", Line(kBZ + 1, "14/0301/大风/x"),
       {{"备注项目标识码格式错误", "备注", "", "", "", L(kBZ + 1)}}},
      {"remark_code_letters", Line(kBZ + 1, "AB/0301/大风/x/y/z/w"),
       {{"备注项目标识码格式错误", "备注", "", "", "", L(kBZ + 1)}}},
      {"remark_any_code_three_slashes", Line(kBZ + 1, "06/0301/大风/x"),
       {}},
      {"remark_seven_slashes_05", Line(kBZ + 1, "05/0301/a/b/c/d/e/f"),
       {}},
      {"remark_seven_slashes_other", Line(kBZ + 1, "01/0301/a/b/c/d/e/f"),
       {{"备注数据格式错误", "备注", "", "", "", L(kBZ + 1)}}},
      {"remark_form", Line(kBZ + 1, "12/自动观测"), {{"备注数据格式错误", "备注", "", "", "", L(kBZ + 1)}}},
      {"remark_date", Line(kBZ + 1, "01/20x2/大风"), {{"备注项目日期格式错误", "备注", "", "", "", L(kBZ + 1)}}},
      {"remark_date_range", Line(kBZ + 1, "01/0305-0301/大风"),
       {{"备注项目日期格式错误", "备注", "", "", "", L(kBZ + 1)}}},
      {"remark_date_range_ok", Line(kBZ + 1, "01/0301-0305/大风"), {}},
      {"remark_empty", Line(kBZ + 1, "01/0301/"), {{"备注内容不能为空", "备注", "", "", "", L(kBZ + 1)}}},
      // A well-formed "11" line with "=" ends the block: one watch line.
      {"remark_watch", Both(Remove(kBZ + 1), Remove(kBZ + 1)),
       {{"漏输观测时间或(和)守班情况", "备注", "", "", "", L(kBZ + 1)}}},
      {"instrument_count", Line(kYQ + 1, "01/气压表/DYM1/2008"),
       {{"项目个数不正确", "现用仪器", "", "", "", L(kYQ + 1)}}},
      {"instrument_code", Line(kYQ + 1, "37/气压表/DYM1/2008/正常"),
       {{"仪器标识码不正确", "现用仪器", "", "", "", L(kYQ + 1)}}},
      {"instrument_cut", CutAfter(kYQ + 1),
       {{"数据文件格式错误,无法继续审核", "现用仪器", "", "", "", L(kYQ + 1)}}, false},
      // The file ends where the next marker is due: a stop, and the
      // findings so far come back.
      {"cut_before_cover", CutAfter(kEnd),
       {{"数据文件格式错误,无法继续审核", "封面", "", "", "指示码", L(kEnd)}}, false},
      {"cut_in_the_cover", CutAfter(kFM + 5),
       {{"数据文件格式错误,无法继续审核", "封面", "", "", "", L(kFM + 5)}}, false},
      {"cut_before_outline", CutAfter(kGK - 1),
       {{"数据文件格式错误,无法继续审核", "气候概况", "", "", "指示码", L(kGK - 1)}}, false},
      {"cut_before_remarks", CutAfter(kBZ - 1),
       {{"数据文件格式错误,无法继续审核", "备注", "", "", "指示码", L(kBZ - 1)}}, false},
      {"cut_in_the_remarks", CutAfter(kBZ + 1),
       {{"数据文件格式错误,无法继续审核", "备注", "", "", "", L(kBZ + 1)}}, false},
      {"cut_before_instruments", CutAfter(kYQ - 1),
       {{"数据文件格式错误,无法继续审核", "现用仪器", "", "", "指示码", L(kYQ - 1)}}, false},
      {"cut_before_an_identifier", CutAfter(kR - 1),
       {{"数据文件格式错误,无法继续审核", "降水量", "", "", "指示码R", L(kR - 1)}}, false},
      {"file_end", Line(kHash, "#####"), {{"数据文件结束标志错误", "文件结束", "", "", "", L(kHash)}}},
      {"file_end_missing", CutAfter(kHash - 1),
       {{"数据文件结束标志错误", "文件结束", "", "", "", L(kHash - 1)}}, false},
      {"trailing_line", Append("x"), {{"数据文件尾部有多余记录", "文件结束", "", "", "", L(kHash + 1)}}},
  };
  return cases;
}

class YFormatTest : public ::testing::TestWithParam<Case> {};

TEST_P(YFormatTest, Findings) {
  const Case& c = GetParam();
  Lines lines = SampleYLines();
  if (c.edit) c.edit(lines);
  const YCheck r = RunYCheck(lines, c.fileName);
  ASSERT_TRUE(r.status.ok()) << r.status.description();
  std::vector<YRow> want = c.expect;
  for (YRow& w : want) w.level = "错误";
  EXPECT_EQ(r.rows, want);
  EXPECT_EQ(r.usable(), c.usable);
}

INSTANTIATE_TEST_SUITE_P(YFile, YFormatTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

TEST(YFormat, FillsTheParameterArray) {
  const YCheck r = RunYCheck(SampleYLines());
  ASSERT_TRUE(r.status.ok());
  EXPECT_EQ(r.para(2).Text(), "2012");
  EXPECT_EQ(r.para(3).Text(), SampleYLines()[0]);
  EXPECT_EQ(r.para(5).Text(), "54511");
  EXPECT_EQ(r.para(6).Text(), "39.48N");
  EXPECT_EQ(r.para(7).Text(), "116.28E");
  EXPECT_EQ(r.para(12).Text(), "基本站");
  EXPECT_EQ(r.para(13).Text(), "4");
  EXPECT_EQ(r.para(14).Text(), "自动站");
  EXPECT_EQ(r.para(16).Text(), "000");
}

TEST(YFormat, ClassFiveLeavesFixedTimesNull) {
  Lines lines = SampleYLines();
  lines[0][43] = '5';
  const YCheck r = RunYCheck(lines);
  EXPECT_EQ(r.para(12).Text(), "自动");
  EXPECT_TRUE(r.para(13).IsEmpty());
}

// Station class and fixed times from the class code; the mode from the
// mode character.
TEST(YFormat, ClassAndModeTexts) {
  struct Row {
    size_t pos;
    char c;
    std::string para12, para13, para14;
  };
  for (const Row& r : std::vector<Row>{{44, '1', "基准站", "24", "自动站"},
                                       {44, '2', "基本站", "4", "自动站"},
                                       {44, '3', "一般站", "4", "自动站"},
                                       {44, '4', "一般站", "3", "自动站"},
                                       {43, '0', "基本站", "4", "人工"}}) {
    Lines lines = SampleYLines();
    lines[0][r.pos - 1] = r.c;
    const YCheck y = RunYCheck(lines);
    EXPECT_EQ(y.para(12).Text(), r.para12) << r.c;
    EXPECT_EQ(y.para(13).Text(), r.para13) << r.c;
    EXPECT_EQ(y.para(14).Text(), r.para14) << r.c;
  }
}

// A short relative path gives short name fields and mismatch findings, no
// exception.
TEST(YFormat, ShortPath) {
  ScratchDir dir("kelvane_yfile_short");
  WriteLines(dir, "Y.TXT", SampleYLines());
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.dir());
  KelvaneY y;
  VariantArray para = VariantArray::Vector(1, 16);
  StringArray list;
  const Status s = y.YfileFormCheck(SampleSystemPath(), "Y.TXT", para, list);
  std::filesystem::current_path(cwd);
  ASSERT_TRUE(s.ok()) << s.description();
  const std::vector<YRow> want = {
      {"文件首部参数中的区站号与文件名不一致", "文件首部", "", "", "参数", "1", "错误"},
      {"文件首部参数中的年与文件名不一致", "文件首部", "", "", "参数", "1", "错误"}};
  EXPECT_EQ(RowsOf(list), want);
}

TEST(YFormat, EnvironmentFailures) {
  KelvaneY y;
  VariantArray para = VariantArray::Vector(1, 16);
  StringArray list;
  // A missing file: the error status, nothing appended.
  Status s = y.YfileFormCheck(SampleSystemPath(), "/nonexistent/Y54511-2012.TXT", para, list);
  EXPECT_EQ(s.number(), kErrFileNotFound);
  EXPECT_TRUE(RowsOf(list).empty());
  // A parameter array too short.
  VariantArray shortPara = VariantArray::Vector(1, 10);
  ScratchDir dir("kelvane_yfile_env");
  s = y.YfileFormCheck(SampleSystemPath(), WriteLines(dir, "Y54511-2012.TXT", SampleYLines()),
                       shortPara, list);
  EXPECT_EQ(s.number(), kErrSubscript);
}

}  // namespace
}  // namespace kelvane::testing

namespace kelvane::testing {
namespace {

// The Day label of every line of the special blocks: a too-short first
// group on each line names the line.
TEST(YFormat, SpecialBlockLineLabels) {
  std::vector<std::pair<std::string, std::vector<std::string>>> blocks = {
      {"时段最大降水量",
       {"5分钟", "10分钟", "15分钟", "20分钟", "30分钟", "45分钟", "1小时", "1.5小时", "2小时",
        "3小时", "4小时", "6小时", "9小时", "12小时", "24小时"}},
      {"初终间日期", {"霜", "雪", "积雪", "结冰", "气温0℃", "地面0℃", "草面0℃", "雷暴", "无霜期"}},
  };
  std::vector<std::string> months, wind;
  for (int m = 1; m <= 12; ++m) months.push_back(std::to_string(m) + "月");
  months.push_back("年");
  for (const std::string& m : months)
    if (m != "年")
      for (const char* q : {"N-ENE", "E-SSE", "S-WSW", "W-NNW"}) wind.push_back(m + q);
  for (int m = 1; m <= 12; ++m) wind.push_back(std::to_string(m) + "月C");
  for (const char* q : {"年N-ENE", "年E-SSE", "年S-WSW", "年W-NNW", "年C"}) wind.push_back(q);
  blocks.push_back({"连续降水日数", months});
  blocks.push_back({"连续无降水日数", months});
  blocks.push_back({"风的统计", wind});
  for (const auto& [element, labels] : blocks) {
    for (size_t i = 0; i < labels.size(); ++i) {
      const int n = LineOfBlock(element, static_cast<int>(i) + 1);
      std::vector<std::string> lines = SampleYLines();
      std::string& s = lines[static_cast<size_t>(n - 1)];
      s = "x" + s.substr(s.find_first_of(" ="));
      const YCheck r = RunYCheck(lines);
      const std::vector<YRow> want = {
          {"记录长度不正确", element, "", labels[i], "", std::to_string(n), "错误"}};
      EXPECT_EQ(r.rows, want) << element << " line " << i + 1;
    }
  }
  // "最多风向": a direction group, so the form is wrong rather than the length.
  for (size_t i = 0; i < months.size(); ++i) {
    const int n = LineOfBlock("最多风向", static_cast<int>(i) + 1);
    std::vector<std::string> lines = SampleYLines();
    std::string& s = lines[static_cast<size_t>(n - 1)];
    s = "XYZ" + s.substr(s.find(' '));
    const std::vector<YRow> want = {
        {"其中有某一记录格式错误", "最多风向", "", months[i], "", std::to_string(n), "错误"}};
    EXPECT_EQ(RunYCheck(lines).rows, want) << i + 1;
  }
}

}  // namespace
}  // namespace kelvane::testing
