#include "afile/file_name.h"

#include "common/text_file.h"

namespace kelvane::afile {

char ObservationModeSuffix(std::string_view path) {
  // "-N.TXT" with the extension in any case.
  constexpr std::string_view kExtension = ".TXT";
  if (path.size() < 2 + kExtension.size()) return '\0';
  const std::string_view tail = path.substr(path.size() - 2 - kExtension.size());
  for (size_t i = 0; i < kExtension.size(); ++i) {
    char c = tail[2 + i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != kExtension[i]) return '\0';
  }
  const char mode = tail[1];
  return tail[0] == '-' && (mode == '0' || mode == '1' || mode == '9') ? mode : '\0';
}

size_t AFileNameLength(std::string_view path) {
  return ObservationModeSuffix(path) != '\0' ? 19 : 17;
}

std::string_view AFileName(std::string_view path) {
  return LastChars(path, AFileNameLength(path));
}

}  // namespace kelvane::afile
