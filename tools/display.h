// Terminal output helpers of the kelvane tool: display width of UTF-8 text
// (East Asian wide characters take two cells) and aligned tables.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::tool {

size_t DisplayWidth(std::string_view utf8);

// Prints rows as columns aligned on display width, two blanks apart; the
// first row is the heading, underlined.
void PrintAlignedTable(std::FILE* out, const std::vector<std::vector<std::string>>& rows);

}  // namespace kelvane::tool
