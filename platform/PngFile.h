#pragma once

#include <cstdint>
#include <string>

// Writes an image as a PNG file: rows of red, green, blue and alpha bytes, top row
// first. Empty on success, otherwise what went wrong.
std::string writePngFile(const std::string& fileName, int width, int height,
                         const std::uint8_t* rgba);
