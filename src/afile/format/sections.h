// The steps of the A-file format check, one per section of the file, in
// the order the check runs them. Each reads on from where the previous one
// stopped and reports through the shared FormContext.
#pragma once

#include <string_view>

#include "afile/format/context.h"
#include "afile/segment_table.h"

namespace kelvane::afile {

// File name: AFilePara 1 to 4, 6 and 7 (station, year, month, days).
void CheckFileName(FormContext& cx);
// Header line: pattern, AFilePara 5 and 8 to 52, name agreement, station
// table, observation-mode suffix of the name.
void CheckHeader(FormContext& cx);
// The twenty element segments.
void CheckDataSection(FormContext& cx);
// Data end marker, quality-control segments, corrections, control end.
void CheckControlSection(FormContext& cx);
// Cover, summary, climate outline, remarks, file end.
void CheckAppendix(FormContext& cx);

// Block parsers of the data section; each returns whether the block held
// data (false for a block written "=" or "0=").
bool ParseBlock(FormContext& cx, const SegmentLayout& seg, const BlockLayout& block);
// The quality-control block of one data block.
void ParseQualityControlBlock(FormContext& cx, int count, std::string_view element,
                              bool dataPresent);

// The cross-month precipitation line and its comparison with the previous
// month's A file.
void ParseCrossMonthPrecipitation(FormContext& cx);
void CheckCrossMonthPrecipitation(FormContext& cx, std::string_view line, long lineNumber);

// A day given as "dd" (1 to days) or a range "dd-dd" of two such days, the
// first not after the second.
bool IsValidDayOrRange(std::string_view text, int days);

}  // namespace kelvane::afile
