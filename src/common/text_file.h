// Sequential reading of the station data files: a whole file is read as
// bytes, decoded to UTF-8 (the data files are ASCII with Chinese text in the
// appendix blocks, written in UTF-8 or in the stations' GB18030 code page)
// and split into lines, which a LineReader hands out one by one.
//
// Any bytes are accepted: NUL bytes stay characters of their line, invalid
// sequences become U+FFFD, and nothing here can fail on content.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kelvane/data_file.h"

namespace kelvane {

// The bytes of a file. Raises kelvane::Error(kErrFileNotFound) when the file
// does not exist or cannot be opened, kErrPathAccess when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// True when the bytes are well-formed UTF-8 (overlong forms, surrogates and
// code points above U+10FFFF rejected).
bool IsValidUtf8(std::string_view bytes);

// The text as UTF-8: valid UTF-8 as it is (a leading byte-order mark
// removed), anything else decoded as GB18030 with every undecodable
// sequence replaced by U+FFFD.
std::string DecodeToUtf8(std::string bytes);

// Lines of a text: CRLF, LF and a lone CR all end a line; a final line
// terminator does not start an empty last line. The views point into text.
std::vector<std::string_view> SplitLines(std::string_view text);

// The view of the n-th character (code point, 1-based) of a UTF-8 text; an
// empty view when the text is shorter.
std::string_view CharAt(std::string_view utf8, size_t n);
// Text after the first character (code point).
std::string_view AfterFirstChar(std::string_view utf8);
// The last n characters of a text (the whole text when it is shorter).
std::string_view LastChars(std::string_view utf8, size_t n);
// Characters from..from+count-1 (1-based), clipped to the text.
std::string_view MidChars(std::string_view utf8, size_t from, size_t count);

// The text of a data file and its lines (views into utf8).
struct DataFile::Text {
  std::string path;
  std::string utf8;
  std::vector<std::string_view> lines;
};

// Reads and decodes the file at path; raises like ReadFileBytes.
std::shared_ptr<const DataFile::Text> ReadText(const std::string& path);
// Decodes bytes already in memory as a file's bytes would be.
std::shared_ptr<const DataFile::Text> TextFromBytes(const std::string& path, std::string bytes);

// A text file opened for sequential reading of lines. Readers over the same
// text share it.
class LineReader {
 public:
  // Reads and decodes the whole file; raises like ReadFileBytes.
  explicit LineReader(const std::string& path) : LineReader(ReadText(path)) {}
  explicit LineReader(std::shared_ptr<const DataFile::Text> text) : text_(std::move(text)) {}
  // Over text already in memory (decoded as a file's bytes would be).
  static LineReader FromBytes(std::string bytes) {
    return LineReader(TextFromBytes(std::string(), std::move(bytes)));
  }

  // True when every line has been read.
  bool Eof() const { return next_ >= text_->lines.size(); }
  // The next line (an empty view at end of file); the view stays valid for
  // the reader's lifetime.
  std::string_view ReadLine() { return Eof() ? std::string_view() : text_->lines[next_++]; }
  // The next line without reading it (an empty view at end of file).
  std::string_view Peek() const { return Eof() ? std::string_view() : text_->lines[next_]; }
  // Lines not read yet.
  size_t Remaining() const { return text_->lines.size() - next_; }

 private:
  std::shared_ptr<const DataFile::Text> text_;
  size_t next_ = 0;
};

}  // namespace kelvane
