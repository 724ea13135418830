#include "Joystick.h"

#include <SDL.h>

Joystick::Joystick() {
  reporter_.setThreshold(defaultThreshold);
}

Joystick::~Joystick() {
  release();
}

bool Joystick::capture() {
  if (captured()) return true;
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
  // Gamepads that SDL has a mapping for are the game controller API's, not joystick 1.
  int plain = 0;
  while (plain < SDL_NumJoysticks() && SDL_IsGameController(plain)) ++plain;
  SDL_Joystick* device = plain < SDL_NumJoysticks() ? SDL_JoystickOpen(plain) : nullptr;
  if (!device) {
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    return false;
  }
  instanceId_ = SDL_JoystickInstanceID(device);
  startReporting();
  return true;
}

void Joystick::release() {
  if (!captured()) return;
  SDL_JoystickClose(SDL_JoystickFromInstanceID(instanceId_));
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  instanceId_ = -1;
}

std::optional<JoystickReport> Joystick::translate(const SDL_Event& event) {
  if (!captured()) return std::nullopt;
  switch (event.type) {
    case SDL_JOYAXISMOTION:
      if (event.jaxis.which != instanceId_) return std::nullopt;
      return reporter_.axisMoved(event.jaxis.axis, event.jaxis.value);
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
      if (event.jbutton.which != instanceId_) return std::nullopt;
      return reporter_.buttonChanged(event.jbutton.button, event.jbutton.state == SDL_PRESSED);
    default:
      return std::nullopt;
  }
}

void Joystick::startReporting() {
  SDL_Joystick* device = SDL_JoystickFromInstanceID(instanceId_);
  std::uint32_t buttonsDown = 0;
  for (int button = 0; button < JoystickReporter::buttonCount; ++button) {
    if (SDL_JoystickGetButton(device, button)) buttonsDown |= 1u << button;
  }
  reporter_.start(SDL_JoystickGetAxis(device, JoystickReporter::axisX),
                  SDL_JoystickGetAxis(device, JoystickReporter::axisY), buttonsDown);
}
