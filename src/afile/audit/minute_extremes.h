// The extremes of one hour of minute data (a cell of the minute data file:
// the hour's values separated by single blanks, token k being minute k and
// token 60 minute "00" of the next full hour). The daily maximum and minimum
// of pressure and temperature, and their times, are checked against them.
#pragma once

#include <string>
#include <string_view>

namespace kelvane::afile::audit {

// How the tokens of an hour are read.
enum class MinuteValues {
  AsWritten,        // the token's leading number
  StationPressure,  // a four-digit token below 5000 lacks the thousands digit
                    // (0132 is 1013.2 hPa) and reads 10000 more, as the
                    // station-pressure arrays hold it
};

// The largest value of the hour's tokens as a plain integer text ("253" for
// "0253"), or "" when the hour has no value: empty tokens and runs of "/"
// are missing. minutes: the two-digit minutes at which it occurs ("01" ..
// "59", "00" for token 60), comma-separated in token order ("07,08").
void JHourMaximum(std::string_view hour, std::string& value, std::string& minutes,
                  MinuteValues reading = MinuteValues::AsWritten);

// The same for the smallest value; the relative humidity token "%%" reads
// as 100.
void JHourMinimum(std::string_view hour, std::string& value, std::string& minutes,
                  MinuteValues reading = MinuteValues::AsWritten);

// True when the two-digit minute occurs in a minutes list of JHourMaximum
// or JHourMinimum.
bool MinuteListed(std::string_view minutes, std::string_view minute);

}  // namespace kelvane::afile::audit
