// Sample A files: every file of the sample stations passes the format check
// without a finding (previous month beside it, so the cross-month line is
// compared too), the files are written as stations write them, and the
// humidity values agree with the psychrometric formulas. The minute data
// files beside the automatic stations' files are readable and agree with
// them, and the full check (format, decoding, audit) finds nothing at all.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "afile/audit/jfile.h"
#include "common/formulas.h"
#include "common/text.h"
#include "common/text_file.h"
#include "host/check_file.h"
#include "host/decoder.h"
#include "sample/sample_afile.h"
#include "sample/sample_stations.h"
#include "sample/sample_sysdir.h"
#include "kelvane/kelvane.h"

namespace kelvane::sample {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Psychrometric formulas

TEST(Formulas, SaturationVapourPressure) {
  struct Case {
    float t;
    double water;  // 0: not checked
    double ice;
  };
  const Case cases[] = {
      {0.0f, 6.1070, 0},     {10.0f, 12.2709, 0},  {20.0f, 23.3708, 0},  {30.0f, 42.4273, 0},
      {40.0f, 73.7733, 0},   {-10.0f, 0, 2.597},   {-20.0f, 0, 1.032},   {-40.0f, 0, 0.128},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.t);
    if (c.water > 0) {
      EXPECT_NEAR(SatVapourWater(c.t), c.water, 5e-5);
    }
    if (c.ice > 0) {
      EXPECT_NEAR(SatVapourIce(c.t), c.ice, 5e-4);
    }
  }
}

TEST(Formulas, HumidityFromPsychrometer) {
  // Expected texts from an independent implementation of the same steps.
  struct Case {
    const char *dry, *wet, *p, *vent;
    const char *e, *u, *td;
  };
  const Case cases[] = {
      // Ventilation codes and their coefficients (wet bulb).
      {"350", "200", "10000", "2.5", "134", "24", "114"},
      {"350", "200", "10000", "3.5", "134", "24", "113"},
      {"350", "200", "10000", "0.4", "111", "20", "86"},
      {"350", "200", "10000", "4", "111", "20", "86"},
      {"350", "200", "10000", "04", "111", "20", "86"},
      {"350", "200", "10000", "0.8", "115", "20", "90"},
      {"200", "150", "10000", "2.5", "137", "59", "117"},
      // "B" above 0 °C is not an iced bulb.
      {"200", "150B", "10000", "2.5", "137", "59", "117"},
      // Iced bulb: ice coefficient and saturation over ice.
      {"-10", "-20B", "10000", "2.5", "46", "81", "-39"},
      {"-10", "-20", "10000", "2.5", "46", "81", "-38"},
      {"-10", "-20B", "10000", "0.4", "45", "78", "-43"},
      {"-50", "-80B", "9000", "0.4", "12", "27", "-209"},
      // Default pressure when none is given.
      {"300", "255", "", "0.8", "290", "68", "236"},
      // Relative humidity given directly, saturation, no vapour.
      {"200", "60U", "10000", "0.8", "140", "60", "120"},
      {"200", "100U", "10000", "0.8", "234", "100", "200"},
      {"50", "-80B", "9000", "0.4", "00", "0", "-800"},
      // Hygrometer reading through the coefficients (5 + h).
      {"50", "40F", "-", "0.8", "39", "45", "-59"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.dry) + " " + c.wet + " " + c.p + " " + c.vent);
    std::string e, u, td;
    HumidityFromPsychrometer(c.dry, c.wet, c.p, c.vent, e, u, td, 1000.0, 5, 1, 0, 0);
    EXPECT_EQ(e, c.e);
    EXPECT_EQ(u, c.u);
    EXPECT_EQ(td, c.td);
  }
}

// ---------------------------------------------------------------------------
// Format check of the written files

struct CheckOutcome {
  Status status;
  bool usable = false;
  std::vector<std::string> findings;  // "message | element | day | time | line"
  std::vector<std::string> classes;   // AFileClass 1..20
  std::string qualityFlag;            // AFilePara 51
};

CheckOutcome FormCheck(const std::string& sysPath, const std::string& path) {
  CheckOutcome out;
  KelvaneA a;
  VariantArray para = VariantArray::Vector(1, 52);
  StringArray cls = StringArray::Vector(1, 20);
  StringArray list;
  out.status = a.AFileFormCheck(sysPath, path, para, cls, list);
  out.usable = para(6).Truth();
  out.qualityFlag = para(51).Text();
  for (long k = 1; k <= 20; ++k) out.classes.push_back(cls(k));
  if (list.IsAllocated())
    for (long i = 1; i <= list.UBound(2); ++i)
      out.findings.push_back(list(1, i) + " | " + list(2, i) + " | " + list(4, i) + " | " +
                             list(5, i) + " | " + list(6, i));
  return out;
}

std::string Join(const std::vector<std::string>& v) {
  std::string s;
  for (const std::string& x : v) s += x + "\n";
  return s;
}

class SampleAFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = new fs::path(fs::temp_directory_path() /
                         ("kelvane_sample_afile_" + std::to_string(::getpid())));
    WriteSampleSystemDirectory(root_->string());
    minuteFiles_ = new std::vector<std::string>();
    written_ = new std::vector<std::string>(WriteSampleStationFiles(root_->string(), minuteFiles_));
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    fs::remove_all(*root_, ec);
    delete root_;
    delete written_;
    delete minuteFiles_;
  }
  static std::string SysPath() { return root_->string() + "/"; }
  // A folder of its own below the suite's folder.
  static std::string Folder(const std::string& name) {
    const fs::path p = *root_ / name;
    fs::create_directories(p);
    return p.string();
  }
  static fs::path* root_;
  static std::vector<std::string>* written_;
  static std::vector<std::string>* minuteFiles_;
};

fs::path* SampleAFile::root_ = nullptr;
std::vector<std::string>* SampleAFile::written_ = nullptr;
std::vector<std::string>* SampleAFile::minuteFiles_ = nullptr;

TEST_F(SampleAFile, StationFilesPassTheFormatCheck) {
  ASSERT_EQ(written_->size(), 6u);
  for (const SampleStation& s : SampleStations())
    for (int month : {2, 3}) {
      const std::string path = (*root_ / "data" / SampleAFileName(s, 2012, month)).string();
      SCOPED_TRACE(path);
      EXPECT_NE(std::find(written_->begin(), written_->end(), path), written_->end());
      const CheckOutcome r = FormCheck(SysPath(), path);
      ASSERT_TRUE(r.status.ok()) << r.status.description();
      EXPECT_TRUE(r.usable);
      EXPECT_EQ(Join(r.findings), "");
      EXPECT_EQ(r.classes, SampleModeCodes(s));
      EXPECT_EQ(r.qualityFlag, s.qualityControl ? "1" : "0");
    }
}

TEST_F(SampleAFile, ModeCodesFollowTheObservingProgram) {
  // P T I E U N H C V R W L Z G F D K A S B
  const std::vector<std::string> basic = {"C", "B", "B", "A", "B", "0", "=", "0", "B", "6",
                                          "0", "B", "0", "=", "N", "B", "B", "0", "2", "A"};
  const std::vector<std::string> reference = {"C", "B", "B", "A", "B", "A", "B", "A", "A", "6",
                                              "0", "B", "0", "2", "N", "B", "B", "0", "A", "A"};
  const std::vector<std::string> manual = {"3", "0", "2", "0", "0", "0", "=", "0", "0", "0",
                                           "0", "0", "0", "0", "E", "0", "=", "0", "2", "="};
  EXPECT_EQ(SampleModeCodes(*FindSampleStation("54511")), basic);
  EXPECT_EQ(SampleModeCodes(*FindSampleStation("54399")), reference);
  EXPECT_EQ(SampleModeCodes(*FindSampleStation("53772")), manual);
}

TEST_F(SampleAFile, OtherMonthsAndSeedsPassWithTheirPreviousMonth) {
  struct Case {
    const char* station;
    int year, month;
    uint32_t seed;
  };
  const Case cases[] = {
      {"54511", 2011, 2, 7},    // 28 days
      {"54399", 2012, 4, 11},   // 30 days, large pan in use
      {"53772", 2012, 7, 3},    // 31 days, summer
      {"54511", 2012, 7, 5},
      {"54399", 2013, 1, 2},    // previous month in the year before
      {"53772", 2013, 1, 9},
      {"54511", 2012, 12, 42},
      {"54399", 2012, 11, 17},
  };
  for (const Case& c : cases) {
    const SampleStation& s = *FindSampleStation(c.station);
    SCOPED_TRACE(std::string(c.station) + " " + std::to_string(c.year) + "-" +
                 std::to_string(c.month) + " seed " + std::to_string(c.seed));
    const std::string dir = Folder(std::string(c.station) + "_" + std::to_string(c.year) + "_" +
                                   std::to_string(c.month) + "_" + std::to_string(c.seed));
    const int py = c.month == 1 ? c.year - 1 : c.year;
    const int pm = c.month == 1 ? 12 : c.month - 1;
    WriteSampleAFile(s, py, pm, c.seed, dir);
    const std::string path = WriteSampleAFile(s, c.year, c.month, c.seed, dir);
    const CheckOutcome r = FormCheck(SysPath(), path);
    ASSERT_TRUE(r.status.ok()) << r.status.description();
    EXPECT_TRUE(r.usable);
    EXPECT_EQ(Join(r.findings), "");
  }
}

TEST_F(SampleAFile, CrossMonthLineIsComparedWithThePreviousFile) {
  // A wrong amount in the cross-month line of March is found against the
  // February file beside it: the line was derived from that file's data.
  const SampleStation& s = *FindSampleStation("54511");
  const std::string dir = Folder("cross_month");
  WriteSampleAFile(s, 2012, 2, 21, dir);
  std::vector<std::string> lines = SampleAFileLines(s, 2012, 3, 21);
  const auto r6 = std::find(lines.begin(), lines.end(), "R6");
  ASSERT_NE(r6, lines.end());
  const auto cross = std::find_if(r6, lines.end(), [](const std::string& l) {
    return l.size() == 22 && l.substr(0, 5) == "0000 " && l[7] == '/';
  });
  ASSERT_NE(cross, lines.end());
  const std::string expectedSum = std::to_string(std::stol(cross->substr(16, 5)));
  const std::string expectedDate = cross->substr(5, 10);
  cross->replace(16, 5, "99999");
  cross->replace(5, 2, "00");
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  const std::string path = dir + "/" + SampleAFileName(s, 2012, 3);
  std::ofstream(path, std::ios::binary) << text;
  const CheckOutcome r = FormCheck(SysPath(), path);
  const long line = static_cast<long>(cross - lines.begin()) + 1;
  EXPECT_EQ(Join(r.findings),
            "上跨日期与上月A文件(" + expectedDate + ")不符 | 跨月降水量 |  |  | " +
                std::to_string(line) + "\n" + "上跨降水量与上月A文件(" + expectedSum +
                ")不符 | 跨月降水量 |  |  | " + std::to_string(line) + "\n");
}

TEST_F(SampleAFile, WrittenAsStationsWriteThem) {
  const SampleStation& s = *FindSampleStation("54399");
  const std::string path = (*root_ / "data" / "A54399-201203.TXT").string();
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // CRLF line ends throughout, the end mark last.
  ASSERT_GE(bytes.size(), 8u);
  EXPECT_EQ(bytes.substr(bytes.size() - 8), "######\r\n");
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "at byte " << i;
    }
  }
  // The station name in GB18030 (two bytes per character), not in UTF-8.
  EXPECT_NE(bytes.find("\r\n\xCA\xBE\xB7\xB6\xB6\xFE\xD5\xBE\r\n"), std::string::npos);
  EXPECT_EQ(bytes.find(s.StationName), std::string::npos);
  // The header line as the station table registers the station.
  EXPECT_EQ(bytes.substr(0, 77),
            "54399 3959N 11617E 100550 000561 105 000 S11 11111000110100111011 0 2012 03\r\n");
}

// ---------------------------------------------------------------------------
// Minute data files and the full check

// The A file decoded into its element arrays, as a host decodes it.
struct Decoded {
  VariantArray para = VariantArray::Vector(1, 52);
  StringArray cls = StringArray::Vector(1, 20);
  host::DecodedAFile d;
};

void Decode(const std::string& sysPath, const std::string& path, Decoded& out) {
  KelvaneA a;
  StringArray list;
  ASSERT_TRUE(a.AFileFormCheck(sysPath, path, out.para, out.cls, list).ok());
  ASSERT_TRUE(out.para(6).Truth());
  host::DecodeAFile(path, out.para, out.cls, out.d);
}

// Value of a minute token as the audits read it.
double MinuteValue(const std::string& token, char section) {
  if (token == "%%") return 100;
  const double v = LeadingNumber(token);
  return section == 'P' && v < 5000 ? v + 10000 : v;
}

// The values of an hour's line ("," and "=" are no part of them).
std::vector<std::string> Tokens(std::string_view line) {
  std::string hour;
  for (char c : line)
    if (c != ',' && c != '=') hour += c;
  std::vector<std::string> out;
  std::istringstream ss(hour);
  for (std::string t; ss >> t;) out.push_back(t);
  return out;
}

TEST_F(SampleAFile, MinuteFilesLieBesideTheAutomaticStationsFiles) {
  ASSERT_EQ(minuteFiles_->size(), 4u);
  for (const SampleStation& s : SampleStations())
    for (int month : {2, 3}) {
      const std::string a = (*root_ / "data" / SampleAFileName(s, 2012, month)).string();
      const std::string j = afile::audit::JFilePath(a);
      SCOPED_TRACE(j);
      const bool listed =
          std::find(minuteFiles_->begin(), minuteFiles_->end(), j) != minuteFiles_->end();
      // A manual station reads its instruments at the observation times
      // only: no minute data.
      EXPECT_EQ(listed, s.DataCollection != "人工");
      EXPECT_EQ(fs::exists(j), listed);
      if (!listed) continue;
      const int days = DaysInMonth(2012, month);
      afile::audit::JFileData minutes;
      afile::audit::ReadJFile(j, days, minutes);
      ASSERT_TRUE(minutes.ok);

      // Every hour holds its 60 minutes, the full hour last: that is the
      // hourly value of the A file, and it lies between the extremes the
      // reader scanned from the hour.
      Decoded dec;
      Decode(SysPath(), a, dec);
      struct Section {
        char letter;
        const afile::audit::MinuteHours& minutes;
        const StringArray& hourly;
      };
      LineReader lines(j);
      lines.ReadLine();  // the header
      for (const Section& sec : {Section{'P', minutes.pressure, dec.d.strP},
                                 Section{'T', minutes.temperature, dec.d.strT},
                                 Section{'U', minutes.humidity, dec.d.strU}}) {
        ASSERT_EQ(lines.ReadLine(), std::string{sec.letter} + "0");
        for (int day = 1; day <= days; ++day)
          for (int c = 1; c <= 24; ++c) {
            SCOPED_TRACE(::testing::Message() << sec.letter << " day " << day << " hour " << c);
            const std::vector<std::string> tokens = Tokens(lines.ReadLine());
            ASSERT_EQ(tokens.size(), 60u);
            const std::string& hourly = sec.hourly(day, c);
            const double value = hourly == "%%" ? 100 : LeadingNumber(hourly);
            ASSERT_EQ(MinuteValue(tokens.back(), sec.letter), value);
            const afile::audit::HourExtremes* x = sec.minutes.Find(day, c);
            ASSERT_NE(x, nullptr);
            EXPECT_LE(x->min.value, value);
            if (hourly != "%%") {
              EXPECT_GE(x->max.value, value);
            }
          }
      }
    }
  // The header repeats the A header's station fields.
  std::ifstream in(*root_ / "data" / "J54399-201203.TXT", std::ios::binary);
  std::string header;
  std::getline(in, header);
  EXPECT_EQ(header, "54399 3959N 11617E 100550 000561 105 000 S11 11111 2012 03\r");
}

TEST_F(SampleAFile, FullCheckFindsNothing) {
  // The files of WriteSampleStationFiles, then other seasons written the same
  // way (previous month beside each file for the cross-month line).
  std::vector<std::string> files = *written_;
  const std::string dir = Folder("full_check");
  for (const SampleStation& s : SampleStations())
    for (const auto& [year, month] : {std::pair{2011, 11}, {2011, 12}, {2012, 6}, {2012, 7}}) {
      const std::string a = WriteSampleAFile(s, year, month, 20120301, dir);
      WriteSampleJFile(s, year, month, 20120301, dir);
      if (month != 11 && month != 6) files.push_back(a);
    }
  ASSERT_EQ(files.size(), 12u);
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    const host::FileResult r = host::CheckFile(path, {SysPath(), false, {}});
    ASSERT_TRUE(r.status.ok()) << r.status.description();
    EXPECT_TRUE(r.checked);
    EXPECT_TRUE(r.usable);
    for (const host::Finding& f : r.findings)
      ADD_FAILURE() << f.Message << " | " << f.Element << " | " << f.RelatedItem << " | day "
                    << f.Day << " | " << f.TimeOrItem << " | line " << f.Line;
  }
}

TEST_F(SampleAFile, MinuteFileIsComparedWithTheDailyExtremes) {
  // One minute changed at the time of a daily extreme of day 5 is found:
  // the check reads the minute file and the extremes came from it.
  const SampleStation& s = *FindSampleStation("54511");
  const std::string dir = Folder("minute_compare");
  const std::string a = WriteSampleAFile(s, 2012, 3, 20120301, dir);
  Decoded dec;
  Decode(SysPath(), a, dec);
  struct Case {
    char section;
    const StringArray& values;
    int valueColumn;
    int change;  // added to the minute at the extreme's time
    std::string message, element, label;
  };
  const Case cases[] = {
      {'P', dec.d.strP, 25, 1, "最高值与对应J文件分钟值不一致", "本站气压", "最高"},
      {'T', dec.d.strT, 27, -1, "最低值与对应J文件分钟值不一致", "气温", "最低"},
      {'U', dec.d.strU, 25, -1, "最小值与对应J文件分钟值不一致", "相对湿度", "最小"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    std::vector<std::string> lines = SampleJFileLines(s, 2012, 3, 20120301);
    const std::string time = c.values(5, c.valueColumn + 1);
    ASSERT_EQ(time.size(), 4u);
    int hour = std::stoi(time.substr(0, 2)) + (time.substr(2) != "00");
    if (time == "0000") hour = 24;
    const int column = hour >= 21 ? hour - 20 : hour + 4;
    const int minute = time.substr(2) == "00" ? 60 : std::stoi(time.substr(2));
    const auto code = std::find(lines.begin(), lines.end(), std::string(1, c.section) + "0");
    ASSERT_NE(code, lines.end());
    std::string& line = *(code + (5 - 1) * 24 + column);
    std::vector<std::string> tokens = Tokens(line);
    std::string& token = tokens[static_cast<size_t>(minute - 1)];
    const int v = static_cast<int>(LeadingNumber(token == "%%" ? "100" : token)) + c.change;
    char buf[8];
    std::snprintf(buf, sizeof buf, c.section == 'U' ? "%02d" : v < 0 ? "-%03d" : "%04d",
                  v < 0 ? -v : v);
    token = buf;
    line.clear();
    for (const std::string& t : tokens) line += (line.empty() ? "" : " ") + t;
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    std::ofstream(dir + "/" + SampleJFileName(s, 2012, 3), std::ios::binary) << text;
    const host::FileResult r = host::CheckFile(a, {SysPath(), false, {}});
    ASSERT_EQ(r.findings.size(), 1u);
    char hh[3];
    std::snprintf(hh, sizeof hh, "%02d", hour);
    EXPECT_EQ(r.findings[0].Message, c.message);
    EXPECT_EQ(r.findings[0].Element, c.element);
    EXPECT_EQ(r.findings[0].Day, "5");
    EXPECT_EQ(r.findings[0].TimeOrItem, c.label + "/" + hh);
  }
}

TEST_F(SampleAFile, DeterministicForASeed) {
  const SampleStation& s = *FindSampleStation("53772");
  EXPECT_EQ(SampleAFileLines(s, 2012, 3, 5), SampleAFileLines(s, 2012, 3, 5));
  EXPECT_NE(SampleAFileLines(s, 2012, 3, 5), SampleAFileLines(s, 2012, 3, 6));
}

// ---------------------------------------------------------------------------
// Psychrometric consistency of the written values

// Records of block `block` (0-based) of the segment with this indicator,
// one vector per day; `perDay` lines per day for every block up to it.
std::vector<std::vector<std::string>> BlockRecords(const std::vector<std::string>& lines,
                                                   const std::string& indicator,
                                                   const std::vector<int>& perDay, size_t block,
                                                   int days) {
  auto at = std::find(lines.begin(), lines.end(), indicator);
  EXPECT_NE(at, lines.end()) << indicator;
  if (at == lines.end()) return {};
  ++at;
  for (size_t b = 0; b < block; ++b) at += *at == "=" ? 1 : days * perDay[b];
  std::vector<std::vector<std::string>> out;
  for (int d = 0; d < days; ++d) {
    std::vector<std::string> records;
    for (int k = 0; k < perDay[block]; ++k, ++at) {
      std::string l = *at;
      while (!l.empty() && (l.back() == '.' || l.back() == '=')) l.pop_back();
      std::istringstream ss(l);
      for (std::string r; ss >> r;) records.push_back(r);
    }
    out.push_back(records);
  }
  return out;
}

// A pressure record without its thousands digit, back to tenths of hPa.
std::string Pressure(const std::string& r) {
  const long v = std::stol(r);
  return std::to_string(v < 5000 ? v + 10000 : v);
}

// A humidity record as the formulas read it.
std::string Number(const std::string& r) { return r == "%%" ? "100" : std::to_string(std::stol(r)); }

TEST(SampleAFilePsychrometry, ManualStationRecomputesFromTheWetBulb) {
  const SampleStation& s = *FindSampleStation("53772");
  for (int month : {1, 3, 7}) {
    SCOPED_TRACE(month);
    const std::vector<std::string> lines = SampleAFileLines(s, 2012, month, 13);
    const int days = DaysInMonth(2012, month);
    const auto p = BlockRecords(lines, "P3", {1}, 0, days);
    const auto t = BlockRecords(lines, "T0", {1}, 0, days);
    const auto wet = BlockRecords(lines, "I2", {1, 1}, 0, days);
    const auto dew = BlockRecords(lines, "I2", {1, 1}, 1, days);
    const auto vap = BlockRecords(lines, "E0", {1}, 0, days);
    const auto rh = BlockRecords(lines, "U0", {1}, 0, days);
    int iced = 0;
    for (int d = 0; d < days; ++d)
      for (size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE("day " + std::to_string(d + 1) + " obs " + std::to_string(k + 1));
        std::string w = wet[d][k];
        if (w[0] == ',') {
          w = "-" + std::to_string(std::stol(w.substr(1))) + "B";
          ++iced;
        }
        ASSERT_LE(LeadingNumber(w), LeadingNumber(t[d][k]));
        std::string e, u, td;
        HumidityFromPsychrometer(t[d][k], w, Pressure(p[d][k]), s.ventilation, e, u, td, 1000, 0,
                                 0, 0, 0);
        EXPECT_EQ(e, Number(vap[d][k]));
        EXPECT_EQ(u, Number(rh[d][k]));
        EXPECT_EQ(std::stol(td), std::stol(dew[d][k]));
      }
    if (month == 1) {
      EXPECT_GT(iced, 0);  // January mornings have iced bulbs
    }
  }
}

TEST(SampleAFilePsychrometry, AutomaticStationRecomputesFromRelativeHumidity) {
  const SampleStation& s = *FindSampleStation("54511");
  const std::vector<std::string> lines = SampleAFileLines(s, 2012, 3, 13);
  const int days = 31;
  const auto t = BlockRecords(lines, "TB", {2}, 0, days);
  const auto dew = BlockRecords(lines, "IB", {2, 2}, 1, days);
  const auto vap = BlockRecords(lines, "EA", {2}, 0, days);
  const auto rh = BlockRecords(lines, "UB", {2}, 0, days);
  for (int d = 0; d < days; ++d)
    for (size_t c = 0; c < 24; ++c) {
      SCOPED_TRACE("day " + std::to_string(d + 1) + " column " + std::to_string(c + 1));
      std::string e, u, td;
      HumidityFromPsychrometer(t[d][c], Number(rh[d][c]) + "U", "10000", "0.8", e, u, td, 1000, 0,
                               0, 0, 0);
      EXPECT_EQ(e, Number(vap[d][c]));
      EXPECT_EQ(std::stol(td), std::stol(dew[d][c]));
    }
}

}  // namespace
}  // namespace kelvane::sample
