// libFuzzer target fuzz-level-play: see FuzzEntries::playLevels.
#include <cstddef>
#include <cstdint>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzEntries::playLevels(data, size);
  return 0;
}
