#include "afile/format/context.h"

#include <charconv>

namespace kelvane::afile {

void FormContext::Add(std::string_view message, std::string_view element,
                      std::string_view related, std::string_view day,
                      std::string_view timeOrItem) {
  AddOnLine(message, element, related, day, timeOrItem, line, kLevelError);
}

void FormContext::AddOnLine(std::string_view message, std::string_view element,
                            std::string_view related, std::string_view day,
                            std::string_view timeOrItem, long lineNumber,
                            std::string_view level) {
  list.Add(message, element, related, day, timeOrItem, Num(lineNumber), level);
}

void FormContext::Fatal(std::string_view message, std::string_view element,
                        std::string_view day, std::string_view timeOrItem) {
  Add(message, element, "", day, timeOrItem);
  para(6) = Variant(false);
  throw FatalStop{};
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

bool IsDecimal(std::string_view s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  bool digits = false;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, digits = true;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, digits = true;
  }
  return digits && i == s.size();
}

bool IsRunOf(std::string_view s, char c) {
  if (s.empty()) return false;
  for (char x : s)
    if (x != c) return false;
  return true;
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

int CountBlanks(std::string_view s) {
  int n = 0;
  for (char c : s) n += c == ' ';
  return n;
}

std::string_view FieldOf(std::string_view s, char sep, int n) {
  size_t start = 0;
  for (int k = 1; k < n; ++k) {
    size_t pos = s.find(sep, start);
    if (pos == std::string_view::npos) return {};
    start = pos + 1;
  }
  size_t end = s.find(sep, start);
  return s.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

std::string Num(long n) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, n);
  return std::string(buf, r.ptr);
}

}  // namespace kelvane::afile
