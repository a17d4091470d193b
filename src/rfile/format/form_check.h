// The R-file format check: reads a monthly radiation file from its first
// to its last line, checks the header, the data segments of the station's
// radiation class, the quality-control part and corrections, the cover, the
// instruments, the site surroundings and the remarks, compares the header
// and the cover with the station table, and fills RFilePara for the audit.
#pragma once

#include <memory>
#include <string>
#include <vector>
#include <string_view>

#include "common/audit_list.h"
#include "kelvane/data_file.h"
#include "kelvane/safe_array.h"
#include "rfile/sun_times.h"

namespace kelvane::rfile {

// Runs the whole check, appending findings to list (which the caller has
// emptied). RFilePara must cover indices 1..12, else a subscript error is
// raised before anything is written. text is the file already read, or
// null to read the file at pathFile. A file that cannot be read and a
// station table that cannot be opened raise kelvane::Error. A structural
// error, and a file that ends before its last section, end the check with
// RFilePara 6 false. sunTimes is the instance's RSunTimes, rebuilt from the
// header (left as it was when the header failed its pattern). With
// problems, what is wrong with the station table for this station is noted
// there in words (see FindStation); the findings are the same either way.
void RunRFormCheck(std::string_view sysPath, const std::string& pathFile,
                   std::shared_ptr<const DataFile::Text> text, VariantArray& RFilePara,
                   SunTimesTable& sunTimes, AuditList& list,
                   std::vector<std::string>* problems = nullptr);

// The header line pattern ("#" a digit, "[..]" one character of the set).
inline constexpr std::string_view kRHeaderPattern =
    "[A-W0-9]#### ####[NS] #####[EW] [01]##### Z[123] [01] #### ##";

}  // namespace kelvane::rfile
