#pragma once

#include <cstdint>

#include "InputDevices.h"
#include "ScreenGeometry.h"

// The device that steers; one is in use at a time.
// A gamepad in use steers together with the keyboard.
enum InputMode : std::int32_t {
  keyboardMode = 0,
  joystickMode = 1,
  mouseMode = 2,
  gamepadMode = 3
};

// Turns the keyboard, the mouse, a joystick or a gamepad into the five action flags that the game
// reads once per frame. The system cursor and keyboard are reached through the InputDevices given
// to the operations that need them. Positions are screen coordinates, like the window
// rectangle.
class InputState {
public:
  static constexpr int centreBoxPercent = 30;
  static constexpr int mouseStepPixels = 4;
  static constexpr int joystickDeadZone = 3000;
  static constexpr int joystickCentre = 32768;

  std::int32_t inputMode = keyboardMode;
  bool fire = false;
  bool left = false;
  bool up = false;
  bool right = false;
  bool down = false;

  // Takes the adjusted window rectangle and derives the centre and centreBox from it.
  void setWindowRect(const ScreenRect& rect);
  void centreCursor(InputDevices& devices);
  // Hides the cursor, remembering the one that was shown to bring it back later.
  void hideCursor(InputDevices& devices);
  // Follows the cursor into and out of the window; in mouse mode a cursor outside
  // centreBox steers towards its side.
  void updateCursor(InputDevices& devices);
  // In keyboard mode each flag becomes the state of its key; in gamepad mode a flag is set
  // while its key or the gamepad asks for it: the left stick beyond the joystick's dead
  // zone or the d-pad for the directions, A or the right trigger beyond the dead zone to
  // fire.
  void pollKeyboard(const InputDevices& devices);
  // A gamepad came into use: it steers until useGamepad is undone by leaveGamepad, which
  // brings back the device that steered before.
  void useGamepad();
  void leaveGamepad();

  void recordMousePosition(ScreenPoint position) { lastMouse_ = position; }
  void mouseMove(int x, int y);
  void mouseButton(bool pressed);
  void joystickMove(std::uint16_t x, std::uint16_t y);
  void joystickButton(bool pressed);

  void setActive() { cursorActive_ = true; }
  void clearActive() { cursorActive_ = false; }
  bool cursorActive() const { return cursorActive_; }

  // The game clears the directions after every frame; fire stays as the devices left it.
  void clearDirections();

  const ScreenRect& windowRect() const { return windowRect_; }
  const ScreenRect& centreBox() const { return centreBox_; }
  ScreenPoint centre() const { return centre_; }
  ScreenPoint lastMousePosition() const { return lastMouse_; }

private:
  void steerTowardsCursor(ScreenPoint position);

  void pollGamepad(const GamepadState& pad);

  std::int32_t modeBeforeGamepad_ = keyboardMode;
  Cursor savedCursor_ = Cursor::normal;
  ScreenRect windowRect_;
  ScreenRect centreBox_;
  ScreenPoint centre_;
  ScreenPoint lastMouse_;
  ScreenPoint accumulated_;
  bool cursorActive_ = false;
};
