// Writing sample station files: the text in the encoding station files use.
#pragma once

#include <string>
#include <vector>

namespace kelvane::sample {

// The UTF-8 text in GB18030. Raises kelvane::Error when it cannot be
// converted.
std::string ToGb18030(const std::string& utf8);

// Writes the lines with CRLF line ends (in GB18030 when asked; plain ASCII
// files such as the minute data file need no conversion) into dir/name, the
// directory created when missing, and returns the path. Raises
// kelvane::Error when the directory or the file cannot be written.
std::string WriteLines(const std::vector<std::string>& lines, const std::string& dir,
                       const std::string& name, bool gb18030 = true);

}  // namespace kelvane::sample
