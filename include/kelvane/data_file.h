// A station data file read once: its bytes decoded to UTF-8 and split into
// lines, shared by the steps that read it (a format check, a decoder).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "kelvane/status.h"

namespace kelvane {

// A station data file read once: its bytes decoded to UTF-8 (valid UTF-8
// as it is, anything else as GB18030) and split into lines. Copies share
// the text. A host reads a file once and hands the same DataFile to the
// format check and the decoder.
class DataFile {
 public:
  DataFile();
  ~DataFile();
  DataFile(const DataFile&);
  DataFile& operator=(const DataFile&);

  // Reads the file. Error 53 when it cannot be opened, 75 when it cannot
  // be read; the DataFile is then empty.
  Status Open(const std::string& path);
  // Over bytes already in memory, as if read from path.
  static DataFile FromBytes(const std::string& path, std::string bytes);

  const std::string& Path() const;
  bool IsOpen() const;
  size_t LineCount() const;
  std::string_view Line(size_t i) const;  // 0-based; empty past the end

  // The decoded text and its lines (defined by the library).
  struct Text;
  const std::shared_ptr<const Text>& text() const { return text_; }

 private:
  std::shared_ptr<const Text> text_;
};

}  // namespace kelvane
