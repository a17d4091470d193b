// The day's evaporation as the audit estimates it from the temperatures,
// the vapour pressure and the wind, shared with the tests.
#pragma once

#include "afile/audit/toolkit.h"

namespace kelvane::afile::audit {

// Estimated evaporation of a day, whole tenths of mm: from the day's mean
// air and ground-surface temperature, vapour pressure and wind speed (the
// ten-minute winds, else the fixed-hour winds). Means are taken over the
// observation columns only (not the daily extremes or their times), over
// the well-formed values (a speed is the part after "/").
int EstimateEvaporation(int day, const Grid& strT, const Grid& strE, const Grid& strFDFF,
                        const Grid& strZJFDFF, const Grid& strD0);

}  // namespace kelvane::afile::audit
