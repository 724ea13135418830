#include "GlDriver.h"

#include <SDL.h>

namespace {

// The driver library handle: set while a library loaded through GlDriver is held.
bool driverLoaded = false;

// Some SDL video drivers quietly load their default library when the named one is
// missing, so a named library is first opened on its own to see that it exists.
bool libraryExists(const char* fileName) {
  void* handle = SDL_LoadObject(fileName);
  if (!handle) return false;
  SDL_UnloadObject(handle);
  return true;
}

bool videoRunning() {
  return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

}  // namespace

bool GlDriver::loadLibrary(const char* fileName) {
  unloadLibrary();
  // Glide-based drivers show a splash screen unless told not to.
  SDL_setenv("FX_GLIDE_NO_SPLASH", "1", 1);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  if ((fileName && !libraryExists(fileName)) || SDL_GL_LoadLibrary(fileName) != 0) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  driverLoaded = true;
  return true;
}

void GlDriver::unloadLibrary() {
  if (!driverLoaded) return;
  SDL_GL_UnloadLibrary();
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  driverLoaded = false;
}

bool GlDriver::libraryLoaded() {
  return driverLoaded;
}

void* GlDriver::procAddress(const char* name) {
  if (!driverLoaded || !name) return nullptr;
  return SDL_GL_GetProcAddress(name);
}

bool GlDriver::setPixelFormat(int colourBits) {
  if (!videoRunning()) {
    SDL_SetError("The video subsystem is not running");
    return false;
  }
  const bool highColour = colourBits == 16;
  const int settings[][2] = {
      {SDL_GL_RED_SIZE, highColour ? 5 : 8},
      {SDL_GL_GREEN_SIZE, highColour ? 6 : 8},
      {SDL_GL_BLUE_SIZE, highColour ? 5 : 8},
      {SDL_GL_DEPTH_SIZE, highColour ? 16 : 24},
      {SDL_GL_DOUBLEBUFFER, 1},
      {SDL_GL_STENCIL_SIZE, 0},
      {SDL_GL_ACCUM_RED_SIZE, 0},
      {SDL_GL_ACCUM_GREEN_SIZE, 0},
      {SDL_GL_ACCUM_BLUE_SIZE, 0},
      {SDL_GL_ACCUM_ALPHA_SIZE, 0},
  };
  for (const auto& [attribute, value] : settings) {
    if (SDL_GL_SetAttribute(static_cast<SDL_GLattr>(attribute), value) != 0) return false;
  }
  return true;
}

GlContextHandle GlDriver::createContext(GlDeviceContext window) {
  if (!window) {
    SDL_SetError("No window for the rendering context");
    return nullptr;
  }
  return SDL_GL_CreateContext(window);
}

bool GlDriver::makeCurrent(GlDeviceContext window, GlContextHandle context) {
  if (!videoRunning()) return !context;
  return SDL_GL_MakeCurrent(context ? window : nullptr, context) == 0;
}

void GlDriver::deleteContext(GlContextHandle context) {
  makeCurrent(nullptr, nullptr);
  if (context) SDL_GL_DeleteContext(context);
}

GlContextHandle GlDriver::currentContext() {
  return videoRunning() ? SDL_GL_GetCurrentContext() : nullptr;
}

GlDeviceContext GlDriver::currentDeviceContext() {
  return videoRunning() ? SDL_GL_GetCurrentWindow() : nullptr;
}

GlPixelFormat GlDriver::currentPixelFormat() {
  GlPixelFormat format;
  if (!currentContext()) return format;
  const auto attribute = [](SDL_GLattr name) {
    int value = 0;
    return SDL_GL_GetAttribute(name, &value) == 0 ? value : 0;
  };
  format.redBits = attribute(SDL_GL_RED_SIZE);
  format.greenBits = attribute(SDL_GL_GREEN_SIZE);
  format.blueBits = attribute(SDL_GL_BLUE_SIZE);
  format.depthBits = attribute(SDL_GL_DEPTH_SIZE);
  format.doubleBuffered = attribute(SDL_GL_DOUBLEBUFFER) != 0;
  return format;
}

bool GlDriver::setSwapInterval(int interval) {
  if (!currentContext()) {
    SDL_SetError("No rendering context for the swap interval");
    return false;
  }
  return SDL_GL_SetSwapInterval(interval) == 0;
}

int GlDriver::swapInterval() {
  return currentContext() ? SDL_GL_GetSwapInterval() : 0;
}

bool GlDriver::swapBuffers(GlDeviceContext window) {
  if (!window) return false;
  SDL_GL_SwapWindow(window);
  return true;
}

std::string GlDriver::lastError() {
  return SDL_GetError();
}
