// The host decoder: A files built from the segment table with known records
// on chosen days, decoded into the element arrays of the audit; each cell is
// compared with the record the file holds at that place.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "afile/segment_table.h"
#include "common/error.h"
#include "common/text.h"
#include "host/decoder.h"
#include "sample/sample_afile.h"
#include "sample/sample_weather.h"
#include "kelvane/kelvane.h"
#include "scratch_dir.h"

namespace kelvane::host {
namespace {

namespace fs = std::filesystem;
using afile::BlockKind;
using afile::BlockLayout;
using sample::SampleStation;
using sample::SampleStations;
using sample::SampleWeather;
using sample::Series;
using sample::WriteSampleAFile;

// ---------------------------------------------------------------- builder

struct Recipe {
  std::string station = "53772";
  char stationType = '0';  // header position 43
  char classCode = '3';    // header position 44
  std::string flags = "00000090000000009009";
  int year = 2012, month = 3;
  bool blocksAbsent = false;  // every block written "=" (or "0="), the weather "0="
  std::map<char, std::string> codes = {
      {'P', "3"}, {'T', "0"}, {'I', "2"}, {'E', "0"}, {'U', "0"}, {'N', "0"}, {'H', "="},
      {'C', "0"}, {'V', "0"}, {'R', "0"}, {'W', "0"}, {'L', "0"}, {'Z', "0"}, {'G', "0"},
      {'F', "E"}, {'D', "0"}, {'K', "="}, {'A', "0"}, {'S', "0"}, {'B', "="}};
};

Recipe Manual() { return {}; }

Recipe AutomaticReference() {
  Recipe r;
  r.station = "54399";
  r.stationType = '1';
  r.classCode = '1';
  r.flags = "11111000110100111011";
  r.codes = {{'P', "D"}, {'T', "B"}, {'I', "B"}, {'E', "A"}, {'U', "B"}, {'N', "A"}, {'H', "B"},
             {'C', "A"}, {'V', "B"}, {'R', "6"}, {'W', "0"}, {'L', "B"}, {'Z', "0"}, {'G', "2"},
             {'F', "K"}, {'D', "B"}, {'K', "B"}, {'A', "0"}, {'S', "A"}, {'B', "A"}};
  return r;
}

Recipe ThreeTimes() {
  Recipe r;
  r.classCode = '4';
  r.codes = {{'P', "6"}, {'T', "9"}, {'I', "8"}, {'E', "9"}, {'U', "9"}, {'N', "9"}, {'H', "9"},
             {'C', "9"}, {'V', "9"}, {'R', "0"}, {'W', "0"}, {'L', "0"}, {'Z', "0"}, {'G', "0"},
             {'F', "H"}, {'D', "1"}, {'K', "1"}, {'A', "6"}, {'S', "2"}, {'B', "="}};
  return r;
}

// A file whose blocks hold zeros of the right widths; tests put known
// records on chosen days. Marks: "P.1" is the first line of block 1 of P.
struct Built {
  std::vector<std::string> lines;
  std::map<std::string, size_t> marks;
  int days = 31;

  // Day d of a block with the given lines; the day's last line gets the
  // day end "." (blocks of several lines a day) or the month end "=".
  void Day(const std::string& mark, int d, std::vector<std::string> dayLines) {
    const size_t n = dayLines.size();
    for (size_t k = 0; k < n; ++k) {
      std::string l = dayLines[k];
      if (k + 1 == n) l += d == days ? "=" : (n > 1 ? "." : "");
      lines.at(marks.at(mark) + (static_cast<size_t>(d) - 1) * n + k) = l;
    }
  }
  std::string& At(const std::string& mark, size_t offset = 0) {
    return lines.at(marks.at(mark) + offset);
  }
  void Write(const std::string& path) const {
    std::ofstream out(path, std::ios::binary);
    for (const std::string& l : lines) out << l << "\r\n";
  }
};

std::string Zeros(int w) { return std::string(static_cast<size_t>(w), '0'); }

std::string Records(const std::vector<int>& widths) {
  std::string l;
  for (size_t i = 0; i < widths.size(); ++i) l += (i ? " " : "") + Zeros(widths[i]);
  return l;
}

std::vector<int> Widths(const BlockLayout& b, int count, char visibilityFlag) {
  std::vector<int> w;
  for (int i = 1; i <= count; ++i) w.push_back(afile::RecordWidth(b, i, visibilityFlag == '1'));
  return w;
}

Built Build(const Recipe& r) {
  Built f;
  f.days = DaysInMonth(r.year, r.month);
  char head[96];
  std::snprintf(head, sizeof head, "%s 3747N 11233E 007783 007791 102 /// S%c%c %s 0 %04d %02d",
                r.station.c_str(), r.stationType, r.classCode, r.flags.c_str(), r.year, r.month);
  f.lines.push_back(head);
  for (const afile::SegmentLayout& seg : afile::Segments()) {
    const std::string letter(1, seg.letter), code = r.codes.at(seg.letter);
    f.marks[letter] = f.lines.size();
    f.lines.push_back(letter + code);
    const afile::ModeLayout* mode = afile::FindMode(seg, code);
    if (!mode) continue;
    int ordinal = 1;
    for (const BlockLayout& b : mode->blocks) {
      f.marks[letter + "." + std::to_string(ordinal++)] = f.lines.size();
      if (r.blocksAbsent && b.kind != BlockKind::CrossMonth) {
        f.lines.push_back(b.kind == BlockKind::Weather || ordinal % 2 ? "0=" : "=");
        continue;
      }
      std::vector<std::string> day;  // the lines of one day without end marks
      switch (b.kind) {
        case BlockKind::Hourly:
          day = {Records(Widths(b, b.count1, r.flags[8])), Records(Widths(b, b.count2, r.flags[8]))};
          break;
        case BlockKind::HourlyWind:
          day.assign(4, Records(Widths(b, b.count1, '0')));
          break;
        case BlockKind::Cloud:
          if (b.count1 == 1) day = {std::string(static_cast<size_t>(b.count2), ',')};
          for (uint8_t n : b.layout) day.push_back(std::string(n, ','));
          break;
        case BlockKind::CrossMonth:
          f.lines.push_back("0000 01/02/2012 00000=");
          continue;
        case BlockKind::Weather:
          day = {""};
          break;
        case BlockKind::WireIcing:
        case BlockKind::MaxWind:
        case BlockKind::Sunshine:
          day = {Records(Widths(b, static_cast<int>(b.layout.size()), '0'))};
          break;
        default:
          day = {Records(Widths(b, b.count1, '0'))};
          break;
      }
      for (int d = 1; d <= f.days; ++d) {
        for (size_t k = 0; k < day.size(); ++k) {
          const bool lastLine = k + 1 == day.size();
          std::string end = lastLine && d == f.days ? "=" : "";
          if (lastLine && d < f.days && (day.size() > 1 || b.kind == BlockKind::Weather)) end = ".";
          f.lines.push_back(day[k] + end);
        }
      }
    }
  }
  for (const char* l : {"??????", "******", "YF", "12345", "山西省", "示范三站", "山西省某县某镇山顶",
                        "盆地", "张台长", "李输入", "王校对", "赵预审", "钱审核", "孙传输",
                        "2012/04/05=", "JY", "8888=", "GK", "01/本月天气晴好", "05/气候正常=",
                        "BZ", "10/02、08、14、20时", "11/全月守班=", "######"}) {
    if (std::string_view(l).size() == 2 || std::string_view(l).size() == 6)
      f.marks[l] = f.lines.size();
    f.lines.push_back(l);
  }
  return f;
}

// ---------------------------------------------------------------- running

class Dir : public kelvane::testing::ScratchDir {
 public:
  Dir() : ScratchDir("kelvane_decoder") {}
  static const std::string& Sys() { return kelvane::testing::SampleSystemPath(); }
};

struct Decoded {
  VariantArray para = VariantArray::Vector(1, 52);
  StringArray cls = StringArray::Vector(1, 20);
  DecodedAFile d;
};

std::string FileName(const Recipe& r) {
  char name[48];
  std::snprintf(name, sizeof name, "A%s-%04d%02d.TXT", r.station.c_str(), r.year, r.month);
  return name;
}

// Format check (for AFilePara) and decoder on the built file.
Decoded Decode(const Built& f, const Recipe& r) {
  Dir dir;
  const std::string path = dir.Path(FileName(r));
  f.Write(path);
  Decoded run;
  KelvaneA a;
  StringArray list;
  EXPECT_TRUE(a.AFileFormCheck(Dir::Sys(), path, run.para, run.cls, list).ok());
  DecodeAFile(path, run.para, run.cls, run.d);
  return run;
}

// One expected cell: array, day, column (0 for a one-dimensional array:
// then `day` is the index), text.
struct Cell {
  StringArray DecodedAFile::*array;
  long day, column;
  const char* text;
};

void ExpectCells(const DecodedAFile& d, std::initializer_list<Cell> cells) {
  for (const Cell& c : cells) {
    const StringArray& a = d.*c.array;
    const std::string* got = c.column ? a.Find(c.day, c.column) : a.Find(c.day);
    std::string name;
    for (const auto& n : kAFileArrayTable<>)
      if (n.member == c.array) name = n.name;
    ASSERT_NE(got, nullptr) << name << "(" << c.day << ", " << c.column << ") out of range";
    EXPECT_EQ(*got, c.text) << name << "(" << c.day << ", " << c.column << ")";
  }
}

void ExpectShape(const DecodedAFile& d, StringArray DecodedAFile::*array, long rows, long cols) {
  const StringArray& a = d.*array;
  ASSERT_EQ(a.Rank(), 2);
  EXPECT_EQ(a.UBound(1), rows);
  EXPECT_EQ(a.UBound(2), cols);
}

bool AllDash(const StringArray& a) {
  for (const std::string& c : a.data())
    if (c != "-") return false;
  return !a.data().empty();
}

using D = DecodedAFile;

// ---------------------------------------------------------------- layouts

TEST(DecoderTest, AutomaticReferenceStationHourlyLayouts) {
  const Recipe r = AutomaticReference();
  Built f = Build(r);
  f.Day("P.1", 2, {"0132 9876 9803 9804 9805 9806 9807 9808 9809 9810 9811 ////",
                   "9813 9814 9815 9816 9817 9818 9819 9820 9821 9822 9823 9824 0140 0930 9790 0415"});
  f.Day("P.2", 2, {"0201 0202 0203 0204 0205 0206 0207 0208 0209 0210 0211 0212",
                   "0213 0214 0215 0216 0217 0218 0219 0220 0221 0222 0223 0224"});
  f.Day("T.1", 31, {"0001 0002 0003 0004 0005 0006 0007 0008 0009 0010 0011 0012",
                    "0013 0014 0015 0016 0017 0018 0019 0020 0021 0022 0023 -024 0150 1400 -030 0600"});
  f.Day("I.1", 2, {",052 -031 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000",
                   "0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0033"});
  f.Day("I.2", 2, {Records(std::vector(12, 4)),
                   "0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 -044"});
  f.Day("U.1", 2, {"61 62 63 64 65 66 67 68 69 70 71 72",
                   "81 82 83 84 85 86 87 88 89 90 91 %% 45 1327"});
  f.Day("N.1", 2, {"05 10 00 01 02 03 04 05 06 07 08 09 10 10 10 10 10 10 10 10 10 10 10 09"});
  f.Day("N.2", 2, {"02 00 00 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 07"});
  f.Day("H.1", 2, {"SC800,,,,,,,AC2500,", ",,,,CU1200,", ",,,,,", ",,,,,ST300,"});
  f.Day("C.1", 2, {"SCOP ACTRA,,,,,,,CI,", ",,,,,", ",,,,,", ",,,,,NS,"});
  f.Day("V.1", 2, {"00950 01000 12345 00000 00000 00000 00000 00000 00000 00000 00000 00000",
                   "00000 00000 00000 00000 00000 00000 00000 00000 00000 00000 00000 30000 00800 0515"});
  f.Day("R.1", 2, {"0012 0030 0042"});
  f.Day("R.1", 3, {",,,, ,,,, ,,,,"});
  f.Day("R.1", 4, {"0000 ,,,, 0000"});
  f.Day("R.2", 2, {"A--- ---- ---- 0035 ,,,, 0000 0000 0000 0000 0000 0000 0000",
                   "0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0011"});
  f.At("R.3") = "0000 21/02/2012 00123=";
  f.At("W.1", 1) = "60 0830-1020,.";
  f.At("W.1", 30) = "01,=";
  f.Day("L.1", 2, {",,,"});
  f.Day("L.2", 2, {"001 001 002 001 001 001 001 001 001 001 001 001",
                   "001 001 001 001 001 001 001 001 001 001 001 001"});
  f.Day("L.2", 3, {"001 001 001 001 /// 001 001 001 001 001 001 001", Records(std::vector(12, 3))});
  f.Day("L.2", 4, {",,, ,,, ,,, ,,, ,,, ,,, ,,, ,,, ,,, ,,, ,,, ,,,",
                   ",,, ,,, ,,, ,,, ,,, ,,, ,,, ,,, ,,, ,,, ,,, ,,,"});
  f.Day("Z.1", 2, {"012 ,,,"});
  f.Day("G.1", 2, {"0056 012 004 00035 010 003 00030 -012 PNE032"});
  f.Day("F.1", 2, {"PPC000 045032 ////// 000000 000000 000000", Records(std::vector(6, 6)),
                   Records(std::vector(6, 6)), "000000 000000 000000 000000 000000 NNW041"});
  f.Day("F.2", 2, {Records(std::vector(6, 6)), Records(std::vector(6, 6)),
                   Records(std::vector(6, 6)), "000000 000000 000000 000000 000000 PPW033"});
  f.Day("F.3", 2, {"PNE123 1432 PPE200 1501"});
  f.Day("D.1", 2, {Records(std::vector(12, 4)),
                   "0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0250 1400 -030 0600"});
  f.Day("D.6", 2, {Records(std::vector(12, 4)),
                   "0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0040"});
  f.Day("K.3", 2, {"0320 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000",
                   Records(std::vector(12, 4))});
  f.Day("A.1", 2, {"000 043 ,,, ,,,"});
  f.Day("S.1", 2, {"00 00 00 00 00 00 00 05 08 08 07 08 08 09 08 07 05 00 00 00 00 00 00 00 "
                   "0634 1752 073"});
  f.Day("B.1", 2, {Records(std::vector(12, 4)),
                   "0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0310 1330 -052 0540"});
  f.Day("B.2", 2, {"05"});

  const Decoded run = Decode(f, r);
  const D& d = run.d;
  EXPECT_EQ(d.days, 31);
  ExpectCells(d, {
      // station pressure: thousands digit restored, missing kept, times as written
      {&D::strP, 2, 1, "10132"}, {&D::strP, 2, 2, "9876"}, {&D::strP, 2, 12, "////"},
      {&D::strP, 2, 24, "9824"}, {&D::strP, 2, 25, "10140"}, {&D::strP, 2, 26, "0930"},
      {&D::strP, 2, 27, "9790"}, {&D::strP, 2, 28, "0415"},
      // hourly sea-level pressure: the fixed hours 02, 08, 14, 20
      {&D::strP0, 2, 1, "10206"}, {&D::strP0, 2, 2, "10212"}, {&D::strP0, 2, 3, "10218"},
      {&D::strP0, 2, 4, "10224"},
      {&D::strT, 31, 1, "0001"}, {&D::strT, 31, 24, "-024"}, {&D::strT, 31, 25, "0150"},
      {&D::strT, 31, 26, "1400"}, {&D::strT, 31, 27, "-030"}, {&D::strT, 31, 28, "0600"},
      // iced wet bulb: the comma stands for the minus sign
      {&D::strI, 2, 1, "-052B"}, {&D::strI, 2, 2, "-031"}, {&D::strI, 2, 24, "0033"},
      {&D::strTD, 2, 24, "-044"},
      {&D::strU, 2, 1, "61"}, {&D::strU, 2, 24, "%%"}, {&D::strU, 2, 25, "45"},
      {&D::strU, 2, 26, "1327"},
      {&D::strNN, 2, 1, "05"}, {&D::strNN, 2, 2, "10"}, {&D::strNN, 2, 3, "00"},
      {&D::strNL, 2, 24, "07"},
      {&D::strH, 2, 1, "SC800"}, {&D::strH, 2, 2, ""}, {&D::strH, 2, 8, "AC2500"},
      {&D::strH, 2, 13, "CU1200"}, {&D::strH, 2, 24, "ST300"},
      {&D::strCC, 2, 1, "SCOP ACTRA"}, {&D::strCC, 2, 8, "CI"}, {&D::strCC, 2, 24, "NS"},
      // metres of the instrument to tenths of km, truncated
      {&D::strV, 2, 1, "9"}, {&D::strV, 2, 2, "10"}, {&D::strV, 2, 3, "123"},
      {&D::strV, 2, 24, "300"}, {&D::strV, 2, 25, "8"}, {&D::strV, 2, 26, "0515"},
      // precipitation: ",,,," none, "0000" trace
      {&D::strR, 2, 1, "0012"}, {&D::strR, 2, 2, "0030"}, {&D::strR, 2, 3, "0042"},
      {&D::strR, 3, 1, ""}, {&D::strR, 3, 3, ""}, {&D::strR, 4, 1, "0000"}, {&D::strR, 4, 2, ""},
      {&D::strZJRR, 2, 1, "A"}, {&D::strZJRR, 2, 2, "-"}, {&D::strZJRR, 2, 4, "0035"},
      {&D::strZJRR, 2, 5, ""}, {&D::strZJRR, 2, 24, "0011"},
      {&D::strRconnect, 1, 0, "0000"}, {&D::strRconnect, 2, 0, "21/02/2012"},
      {&D::strRconnect, 3, 0, "00123"},
      {&D::strw, 2, 1, "60 0830-1020,."}, {&D::strw, 31, 1, "01,."}, {&D::strw, 3, 1, "."},
      // evaporation: frozen small pan; large-pan totals the line does not carry
      {&D::strLE, 2, 1, "B"}, {&D::strLL, 2, 3, "002"}, {&D::strLL, 2, 25, "25"},
      {&D::strLL, 3, 5, "///"}, {&D::strLL, 3, 25, "-"}, {&D::strLL, 4, 1, "B"},
      {&D::strLL, 4, 25, "B"},
      {&D::strZ, 2, 1, "012"}, {&D::strZ, 2, 2, ""},
      {&D::strG, 2, 1, "56"}, {&D::strG, 2, 2, "012"}, {&D::strG, 2, 4, "00035"},
      {&D::strG, 2, 8, "-012"}, {&D::strG, 2, 9, "NE/032"},
      // wind: direction/speed, the daily maximum and extreme speed/direction
      {&D::strFDFF, 2, 1, "C/000"}, {&D::strFDFF, 2, 2, "045/032"}, {&D::strFDFF, 2, 3, "-/-"},
      {&D::strFDFF, 2, 24, "NNW/041"}, {&D::strZJFDFF, 2, 24, "W/033"},
      {&D::strDYF, 2, 1, "123/NE"}, {&D::strDYF, 2, 2, "1432"}, {&D::strDYF, 2, 3, "200/E"},
      {&D::strDYF, 2, 4, "1501"},
      // ground surface and grass: the extreme times are not kept
      {&D::strD0, 2, 25, "0250"}, {&D::strD0, 2, 26, "-030"}, {&D::strD40, 2, 24, "0040"},
      {&D::strK32, 2, 1, "0320"}, {&D::strGLT, 2, 25, "0310"}, {&D::strGLT, 2, 26, "-052"},
      {&D::strGE, 2, 1, "05"},
      {&D::strAA, 2, 1, "000"}, {&D::strAA, 2, 2, "043"}, {&D::strAA, 2, 3, ""},
      {&D::strZJSS, 2, 8, "05"}, {&D::strZJSS, 2, 24, "00"}, {&D::strZJSS, 2, 25, "0634"},
      {&D::strZJSS, 2, 26, "1752"}, {&D::strZJSS, 2, 27, "073"},
  });
  const std::pair<StringArray D::*, long> shapes[] = {
      {&D::strP, 28},   {&D::strT, 28},  {&D::strI, 24},  {&D::strE, 24},    {&D::strU, 26},
      {&D::strTD, 24},  {&D::strNN, 24}, {&D::strCC, 24}, {&D::strH, 24},    {&D::strV, 26},
      {&D::strR, 3},    {&D::strw, 1},   {&D::strFDFF, 24}, {&D::strD0, 26}, {&D::strGLT, 26},
      {&D::strGE, 1},   {&D::strD5, 24}, {&D::strK8, 24}, {&D::strLE, 1},    {&D::strLL, 25},
      {&D::strP0, 4},   {&D::strZ, 2},   {&D::strDYF, 4}, {&D::strAA, 4},    {&D::strG, 9},
      {&D::strZJRR, 24}, {&D::strZJFDFF, 24}, {&D::strZJSS, 27}};
  for (const auto& [array, cols] : shapes) ExpectShape(d, array, 31, cols);
  EXPECT_EQ(d.strManualWindV, "");

  // Instrument visibility without the daily minimum: 24 columns.
  Recipe va = r;
  va.codes['V'] = "A";
  Built g = Build(va);
  g.Day("V.1", 2, {"00950 01000 12345 00000 00000 00000 00000 00000 00000 00000 00000 00000",
                   "00000 00000 00000 00000 00000 00000 00000 00000 00000 00000 00000 30000"});
  const Decoded vrun = Decode(g, va);
  ExpectShape(vrun.d, &D::strV, 31, 24);
  ExpectCells(vrun.d, {{&D::strV, 2, 1, "9"}, {&D::strV, 2, 24, "300"}});
}

TEST(DecoderTest, ManualStationFourObservations) {
  const Recipe r = Manual();
  Built f = Build(r);
  f.Day("P.1", 2, {"0132 9876 //// 0010 0150 9850"});
  f.Day("P.2", 2, {"0201 0202 0203 9990"});
  f.Day("T.1", 2, {"-012 0034 0101 0045 0110 -020"});
  f.Day("I.1", 2, {"-015 ,003 0080 0040"});
  f.Day("U.1", 2, {"%% 90 45 50 41"});
  f.Day("N.1", 2, {"10 07 00 03"});
  f.Day("C.1", 2, {"NS,AC,,CI,"});
  f.Day("V.1", 2, {"120 080 250 300"});
  f.Day("F.1", 2, {"PPC000 NNE032 PSW015 //////"});
  f.At("W.1", 1) = "56 0800-1200,48,.";
  f.Day("G.1", 2, {"012 004 00035 010 003 00030"});
  f.Day("G.1", 3, {",,, ,,, ,,,,, ,,, ,,, ,,,,,"});
  f.Day("L.1", 2, {"015"});
  f.Day("L.2", 2, {",,,"});
  f.Day("S.1", 2, {"085"});
  f.Day("D.1", 2, {"-010 0012 0150 0030 0210 -040"});

  const Decoded run = Decode(f, r);
  const D& d = run.d;
  ExpectCells(d, {
      {&D::strP, 2, 1, "10132"}, {&D::strP, 2, 2, "9876"}, {&D::strP, 2, 3, "////"},
      {&D::strP, 2, 4, "10010"}, {&D::strP, 2, 5, "10150"}, {&D::strP, 2, 6, "9850"},
      {&D::strP0, 2, 1, "10201"}, {&D::strP0, 2, 4, "9990"},
      {&D::strT, 2, 1, "-012"}, {&D::strT, 2, 5, "0110"}, {&D::strT, 2, 6, "-020"},
      {&D::strI, 2, 2, "-003B"}, {&D::strI, 2, 4, "0040"},
      {&D::strU, 2, 1, "%%"}, {&D::strU, 2, 5, "41"},
      {&D::strNN, 2, 1, "10"}, {&D::strNN, 2, 2, "07"}, {&D::strNN, 2, 3, "00"},
      {&D::strCC, 2, 1, "NS"}, {&D::strCC, 2, 3, ""}, {&D::strCC, 2, 4, "CI"},
      {&D::strV, 2, 1, "120"}, {&D::strV, 2, 2, "080"},
      {&D::strFDFF, 2, 1, "C/000"}, {&D::strFDFF, 2, 2, "NNE/032"},
      {&D::strFDFF, 2, 3, "SW/015"}, {&D::strFDFF, 2, 4, "-/-"},
      // the older icing line: code from the day's glaze and rime records
      {&D::strG, 2, 1, "5648"}, {&D::strG, 2, 2, "012"}, {&D::strG, 2, 7, "00030"},
      {&D::strG, 2, 8, ""}, {&D::strG, 2, 9, ""}, {&D::strG, 3, 1, ""}, {&D::strG, 3, 2, ""},
      {&D::strLE, 2, 1, "015"}, {&D::strLL, 2, 1, "B"},
      {&D::strZJSS, 2, 27, "085"}, {&D::strZJSS, 2, 1, ""}, {&D::strZJSS, 2, 25, ""},
      {&D::strD0, 2, 1, "-010"}, {&D::strD0, 2, 6, "-040"},
  });
  ExpectShape(d, &D::strP, 31, 6);
  ExpectShape(d, &D::strU, 31, 5);
  ExpectShape(d, &D::strV, 31, 4);
  ExpectShape(d, &D::strD0, 31, 6);
  ExpectShape(d, &D::strZJSS, 31, 27);
  ExpectShape(d, &D::strZJFDFF, 31, 24);
  // Not carried (H, K, B segments "=", no hourly precipitation): usual
  // shape of a four-observation station, all "-".
  const std::pair<StringArray D::*, long> absent[] = {
      {&D::strH, 4}, {&D::strK8, 1}, {&D::strK32, 1}, {&D::strGLT, 6}, {&D::strGE, 1},
      {&D::strZJRR, 24}};
  for (const auto& [array, cols] : absent) {
    ExpectShape(d, array, 31, cols);
    EXPECT_TRUE(AllDash(d.*array));
  }
  EXPECT_TRUE(AllDash(d.strRconnect));
  EXPECT_EQ(d.strManualWindV, "0.4");
}

TEST(DecoderTest, ThreeObservationsFillColumnsOfEightFourteenTwenty) {
  const Recipe r = ThreeTimes();
  Built f = Build(r);
  f.Day("P.1", 2, {"9801 9802 9803 9810 9790"});
  f.Day("I.1", 2, {"0101 0102 0103"});
  f.Day("U.1", 2, {"51 52 53"});
  f.Day("N.1", 2, {"01 02 03"});
  f.Day("H.1", 2, {"SC800,,CU1000,"});
  f.Day("F.1", 2, {"PPN010 PPS020 PPE030"});
  f.Day("D.1", 2, {"0011 0012 0013 0020 0005"});
  f.Day("D.5", 2, {"0301 0302 0303"});  // 30 cm: no array
  f.Day("K.1", 2, {"0040 0080 0160 0320"});
  f.Day("A.1", 2, {"005 020"});
  f.Day("S.1", 2, {"01 02 03 04 05 06 07 08 09 10 10 09 08 07 06 05 04 03 099"});

  const Decoded run = Decode(f, r);
  const D& d = run.d;
  ExpectCells(d, {
      {&D::strP, 2, 1, ""}, {&D::strP, 2, 2, "9801"}, {&D::strP, 2, 4, "9803"},
      {&D::strP, 2, 5, "9810"}, {&D::strP, 2, 6, "9790"},
      {&D::strI, 2, 1, ""}, {&D::strI, 2, 2, "0101"}, {&D::strI, 2, 4, "0103"},
      {&D::strU, 2, 1, ""}, {&D::strU, 2, 4, "53"}, {&D::strU, 2, 5, ""},
      {&D::strNN, 2, 1, ""}, {&D::strNN, 2, 2, "01"}, {&D::strNN, 2, 4, "03"},
      {&D::strH, 2, 2, "SC800"}, {&D::strH, 2, 3, ""}, {&D::strH, 2, 4, "CU1000"},
      {&D::strFDFF, 2, 1, ""}, {&D::strFDFF, 2, 2, "N/010"}, {&D::strFDFF, 2, 4, "E/030"},
      {&D::strD0, 2, 1, ""}, {&D::strD0, 2, 2, "0011"}, {&D::strD0, 2, 5, "0020"},
      {&D::strD0, 2, 6, "0005"},
      {&D::strK8, 2, 1, "0080"}, {&D::strK16, 2, 1, "0160"}, {&D::strK32, 2, 1, "0320"},
      {&D::strAA, 2, 1, "005"}, {&D::strAA, 2, 2, "020"}, {&D::strAA, 2, 3, ""},
      // a recorder of part of the day: hours 04-05 ... 21-22, then the total
      {&D::strZJSS, 2, 4, ""}, {&D::strZJSS, 2, 5, "01"}, {&D::strZJSS, 2, 22, "03"},
      {&D::strZJSS, 2, 23, ""}, {&D::strZJSS, 2, 27, "099"},
  });
  ExpectShape(d, &D::strP, 31, 6);
  ExpectShape(d, &D::strI, 31, 4);
  ExpectShape(d, &D::strK8, 31, 1);
  EXPECT_TRUE(AllDash(d.strD15));
  EXPECT_TRUE(AllDash(d.strD40));
}

// Every element absent ("=" segments and blocks written "=" / "0="): each
// array keeps the shape it has at such a station, every cell "-".
TEST(DecoderTest, AbsentElementsKeepTheirShapeFilledWithDash) {
  struct Case {
    Recipe recipe;
    std::map<std::string, long> columns;
  };
  const std::map<std::string, long> fixed = {
      {"strP", 6},   {"strT", 6},    {"strI", 4},     {"strE", 4},     {"strU", 5},
      {"strTD", 4},  {"strNN", 4},   {"strNL", 4},    {"strCC", 4},    {"strH", 4},
      {"strV", 4},   {"strR", 3},    {"strw", 1},     {"strFDFF", 4},  {"strD0", 6},
      {"strGLT", 6}, {"strGE", 1},   {"strD5", 4},    {"strD40", 4},   {"strK8", 1},
      {"strLE", 1},  {"strLL", 1},   {"strP0", 4},    {"strZ", 2},     {"strDYF", 4},
      {"strAA", 4},  {"strG", 9},    {"strZJRR", 24}, {"strZJFDFF", 24}, {"strZJSS", 27}};
  std::map<std::string, long> hourly = fixed;
  for (auto [name, cols] : std::map<std::string, long>{
           {"strP", 28}, {"strT", 28}, {"strI", 24}, {"strE", 24}, {"strU", 26}, {"strTD", 24},
           {"strV", 26}, {"strFDFF", 24}, {"strD0", 26}, {"strGLT", 26}, {"strD5", 24},
           {"strD40", 24}, {"strK8", 24}, {"strLL", 25}})
    hourly[name] = cols;
  std::vector<Case> cases;
  Recipe manual = Manual();
  for (auto& [letter, code] : manual.codes) code = "=";
  manual.flags = std::string(20, '9');
  cases.push_back({manual, fixed});
  Recipe automatic = AutomaticReference();
  automatic.classCode = '2';  // clouds stay four a day
  for (auto& [letter, code] : automatic.codes) code = "=";
  automatic.flags = std::string(20, '9');
  cases.push_back({automatic, hourly});
  // Present segments whose blocks are all written "=" or "0=".
  Recipe blocks = AutomaticReference();
  blocks.classCode = '2';
  blocks.blocksAbsent = true;
  for (char c : {'N', 'H', 'C', 'R', 'G'}) blocks.codes[c] = "0";
  cases.push_back({blocks, hourly});

  for (size_t k = 0; k < cases.size(); ++k) {
    SCOPED_TRACE("case " + std::to_string(k));
    const Recipe& r = cases[k].recipe;
    const Decoded run = Decode(Build(r), r);
    for (const auto& [name, cols] : cases[k].columns) {
      for (const auto& n : kAFileArrayTable<>) {
        if (n.name != name) continue;
        SCOPED_TRACE(name);
        ExpectShape(run.d, n.member, 31, cols);
        EXPECT_TRUE(AllDash(run.d.*n.member));
      }
    }
    EXPECT_EQ(run.d.strRconnect.UBound(1), 3);
    EXPECT_TRUE(AllDash(run.d.strRconnect));
    EXPECT_EQ(run.d.strMaxRain.Extent(1), 0);
  }
}

// ---------------------------------------------------------------- segments

TEST(DecoderTest, WeatherEndsAndEarlyMonthEnds) {
  const Recipe r = Manual();
  {
    Built f = Build(r);
    f.At("W.1", 30) = "60 0830-1020,=";
    const Decoded run = Decode(f, r);
    ExpectCells(run.d, {{&D::strw, 31, 1, "60 0830-1020,."}, {&D::strw, 30, 1, "."}});
  }
  {
    // "0=" ends the segment; a month ending early on day 10 ends the
    // weather there, and the next segment is read where it starts.
    Built f = Build(r);
    f.At("W.1", 9) = "01,=";
    f.lines.erase(f.lines.begin() + static_cast<long>(f.marks.at("W.1") + 10),
                  f.lines.begin() + static_cast<long>(f.marks.at("W.1") + 31));
    f.lines.at(f.marks.at("L.1") - 21 + 1) = "077";  // L day 2
    Decoded run = Decode(f, r);
    ExpectCells(run.d, {{&D::strw, 10, 1, "01,."}, {&D::strw, 11, 1, "-"},
                        {&D::strw, 31, 1, "-"}, {&D::strLE, 2, 1, "077"}});
    Built g = Build(r);
    g.At("W.1") = "0=";
    g.lines.erase(g.lines.begin() + static_cast<long>(g.marks.at("W.1") + 1),
                  g.lines.begin() + static_cast<long>(g.marks.at("W.1") + 31));
    run = Decode(g, r);
    EXPECT_TRUE(AllDash(run.d.strw));
    EXPECT_EQ(run.d.strLE(31, 1), "000");
  }
}

TEST(DecoderTest, AppendixBlocksAndStationSettings) {
  const Recipe r = Manual();
  Built f = Build(r);
  f.At("JY", 1) = "01/05/本月5日大风";
  f.lines.insert(f.lines.begin() + static_cast<long>(f.marks.at("JY") + 2), "02/06-07/降温=");
  const Decoded run = Decode(f, r);
  const D& d = run.d;
  ASSERT_EQ(d.VFileFM.UBound(1), 12);
  EXPECT_EQ(d.VFileFM(1), "12345");
  EXPECT_EQ(d.VFileFM(4), "山西省某县某镇山顶");
  EXPECT_EQ(d.VFileFM(12), "2012/04/05");
  ASSERT_EQ(d.VFileJY.UBound(1), 2);
  EXPECT_EQ(d.VFileJY(2), "02/06-07/降温");
  ASSERT_EQ(d.VFileGK.UBound(1), 2);
  EXPECT_EQ(d.VFileGK(2), "05/气候正常");
  ASSERT_EQ(d.VFileBZ.UBound(1), 2);
  EXPECT_EQ(d.VFileBZ(1), "10/02、08、14、20时");
  // "8888=" alone: no summary items.
  const Decoded none = Decode(Build(r), r);
  EXPECT_EQ(none.d.VFileJY.Extent(1), 0);
  // Hygrometer identity, standard-atmosphere pressure at 779.1 m.
  ASSERT_EQ(d.SysLib.UBound(1), 72);
  EXPECT_EQ(d.SysLib(27).Text(), "0");
  EXPECT_EQ(d.SysLib(28).Text(), "1");
  EXPECT_EQ(d.SysLib(72).Text(), "923.1");
}

// ---------------------------------------------------------------- robustness

TEST(DecoderTest, OddFilesNeverFail) {
  Dir dir;
  VariantArray para = VariantArray::Vector(1, 52);
  StringArray cls = StringArray::Vector(1, 20);
  DecodedAFile d;
  EXPECT_THROW(DecodeAFile(dir.Path("A00000-201203.TXT"), para, cls, d), Error);

  const Recipe r = AutomaticReference();
  const Built full = Build(r);
  std::vector<std::vector<std::string>> files;
  for (size_t keep : {size_t{0}, size_t{1}, size_t{2}, size_t{40}, full.marks.at("T.1") + 5,
                      full.marks.at("H.1") + 3, full.marks.at("??????"), full.marks.at("YF") + 4})
    files.emplace_back(full.lines.begin(), full.lines.begin() + static_cast<long>(keep));
  files.push_back({"\xff\xfe garbage", "P", "\x01\x02=", "=", "T,,,,", ""});
  std::vector<std::string> shuffled = full.lines;
  std::swap(shuffled[5], shuffled[full.marks.at("F.2") + 7]);
  shuffled[full.marks.at("D.1") + 3] = "0000 0000";  // short hourly line
  files.push_back(shuffled);
  for (size_t k = 0; k < files.size(); ++k) {
    SCOPED_TRACE("file " + std::to_string(k));
    const std::string path = dir.Path("A54399-201203.TXT");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << [&] {
      std::string t;
      for (const std::string& l : files[k]) t += l + "\n";
      return t;
    }();
    VariantArray emptyPara;  // no parameter array at all: facts from the header
    DecodedAFile out;
    ASSERT_NO_THROW(DecodeAFile(path, emptyPara, cls, out));
    EXPECT_EQ(out.strP.Rank(), 2);
    EXPECT_GE(out.strP.UBound(1), 28);
  }
}

// ---------------------------------------------------------------- the tool

struct ToolRun {
  int status = -1;
  std::string out;
};

ToolRun Tool(const std::string& args) {
  ToolRun r;
  FILE* p = popen((std::string(KELVANE_TOOL_PATH) + " " + args + " 2>/dev/null").c_str(), "r");
  if (!p) return r;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

TEST(DecoderTest, DecodeCommandPrintsJson) {
  const Recipe r = Manual();
  Built f = Build(r);
  f.Day("P.1", 2, {"0132 9876 //// 0010 0150 9850"});
  Dir dir;
  const std::string path = dir.Path(FileName(r));
  f.Write(path);
  const ToolRun run = Tool("decode --sys " + Dir::Sys() + " " + path);
  ASSERT_EQ(run.status, 0);
  const nlohmann::json j = nlohmann::json::parse(run.out);
  ASSERT_TRUE(j.at("AFilePara").is_array());
  EXPECT_EQ(j["AFilePara"].size(), 52u);
  EXPECT_EQ(j["AFilePara"][0], path);        // item 1
  EXPECT_EQ(j["AFilePara"][5], true);        // item 6, usable
  EXPECT_EQ(j["AFilePara"][6], "53772");     // item 7
  ASSERT_EQ(j.at("AFileClass").size(), 20u);
  EXPECT_EQ(j["AFileClass"][0], "3");
  EXPECT_EQ(j["AFileClass"][6], "=");
  const nlohmann::json& a = j.at("arrays");
  for (const auto& n : kAFileArrayTable<>) EXPECT_TRUE(a.contains(std::string(n.name)));
  ASSERT_EQ(a["strP"].size(), 31u);
  ASSERT_EQ(a["strP"][1].size(), 6u);
  EXPECT_EQ(a["strP"][1][0], "10132");  // day 2, column 1
  EXPECT_EQ(a["strP"][1][2], "////");
  EXPECT_EQ(a["strRconnect"], nlohmann::json::array({"-", "-", "-"}));
  EXPECT_EQ(a["VFileFM"].size(), 12u);
  EXPECT_EQ(a["strMaxRain"], nlohmann::json::array());
  ASSERT_EQ(a["SysLib"].size(), 72u);
  EXPECT_TRUE(a["SysLib"][71].is_number());
  EXPECT_EQ(a["strManualWindV"], "0.4");

  // Unreadable file and fatal format error: exit 2.
  EXPECT_EQ(Tool("decode --sys " + Dir::Sys() + " " + dir.Path("A53772-201201.TXT")).status, 2);
  f.At("T") = "X0";
  f.Write(path);
  EXPECT_EQ(Tool("decode --sys " + Dir::Sys() + " " + path).status, 2);
}

// ---------------------------------------------------------------- round trip

// The sample writer's files decode to the values of its weather model.
TEST(DecoderTest, SampleFilesRoundTrip) {
  Dir dir;
  constexpr uint32_t kSeed = 11;
  for (const SampleStation& st : SampleStations()) {
    SCOPED_TRACE(st.StationNum);
    const std::string path = WriteSampleAFile(st, 2012, 3, kSeed, dir.Path("data"));
    Decoded run;
    KelvaneA a;
    StringArray list;
    ASSERT_TRUE(a.AFileFormCheck(Dir::Sys(), path, run.para, run.cls, list).ok());
    ASSERT_TRUE(run.para(6).Truth());
    DecodeAFile(path, run.para, run.cls, run.d);
    const D& d = run.d;
    const SampleWeather w(st, 2012, 3, kSeed);
    const bool hourly = d.strT.UBound(2) == 28;
    EXPECT_EQ(hourly, st.hourly);
    auto number = [](const std::string& s) { return static_cast<int>(LeadingInteger(s)); };
    for (int day = 1; day <= w.Days(); ++day) {
      for (int k = 1; k <= (hourly ? 24 : 4); ++k) {
        const int c = hourly ? k : 6 * k;  // hourly column of the observation
        EXPECT_EQ(number(d.strP(day, k)), w.Hourly(Series::Pressure, day, c)) << day << "/" << k;
        EXPECT_EQ(number(d.strT(day, k)), w.Hourly(Series::Temperature, day, c)) << day << "/" << k;
      }
      const int maxColumn = hourly ? 25 : 5;
      EXPECT_EQ(number(d.strP(day, maxColumn)), w.Max(Series::Pressure, day).value) << day;
      EXPECT_EQ(number(d.strT(day, maxColumn)), w.Max(Series::Temperature, day).value) << day;
      if (hourly) {
        EXPECT_EQ(number(d.strT(day, 26)), w.Max(Series::Temperature, day).hhmm) << day;
        EXPECT_EQ(number(d.strU(day, 25)), w.MinHumidity(day).value) << day;
      }
      if (d.strZJFDFF(day, 1) != "-") {
        for (int c = 1; c <= 24; ++c)
          EXPECT_EQ(number(GetField(d.strZJFDFF(day, c), "/", 2)),
                    w.Hourly(Series::WindSpeed, day, c));
      }
      if (run.para(22).Text() == "1") {  // instrument visibility, metres
        EXPECT_EQ(number(d.strV(day, 6)), w.Hourly(Series::Visibility, day, 6) / 100) << day;
      }
      if (run.cls(19) == "A") {
        for (int j = 1; j <= 24; ++j) EXPECT_EQ(number(d.strZJSS(day, j)), w.Sunshine(day, j));
      }
      // Whole-day precipitation is the sum of its half days.
      if (!d.strR(day, 3).empty()) {
        EXPECT_EQ(number(d.strR(day, 3)), number(d.strR(day, 1)) + number(d.strR(day, 2)));
      }
      if (d.strw(day, 1) != "-") {
        EXPECT_EQ(d.strw(day, 1).back(), '.') << day;
      }
    }
  }
}

}  // namespace
}  // namespace kelvane::host
