#include "ImageFile.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstring>
#include <memory>

#include "PngFile.h"

namespace {

constexpr std::uint64_t rgbBytes = 3;
constexpr std::uint64_t rgbaBytes = 4;

struct SurfaceFree {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceFree>;

bool surfaceHasAlpha(const SDL_Surface& surface) {
  if (surface.format->Amask != 0) return true;
  Uint32 key = 0;
  return SDL_GetColorKey(const_cast<SDL_Surface*>(&surface), &key) == 0;
}

// The surface converted to RGBA bytes in memory order, whatever its own format.
std::optional<DecodedImage> toRgba(Surface loaded, std::string& error) {
  if (!loaded) {
    error = IMG_GetError();
    return std::nullopt;
  }
  DecodedImage image;
  image.width = loaded->w;
  image.height = loaded->h;
  image.hasAlpha = surfaceHasAlpha(*loaded);
  Surface converted(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_RGBA32, 0));
  if (!converted) {
    error = SDL_GetError();
    return std::nullopt;
  }
  const auto rowBytes = static_cast<std::size_t>(image.width) * rgbaBytes;
  image.rgba.resize(rowBytes * static_cast<std::size_t>(image.height));
  const auto* pixels = static_cast<const std::uint8_t*>(converted->pixels);
  for (int row = 0; row < image.height; ++row) {
    std::memcpy(image.rgba.data() + static_cast<std::size_t>(row) * rowBytes,
                pixels + static_cast<std::size_t>(row) * static_cast<std::size_t>(converted->pitch),
                rowBytes);
  }
  return image;
}

}  // namespace

bool ImageFile::writePng(const std::string& fileName, std::span<const std::uint8_t> rgb, int width,
                         int height, std::string& error) {
  if (width <= 0 || height <= 0) {
    error =
        "the picture has no pixels (" + std::to_string(width) + "x" + std::to_string(height) + ")";
    return false;
  }
  const std::uint64_t rowBytes = static_cast<std::uint64_t>(width) * rgbBytes;
  if (rgb.size() < rowBytes * static_cast<std::uint64_t>(height)) {
    error = "the pixel buffer is smaller than the picture";
    return false;
  }
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) *
                                 static_cast<std::size_t>(height) * rgbaBytes);
  std::size_t to = 0;
  for (int row = height - 1; row >= 0; --row) {
    const std::uint8_t* from = rgb.data() + static_cast<std::uint64_t>(row) * rowBytes;
    for (int x = 0; x < width; ++x, from += rgbBytes) {
      rgba[to++] = from[0];
      rgba[to++] = from[1];
      rgba[to++] = from[2];
      rgba[to++] = 255;
    }
  }
  error = writePngFile(fileName, width, height, rgba.data());
  return error.empty();
}

std::optional<DecodedImage> ImageFile::decodeFile(const std::string& fileName, std::string& error) {
  return toRgba(Surface(IMG_Load(fileName.c_str())), error);
}

std::optional<DecodedImage> ImageFile::decodeBytes(std::span<const std::uint8_t> bytes,
                                                   std::string& error) {
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT32_MAX)) {
    error = "no image data";
    return std::nullopt;
  }
  SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!stream) {
    error = SDL_GetError();
    return std::nullopt;
  }
  return toRgba(Surface(IMG_Load_RW(stream, 1)), error);
}
