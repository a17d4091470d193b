// Sea-level pressure from the station pressure and the air temperatures.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

// The text without one enclosing pair of parentheses: when it starts with
// "(", its first and last characters are dropped ("(35.2)" -> "35.2",
// "(35.2" -> "35."); any other text is returned as it is. A lone "(" gives
// the empty text. The result views the argument.
std::string_view StripParentheses(std::string_view s);

// Sea-level pressure in tenths of hPa as a plain integer text, reduced with
// the Laplace formula from the station pressure p (tenths of hPa), the
// temperature now t and 12 hours earlier t12 (tenths of degC) and the
// barometer elevation h in m (possibly written in parentheses). "-" when t12
// is "-" or empty: the mean temperature of the air column is then unknown.
// The other inputs are read as their leading numbers; the caller makes sure
// they are present. Raises kErrOverflow (from RoundHalfAway) when the result
// does not fit 32 bits.
std::string SeaLevelPressure(std::string_view p, std::string_view t, std::string_view t12,
                             std::string_view h);

}  // namespace kelvane
