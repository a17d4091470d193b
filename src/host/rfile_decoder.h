// What a host does between the R-file format check and the audit: decode
// the file's segments and sections into the arrays KelvaneR::RFileAuditing
// takes (kelvane/rfile_arrays.h). The decoder walks the same layout tables
// as the format check (rfile/layout.h): the station class chooses the data
// segments, each segment fills its element array.
#pragma once

#include <memory>

#include "kelvane/data_file.h"
#include "kelvane/rfile_arrays.h"
#include "kelvane/safe_array.h"

namespace kelvane::host {

// Decodes the text of an R file. The element arrays are (1..days,
// 1..groups) with days from RFilePara 4 (28..31; 31 when it holds none)
// and the class from RFilePara 11 (the header's digit when that is
// empty). Never raises on content.
void DecodeRFileText(std::shared_ptr<const DataFile::Text> text, const VariantArray& RFilePara,
                     RFileArrays& out);

}  // namespace kelvane::host
