#include "SdlClock.h"

#include <SDL.h>

SdlClock::SdlClock() : frequency_(SDL_GetPerformanceFrequency()) {}

std::uint64_t SdlClock::counter() const {
  return SDL_GetPerformanceCounter();
}
