#include "FmRandom.h"

namespace {

constexpr float scaleToUnit = 3.0518509e-05f;  // 1 / largest

std::uint32_t state = 0;

}  // namespace

void FmRandom::seed(std::uint32_t value) {
  state = value;
}

int FmRandom::next() {
  state = state * multiplier + increment;
  return static_cast<int>((state >> 16) & largest);
}

float FmRandom::uniform() {
  return static_cast<float>(next()) * scaleToUnit;
}
