#pragma once

#include <cmath>
#include <limits>

// The order of two key times as the keys' compare gives it: the difference times
// the factor, truncated towards zero. The result saturates at the int range, so that
// any time read from a file converts soundly; NaN compares equal.
inline int compareKeyTimes(float mine, float other, float factor) {
  const float scaled = (mine - other) * factor;
  if (std::isnan(scaled)) return 0;
  if (scaled >= static_cast<float>(std::numeric_limits<int>::max())) {
    return std::numeric_limits<int>::max();
  }
  if (scaled <= static_cast<float>(std::numeric_limits<int>::min())) {
    return std::numeric_limits<int>::min();
  }
  return static_cast<int>(scaled);
}
