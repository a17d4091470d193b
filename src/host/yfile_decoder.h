// What a host does between the Y-file format check and the audit: decode
// the file's blocks into the arrays that KelvaneY::YfileAuditing takes
// (layouts in kelvane/yfile_arrays.h). The decoder walks the same layout
// table as the format check (yfile/layout.h).
#pragma once

#include <memory>

#include "kelvane/data_file.h"
#include "kelvane/yfile_arrays.h"

namespace kelvane::host {

// Decodes the text of a Y file. Never raises on content: a block that does
// not have its lines leaves its cells "" and the decoder goes on with the
// next line as the next block's.
void DecodeYFileText(const std::shared_ptr<const DataFile::Text>& text, YFileArrays& out);

}  // namespace kelvane::host
