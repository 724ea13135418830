// libFuzzer target fuzz-settings-file: see FuzzEntries::parseSettingsFile.
#include <cstddef>
#include <cstdint>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzEntries::parseSettingsFile(data, size);
  return 0;
}
