#pragma once

#include <optional>
#include <set>

#include "InputDevices.h"

// Screen cursor and keyboard held in memory; the cursor starts shown.
class FakeInputDevices : public InputDevices {
public:
  std::optional<ScreenPoint> cursor;
  Cursor shown = Cursor::normal;
  std::set<int> keysDown;
  std::optional<GamepadState> gamepad;
  int hideCount = 0;

  std::optional<ScreenPoint> cursorPosition() const override { return cursor; }
  bool setCursorPosition(ScreenPoint position) override {
    cursor = position;
    return true;
  }
  Cursor hideCursor() override {
    ++hideCount;
    const Cursor before = shown;
    shown = Cursor::none;
    return before;
  }
  void showCursor(Cursor cursor) override { shown = cursor; }
  bool keyDown(int virtualKey) const override { return keysDown.count(virtualKey) != 0; }
  std::optional<GamepadState> gamepadState() const override { return gamepad; }
};
