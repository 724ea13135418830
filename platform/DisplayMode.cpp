#include "DisplayMode.h"

#include <SDL.h>

namespace {

// The mode the window layer switches to when its window goes full screen. Like the
// display settings of the system, there is one per program.
std::optional<DisplayMode> requested;

// Starts the video subsystem for the life of one query; SDL counts the starts, so a
// window that runs meanwhile keeps it going.
class VideoSession {
public:
  VideoSession() : started_(SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {}
  ~VideoSession() {
    if (started_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  VideoSession(const VideoSession&) = delete;
  VideoSession& operator=(const VideoSession&) = delete;

  bool started() const { return started_; }

private:
  bool started_;
};

int bitsPerPixelOf(Uint32 format) {
  // Counts the bytes a pixel takes, as the desktop depth does: 32 for 8-8-8 pixels.
  const int bytes = SDL_BYTESPERPIXEL(format);
  return bytes > 0 ? bytes * 8 : static_cast<int>(SDL_BITSPERPIXEL(format));
}

Uint32 formatFor(int bitsPerPixel, Uint32 desktopFormat) {
  switch (bitsPerPixel) {
    case 16:
      return SDL_PIXELFORMAT_RGB565;
    case 24:
      return SDL_PIXELFORMAT_RGB24;
    case 32:
      return SDL_PIXELFORMAT_RGB888;
    default:
      return desktopFormat;
  }
}

DisplayMode modeOf(const SDL_DisplayMode& mode) {
  return {bitsPerPixelOf(mode.format), mode.w, mode.h, mode.refresh_rate};
}

}  // namespace

bool queryDesktopMode(DisplayMode& desktop) {
  const VideoSession video;
  SDL_DisplayMode mode{};
  if (!video.started() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
  desktop = modeOf(mode);
  return true;
}

bool requestDisplayMode(const DisplayMode& request) {
  requested.reset();
  const VideoSession video;
  SDL_DisplayMode desktop{};
  if (!video.started() || SDL_GetDesktopDisplayMode(0, &desktop) != 0) return false;
  SDL_DisplayMode wanted = desktop;
  wanted.format = formatFor(request.bitsPerPixel, desktop.format);
  if (request.width > 0) wanted.w = request.width;
  if (request.height > 0) wanted.h = request.height;
  if (request.refreshRate > 0) wanted.refresh_rate = request.refreshRate;
  SDL_DisplayMode closest{};
  if (!SDL_GetClosestDisplayMode(0, &wanted, &closest)) return false;
  requested = modeOf(closest);
  return true;
}

void restoreDesktopMode() {
  requested.reset();
}

std::optional<DisplayMode> requestedDisplayMode() {
  return requested;
}
