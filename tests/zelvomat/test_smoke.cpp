#include <gtest/gtest.h>
#include "zelvomat/zelvomat.h"
TEST(Smoke, DateT) { double y = 0; DateT(1, 20000101.5, &y); EXPECT_EQ(y, 2451545.0); }
