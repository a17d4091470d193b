// Output formats of check results.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "host/output.h"

namespace kelvane::host {
namespace {

TEST(OutputTest, CsvFieldQuoting) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"plain", "plain"},
      {"文件格式错误,无法继续审核", "\"文件格式错误,无法继续审核\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\nlines", "\"two\nlines\""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CsvField(c.in), c.out) << c.in;
}

TEST(OutputTest, CsvRowsOneLinePerFinding) {
  FileResult r;
  r.file = "a,b.TXT";
  r.findings.push_back({"m", "e", "", "1", "02", "3", "错误"});
  r.findings.push_back({"n", "e", "x", "", "", "", "可疑"});
  EXPECT_EQ(CsvRows(r), "\"a,b.TXT\",m,e,,1,02,3,错误\r\n\"a,b.TXT\",n,e,x,,,,可疑\r\n");
}

TEST(OutputTest, JsonOfErrorStatusAndInvalidUtf8) {
  FileResult r;
  r.file = std::string("bad\xff name");
  r.kind = 'A';
  r.status = Status(53, "cannot open file: x");
  auto j = nlohmann::json::parse(JsonObject(r));
  EXPECT_EQ(j["status"], "error");
  EXPECT_EQ(j["error"], "cannot open file: x");
  EXPECT_EQ(j["usable"], false);
  EXPECT_TRUE(j["findings"].is_array());
  EXPECT_EQ(j["file"], "bad\xEF\xBF\xBD name");
}

}  // namespace
}  // namespace kelvane::host

// Findings of the format check and of the audit are bounded one list at a
// time; the file's result keeps the first of them and one row counting all
// that were left out.
#include "host/check_file.h"

namespace {

using kelvane::host::Finding;

Finding Row(const std::string& message, const std::string& level = "错误") {
  return Finding{message, level.empty() ? "" : "气温", "", "", "", "", level};
}

std::vector<std::string> Messages(const std::vector<Finding>& f) {
  std::vector<std::string> out;
  for (const Finding& x : f) out.push_back(x.Message);
  return out;
}

TEST(BoundFindings, OneCountingRowAndNoMoreThanTheBound) {
  const std::string left = "条结果未列出(已达结果条数上限)";
  struct Case {
    const char* name;
    std::vector<Finding> in;
    long bound;
    std::vector<std::string> out;
  };
  const std::vector<Case> cases = {
      {"under the bound", {Row("a"), Row("b")}, 3, {"a", "b"}},
      {"no bound", {Row("a"), Row("b"), Row("c")}, 0, {"a", "b", "c"}},
      {"cut at the bound", {Row("a"), Row("b"), Row("c")}, 2, {"a", "b", "另有1" + left}},
      {"two counting rows become one",
       {Row("另有5" + left, ""), Row("a"), Row("b"), Row("另有7" + left, "")},
       2,
       {"a", "b", "另有12" + left}},
      {"counting rows and a cut",
       {Row("另有5" + left, ""), Row("a"), Row("b"), Row("c"), Row("另有7" + left, "")},
       2,
       {"a", "b", "另有13" + left}},
      {"a finding that only looks like one is kept",
       {Row("另有x" + left, ""), Row("另有5" + left)},
       3,
       {"另有x" + left, "另有5" + left}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Finding> f = c.in;
    kelvane::host::BoundFindings(f, c.bound);
    EXPECT_EQ(Messages(f), c.out);
    if (!f.empty() && f.back().Message.rfind("另有", 0) == 0 && f.back().Level.empty()) {
      EXPECT_EQ(f.back().Element, "");
    }
  }
}

}  // namespace
