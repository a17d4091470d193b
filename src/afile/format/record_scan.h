// The records of a data line, one after the other: each runs to the next
// blank, the last one to the end of the line. Their characters are counted
// and their digits looked at on the same pass, since the checks ask the
// width and the form of every record of the file.
#pragma once

#include <cstddef>
#include <string_view>

namespace kelvane::afile {

struct ScannedRecord {
  std::string_view text;
  size_t chars = 0;     // characters (UTF-8 code points)
  bool digits = false;  // a non-empty run of ASCII digits
  bool more = false;    // a blank follows: the line goes on
};

// The record at p (the rest of the line when last); p moves past it and
// past the blank after it.
inline ScannedRecord ScanRecord(const char*& p, const char* const end, bool last) {
  ScannedRecord r;
  const char* const start = p;
  bool digits = true;
  for (; p != end && (last || *p != ' '); ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    r.chars += (c & 0xC0) != 0x80;
    digits = digits && static_cast<unsigned char>(c - '0') < 10;
  }
  r.digits = digits && p != start;
  r.text = std::string_view(start, static_cast<size_t>(p - start));
  r.more = p != end;
  if (r.more) ++p;  // the blank
  return r;
}

}  // namespace kelvane::afile
