#pragma once

#include <array>
#include <cstdint>

#include "GlBinding.h"

// The statistics overlay's font: 8x8 pixel glyphs for the printable ASCII codes,
// compiled into one display list per byte code so that a text is drawn by calling
// the lists of its bytes. Every other code draws a blank cell.
class BitmapFont {
public:
  static constexpr int cellSize = 8;
  // Byte codes 0 to 254 have a list each.
  static constexpr int listCount = 255;
  static constexpr unsigned char firstPrintable = 32;
  static constexpr unsigned char lastPrintable = 126;
  // Rows of one glyph from the top down; bit 7 is the leftmost pixel.
  using Glyph = std::array<std::uint8_t, cellSize>;

  // The glyph of a byte code; blank outside the printable range.
  static const Glyph& glyph(unsigned char code);
  // Compiles the lists on the current rendering context; returns the first list, or
  // 0 when no lists could be made.
  static GLuint compile();
};
