#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "BenchOptions.h"
#include "FmClock.h"
#include "FmFrameStatistics.h"

struct BenchEvent {
  enum class Kind { hit, win, fail };

  std::int32_t frame;
  float time;
  Kind kind;
};

std::string_view kindName(BenchEvent::Kind kind);

struct BenchResult {
  std::int32_t frames = 0;
  std::vector<BenchEvent> events;
  FmFrameStatistics statistics;
};

// Loads the level as the game does (the "Bouncer" projectile, the chosen flock of a
// multi-level file, free flight), starts it and plays the frames: frame i runs at
// game time i × step, fires when it is listed, steers at the turn rates, and reacts
// to a won level (the flag is cleared) and a lost one (the flock restarts) as the
// game does. A member that leaves a flock during a frame is a hit. The frame clock
// times the statistics. Errors of the load propagate as the persistence library's
// exceptions.
BenchResult runBench(const BenchOptions& options, const FmClock& frameClock);
