// check: format check (and audit) of data files, findings as a table, CSV or JSON.
#include <cstdio>
#include <string>
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
  std::vector<std::string> files;
};

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
    for (const std::string& file : args.files) {
      host::FileResult r = host::CheckFile(file, opt);
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
    if (args.output == "json") std::fputs("\n]\n", stdout);
    *exitCode = code;
  });
}

}  // namespace kelvane::tool
