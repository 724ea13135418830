// Reads arbitrary bytes as a scene file, the way zirrow-level check does.
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "LevelFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/zirrow-fuzz-" + std::to_string(getpid()) + ".bin";
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return 0;
  std::fwrite(data, 1, size, out);
  std::fclose(out);
  const LevelFile file(path);
  return 0;
}
