#pragma once

#include <cstdint>

#include "FmClock.h"

// A millisecond counter that moves only when the test says so.
class FakeClock : public FmClock {
public:
  std::uint64_t counter() const override { return ticks_; }
  std::uint64_t frequency() const override { return 1000; }

  void advanceMilliseconds(std::uint64_t milliseconds) { ticks_ += milliseconds; }

private:
  std::uint64_t ticks_ = 5'000;
};
