#include "common/text_file.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include "common/error.h"

namespace kelvane {

std::string ReadFileBytes(const std::string& path) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!f) throw Error(kErrFileNotFound, "cannot open file: " + path);
  std::string bytes;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) bytes.append(buf, n);
  if (std::ferror(f.get())) throw Error(kErrPathAccess, "cannot read file: " + path);
  return bytes;
}

namespace {

// Length of the well-formed UTF-8 sequence at s[i], 0 when there is none.
size_t Utf8SequenceLength(std::string_view s, size_t i) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = b(i);
  if (c < 0x80) return 1;
  size_t len;
  unsigned char lo = 0x80, hi = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  if (b(i + 1) < lo || b(i + 1) > hi) return 0;
  for (size_t k = 2; k < len; ++k)
    if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
  return len;
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

std::string DecodeGb18030(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3 / 2 + 16);
  iconv_t cd = iconv_open("UTF-8", "GB18030");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    // No converter: keep ASCII, replace everything else.
    for (unsigned char c : bytes) {
      if (c < 0x80) out.push_back(static_cast<char>(c));
      else out.append(kReplacement);
    }
    return out;
  }
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char buf[4096];
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, static_cast<size_t>(o - buf));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (a sequence cut by the end of the text): one
      // replacement character for the offending byte, then go on.
      out.append(kReplacement);
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    // Fast path over ASCII, eight bytes at a time.
    if (i + 8 <= s.size()) {
      uint64_t word;
      std::memcpy(&word, s.data() + i, 8);
      if ((word & 0x8080808080808080ull) == 0) {
        i += 8;
        continue;
      }
    }
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    size_t len = Utf8SequenceLength(s, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::string DecodeToUtf8(std::string bytes) {
  if (IsValidUtf8(bytes)) {
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    return bytes;
  }
  return DecodeGb18030(bytes);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  lines.reserve(text.size() / 32 + 4);
  size_t start = 0;
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    char c = text[i];
    if (c == '\n' || c == '\r') {
      lines.push_back(text.substr(start, i - start));
      if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
      ++i;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < n) lines.push_back(text.substr(start));
  return lines;
}

namespace {
inline bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
// Byte offset of character n (0-based), or text.size() when beyond.
size_t OffsetOfChar(std::string_view s, size_t n) {
  size_t i = 0;
  while (n > 0 && i < s.size()) {
    ++i;
    while (i < s.size() && IsContinuation(s[i])) ++i;
    --n;
  }
  return i;
}
}  // namespace

std::string_view CharAt(std::string_view s, size_t n) { return MidChars(s, n, 1); }

std::string_view AfterFirstChar(std::string_view s) { return s.substr(OffsetOfChar(s, 1)); }

std::string_view MidChars(std::string_view s, size_t from, size_t count) {
  if (from == 0) return {};
  size_t b = OffsetOfChar(s, from - 1);
  std::string_view rest = s.substr(b);
  return rest.substr(0, OffsetOfChar(rest, count));
}

std::string_view LastChars(std::string_view s, size_t n) {
  size_t i = s.size();
  while (n > 0 && i > 0) {
    --i;
    while (i > 0 && IsContinuation(s[i])) --i;
    --n;
  }
  return s.substr(i);
}

LineReader::LineReader(const std::string& path) { Load(ReadFileBytes(path)); }

LineReader LineReader::FromBytes(std::string bytes) {
  LineReader r;
  r.Load(std::move(bytes));
  return r;
}

void LineReader::Load(std::string bytes) {
  text_ = std::make_unique<std::string>(DecodeToUtf8(std::move(bytes)));
  lines_ = SplitLines(*text_);
  next_ = 0;
}

}  // namespace kelvane
