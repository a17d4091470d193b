#include "e2e_case.h"

#include <iconv.h>

#include <cerrno>
#include <charconv>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "afile/segment_table.h"

namespace kelvane::testing {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view s) {
  const size_t b = s.find_first_not_of(kBlanks);
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(kBlanks) - b + 1);
}

std::vector<std::string_view> Words(std::string_view s) {
  std::vector<std::string_view> out;
  size_t pos = 0;
  while ((pos = s.find_first_not_of(kBlanks, pos)) != std::string_view::npos) {
    const size_t end = s.find_first_of(kBlanks, pos);
    out.push_back(s.substr(pos, end == std::string_view::npos ? s.npos : end - pos));
    if (end == std::string_view::npos) break;
    pos = end;
  }
  return out;
}

// A whole positive number below 10^6; 0 when s is anything else.
int PositiveNumber(std::string_view s) {
  int v = 0;
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || p != s.data() + s.size() || v <= 0 || v >= 1000000) return 0;
  return v;
}

bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

// Converts text between encodings; false when it cannot be converted.
bool Convert(const char* to, const char* from, std::string_view in, std::string* out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string src(in);
  out->assign(src.size() * 4 + 8, '\0');
  char* ip = src.data();
  size_t il = src.size();
  char* op = out->data();
  size_t ol = out->size();
  const bool ok = iconv(cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1) &&
                  iconv(cd, nullptr, nullptr, &op, &ol) != static_cast<size_t>(-1);
  iconv_close(cd);
  out->resize(out->size() - ol);
  return ok;
}

// A data file's line for a message: as UTF-8 when it converts.
std::string Shown(std::string_view line) {
  std::string utf8;
  if (IsAscii(line) || !Convert("UTF-8", "GB18030", line, &utf8)) return "'" + std::string(line) + "'";
  return "'" + utf8 + "'";
}

// ---------------------------------------------------------------- parsing

std::string ParseLocation(std::string_view text, CaseEditKind kind, CaseLocation* at) {
  at->text = std::string(Trim(text));
  std::vector<std::string_view> w = Words(text);
  size_t i = 0;
  if (!w.empty() && w[0] == "J") {
    at->file = 'J';
    ++i;
  }
  bool seen[6] = {};
  int lineWord = 0;
  bool blockGiven = false;
  for (; i < w.size(); i += 2) {
    static constexpr std::string_view kWords[6] = {"line",  "segment", "section",
                                                   "block", "day",     "record"};
    size_t k = 0;
    while (k < 6 && kWords[k] != w[i]) ++k;
    if (k == 6)
      return "unknown word '" + std::string(w[i]) +
             "' in the location (words: J, line, segment, section, block, day, record)";
    if (seen[k]) return "'" + std::string(w[i]) + "' given twice in the location";
    seen[k] = true;
    if (i + 1 >= w.size()) return "'" + std::string(w[i]) + "' needs a value";
    const std::string_view v = w[i + 1];
    if (k == 1 || k == 2) {
      if (v.size() != 1 || v[0] < 'A' || v[0] > 'Z')
        return std::string(w[i]) + " is one capital letter, not '" + std::string(v) + "'";
      if (k == 1 && at->file == 'J')
        return "the minute file has sections: write 'section P', 'section T' or 'section U'";
      if (k == 2 && at->file != 'J')
        return "sections are in the minute file: start the location with J";
      if (k == 2 && v != "P" && v != "T" && v != "U")
        return "the minute file has sections P, T and U, not " + std::string(v);
      at->segment = v[0];
      continue;
    }
    const int n = PositiveNumber(v);
    if (n == 0) return std::string(w[i]) + " is a number from 1, not '" + std::string(v) + "'";
    if (k == 0) lineWord = n;
    if (k == 3) {
      at->block = n;
      blockGiven = true;
    }
    if (k == 4) at->day = n;
    if (k == 5) at->record = n;
  }
  if (at->segment) {
    if (lineWord) at->dayLine = lineWord;
    if (at->file == 'J') {
      if (blockGiven) return "a minute-file section has no blocks";
      if (at->day == 0 || lineWord == 0)
        return "a minute-file location gives the day and the line of the day (the hour, 1 ... 24)";
    }
  } else {
    if (blockGiven || at->day) return "a block or day needs a segment (or a section)";
    if (lineWord == 0)
      return "the location gives a line number ('line 170') or a segment ('segment E day 10')";
    at->lineNumber = lineWord;
  }
  if (kind == CaseEditKind::ReplaceRecord && at->record == 0)
    return "replace record needs the record ('record 3')";
  if (kind != CaseEditKind::ReplaceRecord && at->record != 0)
    return "a whole line is edited here: no 'record' (use replace record)";
  return "";
}

std::string ParseEdit(CaseEditKind kind, std::string_view value, CaseEdit* edit) {
  edit->kind = kind;
  std::string_view where = value;
  if (kind == CaseEditKind::RemoveLine) {
    if (value.find('=') != std::string_view::npos) return "remove line takes no '= value'";
  } else {
    const size_t eq = value.find('=');
    if (eq == std::string_view::npos) return "the new text follows '=' ('... = 023')";
    where = value.substr(0, eq);
    std::string_view text = Trim(value.substr(eq + 1));
    if (!text.empty() && text.front() == '"') {
      if (text.size() < 2 || text.back() != '"') return "a quoted text ends with '\"'";
      text = text.substr(1, text.size() - 2);
    } else if (text.empty()) {
      return "the new text is empty: write \"\" for an empty one";
    }
    edit->value = std::string(text);
  }
  return ParseLocation(where, kind, &edit->at);
}

// ---------------------------------------------------------------- locating

// Days of the month the A file's header names (its last two fields: year,
// month); 0 when the header does not name one.
int DaysOfMonth(const FileLines& aLines) {
  if (aLines.empty()) return 0;
  const std::vector<std::string_view> w = Words(aLines[0]);
  if (w.size() < 2) return 0;
  const int year = PositiveNumber(w[w.size() - 2]), month = PositiveNumber(w.back());
  if (year == 0 || month < 1 || month > 12) return 0;
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

std::string CheckDay(const CaseLocation& at, int days, int linesPerDay) {
  if (at.day < 1 || at.day > days)
    return "day " + std::to_string(at.day) + " is not a day of the month (1 ... " +
           std::to_string(days) + ")";
  if (at.dayLine > linesPerDay)
    return "the block has " + std::to_string(linesPerDay) + " line(s) per day, not line " +
           std::to_string(at.dayLine);
  return "";
}

// Index into lines of the line `at` names in an A file, walking the
// segments through the segment table, and the separator of the line's
// records: "," on cloud-form and weather lines, else a blank.
std::string LocateInAFile(const FileLines& lines, const CaseLocation& at, size_t* index,
                          char* sep) {
  namespace af = kelvane::afile;
  const int days = DaysOfMonth(lines);
  if (days == 0) return "the A file's header names no month";
  bool known = false;
  for (const af::SegmentLayout& seg : af::Segments()) known |= seg.letter == at.segment;
  if (!known) return std::string("the A file has no segment ") + at.segment;
  auto lineNo = [](size_t pos) { return "line " + std::to_string(pos + 1); };
  size_t pos = 1;
  for (const af::SegmentLayout& seg : af::Segments()) {
    if (pos >= lines.size() || lines[pos].empty() || lines[pos][0] != seg.letter)
      return lineNo(pos) + " should be the indicator line of segment " +
             std::string(1, seg.letter) + " (an earlier edit changed the line count?)";
    const std::string_view code = std::string_view(lines[pos]).substr(1);
    const af::ModeLayout* mode = af::FindMode(seg, code);
    const bool wantedSegment = seg.letter == at.segment;
    ++pos;
    if (!mode) {
      if (wantedSegment)
        return "segment " + std::string(1, seg.letter) + " has no data this month (" +
               lines[pos - 1] + ")";
      continue;
    }
    int ordinal = 0;
    for (const af::BlockLayout& b : mode->blocks) {
      const bool wanted = wantedSegment && ++ordinal == at.block;
      if (pos >= lines.size()) return "the A file ends inside segment " + std::string(1, seg.letter);
      if (lines[pos] == "=" || lines[pos] == "0=") {
        if (wanted)
          return "block " + std::to_string(at.block) + " of segment " + std::string(1, seg.letter) +
                 " is not observed this month (" + lineNo(pos) + " is '" + lines[pos] + "')";
        ++pos;
        continue;
      }
      if (b.kind == af::BlockKind::CrossMonth) {
        if (wanted) {
          if (at.day != 0 || at.dayLine != 1) return "this block is one line per month: no day";
          *index = pos;
          return "";
        }
        ++pos;
        continue;
      }
      const int perDay = af::LinesPerDay(b);
      if (wanted) {
        if (std::string e = CheckDay(at, days, perDay); !e.empty()) return e;
        *sep = b.kind == af::BlockKind::Cloud || b.kind == af::BlockKind::Weather ? ',' : ' ';
        *index = pos + static_cast<size_t>((at.day - 1) * perDay + at.dayLine - 1);
        return "";
      }
      pos += static_cast<size_t>(days * perDay);
    }
    if (wantedSegment)
      return "segment " + std::string(1, seg.letter) + " (mode " + std::string(code) + ") has " +
             std::to_string(mode->blocks.size()) + " block(s), not block " +
             std::to_string(at.block);
  }
  return "";  // not reached: the segment is known
}

// The minute data file: header, then sections P, T and U, each a code line
// ("T0"; "T=" alone when the element is not recorded automatically) and 24
// lines per day.
std::string LocateInJFile(const FileLines& lines, int days, const CaseLocation& at,
                          size_t* index) {
  if (days == 0) return "the A file's header names no month";
  size_t pos = 1;
  for (char letter : {'P', 'T', 'U'}) {
    if (pos >= lines.size() || lines[pos].size() != 2 || lines[pos][0] != letter)
      return "line " + std::to_string(pos + 1) + " of the minute file should be the code line of section " +
             std::string(1, letter);
    const bool data = lines[pos][1] != '=';
    ++pos;
    if (letter == at.segment) {
      if (!data) return std::string("section ") + letter + " has no data (" + lines[pos - 1] + ")";
      if (std::string e = CheckDay(at, days, 24); !e.empty()) return e;
      *index = pos + static_cast<size_t>((at.day - 1) * 24 + at.dayLine - 1);
      return "";
    }
    if (data) pos += static_cast<size_t>(days * 24);
  }
  return "";  // not reached: the section letter was checked when read
}

// Replaces record k (from 1) of a line whose records are separated by sep,
// keeping the "." or "=" that ends the line's last record.
std::string SetRecord(std::string& line, int k, std::string_view value, char sep) {
  size_t start = 0;
  for (int i = 1; i < k; ++i) {
    start = line.find(sep, start);
    if (start == std::string::npos)
      return "the line has " + std::to_string(i) + " record(s), not record " + std::to_string(k) +
             " (records separated by '" + std::string(1, sep) + "')";
    ++start;
  }
  size_t end = line.find(sep, start);
  if (end == std::string::npos) end = line.size();
  if (end > start && (line[end - 1] == '.' || line[end - 1] == '=')) --end;
  line.replace(start, end - start, value);
  return "";
}

}  // namespace

// ---------------------------------------------------------------- public

std::string ParseCase(std::string_view text, Case* out) {
  *out = Case{};
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  enum { Header, Rows, NoFindings } state = Header;
  bool expectSeen = false;
  int lineNo = 0;
  auto at = [&](const std::string& what) { return "line " + std::to_string(lineNo) + ": " + what; };
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    const std::string_view line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;

    if (state == NoFindings) return at("nothing but comments may follow 'expect: no findings'");
    if (state == Rows) {
      CaseFinding f;
      size_t col = 0, from = 0;
      for (;;) {
        const size_t bar = line.find('|', from);
        if (col < f.size())
          f[col] = std::string(Trim(line.substr(from, bar == std::string_view::npos ? line.npos : bar - from)));
        ++col;
        if (bar == std::string_view::npos) break;
        from = bar + 1;
      }
      if (col != f.size())
        return at("a finding has 7 columns separated by '|' (Message | Element | RelatedItem | Day | "
                  "TimeOrItem | Line | Level); this row has " + std::to_string(col));
      if (f[6] != "错误" && f[6] != "可疑")
        return at("the last column is the Level, 错误 or 可疑, not '" + f[6] + "'");
      out->findings.push_back(std::move(f));
      continue;
    }

    const size_t colon = line.find(':');
    if (colon == std::string_view::npos)
      return at(line.find('|') != std::string_view::npos
                    ? "a finding row before 'expect:'"
                    : "expected 'key: value', got '" + std::string(line) + "'");
    const std::string_view key = Trim(line.substr(0, colon));
    const std::string_view value = Trim(line.substr(colon + 1));
    if (key == "start") {
      if (!out->start.empty()) return at("'start' given twice");
      if (value.empty() || value.find('/') != std::string_view::npos)
        return at("start names a file of the sample set ('A53772-201203.TXT')");
      out->start = std::string(value);
    } else if (key == "exit") {
      if (out->exitStatus >= 0) return at("'exit' given twice");
      const int n = value == "0" ? 0 : PositiveNumber(value);
      if (n == 0 && value != "0") return at("exit is the tool's exit status (0, 1 or 2)");
      out->exitStatus = n;
    } else if (key == "usable") {
      if (value != "yes" && value != "no") return at("usable is yes or no");
      out->usable = value == "yes";
    } else if (key == "replace record" || key == "replace line" || key == "remove line") {
      CaseEdit edit;
      edit.caseLine = lineNo;
      const CaseEditKind kind = key == "replace record" ? CaseEditKind::ReplaceRecord
                                : key == "replace line" ? CaseEditKind::ReplaceLine
                                                        : CaseEditKind::RemoveLine;
      if (std::string e = ParseEdit(kind, value, &edit); !e.empty()) return at(e);
      out->edits.push_back(std::move(edit));
    } else if (key == "expect") {
      expectSeen = true;
      if (value == "no findings") {
        state = NoFindings;
      } else if (value.empty()) {
        state = Rows;
      } else {
        return at("write 'expect:' and the findings on the lines after it, or 'expect: no findings'");
      }
    } else {
      return at("unknown key '" + std::string(key) +
                "' (keys: start, replace record, replace line, remove line, exit, usable, expect)");
    }
  }
  if (out->start.empty()) return "no 'start:' (the sample file the case starts from)";
  if (out->exitStatus < 0) return "no 'exit:' (the exit status the check must end with)";
  if (!expectSeen) return "no 'expect:' (the findings, or 'expect: no findings')";
  if (state == Rows && out->findings.empty())
    return "'expect:' lists no finding (write 'expect: no findings' for a clean file)";
  return "";
}

std::string FormatFinding(const CaseFinding& f) {
  std::string s;
  for (size_t k = 0; k < f.size(); ++k) {
    if (k) s += " | ";
    s += f[k];
  }
  return s;
}

FileLines SplitFileLines(std::string_view bytes) {
  FileLines lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find("\r\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    lines.emplace_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string JoinFileLines(const FileLines& lines) {
  std::string out;
  for (const std::string& l : lines) (out += l) += "\r\n";
  return out;
}

std::string ApplyEdit(const CaseEdit& edit, FileLines& aLines, FileLines* jLines,
                      std::string* done) {
  const CaseLocation& at = edit.at;
  if (at.file == 'J' && !jLines) return "the start file has no minute data file in the sample set";
  FileLines& lines = at.file == 'J' ? *jLines : aLines;
  const std::string fileName = at.file == 'J' ? "J" : "A";
  size_t index = 0;
  char sep = ' ';
  if (at.segment == 0) {
    if (static_cast<size_t>(at.lineNumber) > lines.size())
      return "the " + fileName + " file has " + std::to_string(lines.size()) + " lines, not line " +
             std::to_string(at.lineNumber);
    index = static_cast<size_t>(at.lineNumber - 1);
  } else if (std::string e = at.file == 'J' ? LocateInJFile(lines, DaysOfMonth(aLines), at, &index)
                                            : LocateInAFile(lines, at, &index, &sep);
             !e.empty()) {
    return e;
  }
  const std::string where = fileName + " line " + std::to_string(index + 1);
  std::string value = edit.value;
  if (!IsAscii(value)) {
    std::string converted;
    if (!Convert("GB18030", "UTF-8", value, &converted)) return "the new text is not valid UTF-8";
    value = std::move(converted);
  }
  std::string& line = lines[index];
  if (edit.kind == CaseEditKind::RemoveLine) {
    *done = where + " removed: " + Shown(line);
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(index));
    return "";
  }
  std::string changed = line;
  if (edit.kind == CaseEditKind::ReplaceLine) {
    changed = value;
  } else if (std::string e = SetRecord(changed, at.record, value, sep);
             !e.empty()) {
    return where + " " + Shown(line) + ": " + e;
  }
  if (changed == line) return where + " already reads " + Shown(line) + ": the edit changes nothing";
  *done = where + ": " + Shown(line) + " -> " + Shown(changed);
  line = std::move(changed);
  return "";
}

}  // namespace kelvane::testing
