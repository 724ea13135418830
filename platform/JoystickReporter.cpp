#include "JoystickReporter.h"

#include <cstdlib>

std::uint16_t JoystickReporter::positionOf(std::int16_t axisValue) {
  return static_cast<std::uint16_t>(axisValue + 32768);
}

void JoystickReporter::start(std::int16_t xValue, std::int16_t yValue, std::uint32_t buttonsDown) {
  position_ = {positionOf(xValue), positionOf(yValue)};
  reported_ = position_;
  buttonsDown_ = buttonsDown & ((1u << buttonCount) - 1);
}

std::optional<JoystickReport> JoystickReporter::axisMoved(int axis, std::int16_t value) {
  if (axis == axisX) {
    position_.x = positionOf(value);
  } else if (axis == axisY) {
    position_.y = positionOf(value);
  } else {
    return std::nullopt;
  }
  if (!movedBeyondThreshold()) return std::nullopt;
  reported_ = position_;
  return reported_;
}

std::optional<JoystickReport> JoystickReporter::buttonChanged(int button, bool pressed) {
  if (button < 0 || button >= buttonCount) return std::nullopt;
  const std::uint32_t bit = 1u << button;
  if (((buttonsDown_ & bit) != 0) == pressed) return std::nullopt;
  buttonsDown_ = pressed ? (buttonsDown_ | bit) : (buttonsDown_ & ~bit);
  return JoystickButton{pressed, (bit << 8) | buttonsDown_};
}

bool JoystickReporter::movedBeyondThreshold() const {
  return std::abs(position_.x - reported_.x) > threshold_ ||
         std::abs(position_.y - reported_.y) > threshold_;
}
