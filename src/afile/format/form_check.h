// The A-file format check: reads an A file from its first to its last line,
// checks its name, header, data segments, quality-control section,
// corrections and appendix blocks, compares the header with the station
// table, and fills the parameter arrays for the audit.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/audit_list.h"
#include "kelvane/data_file.h"
#include "kelvane/safe_array.h"

namespace kelvane::afile {

// Runs the whole check, appending findings to list (which the caller has
// emptied). AFilePara must cover indices 1..52 and AFileClass 1..20, else a
// subscript error is raised before anything is written. A file that cannot
// be opened and a station table that cannot be read raise kelvane::Error.
// A structural error ends the check early with AFilePara 6 false.
// text is the file already read (its lines are checked as they are), or
// null to read the file at pathFile after its name has been checked.
// Problems of the reference data (the station table) are noted in problems
// for the caller's warning; they never change the findings.
void RunFormCheck(std::string_view sysPath, const std::string& pathFile,
                  std::shared_ptr<const DataFile::Text> text, VariantArray& AFilePara,
                  StringArray& AFileClass, AuditList& list,
                  std::vector<std::string>* problems = nullptr);

}  // namespace kelvane::afile
