// `kelvane check` end to end on sample files: output formats and exit status.
#include <gtest/gtest.h>
#include <unistd.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "sample/sample_afile.h"
#include "sample/sample_sysdir.h"
#include "tool_run.h"

#include <sqlite3.h>

namespace {

namespace fs = std::filesystem;

using CheckRun = kelvane::testing::ToolRun;
CheckRun Tool(const std::string& args) { return kelvane::testing::RunTool(args); }

class ToolCheckTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new fs::path(fs::temp_directory_path() /
                        ("kelvane_tool_check_test_" + std::to_string(::getpid())));
    fs::remove_all(*dir_);
    kelvane::sample::WriteSampleSystemDirectory(dir_->string());
    kelvane::sample::WriteSampleStationFiles(dir_->string());
    // A broken copy: the file-end marker replaced.
    fs::create_directories(*dir_ / "broken");
    std::ifstream in(*dir_ / "data" / "A53772-201203.TXT", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    size_t end = text.rfind("######");
    ASSERT_NE(end, std::string::npos);
    text.replace(end, 6, "#####X");
    std::ofstream(*dir_ / "broken" / "A53772-201203.TXT", std::ios::binary) << text;
  }
  static void TearDownTestSuite() {
    fs::remove_all(*dir_);
    delete dir_;
  }
  static std::string Sys() { return "--sys " + dir_->string(); }
  static std::string Good() { return (*dir_ / "data" / "A53772-201203.TXT").string(); }
  static std::string Broken() { return (*dir_ / "broken" / "A53772-201203.TXT").string(); }
  static fs::path* dir_;
};
fs::path* ToolCheckTest::dir_ = nullptr;

TEST_F(ToolCheckTest, JsonOfGoodAndBrokenFile) {
  CheckRun r = Tool("check --format-only --output json " + Sys() + " " + Good() + " " + Broken());
  EXPECT_EQ(r.status, 1);
  auto j = nlohmann::json::parse(r.out);
  ASSERT_TRUE(j.is_array());
  ASSERT_EQ(j.size(), 2u);
  EXPECT_EQ(j[0]["file"], Good());
  EXPECT_EQ(j[0]["kind"], "A");
  EXPECT_EQ(j[0]["usable"], true);
  EXPECT_EQ(j[0]["status"], "ok");
  EXPECT_TRUE(j[0]["findings"].empty());
  EXPECT_FALSE(j[0].contains("error"));
  ASSERT_EQ(j[1]["findings"].size(), 1u);
  const auto& f = j[1]["findings"][0];
  EXPECT_EQ(f["Message"], "数据文件结束标志错误");
  EXPECT_EQ(f["Element"], "文件结束");
  EXPECT_EQ(f["Level"], "错误");
  EXPECT_FALSE(f["Line"].get<std::string>().empty());
  for (const char* key : {"RelatedItem", "Day", "TimeOrItem"}) EXPECT_TRUE(f.contains(key));
}

TEST_F(ToolCheckTest, CsvHasHeaderAndQuotedRows) {
  CheckRun r = Tool("check --format-only --output csv " + Sys() + " " + Broken());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.rfind("File,Message,Element,RelatedItem,Day,TimeOrItem,Line,Level\r\n", 0), 0u);
  EXPECT_NE(r.out.find(Broken() + ",数据文件结束标志错误,文件结束,"), std::string::npos);
}

TEST_F(ToolCheckTest, ExitStatus) {
  EXPECT_EQ(Tool("check --format-only " + Sys() + " " + Good()).status, 0);
  EXPECT_EQ(Tool("check --format-only " + Sys() + " " + Broken()).status, 1);
  // A file that cannot be opened is an error status: exit 2, also in JSON.
  CheckRun missing = Tool("check --output json " + Sys() + " " + (*dir_ / "AXXXXX.TXT").string());
  EXPECT_EQ(missing.status, 2);
  auto j = nlohmann::json::parse(missing.out);
  EXPECT_EQ(j[0]["status"], "error");
  EXPECT_FALSE(j[0]["error"].get<std::string>().empty());
  // Files of another kind are skipped and do not change the status; a path
  // that does not exist at all is an error status.
  { std::ofstream((*dir_ / "Xnotes.txt").string()) << "notes\n"; }
  EXPECT_EQ(Tool("check " + Sys() + " " + Good() + " " + (*dir_ / "Xnotes.txt").string()).status, 0);
  EXPECT_EQ(Tool("check " + Sys() + " " + Good() + " " + (*dir_ / "Ynotes.txt").string()).status, 2);
}

// One corrupt line must not fill the memory of the host: a cloud record of
// a million unknown words gives a million findings, of which the tool keeps
// --max-findings and counts the rest in a last row. A file above
// --max-file-size is not read at all.
TEST_F(ToolCheckTest, FindingsAndFileSizeAreBounded) {
  std::ifstream in(*dir_ / "data" / "A53772-201203.TXT", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  const size_t cloud = text.find("\r\nC0\r\n");
  ASSERT_NE(cloud, std::string::npos);
  const size_t lineStart = cloud + 6;
  const size_t lineEnd = text.find("\r\n", lineStart);
  std::string words;
  for (int i = 0; i < 1000000; ++i) words += "XX ";
  text.replace(lineStart, lineEnd - lineStart, words + ",");
  fs::create_directories(*dir_ / "huge");
  const std::string huge = (*dir_ / "huge" / "A53772-201203.TXT").string();
  std::ofstream(huge, std::ios::binary) << text;

  struct Case {
    std::string options;
    int status;
    size_t findings;
    std::string last;
  };
  const std::vector<Case> cases = {
      {"--max-findings 100", 1, 100, "条结果未列出(已达结果条数上限)"},
      {"--max-findings 5000", 1, 5000, "条结果未列出(已达结果条数上限)"},
      {"--max-file-size 1000", 2, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    const CheckRun r = Tool("check --output json " + c.options + " " + Sys() + " " + huge);
    EXPECT_EQ(r.status, c.status);
    const auto j = nlohmann::json::parse(r.out);
    ASSERT_EQ(j.size(), 1u);
    const auto& f = j[0]["findings"];
    if (c.status == 2) {
      EXPECT_NE(j[0]["error"].get<std::string>().find("--max-file-size"), std::string::npos);
      continue;
    }
    ASSERT_EQ(f.size(), c.findings + 1);
    const std::string last = f.back()["Message"];
    EXPECT_EQ(last.rfind("另有", 0), 0u) << last;
    EXPECT_NE(last.find(c.last), std::string::npos) << last;
    EXPECT_EQ(f.back()["Level"], "");
  }
  fs::remove_all(*dir_ / "huge");
}

// A cloud or weather line replaced by 8 MiB of records: every record still
// counts (each adds the same findings as the fourth one does), only the
// first --max-findings are kept, and the hand-back ends with the count of
// the others.
TEST_F(ToolCheckTest, LongLinesAreCountedNotStored) {
  std::ifstream in(*dir_ / "data" / "A53772-201203.TXT", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  fs::create_directories(*dir_ / "long");
  const std::string path = (*dir_ / "long" / "A53772-201203.TXT").string();

  // The file with the first line after `marker` replaced by `record` written
  // `times` times; checked with a bound of 1,000 findings.
  struct Outcome {
    size_t stored = 0, total = 0;
  };
  const auto check = [&](const std::string& marker, const std::string& record, size_t times,
                         const std::string& end) {
    std::string t = text;
    const size_t at = t.find(marker);
    EXPECT_NE(at, std::string::npos) << marker;
    if (at == std::string::npos) return Outcome{};
    const size_t lineStart = at + marker.size();
    std::string line;
    line.reserve(record.size() * times + end.size());
    for (size_t i = 0; i < times; ++i) line += record;
    line += end;
    t.replace(lineStart, t.find("\r\n", lineStart) - lineStart, line);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << t;
    const CheckRun r = Tool("check --output json --max-findings 1000 " + Sys() + " " + path);
    Outcome o;
    const auto j = nlohmann::json::parse(r.out, nullptr, false);
    if (j.is_discarded() || j.size() != 1 || !j[0].contains("findings")) {
      ADD_FAILURE() << "no findings for " << record << " x " << times;
      return o;
    }
    const auto& f = j[0]["findings"];
    o.stored = f.size();
    o.total = f.size();
    const std::string last = f.empty() ? std::string() : f.back()["Message"].get<std::string>();
    if (last.rfind("另有", 0) == 0) {
      EXPECT_NE(last.find("条结果未列出(已达结果条数上限)"), std::string::npos) << last;
      EXPECT_EQ(f.back()["Level"], "");
      o.total = f.size() - 1 + std::stoull(last.substr(std::string("另有").size()));
    }
    return o;
  };

  struct Case {
    const char* what;
    std::string marker, record, end;
  };
  const std::vector<Case> cases = {
      {"cloud forms", "\r\nC0\r\n", "XX ", ","},
      {"unknown weather codes", "\r\nW0\r\n", "XX,", "."},
      {"night weather records", "\r\nW0\r\n", "(60 0100-0345),", "."},
  };
  constexpr size_t kBytes = size_t{8} << 20;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // From the fourth record on (two of a kind already make a duplicate, and
    // the night rules settle with the third).
    const Outcome three = check(c.marker, c.record, 3, c.end);
    const Outcome four = check(c.marker, c.record, 4, c.end);
    const size_t times = kBytes / c.record.size();
    const Outcome many = check(c.marker, c.record, times, c.end);
    ASSERT_GT(four.total, three.total);
    const size_t perRecord = four.total - three.total;
    EXPECT_EQ(many.stored, 1001u);
    EXPECT_EQ(many.total, three.total + (times - 3) * perRecord);
  }
  fs::remove_all(*dir_ / "long");
}

TEST_F(ToolCheckTest, ParallelJobsKeepTheOrderAndTheResults) {
  std::string files;
  for (int i = 0; i < 3; ++i) files += " " + Good() + " " + Broken();
  CheckRun one = Tool("check --output json -j 1 " + Sys() + files);
  CheckRun four = Tool("check --output json -j 4 " + Sys() + files);
  EXPECT_EQ(one.status, 1);
  EXPECT_EQ(four.status, 1);
  EXPECT_EQ(one.out, four.out);
  EXPECT_EQ(nlohmann::json::parse(four.out).size(), 6u);
}

TEST_F(ToolCheckTest, StationWithoutRuleSetGetsNoticeAndWarning) {
  // A system directory whose rule library has no record for the station and
  // no default record.
  fs::path sys = *dir_ / "norules";
  kelvane::sample::WriteSampleSystemDirectory(sys.string());
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((sys / "Sysconfig" / "SysLib.mdb").string().c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "DELETE FROM tabAuditingRuleLib2", nullptr, nullptr, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "INSERT INTO tabAuditingRuleLib2 (StationNum) VALUES ('11111')",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  CheckRun r = kelvane::testing::RunTool("check --output csv --sys " + sys.string() + " " + Good(),
                                         /*keepStderr=*/true);
  const std::string& out = r.out;
  EXPECT_EQ(r.status, 0);  // the notice has no level: not an error
  EXPECT_NE(out.find("警告: 没有适合该站的审核规则库!"), std::string::npos) << out;
  EXPECT_NE(out.find(Good() + ",\"无适合本站的审核规则库,不能进行数据审核\",全月,,,,1,"),
            std::string::npos)
      << out;
}

}  // namespace
