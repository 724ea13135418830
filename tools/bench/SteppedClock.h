#pragma once

#include <cstdint>

#include "FmClock.h"

// A counter in microseconds that moves only when it is set: it gives the engine a
// game time that advances by a fixed step per frame, however long frames take.
class SteppedClock : public FmClock {
public:
  static constexpr std::uint64_t ticksPerSecond = 1'000'000;

  std::uint64_t counter() const override { return ticks_; }
  std::uint64_t frequency() const override { return ticksPerSecond; }

  void setSeconds(double seconds) {
    ticks_ = static_cast<std::uint64_t>(seconds * static_cast<double>(ticksPerSecond) + 0.5);
  }

private:
  std::uint64_t ticks_ = 0;
};
