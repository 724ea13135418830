#include "FmFrameStatistics.h"

#include <algorithm>

void FmFrameStatistics::Range::record(float seconds) {
  current = seconds;
  minimum = std::min(minimum, seconds);
  maximum = std::max(maximum, seconds);
}

void FmFrameStatistics::recordDraw(float seconds, std::int32_t triangles) {
  draw_.record(seconds);
  triangles_ = triangles;
}

void FmFrameStatistics::endFrame() {
  lastTriangles_ = triangles_;
  const Frame frame{update_.current, draw_.current, collision_.current, triangles_};
  if (frame.total() > worst_.total()) worst_ = frame;
  if (frame.total() < best_.total()) best_ = frame;
}
