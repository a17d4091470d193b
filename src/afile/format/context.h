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
  // Where problems of the reference data are noted (none when null).
  std::vector<std::string>* problems = nullptr;

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

}  // namespace kelvane::afile
