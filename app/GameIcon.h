#pragma once

#include <cstdint>
#include <vector>

// The game's icon: a light craft climbing over the sea past three flying creatures, on
// a rounded sky-blue square. It is drawn by the program at any size, so the window and
// the desktop's icon theme show the same picture.
class GameIcon {
public:
  // The size the game window shows; desktop icon sizes are drawn alike.
  static constexpr int windowSize = 64;

  struct Image {
    int width = 0;
    int height = 0;
    // Rows from the top, four bytes per pixel: red, green, blue, alpha (not premultiplied).
    std::vector<std::uint8_t> rgba;
  };

  // The icon in a square of that many pixels on a side (at least 1).
  static Image draw(int size);
};
