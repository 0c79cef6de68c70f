#include "swde/platform/Sysutils.hpp"

#include <gtest/gtest.h>

TEST(Sysutils, Smoke) { EXPECT_EQ(swde::Trim("  a "), "a"); }
