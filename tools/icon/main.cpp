// zirrow-icon SIZE FILE: writes the game's icon, SIZE pixels square, as a PNG file; the
// build makes the icon theme's pictures with it.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "GameIcon.h"
#include "PngFile.h"

namespace {

constexpr int largestSize = 1024;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: zirrow-icon SIZE FILE\n");
    return 2;
  }
  char* end = nullptr;
  const long size = std::strtol(argv[1], &end, 10);
  if (*argv[1] == '\0' || *end != '\0' || size < 1 || size > largestSize) {
    std::fprintf(stderr, "zirrow-icon: the size must be a whole number from 1 to %d, not %s\n",
                 largestSize, argv[1]);
    return 2;
  }
  const GameIcon::Image icon = GameIcon::draw(static_cast<int>(size));
  const std::string failure = writePngFile(argv[2], icon.width, icon.height, icon.rgba.data());
  if (!failure.empty()) {
    std::fprintf(stderr, "zirrow-icon: %s\n", failure.c_str());
    return 1;
  }
  return 0;
}
