// The archive corpus carries the R files of its radiation stations, and
// kelvane check over the corpus checks them as R files without a finding;
// a damaged R file among them is found and reported alone.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sample/sample_corpus.h"
#include "sample/sample_stations.h"
#include "scratch_dir.h"
#include "tool_run.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

TEST(RFileCorpus, RadiationStationsHaveRFilesThatCheckClean) {
  testing::ScratchDir dir("kelvane_rfile_corpus");
  const sample::CorpusFiles files = sample::WriteSampleCorpus(dir.dir().string(), 4, 2, 11, 1);
  const std::vector<sample::SampleStation> stations = sample::CorpusStations(4);
  std::vector<std::string> rNames;
  for (const std::string& f : files.data) {
    const std::string name = fs::path(f).filename().string();
    if (name[0] == 'R') rNames.push_back(name);
  }
  std::vector<std::string> expect;
  for (const sample::SampleStation& s : stations)
    if (sample::RadiationClassCode(s) != '0')
      for (const char* month : {"201101", "201102"})
        expect.push_back("R" + s.StationNum + "-" + month + ".TXT");
  ASSERT_FALSE(expect.empty());
  EXPECT_EQ(rNames, expect);

  const std::string data = (dir.dir() / "data").string();
  const std::string sys = "--sys " + dir.dir().string();
  testing::ToolRun r = testing::RunTool("check --output json " + sys + " " + data);
  EXPECT_EQ(r.status, 0) << r.out;
  const auto j = nlohmann::json::parse(r.out);
  ASSERT_EQ(j.size(), files.data.size());
  size_t rChecked = 0;
  for (const auto& f : j) {
    EXPECT_EQ(f["status"], "ok") << f["file"];
    if (fs::path(f["file"].get<std::string>()).filename().string()[0] == 'R') ++rChecked;
  }
  EXPECT_EQ(rChecked, expect.size());

  // The remarks of one R file never close: only that file is unusable.
  const fs::path broken = dir.dir() / "data" / expect.front();
  std::vector<std::string> lines;
  {
    std::ifstream in(broken, std::ios::binary);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
  }
  ASSERT_FALSE(lines.empty());
  std::string& last = lines.back();
  if (!last.empty() && last.back() == '\r') last.pop_back();
  ASSERT_EQ(last.back(), '=');
  last.pop_back();
  {
    std::ofstream out(broken, std::ios::binary | std::ios::trunc);
    for (const std::string& l : lines) out << l << (l.ends_with('\r') ? "\n" : "\r\n");
  }
  r = testing::RunTool("check --output summary " + sys + " " + data);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find(broken.string() + "\tR\tno\t1\t0\t0\tok"), std::string::npos) << r.out;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), static_cast<long>(files.data.size()) + 1);
}

}  // namespace
}  // namespace kelvane
