#include <gtest/gtest.h>

#include "FileNames.h"

TEST(FileNames, BackslashesBecomeSlashes) {
  EXPECT_EQ(nativeFileName("sounds\\Bgun.wav"), "sounds/Bgun.wav");
  EXPECT_EQ(nativeFileName("a\\\\b\\c"), "a//b/c");
  EXPECT_EQ(nativeFileName("levels/one.scn"), "levels/one.scn");
  EXPECT_EQ(nativeFileName(""), "");
}
