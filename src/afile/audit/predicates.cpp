#include "afile/audit/predicates.h"

#include "common/text.h"

namespace kelvane::afile::audit {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsRunOfOne(std::string_view s, char c) {
  for (char x : s)
    if (x != c) return false;
  return true;
}

}  // namespace

bool IsBadExtremeTime(std::string_view t, std::string_view marker) {
  const bool fourDigits = t.size() >= 4 && IsDigit(t[0]) && IsDigit(t[1]) && IsDigit(t[2]) &&
                          IsDigit(t[3]);
  if (!fourDigits && t != "XXXX") return true;
  const double h = LeadingNumber(t.substr(0, 2));
  const double m = LeadingNumber(t.substr(t.size() - 2));
  bool bad = h > 23 || m > 59;
  if (marker == "-") {
    if (t == "0000") bad = true;
    if (t == "2400") bad = false;
  }
  return bad;
}

bool IsAllMissing(const StringArray& arr) {
  for (const std::string& cell : arr.data()) {
    if (cell.empty()) continue;
    if (!IsRunOfOne(cell, '/') && !IsRunOfOne(cell, '-')) return false;
  }
  return true;
}

bool IsMountainStation(const VariantArray& AFilePara, const StringArray& VFileFM) {
  const Variant* elevation = AFilePara.Find(10);
  if (elevation == nullptr || !(LeadingNumber(elevation->Text()) > 500)) return false;
  const std::string* cover = VFileFM.Find(4);
  return cover != nullptr && cover->find("山顶") != std::string::npos;
}

}  // namespace kelvane::afile::audit
