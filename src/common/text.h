// Shared text and number helpers used by all checks and audits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvane {

// Sign of x times the integer part of |x| + 0.5: halves go away from zero.
// Raises an overflow error when the result does not fit 32 bits.
int32_t RoundHalfAway(double x);

// Field n (1-based) of text between separators, after the text has been
// trimmed of leading and trailing blanks. Adjacent separators enclose an empty
// field; n <= 0, a field beyond the last, or an empty separator give "".
std::string GetField(std::string_view text, std::string_view separator, int32_t n);

// Whether a field is taken from the text trimmed of its leading and trailing
// blanks (as GetField does) or from the text as it stands.
enum class FieldBlanks : uint8_t { Trim, Keep };
// The same as GetField, as a view into text (no allocation). With
// FieldBlanks::Keep the blanks around the text stay part of its first and
// last fields.
std::string_view GetFieldView(std::string_view text, std::string_view separator, int32_t n,
                              FieldBlanks blanks = FieldBlanks::Trim);

// Non-overlapping occurrences of separator in text (0 for an empty separator).
int32_t CountSeparators(std::string_view text, std::string_view separator);

// Canonical form of a latitude or longitude text: degrees without leading
// zeros, ".", minutes with at least two digits, hemisphere letter.
std::string NormalizeCoordinate(std::string_view text);

// The leading number of a text, read in one pass without allocating:
// leading blanks (spaces, tabs) skipped, an optional sign, digits with an
// optional decimal part ("5.", ".5" and "5.5", not a lone ".").
struct ParsedNumber {
  double value = 0;           // 0 when there is no digit
  size_t consumed = 0;        // characters read up to the number's end
  bool anyDigit = false;      // a number was read
  bool decimalPoint = false;  // the number has a decimal part
  bool wholeText = false;     // a number with only blanks after it
};
// The reading of any text; ParseNumber below reads the usual plain run of
// digits inline and hands every other text to it.
ParsedNumber ParseAnyNumber(std::string_view text);
inline ParsedNumber ParseNumber(std::string_view t) {
  // Most texts of station files are plain runs of digits: up to 15 of them
  // sum exactly in an integer (below 2^53 the double steps v * 10 + digit
  // of the general reading are exact too, so the value is the same).
  if (!t.empty() && t.size() <= 15) {
    uint64_t n = 0;
    size_t k = 0;
    for (; k < t.size(); ++k) {
      const unsigned d = static_cast<unsigned char>(t[k]) - unsigned{'0'};
      if (d > 9) return ParseAnyNumber(t);
      n = n * 10 + d;
    }
    ParsedNumber r;
    r.value = static_cast<double>(n);
    r.consumed = k;
    r.anyDigit = true;
    r.wholeText = true;
    return r;
  }
  return ParseAnyNumber(t);
}

// Value of the leading number of a text: leading blanks skipped, an optional
// sign, digits with an optional decimal part; 0 when there is none.
inline double LeadingNumber(std::string_view text) { return ParseNumber(text).value; }
// Leading number as a whole number (fraction truncated toward zero, saturated
// to the 64-bit range).
int64_t LeadingInteger(std::string_view text);

// True when the whole text (blanks around it allowed) is a number: optional
// sign, digits, optional decimal point and digits, at least one digit.
inline bool IsNumericText(std::string_view text) { return ParseNumber(text).wholeText; }
// True when every comma-separated field of text is numeric (IsNumericText):
// a number, or a list of numbers such as the twelve monthly values of a
// rule entry.
bool IsNumberList(std::string_view text);

// Leading and trailing blanks (spaces only) removed.
std::string_view TrimBlanks(std::string_view text);

// Number of characters (UTF-8 code points) of a text.
size_t CharCountOfLongText(std::string_view utf8);
inline size_t CharCount(std::string_view utf8) {
  // Records are a few bytes long: count them here, longer texts eight bytes
  // at a time.
  if (utf8.size() >= 16) return CharCountOfLongText(utf8);
  size_t n = 0;
  for (char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

// Shortest decimal text of a number that reads back to the same value
// ("12.3", "5", "-0.25").
std::string FormatNumber(double x);

// x written with 15 significant digits and read back, the way a real is
// taken through its text ("%.15g"): 0.6 * 3 gives 1.8, not the binary value
// just below it.
double ThroughFifteenDigits(double x);

// Days of a month (28..31), leap years included; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);

// ---- small helpers of the line-by-line checks

inline bool EndsWith(std::string_view s, char c) { return !s.empty() && s.back() == c; }
inline bool StartsWith(std::string_view s, char c) { return !s.empty() && s.front() == c; }

// The text without its last character (code point).
std::string_view DropLastChar(std::string_view s);

// The text with every character of `chars` removed. Returns a view into s
// when nothing had to be removed or only trailing characters, otherwise a
// view into scratch.
std::string_view RemoveChars(std::string_view s, std::string_view chars, std::string& scratch);

// A decimal number: optional sign, digits with an optional point and
// fraction, at least one digit, nothing else (no blanks). Inline: the
// format check asks it of every record.
inline bool IsDecimal(std::string_view s) {
  const char* p = s.data();
  const char* const end = p + s.size();
  if (p != end && (*p == '+' || *p == '-')) ++p;
  const char* const first = p;
  while (p != end && static_cast<unsigned char>(*p - '0') < 10) ++p;
  bool digits = p != first;
  if (p != end && *p == '.') {
    const char* const fraction = ++p;
    while (p != end && static_cast<unsigned char>(*p - '0') < 10) ++p;
    digits = digits || p != fraction;
  }
  return digits && p == end;
}

// True when s is non-empty and consists only of the byte c.
inline bool IsRunOf(std::string_view s, char c) {
  if (s.empty()) return false;
  for (char x : s)
    if (x != c) return false;
  return true;
}

// Matches a whole text against a pattern of one-character elements: "#" a
// digit, "?" any character (a whole UTF-8 sequence), "[set]" one character
// of the set (ranges "a-b"; a "-" at either end of the set is literal),
// anything else itself.
bool MatchPattern(std::string_view text, std::string_view pattern);

// Number of blanks in s.
inline int CountBlanks(std::string_view s) {
  int n = 0;
  for (char c : s) n += c == ' ';
  return n;
}

// Decimal text of a whole number.
std::string Num(long n);

}  // namespace kelvane
