// The kelvane tool end to end: output and exit status of its subcommands.
#include <gtest/gtest.h>

#include "tool_run.h"
#include <unistd.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using kelvane::testing::RunTool;
using kelvane::testing::ToolRun;

std::string JetSys() { return std::string(KELVANE_TEST_DATA) + "/jet4/sys"; }

TEST(ToolTest, WindConversions) {
  struct Case {
    const char* args;
    const char* out;
  };
  const Case cases[] = {
      {"wind NNE 35", "23\n"}, {"wind NNE 0", "C\n"},  {"wind NNE -", "-\n"},
      {"wind NNE ''", "\n"},   {"wind XYZ 35", "-\n"}, {"wind 270 35", "270\n"},
  };
  for (const auto& c : cases) {
    ToolRun r = RunTool(c.args);
    EXPECT_EQ(r.status, 0) << c.args;
    EXPECT_EQ(r.out, c.out) << c.args;
  }
}

TEST(ToolTest, UsageErrorsExitWithTwo) {
  EXPECT_EQ(RunTool("").status, 2);
  EXPECT_EQ(RunTool("wind NNE").status, 2);
  EXPECT_EQ(RunTool("frobnicate").status, 2);
  EXPECT_EQ(RunTool("check --output xml x").status, 2);
}

TEST(ToolTest, DbShowReadsJetAndSqliteAlike) {
  ToolRun jet = RunTool("db show --sys " + JetSys() + " tabStationParameter 54511");
  ASSERT_EQ(jet.status, 0);
  EXPECT_NE(jet.out.find("39.48N"), std::string::npos);
  EXPECT_NE(jet.out.find("基本站"), std::string::npos);

  // The sample directory registers the same station the same way.
  auto dir = std::filesystem::temp_directory_path() /
             ("kelvane_tool_test_sys_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  ASSERT_EQ(RunTool("sample --out " + dir.string()).status, 0);
  ToolRun sql = RunTool("db show --sys " + dir.string() + " tabStationParameter 54511");
  ASSERT_EQ(sql.status, 0);
  EXPECT_NE(sql.out.find("39.48N"), std::string::npos);
  EXPECT_NE(sql.out.find("基本站"), std::string::npos);

  // The fixture holds 0.1 MJ/m² per day: latitude 10, January 175, February 190.
  ToolRun rad = RunTool("db show --sys " + JetSys() + " tabPossibleDirectRadiation");
  ASSERT_EQ(rad.status, 0);
  EXPECT_NE(rad.out.find("175  190  203"), std::string::npos);
  std::filesystem::remove_all(dir);
}

TEST(ToolTest, DbShowErrorsExitWithTwo) {
  EXPECT_EQ(RunTool("db show --sys /nonexistent tabStationParameter").status, 2);
  EXPECT_EQ(RunTool("db show --sys " + JetSys() + " tabNoSuchTable").status, 2);
  EXPECT_EQ(RunTool("db show --sys " + JetSys() + " tabStationParameter 99998").status, 2);
}

}  // namespace
