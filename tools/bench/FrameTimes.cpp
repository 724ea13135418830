#include "FrameTimes.h"

#include <algorithm>
#include <cmath>

void FrameTimes::reserve(std::size_t frames) {
  if (frames <= seconds_.capacity()) return;
  const std::size_t held = seconds_.size();
  // Writing the room makes it resident now rather than page by page during the run.
  seconds_.resize(frames);
  seconds_.resize(held);
}

std::optional<double> FrameTimes::percentile(double share) const {
  if (seconds_.empty()) return std::nullopt;
  const double clamped = std::clamp(share, 0.0, 1.0);
  const auto rank = static_cast<std::size_t>(std::ceil(clamped * static_cast<double>(count())));
  std::vector<double> sorted = seconds_;
  const auto at = sorted.begin() + static_cast<std::ptrdiff_t>(std::max<std::size_t>(rank, 1) - 1);
  std::nth_element(sorted.begin(), at, sorted.end());
  return *at;
}
