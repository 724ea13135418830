#pragma once

#include <string>

#include "GlDriver.h"

// A window for OpenGL drawing that is never shown: the target of headless runs and
// tests (with SDL_VIDEODRIVER=offscreen it needs no display). It keeps SDL's video
// subsystem running while it lives. Set the pixel format before making it.
class HiddenGlWindow {
public:
  HiddenGlWindow(int width, int height);
  ~HiddenGlWindow();
  HiddenGlWindow(const HiddenGlWindow&) = delete;
  HiddenGlWindow& operator=(const HiddenGlWindow&) = delete;

  // Null when the window couldn't be made; error() then says why.
  GlDeviceContext deviceContext() const { return window_; }
  const std::string& error() const { return error_; }

private:
  bool videoStarted_ = false;
  GlDeviceContext window_ = nullptr;
  std::string error_;
};
