#include "host/rfile_decoder.h"

#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "common/text.h"
#include "common/text_file.h"
#include "rfile/layout.h"

namespace kelvane::host {

namespace {

std::string ParaText(const VariantArray& para, long i) {
  const Variant* v = para.Find(i);
  return v ? v->Text() : std::string();
}

// A group as the audit reads it: "" for all ".", "-" for all "/".
std::string CellOf(std::string_view group) {
  if (group.empty() || IsRunOf(group, '.')) return {};
  if (IsRunOf(group, '/')) return "-";
  return std::string(group);
}

void FillDay(StringArray& a, int day, int groups, std::string_view line) {
  size_t start = 0;
  for (int j = 1; j <= groups; ++j) {
    if (start > line.size()) break;
    size_t blank = line.find(' ', start);
    if (blank == std::string_view::npos) blank = line.size();
    std::string_view group = line.substr(start, blank - start);
    while (!group.empty() && group.back() == '=') group.remove_suffix(1);
    a(day, j) = CellOf(group);
    start = blank + 1;
  }
}

StringArray ListOf(const std::vector<std::string_view>& lines) {
  StringArray a = StringArray::Vector(1, static_cast<long>(lines.size()));
  for (size_t i = 0; i < lines.size(); ++i) a(static_cast<long>(i) + 1) = std::string(lines[i]);
  return a;
}

class Walk {
 public:
  explicit Walk(const std::vector<std::string_view>& lines) : lines_(lines) {}
  bool AtEnd() const { return next_ >= lines_.size(); }
  std::string_view Peek() const { return AtEnd() ? std::string_view() : lines_[next_]; }
  std::string_view Read() { return AtEnd() ? std::string_view() : lines_[next_++]; }
  // Moves past the next line equal to text; false (at the end) when none.
  bool SkipPast(std::string_view text) {
    while (!AtEnd())
      if (Read() == text) return true;
    return false;
  }

 private:
  const std::vector<std::string_view>& lines_;
  size_t next_ = 0;
};

}  // namespace

void DecodeRFileText(std::shared_ptr<const DataFile::Text> text, const VariantArray& para,
                     RFileArrays& out) {
  int days = static_cast<int>(LeadingInteger(ParaText(para, 4)));
  if (days < 1 || days > 31) days = 31;
  const std::vector<std::string_view>& lines = text->lines;
  std::string cls = ParaText(para, 11);
  if (cls.empty() && !lines.empty() && lines[0].size() >= 28) cls = std::string(lines[0].substr(27, 1));
  const int stationClass = static_cast<int>(LeadingInteger(cls));

  for (const auto& e : kRFileArrayTable<>) {
    StringArray& a = out.*e.member;
    if (e.segment != 0)
      a = StringArray::Matrix(1, days, 1, e.groups);
    else
      a = StringArray::Vector(1, 0);
  }

  Walk w(lines);
  w.Read();  // header
  // Data part: the segments of the class in file order.
  for (char letter : rfile::ClassSegments(stationClass)) {
    const std::string_view id = w.Peek();
    if (id.size() < 1 || id[0] != letter || id.size() > 2 || (id.size() == 2 && id[1] != '='))
      break;
    w.Read();
    if (id.size() == 2) continue;  // declared empty
    if (letter == 'Z') {
      w.Read();
      continue;
    }
    StringArray* target = nullptr;
    int groups = 0;
    for (const auto& e : kRFileArrayTable<>)
      if (e.segment == letter) target = &(out.*e.member), groups = e.groups;
    for (int d = 1; d <= days && !w.AtEnd(); ++d) {
      const std::string_view line = w.Read();
      FillDay(*target, d, groups, line);
      if (EndsWith(line, '=')) break;
    }
  }

  // Sections: cover, instruments, surroundings, remarks.
  if (!w.SkipPast("FM")) return;
  std::vector<std::string_view> cover;
  for (int k = 0; k < rfile::CoverLines(stationClass) && !w.AtEnd(); ++k) cover.push_back(w.Read());
  out.strRFileFM = ListOf(cover);
  if (w.Read() != "YX") return;
  std::vector<std::string_view> instruments;
  while (!w.AtEnd() && w.Peek() != "CZ") instruments.push_back(w.Read());
  out.strRFileYQ = ListOf(instruments);
  if (w.Read() != "CZ") return;
  std::vector<std::string_view> environment, surface, other;
  while (!w.AtEnd()) {
    const std::string_view line = w.Read();
    if (line == "=") break;
    const std::string_view code = line.substr(0, line.find('/'));
    (code == "01" ? environment : code == "02" ? surface : other).push_back(line);
    if (EndsWith(line, '=')) break;
  }
  out.strRFileEnvironment = ListOf(environment);
  out.strRFileSurface = ListOf(surface);
  out.strRFileOtherCZ = ListOf(other);
  if (w.Read() != "BZ") return;
  std::vector<std::string_view> remarks;
  while (!w.AtEnd()) {
    const std::string_view line = w.Read();
    if (line == "=") break;
    remarks.push_back(line);
    if (EndsWith(line, '=')) break;
  }
  out.strRFileBZ = ListOf(remarks);
}

}  // namespace kelvane::host

namespace kelvane {

Status DecodeRFile(const DataFile& file, const VariantArray& RFilePara, RFileArrays& out) {
  return RunGuarded([&] {
    if (!file.IsOpen()) throw Error(kErrInvalidCall, "DecodeRFile: the data file is not open");
    RFileArrays d;
    host::DecodeRFileText(file.text(), RFilePara, d);
    out = std::move(d);
  });
}

}  // namespace kelvane
