#include "yfile/layout.h"

#include <array>

#include "common/text.h"

namespace kelvane::yfile {

namespace {

constexpr std::string_view kStopFile = "文件格式错误,无法继续审核";
constexpr std::string_view kStopData = "数据文件格式错误,无法继续审核";

// Standard block: name, month line, year line, first item, item count.
constexpr BlockSpec Std(std::string_view name, std::string_view month, std::string_view year,
                        int first, int items) {
  return BlockSpec{name, Special::None, month, year, first, items};
}

constexpr BlockSpec kP[] = {
    Std("本站气压", "5555d5d", "5555md5md", 1, 7),
    Std("海平面气压", "5", "5", 8, 1),
};
constexpr BlockSpec kT[] = {Std("气温", "4444444444444d4d", "4444md4md", 9, 16)};
constexpr BlockSpec kE[] = {Std("水汽压", "33d3d", "33md3md", 25, 5)};
constexpr BlockSpec kU[] = {Std("相对湿度", "22d", "22md", 30, 3)};
constexpr BlockSpec kN[] = {
    Std("平均云量", "33", "33", 33, 2),
    Std("云量量别日数", "333333", "333333", 35, 6),
};
// In the special blocks 'y' is a 4-character year, 'n' a month and 'a' a day
// (2 characters), checked as dates; 'v' a direction of "最多风向".
constexpr BlockSpec kR[] = {
    Std("降水量", "55555555555d", "55md", 41, 12),
    Std("各级降水日数", "44444444", "44444444", 53, 8),
    {"时段最大降水量", Special::PeriodMaxRain, "52222", "52222", 0, 0},
    {"连续降水日数", Special::WetSpell, "45nana", "45ynayna", 61, 3},
    {"连续无降水日数", Special::DrySpell, "4nana", "4ynayna", 64, 2},
};
constexpr BlockSpec kW[] = {
    Std("天气日数", "3333333333333333333333333", "3333333333333333333333333", 84, 25),
    {"初终间日期", Special::FirstLastDates, "nana3na", "nana3", 0, 0},
};
constexpr BlockSpec kL[] = {Std("蒸发量", "55", "55", 66, 2)};
constexpr BlockSpec kZ[] = {Std("雪深雪压", "3d3d", "3md3md", 68, 4)};
constexpr BlockSpec kG[] = {Std("电线积冰", "4335d335d4w3", "4335md335md4w3", 72, 12)};
constexpr BlockSpec kF[] = {
    Std("风平均/最大/极大", "33wd3wd", "33wmd3wmd", 111, 7),
    {"风的统计", Special::WindStatistics, "64323643236432364323",
     "643232643232643232643232", 0, 0},
    {"最多风向", Special::MostFrequent, "v2v2", "v2v2", 109, 2},
};
constexpr BlockSpec kD[] = {
    Std("地温", "4444d4d3", "4444md4md3", 118, 8),
    Std("5-40cm地温", "44444", "44444", 126, 5),
};
constexpr BlockSpec kK[] = {Std("深层地温", "444", "444", 131, 3)};
constexpr BlockSpec kA[] = {Std("冻土深度", "4d", "4mD", 142, 2)};
constexpr BlockSpec kS[] = {Std("日照时数", "5555233", "5233", 144, 7)};
constexpr BlockSpec kB[] = {Std("草面温度", "4444d4d3", "4444md4md3", 134, 8)};

constexpr IdentifierSpec kIdentifiers[] = {
    {'P', kStopFile, kP}, {'T', kStopFile, kT}, {'E', kStopFile, kE}, {'U', kStopFile, kU},
    {'N', kStopFile, kN}, {'R', kStopData, kR}, {'W', kStopData, kW}, {'L', kStopData, kL},
    {'Z', kStopData, kZ}, {'G', kStopData, kG}, {'F', kStopData, kF}, {'D', kStopData, kD},
    {'K', kStopData, kK}, {'A', kStopData, kA}, {'S', kStopData, kS}, {'B', kStopData, kB},
};

constexpr std::string_view kPeriodLabels[15] = {
    "5分钟", "10分钟", "15分钟", "20分钟", "30分钟", "45分钟", "1小时", "1.5小时",
    "2小时", "3小时", "4小时", "6小时", "9小时", "12小时", "24小时"};
constexpr std::string_view kFirstLastLabels[9] = {"霜",     "雪",     "积雪",   "结冰", "气温0℃",
                                                  "地面0℃", "草面0℃", "雷暴", "无霜期"};
constexpr std::string_view kQuarterLabels[4] = {"N-ENE", "E-SSE", "S-WSW", "W-NNW"};

}  // namespace

std::span<const IdentifierSpec> Identifiers() { return kIdentifiers; }

std::string_view PeriodLabel(int line) {
  return line >= 1 && line <= 15 ? kPeriodLabels[line - 1] : std::string_view();
}
std::string_view FirstLastLabel(int line) {
  return line >= 1 && line <= 9 ? kFirstLastLabels[line - 1] : std::string_view();
}
std::string_view QuarterLabel(int quarter) {
  return quarter >= 1 && quarter <= 4 ? kQuarterLabels[quarter - 1] : std::string_view();
}

std::string_view StripDirectionPadding(std::string_view code) {
  for (int i = 0; i < 2 && !code.empty() && code.front() == 'P'; ++i) code.remove_prefix(1);
  return code;
}

bool IsValidDirection(std::string_view group) {
  if (group == "..." || group == "///") return true;
  if (group.size() == 3 && group[0] >= '0' && group[0] <= '9' && group[1] >= '0' &&
      group[1] <= '9' && group[2] >= '0' && group[2] <= '9') {
    const int v = (group[0] - '0') * 100 + (group[1] - '0') * 10 + (group[2] - '0');
    if (v >= 501 && v <= 529) return true;
  }
  // A whole code of the list, not a piece of it ("N,NNE" is no direction).
  const std::string_view code = StripDirectionPadding(group);
  for (std::string_view d : kDirections)
    if (code == d) return true;
  return code == "-";
}

}  // namespace kelvane::yfile
