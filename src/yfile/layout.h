// Layout of a Y file (the yearly surface observation file), as data: the
// identifiers in file order, the blocks of each identifier, the groups of
// their month and year lines and the item of the yearly value array each
// group fills. The format check walks this table; the host decoder and the
// sample writer read the same table.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace kelvane::yfile {

// A line layout is a text with one character per group:
//   '2'..'6'  a value of that many characters
//   'd'       a day (2 characters): in a month line a day of the month (or
//             day + 50), in a year line the day that follows a month group
//   'D'       a 3-character day (the year line of "冻土深度")
//   'm'       a month of a year line (1..12, or month + 50)
//   'w'       a wind direction (the direction list, 501..529, "...", "///")
inline constexpr char kGroupDay = 'd';
inline constexpr char kGroupDay3 = 'D';
inline constexpr char kGroupMonth = 'm';
inline constexpr char kGroupDirection = 'w';

inline bool IsDateGroup(char g) { return g == kGroupDay || g == kGroupDay3 || g == kGroupMonth; }
// Characters of a value group (0 for a direction group).
inline int GroupWidth(char g) {
  if (g >= '1' && g <= '9') return g - '0';
  if (g == kGroupDay3) return 3;
  if (g == kGroupDay || g == kGroupMonth) return 2;
  return 0;
}

// The special blocks, each with its own reader.
enum class Special : uint8_t {
  None,            // a standard block: 12 month lines and a year line
  PeriodMaxRain,   // "时段最大降水量": 15 lines
  WetSpell,        // "连续降水日数": 13 lines
  DrySpell,        // "连续无降水日数": 13 lines
  FirstLastDates,  // "初终间日期": 9 lines
  WindStatistics,  // "风的统计": 65 lines
  MostFrequent,    // "最多风向": 13 lines
};

struct BlockSpec {
  std::string_view element;  // the block's name (a finding's Element)
  Special special = Special::None;
  std::string_view monthLine;  // standard blocks and the 13-line specials
  std::string_view yearLine;
  // Item of the yearly value array (strMonthYearS) that the month line's
  // first group fills (0: none); the year line fills the block's last items.
  int firstItem = 0;
  int items = 0;
};

struct IdentifierSpec {
  char letter;
  // Stop message when the identifier line is not the letter alone.
  std::string_view stopMessage;
  std::span<const BlockSpec> blocks;
};

// The sixteen identifiers P, T, E, U, N, R, W, L, Z, G, F, D, K, A, S, B.
std::span<const IdentifierSpec> Identifiers();

// Number of items of the yearly value array.
inline constexpr int kYearItems = 150;

// Labels of the line of each special block (a finding's Day).
std::string_view PeriodLabel(int line);      // 1..15: "5分钟" ... "24小时"
std::string_view FirstLastLabel(int line);   // 1..9: "霜" ... "无霜期"
std::string_view QuarterLabel(int quarter);  // 1..4: "N-ENE" ... "W-NNW"

// The sixteen directions and calm in the order of the wind statistics.
inline constexpr std::string_view kDirections[17] = {
    "N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE", "S",
    "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW", "C"};

// A direction code as the decoder holds it: up to two leading "P" removed.
std::string_view StripDirectionPadding(std::string_view code);
// The direction test of the format check: "...", "///", 501..529, or a code
// of the list N ... NNW, C, "-" once its padding is removed.
bool IsValidDirection(std::string_view group);

}  // namespace kelvane::yfile
