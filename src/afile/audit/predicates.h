// Small tests shared by several A-file audits and the audit driver.
#pragma once

#include <string_view>

#include "kelvane/safe_array.h"

namespace kelvane::afile::audit {

// True when t cannot be the hhmm time of a daily extreme: fewer than four
// leading digits, an hour above 23 or a minute above 59. "XXXX" (time not
// recorded) is always accepted. With marker "-" the day's end "2400" is
// accepted and "0000" rejected.
bool IsBadExtremeTime(std::string_view t, std::string_view marker);

// True when every cell of the array is missing: empty, or a run of "/" or a
// run of "-". An unallocated array holds no value and counts as missing.
bool IsAllMissing(const StringArray& arr);

// True for a mountain-top station: observing-field elevation (AFilePara
// item 10, its leading number, so an estimated elevation written in
// parentheses reads 0) above 500 m and the cover's item 4 containing "山顶".
bool IsMountainStation(const VariantArray& AFilePara, const StringArray& VFileFM);

}  // namespace kelvane::afile::audit
