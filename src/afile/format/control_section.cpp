// From the data end marker to the control end marker: the quality-control
// segments (one block of 3-digit codes per data block) and the correction
// records.
#include "afile/format/messages.h"
#include "afile/format/record_scan.h"
#include "afile/format/sections.h"
#include "common/text.h"

namespace kelvane::afile {

namespace {

constexpr std::string_view kDataEnd = "??????";
constexpr std::string_view kControlEnd = "******";
constexpr std::string_view kCorrectionPrefix = "[348] [PTIEUNHCVRWLZGFDKASB] [123456] ## ## [123] ";
constexpr std::string_view kCrossMonthCorrectionPrefix = "[348] [R] [3] // [0][123] [123] ";

bool CorrectionWellFormed(std::string_view line) {
  const std::string_view prefix = MidChars(line, 1, 14);
  const bool crossMonth = MidChars(line, 3, 3) == "R 3";
  if (!MatchPattern(prefix, crossMonth ? kCrossMonthCorrectionPrefix : kCorrectionPrefix))
    return false;
  std::string_view text = line.substr(prefix.size());
  if (EndsWith(text, '=')) text.remove_suffix(1);
  return StartsWith(text, '[') && EndsWith(text, ']') &&
         text.find("] [") != std::string_view::npos;
}

void CheckCorrections(FormContext& cx) {
  std::string_view lastChar;
  for (;;) {
    std::string_view line;
    if (!cx.Next(line)) cx.Fatal(kMsgDataFileFormatFatal, names::kCorrections, "", "");
    if (line == kControlEnd) break;
    if (line != "=" && !(CharCount(line) > 15 && CorrectionWellFormed(line)))
      cx.Add(msg::kCorrection, names::kCorrections, "", "", "");
    lastChar = LastChars(line, 1);
  }
  if (lastChar != "=") cx.Add(msg::kCorrectionNoEnd, names::kCorrections, "", "", "");
}

}  // namespace

void ParseQualityControlBlock(FormContext& cx, int count, std::string_view element,
                              bool dataPresent) {
  for (int d = 1; d <= cx.days; ++d) {
    std::string_view line;
    if (!cx.Next(line)) cx.Fatal(msg::kQcIllegalEnd, element, Num(d), "");
    // The block of an absent data block is the single line "=".
    if (!dataPresent && d == 1 && line == "=") return;
    if ((dataPresent && line == "=") || (!dataPresent && d == 1))
      cx.Add(msg::kQcNotMatching, element, "", Num(d), "");
    if (d == cx.days && !EndsWith(line, '='))
      cx.Add(msg::kQcNoMonthEnd, element, "", Num(d), "");
    if (d < cx.days && EndsWith(line, '=')) {
      cx.Add(msg::kQcTooFewLines, element, "", Num(d), "");
      return;
    }
    const std::string_view body = RemoveChars(line, "=", cx.scratch);
    if (CountBlanks(body) + 1 != count) cx.Add(msg::kQcRecordCount, element, "", Num(d), "");
    const char* p = body.data();
    const char* const end = p + body.size();
    for (int i = 1; i <= count; ++i) {
      const ScannedRecord rec = ScanRecord(p, end, i == count);
      if (rec.chars != 3) cx.Add(msg::kQcRecordWidth, element, "", Num(d), "");
      if (!rec.digits && !IsDecimal(rec.text)) cx.Add(msg::kQcRecordForm, element, "", Num(d), "");
      if (!rec.more) break;
    }
  }
}

void CheckControlSection(FormContext& cx) {
  std::string_view line;
  if (!cx.Next(line) || line != kDataEnd)
    cx.Fatal(msg::kDataEndMarker, names::kDataEnd, "", names::kMarker);

  // Without a header that says so, the section is absent when the control
  // end marker follows at once.
  const bool noQualityControl =
      cx.header.noQualityControl.value_or(!cx.AtEnd() && cx.Peek() == kControlEnd);
  if (noQualityControl) {
    if (!cx.Next(line) || line != kControlEnd)
      cx.Fatal(msg::kQcEndMarker, names::kControlEnd, "", names::kMarker);
    return;
  }

  for (const SegmentLayout& seg : Segments()) {
    const size_t k = static_cast<size_t>(seg.classIndex);
    if (!cx.Next(line) || line.size() < 2 || line[0] != 'Q' || line[1] != seg.letter)
      cx.Fatal(kMsgFileFormatFatal, seg.fatalElement, "", seg.qcIndicatorName);
    if (line.substr(2) != cx.codes[k])
      cx.Add(msg::kQcModeMismatch, seg.fatalElement, "", "", seg.qcIndicatorName);
    // The blocks follow the data section's code, so that each
    // quality-control block lines up with the data block it describes.
    const ModeLayout* mode = FindMode(seg, cx.codes[k], /*qcOnly=*/true);
    if (!mode) {
      if (!EndsWith(cx.codes[k], '='))
        cx.Fatal(kMsgDataFileFormatFatal, seg.fatalElement, "", seg.qcIndicatorName);
      continue;
    }
    size_t b = 0;
    for (const BlockLayout& block : mode->blocks) {
      const bool held = b < FormContext::kMaxBlocks ? cx.present[k][b] : true;
      ++b;
      if (block.qcCodes > 0) ParseQualityControlBlock(cx, block.qcCodes, block.element, held);
    }
  }
  CheckCorrections(cx);
}

}  // namespace kelvane::afile
