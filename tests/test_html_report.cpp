// The HTML report: findings placed on the cells of the decoded grids, every
// text from a file escaped, and `kelvane report` over small and large runs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "host/file_walk.h"
#include "host/html_report.h"
#include "sample/sample_corpus.h"
#include "tool_run.h"

namespace {

namespace fs = std::filesystem;
using kelvane::StringArray;
using kelvane::host::Finding;
using kelvane::host::FileResult;
using kelvane::testing::RunTool;

StringArray Filled(long rows, long cols, const std::string& value) {
  StringArray a = StringArray::Matrix(1, rows, 1, cols);
  for (long r = 1; r <= rows; ++r)
    for (long c = 1; c <= cols; ++c) a(r, c) = value;
  return a;
}

FileResult AResult(std::vector<Finding> findings) {
  auto d = std::make_shared<kelvane::host::DecodedAFile>();
  d->days = 3;
  d->strP = Filled(3, 28, "10123");
  d->strw = Filled(3, 1, "雨");
  FileResult r;
  r.file = "/data/A54511-201203.TXT";
  r.kind = 'A';
  r.checked = r.usable = true;
  r.findings = std::move(findings);
  r.aArrays = d;
  return r;
}

// The attributes of the cell with the given id: "" when there is none.
std::string CellTag(const std::string& html, const std::string& id) {
  const size_t at = html.find("id=\"" + id + "\"");
  if (at == std::string::npos) return "";
  return html.substr(at, html.find('>', at) - at);
}

TEST(HtmlReport, FindingsLandOnTheirCells) {
  struct Case {
    const char* what;
    Finding finding;
    std::vector<std::string> cells;  // ids c<file>-<grid>-<row>-<column>
    const char* flagClass;
  };
  const Case cases[] = {
      {"an hour and an extreme", {"最低值与定时值矛盾", "本站气压", "", "2", "最低/22", "", "错误"},
       {"c1-0-2-27", "c1-0-2-2"}, "flag-e"},
      {"hour label with a leading zero", {"m", "本站气压", "", "3", "02", "", "可疑"},
       {"c1-0-3-6"}, "flag-s"},
      {"no such column: the day's head", {"m", "本站气压", "", "1", "日平均", "", "可疑"},
       {"c1-0-1-0"}, "flag-s"},
      {"the weather text", {"m", "天气现象", "", "2", "", "", "错误"}, {"c1-1-2-0"}, "flag-e"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    kelvane::host::HtmlReport report;
    const std::string html = report.AddFile(AResult({c.finding}), "#f1");
    for (const std::string& id : c.cells) {
      const std::string tag = CellTag(html, id);
      ASSERT_FALSE(tag.empty()) << id;
      EXPECT_NE(tag.find(c.flagClass), std::string::npos) << tag;
      EXPECT_NE(tag.find(c.finding.Message), std::string::npos) << tag;
    }
    // The finding's row points at its first cell, so a click scrolls there.
    EXPECT_NE(html.find("data-cell=\"" + c.cells[0] + "\""), std::string::npos);
  }
}

TEST(HtmlReport, ErrorWinsOverSuspiciousOnOneCellAndBothShow) {
  kelvane::host::HtmlReport report;
  const std::string html = report.AddFile(
      AResult({{"first", "本站气压", "", "2", "22", "", "可疑"},
               {"second", "本站气压", "", "2", "22", "", "错误"}}),
      "#f1");
  const std::string tag = CellTag(html, "c1-0-2-2");
  EXPECT_NE(tag.find("flag-e"), std::string::npos);
  EXPECT_NE(tag.find("first"), std::string::npos);
  EXPECT_NE(tag.find("second"), std::string::npos);
}

TEST(HtmlReport, FindingOffTheGridsHasNoCell) {
  kelvane::host::HtmlReport report;
  const std::string html =
      report.AddFile(AResult({{"文件首部参数与台站参数表不符", "文件首部", "纬度", "", "", "1", "错误"}}), "#f1");
  EXPECT_NE(html.find("data-cell=\"\""), std::string::npos);
  EXPECT_EQ(html.find("class=\"flag-"), std::string::npos);
}

TEST(HtmlReport, RadiationHoursAndDailyValues) {
  auto d = std::make_shared<kelvane::RFileArrays>();
  d->strRFileG = Filled(3, 28, "100");
  d->strRFileS = Filled(3, 28, "50");
  FileResult r;
  r.file = "R54399-201203.TXT";
  r.kind = 'R';
  r.checked = r.usable = true;
  r.rArrays = d;
  r.findings = {{"m", "总辐射", "", "2", "11-12", "", "错误"},
                {"m", "直接辐射", "总辐射/散射辐射", "2", "水平日总/日总量", "", "可疑"}};
  kelvane::host::HtmlReport report;
  const std::string html = report.AddFile(r, "#f1");
  EXPECT_NE(CellTag(html, "c1-0-2-12").find("flag-e"), std::string::npos);  // hour ending at 12
  // The grids present: 总辐射 (0) and 直接辐射 (1).
  EXPECT_NE(CellTag(html, "c1-1-2-25").find("flag-s"), std::string::npos);
  EXPECT_NE(CellTag(html, "c1-1-2-28").find("flag-s"), std::string::npos);
}

TEST(HtmlReport, YearlyValuesFlaggedInTheYearColumn) {
  auto d = std::make_shared<kelvane::YFileArrays>();
  d->strMonthYearS = Filled(13, 150, "12");
  FileResult r;
  r.file = "Y54511-2012.TXT";
  r.kind = 'Y';
  r.checked = r.usable = true;
  r.yArrays = d;
  r.findings = {{"m", "气温", "", "年", "", "", "可疑"}};
  kelvane::host::HtmlReport report;
  const std::string html = report.AddFile(r, "#f1");
  // 气温 is the third block (items 9..24): its rows 1..16, column 13 the year.
  EXPECT_NE(CellTag(html, "c1-2-1-13").find("flag-s"), std::string::npos);
  EXPECT_NE(CellTag(html, "c1-2-16-13").find("flag-s"), std::string::npos);
  EXPECT_TRUE(CellTag(html, "c1-2-17-13").empty());
  EXPECT_TRUE(CellTag(html, "c1-2-1-12").empty());
}

// A station file can carry any bytes: a text from it never becomes markup.
TEST(HtmlReport, TextsFromTheFileAreEscaped) {
  const std::string evil = "<img src=x onerror=alert(1)>\"'&";
  FileResult r = AResult({{evil, evil, evil, "2", evil, "5", "错误"}});
  auto d = std::make_shared<kelvane::host::DecodedAFile>(*r.aArrays);
  d->strw(1, 1) = "</td><script>alert(2)</script>";
  r.aArrays = d;
  r.file = "/data/<b>A1.TXT";
  kelvane::host::HtmlReport report;
  const std::string html =
      kelvane::host::HtmlPage(r.file, report.Overview() + report.AddFile(r, "#f1") + report.Overview());
  EXPECT_EQ(html.find("<img"), std::string::npos);
  EXPECT_EQ(html.find("<b>"), std::string::npos);
  EXPECT_EQ(html.find("<script>alert"), std::string::npos);
  EXPECT_EQ(html.find("onerror=alert(1)>\""), std::string::npos);
  EXPECT_NE(html.find("&lt;img src=x onerror=alert(1)&gt;&quot;&#39;&amp;"), std::string::npos);
  // Exactly one script element: the page's own.
  size_t scripts = 0;
  for (size_t at = html.find("<script"); at != std::string::npos; at = html.find("<script", at + 1))
    ++scripts;
  EXPECT_EQ(scripts, 1u);
  // Nothing is fetched: no external reference of any kind.
  for (const char* ref : {"http:", "https:", "src=\"", "<link"})
    EXPECT_EQ(html.find(ref), std::string::npos) << ref;
}

class ToolReportTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new fs::path(fs::temp_directory_path() /
                        ("kelvane_report_test_" + std::to_string(::getpid())));
    fs::remove_all(*dir_);
    kelvane::sample::WriteSampleCorpus(dir_->string(), 30, 2, 7, 2);
  }
  static void TearDownTestSuite() {
    fs::remove_all(*dir_);
    delete dir_;
  }
  static std::string Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
  }
  static fs::path* dir_;
};
fs::path* ToolReportTest::dir_ = nullptr;

TEST_F(ToolReportTest, SmallRunIsOnePageLargeRunAnIndexWithAPagePerFile) {
  const fs::path data = *dir_ / "data";
  std::vector<std::string> few;
  for (const auto& e : fs::directory_iterator(data))
    if (kelvane::host::IsDataFileName(e.path().filename().string()) && few.size() < 3)
      few.push_back(e.path().string());
  ASSERT_EQ(few.size(), 3u);
  const size_t all = kelvane::host::CountFiles({data.string()});
  ASSERT_GT(all, 50u) << "the corpus must be a large run";

  const fs::path small = *dir_ / "small.html";
  const auto r1 = RunTool("report -q --sys " + dir_->string() + " " + few[0] + " " + few[1] + " " +
                          few[2] + " --out " + small.string());
  EXPECT_LE(r1.status, 1);
  const std::string page = Read(small);
  EXPECT_NE(page.find("id=\"f3\""), std::string::npos);
  EXPECT_FALSE(fs::exists(*dir_ / "small_files"));

  const fs::path big = *dir_ / "big.html";
  const auto r2 = RunTool("report -q --sys " + dir_->string() + " " + data.string() + " --out " +
                          big.string());
  EXPECT_LE(r2.status, 1);
  const std::string index = Read(big);
  EXPECT_EQ(index.find("<section class=\"file\""), std::string::npos);
  EXPECT_NE(index.find("href=\"big_files/" + std::to_string(all) + ".html\""), std::string::npos);
  size_t pages = 0;
  for (const auto& e : fs::directory_iterator(*dir_ / "big_files")) {
    (void)e;
    ++pages;
  }
  EXPECT_EQ(pages, all);
  EXPECT_NE(Read(*dir_ / "big_files" / "1.html").find("href=\"../big.html\""), std::string::npos);
}

TEST_F(ToolReportTest, ExitStatuses) {
  const std::string sys = "--sys " + dir_->string() + " ";
  const fs::path data = *dir_ / "data";
  std::string one;
  for (const auto& e : fs::directory_iterator(data))
    if (e.path().filename().string()[0] == 'A') one = e.path().string();
  struct Case {
    const char* what;
    std::string args;
    int status;
  };
  const Case cases[] = {
      {"missing file", sys + (*dir_ / "A00000-201101.TXT").string() + " --out " +
                           (*dir_ / "m.html").string(), 2},
      {"output folder missing", sys + one + " --out " + (*dir_ / "no" / "r.html").string(), 2},
      {"no path", sys + "--out " + (*dir_ / "n.html").string(), 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(RunTool("report -q " + c.args).status, c.status);
  }
}

}  // namespace
