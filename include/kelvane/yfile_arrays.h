// The arrays of one Y file, as KelvaneY::YfileAuditing takes them, in one
// bundle; and the host's decoder that fills the bundle from the file.
//
// strMonthYearS (column 1..13, item 1..150): columns 1..12 the monthly
// values and column 13 the yearly value of each item. Items follow the
// month-line groups of the element blocks in order (本站气压 1-7, 海平面气压
// 8, 气温 9-24, 水汽压 25-29, 相对湿度 30-32, 平均云量 33-34, 云量量别日数
// 35-40, 降水量 41-52, 各级降水日数 53-60, 连续降水日数 61-63, 连续无降水日数
// 64-65, 蒸发量 66-67, 雪深雪压 68-71, 电线积冰 72-83, 天气日数 84-108,
// 最多风向 109-110, 风平均/最大/极大 111-117, 地温 118-125, 5-40cm地温
// 126-130, 深层地温 131-133, 草面温度 134-141, 冻土深度 142-143, 日照时数
// 144-150); a year line fills the last items of its block. A yearly date is
// "MM/DD" with both groups as written; a spell's dates are "MM/DD-MM/DD" in
// a month and "YYYY/MM/DD-YYYY/MM/DD" in the year; directions lose their
// "P" padding. Items a block does not give hold "".
#pragma once

#include <string>

#include "kelvane/data_file.h"
#include "kelvane/safe_array.h"
#include "kelvane/status.h"

namespace kelvane {

struct YFileArrays {
  StringArray strMonthYearS;           // (1..13, 1..150)
  StringArray strTimesSegmantMaxR;     // (1..15 period, 1..5 group as written)
  // (1..9 line, 1..4): first date, last date ("MM/DD"; "-/-" none, "/"
  // missing), interval in days ("-" none, "/" missing), on lines 1..7 the
  // date of groups 6 and 7 (the frost line: the first frost of the
  // following autumn); line 9 column 1 the frost-free period.
  StringArray strElementStartEndDate;
  // (1..17 direction N ... NNW, C; 1..60): month m, quantity q (风速合计,
  // 出现回数, 平均风速, 风向频率, 最大风速) at column 5(m-1)+q; calm has only
  // the count (q 2) and the frequency (q 4).
  StringArray strMonthWDF;
  // (1..17 direction, 1..6 quantity: 风速合计, 出现回数, 平均风速, 风向频率,
  // 最大风速, 最大风速出现月份); calm only 2 and 4.
  StringArray strYearWDF;
  StringArray YFileFM;  // cover lines, one-dimensional from 1
  StringArray YFileGK;  // climate outline lines
  StringArray YFileBZ;  // remarks lines
  StringArray YFileYQ;  // instrument lines
};

// Decodes a Y file that passed the format check. Any content decodes
// without failing: cells of a damaged block keep "".
Status DecodeYFile(const DataFile& file, const VariantArray& YFilePara, YFileArrays& out);
// The same, reading the file at path.
Status DecodeYFile(const std::string& path, const VariantArray& YFilePara, YFileArrays& out);

}  // namespace kelvane
