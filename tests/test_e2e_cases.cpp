// `kelvane check` end to end, one case per file of tests/cases/ (the format
// is in tests/cases/README.md): a fault put into a sample file, which on
// its own gives no finding, comes back from the full check (format check,
// decoding, audit) as exactly the findings that fault causes, in order, and
// the exit status follows.
//
// The case files are listed when the test program starts, so a new case is
// a new file and needs no rebuild; each file is a test of its own, named
// after the file (E2eCases/CaseFile.Check/<name>). The sample set is
// written once per test program by `kelvane sample`; each case edits a copy
// of its start file in a directory of its own, beside a copy of the minute
// data file when the sample set has one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "e2e_case.h"
#include "scratch_dir.h"
#include "tool_run.h"

namespace kelvane::testing {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------- listing

struct CaseFile {
  std::string name;      // test name: the path below tests/cases without ".case"
  std::string path;      // full path
  std::string problem;   // set when the entry cannot be a case
};

void PrintTo(const CaseFile& c, std::ostream* os) { *os << c.path; }

std::string TestName(std::string_view relative) {
  std::string name;
  for (unsigned char ch : relative) name += std::isalnum(ch) ? static_cast<char>(ch) : '_';
  return name;
}

// Every *.case file below the cases directory, in name order. Any other file
// (but README.md and hidden files) becomes an entry that fails, so a case
// written under a wrong extension is not silently left out.
std::vector<CaseFile> ListCaseFiles() {
  const fs::path root = KELVANE_TEST_CASES;
  std::vector<CaseFile> out;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& p = it->path();
    const std::string file = p.filename().string();
    std::error_code kindError;
    if (file.starts_with(".")) {
      if (it->is_directory(kindError)) it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file(kindError) || file == "README.md") continue;
    std::string relative = p.lexically_relative(root).generic_string();
    CaseFile c{"", p.string(), ""};
    if (p.extension() == ".case") {
      relative.resize(relative.size() - 5);
    } else {
      c.problem = p.string() + ": not a case file (case files end in .case)";
    }
    c.name = TestName(relative);
    out.push_back(std::move(c));
  }
  if (ec) out.push_back({"cases_directory", root.string(), root.string() + ": " + ec.message()});
  if (out.empty())
    out.push_back({"no_case_files", root.string(), root.string() + ": no .case file found"});
  std::sort(out.begin(), out.end(), [](const CaseFile& a, const CaseFile& b) { return a.path < b.path; });
  // "a-b.case" and "a_b.case" would share a test name: the later one gets a suffix.
  std::set<std::string> names;
  for (CaseFile& c : out) {
    std::string name = c.name;
    for (int k = 2; !names.insert(name).second; ++k) name = c.name + "_" + std::to_string(k);
    c.name = name;
  }
  return out;
}

// ---------------------------------------------------------------- the sample set

struct SampleSet {
  ScratchDir dir{"kelvane_e2e_cases"};
  fs::path set = dir.dir() / "set";
  std::string error;  // set when `kelvane sample` failed
  SampleSet() {
    const ToolRun run = RunTool("sample --out '" + set.string() + "'", /*keepStderr=*/true);
    if (run.status != 0)
      error = "kelvane sample failed (exit " + std::to_string(run.status) + "): " + run.out;
  }
};

const SampleSet& Sample() {
  static const SampleSet sample;
  return sample;
}

std::string ReadFile(const fs::path& path, bool* ok) {
  std::ifstream in(path, std::ios::binary);
  *ok = static_cast<bool>(in);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

bool WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return static_cast<bool>(out.flush());
}

std::string SampleFileNames(const fs::path& data) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(data, ec), end; !ec && it != end; it.increment(ec))
    names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end());
  std::string s;
  for (const std::string& n : names) s += " " + n;
  return s;
}

std::string Rows(const std::vector<CaseFinding>& findings) {
  if (findings.empty()) return "    (no findings)\n";
  std::string s;
  for (const CaseFinding& f : findings) s += "    " + FormatFinding(f) + "\n";
  return s;
}

// ---------------------------------------------------------------- the test

class CaseFileTest : public ::testing::TestWithParam<CaseFile> {};

TEST_P(CaseFileTest, Check) {
  const CaseFile& file = GetParam();
  if (!file.problem.empty()) FAIL() << file.problem;
  bool read = false;
  const std::string text = ReadFile(file.path, &read);
  if (!read) FAIL() << file.path << ": cannot be read";
  Case c;
  if (const std::string e = ParseCase(text, &c); !e.empty()) FAIL() << file.path << ": " << e;

  const SampleSet& sample = Sample();
  if (!sample.error.empty()) FAIL() << sample.error;
  const fs::path data = sample.set / "data";
  const fs::path startPath = data / c.start;
  if (!fs::is_regular_file(startPath))
    FAIL() << file.path << ": start file " << c.start
           << " is not in the sample set; it holds:" << SampleFileNames(data);
  const std::string jName = "J" + c.start.substr(1);
  const bool hasJ = c.start[0] == 'A' && fs::is_regular_file(data / jName);

  FileLines aLines = SplitFileLines(ReadFile(startPath, &read));
  FileLines jLines;
  if (hasJ) jLines = SplitFileLines(ReadFile(data / jName, &read));
  std::string edits;
  for (const CaseEdit& edit : c.edits) {
    std::string done;
    if (const std::string e = ApplyEdit(edit, aLines, hasJ ? &jLines : nullptr, &done); !e.empty())
      FAIL() << file.path << ": line " << edit.caseLine << ": " << edit.at.text << ": " << e;
    edits += "\n  " + done;
  }

  const fs::path caseDir = sample.dir.dir() / "cases" / file.name;
  std::error_code ec;
  fs::create_directories(caseDir, ec);
  const fs::path edited = caseDir / c.start;
  ASSERT_TRUE(WriteFile(edited, JoinFileLines(aLines))) << edited;
  if (hasJ) {
    ASSERT_TRUE(WriteFile(caseDir / jName, JoinFileLines(jLines))) << caseDir / jName;
  }

  SCOPED_TRACE(file.path + (edits.empty() ? std::string(" (no edit)") : ", edits:" + edits));
  const ToolRun run = RunTool("check --output json --sys '" + sample.set.string() + "' '" +
                              edited.string() + "'");
  ASSERT_NE(run.status, -1) << "the tool did not exit normally; output:\n" << run.out;
  const auto j = nlohmann::json::parse(run.out, nullptr, /*allow_exceptions=*/false);
  ASSERT_TRUE(j.is_array() && j.size() == 1) << "unexpected output:\n" << run.out;
  const auto& result = j[0];
  ASSERT_EQ(result.value("status", ""), "ok") << result.dump(1);
  EXPECT_EQ(result.value("usable", !c.usable), c.usable) << "usable";

  std::vector<CaseFinding> got;
  for (const auto& f : result["findings"]) {
    CaseFinding row;
    for (size_t k = 0; k < row.size(); ++k) row[k] = f.value(kFindingColumns[k], "<none>");
    got.push_back(std::move(row));
  }
  if (got != c.findings)
    ADD_FAILURE() << "findings differ\n  got:\n" << Rows(got) << "  expected:\n" << Rows(c.findings);
  EXPECT_EQ(run.status, c.exitStatus) << "exit status";
}

INSTANTIATE_TEST_SUITE_P(E2eCases, CaseFileTest, ::testing::ValuesIn(ListCaseFiles()),
                         [](const ::testing::TestParamInfo<CaseFile>& info) { return info.param.name; });

// ---------------------------------------------------------------- the format

// A malformed case file fails its test with the line and what is wrong,
// rather than running a case that checks less than it says.
TEST(E2eCaseFormat, MalformedCaseFilesNameTheirFault) {
  const std::string head = "start: A53772-201203.TXT\nexit: 0\n";
  struct Row {
    std::string text;
    std::string error;  // a part of the message; "" when the text is well formed
  };
  const std::vector<Row> rows = {
      {head + "expect: no findings\n", ""},
      {"\xEF\xBB\xBF# comment\r\nstart: A53772-201203.TXT\r\nexit: 0\r\nexpect: no findings\r\n", ""},
      {head + "start A53772-201203.TXT\n", "line 3: expected 'key: value'"},
      {head + "replace record: segment C day 10 record 2 = \"CI SC\"\n"
              "replace line: J section T day 9 line 19 = 1 2\n"
              "remove line: line 3\n"
              "replace record: segment R block 3 record 1 = \"\"\n"
              "expect:\n  # why\n m | e | | 9 | 14 |  | 错误\n",
       ""},
      {head + "expect:\n", "'expect:' lists no finding"},
      {head + "expect: no findings\nm | e | r | d | t | l | 错误\n", "line 4: nothing but comments"},
      {head + "expect:\nm | e | r | d | t | 错误\n", "line 4: a finding has 7 columns"},
      {head + "expect:\nm | e | r | d | t | l | error\n", "line 4: the last column is the Level"},
      {head + "m | e | r | d | t | l | 错误\n", "line 3: a finding row before 'expect:'"},
      {head + "expected: no findings\n", "line 3: unknown key 'expected'"},
      {"exit: 0\nexpect: no findings\n", "no 'start:'"},
      {"start: A53772-201203.TXT\nexpect: no findings\n", "no 'exit:'"},
      {head, "no 'expect:'"},
      {head + "exit: 1\n", "'exit' given twice"},
      {head + "replace record: segment E day 10 line 1 = 023\n", "needs the record"},
      {head + "replace line: segment E day 10 record 2 = 023\n", "no 'record'"},
      {head + "replace record: segment E day ten record 2 = 023\n", "day is a number"},
      {head + "replace record: segment E day 10 record 2\n", "follows '='"},
      {head + "replace record: segment E day 10 record 2 =\n", "write \"\""},
      {head + "remove line: segment E day 10 = x\n", "takes no '= value'"},
      {head + "remove line: day 10\n", "needs a segment"},
      {head + "remove line: segment E hour 10\n", "unknown word 'hour'"},
      {head + "remove line: J segment T day 1 line 1\n", "the minute file has sections"},
      {head + "remove line: section T day 1 line 1\n", "start the location with J"},
      {head + "remove line: J section T day 1\n", "the line of the day"},
  };
  for (const Row& row : rows) {
    Case c;
    const std::string e = ParseCase(row.text, &c);
    if (row.error.empty())
      EXPECT_EQ(e, "") << row.text;
    else
      EXPECT_NE(e.find(row.error), std::string::npos) << row.text << "\ngave: " << e;
  }
}

}  // namespace
}  // namespace kelvane::testing
