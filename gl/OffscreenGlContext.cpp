#include "OffscreenGlContext.h"

#include "FmGLEngine.h"
#include "GlBinding.h"
#include "HiddenGlWindow.h"
#include "OffscreenVideo.h"

namespace {
// The useGL setting that chooses the system OpenGL library.
constexpr int systemOpenGL = 1;
constexpr bool windowed = false;
}  // namespace

OffscreenGlContext::OffscreenGlContext(int width, int height, int colourBits) {
  preferOffscreenVideo();
  open(width, height, colourBits);
}

OffscreenGlContext::~OffscreenGlContext() {
  deleteContext(context_);
  window_.reset();
  unbindOpenGL();
}

GlDeviceContext OffscreenGlContext::deviceContext() const {
  return window_ ? window_->deviceContext() : nullptr;
}

void OffscreenGlContext::open(int width, int height, int colourBits) {
  error_ = bindDriverFor(systemOpenGL, windowed);
  if (!error_.empty()) return;
  if (!FmGLEngine::setPixelFormat(colourBits)) {
    error_ = "The pixel format was refused: " + GlDriver::lastError();
    return;
  }
  window_ = std::make_unique<HiddenGlWindow>(width, height);
  if (!window_->deviceContext()) {
    error_ = "No window for OpenGL: " + window_->error();
    return;
  }
  context_ = createContext(window_->deviceContext());
  if (!context_) error_ = "No rendering context: " + GlDriver::lastError();
}
