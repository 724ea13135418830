#include "MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

bool displayAvailable() {
  if (const char* driver = std::getenv("SDL_VIDEODRIVER"); driver && *driver) {
    return std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
  }
  return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
}

}  // namespace

bool showMessageBox(const char* title, const char* text, bool isError) {
  title = title ? title : "";
  text = text ? text : "";
  const Uint32 flags = isError ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
  if (displayAvailable() && SDL_ShowSimpleMessageBox(flags, title, text, nullptr) == 0) return true;
  std::fprintf(stderr, "%s: %s\n", title, text);
  return false;
}
