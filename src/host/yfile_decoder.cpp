#include "host/yfile_decoder.h"

#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "common/text.h"
#include "common/text_file.h"
#include "yfile/layout.h"

namespace kelvane {

namespace {

using yfile::BlockSpec;
using yfile::Special;

// The lines of the file, read one after the other.
struct Cursor {
  const std::vector<std::string_view>& lines;
  size_t next = 0;
  bool Next(std::string_view& out) {
    if (next >= lines.size()) return false;
    out = lines[next++];
    return true;
  }
};

// Groups of a line without its "=", at most `max` of them.
void SplitGroups(std::string_view line, std::vector<std::string_view>& out, size_t max = 64) {
  out.clear();
  if (!line.empty() && line.back() == '=') line.remove_suffix(1);
  size_t pos = 0;
  while (out.size() < max) {
    const size_t blank = line.find(' ', pos);
    if (blank == std::string_view::npos) {
      out.push_back(line.substr(pos));
      break;
    }
    out.push_back(line.substr(pos, blank - pos));
    pos = blank + 1;
  }
}

std::string_view At(const std::vector<std::string_view>& g, size_t i) {
  return i < g.size() ? g[i] : std::string_view();
}

void Set(StringArray& a, long i, long j, std::string_view v) {
  if (std::string* p = a.Find(i, j)) p->assign(v);
}

std::string Join(std::string_view a, char sep, std::string_view b) {
  std::string s(a);
  s += sep;
  s += b;
  return s;
}

// A first/last date: "-/-" for no event, "/" when missing, else "MM/DD".
std::string EventDate(std::string_view m, std::string_view d) {
  if (IsRunOf(m, '.') && IsRunOf(d, '.')) return "-/-";
  if (IsRunOf(m, '/') && IsRunOf(d, '/')) return "/";
  return Join(m, '/', d);
}

std::string EventDays(std::string_view g) {
  if (IsRunOf(g, '.')) return "-";
  if (IsRunOf(g, '/')) return "/";
  return std::string(g);
}

class Decoder {
 public:
  Decoder(const std::vector<std::string_view>& lines, YFileArrays& out) : in_{lines}, out_(out) {}

  void Run() {
    std::string_view s;
    if (!in_.Next(s)) return;  // the header
    for (const yfile::IdentifierSpec& id : yfile::Identifiers()) {
      if (!in_.Next(s) || s.size() != 1 || s[0] != id.letter) return;
      for (const BlockSpec& b : id.blocks) Block(b);
    }
    if (!in_.Next(s) || s != "??????") return;
    Appendix("FM", out_.YFileFM, 12);
    Appendix("GK", out_.YFileGK, 0);
    Appendix("BZ", out_.YFileBZ, 0);
    Appendix("YQ", out_.YFileYQ, 0);
  }

 private:
  void Block(const BlockSpec& b) {
    switch (b.special) {
      case Special::None: return Standard(b);
      case Special::PeriodMaxRain: return Lines(15, [&](int a) {
          for (size_t k = 0; k < 5; ++k) Set(out_.strTimesSegmantMaxR, a, static_cast<long>(k + 1), At(g_, k));
        });
      case Special::WetSpell:
      case Special::DrySpell: return Spell(b);
      case Special::FirstLastDates: return Lines(9, [&](int a) {
          StringArray& d = out_.strElementStartEndDate;
          if (a == 9) return Set(d, 9, 1, EventDays(At(g_, 0)));
          Set(d, a, 1, EventDate(At(g_, 0), At(g_, 1)));
          Set(d, a, 2, EventDate(At(g_, 2), At(g_, 3)));
          Set(d, a, 3, EventDays(At(g_, 4)));
          if (a <= 7) Set(d, a, 4, EventDate(At(g_, 5), At(g_, 6)));
        });
      case Special::WindStatistics: return Lines(65, [&](int a) { Wind(a); });
      case Special::MostFrequent: return Lines(13, [&](int a) {
          Set(out_.strMonthYearS, a, b.firstItem, yfile::StripDirectionPadding(At(g_, 0)));
          Set(out_.strMonthYearS, a, b.firstItem + 1, At(g_, 1));
        });
    }
  }

  template <class Fn>
  void Lines(int count, Fn&& fn) {
    std::string_view s;
    for (int a = 1; a <= count; ++a) {
      if (!in_.Next(s)) return;
      SplitGroups(s, g_);
      fn(a);
    }
  }

  void Standard(const BlockSpec& b) {
    Lines(13, [&](int a) {
      const std::string_view layout = a == 13 ? b.yearLine : b.monthLine;
      int yearItems = 0;
      for (char c : layout) yearItems += c != yfile::kGroupMonth;
      long item = a == 13 ? b.firstItem + b.items - yearItems : b.firstItem;
      for (size_t k = 0; k < layout.size() && k < g_.size(); ++k, ++item) {
        const char kind = layout[k];
        if (kind == yfile::kGroupMonth) {
          // A yearly date: month and day in one item, as written.
          Set(out_.strMonthYearS, a, item, Join(g_[k], '/', At(g_, k + 1)));
          ++k;
        } else if (kind == yfile::kGroupDirection) {
          Set(out_.strMonthYearS, a, item, yfile::StripDirectionPadding(g_[k]));
        } else {
          Set(out_.strMonthYearS, a, item, g_[k]);
        }
      }
    });
  }

  // Days (and amount of a wet spell) and the dates of the spell.
  void Spell(const BlockSpec& b) {
    const bool wet = b.special == Special::WetSpell;
    Lines(13, [&](int a) {
      const size_t lead = wet ? 2 : 1;
      Set(out_.strMonthYearS, a, b.firstItem, At(g_, 0));
      if (wet) Set(out_.strMonthYearS, a, b.firstItem + 1, At(g_, 1));
      std::string dates;
      if (a == 13) {
        dates = std::string(At(g_, lead)) + "/" + std::string(At(g_, lead + 1)) + "/" +
                std::string(At(g_, lead + 2)) + "-" + std::string(At(g_, lead + 3)) + "/" +
                std::string(At(g_, lead + 4)) + "/" + std::string(At(g_, lead + 5));
      } else {
        dates = std::string(At(g_, lead)) + "/" + std::string(At(g_, lead + 1)) + "-" +
                std::string(At(g_, lead + 2)) + "/" + std::string(At(g_, lead + 3));
      }
      Set(out_.strMonthYearS, a, b.firstItem + static_cast<long>(lead), dates);
    });
  }

  void Wind(int a) {
    if (a <= 48) {
      const long m = (a - 1) / 4 + 1, quarter = (a - 1) % 4;
      for (long j = 0; j < 4; ++j)
        for (long q = 0; q < 5; ++q)
          Set(out_.strMonthWDF, quarter * 4 + j + 1, (m - 1) * 5 + q + 1,
              At(g_, static_cast<size_t>(j * 5 + q)));
    } else if (a <= 60) {
      const long m = a - 48;
      Set(out_.strMonthWDF, 17, (m - 1) * 5 + 2, At(g_, 0));
      Set(out_.strMonthWDF, 17, (m - 1) * 5 + 4, At(g_, 1));
    } else if (a <= 64) {
      const long quarter = a - 61;
      for (long j = 0; j < 4; ++j)
        for (long q = 0; q < 6; ++q)
          Set(out_.strYearWDF, quarter * 4 + j + 1, q + 1, At(g_, static_cast<size_t>(j * 6 + q)));
    } else {
      Set(out_.strYearWDF, 17, 2, At(g_, 0));
      Set(out_.strYearWDF, 17, 4, At(g_, 1));
    }
  }

  // A section's lines after its marker: `count` lines, or up to the line
  // that ends with "=".
  void Appendix(std::string_view marker, StringArray& list, int count) {
    std::string_view s;
    if (!in_.Next(s) || s != marker) return;
    std::vector<std::string_view> lines;
    while ((count == 0 || static_cast<int>(lines.size()) < count) && in_.Next(s)) {
      lines.push_back(s);
      if (count == 0 && EndsWith(s, '=')) break;
    }
    list.ReDim(1, static_cast<long>(lines.size()));
    for (size_t i = 0; i < lines.size(); ++i) list(static_cast<long>(i + 1)).assign(lines[i]);
  }

  Cursor in_;
  YFileArrays& out_;
  std::vector<std::string_view> g_;
};

void Shape(YFileArrays& out) {
  out.strMonthYearS = StringArray::Matrix(1, 13, 1, yfile::kYearItems);
  out.strTimesSegmantMaxR = StringArray::Matrix(1, 15, 1, 5);
  out.strElementStartEndDate = StringArray::Matrix(1, 9, 1, 4);
  out.strMonthWDF = StringArray::Matrix(1, 17, 1, 60);
  out.strYearWDF = StringArray::Matrix(1, 17, 1, 6);
  for (StringArray* a : {&out.YFileFM, &out.YFileGK, &out.YFileBZ, &out.YFileYQ}) a->ReDim(1, 0);
}

}  // namespace

namespace host {

void DecodeYFileText(const std::shared_ptr<const DataFile::Text>& text, YFileArrays& out) {
  Shape(out);
  if (text) Decoder(text->lines, out).Run();
}

}  // namespace host

Status DecodeYFile(const DataFile& file, const VariantArray& YFilePara, YFileArrays& out) {
  (void)YFilePara;  // the layout does not depend on the header
  return RunGuarded([&] {
    if (!file.IsOpen()) throw Error(kErrInvalidCall, "DecodeYFile: the data file is not open");
    host::DecodeYFileText(file.text(), out);
  });
}

Status DecodeYFile(const std::string& path, const VariantArray& YFilePara, YFileArrays& out) {
  DataFile file;
  if (Status s = file.Open(path); !s.ok()) return s;
  return DecodeYFile(file, YFilePara, out);
}

}  // namespace kelvane
