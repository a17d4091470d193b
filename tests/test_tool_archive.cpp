// `kelvane check` over directories as a user runs it over an archive: the
// walk, the order of the results, parallel workers, files that cannot be
// checked, the progress display on a terminal.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "host/check_file.h"
#include "kelvane/safe_array.h"
#include "sample/sample_corpus.h"
#include "tool_run.h"

namespace {

namespace fs = std::filesystem;
using kelvane::testing::RunTool;
using kelvane::testing::ToolRun;

// What the tool writes on standard error (standard output dropped).
std::string StderrOf(const std::string& args) {
  const std::string cmd = std::string(KELVANE_TOOL_PATH) + " " + args + " 2>&1 >/dev/null";
  std::string out;
  if (FILE* p = ::popen(cmd.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

class ToolArchiveTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new fs::path(fs::temp_directory_path() /
                        ("kelvane_tool_archive_test_" + std::to_string(::getpid())));
    fs::remove_all(*dir_);
    // Six stations (every station type) over two months.
    files_ = new kelvane::sample::CorpusFiles(
        kelvane::sample::WriteSampleCorpus(dir_->string(), 6, 2, 3, 2));
  }
  static void TearDownTestSuite() {
    fs::remove_all(*dir_);
    delete dir_;
    delete files_;
  }
  static std::string Sys() { return "--sys " + dir_->string(); }
  static std::string Data() { return (*dir_ / "data").string(); }
  // The data-file names of a summary output, in its order.
  static std::vector<std::string> SummaryFiles(const std::string& out) {
    std::vector<std::string> files;
    size_t start = out.find('\n') + 1;  // after the heading
    while (start < out.size()) {
      const size_t end = out.find('\n', start);
      const std::string line = out.substr(start, end - start);
      files.push_back(line.substr(0, line.find('\t')));
      start = end == std::string::npos ? out.size() : end + 1;
    }
    return files;
  }
  static fs::path* dir_;
  static kelvane::sample::CorpusFiles* files_;
};
fs::path* ToolArchiveTest::dir_ = nullptr;
kelvane::sample::CorpusFiles* ToolArchiveTest::files_ = nullptr;

// One checker reuses its instances and decoded arrays from file to file: over
// files of every station type in turn, damaged ones among them (digits
// changed, a file cut short), with and without the arrays kept, it finds
// exactly what a fresh checker finds for each file.
TEST_F(ToolArchiveTest, OneCheckerGivesWhatFreshCheckersGive) {
  const fs::path mixed = *dir_ / "mixed";
  fs::create_directories(mixed);
  for (const std::string& f : files_->minute) fs::copy_file(f, mixed / fs::path(f).filename());
  std::vector<std::string> order;
  int k = 0;
  for (const std::string& f : files_->data) {
    const fs::path to = mixed / fs::path(f).filename();
    std::ifstream in(f, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ++k;
    if (k % 3 == 1) {
      // Some digits changed: findings of the format check and the audit.
      for (size_t i = 200; i < text.size(); i += 997)
        if (text[i] >= '0' && text[i] <= '9') text[i] = text[i] == '9' ? '/' : '9';
    } else if (k % 3 == 2) {
      text.resize(text.size() * 2 / 3);  // cut short: the decoder stops early
    }
    std::ofstream(to.string(), std::ios::binary) << text;
    order.push_back(to.string());
  }
  // Station types alternate in this order, so array shapes change from file
  // to file; then the same files again backwards.
  std::vector<std::string> all = order;
  all.insert(all.end(), order.rbegin(), order.rend());
  for (const bool keepArrays : {false, true}) {
    kelvane::host::CheckOptions opt;
    opt.sysPath = dir_->string();
    opt.keepArrays = keepArrays;
    kelvane::host::Checker reused(opt);
    size_t withFindings = 0;
    for (const std::string& f : all) {
      SCOPED_TRACE(f);
      const kelvane::host::FileResult a = reused.Check(f);
      const kelvane::host::FileResult b = kelvane::host::CheckFile(f, opt);
      EXPECT_EQ(a.status.ok(), b.status.ok());
      EXPECT_EQ(a.usable, b.usable);
      ASSERT_EQ(a.findings.size(), b.findings.size());
      for (size_t i = 0; i < a.findings.size(); ++i) {
        EXPECT_EQ(a.findings[i].Message, b.findings[i].Message) << i;
        EXPECT_EQ(a.findings[i].Day, b.findings[i].Day) << i;
        EXPECT_EQ(a.findings[i].TimeOrItem, b.findings[i].TimeOrItem) << i;
        EXPECT_EQ(a.findings[i].Line, b.findings[i].Line) << i;
      }
      withFindings += !a.findings.empty();
      if (keepArrays && a.aArrays && b.aArrays) {
        EXPECT_EQ(a.aArrays->strT.data(), b.aArrays->strT.data());
        EXPECT_EQ(a.aArrays->strw.data(), b.aArrays->strw.data());
        EXPECT_EQ(a.aArrays->VFileGK.data(), b.aArrays->VFileGK.data());
      }
    }
    EXPECT_GT(withFindings, all.size() / 2);
  }
}

TEST(SafeArrayTest, MovedFromArrayIsUnallocated) {
  auto a = kelvane::StringArray::Matrix(1, 31, 1, 24);
  a(31, 24) = "x";
  kelvane::StringArray moved(std::move(a));
  EXPECT_EQ(moved(31, 24), "x");
  EXPECT_FALSE(a.IsAllocated());  // NOLINT(bugprone-use-after-move): the state is the point
  EXPECT_EQ(a.Find(31, 24), nullptr);
  kelvane::StringArray assigned;
  assigned = std::move(moved);
  EXPECT_FALSE(moved.IsAllocated());  // NOLINT(bugprone-use-after-move)
  EXPECT_THROW(moved(1, 1), kelvane::SubscriptError);
  EXPECT_EQ(assigned(31, 24), "x");
}

TEST_F(ToolArchiveTest, TwoJobsGiveExactlyWhatOneJobGives) {
  const ToolRun one = RunTool("check --output json --jobs 1 " + Sys() + " " + Data());
  const ToolRun two = RunTool("check --output json --jobs 2 " + Sys() + " " + Data());
  EXPECT_EQ(one.status, two.status);
  EXPECT_EQ(one.out, two.out);
  const auto j = nlohmann::json::parse(two.out);
  EXPECT_EQ(j.size(), files_->data.size());
  // Every sample month is clean: the corpus is usable as a benchmark of a
  // clean archive.
  for (const auto& f : j) EXPECT_EQ(f["status"], "ok") << f["file"];
}

TEST_F(ToolArchiveTest, DirectoryIsWalkedInSortedPathOrder) {
  // A nested copy: the walk goes down into directories, in name order.
  const fs::path nested = *dir_ / "nested" / "b";
  fs::create_directories(nested);
  const fs::path first = *dir_ / "nested" / "A" "60000-201101.TXT";
  fs::copy_file(files_->data[0], first, fs::copy_options::overwrite_existing);
  fs::copy_file(files_->data[1], nested / fs::path(files_->data[1]).filename(),
                fs::copy_options::overwrite_existing);
  std::ofstream((*dir_ / "nested" / "notes.txt").string()) << "not a data file\n";

  const ToolRun r = RunTool("check --output summary " + Sys() + " " + (*dir_ / "nested").string(),
                            /*keepStderr=*/false);
  EXPECT_EQ(r.status, 0);
  const std::vector<std::string> got = SummaryFiles(r.out);
  const std::vector<std::string> want = {
      first.string(), (nested / fs::path(files_->data[1]).filename()).string()};
  EXPECT_EQ(got, want);
  fs::remove_all(*dir_ / "nested");
}

TEST_F(ToolArchiveTest, WhatAUserExpects) {
  const fs::path odd = *dir_ / "odd";
  fs::create_directories(odd / "empty");
  const std::string good = files_->data[0];
  // A file that is gone by the time it is read: a dangling link with a data
  // file's name; one that cannot be read: a pipe with a data file's name
  // (reading it would wait forever).
  const fs::path gone = odd / "A60001-201101.TXT";
  const fs::path pipe = odd / "A60002-201101.TXT";
  fs::create_symlink(*dir_ / "no-such-dir" / "A60001-201101.TXT", gone);
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  fs::copy_file(good, odd / "A60000-201101.TXT");

  struct Case {
    const char* what;
    std::string args;
    int status;
    std::vector<std::string> checked;  // files in the summary, in order
    std::string stderrHas;
  };
  const std::string empty = (odd / "empty").string();
  const std::vector<Case> cases = {
      {"a directory and a file", empty + " " + good, 0, {good}, "no A, R or Y data file"},
      {"an empty directory", empty, 0, {}, "no A, R or Y data file in the directory"},
      {"a path that does not exist", (odd / "missing").string() + " " + good, 2, {good},
       "no such file or directory"},
      {"a vanished and an unreadable file among good ones", odd.string(), 2,
       {(odd / "A60000-201101.TXT").string(), gone.string(), pipe.string()},
       "could not be checked"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ToolRun r = RunTool("check --output summary " + Sys() + " " + c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(SummaryFiles(r.out), c.checked);
    const std::string err = StderrOf("check --output summary " + Sys() + " " + c.args);
    EXPECT_NE(err.find(c.stderrHas), std::string::npos) << err;
  }
  // The good file among the bad ones is still checked and clean.
  const ToolRun r = RunTool("check --output summary " + Sys() + " " + odd.string());
  EXPECT_NE(r.out.find((odd / "A60000-201101.TXT").string() + "\tA\tyes\t0\t0\t0\tok"),
            std::string::npos)
      << r.out;
  fs::remove_all(odd);
}

TEST_F(ToolArchiveTest, ProgressShowsOnATerminalOnly) {
  // `script` runs the tool with a pseudo-terminal as its standard error.
  if (::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script(1)";
  const std::string log = (*dir_ / "tty.log").string();
  const std::string inner = std::string(KELVANE_TOOL_PATH) + " check --output summary " + Sys() +
                            " " + Data() + " >/dev/null";
  const std::string cmd = "script -qec '" + inner + "' " + log + " >/dev/null 2>&1";
  ASSERT_EQ(::system(cmd.c_str()), 0);
  std::ifstream in(log, std::ios::binary);
  const std::string seen((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(seen.find(" files/s "), std::string::npos) << seen;
  EXPECT_NE(seen.find("/" + std::to_string(files_->data.size()) + " files"), std::string::npos)
      << seen;
  EXPECT_NE(seen.find("files checked"), std::string::npos);  // the summary line

  // Without a terminal: the summary line only, no progress.
  const std::string plain = StderrOf("check --output summary " + Sys() + " " + Data());
  EXPECT_EQ(plain.find('\r'), std::string::npos);
  EXPECT_EQ(plain.find("files/s"), std::string::npos);
  EXPECT_NE(plain.find("files checked"), std::string::npos);
  // --quiet: nothing at all on standard error for a clean run.
  EXPECT_EQ(StderrOf("check --quiet --output summary " + Sys() + " " + Data()), "");
}

}  // namespace
