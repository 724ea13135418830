#pragma once

#include <cstdint>
#include <string>

#include "GlDriver.h"
#include "ScreenGeometry.h"

// The window that the window procedure works on, and the window system's services
// around it: what the procedure asks of the platform, so that the procedure can be
// driven by plain message values without a window.
class WindowHost {
public:
  virtual ~WindowHost() = default;

  // The window's device context: the window that OpenGL draws into; null before the
  // window exists and after it is gone.
  virtual GlDeviceContext deviceContext() const = 0;
  // The identifier that sound completion notices carry to this window.
  virtual std::uint32_t windowId() const = 0;
  // The whole window, frame included, in screen coordinates.
  virtual ScreenRect windowRect() const = 0;
  // The client area's size in pixels of the drawing (larger than the window's own size
  // on a high-resolution display).
  virtual int clientWidth() const = 0;
  virtual int clientHeight() const = 0;
  // The window frame's metrics: the height above the client area (caption or menu),
  // the width of a side frame and the height of the bottom frame.
  virtual int menuHeight() const = 0;
  virtual int frameWidth() const = 0;
  virtual int frameHeight() const = 0;

  // Whether the window fills the screen now.
  virtual bool isFullScreen() const = 0;
  // Full screen at the desktop's size, or a resizable window, keeping the rendering
  // context; false when the window system refuses.
  virtual bool setFullScreen(bool fullScreen) = 0;
  virtual void minimise() = 0;
  virtual void restore() = 0;
  virtual void hide() = 0;
  // Destroys the window; its destroy message follows through the queue.
  virtual void destroy() = 0;
  virtual void postClose() = 0;
  virtual void postQuit(int exitCode) = 0;

  // A short rumble of the gamepad in use; false without one or when it can't rumble.
  virtual bool rumbleGamepad() = 0;

  // Joystick 1: the movement threshold and the capture for this window.
  virtual void setJoystickThreshold(int units) = 0;
  virtual bool captureJoystick() = 0;
  virtual void releaseJoystick() = 0;

  // Tells the player of a failure in a message box over the window and waits until the
  // box is closed.
  virtual void showMessage(const std::string& title, const std::string& text) = 0;
};
