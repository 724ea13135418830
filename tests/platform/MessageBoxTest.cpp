#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "MessageBox.h"

TEST(MessageBox, WithoutADisplayGoesToStandardError) {
  for (const char* driver : {"offscreen", "dummy"}) {
    ASSERT_EQ(setenv("SDL_VIDEODRIVER", driver, 1), 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(showMessageBox("JPEG Fatal Error", "Empty JPEG image", true)) << driver;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "JPEG Fatal Error: Empty JPEG image\n");
  }
  unsetenv("SDL_VIDEODRIVER");
}
