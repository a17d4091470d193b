// The minute data file of an A file (the "J file": same folder, same name
// with the leading letter "J"): a 58-character header, then the minute
// values of station pressure, air temperature and relative humidity, one
// line per hour of the month. The pressure, temperature and humidity audits
// compare the daily extremes with it; when it is missing or malformed those
// comparisons are simply skipped.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "afile/audit/minute_extremes.h"
#include "kelvane/data_file.h"

namespace kelvane::afile::audit {

// Path of the minute data file of an A file: the A file's name (19
// characters when the path ends, in any case, in "-0.TXT", "-1.TXT" or
// "-9.TXT", else 17) with its first character replaced by "J", in the same
// folder.
std::string JFilePath(std::string_view aFilePath);

// Minute data of one month, each hour scanned into its extremes
// (minute_extremes.h) when first asked for: station pressure with its
// thousands digit, as the station-pressure arrays hold it; air temperature
// and relative humidity as written. Days past the month's end, and sections
// written without data, hold hours without values.
struct JFileData {
  std::shared_ptr<const DataFile::Text> text;  // the lines the hours view
  MinuteHours pressure;
  MinuteHours temperature;
  MinuteHours humidity;
  bool ok = false;
};

// Reads the file at path for a month of `days` days. ok comes back false
// when the header is not a 58-character minute-file header, a section does
// not start with its code or its "=" form, a section ends early, the day
// count is outside 1..31, or the file cannot be read; never raises. A
// section's code line is "P0" ("T0", "U0") before days × 24 data lines, or
// "P=" for a section without data; a code line that only starts with "P0"
// is followed by no data lines.
void ReadJFile(const std::string& path, int days, JFileData& out);

}  // namespace kelvane::afile::audit
