#include "InputState.h"

#include <cstdlib>

namespace {

int percentOf(int length, int percent) {
  return static_cast<int>(static_cast<std::int64_t>(length) * percent / 100);
}

}  // namespace

void InputState::setWindowRect(const ScreenRect& rect) {
  windowRect_ = rect;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  centre_ = {rect.left + width / 2, rect.top + height / 2};
  const int boxWidth = percentOf(width, centreBoxPercent);
  const int boxHeight = percentOf(height, centreBoxPercent);
  centreBox_.left = rect.left + (width - boxWidth) / 2;
  centreBox_.right = centreBox_.left + boxWidth;
  centreBox_.top = rect.top + (height - boxHeight) / 2;
  centreBox_.bottom = centreBox_.top + boxHeight;
  lastMouse_ = centre_;
}

void InputState::centreCursor(InputDevices& devices) {
  devices.setCursorPosition(centre_);
  lastMouse_ = centre_;
}

void InputState::hideCursor(InputDevices& devices) {
  // Hiding an already hidden cursor reports no cursor; keep the visible one remembered so
  // that leaving the window always brings a cursor back.
  const Cursor shown = devices.hideCursor();
  if (shown != Cursor::none) savedCursor_ = shown;
}

void InputState::updateCursor(InputDevices& devices) {
  const auto position = devices.cursorPosition();
  if (!position) return;
  if (!windowRect_.contains(*position)) {
    if (cursorActive_) {
      cursorActive_ = false;
      devices.showCursor(savedCursor_);
    }
    return;
  }
  if (!cursorActive_) {
    hideCursor(devices);
    cursorActive_ = true;
  }
  if (inputMode == mouseMode && !centreBox_.contains(*position)) steerTowardsCursor(*position);
}

void InputState::steerTowardsCursor(ScreenPoint position) {
  left = position.x < centreBox_.left;
  right = position.x > centreBox_.right;
  up = position.y < centreBox_.top;
  down = position.y > centreBox_.bottom;
  accumulated_ = {0, 0};
}

void InputState::pollKeyboard(const InputDevices& devices) {
  if (inputMode != keyboardMode && inputMode != gamepadMode) return;
  left = devices.keyDown(VirtualKey::left);
  right = devices.keyDown(VirtualKey::right);
  down = devices.keyDown(VirtualKey::down);
  up = devices.keyDown(VirtualKey::up);
  fire = devices.keyDown(VirtualKey::space);
  if (inputMode != gamepadMode) return;
  if (const auto pad = devices.gamepadState()) pollGamepad(*pad);
}

void InputState::pollGamepad(const GamepadState& pad) {
  left = left || pad.dpadLeft || pad.leftX <= -joystickDeadZone;
  right = right || pad.dpadRight || pad.leftX >= joystickDeadZone;
  up = up || pad.dpadUp || pad.leftY <= -joystickDeadZone;
  down = down || pad.dpadDown || pad.leftY >= joystickDeadZone;
  fire = fire || pad.a || pad.rightTrigger >= joystickDeadZone;
}

void InputState::useGamepad() {
  if (inputMode == gamepadMode) return;
  modeBeforeGamepad_ = inputMode;
  inputMode = gamepadMode;
}

void InputState::leaveGamepad() {
  if (inputMode != gamepadMode) return;
  inputMode = modeBeforeGamepad_;
  // The pad's buttons no longer hold fire.
  fire = false;
}

void InputState::mouseMove(int x, int y) {
  if (inputMode != mouseMode) return;
  if (centreBox_.contains({x, y})) {
    accumulated_.x += x - lastMouse_.x;
    accumulated_.y += y - lastMouse_.y;
    if (std::abs(accumulated_.x) >= mouseStepPixels) {
      left = accumulated_.x < 0;
      right = !left;
      accumulated_.x = 0;
    }
    if (std::abs(accumulated_.y) >= mouseStepPixels) {
      if (accumulated_.y > 0) {
        down = true;
      } else {
        up = true;
      }
      accumulated_.y = 0;
    }
  }
  lastMouse_ = {x, y};
}

void InputState::mouseButton(bool pressed) {
  if (inputMode == mouseMode) fire = pressed;
}

void InputState::joystickMove(std::uint16_t x, std::uint16_t y) {
  if (inputMode != joystickMode) return;
  const int dx = x - joystickCentre;
  if (std::abs(dx) >= joystickDeadZone) {
    left = dx < 0;
    right = !left;
  }
  const int dy = y - joystickCentre;
  if (std::abs(dy) >= joystickDeadZone) {
    if (dy > 0) {
      down = true;
    } else {
      up = true;
    }
  }
}

void InputState::joystickButton(bool pressed) {
  if (inputMode == joystickMode) fire = pressed;
}

void InputState::clearDirections() {
  left = false;
  up = false;
  right = false;
  down = false;
}
