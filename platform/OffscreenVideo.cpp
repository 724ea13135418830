#include "OffscreenVideo.h"

#include <SDL.h>

#include <cstring>

void preferOffscreenVideo() {
  constexpr int keepExisting = 0;
  SDL_setenv("SDL_VIDEODRIVER", "offscreen", keepExisting);
}

std::string windowlessVideoDriver() {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return {};
  const char* driver = SDL_GetCurrentVideoDriver();
  std::string windowless;
  if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
    windowless = driver;
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return windowless;
}
