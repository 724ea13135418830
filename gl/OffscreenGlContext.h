#pragma once

#include <memory>
#include <string>

#include "GlDriver.h"

class HiddenGlWindow;

// A rendering context on a hidden window of the given size, made the way the game
// makes its own: the system OpenGL library bound into the entry-point table, the
// pixel format, the window, the context. With no video driver named it uses SDL's
// offscreen driver, so it needs no display. The context is current while the object
// lives; destroying it releases the context, the window and the binding.
class OffscreenGlContext {
public:
  OffscreenGlContext(int width, int height, int colourBits);
  ~OffscreenGlContext();
  OffscreenGlContext(const OffscreenGlContext&) = delete;
  OffscreenGlContext& operator=(const OffscreenGlContext&) = delete;

  bool isValid() const { return context_ != nullptr; }
  // Why the context could not be made; empty when it was.
  const std::string& error() const { return error_; }
  GlDeviceContext deviceContext() const;

private:
  void open(int width, int height, int colourBits);

  std::unique_ptr<HiddenGlWindow> window_;
  GlContextHandle context_ = nullptr;
  std::string error_;
};
