#include "display.h"

#include <algorithm>

namespace kelvane::tool {

namespace {

bool IsWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

}  // namespace

size_t DisplayWidth(std::string_view s) {
  size_t w = 0;
  for (size_t i = 0; i < s.size();) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    char32_t c;
    size_t len;
    if (b < 0x80) { c = b; len = 1; }
    else if ((b >> 5) == 6) { c = b & 0x1F; len = 2; }
    else if ((b >> 4) == 14) { c = b & 0x0F; len = 3; }
    else if ((b >> 3) == 30) { c = b & 0x07; len = 4; }
    else { ++i; ++w; continue; }
    for (size_t k = 1; k < len && i + k < s.size(); ++k)
      c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += len;
    w += IsWide(c) ? 2 : 1;
  }
  return w;
}

void PrintAlignedTable(std::FILE* out, const std::vector<std::vector<std::string>>& rows) {
  if (rows.empty()) return;
  size_t ncol = 0;
  for (const auto& r : rows) ncol = std::max(ncol, r.size());
  std::vector<size_t> width(ncol, 0);
  for (const auto& r : rows)
    for (size_t c = 0; c < r.size(); ++c) width[c] = std::max(width[c], DisplayWidth(r[c]));
  auto printRow = [&](const std::vector<std::string>& r) {
    std::string line;
    for (size_t c = 0; c < ncol; ++c) {
      std::string_view cell = c < r.size() ? std::string_view(r[c]) : std::string_view();
      line += cell;
      if (c + 1 < ncol) line.append(width[c] - DisplayWidth(cell) + 2, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    std::fprintf(out, "%s\n", line.c_str());
  };
  printRow(rows[0]);
  std::string rule;
  for (size_t c = 0; c < ncol; ++c) {
    rule.append(width[c], '-');
    if (c + 1 < ncol) rule.append(2, ' ');
  }
  std::fprintf(out, "%s\n", rule.c_str());
  for (size_t i = 1; i < rows.size(); ++i) printRow(rows[i]);
}

}  // namespace kelvane::tool
