#include "support/requirements.h"

#include <gtest/gtest.h>

#ifndef _WIN32
TEST(Requirements, FindsProgramsOnThePath) {
  EXPECT_FALSE(ov::testing::FindProgram("sh").empty());
  EXPECT_TRUE(ov::testing::FindProgram("no-such-program-anywhere").empty());
}
#endif
