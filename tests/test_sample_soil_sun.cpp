// Sample A files of every station over a whole year and several seeds give
// no finding from the ground temperature, frozen soil, sunshine,
// evaporation, snow and ground-state audits.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <string>

#include "host/check_file.h"
#include "sample/sample_afile.h"
#include "sample/sample_stations.h"
#include "sample/sample_sysdir.h"

namespace kelvane::sample {
namespace {

namespace fs = std::filesystem;

// Whether a finding comes from one of these audits.
bool SoilSunFinding(const host::Finding& f) {
  static const std::set<std::string> elements = {
      "5cm地温",  "10cm地温", "15cm地温", "20cm地温", "40cm地温", "80cm地温",
      "160cm地温", "320cm地温", "深层地温", "冻土深度", "日照时数", "蒸发量",
      "积雪",     "地面状态", "文件首部"};
  if (elements.count(f.Element)) return true;
  if (f.Element == "天气现象") return f.RelatedItem == "蒸发量" || f.RelatedItem == "积雪";
  return f.Element == "地面温度" && f.RelatedItem == "5cm地温";
}

TEST(SampleSoilSun, AYearOfMonthsIsCleanForEverySeed) {
  const fs::path root =
      fs::temp_directory_path() / ("kelvane_sample_soil_sun_" + std::to_string(::getpid()));
  WriteSampleSystemDirectory(root.string());
  const std::string sys = root.string() + "/";
  std::map<std::string, int> tally;
  for (uint32_t seed : {20120301u, 7u, 4242u}) {
    const fs::path dir = root / std::to_string(seed);
    fs::create_directories(dir);
    for (const SampleStation& s : SampleStations()) {
      WriteSampleAFile(s, 2011, 12, seed, dir.string());
      for (int month = 1; month <= 12; ++month) {
        const std::string path = WriteSampleAFile(s, 2012, month, seed, dir.string());
        WriteSampleJFile(s, 2012, month, seed, dir.string());
        SCOPED_TRACE(path);
        const host::FileResult r = host::CheckFile(path, {sys, false, {}});
        ASSERT_TRUE(r.status.ok()) << r.status.description();
        for (const host::Finding& f : r.findings) {
          if (!SoilSunFinding(f)) continue;
          ++tally[f.Message + " | " + f.Element + " | " + f.TimeOrItem];
          ADD_FAILURE() << fs::path(path).filename().string() << " | " << f.Message << " | " << f.Element << " | " << f.RelatedItem << " | day "
                        << f.Day << " | " << f.TimeOrItem;
        }
      }
    }
  }
  for (const auto& [what, n] : tally) std::cout << n << "  " << what << "\n";
  std::error_code ec;
  fs::remove_all(root, ec);
}

}  // namespace
}  // namespace kelvane::sample
