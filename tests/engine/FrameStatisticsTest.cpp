#include <gtest/gtest.h>

#include "FmFrameStatistics.h"

namespace {

void recordFrame(FmFrameStatistics& statistics, float update, float draw, float collision,
                 int triangles) {
  statistics.recordUpdate(update);
  statistics.recordDraw(draw, triangles);
  statistics.recordCollision(collision);
  statistics.endFrame();
}

TEST(FrameStatistics, StartWithExtremesThatTheFirstFrameReplaces) {
  FmFrameStatistics statistics;
  for (const auto* range : {&statistics.update(), &statistics.draw(), &statistics.collision()}) {
    EXPECT_EQ(range->minimum, 1e9f);
    EXPECT_EQ(range->maximum, -1e9f);
  }
  EXPECT_EQ(statistics.best().draw, 1e9f);
  EXPECT_EQ(statistics.worst().draw, -1e9f);

  recordFrame(statistics, 0.002f, 0.010f, 0.001f, 300);
  EXPECT_EQ(statistics.draw().minimum, 0.010f);
  EXPECT_EQ(statistics.draw().maximum, 0.010f);
  EXPECT_EQ(statistics.best().triangles, 300);
  EXPECT_EQ(statistics.worst().triangles, 300);
  EXPECT_EQ(statistics.lastTriangles(), 300);
}

TEST(FrameStatistics, KeepRangesAndTheBestAndWorstFrameBySummedTime) {
  FmFrameStatistics statistics;
  recordFrame(statistics, 0.002f, 0.010f, 0.001f, 300);
  recordFrame(statistics, 0.001f, 0.030f, 0.004f, 900);
  recordFrame(statistics, 0.003f, 0.005f, 0.002f, 100);
  recordFrame(statistics, 0.002f, 0.015f, 0.002f, 500);

  EXPECT_EQ(statistics.update().current, 0.002f);
  EXPECT_EQ(statistics.update().minimum, 0.001f);
  EXPECT_EQ(statistics.update().maximum, 0.003f);
  EXPECT_EQ(statistics.collision().minimum, 0.001f);
  EXPECT_EQ(statistics.collision().maximum, 0.004f);
  EXPECT_EQ(statistics.draw().maximum, 0.030f);
  EXPECT_EQ(statistics.worst().triangles, 900);
  EXPECT_EQ(statistics.worst().collision, 0.004f);
  EXPECT_EQ(statistics.best().triangles, 100);
  EXPECT_EQ(statistics.best().update, 0.003f);
  EXPECT_EQ(statistics.triangles(), 500);
  EXPECT_EQ(statistics.lastTriangles(), 500);
}

}  // namespace
