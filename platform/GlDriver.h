#pragma once

#include <string>

struct SDL_Window;

// The colour, depth and buffering of a rendering context.
struct GlPixelFormat {
  int redBits = 0;
  int greenBits = 0;
  int blueBits = 0;
  int depthBits = 0;
  bool doubleBuffered = false;
};

// The window that OpenGL draws into; it plays the part of a Windows device context.
using GlDeviceContext = SDL_Window*;
// An OpenGL rendering context; null when there is none.
using GlContextHandle = void*;

// OpenGL driver services over SDL: the driver library, the pixel-format attributes,
// rendering contexts on windows and presenting frames. A loaded library keeps SDL's
// video subsystem running; the other operations expect it to be running (a window
// exists or a library is loaded) and fail otherwise.
class GlDriver {
public:
  // Loads the OpenGL library of that file name, or the system library when the name
  // is null, in place of the library loaded before. False when it can't be loaded.
  static bool loadLibrary(const char* fileName);
  static void unloadLibrary();
  static bool libraryLoaded();

  // The entry point of that name in the loaded library; null when there is none.
  static void* procAddress(const char* name);

  // Colour bits 16 ask for 5-6-5 colour with a 16-bit depth buffer, any other value
  // for 8-8-8 colour with 24 depth bits; always double buffered. Holds for windows
  // created afterwards, so it is set before the window.
  static bool setPixelFormat(int colourBits);

  // Creates a rendering context on the window and makes it current.
  static GlContextHandle createContext(GlDeviceContext window);
  // Makes the context current on the window; a null context makes none current.
  static bool makeCurrent(GlDeviceContext window, GlContextHandle context);
  // Makes no context current, then deletes the context when it is not null.
  static void deleteContext(GlContextHandle context);
  static GlContextHandle currentContext();
  static GlDeviceContext currentDeviceContext();
  // The format of the current context; all zero without one.
  static GlPixelFormat currentPixelFormat();

  // How many display refreshes each presented frame waits for in the current context:
  // 1 waits for the next one, 0 presents at once. False when the driver can't.
  static bool setSwapInterval(int interval);
  // The current context's swap interval; 0 without a context.
  static int swapInterval();

  // Presents the back buffer of the window; false without a window.
  static bool swapBuffers(GlDeviceContext window);

  // What SDL last said went wrong.
  static std::string lastError();
};
