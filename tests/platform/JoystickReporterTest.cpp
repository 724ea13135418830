#include <gtest/gtest.h>

#include "Joystick.h"
#include "JoystickReporter.h"

namespace {

std::optional<JoystickReport> move(std::uint16_t x, std::uint16_t y) {
  return JoystickReport{JoystickMove{x, y}};
}

std::optional<JoystickReport> button(bool pressed, std::uint32_t buttons) {
  return JoystickReport{JoystickButton{pressed, buttons}};
}

TEST(JoystickReporterTest, AxisValuesMapOntoTheUnsignedRange) {
  EXPECT_EQ(JoystickReporter::positionOf(-32768), 0);
  EXPECT_EQ(JoystickReporter::positionOf(0), 32768);
  EXPECT_EQ(JoystickReporter::positionOf(32767), 65535);
}

TEST(JoystickReporterTest, MovesAreReportedOnlyBeyondTheThresholdFromTheLastReport) {
  JoystickReporter reporter;
  reporter.setThreshold(999);
  reporter.start(0, 0, 0);

  EXPECT_EQ(reporter.axisMoved(JoystickReporter::axisX, 999), std::nullopt);
  EXPECT_EQ(reporter.axisMoved(JoystickReporter::axisX, 1000), move(33768, 32768));
  // Small steps add up against the last reported position, not the last event.
  EXPECT_EQ(reporter.axisMoved(JoystickReporter::axisY, -600), std::nullopt);
  EXPECT_EQ(reporter.axisMoved(JoystickReporter::axisY, -1000), move(33768, 31768));
  EXPECT_EQ(reporter.axisMoved(JoystickReporter::axisY, -1000), std::nullopt);
  // The z axis and any further ones are not reported.
  EXPECT_EQ(reporter.axisMoved(2, 32767), std::nullopt);
}

TEST(JoystickReporterTest, StartTakesTheCurrentStateWithoutReportingIt) {
  JoystickReporter reporter;
  reporter.setThreshold(999);
  reporter.start(-32768, 32767, 0b0001);
  EXPECT_EQ(reporter.axisMoved(JoystickReporter::axisX, -32000), std::nullopt);
  EXPECT_EQ(reporter.buttonChanged(0, true), std::nullopt);
  EXPECT_EQ(reporter.buttonChanged(0, false), button(false, 0x100));
}

TEST(JoystickReporterTest, ButtonsReportChangesWithTheStateOfAllFour) {
  JoystickReporter reporter;
  reporter.start(0, 0, 0);
  EXPECT_EQ(reporter.buttonChanged(0, true), button(true, 0x101));
  EXPECT_EQ(reporter.buttonChanged(0, true), std::nullopt);
  EXPECT_EQ(reporter.buttonChanged(2, true), button(true, 0x405));
  EXPECT_EQ(reporter.buttonChanged(0, false), button(false, 0x104));
  EXPECT_EQ(reporter.buttonChanged(2, false), button(false, 0x400));
  EXPECT_EQ(reporter.buttonChanged(2, false), std::nullopt);
  EXPECT_EQ(reporter.buttonChanged(4, true), std::nullopt);
  EXPECT_EQ(reporter.buttonChanged(-1, true), std::nullopt);
}

TEST(JoystickTest, CaptureFailsWithoutAJoystickAndReleaseIsHarmless) {
  Joystick joystick;
  EXPECT_EQ(joystick.threshold(), Joystick::defaultThreshold);
  EXPECT_FALSE(joystick.capture());
  EXPECT_FALSE(joystick.captured());
  joystick.release();
  EXPECT_FALSE(joystick.captured());
}

}  // namespace
