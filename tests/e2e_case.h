// End-to-end cases as files (tests/cases/*.case, described in
// tests/cases/README.md): a sample file to start from, edits to make in it
// (or in its minute data file), and the findings `kelvane check` must give
// for the edited file. This header reads a case file and applies its edits;
// test_e2e_cases.cpp runs the cases.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::testing {

// Where an edit applies: a line of the start file or of its minute data
// file, given by its line number or by segment / block / day / line of the
// day, and optionally one record of that line. Numbers count from 1; 0 is
// "not given".
struct CaseLocation {
  char file = 0;       // 0: the start file; 'J': the start A file's minute data file
  int lineNumber = 0;  // file line (the header is line 1); 0 when a segment is given
  char segment = 0;    // segment letter (A file) or section letter (minute file)
  int block = 1;       // block of the segment's mode code, in file order
  int day = 0;         // day of the month (0 for a block that is one line per month)
  int dayLine = 1;     // line of the day within the block
  int record = 0;      // record of the line; 0 for the whole line
  std::string text;    // the location as written, for messages
};

enum class CaseEditKind { ReplaceRecord, ReplaceLine, RemoveLine };

struct CaseEdit {
  CaseEditKind kind;
  CaseLocation at;
  std::string value;  // the new record or line (UTF-8); empty for a removal
  int caseLine = 0;   // line of the case file, for messages
};

// One finding in the seven columns of the output.
using CaseFinding = std::array<std::string, 7>;
inline constexpr std::array<const char*, 7> kFindingColumns = {
    "Message", "Element", "RelatedItem", "Day", "TimeOrItem", "Line", "Level"};

struct Case {
  std::string start;  // file of the sample set's data directory ("A53772-201203.TXT")
  std::vector<CaseEdit> edits;
  int exitStatus = -1;
  bool usable = true;
  std::vector<CaseFinding> findings;  // in output order; empty for "expect: no findings"
};

// Reads the text of a case file into *out. Returns "" or the first error as
// "line N: what is wrong".
std::string ParseCase(std::string_view text, Case* out);

// A finding as a row of a case file ("Message | Element | ... | Level").
std::string FormatFinding(const CaseFinding& f);

// The lines of a data file (CRLF line ends removed) and back.
using FileLines = std::vector<std::string>;
FileLines SplitFileLines(std::string_view bytes);
std::string JoinFileLines(const FileLines& lines);

// Applies one edit. aLines is the start A file, jLines its minute data file
// (nullptr when it has none); both as written (GB18030). Returns "" or what
// went wrong; *done describes the change ("A line 170: ... -> ...").
std::string ApplyEdit(const CaseEdit& edit, FileLines& aLines, FileLines* jLines,
                      std::string* done);

}  // namespace kelvane::testing
