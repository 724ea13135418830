#pragma once

#include <cstdint>
#include <string>

#include "Gamepads.h"
#include "GlDriver.h"
#include "Joystick.h"
#include "ScreenGeometry.h"
#include "WindowEventTranslator.h"
#include "WindowMessage.h"
#include "WindowMessageQueue.h"

// The game's one window over SDL, with the message queue that the program's message loop
// drains: SDL events of the window, its joystick and its sound notices come out as window
// messages, together with the messages posted to it. The screen saver stays off while
// the window exists.
class GameWindow {
public:
  GameWindow();
  ~GameWindow();
  GameWindow(const GameWindow&) = delete;
  GameWindow& operator=(const GameWindow&) = delete;

  // Creates the window for OpenGL drawing, hidden until show(); width and height are the
  // client area's. Load the GL library and set the pixel format before (GlDriver). A popup
  // has no border, and goes full screen in the requested display mode when one is
  // requested (requestDisplayMode); any other window can be resized. Size messages carry
  // the drawable size. False when the window can't be made or already
  // exists. The caller hands the create message to its window procedure itself.
  bool create(const char* title, int x, int y, int width, int height, bool popup);
  // What SDL said when create failed.
  const std::string& creationError() const { return creationError_; }
  bool exists() const { return window_ != nullptr; }

  GlDeviceContext deviceContext() const { return window_; }
  // The window's number, the notification target of AudioMixer::play; 0 without a window.
  std::uint32_t id() const;
  bool isFullScreen() const;

  // Sets the icon that the window system shows for the window, from rows of red, green,
  // blue and alpha bytes, top row first. False without a window or when SDL can't.
  bool setIcon(int width, int height, const std::uint8_t* rgba);

  // Full screen at the desktop's size and mode, or a window with a border that the
  // player can resize; the rendering context stays. False without a window or when the
  // window system refuses.
  bool setDesktopFullScreen(bool fullScreen);

  void show();
  void minimise();
  // Restores a minimised window; a full-screen popup takes the requested mode again, or
  // becomes a borderless window when none is requested.
  void restore();
  void hide();
  // Destroys the window and posts the destroy message; nothing without a window.
  void destroy();

  // The whole window with its borders, in screen coordinates.
  ScreenRect windowRect() const;
  // The client area in client coordinates: left and top are 0.
  ScreenRect clientRect() const;
  // The client area's size in pixels of the drawing, which a high-resolution display
  // makes larger than the window's own size; 0, 0 without a window.
  ScreenPoint drawableSize() const;
  // The border sizes that the window manager reports: the title bar with the top border,
  // a side border and the bottom border. 0 when unknown or without a window.
  int captionHeight() const;
  int frameWidth() const;
  int frameHeight() const;

  // Joystick 1, whose reports come as joystick messages while it is captured.
  Joystick& joystick() { return joystick_; }
  // The gamepads, open while the window exists; plugging them in and out comes as gamepad
  // messages.
  Gamepads& gamepads() { return gamepads_; }
  const Gamepads& gamepads() const { return gamepads_; }
  // Why the last window's gamepads lack the player's own mappings; empty when they don't.
  const std::string& gamepadProblem() const { return gamepadProblem_; }

  // Fetches the window's pending events; true when a message waits.
  bool peekMessage();
  // Takes the next message, waiting for one when none waits. False for the quit message;
  // also false, with the quit message and code 0, when no message can come any more
  // (no window and nothing queued).
  bool getMessage(WindowMessage& message);
  // Returns once a message waits, or after the milliseconds at the latest.
  void waitForMessage(int milliseconds);
  void postMessage(const WindowMessage& message);
  void postQuit(int exitCode);

private:
  struct Borders {
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
  };

  void applyFullScreenMode();
  Borders borders() const;
  void pumpEvents();
  void translateEvent(const SDL_Event& event);
  void release();

  GlDeviceContext window_ = nullptr;
  bool popup_ = false;
  bool screenSaverWasEnabled_ = false;
  Joystick joystick_;
  Gamepads gamepads_;
  std::string gamepadProblem_;
  std::string creationError_;
  WindowEventTranslator translator_;
  WindowMessageQueue queue_;
};
