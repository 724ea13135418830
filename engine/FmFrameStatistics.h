#pragma once

#include <cstdint>

// The timings of the frames drawn so far: the latest, smallest and largest update,
// draw and collision times, and the best and worst frame by their summed time.
class FmFrameStatistics {
public:
  static constexpr float initialMinimum = 1e9f;
  static constexpr float initialMaximum = -1e9f;

  struct Range {
    float current = 0.0f;
    float minimum = initialMinimum;
    float maximum = initialMaximum;

    void record(float seconds);
  };

  struct Frame {
    float update;
    float draw;
    float collision;
    std::int32_t triangles;

    float total() const { return update + draw + collision; }
  };

  void recordUpdate(float seconds) { update_.record(seconds); }
  void recordDraw(float seconds, std::int32_t triangles);
  void recordCollision(float seconds) { collision_.record(seconds); }
  // Closes the frame: its triangle count becomes the last frame's, and it replaces
  // the worst or the best frame when its summed time is beyond theirs.
  void endFrame();

  const Range& update() const { return update_; }
  const Range& draw() const { return draw_; }
  const Range& collision() const { return collision_; }
  std::int32_t triangles() const { return triangles_; }
  std::int32_t lastTriangles() const { return lastTriangles_; }
  const Frame& best() const { return best_; }
  const Frame& worst() const { return worst_; }

private:
  Range update_;
  Range draw_;
  Range collision_;
  std::int32_t triangles_ = 0;
  std::int32_t lastTriangles_ = 0;
  Frame best_{initialMinimum, initialMinimum, initialMinimum, 0};
  Frame worst_{initialMaximum, initialMaximum, initialMaximum, 0};
};
