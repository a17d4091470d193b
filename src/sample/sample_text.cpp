#include "sample/sample_text.h"

#include <iconv.h>

#include <filesystem>
#include <fstream>

#include "common/error.h"

namespace kelvane::sample {

namespace fs = std::filesystem;

std::string ToGb18030(const std::string& utf8) {
  iconv_t cd = iconv_open("GB18030", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw Error(kErrInternal, "cannot convert text to GB18030");
  std::string out(utf8.size() * 2 + 16, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* o = out.data();
  size_t oLeft = out.size();
  const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1) || inLeft != 0)
    throw Error(kErrInternal, "cannot convert text to GB18030");
  out.resize(out.size() - oLeft);
  return out;
}

// Writes the lines with CRLF line ends (in GB18030 when asked; the minute
// data file is plain ASCII) into dir, created when missing.
std::string WriteLines(const std::vector<std::string>& lines, const std::string& dir,
                       const std::string& name, bool gb18030) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) throw Error(kErrPathAccess, "cannot create directory " + dir + ": " + ec.message());
  std::string text;
  size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  text.reserve(size);
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  const std::string bytes = gb18030 ? ToGb18030(text) : std::move(text);
  const fs::path path = fs::path(dir) / name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw Error(kErrPathAccess, "cannot write " + path.string());
  return path.string();
}

}  // namespace kelvane::sample
