// What a host does between the A-file format check and the audit: decode the
// file's data into the element arrays that KelvaneA::AFileAuditing takes.
//
// The decoder walks the same segment table as the format check
// (afile/segment_table.h): the mode code of each segment chooses its blocks,
// and each block is routed to its element array. Arrays are two-dimensional
// (1..days, 1..columns); the column layout of each array is the one the
// audits read (README.md, "Decoded arrays"). Cells hold the record text as
// written, with the few host conversions listed there (pressure thousands
// digit, "%%", iced wet bulb, wind records, "," runs, ...).
//
// An element the file does not carry keeps its usual shape at this station
// with every cell "-"; columns a carried layout has no record for (the 02 h
// column of a station observing three times a day, the extreme times of a
// layout without times) are empty.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "kelvane/afile_arrays.h"
#include "kelvane/data_file.h"
#include "kelvane/safe_array.h"

namespace kelvane::host {

// The arrays with the facts they were shaped by.
struct DecodedAFile : AFileArrays {
  int days = 0;                   // rows of the element arrays
  bool manualStation = false;     // AFilePara 17 "人工"
  bool referenceStation = false;  // class "基准站": 24 fixed observations, hourly clouds
  bool hourlyStation = false;     // automatic or reference: absent elements get 24 columns
};

// Decodes the text of an A file (see kelvane::DecodeAFile for AFilePara).
// Never raises on content.
void DecodeAFileText(std::shared_ptr<const DataFile::Text> text, const VariantArray& AFilePara,
                     DecodedAFile& out);

// Reads and decodes the A file at path. AFileClass is not needed: the mode
// codes are read from the segments' indicator lines, which is where the
// format check took them from. Raises kelvane::Error when the file cannot
// be read.
void DecodeAFile(const std::string& path, const VariantArray& AFilePara,
                 const StringArray& AFileClass, DecodedAFile& out);

// Station settings for the psychrometric audit: items 27..30 the hygrometer
// coefficients c0..c3 of U = c0 + c1 h + c2 h² + c3 h³ (identity: the
// hygrometer reads relative humidity directly), item 72 the default station
// pressure in hPa (the standard atmosphere at the barometer elevation,
// AFilePara 11). Indices 1..72; the other items are empty.
VariantArray DefaultSysLib(const VariantArray& AFilePara);

}  // namespace kelvane::host
