// The day's weather phenomenon text of an A file (strw column 1), read by
// its grammar:
//
//   day        = "." | [ "(" records ")" ] records "."
//   records    = { record "," }
//   record     = code [ " " period { "'" period } | "[" visibility "]" ]
//   code       = two digits of the phenomenon code list
//   period     = time [ "[" visibility "]" ] [ ( "-" | "..." ) time ]
//                [ ";" direction [ ":" direction [ ":" direction ] ] ]
//   time       = hhmm | "////"
//   visibility = digits (metres)
//   direction  = "N" | "NE" | "E" | "SE" | "S" | "SW" | "W" | "NW" | "Z"
//
// The records inside the parentheses were observed at night. A direction
// may also be written after "-" ("1400-1500;W-E"); the reader turns "-E",
// "-S", "-W", "-N", "-Z" (any case) into ":E" ... first.
//
// The reader is lenient: every text gives a WeatherDay. Where the text
// departs from the grammar is listed as issues with their offsets in the
// day text: the first departure of the day frame, of each record up to its
// first period, and of each period. The fields the audit
// rules read are taken by position the way those rules count, so a
// malformed record still has a code, periods, a start and an end: the start
// is the first four characters of a period, the end the four characters
// after its first "-" (a "..." reads as "-"). Lengths and positions count
// characters, not bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::afile::audit {

// ---------------------------------------------------------------- codes, times

// True when code is not one of the phenomenon codes; an empty code counts
// as valid.
bool IsBadPhenomenonCode(std::string_view code);

// True when code (two characters) is one of the codes of list, a text of
// two-digit codes each followed by "," ("06,07,").
bool CodeIn(std::string_view code, std::string_view list);

// Codes that may carry a minimum visibility, in the order of their flags.
inline constexpr std::string_view kVisibilityCodes = "04,05,06,31,38,39,42,";
// Position of code in kVisibilityCodes (0..6), -1 when it is not there.
int VisibilityCodeSlot(std::string_view code);

// A time written "////" (not observed).
inline constexpr std::string_view kUnknownTime = "////";
inline constexpr int kUnknownMinutes = -1;

enum class TimeRole : uint8_t { Start, End };

// Minutes of hhmm since 20:00 of the previous day: hours 21..24 and 00 come
// first, 01..19 follow, 20:00 is 0 as a start and 1440 as an end. "////" is
// -1; an hour outside 00..24 gives 0. Hours and minutes are the leading
// numbers of the first and of the next two characters.
int PhenomenonMinutes(std::string_view time, TimeRole role);

// hh at most 23 and mm at most 59; as an end "0000" is invalid and "2400"
// valid (the daily-extreme time test with the role's marker).
bool IsBadPhenomenonTime(std::string_view time, TimeRole role);

// Order of two times (minutes as PhenomenonMinutes gives them); nothing is
// compared when either is -1. Within a period a is the start and b the
// end; between periods a is the previous end and b the next start, which
// must come more than 15 minutes later (else the two are one dotted
// period). Returns the message, empty when the order is right.
enum class Sequence : uint8_t { WithinPeriod, BetweenPeriods };
std::string_view CheckPeriodSequence(int a, int b, Sequence kind);

// Thunderstorm directions: the eight points and "Z" (overhead).
bool IsBadThunderDirection(std::string_view d);
// Z 361, N 360, NE 45, E 90, SE 135, S 180, SW 225, W 270, NW 315, else 0.
int ThunderDirectionDegrees(std::string_view d);

// True when every comma-separated piece of the text, parentheses removed,
// has at most two characters (phenomena recorded without times).
bool IsWithoutTimes(std::string_view dayText);

// ---------------------------------------------------------------- grammar issues

enum class WeatherSyntax : uint8_t {
  Unfinished,        // the text does not end with ",." or ")." (nor is ".")
  Parenthesis,       // "(" not opening the text, ")" not after a ",", or one without the other
  BlankBeforeComma,  // a record ending in a blank
  EmptyRecord,       // nothing between two commas, or a "." before the end
  Code,              // not a phenomenon code
  AfterCode,         // neither " ", "[" nor the record's end after the code
  Time,              // not four digits or "////"
  AfterTime,         // not "[", "-", "...", ";", "'" or the record's end after a time
  Visibility,        // not digits closed by "]"
  Direction,         // not N, NE, E, SE, S, SW, W, NW or Z, at most three, ":" between
  AfterPeriod,       // something after the end time other than ";"
};

// A short English description ("expected hhmm or ////").
std::string_view Describe(WeatherSyntax what);

struct WeatherIssue {
  uint32_t offset = 0;  // byte offset in the day text as given
  WeatherSyntax what = WeatherSyntax::Unfinished;
  bool operator==(const WeatherIssue&) const = default;
};

// ---------------------------------------------------------------- parsed day

struct WeatherPeriod {
  // A period is kept small (a day text of a few MiB holds hundreds of
  // thousands): its texts are views rebuilt from three pointers and spans.
  std::string_view written() const { return {written_, writtenSize_}; }  // as in the record
  std::string_view text() const { return {text_, textSize_}; }  // with "..." read as "-"
  std::string_view start() const { return start_.In(text_); }  // the first four characters of text
  std::string_view end() const { return end_.In(text_); }  // the four characters after its first "-"
  // The text between the first "[" and the first "]" when "[" comes first.
  std::string_view visibility() const { return visibility_.In(text_); }
  // The period with its bracket group cut out (only for the codes that may
  // carry a minimum visibility) and split at the first ";".
  std::string_view core() const { return {cut_, coreSize_}; }
  std::string_view directionText() const {
    return hasDirections ? std::string_view(cut_ + coreSize_ + 1, cutSize_ - coreSize_ - 1)
                         : std::string_view();
  }
  // directionText split at ":": the first three and the last.
  std::array<std::string_view, 3> directions() const {
    return {directions_[0].In(cut_), directions_[1].In(cut_), directions_[2].In(cut_)};
  }
  std::string_view lastDirection() const { return lastDirection_.In(cut_); }

  uint32_t offset = 0;       // of written in the day text
  // Minutes of start and end as written (PhenomenonMinutes; -1 for "////";
  // without an end, the end is the start).
  int writtenStart = kUnknownMinutes;
  int writtenEnd = kUnknownMinutes;
  // The same for the order rules: an unknown end takes the start, then an
  // unknown start takes the end.
  int startMinutes = kUnknownMinutes;
  int endMinutes = kUnknownMinutes;
  uint32_t directionCount = 0;  // pieces of directionText
  // Minimum visibility brackets in text: how many of each.
  uint16_t opens = 0, closes = 0;
  bool dotted = false;       // written with "..."
  bool tooShort = false;     // text has fewer than four characters
  bool hasEnd = false;       // text contains "-"
  bool bracketsReversed = false;  // the first "]" comes before the first "["
  bool hasDirections = false;

 private:
  friend class WeatherDay;
  struct Span {
    uint32_t from = 0, size = 0;
    std::string_view In(const char* base) const { return {base + from, size}; }
  };
  const char* written_ = nullptr;
  const char* text_ = nullptr;
  const char* cut_ = nullptr;  // text with the bracket group cut out
  uint32_t writtenSize_ = 0, textSize_ = 0, cutSize_ = 0, coreSize_ = 0;
  Span start_, end_, visibility_;         // in text
  Span directions_[3], lastDirection_;    // in cut
};
static_assert(sizeof(WeatherPeriod) <= 136, "a period stays small: long lines hold many");

enum class RecordForm : uint8_t {
  Bare,        // the code alone
  Periods,     // code, blank, periods
  Visibility,  // code and "[" visibility "]" (no periods)
};

struct WeatherRecord {
  // A record is kept in 40 bytes (a day text of a few MiB holds millions of
  // them): its texts are views rebuilt from one pointer and a few lengths.
  std::string_view text() const { return {data_, size_}; }  // parentheses removed
  std::string_view code() const { return {data_, codeSize_}; }  // the first two characters
  std::string_view rest() const { return {data_ + restFrom_, restSize_}; }  // after the code, blanks trimmed
  // Visibility form: the text after "[".
  std::string_view visibility() const {
    return form == RecordForm::Visibility ? rest().substr(1) : std::string_view();
  }
  // Characters of text.
  uint32_t length() const;
  // The character after the code ("" when there is none).
  std::string_view AfterCode() const;

  uint32_t offset = 0;    // in the day text
  int index = 0;          // 1-based place among the day's comma-separated pieces
  uint32_t firstPeriod = 0, periodCount = 0;  // into WeatherDay::periods()
  bool night = false;     // inside the parentheses
  RecordForm form = RecordForm::Bare;

 private:
  friend class WeatherDay;
  uint8_t codeSize_ = 0;
  uint32_t size_ = 0, restFrom_ = 0, restSize_ = 0;
  const char* data_ = nullptr;
};
static_assert(sizeof(WeatherRecord) <= 40, "a record stays small: long lines hold millions");

// One day's text, parsed. Parse again to reuse the storage (the views of a
// previous parse become invalid).
class WeatherDay {
 public:
  void Parse(std::string_view dayText);

  // The text as given (a view of the caller's text).
  std::string_view raw() const { return raw_; }
  // The text with thunderstorm directions written after "-" turned into ":".
  std::string_view text() const { return text_; }

  bool hasOpenParenthesis() const { return hasOpen_; }
  bool hasCloseParenthesis() const { return hasClose_; }
  int openBrackets() const { return openBrackets_; }
  int closeBrackets() const { return closeBrackets_; }
  bool blankBeforeComma() const { return blankBeforeComma_; }
  // The text is "." or ends with ",." or ")." (longer than three characters).
  bool complete() const { return complete_; }

  // Index of the last night record, 0 when there is none.
  int lastNightIndex() const { return lastNight_; }
  // The pieces other than "." in order.
  const std::vector<WeatherRecord>& records() const { return records_; }
  const std::vector<WeatherPeriod>& periods() const { return periods_; }
  // The periods of a record.
  const WeatherPeriod* begin(const WeatherRecord& r) const { return periods_.data() + r.firstPeriod; }
  const WeatherPeriod* end(const WeatherRecord& r) const {
    return periods_.data() + r.firstPeriod + r.periodCount;
  }
  // Where the text departs from the grammar, in text order.
  const std::vector<WeatherIssue>& issues() const { return issues_; }

 private:
  void CheckFrame();
  void ReadRecord(std::string_view piece, uint32_t cleanOffset, int index);
  void ReadPeriod(const WeatherRecord& r, std::string_view written, uint32_t cleanOffset,
                  bool checkGrammar);
  bool CheckRecordGrammar(const WeatherRecord& r, uint32_t cleanOffset);
  void CheckPeriodGrammar(std::string_view written, uint32_t cleanOffset);
  void Issue(uint32_t cleanOffset, WeatherSyntax what);
  uint32_t RawOffset(uint32_t cleanOffset) const;
  void Append(std::string_view s);

  std::string_view raw_;
  std::string text_;    // directions normalised
  std::string clean_;   // text_ without parentheses
  std::string pool_;    // period texts and cut periods (reserved, never reallocated)
  std::vector<uint32_t> parentheses_;  // offsets in clean_ where a "(" or ")" was removed
  std::vector<WeatherRecord> records_;
  std::vector<WeatherPeriod> periods_;
  std::vector<WeatherIssue> issues_;
  bool hasOpen_ = false, hasClose_ = false, blankBeforeComma_ = false, complete_ = false;
  int openBrackets_ = 0, closeBrackets_ = 0;
  int lastNight_ = 0;
};

}  // namespace kelvane::afile::audit
