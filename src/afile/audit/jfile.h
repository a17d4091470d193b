// The minute data file of an A file (the "J file": same folder, same name
// with the leading letter "J"): a 58-character header, then the minute
// values of station pressure, air temperature and relative humidity, one
// line per hour of the month. The pressure and temperature audits compare
// the daily extremes with it; when it is missing or malformed those
// comparisons are simply skipped.
#pragma once

#include <string>
#include <string_view>

#include "common/text_file.h"
#include "kelvane/safe_array.h"

namespace kelvane::afile::audit {

// Path of the minute data file of an A file: the A file's name (19
// characters when the path ends, in any case, in "-0.TXT", "-1.TXT" or
// "-9.TXT", else 17) with its first character replaced by "J", in the same
// folder.
std::string JFilePath(std::string_view aFilePath);

// Minute data of one month: (day 1..31, hour position 1..24) texts, each the
// hour's minute values separated by blanks ("," and "=" removed).
struct JFileData {
  StringArray pressure;
  StringArray temperature;
  StringArray humidity;
  bool ok = false;
};

// Reads the file at path for a month of `days` days. ok comes back false
// when the header is not a 58-character minute-file header, a section does
// not start with its code or its "=" form, a section ends early, the day
// count is outside 1..31, or the file cannot be read; never raises.
void ReadJFile(const std::string& path, int days, JFileData& out);

// One section ("P", "T" or "U"): its code line ("P0", or "P=" for a section
// without data), then days × 24 data lines when the code line is exactly the
// code. Sets ok false on a wrong code line or an early end of the file.
void ReadJSection(LineReader& in, std::string_view letter, StringArray& cells, int days, bool& ok);

}  // namespace kelvane::afile::audit
