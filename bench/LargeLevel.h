#pragma once

#include <cstdint>
#include <string>

// A generated level far larger than the demo: a grid of textured hilly tiles, each
// its own object with its own mesh, and many large textures, half of them with
// alpha. Written with the scene writer, read back as the game reads levels.
class LargeLevel {
public:
  struct Size {
    int objects;
    int cellsPerSide;  // each tile has (cells + 1)^2 vertices and 2 cells^2 triangles
    int textures;
    int textureSide;
  };

  static Size full() { return {160, 24, 48, 512}; }
  static Size tiny() { return {4, 2, 2, 8}; }

  // Writes the level into the file; false when the file can't be written.
  static bool write(const std::string& path, const Size& size);
};
