// The twenty element segments: indicator line, mode code against the
// header's mode flags, and the blocks the code brings.
#include "afile/format/messages.h"
#include "afile/format/sections.h"
#include "common/text.h"

namespace kelvane::afile {

namespace {

// Whether the segment's mode code agrees with the header's mode flag of the
// element and with the station type.
bool ModeRuleHolds(const FormContext& cx, const SegmentLayout& seg, std::string_view code) {
  const char flag = cx.header.flag[static_cast<size_t>(seg.classIndex)];
  const bool none = code == "=";
  const bool manualStation = cx.header.manualStation;
  const bool automaticCode = CodeInList(seg.automaticCodes, code);
  const bool manualCode = CodeInList(seg.manualCodes, code);
  switch (seg.rule) {
    case ModeRule::A:
      return !((automaticCode && (flag != '1' || manualStation)) ||
               (manualCode && (flag != '0' || !manualStation)) || (none && flag != '9'));
    case ModeRule::B:
      return !((!manualStation && automaticCode && flag != '1') ||
               (manualStation && !none && flag != '0') || (none && flag != '9'));
    case ModeRule::C: {
      const bool used = seg.manualCodes.empty() ? !none : manualCode;
      return !((used && flag != '0') || (none && flag != '9'));
    }
    case ModeRule::V:
      return !((!none && flag != '0' && flag != '1') || (none && flag != '9'));
    case ModeRule::S:
      return !(none && flag != '9');
    case ModeRule::Grass:
      return !((code == "A" && flag == '9') || (none && flag != '9'));
    case ModeRule::None:
    case ModeRule::Wind:
      break;
  }
  return true;
}

}  // namespace

void CheckDataSection(FormContext& cx) {
  for (const SegmentLayout& seg : Segments()) {
    const size_t k = static_cast<size_t>(seg.classIndex);
    cx.present[k].fill(true);
    std::string_view indicator;
    if (!cx.Next(indicator)) cx.Fatal(seg.fatalMessage, seg.fatalElement, "", seg.indicatorName);
    const std::string_view code = AfterFirstChar(indicator);
    cx.codes[k] = code;
    cx.cls(seg.classIndex) = cx.codes[k];
    if (!StartsWith(indicator, seg.letter))
      cx.Fatal(seg.fatalMessage, seg.fatalElement, "", seg.indicatorName);

    if (seg.rule == ModeRule::Wind) {
      // The wind layouts are fixed by the code alone: any other code that
      // declares data cannot be read.
      if (!CodeInList("EHKN", code) && !EndsWith(code, '='))
        cx.Fatal(seg.ruleMessage, seg.ruleElement, "", seg.indicatorName);
    } else if (seg.rule != ModeRule::None && cx.header.flagsKnown &&
               !ModeRuleHolds(cx, seg, code)) {
      cx.Add(seg.ruleMessage, seg.ruleElement, "", "", seg.indicatorName);
    }

    const ModeLayout* mode = FindMode(seg, code);
    if (!mode) {
      if (EndsWith(code, '=')) continue;
      cx.Fatal(seg.fatalMessage, seg.fatalElement, "", seg.indicatorName);
    }
    if (!mode->baseStationOnlyMessage.empty() && cx.header.baseStation == false)
      cx.Fatal(mode->baseStationOnlyMessage, seg.fatalElement, "", seg.indicatorName);
    size_t b = 0;
    for (const BlockLayout& block : mode->blocks) {
      const bool held = ParseBlock(cx, seg, block);
      if (b < FormContext::kMaxBlocks) cx.present[k][b] = held;
      ++b;
    }
  }
}

}  // namespace kelvane::afile
