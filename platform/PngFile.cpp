#include "PngFile.h"

#include <SDL.h>
#include <SDL_image.h>

std::string writePngFile(const std::string& fileName, int width, int height,
                         const std::uint8_t* rgba) {
  if (width <= 0 || height <= 0 || !rgba) return "no image to write into " + fileName;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<std::uint8_t*>(rgba), width, height, 32, width * 4, SDL_PIXELFORMAT_RGBA32);
  if (!surface) return "can't hold the image for " + fileName + ": " + SDL_GetError();
  const int result = IMG_SavePNG(surface, fileName.c_str());
  SDL_FreeSurface(surface);
  if (result != 0) return "can't write " + fileName + ": " + IMG_GetError();
  return {};
}
