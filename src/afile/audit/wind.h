// Wind direction tests shared by the wind audits and the audits that read a
// wind record of their own (wire icing).
#pragma once

#include <string_view>

namespace kelvane::afile::audit {

// True when d is none of the 16 compass codes, "C" (calm) or "-" (not
// observed). Codes are matched whole and case-sensitively.
bool IsBadWindDirectionCode(std::string_view d);
// True when d is neither "-" nor "C" and is no number of degrees from 0 to
// 360.
bool IsBadWindDirectionDegrees(std::string_view d);

}  // namespace kelvane::afile::audit
