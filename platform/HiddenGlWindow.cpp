#include "HiddenGlWindow.h"

#include <SDL.h>

HiddenGlWindow::HiddenGlWindow(int width, int height) {
  videoStarted_ = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
  if (videoStarted_) {
    window_ =
        SDL_CreateWindow("Zirrow", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  }
  if (!window_) error_ = SDL_GetError();
}

HiddenGlWindow::~HiddenGlWindow() {
  if (window_) {
    if (SDL_GL_GetCurrentWindow() == window_) SDL_GL_MakeCurrent(nullptr, nullptr);
    SDL_DestroyWindow(window_);
  }
  if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
