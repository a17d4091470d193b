// report: the check of files and directories as one self-contained HTML
// page. Up to kPagesFrom files go on one page (overview, then each file);
// a larger run writes the overview as an index and one page per file in the
// folder "<out without .html>_files" beside it, so the index stays quick to
// open however many files the run has.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "check_run.h"
#include "commands.h"
#include "host/file_walk.h"
#include "host/html_report.h"

namespace kelvane::tool {

namespace {

constexpr size_t kPagesFrom = 51;  // more than 50 files: one page per file

struct ReportArgs {
  std::string sys = DefaultSysDir();
  std::string out = "report.html";
  unsigned jobs = 0;
  bool quiet = false;
  long maxFindings = 10000;
  uint64_t maxFileSize = 64ull * 1024 * 1024;
  std::vector<std::string> paths;
};

bool WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) return false;
  f.write(text.data(), static_cast<std::streamsize>(text.size()));
  f.close();
  return !f.fail();
}

int RunReport(const ReportArgs& args) {
  host::CheckOptions opt;
  opt.sysPath = args.sys;
  opt.maxFindings = args.maxFindings;
  opt.maxFileSize = args.maxFileSize;
  opt.keepArrays = true;
  std::mutex warnMu;
  std::set<std::string> warned;
  opt.warn = [&](const std::string& text, const std::string& caption) {
    std::lock_guard<std::mutex> lock(warnMu);
    if (warned.insert(caption + '\n' + text).second)
      std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  };
  const unsigned jobs =
      args.jobs > 0 ? args.jobs : std::max(1u, std::thread::hardware_concurrency());

  const std::filesystem::path out(args.out);
  const bool pages = host::CountFiles(args.paths) >= kPagesFrom;
  std::filesystem::path pageDir = out;
  pageDir.replace_extension();
  pageDir += "_files";
  if (pages) {
    std::error_code ec;
    std::filesystem::create_directories(pageDir, ec);
    if (ec) {
      std::fprintf(stderr, "kelvane: %s: cannot create the folder: %s\n", pageDir.c_str(),
                   ec.message().c_str());
      return kExitUsage;
    }
  }

  int code = kExitOk;
  bool writeFailed = false;
  host::HtmlReport report;
  std::string sections;
  auto emit = [&](const host::FileResult& r) {
    if (!r.checked) {
      std::error_code ec;
      if (!std::filesystem::exists(r.file, ec)) {
        std::fprintf(stderr, "kelvane: %s: no such file or directory\n", r.file.c_str());
        code = kExitUsage;
      } else {
        std::fprintf(stderr, "kelvane: %s: not a file kind this tool checks (skipped)\n",
                     r.file.c_str());
      }
      return;
    }
    if (!r.status.ok()) {
      std::fprintf(stderr, "kelvane: %s: %s\n", r.file.c_str(), r.status.description().c_str());
      code = kExitUsage;
    } else if (r.HasError() && code == kExitOk) {
      code = kExitFindings;
    }
    const size_t n = report.Files() + 1;
    if (!pages) {
      sections += report.AddFile(r, "#f" + std::to_string(n));
      return;
    }
    const std::string name = std::to_string(n) + ".html";
    const std::string href = pageDir.filename().string() + "/" + name;
    const std::string body = "<p><a href=\"../" + host::HtmlEscape(out.filename().string()) +
                             "\">&larr; index</a></p>\n" + report.AddFile(r, href);
    if (!WriteFile(pageDir / name, host::HtmlPage(r.file, body))) writeFailed = true;
  };
  auto problem = [&](const host::FileWalk::Problem& p) {
    std::fprintf(stderr, "kelvane: %s: %s\n", p.path.c_str(), p.message.c_str());
    if (p.message.rfind("cannot", 0) == 0) code = kExitUsage;
  };
  Run run(args.paths, opt, jobs);
  run.Go(emit, problem, [](size_t) {});

  if (!WriteFile(out, host::HtmlPage("Kelvane report", report.Overview() + sections)) ||
      writeFailed) {
    std::fprintf(stderr, "kelvane: %s: cannot write the report: %s\n", out.c_str(),
                 std::strerror(errno));
    return kExitUsage;
  }
  if (!args.quiet)
    std::fprintf(stderr, "kelvane: report of %zu file%s written to %s%s\n", report.Files(),
                 report.Files() == 1 ? "" : "s", out.c_str(),
                 pages ? (" (one page per file in " + pageDir.string() + ")").c_str() : "");
  return code;
}

}  // namespace

void AddReportCommand(CLI::App& app, int* exitCode) {
  static ReportArgs args;
  auto* cmd = app.add_subcommand(
      "report", "Check data files and directories and write the findings as an HTML page");
  cmd->add_option("--sys", args.sys, "system directory (holds Sysconfig/SysLib.mdb)");
  cmd->add_option("--out", args.out, "the HTML file to write")->capture_default_str();
  cmd->add_option("-j,--jobs", args.jobs, "files checked in parallel (default: one per core)");
  cmd->add_flag("-q,--quiet", args.quiet, "no summary line");
  cmd->add_option("--max-findings", args.maxFindings,
                  "findings kept per file, the rest counted in one last row (0: no limit)")
      ->capture_default_str()
      ->check(CLI::NonNegativeNumber);
  cmd->add_option("--max-file-size", args.maxFileSize,
                  "larger files are not read and count as not checked, in bytes (0: no limit)")
      ->capture_default_str();
  cmd->add_option("PATH", args.paths, "data files or directories (walked for A, R and Y files)")
      ->required();
  cmd->callback([exitCode] { *exitCode = RunReport(args); });
}

}  // namespace kelvane::tool
