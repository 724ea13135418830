#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "BenchOptions.h"
#include "FmClock.h"
#include "FmFrameStatistics.h"
#include "FmPoint.h"
#include "FrameTimes.h"

// A launch is a projectile fired; a wrap, the game time going back as a looping scene
// begins again.
struct BenchEvent {
  enum class Kind { hit, win, fail, launch, wrap };

  std::int32_t frame;
  float time;
  Kind kind;
};

std::string_view kindName(BenchEvent::Kind kind);

// An axis-aligned box; empty while its minimum exceeds its maximum.
struct BenchBox {
  FmPoint minimum{1e30f, 1e30f, 1e30f};
  FmPoint maximum{-1e30f, -1e30f, -1e30f};

  bool empty() const { return minimum.x > maximum.x; }
  void add(const FmPoint& point, float radius);
};

// What the level held after a frame.
struct BenchSample {
  std::int32_t frame = 0;
  float time = 0.0f;
  // Nodes in the scene's tree, and those among them that expire (rockets, hit
  // creatures, explosions and their debris).
  std::size_t nodes = 0;
  std::size_t expiring = 0;
  std::size_t flockMembers = 0;
  // Where the active flock's members are.
  BenchBox flock;
  std::uint64_t residentKilobytes = 0;
  // The heap that the program holds, less the run's own record of events, samples and
  // frame times: what the engine and the level take.
  std::uint64_t heapKilobytes = 0;
};

// One frame's times in seconds, as the engine's statistics and the frame clock saw
// them: the whole frame, and within it the update, drawing (presenting included),
// collision pass and the wait for the driver to finish the frame (swap).
struct BenchFrame {
  float time = 0.0f;
  double whole = 0.0;
  float update = 0.0f;
  float draw = 0.0f;
  double swap = 0.0;
  float collision = 0.0f;
  // The processor time of the whole frame, every thread of the process counted.
  double cpu = 0.0;
  std::int32_t triangles = 0;
  std::uint32_t glCalls = 0;
  // Among the calls: textures bound, and materials applied outside display lists
  // (one glMaterialf each).
  std::uint32_t textureBinds = 0;
  std::uint32_t materialChanges = 0;
};

struct BenchResult {
  std::int32_t frames = 0;
  std::vector<BenchEvent> events;
  FmFrameStatistics statistics;
  // Each whole frame (steering, update, drawing, presenting, collision) on the frame
  // clock.
  FrameTimes frameTimes;
  // The processor time of each whole frame; empty without a processor clock.
  FrameTimes frameCpuTimes;
  // The OpenGL calls of each drawn frame, counted through the entry-point table;
  // empty when the run does not draw.
  std::vector<std::uint32_t> glCalls;
  // Of those, the texture binds and material changes of each drawn frame.
  std::vector<std::uint32_t> textureBinds;
  std::vector<std::uint32_t> materialChanges;
  // Every frame, in order, when a trace was asked for.
  std::vector<BenchFrame> frameRecords;
  // The process's peak resident memory at the end of the run.
  std::uint64_t peakMemoryKilobytes = 0;
  std::vector<BenchSample> samples;
  // What the level's objects take up at the start, flocks and projectiles aside.
  BenchBox levelBounds;
  // The active flock's time limit, which its timer bar runs over; 0: none.
  float timeLimit = 0.0f;

  // The heap bytes that this record's lists take up.
  std::size_t heldBytes() const;
};

// Drawing was asked for, but no OpenGL rendering context could be made.
class BenchDrawError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Loads the level as the game does (the "Bouncer" projectile, the chosen flock of a
// multi-level file, free flight), starts it and plays the frames: frame i runs at
// game time i × step, fires when it is listed, steers at the turn rates, and reacts
// to a won level (the flag is cleared) and a lost one (the flock restarts) as the
// game does. A member that leaves a flock during a frame is a hit. Unless told not
// to draw, every frame is drawn in an offscreen 800x600 OpenGL context (true colour)
// and presented, counting its OpenGL calls; screenshots of the frames chosen are
// taken while they are drawn.
// The frame clock times the statistics and every whole frame. Errors of the load propagate as the
// persistence library's exceptions; a context that can't be made raises
// BenchDrawError.
// The processor clock, when given, times each whole frame's processor time.
BenchResult runBench(const BenchOptions& options, const FmClock& frameClock,
                     const FmClock* cpuClock = nullptr);

class FmEngine;
class SteppedClock;

// Plays the level readied in the engine (see loadGameLevel) as runBench does, without
// drawing and without measuring the peak memory: starts it and plays the frames,
// stepping the clock, which must be the engine's game clock. The level file named
// in the options is not read.
BenchResult playReadiedLevel(const BenchOptions& options, FmEngine& engine, SteppedClock& clock,
                             const FmClock& frameClock);
