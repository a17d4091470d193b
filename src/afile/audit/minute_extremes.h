// The extremes of one hour of minute data (a line of the minute data file:
// the hour's values separated by single blanks, token k being minute k and
// token 60 minute "00" of the next full hour). The daily maximum and minimum
// of pressure and temperature, the daily minimum of relative humidity, and
// their times, are checked against them.
//
// How an hour's line is read:
//   - "," and "=" are no part of a value: they are dropped before the line
//     is split, so "02,53" is the token "0253";
//   - every blank ends a token, so two blanks in a row leave a minute
//     without a value and a leading blank moves the values one minute on;
//   - empty tokens and runs of "/" are missing and take part in nothing;
//   - any other token reads as its leading number, 0 when it has none (a
//     malformed token such as "AB" or "//1" takes part as 0);
//   - "%%", the record of 100 % relative humidity, reads 100 for the
//     minimum (and as its leading number, 0, for the maximum).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kelvane::afile::audit {

// How the tokens of an hour are read.
enum class MinuteValues {
  AsWritten,        // the token's leading number
  StationPressure,  // a four-digit token below 5000 lacks the thousands digit
                    // (0132 is 1013.2 hPa) and reads 10000 more, as the
                    // station-pressure arrays hold it
};

// The largest (or smallest) value of an hour and the minutes it occurs at.
struct MinuteExtreme {
  double value = 0;  // meaningful when Found()
  // The two-digit minutes the value occurs at, bit m for minute m: tokens 1
  // to 59 are minutes "01" to "59", token 60 is "00"; tokens past 60 are
  // named by the last two digits of their position.
  std::array<uint64_t, 2> minutes{};

  // False when the hour holds no value.
  bool Found() const { return (minutes[0] | minutes[1]) != 0; }
  // True when the two-digit minute ("07", "00") is one the value occurs at.
  bool At(std::string_view minute) const;
  void Mark(int token);
};

struct HourExtremes {
  MinuteExtreme max;
  MinuteExtreme min;
};

// The extremes of one hour's line as the file holds it (trailing blanks,
// "," and "=" included), in one pass and without copying the line.
HourExtremes ScanMinuteHour(std::string_view line, MinuteValues reading = MinuteValues::AsWritten);

// The hours of one element of a month, by (day 1..31, hour column 1..24);
// the columns run as an hourly array's do, from the hour ending at 21
// o'clock of the day before. The reader hands in each hour's line as a view
// into the file's text (which its owner keeps alive); an hour is scanned the
// first time an audit asks for it, and only once, so a month costs the
// scanning of the hours its daily extremes fall in, not of every hour.
class MinuteHours {
 public:
  static constexpr int kDays = 31;
  static constexpr int kHours = 24;

  // Every hour of every day present and without values; lines set later are
  // read with `reading`.
  void Reset(MinuteValues reading = MinuteValues::AsWritten) {
    reading_ = reading;
    lines_.assign(kCells, std::string_view());
    hours_.assign(kCells, HourExtremes{});
    scanned_.assign(kCells, 0);
  }
  // The line of an hour (day 1..31, column 1..24, after Reset); the view
  // must stay valid as long as this object is used.
  void SetLine(long day, long column, std::string_view line) {
    const size_t i = Index(day, column);
    lines_[i] = line;
    scanned_[i] = 0;
  }
  // The hour; nullptr outside the month's days and hours or before Reset.
  const HourExtremes* Find(long day, long column) const {
    if (hours_.empty() || day < 1 || day > kDays || column < 1 || column > kHours)
      return nullptr;
    const size_t i = Index(day, column);
    if (!scanned_[i]) {
      hours_[i] = ScanMinuteHour(lines_[i], reading_);
      scanned_[i] = 1;
    }
    return &hours_[i];
  }
  // The extremes of an hour set directly (day 1..31, column 1..24, after
  // Reset), in place of a line.
  HourExtremes& At(long day, long column) {
    const size_t i = Index(day, column);
    scanned_[i] = 1;
    return hours_[i];
  }

 private:
  static constexpr size_t kCells = static_cast<size_t>(kDays * kHours);
  static size_t Index(long day, long column) {
    return static_cast<size_t>((day - 1) * kHours + (column - 1));
  }
  MinuteValues reading_ = MinuteValues::AsWritten;
  std::vector<std::string_view> lines_;
  // Scanned on demand by the const Find: the cache is not part of the
  // object's value. One object serves one audit call on one thread.
  mutable std::vector<HourExtremes> hours_;
  mutable std::vector<uint8_t> scanned_;
};

}  // namespace kelvane::afile::audit
