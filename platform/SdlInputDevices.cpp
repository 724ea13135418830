#include "SdlInputDevices.h"

#include <SDL.h>

namespace {

bool videoRunning() {
  return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

SDL_Scancode scancodeOf(int virtualKey) {
  switch (virtualKey) {
    case VirtualKey::space:
      return SDL_SCANCODE_SPACE;
    case VirtualKey::left:
      return SDL_SCANCODE_LEFT;
    case VirtualKey::up:
      return SDL_SCANCODE_UP;
    case VirtualKey::right:
      return SDL_SCANCODE_RIGHT;
    case VirtualKey::down:
      return SDL_SCANCODE_DOWN;
    default:
      return SDL_SCANCODE_UNKNOWN;
  }
}

}  // namespace

std::optional<ScreenPoint> SdlInputDevices::cursorPosition() const {
  if (!videoRunning()) return std::nullopt;
  ScreenPoint position;
  SDL_GetGlobalMouseState(&position.x, &position.y);
  return position;
}

bool SdlInputDevices::setCursorPosition(ScreenPoint position) {
  return videoRunning() && SDL_WarpMouseGlobal(position.x, position.y) == 0;
}

Cursor SdlInputDevices::hideCursor() {
  if (!videoRunning()) return Cursor::none;
  const bool wasShown = SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
  SDL_ShowCursor(SDL_DISABLE);
  return wasShown ? Cursor::normal : Cursor::none;
}

void SdlInputDevices::showCursor(Cursor cursor) {
  if (!videoRunning()) return;
  SDL_ShowCursor(cursor == Cursor::none ? SDL_DISABLE : SDL_ENABLE);
}

bool SdlInputDevices::keyDown(int virtualKey) const {
  const SDL_Scancode scancode = scancodeOf(virtualKey);
  if (scancode == SDL_SCANCODE_UNKNOWN) return false;
  int keyCount = 0;
  const Uint8* keys = SDL_GetKeyboardState(&keyCount);
  return keys && scancode < keyCount && keys[scancode] != 0;
}

std::optional<GamepadState> SdlInputDevices::gamepadState() const {
  return gamepads_ ? gamepads_->state() : std::nullopt;
}
