// What a host does with one data file: pick the class by the file's kind,
// run its format check (and, where built, its audit) and collect the result.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/decoder.h"
#include "kelvane/kelvane.h"

namespace kelvane::host {

struct Finding {
  std::string Message, Element, RelatedItem, Day, TimeOrItem, Line, Level;
};

// Keeps the first maxFindings findings (none dropped when maxFindings is 0
// or less) and ends the list with one row saying how many were left out in
// all, counting the rows of that kind already in the list.
void BoundFindings(std::vector<Finding>& findings, long maxFindings);

struct FileResult {
  std::string file;
  char kind = '?';           // 'A', 'R', 'Y', or '?' for a file of another kind
  bool checked = false;      // false when the kind is not handled
  bool usable = false;       // the format-usable flag after the format check
  Status status;             // error status of a check that could not run
  std::vector<Finding> findings;

  bool HasError() const;     // some finding has the level "错误"

  // The decoded arrays of an audited file, kept when CheckOptions::keepArrays
  // is set (one of them, by the kind): what a report shows beside the findings.
  std::shared_ptr<const DecodedAFile> aArrays;
  std::shared_ptr<const RFileArrays> rArrays;
  std::shared_ptr<const YFileArrays> yArrays;
};

struct CheckOptions {
  std::string sysPath;       // system directory
  bool formatOnly = false;   // skip the audit
  WarningCallback warn;      // receives the audit's warning, if any
  // At most this many findings kept per file (0: no limit); the list then
  // ends with a row saying how many were left out.
  long maxFindings = 0;
  // Files larger than this many bytes are not read: an error status (0: no
  // limit).
  uint64_t maxFileSize = 0;
  // Keep the decoded arrays in the result (FileResult::aArrays ...).
  bool keepArrays = false;
};

// Kind letter of a data file: the first letter of its file name, upper-cased.
char FileKind(const std::string& path);

// Checks files one after the other with one component instance per file
// kind, reused across files (an instance keeps its rule sets and station
// rows for the next file of the same station and month; the findings are
// those of a fresh instance). One Checker serves one thread.
class Checker {
 public:
  explicit Checker(CheckOptions options);
  ~Checker();
  Checker(const Checker&) = delete;
  Checker& operator=(const Checker&) = delete;

  // Checks one file. Never throws.
  FileResult Check(const std::string& path);

 private:
  struct Instances;
  CheckOptions opt_;
  std::unique_ptr<Instances> in_;
};

// Checks one file with fresh instances. Never throws.
FileResult CheckFile(const std::string& path, const CheckOptions& options);

// Reads a result list (columns 1..7, rows 0..n) into findings.
std::vector<Finding> ReadFindings(const StringArray& list);

}  // namespace kelvane::host
