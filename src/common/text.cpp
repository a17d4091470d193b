#include "common/text.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "common/error.h"

namespace kelvane {

int32_t RoundHalfAway(double x) {
  if (std::isnan(x)) throw Error(kErrOverflow, "Overflow: rounding a value that is not a number");
  double a = std::floor(std::fabs(x) + 0.5);
  double r = x < 0 ? -a : (x > 0 ? a : 0.0);
  if (r > 2147483647.0 || r < -2147483648.0) throw Error(kErrOverflow, "Overflow");
  return static_cast<int32_t>(r);
}

std::string_view TrimBlanks(std::string_view t) {
  size_t b = 0, e = t.size();
  while (b < e && t[b] == ' ') ++b;
  while (e > b && t[e - 1] == ' ') --e;
  return t.substr(b, e - b);
}

std::string_view GetFieldView(std::string_view text, std::string_view sep, int32_t n,
                              FieldBlanks blanks) {
  if (sep.empty() || n <= 0) return {};
  // The working text is the separator followed by the trimmed text; field k
  // starts after the k-th separator occurrence of that working text, so the
  // fields are those of the trimmed text itself.
  std::string_view w = blanks == FieldBlanks::Trim ? TrimBlanks(text) : text;
  // Field 1 starts at 0 (right after the leading separator).
  size_t start = 0;
  for (int32_t k = 1; k < n; ++k) {
    size_t pos = w.find(sep, start);
    if (pos == std::string_view::npos) return {};
    start = pos + sep.size();
  }
  if (start > w.size()) return {};
  // Field n of a text that ran empty is "" (the loop of the definition stops
  // as soon as the working text is empty).
  if (start == w.size() && n > 1) return {};
  size_t end = w.find(sep, start);
  return w.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

std::string GetField(std::string_view text, std::string_view sep, int32_t n) {
  return std::string(GetFieldView(text, sep, n));
}

int32_t CountSeparators(std::string_view text, std::string_view sep) {
  if (sep.empty() || text.empty()) return 0;
  int32_t count = 0;
  size_t pos = 0;
  while ((pos = text.find(sep, pos)) != std::string_view::npos) {
    ++count;
    pos += sep.size();
  }
  return count;
}

namespace {

constexpr size_t kScales = 24;

struct DecimalScales {
  double at[kScales];
  constexpr DecimalScales() : at() {
    double scale = 0.1;
    for (size_t k = 0; k < kScales; ++k) {
      at[k] = scale;
      scale /= 10;
    }
  }
};

constexpr DecimalScales kDecimalScales;

double DecimalScale(size_t k) {
  if (k < kScales) return kDecimalScales.at[k];
  double scale = kDecimalScales.at[kScales - 1];
  for (size_t n = kScales - 1; n < k; ++n) scale /= 10;
  return scale;
}

}  // namespace

ParsedNumber ParseAnyNumber(std::string_view t) {
  ParsedNumber r;
  size_t i = 0;
  while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
  bool neg = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
    neg = t[i] == '-';
    ++i;
  }
  double v = 0;
  bool digits = false;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
    v = v * 10 + (t[i] - '0');
    digits = true;
    ++i;
  }
  if (i < t.size() && t[i] == '.') {
    size_t j = i + 1;
    double frac = 0;
    bool fd = false;
    // The k-th decimal weighs 0.1 divided k times by 10 (the same doubles as
    // dividing as the digits come, without a division per digit).
    size_t k = 0;
    while (j < t.size() && t[j] >= '0' && t[j] <= '9') {
      frac += (t[j] - '0') * DecimalScale(k);
      ++k;
      fd = true;
      ++j;
    }
    if (fd || digits) {
      v += frac;
      digits = true;
      r.decimalPoint = true;
      i = j;
    }
  }
  r.anyDigit = digits;
  r.consumed = i;
  if (!digits) return r;
  r.value = neg ? -v : v;
  while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
  r.wholeText = i == t.size();
  return r;
}

int64_t LeadingInteger(std::string_view text) {
  double v = LeadingNumber(text);
  if (v >= 9.2e18) return std::numeric_limits<int64_t>::max();
  if (v <= -9.2e18) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(v);
}

size_t CharCountOfLongText(std::string_view s) {
  // Every byte but a continuation byte (10xxxxxx) starts a character; eight
  // bytes at a time, the continuation bytes are those with bit 7 set and
  // bit 6 clear (counted without a popcount instruction, which the baseline
  // x86-64 target lacks and replaces by a library call).
  size_t n = 0, i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t w;
    std::memcpy(&w, s.data() + i, 8);
    const uint64_t continuation = w & ~(w << 1) & 0x8080808080808080ull;
    // One bit per continuation byte, summed into the top byte by the
    // multiplication (at most 8, so no byte overflows).
    n += 8 - static_cast<size_t>(((continuation >> 7) * 0x0101010101010101ull) >> 56);
  }
  for (; i < s.size(); ++i)
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) ++n;
  return n;
}

bool IsNumberList(std::string_view text) {
  while (true) {
    const size_t comma = text.find(',');
    if (!IsNumericText(text.substr(0, comma))) return false;
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}

namespace {

// The number just written into buf..end, read as strtod reads it; out of
// range (the largest values round up past it) strtod's answer is taken.
// end must lie inside buf's storage.
double ReadBack(char* buf, char* end) {
  double back = 0;
  if (std::from_chars(buf, end, back).ec == std::errc()) return back;
  *end = '\0';
  return std::strtod(buf, nullptr);
}

}  // namespace

double ThroughFifteenDigits(double x) {
  char buf[64];
  const auto written = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 15);
  return ReadBack(buf, written.ptr);
}

std::string FormatNumber(double x) {
  if (x == 0) return "0";
  // The fewest significant digits that read back as x. std::to_chars with a
  // precision writes what printf's "%.*g" writes (and from_chars reads as
  // strtod does), without the locale and the multi-precision arithmetic.
  char buf[64];
  char* const end = buf + sizeof buf;
  std::to_chars_result written{buf, std::errc()};
  for (int prec = 1; prec <= 17; ++prec) {
    written = std::to_chars(buf, end, x, std::chars_format::general, prec);
    if (ReadBack(buf, written.ptr) == x) break;
  }
  std::string s(buf, written.ptr);
  // Plain notation for the magnitudes this system handles.
  if (s.find('e') != std::string::npos && std::fabs(x) < 1e15 && std::fabs(x) >= 1e-6) {
    written = std::to_chars(buf, end, x, std::chars_format::fixed, 10);
    s.assign(buf, written.ptr);
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  return s;
}

std::string NormalizeCoordinate(std::string_view text) {
  if (text.empty()) return {};
  // The hemisphere letter is the last character (a whole UTF-8 sequence).
  size_t last = text.size() - 1;
  while (last > 0 && (static_cast<unsigned char>(text[last]) & 0xC0) == 0x80) --last;
  std::string_view hemi = text.substr(last);
  std::string number(text.substr(0, last));
  if (number.find('.') == std::string::npos) number += ".00";
  auto deg = LeadingInteger(GetFieldView(number, ".", 1));
  auto min = LeadingInteger(GetFieldView(number, ".", 2));
  char buf[64];
  std::snprintf(buf, sizeof buf, "%lld.%02lld", static_cast<long long>(deg),
                static_cast<long long>(min));
  std::string out(buf);
  out += hemi;
  return out;
}

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2) {
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return leap ? 29 : 28;
  }
  return kDays[month - 1];
}

std::string_view DropLastChar(std::string_view s) {
  if (s.empty()) return s;
  size_t i = s.size() - 1;
  while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
  return s.substr(0, i);
}

namespace {
inline bool InSet(char c, std::string_view set) {
  for (char x : set)
    if (x == c) return true;
  return false;
}
}  // namespace

std::string_view RemoveChars(std::string_view s, std::string_view chars, std::string& scratch) {
  // The usual case: the marks stand only at the end of the line.
  size_t keep = s.size();
  while (keep > 0 && InSet(s[keep - 1], chars)) --keep;
  const std::string_view head = s.substr(0, keep);
  bool inside = false;
  for (char c : chars) inside = inside || head.find(c) != std::string_view::npos;
  if (!inside) return head;
  scratch.clear();
  for (char c : head)
    if (!InSet(c, chars)) scratch.push_back(c);
  return scratch;
}

bool MatchPattern(std::string_view text, std::string_view pattern) {
  size_t t = 0, p = 0;
  while (p < pattern.size()) {
    if (t >= text.size()) return false;
    const char pc = pattern[p];
    if (pc == '?') {
      // Any one character: skip a whole UTF-8 sequence.
      ++t;
      while (t < text.size() && (static_cast<unsigned char>(text[t]) & 0xC0) == 0x80) ++t;
      ++p;
      continue;
    }
    const char tc = text[t];
    if (pc == '#') {
      if (tc < '0' || tc > '9') return false;
      ++p;
    } else if (pc == '[') {
      size_t close = pattern.find(']', p + 1);
      if (close == std::string_view::npos) return false;
      std::string_view set = pattern.substr(p + 1, close - p - 1);
      bool hit = false;
      for (size_t k = 0; k < set.size() && !hit; ++k) {
        if (set[k] == '-' || k + 2 >= set.size() || set[k + 1] != '-') {
          hit = set[k] == tc;
        } else {
          hit = tc >= set[k] && tc <= set[k + 2];
          k += 2;
        }
      }
      if (!hit) return false;
      p = close + 1;
    } else {
      if (tc != pc) return false;
      ++p;
    }
    ++t;
  }
  return t == text.size();
}

std::string Num(long n) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, n);
  return std::string(buf, r.ptr);
}

}  // namespace kelvane
