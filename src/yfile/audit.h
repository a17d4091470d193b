// The Y-file audit: the yearly values of the file against the same values
// recomputed by the yearly statistics component (reached by program
// identifier through the registry), and the first/last-date block against
// itself.
#pragma once

#include "common/audit_list.h"
#include "kelvane/safe_array.h"
#include "kelvane/yfile_arrays.h"

namespace kelvane::yfile {

// Appends the audit's findings to list (which the caller has emptied). A
// failing step (no component registered, a call that fails, an array of
// the wrong shape) is skipped and the next one runs; nothing is raised.
// arrays.strMonthYearS and strYearWDF come back with the recomputed values
// wherever the component wrote them.
void RunYFileAuditing(VariantArray& YFilePara, YFileArrays& arrays, AuditList& list);

}  // namespace kelvane::yfile
