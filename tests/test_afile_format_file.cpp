// The A-file format check as a whole: well-formed files of both station
// kinds, the parameter arrays it fills, file names, line endings and
// encodings, error statuses, repeated calls, damaged input and speed.
#include <gtest/gtest.h>

#include <random>

#include "afile_test_run.h"
#include "common/text_file.h"

namespace kelvane::testing {
namespace {

std::string Para(const CheckResult& r, long i) { return r.para(i).Text(); }

TEST(AFileFormatFile, WellFormedManualFileFillsParameters) {
  AFileDir dir;
  AFileRecipe recipe = ManualStation();
  const std::string path = dir.Path(DefaultName(recipe));
  BuildAFile(recipe).Write(path);
  CheckResult r = RunCheck(path, AFileDir::SysPath());
  ASSERT_TRUE(r.status.ok()) << r.status.description();
  EXPECT_EQ(r.rows, std::vector<Row>{});
  EXPECT_TRUE(r.usable());
  EXPECT_TRUE(r.para(6).IsBool());
  const std::vector<std::pair<long, std::string>> expected = {
      {1, path},     {2, "2012"},    {3, "03"},     {4, "31"},      {7, "53772"},
      {8, "37.47N"}, {9, "112.33E"}, {10, "778.3"}, {11, "779.1"},  {12, "10.2"},
      {14, "0.0"},   {15, "一般站"}, {16, "4"},     {17, "人工"},   {20, "0"},
      {21, "9"},     {22, "0"},      {23, "0"},     {24, "0"},      {25, "0"},
      {26, "0"},     {27, "0"},      {28, "0"},     {29, "0"},      {30, "0"},
      {31, "0"},     {32, "0"},      {33, "0"},     {34, "0"},      {35, "0"},
      {36, "0"},     {41, "0"},      {42, "9"},     {44, "9"},      {45, "0"},
      {46, "0"},     {47, "9"},      {48, "9"},     {49, "9"},      {50, "9"},
      {51, "0"},     {52, ""}};
  for (const auto& [i, v] : expected) EXPECT_EQ(Para(r, i), v) << "AFilePara " << i;
  EXPECT_EQ(Para(r, 5), BuildAFile(recipe).lines[0]);
  EXPECT_TRUE(r.para(13).IsEmpty());
  const char* codes[] = {"3", "0", "2", "0", "0", "0", "=", "0", "0", "0",
                         "0", "0", "0", "0", "E", "0", "=", "0", "0", "="};
  for (long k = 1; k <= 20; ++k) EXPECT_EQ(r.cls(k), codes[k - 1]) << "AFileClass " << k;
}

TEST(AFileFormatFile, WellFormedAutomaticFileWithQualityControl) {
  AFileDir dir;
  AFileRecipe recipe = AutomaticReferenceStation();
  const std::string path = dir.Path(DefaultName(recipe));
  BuildAFile(recipe).Write(path, "\n");
  CheckResult r = RunCheck(path, AFileDir::SysPath());
  ASSERT_TRUE(r.status.ok()) << r.status.description();
  EXPECT_EQ(r.rows, std::vector<Row>{});
  EXPECT_EQ(Para(r, 15), "基准站");
  EXPECT_EQ(Para(r, 16), "24");
  EXPECT_EQ(Para(r, 17), "自动站");
  EXPECT_EQ(Para(r, 51), "1");
}

TEST(AFileFormatFile, LineEndingsAndEncodings) {
  AFileRecipe recipe = ManualStation();
  BuiltFile f = BuildAFile(recipe);
  // The cover and appendix in the stations' GB18030 code page.
  std::string gb = kelvane::testing::ToGb18030(f.Text("\r\n"));
  ASSERT_NE(gb, f.Text("\r\n"));
  for (const std::string& text : {f.Text("\n"), f.Text("\r"), gb}) {
    AFileDir dir;
    const std::string path = dir.Path(DefaultName(recipe));
    std::ofstream(path, std::ios::binary) << text;
    CheckResult r = RunCheck(path, AFileDir::SysPath());
    ASSERT_TRUE(r.status.ok());
    EXPECT_EQ(r.rows, std::vector<Row>{});
  }
}

TEST(AFileFormatFile, DaysOfMonthFromName) {
  struct {
    int year, month;
    const char* days;
  } cases[] = {{2008, 2, "29"}, {2009, 2, "28"}, {2012, 4, "30"}, {2011, 12, "31"}};
  for (const auto& c : cases) {
    AFileDir dir;
    AFileRecipe recipe = ManualStation();
    recipe.station = "59991";
    recipe.year = c.year;
    recipe.month = c.month;
    const std::string path = dir.Path(DefaultName(recipe));
    BuildAFile(recipe).Write(path);
    CheckResult r = RunCheck(path, AFileDir::SysPath());
    ASSERT_TRUE(r.status.ok());
    EXPECT_EQ(Para(r, 4), c.days);
    EXPECT_EQ(r.rows, std::vector<Row>{}) << c.year << "-" << c.month;
  }
}

TEST(AFileFormatFile, HeaderValueForms) {
  AFileDir dir;
  AFileRecipe recipe = ManualStation();
  recipe.station = "59991";
  recipe.latitude = "3952N";
  recipe.longitude = "08705E";
  recipe.field = "1-0123";
  recipe.baro = "000123";
  recipe.wind = "///";
  recipe.classCode = '7';
  const std::string path = dir.Path(DefaultName(recipe));
  BuildAFile(recipe).Write(path);
  CheckResult r = RunCheck(path, AFileDir::SysPath());
  ASSERT_TRUE(r.status.ok());
  EXPECT_EQ(Para(r, 8), "39.52N");
  EXPECT_EQ(Para(r, 9), "87.05E");
  EXPECT_EQ(Para(r, 10), "(-12.3)");
  EXPECT_EQ(Para(r, 11), "12.3");
  EXPECT_EQ(Para(r, 12), "0.0");
  EXPECT_TRUE(r.para(15).IsEmpty());
  EXPECT_TRUE(r.para(16).IsEmpty());
}

TEST(AFileFormatFile, ObservationModeSuffixOfName) {
  struct {
    const char* suffix;
    char stationType;
    bool finding;
  } cases[] = {{"-1.TXT", '0', true},  {"-1.txt", '0', true},  {"-0.TXT", '0', false},
               {"-0.TXT", '1', true},  {"-1.TXT", '1', false}, {"-9.TXT", '0', false}};
  for (const auto& c : cases) {
    AFileDir dir;
    AFileRecipe recipe = ManualStation();
    recipe.station = "59991";
    recipe.stationType = c.stationType;
    if (c.stationType == '1') recipe.flags = "00000090000000009009";
    const std::string path = dir.Path("A59991-201203" + std::string(c.suffix));
    BuildAFile(recipe).Write(path);
    CheckResult r = RunCheck(path, AFileDir::SysPath());
    ASSERT_TRUE(r.status.ok());
    std::vector<Row> expected;
    if (c.finding)
      expected.push_back({"文件名格式与文件首部参数观测方式不符", "文件首部", "观测方式", "", "", 1});
    // An automatic station with manual codes gets mode-rule findings too;
    // only the name finding is of interest here.
    std::vector<Row> got;
    for (const Row& row : r.rows)
      if (row.line == 1) got.push_back(row);
    EXPECT_EQ(got, expected) << c.suffix << " " << c.stationType;
    EXPECT_EQ(Para(r, 7), "59991");
    EXPECT_EQ(Para(r, 2), "2012");
  }
}

TEST(AFileFormatFile, ErrorStatuses) {
  AFileDir dir;
  KelvaneA a;
  StringArray list = StringArray::Matrix(1, 7, 0, 1);
  list(1, 1) = "earlier";
  VariantArray para = VariantArray::Vector(1, 52);
  StringArray cls = StringArray::Vector(1, 20);

  // A file that does not exist.
  Status s = a.AFileFormCheck(AFileDir::SysPath(), dir.Path("A53772-201203.TXT"), para, cls, list);
  EXPECT_EQ(s.number(), kErrFileNotFound);
  EXPECT_EQ(list(1, 1), "earlier");

  // Parameter arrays too short.
  AFileRecipe recipe = ManualStation();
  const std::string path = dir.Path(DefaultName(recipe));
  BuildAFile(recipe).Write(path);
  VariantArray shortPara = VariantArray::Vector(1, 51);
  EXPECT_EQ(a.AFileFormCheck(AFileDir::SysPath(), path, shortPara, cls, list).number(),
            kErrSubscript);
  StringArray shortCls = StringArray::Vector(1, 19);
  EXPECT_EQ(a.AFileFormCheck(AFileDir::SysPath(), path, para, shortCls, list).number(),
            kErrSubscript);
  VariantArray none;
  EXPECT_EQ(a.AFileFormCheck(AFileDir::SysPath(), path, none, cls, list).number(), kErrSubscript);
  EXPECT_EQ(list(1, 1), "earlier");

  // A system directory without the station database: an error once the
  // header passes, none when the header fails (the database is not opened).
  const std::string noSys = dir.Path("nosys") + "/";
  EXPECT_FALSE(a.AFileFormCheck(noSys, path, para, cls, list).ok());
  BuiltFile bad = BuildAFile(recipe);
  bad.lines[0] += " ";
  bad.Write(path);
  EXPECT_TRUE(a.AFileFormCheck(noSys, path, para, cls, list).ok());
}

TEST(AFileFormatFile, RepeatedCallsDoNotMix) {
  AFileDir dir;
  KelvaneA a;
  AFileRecipe recipe = ManualStation();
  const std::string bad = dir.Path("A53772-201203.TXT");
  BuiltFile f = BuildAFile(recipe);
  f.At("T") = "X0";
  f.Write(bad);
  VariantArray para = VariantArray::Vector(1, 52);
  StringArray cls = StringArray::Vector(1, 20);
  StringArray list;
  ASSERT_TRUE(a.AFileFormCheck(AFileDir::SysPath(), bad, para, cls, list).ok());
  ASSERT_EQ(list.UBound(2), 1);
  EXPECT_FALSE(para(6).Truth());
  EXPECT_EQ(cls(1), "3");
  EXPECT_EQ(cls(2), "0");  // the stopped segment's code is stored
  EXPECT_EQ(cls(3), "");

  // A file whose header fails: values of the first file are gone.
  BuiltFile g = BuildAFile(recipe);
  g.lines[0] = "junk";
  g.Write(bad);
  ASSERT_TRUE(a.AFileFormCheck(AFileDir::SysPath(), bad, para, cls, list).ok());
  EXPECT_EQ(list(1, 1), "数据格式错误,无法对参数进行格式检查");
  EXPECT_TRUE(para(8).IsEmpty());
  EXPECT_TRUE(para(17).IsEmpty());
  EXPECT_EQ(cls(3), "2");
}

TEST(AFileFormatFile, DamagedInputNeverFails) {
  AFileDir dir;
  const std::string path = dir.Path("A54511-201203.TXT");
  std::mt19937 rng(7);
  AFileRecipe recipe = AutomaticReferenceStation();
  const std::string good = BuildAFile(recipe).Text();
  std::vector<std::string> inputs = {"", std::string(1, '\0'), std::string(5000, '\0'),
                                     "\xff\xfe\x00\x01", std::string(100, '\r')};
  for (int i = 0; i < 40; ++i) {
    std::string t = good;
    // Cut, flip and insert bytes.
    t.resize(rng() % t.size());
    for (int k = 0; k < 20 && !t.empty(); ++k) t[rng() % t.size()] = static_cast<char>(rng());
    inputs.push_back(t);
  }
  for (const std::string& t : inputs) {
    std::ofstream(path, std::ios::binary) << t;
    CheckResult r = RunCheck(path, AFileDir::SysPath());
    EXPECT_TRUE(r.status.ok()) << r.status.description();
    EXPECT_FALSE(r.usable());
  }
}

// The same instance-free check run again and again over a clean file finds
// nothing each time (its speed is measured by the benchmarks in bench/).
TEST(AFileFormatFile, RepeatedChecksOfACleanFileFindNothing) {
  AFileDir dir;
  AFileRecipe recipe = AutomaticReferenceStation();
  const std::string path = dir.Path(DefaultName(recipe));
  BuildAFile(recipe).Write(path);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(RunCheck(path, AFileDir::SysPath()).rows.empty());
}

}  // namespace
}  // namespace kelvane::testing
