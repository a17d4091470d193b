// The Y-file format check: reads a yearly file from its first to its last
// line, checks its name, header, element blocks, cover, climate outline,
// remarks and instrument sections, compares the header with the station
// table and fills YFilePara for the audit.
#pragma once

#include <memory>
#include <string>
#include <vector>
#include <string_view>

#include "common/audit_list.h"
#include "kelvane/data_file.h"
#include "kelvane/safe_array.h"

namespace kelvane::yfile {

// Runs the whole check, appending findings to list (which the caller has
// emptied). YFilePara must cover indices 1..16, else a subscript error is
// raised before anything is written. A file that cannot be opened and a
// station table that cannot be read raise kelvane::Error. A structural
// error ends the check early with YFilePara 4 false. text is the file
// already read, or null to read the file at pathFile. With problems, what
// is wrong with the station table for this station is noted there in words
// (see FindStation); the findings are the same either way.
void RunYFormCheck(std::string_view sysPath, const std::string& pathFile,
                   std::shared_ptr<const DataFile::Text> text, VariantArray& YFilePara,
                   AuditList& list, std::vector<std::string>* problems = nullptr);

// Year, latitude and longitude texts of YFilePara as the audit and the
// statistics read them.
inline constexpr long kParaYear = 2;
inline constexpr long kParaUsable = 4;
inline constexpr long kParaLatitude = 6;
inline constexpr long kParaLongitude = 7;
inline constexpr long kParaCount = 16;

}  // namespace kelvane::yfile
