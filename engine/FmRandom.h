#pragma once

#include <cstdint>

// The program-wide pseudo-random generator: a 32-bit linear congruential
// sequence, so that seeding it again repeats every draw that follows.
class FmRandom {
public:
  static constexpr std::uint32_t multiplier = 214013;
  static constexpr std::uint32_t increment = 2531011;
  static constexpr int largest = 0x7FFF;

  static void seed(std::uint32_t state);
  // The next value from 0 to largest.
  static int next();
  // The next value scaled to 0..1.
  static float uniform();
};
