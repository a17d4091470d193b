#include <gtest/gtest.h>

#include "common/audit_list.h"

namespace kelvane {
namespace {
TEST(AuditListTest, Placeholder) { AuditList l; EXPECT_EQ(l.Count(), 0); }
}  // namespace
}  // namespace kelvane
