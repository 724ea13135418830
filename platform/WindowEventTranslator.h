#pragma once

#include <cstdint>
#include <vector>

#include "ScreenGeometry.h"
#include "WindowMessage.h"

class Gamepads;
class Joystick;
union SDL_Event;

// Turns the SDL events of one window into the window messages that the game's window
// procedure handles. It follows the window's activation and focus to send the activate
// message only on a change, and its client origin to give mouse positions in screen
// coordinates. Positions and sizes that don't fit a 16-bit word are clamped to 0..65535.
class WindowEventTranslator {
public:
  // The window whose events are translated; events of other windows give nothing.
  void setWindowId(std::uint32_t windowId) { windowId_ = windowId; }
  // The screen position of the window's client area.
  void setClientOrigin(ScreenPoint origin) { clientOrigin_ = origin; }
  // The joystick whose events become joystick messages; none when null.
  void setJoystick(Joystick* joystick) { joystick_ = joystick; }
  // The gamepads whose plugging in and out become gamepad messages, and whose Start and
  // Back buttons become the Escape key; none when null.
  void setGamepads(Gamepads* gamepads) { gamepads_ = gamepads; }

  // The messages the event gives, in the order the window procedure receives them.
  std::vector<WindowMessage> translate(const SDL_Event& event);

private:
  void translateWindowEvent(const SDL_Event& event, std::vector<WindowMessage>& messages);
  void translateJoystickEvent(const SDL_Event& event, std::vector<WindowMessage>& messages);
  void translateGamepadEvent(const SDL_Event& event, std::vector<WindowMessage>& messages);
  void activate(bool active, std::vector<WindowMessage>& messages);
  std::int64_t screenPosition(int clientX, int clientY) const;
  bool isOwnWindow(std::uint32_t windowId) const { return windowId_ != 0 && windowId == windowId_; }

  std::uint32_t windowId_ = 0;
  ScreenPoint clientOrigin_;
  Joystick* joystick_ = nullptr;
  Gamepads* gamepads_ = nullptr;
  bool active_ = false;
  bool focused_ = false;
  bool lastWasWindowClose_ = false;
};
