#include "common/pressure.h"

#include <cmath>
#include <limits>

#include "common/text.h"

namespace kelvane {

// Absurd texts (long digit runs) read as reals beyond the single range; IEEE
// floats turn them into infinities and the final rounding reports the overflow.
static_assert(std::numeric_limits<float>::is_iec559);

std::string_view StripParentheses(std::string_view s) {
  if (s.empty() || s.front() != '(') return s;
  std::string_view rest = s.substr(1);
  if (rest.empty()) return rest;
  // Drop the last character, a whole UTF-8 sequence.
  size_t last = rest.size() - 1;
  while (last > 0 && (static_cast<unsigned char>(rest[last]) & 0xC0) == 0x80) --last;
  return rest.substr(0, last);
}

std::string SeaLevelPressure(std::string_view p, std::string_view t, std::string_view t12,
                             std::string_view h) {
  if (t12.empty() || t12 == "-") return "-";
  // Both held in single precision, as is the mean column temperature: the
  // recorded values were computed so and are compared at the last digit.
  float earlier = static_cast<float>(LeadingNumber(t12));
  float elevation = static_cast<float>(LeadingNumber(StripParentheses(h)));
  // Mean temperature of the air column in degC: the mean of the two readings
  // (tenths) plus half the 0.5 K per 100 m lapse over the elevation.
  float mean = static_cast<float>((LeadingNumber(t) + earlier) / 20 + elevation / 400.0);
  double x = static_cast<double>(elevation) * 273 / 18400 / (static_cast<double>(mean) + 273);
  return std::to_string(RoundHalfAway(LeadingNumber(p) * std::pow(10.0, x)));
}

}  // namespace kelvane
