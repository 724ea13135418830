#pragma once

#include <cstdint>

// A window message as the game's window procedure receives it: the message value and its
// two parameters, with the numbers and parameter layouts of the Windows messages that the
// game was written against. The platform window turns SDL events into these.
struct WindowMessage {
  std::uint32_t message = 0;
  std::uint32_t wParam = 0;
  std::int64_t lParam = 0;
};

namespace WindowMessages {
constexpr std::uint32_t create = 0x0001;
constexpr std::uint32_t destroy = 0x0002;
constexpr std::uint32_t move = 0x0003;      // lParam: client origin x, y (low, high word)
constexpr std::uint32_t size = 0x0005;      // lParam: client width, height (low, high word)
constexpr std::uint32_t activate = 0x0006;  // wParam low word: 0 deactivated, 1 activated
constexpr std::uint32_t setFocus = 0x0007;
constexpr std::uint32_t killFocus = 0x0008;
constexpr std::uint32_t paint = 0x000F;
constexpr std::uint32_t close = 0x0010;
constexpr std::uint32_t quit = 0x0012;  // wParam: the exit code
constexpr std::uint32_t eraseBackground = 0x0014;
constexpr std::uint32_t keyDown = 0x0100;  // wParam: virtual-key code; lParam: key flags
// A key pressed while Alt is held; wParam and lParam as for keyDown.
constexpr std::uint32_t systemKeyDown = 0x0104;
constexpr std::uint32_t systemCommand = 0x0112;  // wParam: the command
constexpr std::uint32_t mouseMove = 0x0200;      // lParam: x, y (low, high word)
constexpr std::uint32_t leftButtonDown = 0x0201;
constexpr std::uint32_t leftButtonUp = 0x0202;
constexpr std::uint32_t joystick1Move = 0x03A0;  // lParam: x, y (low, high word), 0..65535
constexpr std::uint32_t joystick1ZMove = 0x03A2;
constexpr std::uint32_t joystick1ButtonDown = 0x03B5;  // wParam: the button parameter
constexpr std::uint32_t joystick1ButtonUp = 0x03B7;
constexpr std::uint32_t waveDone = 0x03BD;  // wParam: the channel that finished
// The game's own messages: a gamepad came into use; the last gamepad went.
constexpr std::uint32_t gamepadAttached = 0x0401;
constexpr std::uint32_t gamepadDetached = 0x0402;
}  // namespace WindowMessages

// System commands (the wParam of systemCommand with its low four bits cleared).
namespace SystemCommands {
constexpr std::uint32_t minimize = 0xF020;
constexpr std::uint32_t close = 0xF060;
constexpr std::uint32_t screenSave = 0xF140;
}  // namespace SystemCommands

// Virtual-key codes of the keys that the window procedure reacts to, beside those of
// InputDevices.h.
namespace VirtualKeys {
constexpr std::uint32_t escape = 27;
constexpr std::uint32_t f1 = 112;
constexpr std::uint32_t f2 = 113;
constexpr std::uint32_t f3 = 114;
constexpr std::uint32_t f4 = 115;
constexpr std::uint32_t f5 = 116;
constexpr std::uint32_t f11 = 122;
constexpr std::uint32_t enter = 0x0D;
}  // namespace VirtualKeys

// The key flags of a key message: set when the key was already down, an auto-repeat.
constexpr std::int64_t keyRepeatFlag = std::int64_t{1} << 30;

constexpr std::uint16_t lowWord(std::int64_t value) {
  return static_cast<std::uint16_t>(static_cast<std::uint64_t>(value) & 0xFFFFu);
}
constexpr std::uint16_t highWord(std::int64_t value) {
  return static_cast<std::uint16_t>((static_cast<std::uint64_t>(value) >> 16) & 0xFFFFu);
}
constexpr std::int64_t makeLParam(std::uint16_t low, std::uint16_t high) {
  return static_cast<std::int64_t>(low) | (static_cast<std::int64_t>(high) << 16);
}
