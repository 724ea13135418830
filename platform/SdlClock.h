#pragma once

#include <cstdint>

#include "FmClock.h"

// The SDL performance counter. The frequency is asked for once, when the clock is
// built; SDL needs no initialisation for either.
class SdlClock : public FmClock {
public:
  SdlClock();

  std::uint64_t counter() const override;
  std::uint64_t frequency() const override { return frequency_; }

private:
  std::uint64_t frequency_;
};
