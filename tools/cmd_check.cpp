// check: format check and audit of data files and directories of them;
// findings as a table, CSV, JSON or a one-row-per-file summary.
//
// Files are checked by a pool of workers, each with its own component
// instances reused from file to file. Results are written in the order of
// the walk (the arguments in order, a directory's files in sorted path
// order) as soon as every earlier file is done, so the first results appear
// while later files are still being checked; at most a few results per
// worker wait to be written, so memory does not grow with the number of
// files.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "commands.h"
#include "check_run.h"
#include "display.h"
#include "host/check_file.h"
#include "host/file_walk.h"
#include "host/output.h"

namespace kelvane::tool {

namespace {

using Clock = std::chrono::steady_clock;

struct CheckArgs {
  std::string sys = DefaultSysDir();
  bool formatOnly = false;
  std::string output = "table";
  unsigned jobs = 0;  // 0: one per core
  bool quiet = false;
  long maxFindings = 10000;                  // per file; 0: no limit
  uint64_t maxFileSize = 64ull * 1024 * 1024;  // bytes; 0: no limit
  std::vector<std::string> paths;
};

void PrintTable(std::FILE* out, const host::FileResult& r) {
  std::fprintf(out, "%s\n", r.file.c_str());
  if (!r.status.ok()) {
    std::fprintf(out, "  error: %s\n\n", r.status.description().c_str());
    return;
  }
  if (r.findings.empty()) {
    std::fprintf(out, "  no findings\n\n");
    return;
  }
  std::vector<std::vector<std::string>> rows{
      {"Level", "Message", "Element", "RelatedItem", "Day", "TimeOrItem", "Line"}};
  for (const auto& f : r.findings)
    rows.push_back({f.Level, f.Message, f.Element, f.RelatedItem, f.Day, f.TimeOrItem, f.Line});
  PrintAlignedTable(out, rows);
  std::fprintf(out, "\n");
}

struct LevelCounts {
  size_t errors = 0, suspicious = 0, other = 0;
};

LevelCounts CountLevels(const host::FileResult& r) {
  LevelCounts c;
  for (const auto& f : r.findings) {
    if (f.Level == "错误")
      ++c.errors;
    else if (f.Level == "可疑")
      ++c.suspicious;
    else
      ++c.other;
  }
  return c;
}

std::string SummaryHeader() { return "File\tKind\tUsable\t错误\t可疑\tOther\tStatus\n"; }

std::string SummaryRow(const host::FileResult& r) {
  const LevelCounts c = CountLevels(r);
  std::string row = r.file;
  row += '\t';
  row += r.kind;
  row += r.status.ok() ? (r.usable ? "\tyes\t" : "\tno\t") : "\t-\t";
  row += std::to_string(c.errors) + '\t' + std::to_string(c.suspicious) + '\t' +
         std::to_string(c.other) + '\t';
  row += r.status.ok() ? std::string("ok") : "error: " + r.status.description();
  row += '\n';
  return row;
}

std::string Duration(double seconds) {
  char buf[32];
  if (seconds < 60) {
    std::snprintf(buf, sizeof buf, "%.1f s", seconds);
  } else {
    const long s = static_cast<long>(seconds + 0.5);
    std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  }
  return buf;
}

// The progress line on standard error: files done of all, files per second,
// the time left. Drawn only on a terminal, at most ten times a second, and
// wiped before anything else is written.
class Progress {
 public:
  Progress(bool enabled, size_t total) : enabled_(enabled), total_(total) {}

  void Draw(size_t done, Clock::time_point start) {
    if (!enabled_) return;
    const Clock::time_point now = Clock::now();
    if (shown_ && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    const double elapsed = std::chrono::duration<double>(now - start).count();
    const double rate = elapsed > 0 ? static_cast<double>(done) / elapsed : 0;
    constexpr int kWidth = 30;
    const int filled =
        total_ > 0 ? static_cast<int>(kWidth * std::min<size_t>(done, total_) / total_) : 0;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kWidth - filled), '.');
    std::string left = "-";
    if (rate > 0 && total_ >= done) left = Duration(static_cast<double>(total_ - done) / rate);
    std::fprintf(stderr, "\r\033[K[%s] %zu/%zu files  %.1f files/s  %s left", bar.c_str(), done,
                 total_, rate, left.c_str());
    std::fflush(stderr);
    shown_ = true;
  }

  void Wipe() {
    if (!shown_) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    shown_ = false;
  }

  bool enabled() const { return enabled_; }

 private:
  bool enabled_;
  size_t total_;
  bool shown_ = false;
  Clock::time_point last_{};
};

int RunCheck(const CheckArgs& args) {
  const Clock::time_point start = Clock::now();
  host::CheckOptions opt;
  opt.sysPath = args.sys;
  opt.formatOnly = args.formatOnly;
  opt.maxFindings = args.maxFindings;
  opt.maxFileSize = args.maxFileSize;
  Progress* progressForWarnings = nullptr;
  std::mutex warnMu;
  // A fault of the reference data is met again with every file that reads
  // it: each distinct warning is shown once.
  std::set<std::string> warned;
  opt.warn = [&](const std::string& text, const std::string& caption) {
    std::lock_guard<std::mutex> lock(warnMu);
    if (!warned.insert(caption + '\n' + text).second) return;
    if (progressForWarnings) progressForWarnings->Wipe();
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  };
  const unsigned jobs =
      args.jobs > 0 ? args.jobs : std::max(1u, std::thread::hardware_concurrency());
  const bool showProgress = !args.quiet && ::isatty(STDERR_FILENO) == 1;
  Progress progress(showProgress, showProgress ? host::CountFiles(args.paths) : 0);
  progressForWarnings = &progress;

  int code = kExitOk;
  size_t files = 0, withErrors = 0, suspicious = 0, failed = 0, skipped = 0;
  bool firstJson = true;
  std::FILE* out = stdout;
  if (args.output == "csv") std::fputs(host::CsvHeader().c_str(), out);
  if (args.output == "json") std::fputs("[", out);
  if (args.output == "summary") std::fputs(SummaryHeader().c_str(), out);

  auto emit = [&](const host::FileResult& r) {
    std::lock_guard<std::mutex> lock(warnMu);
    progress.Wipe();
    if (!r.checked) {
      std::error_code ec;
      if (!std::filesystem::exists(r.file, ec)) {
        ++failed;
        std::fprintf(stderr, "kelvane: %s: no such file or directory\n", r.file.c_str());
        code = kExitUsage;
        return;
      }
      ++skipped;
      std::fprintf(stderr, "kelvane: %s: not a file kind this tool checks (skipped)\n",
                   r.file.c_str());
      return;
    }
    ++files;
    if (!r.status.ok()) {
      ++failed;
      std::fprintf(stderr, "kelvane: %s: %s\n", r.file.c_str(), r.status.description().c_str());
      code = kExitUsage;
    } else {
      const LevelCounts c = CountLevels(r);
      suspicious += c.suspicious;
      if (c.errors > 0) {
        ++withErrors;
        if (code == kExitOk) code = kExitFindings;
      }
    }
    if (args.output == "csv") {
      std::fputs(host::CsvRows(r).c_str(), out);
    } else if (args.output == "json") {
      std::fputs(firstJson ? "\n" : ",\n", out);
      std::fputs(host::JsonObject(r).c_str(), out);
      firstJson = false;
    } else if (args.output == "summary") {
      std::fputs(SummaryRow(r).c_str(), out);
    } else {
      PrintTable(out, r);
    }
    if (progress.enabled()) std::fflush(out);
  };
  auto problem = [&](const host::FileWalk::Problem& p) {
    std::lock_guard<std::mutex> lock(warnMu);
    progress.Wipe();
    std::fprintf(stderr, "kelvane: %s: %s\n", p.path.c_str(), p.message.c_str());
    if (p.message.rfind("cannot", 0) == 0) code = kExitUsage;
  };
  size_t done = 0;
  auto idle = [&](size_t printed) {
    std::lock_guard<std::mutex> lock(warnMu);
    done = printed;
    progress.Draw(done, start);
  };

  Run run(args.paths, opt, jobs);
  run.Go(emit, problem, idle);

  if (args.output == "json") std::fputs("\n]\n", out);
  std::fflush(out);
  progress.Wipe();
  progressForWarnings = nullptr;
  if (!args.quiet) {
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::fprintf(stderr,
                 "kelvane: %zu file%s checked, %zu with errors, %zu suspicious finding%s, %zu "
                 "could not be checked",
                 files, files == 1 ? "" : "s", withErrors, suspicious, suspicious == 1 ? "" : "s",
                 failed);
    if (skipped > 0) std::fprintf(stderr, ", %zu skipped", skipped);
    std::fprintf(stderr, " (%s)\n", Duration(elapsed).c_str());
  }
  return code;
}

}  // namespace

void AddCheckCommand(CLI::App& app, int* exitCode) {
  static CheckArgs args;
  auto* cmd = app.add_subcommand(
      "check", "Format-check and audit data files, and the data files of directories");
  cmd->add_option("--sys", args.sys, "system directory (holds Sysconfig/SysLib.mdb)");
  cmd->add_flag("--format-only", args.formatOnly, "run the format check only");
  cmd->add_option("--output", args.output, "table, csv, json or summary (one row per file)")
      ->check(CLI::IsMember({"table", "csv", "json", "summary"}));
  cmd->add_option("-j,--jobs", args.jobs, "files checked in parallel (default: one per core)");
  cmd->add_flag("-q,--quiet", args.quiet, "no progress display and no summary line");
  cmd->add_option("--max-findings", args.maxFindings,
                  "findings kept per file, the rest counted in one last row (0: no limit)")
      ->capture_default_str()
      ->check(CLI::NonNegativeNumber);
  cmd->add_option("--max-file-size", args.maxFileSize,
                  "larger files are not read and count as not checked, in bytes (0: no limit)")
      ->capture_default_str();
  cmd->add_option("PATH", args.paths,
                  "data files (the kind comes from the name's first letter) or directories "
                  "(walked for A, R and Y files)")
      ->required();
  cmd->callback([exitCode] { *exitCode = RunCheck(args); });
}

}  // namespace kelvane::tool
