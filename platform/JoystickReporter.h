#pragma once

#include <cstdint>
#include <optional>
#include <variant>

// The stick position, both axes from 0 (left, up) to 65535 (right, down).
struct JoystickMove {
  std::uint16_t x = 0;
  std::uint16_t y = 0;

  friend bool operator==(const JoystickMove&, const JoystickMove&) = default;
};

// A button went down or up. buttons holds the multimedia joystick's message parameter: bit
// 8 + n marks button n as the one that changed, bit n is set while button n is down.
struct JoystickButton {
  bool pressed = false;
  std::uint32_t buttons = 0;

  friend bool operator==(const JoystickButton&, const JoystickButton&) = default;
};

using JoystickReport = std::variant<JoystickMove, JoystickButton>;

// Turns raw axis and button changes of one joystick into the reports that the window
// messages carry: a move only when an axis has left the last reported position by more
// than the threshold, a button report only when the button's state really changes.
class JoystickReporter {
public:
  static constexpr int axisX = 0;
  static constexpr int axisY = 1;
  static constexpr int buttonCount = 4;  // the joystick messages know four buttons
  static constexpr std::uint16_t centrePosition = 32768;

  // Raw axis values run from -32768 to 32767.
  static std::uint16_t positionOf(std::int16_t axisValue);

  void setThreshold(int units) { threshold_ = units < 0 ? 0 : units; }
  int threshold() const { return threshold_; }

  // Takes the stick's current state as the last one reported, without reporting it.
  void start(std::int16_t xValue, std::int16_t yValue, std::uint32_t buttonsDown);

  std::optional<JoystickReport> axisMoved(int axis, std::int16_t value);
  std::optional<JoystickReport> buttonChanged(int button, bool pressed);

private:
  bool movedBeyondThreshold() const;

  int threshold_ = 0;
  JoystickMove position_{centrePosition, centrePosition};
  JoystickMove reported_{centrePosition, centrePosition};
  std::uint32_t buttonsDown_ = 0;
};
