#pragma once

#include <optional>

#include "Gamepads.h"
#include "ScreenGeometry.h"

// The cursor that is shown on the screen; none while it is hidden.
enum class Cursor { none, normal };

// Keys by their Windows virtual-key codes, the codes that the window messages carry.
namespace VirtualKey {
constexpr int space = 0x20;
constexpr int left = 0x25;
constexpr int up = 0x26;
constexpr int right = 0x27;
constexpr int down = 0x28;
}  // namespace VirtualKey

// The system's cursor, keyboard and gamepad as the player's input reads them.
class InputDevices {
public:
  virtual ~InputDevices() = default;

  // The cursor position in screen coordinates; nothing when it can't be read.
  virtual std::optional<ScreenPoint> cursorPosition() const = 0;
  // Moves the cursor; false when the system can't.
  virtual bool setCursorPosition(ScreenPoint position) = 0;
  // Hides the cursor and returns the one that was shown until now.
  virtual Cursor hideCursor() = 0;
  virtual void showCursor(Cursor cursor) = 0;
  // Whether the key of the virtual-key code is held down at this moment.
  virtual bool keyDown(int virtualKey) const = 0;
  // The gamepad in use at this moment; nothing without one.
  virtual std::optional<GamepadState> gamepadState() const = 0;
};
