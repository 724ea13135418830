#pragma once

#include <cstdint>

// The high-resolution counter that the engine measures time with. The frequency is
// the counter's ticks per second and stays the same for the clock's lifetime; 0
// means the platform has no such counter.
class FmClock {
public:
  virtual ~FmClock() = default;

  virtual std::uint64_t counter() const = 0;
  virtual std::uint64_t frequency() const = 0;
};
