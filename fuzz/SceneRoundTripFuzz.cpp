// libFuzzer target fuzz-scene-round-trip: see FuzzEntries::roundTripScene.
#include <cstddef>
#include <cstdint>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzEntries::roundTripScene(data, size);
  return 0;
}
