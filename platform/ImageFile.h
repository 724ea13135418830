#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// A decoded picture: 4 bytes per pixel (red, green, blue, alpha), rows from the top.
struct DecodedImage {
  int width = 0;
  int height = 0;
  // The file kept an alpha channel or a transparent colour.
  bool hasAlpha = false;
  std::vector<std::uint8_t> rgba;
};

// Image files through SDL2_image: writing frame buffers as PNG pictures and decoding whatever the
// library reads (PNG, JPEG, Targa, BMP, ...). Failures give the reason in `error`.
class ImageFile {
public:
  // Writes 24-bit RGB pixels, 3 bytes each, whose rows run from the bottom of the
  // picture upward as OpenGL reads a frame buffer. Refuses a buffer smaller than
  // width x height x 3 and sizes that are not positive.
  static bool writePng(const std::string& fileName, std::span<const std::uint8_t> rgb, int width,
                       int height, std::string& error);
  static std::optional<DecodedImage> decodeFile(const std::string& fileName, std::string& error);
  // Decodes an image held in memory (a picture embedded in a model file).
  static std::optional<DecodedImage> decodeBytes(std::span<const std::uint8_t> bytes,
                                                 std::string& error);
};
