// The yearly statistics component that the Y-file audit calls late bound:
// the class "Dravik.ReadWriteFile" with its method YearStatistic(YFilePara,
// strMonthYearS, strMonthWDF, strYearWDF, result). It computes every yearly
// value of a Y file (column 13 of strMonthYearS, the 17 x 6 yearly wind
// statistics strYearWDF) from the monthly values, as the text the file
// writes ("-" where a value cannot be computed), and leaves the cells it
// does not compute as they are.
#pragma once

#include <string_view>

#include "kelvane/safe_array.h"
#include "kelvane/status.h"

namespace kelvane::yearstat {

inline constexpr std::string_view kProgId = "Dravik.ReadWriteFile";

// Registers this library's component under kProgId, unless a class is
// already registered there (a host's own component stays in place).
Status RegisterYearStatistic();

// The computation itself, without late binding. YFilePara gives the year
// (2), latitude (6) and longitude (7); strMonthYearS is (1..13, 1..150),
// strMonthWDF (1..17, 1..60: month m, quantity q at column 5(m-1)+q),
// strYearWDF (1..17, 1..6). Arrays of another shape: a subscript error, and
// nothing is written.
Status YearStatistic(const VariantArray& YFilePara, StringArray& strMonthYearS,
                     const StringArray& strMonthWDF, StringArray& strYearWDF);

}  // namespace kelvane::yearstat
