// Layout of the twenty element segments of an A file, described once as
// data. The format check walks this table; the host decoder and the sample
// A-file writer read the same table, so a new mode code is one new row here.
//
// An A file holds, after its header line, one segment per element in the
// order P, T, I, E, U, N, H, C, V, R, W, L, Z, G, F, D, K, A, S, B. A segment
// starts with an indicator line (element letter + mode code); the mode code
// chooses the blocks that follow, each one or more lines per day for every
// day of the month. The quality-control section repeats the segments with
// one block of 3-character codes per data block.
//
// Every text here is UTF-8 and is used byte for byte in findings.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "kelvane/afile_arrays.h"

namespace kelvane::afile {

// Fatal messages shared by several segments (and by the later sections of
// the format check, which use the same words).
inline constexpr std::string_view kMsgFileFormatFatal = "文件格式错误,无法继续审核";
inline constexpr std::string_view kMsgDataFileFormatFatal = "数据文件格式错误,无法继续审核";

// How one block of a segment is laid out.
enum class BlockKind : uint8_t {
  Daily,       // one line per day, count1 records of `width`
  Hourly,      // two lines per day: count1 records, then count2 records and "."
  HourlyWind,  // four lines per day of count1 records of `width`, line 4 ends "."
  Cloud,       // count1 lines per day (1 or 4), records separated by ","
  CrossMonth,  // one line "???? dd/mm/yyyy ?????=" (not per day)
  WireIcing,   // one line per day, record widths in `layout`
  MaxWind,     // one line per day, record widths in `layout` (6, 4, 6, 4)
  DeepGround,  // one line per day, count1 records of `width`; ";" "," "." allowed
  Sunshine,    // one line per day, record widths in `layout`
  Weather,     // one line per day of free text, "." per day, "=" at month end
};

// Which rule ties a segment's mode code to the header's mode flag of the
// element ("0" manual, "1" automatic, "9" not observed) and to the station
// type (header position 43: manual station or automatic station).
enum class ModeRule : uint8_t {
  None,   // no rule (I, E, R)
  A,      // P, T, U: automatic codes need flag "1" on an automatic station,
          // manual codes flag "0" on a manual station, "=" flag "9"
  B,      // L, D, K: automatic station + automatic code needs flag "1";
          // manual station + any code but "=" needs "0"; "=" needs "9"
  C,      // N, H, C, W, Z, G, A: a manual code needs flag "0", "=" needs "9"
  V,      // V: a code other than "=" needs flag "0" or "1", "=" needs "9"
  S,      // S: only "=" is tied (flag "9")
  Grass,  // B: code "A" may not have flag "9", "=" needs "9"
  Wind,   // F: a code outside E, H, K, N not ending in "=" is fatal with the
          // rule message (no flag involved)
};

// The rule a record of a daily or hourly block must follow to be well formed
// (its width is checked apart). A decimal number is always well formed.
enum class RecordForm : uint8_t {
  None,               // not checked (cloud, wind, wire icing, sunshine, weather blocks)
  Generic,            // or a run of "/" or "," of the record width; never ending in "-"
  WetBulb,            // or starting with "," (an iced bulb), or "////"
  Humidity,           // or a run of "/", or "%%"
  FixedPrecip,        // or starting with ";" or ":", or "////", or ",,,,"
  HourlyPrecip,       // as FixedPrecip, or "A---" or "----"
  HourlyEvaporation,  // or "///", "---", ",,,"
  DeepGround,         // or "////"
};

// Where the records of a day of a block go: records first..first+count-1
// (0-based; count 0: all of them) to one element array.
struct BlockTarget {
  AFileArray array = nullptr;
  int8_t first = 0;
  int8_t count = 0;
};

// One block of a mode code.
struct BlockLayout {
  // Parser that reads the block.
  BlockKind kind;
  // Daily, HourlyWind, DeepGround: records per line. Hourly: records on the
  // day's first line. Cloud: lines per day (1 or 4). WireIcing, MaxWind,
  // Sunshine: records per line (equals layout.size()). CrossMonth, Weather: 0.
  int16_t count1;
  // Hourly: records on the day's second line (hourly values + extremes).
  // Cloud with one line per day: records (observation times) per line.
  // Otherwise 0.
  int16_t count2;
  // Record width in characters (Daily, Hourly, HourlyWind, DeepGround). For
  // Cloud the width of one blank-separated item plus its separator: a
  // record of m items may be at most width*m - 1 characters. 0 when the
  // widths come from `layout`. RecordWidth applies the exceptions below.
  int16_t width;
  // Element name of the block: the `Element` column of its findings and
  // the key of the record form rule.
  std::string_view element;
  // Quality-control codes per day of the matching quality-control block;
  // 0 when the block has no quality-control block (the cross-month line).
  int16_t qcCodes;
  // WireIcing, MaxWind, Sunshine: the width of each record in order. Cloud
  // with four lines per day: the number of records on each line. Empty
  // otherwise.
  std::span<const uint8_t> layout = {};
  // The element arrays the block feeds (unused entries have no array).
  std::array<BlockTarget, 3> targets = {};
  // What a well-formed record looks like.
  RecordForm form = RecordForm::None;
  // Hourly blocks: the record (1-based, on a day's line) that is the hhmm
  // time of the day's extreme, 4 characters wide; 0 for none.
  int8_t timeRecord = 0;
  // Non-zero for visibility: the record width when the header's visibility
  // flag says an instrument measures it; timeRecord applies only then.
  int8_t instrumentWidth = 0;
};

// Mode code of a row that stands for every code not ending in "=".
inline constexpr std::string_view kAnyCode = "*";

// One accepted mode code of a segment and the blocks it brings.
struct ModeLayout {
  // The mode code as written after the element letter ("3", "A", ...), or
  // kAnyCode for a segment whose layout does not depend on the code (W).
  std::string_view code;
  // Blocks in file order.
  std::span<const BlockLayout> blocks;
  // Non-empty when the code is allowed only for a station of class
  // "基准站": the fatal message for any other class.
  std::string_view baseStationOnlyMessage = {};
};

// One of the twenty element segments.
struct SegmentLayout {
  // Element letter of the indicator line ("P" ... "B").
  char letter;
  // Index of the segment's mode code in AFileClass (1 ... 20), which is also
  // its order in the file.
  int classIndex;
  // Header character position (1-based) of the element's mode flag.
  int flagPosition;
  // Mode-flag rule and its code lists. Each list holds single-character
  // codes. For rule C an empty manualCodes means "any code other than =".
  ModeRule rule;
  std::string_view automaticCodes;
  std::string_view manualCodes;
  // Finding of a mode-flag rule violation: Message and Element.
  std::string_view ruleMessage;
  std::string_view ruleElement;
  // Fatal finding of a wrong indicator letter or an unknown mode code:
  // Message and Element.
  std::string_view fatalMessage;
  std::string_view fatalElement;
  // TimeOrItem of the segment's framing findings: "指示码P" ...
  std::string_view indicatorName;
  // TimeOrItem of the quality-control indicator findings: "质控码QP" ...
  std::string_view qcIndicatorName;
  // Mode codes the data section accepts, with their blocks.
  std::span<const ModeLayout> modes;
  // Further codes accepted only in the quality-control section (their
  // blocks give the quality-control code counts).
  std::span<const ModeLayout> qcOnlyModes = {};
};

// The twenty segments in file order (index k-1 holds AFileClass entry k).
std::span<const SegmentLayout> Segments();

// The mode of a segment with exactly this code (or its kAnyCode row when
// the code does not end in "="); nullptr when the code is not accepted. qcOnly also searches the codes accepted only in the
// quality-control section.
const ModeLayout* FindMode(const SegmentLayout& segment, std::string_view code, bool qcOnly = false);

// Lines each day of a block takes in the file: 2 for an hourly block, 4 for
// an hourly wind block, count1 for a cloud block, otherwise 1 (the weather
// segment and the cross-month line are read line by line).
int LinesPerDay(const BlockLayout& block);

// Records on line ln (0-based) of a day of a block: Daily, DeepGround and
// HourlyWind count1; Hourly count1 on the first line, count2 on the second;
// Cloud count2 on its one line or layout[ln] on four; WireIcing, MaxWind and
// Sunshine layout.size(); 0 for CrossMonth and Weather.
int RecordsPerLine(const BlockLayout& block, int ln);

// Width of record i (1-based) of a line of a block. instrumentVisibility:
// the header's visibility flag is "1" (visibility measured by an
// instrument, written in metres).
int RecordWidth(const BlockLayout& block, int i, bool instrumentVisibility);

// True when code is one of the single-character codes of list.
bool CodeInList(std::string_view list, std::string_view code);

}  // namespace kelvane::afile
