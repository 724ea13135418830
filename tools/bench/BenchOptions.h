#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// What one headless run does: which level of which file, how many frames at which
// fixed time step, and the scripted input.
struct BenchOptions {
  static constexpr std::int32_t defaultFrames = 300;
  static constexpr double defaultStep = 1.0 / 30.0;
  static constexpr std::int32_t defaultShotEvery = 30;

  std::int32_t frames = defaultFrames;
  double step = defaultStep;
  std::int32_t level = 1;
  std::int32_t flock = 0;
  std::vector<std::int32_t> fireAt;
  // Fires at every frame whose number is a multiple of it too; 0: never.
  std::int32_t fireEvery = 0;
  // Records what the scene holds after every frame whose number is a multiple of
  // it (frame 0 included); 0: never.
  std::int32_t sampleEvery = 0;
  float turnPitch = 0.0f;
  float turnYaw = 0.0f;
  bool json = false;
  bool help = false;
  // Draws every frame in an offscreen OpenGL context; off, only the game logic runs.
  bool draw = true;
  // Where screenshots go; none without it.
  std::string shotDirectory;
  // Where one CSV row per frame goes; none without it.
  std::string traceFile;
  std::int32_t shotEvery = defaultShotEvery;
  std::string levelFile;
};

// Reads the command line after the program name; prints what is wrong to `errors`
// and gives nothing when the arguments can't be used.
std::optional<BenchOptions> parseBenchOptions(const std::vector<std::string>& arguments,
                                              std::ostream& errors);

void printBenchUsage(std::ostream& out);
