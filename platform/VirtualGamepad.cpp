#include "VirtualGamepad.h"

#include <SDL.h>

namespace {

int axisIndex(VirtualGamepad::Axis axis) {
  switch (axis) {
    case VirtualGamepad::Axis::leftX:
      return SDL_CONTROLLER_AXIS_LEFTX;
    case VirtualGamepad::Axis::leftY:
      return SDL_CONTROLLER_AXIS_LEFTY;
    case VirtualGamepad::Axis::rightTrigger:
      return SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
  }
  return SDL_CONTROLLER_AXIS_INVALID;
}

int buttonIndex(VirtualGamepad::Button button) {
  switch (button) {
    case VirtualGamepad::Button::a:
      return SDL_CONTROLLER_BUTTON_A;
    case VirtualGamepad::Button::back:
      return SDL_CONTROLLER_BUTTON_BACK;
    case VirtualGamepad::Button::start:
      return SDL_CONTROLLER_BUTTON_START;
    case VirtualGamepad::Button::dpadUp:
      return SDL_CONTROLLER_BUTTON_DPAD_UP;
    case VirtualGamepad::Button::dpadDown:
      return SDL_CONTROLLER_BUTTON_DPAD_DOWN;
    case VirtualGamepad::Button::dpadLeft:
      return SDL_CONTROLLER_BUTTON_DPAD_LEFT;
    case VirtualGamepad::Button::dpadRight:
      return SDL_CONTROLLER_BUTTON_DPAD_RIGHT;
  }
  return SDL_CONTROLLER_BUTTON_INVALID;
}

SDL_Joystick* asJoystick(void* joystick) {
  return static_cast<SDL_Joystick*>(joystick);
}

}  // namespace

VirtualGamepad::VirtualGamepad(Layout layout, const char* name) {
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
    error_ = SDL_GetError();
    return;
  }
  joystickStarted_ = true;
  SDL_VirtualJoystickDesc description{};
  description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  // An unmapped pad is a joystick that SDL knows nothing about: its own vendor and
  // product, which no mapping names.
  description.type =
      layout == Layout::mapped ? SDL_JOYSTICK_TYPE_GAMECONTROLLER : SDL_JOYSTICK_TYPE_UNKNOWN;
  description.naxes = SDL_CONTROLLER_AXIS_MAX;
  description.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  description.vendor_id = 0x5A52;  // "ZR"
  description.product_id = layout == Layout::mapped ? 1 : 2;
  description.name = name;
  description.userdata = this;
  description.Rumble = &VirtualGamepad::onRumble;
  deviceIndex_ = SDL_JoystickAttachVirtualEx(&description);
  if (deviceIndex_ < 0) {
    error_ = SDL_GetError();
    return;
  }
  // SDL takes the values of a virtual joystick only while it is open.
  joystick_ = SDL_JoystickOpen(deviceIndex_);
  if (!joystick_) error_ = SDL_GetError();
  if (layout == Layout::mapped) setAxis(Axis::rightTrigger, -32768);
}

VirtualGamepad::~VirtualGamepad() {
  unplug();
  if (joystickStarted_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

void VirtualGamepad::unplug() {
  if (deviceIndex_ < 0) return;
  const SDL_JoystickID id = joystick_ ? SDL_JoystickInstanceID(asJoystick(joystick_)) : -1;
  // Detaching takes the device's index, which earlier unplugged pads may have moved.
  for (int index = 0; index < SDL_NumJoysticks(); ++index) {
    if (SDL_JoystickGetDeviceInstanceID(index) == id) {
      SDL_JoystickDetachVirtual(index);
      break;
    }
  }
  if (joystick_) SDL_JoystickClose(asJoystick(joystick_));
  joystick_ = nullptr;
  deviceIndex_ = -1;
}

std::string VirtualGamepad::guid() const {
  if (!joystick_) return {};
  char text[64] = {};
  SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(asJoystick(joystick_)), text, sizeof text);
  return text;
}

void VirtualGamepad::setAxis(Axis axis, std::int16_t value) {
  if (joystick_) SDL_JoystickSetVirtualAxis(asJoystick(joystick_), axisIndex(axis), value);
}

void VirtualGamepad::setButton(Button button, bool pressed) {
  if (joystick_) {
    SDL_JoystickSetVirtualButton(asJoystick(joystick_), buttonIndex(button), pressed ? 1 : 0);
  }
}

int VirtualGamepad::onRumble(void* self, std::uint16_t low, std::uint16_t high) {
  if (low != 0 || high != 0) ++static_cast<VirtualGamepad*>(self)->rumbles_;
  return 0;
}
