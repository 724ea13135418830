#include "SdlSession.h"

#include <SDL.h>

SdlSession::~SdlSession() {
  SDL_Quit();
}
