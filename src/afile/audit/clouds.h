// Pieces of the cloud audits that are useful on their own: the cloud code
// list and its classes, the coded amounts, the rule set of one observation's
// forms against its amounts, and the measured cloud height format.
#pragma once

#include <string_view>

#include "afile/audit/toolkit.h"

namespace kelvane::afile::audit {

// The cloud codes the forms of an observation may use, each followed by ",":
// low genera and species, middle species, high species, the genus-only codes,
// then the obstruction-to-vision phenomena and "-". Word classes are ranges of
// positions in this text.
inline constexpr std::string_view kCloudCodeList =
    "CUHUM,FC,CUCONG,CBCALV,CBCAP,SCTRA,SCOP,SCCUG,SCCAST,SCLENT,"
    "ST,FS,NS,FN,SC,CB,CU,ASTRA,ASOP,ACTRA,ACOP,ACLENT,ACCUG,ACFLO,ACCAST,"
    "CIFIL,CIDENS,CINOT,CIUNC,CSFIL,CSNEBU,CC,AC,AS,CI,CS,42,31,38,39,04,"
    "05,06,07,10,-,";

// 1-based position of the first place where word followed by "," stands in
// kCloudCodeList, 0 when it stands nowhere. The search is a plain substring
// search, so the tail of a longer code counts ("T" is found in "SCCAST,").
// The empty word (two blanks in a row, a blank at either end) is no code.
int CloudCodePosition(std::string_view word);

inline bool IsLowCloudPosition(int p) { return p >= 1 && p <= 81; }
inline bool IsMiddleOrHighPosition(int p) { return p >= 82 && p <= 182; }
// High cloud species, the ones that still let the sun through.
inline bool IsHighCloudPosition(int p) { return p >= 129 && p <= 169; }

// Coded cloud amounts: 0.7 is amount 0 with clouds present, 9.2 is "10-"
// (overcast with gaps), 11 is "-" (sky not observable).
inline constexpr float kAmountZeroWithClouds = 0.7f;
inline constexpr float kAmountOvercastWithGaps = 9.2f;
inline constexpr float kAmountNotObservable = 11.0f;

// Coded amount of a total or low cloud amount cell: empty 0, "-" 11, "10-"
// 9.2, a whole number 0..10 its value however written ("06" is 6, "00" is 0),
// with 0 coded 0.7 when cloudsPresent; any other text keeps previous.
float CodeCloudAmount(const Cell& amount, bool cloudsPresent, float previous);

// The forms of one observation against its coded amounts (n total, nh low):
// the message of the first rule that fails, empty when none does.
std::string_view CheckCloudForms(float n, float nh, std::string_view forms);

// True when a measured cloud height is not a genus code (FC, CU, CB, SC, ST,
// FS, NS, FN, AC, AS, CI, CS, CC) followed by a number; false for "".
bool IsBadCloudHeight(std::string_view value);

}  // namespace kelvane::afile::audit
