// The name of an A file: "A", the five-character station, "-", year and
// month (yyyymm), optionally an observation-mode suffix "-0" (manual),
// "-1" (automatic) or "-9", then ".TXT". The format check reads station,
// year and month from it and finds the previous month's file by it; the
// audit finds the minute data file by it. Both read the name through these
// rules so that they agree on where the name starts.
#pragma once

#include <cstddef>
#include <string_view>

namespace kelvane::afile {

// The observation-mode suffix of the name at the end of a path: '0', '1'
// or '9' when the path ends (in any case) in "-0.TXT", "-1.TXT" or
// "-9.TXT", else '\0'.
char ObservationModeSuffix(std::string_view path);

// Length of the A-file name at the end of a path: 19 characters with an
// observation-mode suffix, else 17.
size_t AFileNameLength(std::string_view path);

// The A-file name at the end of a path: its last AFileNameLength
// characters (the whole path when it is shorter).
std::string_view AFileName(std::string_view path);

}  // namespace kelvane::afile
