#include "WindowEventTranslator.h"

#include <SDL.h>

#include <algorithm>
#include <optional>

#include "AudioMixer.h"
#include "Gamepads.h"
#include "InputDevices.h"
#include "Joystick.h"

namespace {

constexpr std::uint32_t virtualKeyF1 = 112;

std::uint16_t clampedWord(int value) {
  return static_cast<std::uint16_t>(std::clamp(value, 0, 0xFFFF));
}

std::int64_t wordPair(int low, int high) {
  return makeLParam(clampedWord(low), clampedWord(high));
}

// The Windows virtual-key code of a key; nothing for keys the game has no code for.
std::optional<std::uint32_t> virtualKeyOf(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<std::uint32_t>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<std::uint32_t>(key);
  if (key >= SDLK_F1 && key <= SDLK_F12)
    return virtualKeyF1 + static_cast<std::uint32_t>(key - SDLK_F1);
  switch (key) {
    case SDLK_ESCAPE:
      return 27;
    case SDLK_BACKSPACE:
      return 0x08;
    case SDLK_TAB:
      return 0x09;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return VirtualKeys::enter;
    case SDLK_SPACE:
      return VirtualKey::space;
    case SDLK_LEFT:
      return VirtualKey::left;
    case SDLK_UP:
      return VirtualKey::up;
    case SDLK_RIGHT:
      return VirtualKey::right;
    case SDLK_DOWN:
      return VirtualKey::down;
    default:
      return std::nullopt;
  }
}

}  // namespace

std::vector<WindowMessage> WindowEventTranslator::translate(const SDL_Event& event) {
  std::vector<WindowMessage> messages;
  const bool followsWindowClose = lastWasWindowClose_;
  lastWasWindowClose_ = false;
  switch (event.type) {
    case SDL_WINDOWEVENT:
      if (isOwnWindow(event.window.windowID)) translateWindowEvent(event, messages);
      break;
    case SDL_QUIT:
      // Closing the last window also sends the quit event: one close request, not two.
      if (!followsWindowClose) messages.push_back({WindowMessages::close, 0, 0});
      break;
    case SDL_KEYDOWN:
      if (!isOwnWindow(event.key.windowID)) break;
      if (const auto key = virtualKeyOf(event.key.keysym.sym)) {
        const bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
        messages.push_back({alt ? WindowMessages::systemKeyDown : WindowMessages::keyDown, *key,
                            event.key.repeat ? keyRepeatFlag : 0});
      }
      break;
    case SDL_MOUSEMOTION:
      if (!isOwnWindow(event.motion.windowID)) break;
      messages.push_back(
          {WindowMessages::mouseMove, 0, screenPosition(event.motion.x, event.motion.y)});
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (!isOwnWindow(event.button.windowID) || event.button.button != SDL_BUTTON_LEFT) break;
      messages.push_back({event.type == SDL_MOUSEBUTTONDOWN ? WindowMessages::leftButtonDown
                                                            : WindowMessages::leftButtonUp,
                          0, screenPosition(event.button.x, event.button.y)});
      break;
    case SDL_JOYAXISMOTION:
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
      translateJoystickEvent(event, messages);
      break;
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERBUTTONDOWN:
      translateGamepadEvent(event, messages);
      break;
    case waveDoneEventType:
      if (!isOwnWindow(event.user.windowID)) break;
      messages.push_back(
          {WindowMessages::waveDone, static_cast<std::uint32_t>(event.user.code), 0});
      break;
    default:
      break;
  }
  return messages;
}

void WindowEventTranslator::translateWindowEvent(const SDL_Event& event,
                                                 std::vector<WindowMessage>& messages) {
  const SDL_WindowEvent& window = event.window;
  switch (window.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      activate(true, messages);
      if (!focused_) messages.push_back({WindowMessages::setFocus, 0, 0});
      focused_ = true;
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      activate(false, messages);
      if (focused_) messages.push_back({WindowMessages::killFocus, 0, 0});
      focused_ = false;
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      activate(false, messages);
      break;
    case SDL_WINDOWEVENT_MOVED:
      clientOrigin_ = {window.data1, window.data2};
      messages.push_back({WindowMessages::move, 0, wordPair(window.data1, window.data2)});
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      messages.push_back({WindowMessages::size, 0, wordPair(window.data1, window.data2)});
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      messages.push_back({WindowMessages::paint, 0, 0});
      break;
    case SDL_WINDOWEVENT_CLOSE:
      messages.push_back({WindowMessages::close, 0, 0});
      lastWasWindowClose_ = true;
      break;
    default:
      break;
  }
}

void WindowEventTranslator::translateJoystickEvent(const SDL_Event& event,
                                                   std::vector<WindowMessage>& messages) {
  if (!joystick_) return;
  const auto report = joystick_->translate(event);
  if (!report) return;
  if (const auto* move = std::get_if<JoystickMove>(&*report)) {
    messages.push_back({WindowMessages::joystick1Move, 0, makeLParam(move->x, move->y)});
  } else if (const auto* button = std::get_if<JoystickButton>(&*report)) {
    messages.push_back(
        {button->pressed ? WindowMessages::joystick1ButtonDown : WindowMessages::joystick1ButtonUp,
         button->buttons, 0});
  }
}

void WindowEventTranslator::translateGamepadEvent(const SDL_Event& event,
                                                  std::vector<WindowMessage>& messages) {
  if (!gamepads_) return;
  if (gamepads_->commandOf(event) == Gamepads::Command::leave) {
    messages.push_back({WindowMessages::keyDown, VirtualKeys::escape, 0});
  }
  switch (gamepads_->handleEvent(event)) {
    case Gamepads::Change::attached:
      messages.push_back({WindowMessages::gamepadAttached, 0, 0});
      break;
    case Gamepads::Change::detached:
      messages.push_back({WindowMessages::gamepadDetached, 0, 0});
      break;
    case Gamepads::Change::none:
      break;
  }
}

// Sends the activate message when the window's activation changes.
void WindowEventTranslator::activate(bool active, std::vector<WindowMessage>& messages) {
  if (active == active_) return;
  active_ = active;
  messages.push_back({WindowMessages::activate, active ? 1u : 0u, 0});
}

std::int64_t WindowEventTranslator::screenPosition(int clientX, int clientY) const {
  return wordPair(clientOrigin_.x + clientX, clientOrigin_.y + clientY);
}
