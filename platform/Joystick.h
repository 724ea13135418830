#pragma once

#include <cstdint>
#include <optional>

#include "JoystickReporter.h"

union SDL_Event;

// Joystick 1 (SDL's first joystick that is no gamepad) captured for the game window: its axis and
// button events become change-only reports.
class Joystick {
public:
  static constexpr int defaultThreshold = 999;

  Joystick();
  ~Joystick();
  Joystick(const Joystick&) = delete;
  Joystick& operator=(const Joystick&) = delete;

  // The distance an axis must move beyond the last reported position to be reported again.
  void setThreshold(int units) { reporter_.setThreshold(units); }
  int threshold() const { return reporter_.threshold(); }

  // Opens joystick 1, the first joystick that is not a gamepad with a mapping; false when
  // there is none or it can't be opened.
  bool capture();
  void release();
  bool captured() const { return instanceId_ >= 0; }

  // The report that an event of the captured joystick gives; nothing for other events,
  // for changes within the threshold and when no joystick is captured.
  std::optional<JoystickReport> translate(const SDL_Event& event);

private:
  void startReporting();

  JoystickReporter reporter_;
  std::int32_t instanceId_ = -1;
};
