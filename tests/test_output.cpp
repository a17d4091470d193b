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
