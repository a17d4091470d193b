// check: format check (and audit) of data files, findings as a table, CSV or JSON.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "commands.h"
#include "display.h"
#include "host/check_file.h"
#include "host/output.h"

namespace kelvane::tool {

namespace {

struct CheckArgs {
  std::string sys = DefaultSysDir();
  bool formatOnly = false;
  std::string output = "table";
  unsigned jobs = 0;  // 0: one per core
  std::vector<std::string> files;
};

// Checks files[begin, end) on up to `jobs` threads; results in file order.
// Each file gets its own component instance, so the threads share nothing
// but the database table cache, which is locked.
std::vector<host::FileResult> CheckRange(const std::vector<std::string>& files, size_t begin,
                                         size_t end, const host::CheckOptions& opt,
                                         unsigned jobs) {
  std::vector<host::FileResult> results(end - begin);
  std::atomic<size_t> next{begin};
  auto work = [&] {
    for (size_t i; (i = next.fetch_add(1)) < end;) results[i - begin] = host::CheckFile(files[i], opt);
  };
  const unsigned n = static_cast<unsigned>(std::min<size_t>(jobs, end - begin));
  if (n <= 1) {
    work();
    return results;
  }
  std::vector<std::thread> pool;
  pool.reserve(n);
  for (unsigned t = 0; t < n; ++t) pool.emplace_back(work);
  for (std::thread& th : pool) th.join();
  return results;
}

void PrintTable(const host::FileResult& r) {
  std::printf("%s\n", r.file.c_str());
  if (!r.status.ok()) {
    std::printf("  error: %s\n\n", r.status.description().c_str());
    return;
  }
  if (r.findings.empty()) {
    std::printf("  no findings\n\n");
    return;
  }
  std::vector<std::vector<std::string>> rows{
      {"Level", "Message", "Element", "RelatedItem", "Day", "TimeOrItem", "Line"}};
  for (const auto& f : r.findings)
    rows.push_back({f.Level, f.Message, f.Element, f.RelatedItem, f.Day, f.TimeOrItem, f.Line});
  PrintAlignedTable(stdout, rows);
  std::printf("\n");
}

}  // namespace

void AddCheckCommand(CLI::App& app, int* exitCode) {
  static CheckArgs args;
  auto* cmd = app.add_subcommand("check", "Format-check and audit data files (A files)");
  cmd->add_option("--sys", args.sys, "system directory (holds Sysconfig/SysLib.mdb)");
  cmd->add_flag("--format-only", args.formatOnly, "run the format check only");
  cmd->add_option("--output", args.output, "table, csv or json")
      ->check(CLI::IsMember({"table", "csv", "json"}));
  cmd->add_option("-j,--jobs", args.jobs, "files checked in parallel (default: one per core)");
  cmd->add_option("FILE", args.files, "data files; the kind comes from the name's first letter")
      ->required();
  cmd->callback([exitCode] {
    host::CheckOptions opt;
    opt.sysPath = args.sys;
    opt.formatOnly = args.formatOnly;
    opt.warn = [](const std::string& text, const std::string& caption) {
      std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    };
    int code = kExitOk;
    bool firstJson = true;
    if (args.output == "csv") std::fputs(host::CsvHeader().c_str(), stdout);
    if (args.output == "json") std::fputs("[", stdout);
    const unsigned jobs =
        args.jobs > 0 ? args.jobs : std::max(1u, std::thread::hardware_concurrency());
    // Files are checked a batch at a time, so memory stays bounded on a
    // whole archive while the output keeps the order of the arguments.
    const size_t batch = static_cast<size_t>(jobs) * 32;
    for (size_t begin = 0; begin < args.files.size(); begin += batch) {
      const size_t end = std::min(args.files.size(), begin + batch);
      for (host::FileResult& r : CheckRange(args.files, begin, end, opt, jobs)) {
        const std::string& file = r.file;
        if (!r.checked) {
          std::fprintf(stderr, "kelvane: %s: not a file kind this tool checks (skipped)\n",
                       file.c_str());
          continue;
        }
        if (!r.status.ok()) {
          std::fprintf(stderr, "kelvane: %s: %s\n", file.c_str(), r.status.description().c_str());
          code = kExitUsage;
        } else if (r.HasError() && code == kExitOk) {
          code = kExitFindings;
        }
        if (args.output == "csv") {
          std::fputs(host::CsvRows(r).c_str(), stdout);
        } else if (args.output == "json") {
          std::fputs(firstJson ? "\n" : ",\n", stdout);
          std::fputs(host::JsonObject(r).c_str(), stdout);
          firstJson = false;
        } else {
          PrintTable(r);
        }
      }
    }
    if (args.output == "json") std::fputs("\n]\n", stdout);
    *exitCode = code;
  });
}

}  // namespace kelvane::tool
