// What the ground temperature audits share with their tests: the month's
// typical hour-to-hour rise and fall of one shallow depth.
#pragma once

#include <array>
#include <string_view>

#include "afile/audit/toolkit.h"

namespace kelvane::afile::audit {

// Typical change of a shallow ground temperature from the hour before to
// each column, over the month: rise[j] the mean of the larger rises, fall[j]
// the mean of the larger falls (tenths of °C; index 1..columns, at most 24),
// each kept at least 1.0 °C away from zero. Only well-formed readings on
// both sides count.
struct SoilChanges {
  std::array<int, 25> rise{};
  std::array<int, 25> fall{};
};
SoilChanges SoilChangeStatistics(const Grid& values, std::string_view element);

}  // namespace kelvane::afile::audit
