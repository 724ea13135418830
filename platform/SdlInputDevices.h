#pragma once

#include "InputDevices.h"

// The cursor and keyboard over SDL. Without a running video subsystem the cursor can't be
// read, moved, hidden or shown, and no key is down.
class SdlInputDevices : public InputDevices {
public:
  std::optional<ScreenPoint> cursorPosition() const override;
  bool setCursorPosition(ScreenPoint position) override;
  Cursor hideCursor() override;
  void showCursor(Cursor cursor) override;
  bool keyDown(int virtualKey) const override;
  std::optional<GamepadState> gamepadState() const override;

  // The gamepads whose pad in use is read; none when null.
  void setGamepads(const Gamepads* gamepads) { gamepads_ = gamepads; }

private:
  const Gamepads* gamepads_ = nullptr;
};
