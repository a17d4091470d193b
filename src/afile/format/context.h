// State of one A-file format check while it reads the file: the parameter
// arrays, the result list, the open file with its line counter, what the
// header said about the element modes and which data blocks held data. The
// section checkers share it; every finding goes through Add or Fatal.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "common/audit_list.h"
#include "common/text_file.h"
#include "kelvane/safe_array.h"

namespace kelvane::afile {

// Raised by FormContext::Fatal to end the check after a structural error;
// caught by RunFormCheck, never outside the format check.
struct FatalStop {};

// What the header says for the data section. Taken from the parameter array
// once the header passed its pattern; from the raw header line positions
// when it failed but is long enough; otherwise unknown.
struct HeaderFacts {
  // Element mode flags ('0', '1', '9'), indexed by AFileClass index 1..20.
  bool flagsKnown = false;
  std::array<char, 21> flag{};
  // Station type "人工" (header position 43 is "0").
  bool manualStation = false;
  // Station class "基准站"; unknown when the header gave no class.
  std::optional<bool> baseStation;
  // The file has no quality-control section (header position 67 is "0");
  // unknown when the header gave no such position.
  std::optional<bool> noQualityControl;
};

class FormContext {
 public:
  FormContext(std::string_view sysPath, const std::string& pathFile, VariantArray& para,
              StringArray& cls, AuditList& list)
      : sysPath(sysPath), pathFile(pathFile), para(para), cls(cls), list(list) {}

  std::string_view sysPath;
  const std::string& pathFile;
  VariantArray& para;
  StringArray& cls;
  AuditList& list;

  std::optional<LineReader> in;
  long line = 0;    // number of the last line read (1 = header)
  int days = 31;    // days of the month (AFilePara 4)
  HeaderFacts header;
  // Mode code of each segment as read (AFileClass), index 1..20.
  std::array<std::string, 21> codes;
  // Whether each data block of a segment held data (false for "=", "0=").
  static constexpr int kMaxBlocks = 8;
  std::array<std::array<bool, kMaxBlocks>, 21> present;

  // Reads the next line into out and counts it; false at end of file.
  bool Next(std::string_view& out) {
    if (in->Eof()) return false;
    out = in->ReadLine();
    ++line;
    return true;
  }
  bool AtEnd() const { return in->Eof(); }
  std::string_view Peek() const { return in->Peek(); }

  // Appends a finding of level "错误" on the current line.
  void Add(std::string_view message, std::string_view element, std::string_view related,
           std::string_view day, std::string_view timeOrItem);
  // Same on a given line.
  void AddOnLine(std::string_view message, std::string_view element, std::string_view related,
                 std::string_view day, std::string_view timeOrItem, long lineNumber,
                 std::string_view level);
  // Appends the finding, clears the usable flag (AFilePara 6) and ends the
  // check.
  [[noreturn]] void Fatal(std::string_view message, std::string_view element,
                          std::string_view day, std::string_view timeOrItem);

  // Scratch buffer for lines that need characters removed.
  std::string scratch;
};

// ---- small text helpers shared by the section checkers

inline bool EndsWith(std::string_view s, char c) { return !s.empty() && s.back() == c; }
inline bool StartsWith(std::string_view s, char c) { return !s.empty() && s.front() == c; }

// The text without its last character (code point).
std::string_view DropLastChar(std::string_view s);

// The text with every character of `chars` removed. Returns a view into s
// when nothing had to be removed or only trailing characters, otherwise a
// view into scratch.
std::string_view RemoveChars(std::string_view s, std::string_view chars, std::string& scratch);

// A decimal number: optional sign, digits with an optional point and
// fraction, at least one digit, nothing else.
bool IsDecimal(std::string_view s);

// True when s is non-empty and consists only of the byte c.
bool IsRunOf(std::string_view s, char c);

// Matches a whole text against a pattern of one-character elements: "#" a
// digit, "?" any character, "[set]" one character of the set (ranges "a-b";
// a "-" at either end of the set is literal), anything else itself.
bool MatchPattern(std::string_view text, std::string_view pattern);

// Number of blanks in s.
int CountBlanks(std::string_view s);

// Field n (1-based) of s between single-character separators, no trimming;
// empty when there are fewer fields.
std::string_view FieldOf(std::string_view s, char sep, int n);

// Decimal text of a whole number.
std::string Num(long n);

}  // namespace kelvane::afile
