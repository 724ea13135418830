#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "FrameTimes.h"

TEST(FrameTimes, WithoutFramesThereIsNoPercentile) {
  const FrameTimes times;
  EXPECT_FALSE(times.percentile(0.5));
  EXPECT_FALSE(times.percentile(1.0));
}

TEST(FrameTimes, PercentilesTakeTheNearestRankWhateverTheOrder) {
  std::vector<double> milliseconds;
  for (int i = 1; i <= 200; ++i) milliseconds.push_back(i);
  std::shuffle(milliseconds.begin(), milliseconds.end(), std::mt19937(7));
  FrameTimes times;
  for (const double value : milliseconds) times.add(value / 1000.0);
  EXPECT_EQ(times.count(), 200u);
  EXPECT_DOUBLE_EQ(*times.percentile(0.5), 0.100);
  EXPECT_DOUBLE_EQ(*times.percentile(0.9), 0.180);
  EXPECT_DOUBLE_EQ(*times.percentile(0.99), 0.198);
  EXPECT_DOUBLE_EQ(*times.percentile(1.0), 0.200);
  EXPECT_DOUBLE_EQ(*times.percentile(0.0), 0.001);
  // Shares outside 0..1 are held to it.
  EXPECT_DOUBLE_EQ(*times.percentile(2.0), 0.200);
  EXPECT_DOUBLE_EQ(*times.percentile(-1.0), 0.001);
}

TEST(FrameTimes, OneSlowFrameInAHundredIsTheNinetyNinthPercentileOnlyAboveIt) {
  FrameTimes times;
  for (int i = 0; i < 99; ++i) times.add(0.010);
  times.add(0.500);
  EXPECT_DOUBLE_EQ(*times.percentile(0.99), 0.010);
  EXPECT_DOUBLE_EQ(*times.percentile(1.0), 0.500);
  times.add(0.500);
  EXPECT_DOUBLE_EQ(*times.percentile(0.99), 0.500);
}
