#include <gtest/gtest.h>

#include "wine_runner.h"

TEST(WineHarness, UnixPathsMapToTheZDrive) {
    EXPECT_EQ(qs::test::toWindowsPath("/work/a b/setup.exe"), "Z:\\work\\a b\\setup.exe");
    EXPECT_EQ(qs::test::toWindowsPath("/"), "Z:\\");
}
