#include <gtest/gtest.h>

#include "SdlClock.h"

TEST(SdlClock, CountsForwardWithAFixedFrequency) {
  const SdlClock clock;
  EXPECT_GT(clock.frequency(), 0u);
  EXPECT_EQ(clock.frequency(), clock.frequency());
  const auto before = clock.counter();
  EXPECT_GE(clock.counter(), before);
}
