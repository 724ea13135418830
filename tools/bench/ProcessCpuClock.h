#pragma once

#include <cstdint>
#include <ctime>

#include "FmClock.h"

// The processor time of the whole process, every thread of the OpenGL driver
// included: what a frame costs, however many other programs share the processors.
class ProcessCpuClock : public FmClock {
public:
  std::uint64_t counter() const override { return static_cast<std::uint64_t>(std::clock()); }
  std::uint64_t frequency() const override { return CLOCKS_PER_SEC; }
};
