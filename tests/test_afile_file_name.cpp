// The A-file name at the end of a path, with and without the
// observation-mode suffix: the rule the format check and the audit's
// minute-file lookup share.
#include <gtest/gtest.h>

#include "afile/file_name.h"

namespace kelvane::afile {
namespace {

TEST(AFileName, SuffixAndLength) {
  struct Case {
    const char* path;
    char suffix;
    const char* name;
  };
  const Case cases[] = {
      {"/data/A54511-201203.TXT", '\0', "A54511-201203.TXT"},
      {"/data/A54511-201203-1.TXT", '1', "A54511-201203-1.TXT"},
      {"/data/A54511-201203-0.txt", '0', "A54511-201203-0.txt"},
      {"/data/A54511-201203-9.Txt", '9', "A54511-201203-9.Txt"},
      {"/data/A54511-201203-2.TXT", '\0', "4511-201203-2.TXT"},  // no such suffix
      {"/data/A54511-199912.TXT", '\0', "A54511-199912.TXT"},    // "-1" of the year only
      {"/data/A54511-201203-1.DAT", '\0', "4511-201203-1.DAT"},
      {"-1.TXT", '1', "-1.TXT"},  // shorter than a name: the whole path
      {"1.TXT", '\0', "1.TXT"},
      {"", '\0', ""},
      {"/数据/A54511-201203.TXT", '\0', "A54511-201203.TXT"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ObservationModeSuffix(c.path), c.suffix) << c.path;
    EXPECT_EQ(AFileNameLength(c.path), c.suffix ? 19u : 17u) << c.path;
    EXPECT_EQ(AFileName(c.path), c.name) << c.path;
  }
}

}  // namespace
}  // namespace kelvane::afile
