#include "common/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <iconv.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <ctime>
#include <mutex>
#include "common/error.h"

namespace kelvane {

namespace {

// A regular file opened for reading, closed with the object.
struct OpenFile {
  int fd = -1;
  struct stat st {};
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  explicit OpenFile(const std::string& path) {
    // Opened without blocking, so that a pipe or device named like a data
    // file is refused below instead of waiting for a writer forever.
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
      const int e = errno;
      throw Error(e == ENOENT || e == ENOTDIR ? kErrFileNotFound : kErrPathAccess,
                  "cannot open file: " + path);
    }
    if (::fstat(fd, &st) != 0) {
      ::close(fd);
      throw Error(kErrPathAccess, "cannot read file: " + path);
    }
    if (!S_ISREG(st.st_mode)) {
      ::close(fd);
      throw Error(kErrPathAccess, "not a regular file: " + path);
    }
  }
  ~OpenFile() { ::close(fd); }
};

std::string ReadAll(const OpenFile& file, const std::string& path) {
  const int fd = file.fd;
  const struct stat& st = file.st;
  // One read of the size the file has, then reads until the end in case it
  // grew meanwhile.
  std::string bytes;
  if (st.st_size > 0) bytes.resize(static_cast<size_t>(st.st_size));
  size_t used = 0;
  char more[4096];
  while (true) {
    // Where the buffer is full, read into a small one first: at the usual
    // end of file that read returns nothing and the buffer stays as it is.
    const bool full = used == bytes.size();
    char* to = full ? more : bytes.data() + used;
    const size_t room = full ? sizeof more : bytes.size() - used;
    const ssize_t n = ::read(fd, to, room);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw Error(kErrPathAccess, "cannot read file: " + path + ": " + std::strerror(errno));
    }
    if (n == 0) break;
    if (full) {
      bytes.append(more, static_cast<size_t>(n));
      used = bytes.size();
      bytes.resize(std::max(bytes.size() * 2, size_t{65536}));
    } else {
      used += static_cast<size_t>(n);
    }
  }
  bytes.resize(used);
  return bytes;
}

}  // namespace

std::string ReadFileBytes(const std::string& path) {
  const OpenFile file(path);
  return ReadAll(file, path);
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

// Converts one run of multi-byte GB18030 sequences through iconv, each
// undecodable byte becoming one replacement character.
void ConvertRun(iconv_t cd, std::string_view run, std::string& out) {
  char* in = const_cast<char*>(run.data());
  size_t inLeft = run.size();
  char buf[4096];
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, static_cast<size_t>(o - buf));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (a sequence cut by the end of the run): one
      // replacement character for the offending byte, then go on.
      out.append(kReplacement);
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
}

// One converter per thread, opened on first use (opening it costs more
// than converting a whole station file).
struct Gb18030Converter {
  iconv_t cd = iconv_open("UTF-8", "GB18030");
  ~Gb18030Converter() {
    if (ok()) iconv_close(cd);
  }
  bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

std::string DecodeGb18030(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3 / 2 + 16);
  thread_local Gb18030Converter conv;
  const size_t n = bytes.size();
  size_t i = 0;
  while (i < n) {
    // ASCII bytes are themselves in both encodings: copy a run of them.
    size_t a = i;
    while (a + 8 <= n) {
      uint64_t word;
      std::memcpy(&word, bytes.data() + a, 8);
      if (word & 0x8080808080808080ull) break;
      a += 8;
    }
    while (a < n && static_cast<unsigned char>(bytes[a]) < 0x80) ++a;
    out.append(bytes.data() + i, a - i);
    if (a == n) break;
    // A run of multi-byte sequences: a lead byte 0x81..0xFE is followed by
    // one byte (two-byte form) or by a digit and two more bytes (four-byte
    // form); the trailing bytes may lie in the ASCII range, so the run is
    // measured by sequences, not by byte values.
    size_t b = a;
    while (b < n && static_cast<unsigned char>(bytes[b]) >= 0x80) {
      unsigned char lead = static_cast<unsigned char>(bytes[b]);
      if (lead == 0x80 || lead == 0xFF || b + 1 >= n) {
        ++b;
      } else {
        unsigned char second = static_cast<unsigned char>(bytes[b + 1]);
        b += (second >= 0x30 && second <= 0x39) ? 4 : 2;
      }
    }
    if (b > n) b = n;
    std::string_view run = bytes.substr(a, b - a);
    if (conv.ok()) {
      ConvertRun(conv.cd, run, out);
    } else {
      // No converter: keep ASCII, replace everything else.
      for (unsigned char c : run) {
        if (c < 0x80) out.push_back(static_cast<char>(c));
        else out.append(kReplacement);
      }
    }
    i = b;
  }
  return out;
}

}  // namespace

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    // Fast path over ASCII, 32 bytes (then eight) at a time.
    if (i + 32 <= s.size()) {
      uint64_t w[4];
      std::memcpy(w, s.data() + i, 32);
      if (((w[0] | w[1] | w[2] | w[3]) & 0x8080808080808080ull) == 0) {
        i += 32;
        continue;
      }
    }
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

namespace {

// First CR or LF in [p, end), or end: one pass over the bytes, sixteen at a
// time where the target has SSE2.
const char* FindLineBreak(const char* p, const char* const end) {
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  while (end - p >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int hits =
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
    if (hits != 0) return p + __builtin_ctz(static_cast<unsigned>(hits));
    p += 16;
  }
#endif
  while (p != end && *p != '\n' && *p != '\r') ++p;
  return p;
}

// The lines of a text as SplitLines gives them, found on the same pass
// that checks the text is valid UTF-8 (sixteen bytes at a time over ASCII
// where the target has SSE2); false, with the lines unspecified, when it
// is not. A multi-byte sequence holds no CR or LF byte.
bool SplitValidUtf8Lines(std::string_view text, std::vector<std::string_view>& lines) {
  lines.clear();
  lines.reserve(text.size() / 32 + 4);
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* start = begin;
  const char* p = begin;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
#endif
  while (p != end) {
#if defined(__SSE2__)
    if (end - p >= 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(v));
      unsigned breaks = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr))));
      // Only the ASCII bytes before the first byte of a multi-byte sequence.
      if (high != 0) breaks &= (1u << __builtin_ctz(high)) - 1;
      if (breaks != 0) {
        p += __builtin_ctz(breaks);  // a line end, read below
      } else if (high == 0) {
        p += 16;
        continue;
      } else {
        p += __builtin_ctz(high);  // a multi-byte sequence, read below
      }
    }
#endif
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c >= 0x80) {
      const size_t len = Utf8SequenceLength(text, static_cast<size_t>(p - begin));
      if (len == 0) return false;
      p += len;
    } else if (c == '\n' || c == '\r') {
      lines.emplace_back(start, static_cast<size_t>(p - start));
      p = c == '\r' && p + 1 != end && p[1] == '\n' ? p + 2 : p + 1;
      start = p;
    } else {
      ++p;
    }
  }
  if (start != end) lines.emplace_back(start, static_cast<size_t>(end - start));
  return true;
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  lines.reserve(text.size() / 32 + 4);
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* start = begin;
  // A line ends at LF, at CRLF, or at a lone CR; the last line needs no end.
  while (start != end) {
    const char* const at = FindLineBreak(start, end);
    lines.emplace_back(start, static_cast<size_t>(at - start));
    if (at == end) break;
    start = (*at == '\r' && at + 1 != end && at[1] == '\n') ? at + 2 : at + 1;
  }
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

std::shared_ptr<const DataFile::Text> TextFromBytes(const std::string& path, std::string bytes) {
  auto t = std::make_shared<DataFile::Text>();
  t->path = path;
  // Valid UTF-8 without a byte-order mark, the usual file, is checked and
  // split into lines in one pass; any other text is decoded first.
  if (!(bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)) {
    t->utf8 = std::move(bytes);
    if (SplitValidUtf8Lines(t->utf8, t->lines)) return t;
    std::string decoded = DecodeGb18030(t->utf8);  // not UTF-8: GB18030
    t->utf8 = std::move(decoded);
  } else {
    t->utf8 = DecodeToUtf8(std::move(bytes));
  }
  t->lines = SplitLines(t->utf8);
  return t;
}

namespace {

// The texts of the files read last, so that a file read again soon after
// (a month's file, read once for its own check and again for the check of
// the next month) is neither read nor decoded twice. A text is taken again
// only while its file is the same one, unchanged: same device and inode,
// size, modification and change times. Only small texts are kept, a few
// of them: the memory held stays small and fixed.
class RecentTexts {
 public:
  static constexpr size_t kEntries = 8;
  static constexpr off_t kLargestKept = 512 * 1024;

  std::shared_ptr<const DataFile::Text> Find(const std::string& path, const struct stat& st) {
    std::lock_guard<std::mutex> lock(mu_);
    for (const Entry& e : entries_)
      if (e.text && Same(e, st) && e.text->path == path) return e.text;
    return nullptr;
  }

  void Keep(const std::shared_ptr<const DataFile::Text>& text, const struct stat& st) {
    if (st.st_size > kLargestKept || !Settled(st)) return;
    std::lock_guard<std::mutex> lock(mu_);
    Entry& e = entries_[next_++ % kEntries];
    e.text = text;
    e.dev = st.st_dev;
    e.ino = st.st_ino;
    e.size = st.st_size;
    e.mtime = st.st_mtim;
    e.ctime = st.st_ctim;
  }

 private:
  struct Entry {
    std::shared_ptr<const DataFile::Text> text;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{}, ctime{};
  };
  static bool Same(const Entry& e, const struct stat& st) {
    return e.dev == st.st_dev && e.ino == st.st_ino && e.size == st.st_size &&
           e.mtime.tv_sec == st.st_mtim.tv_sec && e.mtime.tv_nsec == st.st_mtim.tv_nsec &&
           e.ctime.tv_sec == st.st_ctim.tv_sec && e.ctime.tv_nsec == st.st_ctim.tv_nsec;
  }

  // File times step by the kernel's clock tick, so a file rewritten at
  // once could keep the times it had: only a file left alone for a while
  // before it was read is kept, and any later write then gives it newer
  // times.
  static bool Settled(const struct stat& st) {
    timespec now{};
    if (::clock_gettime(CLOCK_REALTIME, &now) != 0) return false;
    const time_t before = now.tv_sec - 2;
    return st.st_mtim.tv_sec < before && st.st_ctim.tv_sec < before;
  }

  std::mutex mu_;
  Entry entries_[kEntries];
  size_t next_ = 0;
};

RecentTexts& Recent() {
  static RecentTexts recent;
  return recent;
}

}  // namespace

std::shared_ptr<const DataFile::Text> ReadText(const std::string& path) {
  const OpenFile file(path);
  if (auto text = Recent().Find(path, file.st)) return text;
  auto text = TextFromBytes(path, ReadAll(file, path));
  // Kept with the times taken before the read: a file written meanwhile
  // has newer ones and is read again next time.
  Recent().Keep(text, file.st);
  return text;
}

// ---------------------------------------------------------------- DataFile

DataFile::DataFile() = default;
DataFile::~DataFile() = default;
DataFile::DataFile(const DataFile&) = default;
DataFile& DataFile::operator=(const DataFile&) = default;

Status DataFile::Open(const std::string& path) {
  text_.reset();
  return RunGuarded([&] { text_ = ReadText(path); });
}

DataFile DataFile::FromBytes(const std::string& path, std::string bytes) {
  DataFile f;
  f.text_ = TextFromBytes(path, std::move(bytes));
  return f;
}

const std::string& DataFile::Path() const {
  static const std::string kNone;
  return text_ ? text_->path : kNone;
}

bool DataFile::IsOpen() const { return text_ != nullptr; }

size_t DataFile::LineCount() const { return text_ ? text_->lines.size() : 0; }

std::string_view DataFile::Line(size_t i) const {
  return text_ && i < text_->lines.size() ? text_->lines[i] : std::string_view();
}

}  // namespace kelvane
