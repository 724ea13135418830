// libFuzzer target fuzz-level-file: see FuzzEntries::readSceneFile.
#include <cstddef>
#include <cstdint>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzEntries::readSceneFile(data, size);
  return 0;
}
