#include "OffscreenVideo.h"

#include <SDL.h>

void preferOffscreenVideo() {
  constexpr int keepExisting = 0;
  SDL_setenv("SDL_VIDEODRIVER", "offscreen", keepExisting);
}
