#pragma once

#include <optional>
#include <vector>

// The wall-clock time of every frame of a run, for its pacing: how the slow frames
// compare with the typical one.
class FrameTimes {
public:
  void add(double seconds) { seconds_.push_back(seconds); }
  // Makes room for that many frames at once, so that adding them takes no more memory.
  void reserve(std::size_t frames);
  // The bytes that the times take up.
  std::size_t heldBytes() const { return seconds_.capacity() * sizeof(double); }
  std::size_t count() const { return seconds_.size(); }

  // The time that the given share (0 to 1) of the frames take at most, by nearest
  // rank: 0.5 the median, 0.99 the 99th percentile, 1 the slowest frame. Nothing
  // without frames.
  std::optional<double> percentile(double share) const;

private:
  std::vector<double> seconds_;
};
