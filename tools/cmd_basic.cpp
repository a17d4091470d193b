// wind, db and sample subcommands.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "commands.h"
#include "common/database.h"
#include "common/error.h"
#include "display.h"
#include "sample/sample_afile.h"
#include "sample/sample_corpus.h"
#include "sample/sample_rfile.h"
#include "sample/sample_sysdir.h"
#include "kelvane/kelvane.h"

namespace kelvane::tool {

std::string DefaultSysDir() {
  if (const char* env = std::getenv("KELVANE_SYS")) return env;
  return "build/demo";
}

void AddWindCommand(CLI::App& app, int* exitCode) {
  auto* cmd = app.add_subcommand("wind", "Convert a 16-point direction code and speed to degrees");
  static std::string direction_store; auto* direction = &direction_store;
  static std::string speed_store; auto* speed = &speed_store;
  cmd->add_option("DIRECTION", *direction, "direction code (N, NNE, ..., C) or degrees")->required();
  cmd->add_option("SPEED", *speed, "speed text (tenths of m/s), '-' when not observed")->required();
  cmd->callback([=] {
    KelvaneA a;
    std::printf("%s\n", a.WindDToWindDValue(*direction, *speed).c_str());
    *exitCode = kExitOk;
  });
}

void AddDbCommand(CLI::App& app, int* exitCode) {
  auto* db = app.add_subcommand("db", "Inspect the station databases");
  db->require_subcommand(1);
  auto* show = db->add_subcommand("show", "Print a table of SysLib.mdb (or RadiationConstant.mdb)");
  static std::string sys_store = DefaultSysDir(); auto* sys = &sys_store;
  static std::string table_store; auto* table = &table_store;
  static std::string key_store; auto* key = &key_store;
  show->add_option("--sys", *sys, "system directory (holds Sysconfig/SysLib.mdb)");
  show->add_option("TABLE", *table, "table name, e.g. tabStationParameter")->required();
  show->add_option("KEY", *key, "only the row whose key column (StationNum) equals KEY");
  show->callback([=] {
    try {
      std::string path = db::SysLibPath(*sys);
      // The latitude tables live in the radiation database.
      if (table->rfind("tabPossible", 0) == 0) path = db::RadiationConstantPath(*sys);
      auto database = db::Database::Open(path, db::kRadiationConstantPassword);
      db::Recordset rs = database->OpenTable(*table);
      const auto& cols = rs.Columns();
      if (!key->empty()) {
        std::string keyColumn = rs.ColumnIndex("StationNum") >= 0 ? "StationNum" : cols.at(0);
        rs.Filter(keyColumn, *key);
        if (rs.Eof()) {
          std::fprintf(stderr, "kelvane: no row with %s = '%s' in %s\n", keyColumn.c_str(),
                       key->c_str(), table->c_str());
          *exitCode = kExitUsage;
          return;
        }
      }
      // Narrow tables as aligned columns, wide ones one "column: value" block per row.
      if (cols.size() <= 14) {
        std::vector<std::vector<std::string>> rows{cols};
        for (; !rs.Eof(); rs.MoveNext()) {
          std::vector<std::string> r;
          for (size_t c = 0; c < cols.size(); ++c) r.push_back(rs.Field(static_cast<int>(c)));
          rows.push_back(std::move(r));
        }
        PrintAlignedTable(stdout, rows);
      } else {
        size_t w = 0;
        for (const auto& c : cols) w = std::max(w, DisplayWidth(c));
        bool first = true;
        for (; !rs.Eof(); rs.MoveNext()) {
          if (!first) std::printf("\n");
          first = false;
          for (size_t c = 0; c < cols.size(); ++c)
            std::printf("%s%*s  %s\n", cols[c].c_str(), static_cast<int>(w - DisplayWidth(cols[c])),
                        "", rs.Field(static_cast<int>(c)).c_str());
        }
      }
      *exitCode = kExitOk;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "kelvane: %s\n", e.what());
      *exitCode = kExitUsage;
    }
  });
}

void AddSampleCommand(CLI::App& app, int* exitCode) {
  auto* cmd = app.add_subcommand(
      "sample", "Write a sample system directory with sample station files, or a corpus of them");
  struct SampleArgs {
    std::string out;
    int stations = 0;  // 0: the three sample stations, two months each
    int months = 12;
    uint32_t seed = 1;
    unsigned jobs = 0;
  };
  static SampleArgs args;
  cmd->add_option("--out", args.out, "directory to write")->required();
  cmd->add_option("--stations", args.stations,
                  "write a corpus of this many stations (their types in turn) instead")
      ->check(CLI::Range(1, 99999));
  cmd->add_option("--months", args.months, "corpus: consecutive months from January 2011")
      ->check(CLI::Range(1, 1200));
  cmd->add_option("--seed", args.seed, "corpus: seed of the sample weather");
  cmd->add_option("-j,--jobs", args.jobs, "corpus: stations written in parallel");
  cmd->callback([exitCode] {
    try {
      if (args.stations > 0) {
        const unsigned jobs =
            args.jobs > 0 ? args.jobs : std::max(1u, std::thread::hardware_concurrency());
        const sample::CorpusFiles files =
            sample::WriteSampleCorpus(args.out, args.stations, args.months, args.seed, jobs);
        std::printf("sample corpus written to %s: %d stations, %d months, %zu data files, %zu "
                    "minute data files\n",
                    args.out.c_str(), args.stations, args.months, files.data.size(),
                    files.minute.size());
        *exitCode = kExitOk;
        return;
      }
      sample::WriteSampleSystemDirectory(args.out);
      std::printf("sample system directory written to %s\n", args.out.c_str());
      std::vector<std::string> minuteFiles;
      for (const std::string& path : sample::WriteSampleStationFiles(args.out, &minuteFiles))
        std::printf("sample data file written: %s\n", path.c_str());
      for (const std::string& path : minuteFiles)
        std::printf("sample minute data file written: %s\n", path.c_str());
      for (const std::string& path : sample::WriteSampleRFiles(args.out))
        std::printf("sample radiation data file written: %s\n", path.c_str());
      for (const std::string& path : sample::WriteSampleYFiles(args.out))
        std::printf("sample yearly data file written: %s\n", path.c_str());
      *exitCode = kExitOk;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "kelvane: %s\n", e.what());
      *exitCode = kExitUsage;
    }
  });
}

}  // namespace kelvane::tool
