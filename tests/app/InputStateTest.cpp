#include <gtest/gtest.h>

#include <vector>

#include "FakeInputDevices.h"
#include "InputState.h"

namespace {

// An 800x600 window at the screen's origin: centre (400, 300), centreBox 280..520 x 210..390.
class InputStateTest : public ::testing::Test {
protected:
  void SetUp() override {
    input.setWindowRect({0, 0, 800, 600});
    devices.cursor = ScreenPoint{400, 300};
  }

  void startIn(std::int32_t mode) {
    input.inputMode = mode;
    input.updateCursor(devices);
  }

  bool anyDirection() const { return input.left || input.right || input.up || input.down; }

  InputState input;
  FakeInputDevices devices;
};

TEST_F(InputStateTest, WindowRectGivesCentreAndCentreBoxByIntegerArithmetic) {
  input.setWindowRect({13, 7, 814, 608});  // 801 x 601
  EXPECT_EQ(input.centre(), (ScreenPoint{413, 307}));
  // 801 * 30 / 100 = 240, 601 * 30 / 100 = 180
  EXPECT_EQ(input.centreBox(), (ScreenRect{293, 217, 533, 397}));
  EXPECT_EQ(input.lastMousePosition(), input.centre());

  input.setWindowRect({-101, -51, 100, 50});  // 201 x 101 across the origin
  EXPECT_EQ(input.centre(), (ScreenPoint{-1, -1}));
  EXPECT_EQ(input.centreBox(), (ScreenRect{-31, -16, 29, 14}));
}

TEST_F(InputStateTest, CentreCursorMovesTheSystemCursorAndTheLastMousePosition) {
  input.recordMousePosition({5, 5});
  devices.cursor = ScreenPoint{0, 0};
  input.centreCursor(devices);
  EXPECT_EQ(devices.cursor, (ScreenPoint{400, 300}));
  EXPECT_EQ(input.lastMousePosition(), (ScreenPoint{400, 300}));
}

TEST_F(InputStateTest, KeyboardSetsEachFlagFromItsKeyAndLeftWithRightSetsBoth) {
  startIn(keyboardMode);
  devices.keysDown = {VirtualKey::left, VirtualKey::right, VirtualKey::space};
  input.pollKeyboard(devices);
  EXPECT_TRUE(input.left);
  EXPECT_TRUE(input.right);
  EXPECT_TRUE(input.fire);
  EXPECT_FALSE(input.up);
  EXPECT_FALSE(input.down);

  devices.keysDown = {VirtualKey::up, VirtualKey::down};
  input.pollKeyboard(devices);
  EXPECT_TRUE(input.up);
  EXPECT_TRUE(input.down);
  EXPECT_FALSE(input.left);
  EXPECT_FALSE(input.right);
  EXPECT_FALSE(input.fire);
}

TEST_F(InputStateTest, MouseRestingInsideCentreBoxDoesNotSteer) {
  startIn(mouseMode);
  devices.cursor = ScreenPoint{300, 220};
  for (int frame = 0; frame < 5; ++frame) input.updateCursor(devices);
  input.mouseMove(400, 300);
  EXPECT_FALSE(anyDirection());
}

TEST_F(InputStateTest, SmallMovesInsideCentreBoxSteerOncePerFourPixels) {
  startIn(mouseMode);
  input.mouseMove(402, 300);
  EXPECT_FALSE(anyDirection());
  input.mouseMove(404, 300);
  EXPECT_TRUE(input.right);
  EXPECT_FALSE(input.left);
  input.clearDirections();

  input.mouseMove(407, 300);  // 3 more: not yet
  EXPECT_FALSE(anyDirection());
  input.mouseMove(402, 300);  // back by 5: accumulated -2
  EXPECT_FALSE(anyDirection());
  input.mouseMove(400, 300);  // -4
  EXPECT_TRUE(input.left);
  EXPECT_FALSE(input.right);
  input.clearDirections();

  input.mouseMove(400, 304);
  EXPECT_TRUE(input.down);
  EXPECT_FALSE(input.up);
  input.mouseMove(400, 296);
  EXPECT_TRUE(input.up);
  EXPECT_EQ(input.lastMousePosition(), (ScreenPoint{400, 296}));
}

TEST_F(InputStateTest, CursorOutsideCentreBoxSteersEveryFrameAndResetsAccumulation) {
  startIn(mouseMode);
  input.mouseMove(403, 300);  // accumulated 3
  devices.cursor = ScreenPoint{100, 500};
  for (int frame = 0; frame < 3; ++frame) {
    input.clearDirections();
    input.updateCursor(devices);
    EXPECT_TRUE(input.left);
    EXPECT_TRUE(input.down);
    EXPECT_FALSE(input.right);
    EXPECT_FALSE(input.up);
  }
  input.clearDirections();
  input.mouseMove(404, 300);  // last position was 403: one pixel after the reset
  EXPECT_FALSE(anyDirection());

  devices.cursor = ScreenPoint{700, 100};
  input.updateCursor(devices);
  EXPECT_TRUE(input.right);
  EXPECT_TRUE(input.up);
}

TEST_F(InputStateTest, JoystickDeflectionBelowDeadZoneSetsNothing) {
  startIn(joystickMode);
  input.joystickMove(32768 + 2999, 32768 - 2999);
  EXPECT_FALSE(anyDirection());

  input.joystickMove(32768 + 3000, 32768);
  EXPECT_TRUE(input.right);
  EXPECT_FALSE(input.left);
  input.joystickMove(32768 - 3000, 32768 + 3000);
  EXPECT_TRUE(input.left);
  EXPECT_FALSE(input.right);
  EXPECT_TRUE(input.down);
  input.clearDirections();

  input.joystickMove(0, 0);
  EXPECT_TRUE(input.left);
  EXPECT_TRUE(input.up);
  EXPECT_FALSE(input.down);
  input.clearDirections();
  input.joystickMove(65535, 65535);
  EXPECT_TRUE(input.right);
  EXPECT_TRUE(input.down);
}

TEST_F(InputStateTest, EachDeviceSteersOnlyInItsOwnMode) {
  startIn(keyboardMode);
  devices.cursor = ScreenPoint{100, 500};  // outside centreBox
  input.updateCursor(devices);
  input.mouseMove(410, 310);
  input.joystickMove(0, 0);
  input.mouseButton(true);
  input.joystickButton(true);
  EXPECT_FALSE(anyDirection());
  EXPECT_FALSE(input.fire);

  devices.cursor = input.centre();
  startIn(mouseMode);
  devices.keysDown = {VirtualKey::left, VirtualKey::space};
  input.pollKeyboard(devices);
  input.joystickButton(true);
  EXPECT_FALSE(anyDirection());
  EXPECT_FALSE(input.fire);
  input.mouseButton(true);
  EXPECT_TRUE(input.fire);
  input.clearDirections();
  EXPECT_TRUE(input.fire);
  input.mouseButton(false);
  EXPECT_FALSE(input.fire);

  startIn(joystickMode);
  input.mouseButton(true);
  EXPECT_FALSE(input.fire);
  input.joystickButton(true);
  EXPECT_TRUE(input.fire);
  input.joystickButton(false);
  EXPECT_FALSE(input.fire);
}

TEST_F(InputStateTest, LeavingTheWindowShowsTheCursorAndReturningHidesIt) {
  input.updateCursor(devices);
  EXPECT_TRUE(input.cursorActive());
  EXPECT_EQ(devices.shown, Cursor::none);

  devices.cursor = ScreenPoint{800, 300};  // right edge lies outside
  input.updateCursor(devices);
  EXPECT_FALSE(input.cursorActive());
  EXPECT_EQ(devices.shown, Cursor::normal);

  devices.cursor = ScreenPoint{799, 599};
  input.updateCursor(devices);
  EXPECT_TRUE(input.cursorActive());
  EXPECT_EQ(devices.shown, Cursor::none);
  EXPECT_EQ(devices.hideCount, 2);
}

TEST_F(InputStateTest, LeavingShowsACursorEvenWhenItWasAlreadyHidden) {
  // Start-up hides the cursor and sets the flag; focus loss clears the flag only.
  input.hideCursor(devices);
  input.setActive();
  input.clearActive();
  input.updateCursor(devices);  // inside again: hidden once more
  EXPECT_TRUE(input.cursorActive());

  devices.cursor = ScreenPoint{-1, 300};
  input.updateCursor(devices);
  EXPECT_EQ(devices.shown, Cursor::normal);
}

TEST_F(InputStateTest, UnreadableCursorChangesNothing) {
  input.setActive();
  devices.cursor.reset();
  input.inputMode = mouseMode;
  input.updateCursor(devices);
  EXPECT_TRUE(input.cursorActive());
  EXPECT_EQ(devices.hideCount, 0);
  EXPECT_FALSE(anyDirection());
}

}  // namespace

TEST_F(InputStateTest, APadInUseSteersBeyondTheJoysticksDeadZoneAndFiresWithAOrTheTrigger) {
  startIn(keyboardMode);
  input.useGamepad();
  EXPECT_EQ(input.inputMode, gamepadMode);
  struct Case {
    GamepadState pad;
    bool left, right, up, down, fire;
  };
  GamepadState centre;
  GamepadState small;
  small.leftX = -(InputState::joystickDeadZone - 1);
  small.leftY = InputState::joystickDeadZone - 1;
  small.rightTrigger = InputState::joystickDeadZone - 1;
  GamepadState pushed;
  pushed.leftX = -InputState::joystickDeadZone;
  pushed.leftY = InputState::joystickDeadZone;
  pushed.rightTrigger = InputState::joystickDeadZone;
  GamepadState upRight;
  upRight.leftX = 32767;
  upRight.leftY = -32768;
  GamepadState dpad;
  dpad.dpadLeft = dpad.dpadDown = true;
  dpad.a = true;
  for (const Case& c : std::vector<Case>{{centre, false, false, false, false, false},
                                         {small, false, false, false, false, false},
                                         {pushed, true, false, false, true, true},
                                         {upRight, false, true, true, false, false},
                                         {dpad, true, false, false, true, true}}) {
    devices.gamepad = c.pad;
    input.pollKeyboard(devices);
    EXPECT_EQ(input.left, c.left);
    EXPECT_EQ(input.right, c.right);
    EXPECT_EQ(input.up, c.up);
    EXPECT_EQ(input.down, c.down);
    EXPECT_EQ(input.fire, c.fire);
    input.clearDirections();
  }
}

TEST_F(InputStateTest, TheKeyboardStillSteersBesideThePad) {
  startIn(keyboardMode);
  input.useGamepad();
  devices.gamepad = GamepadState{};
  devices.gamepad->leftX = 20000;
  devices.keysDown = {VirtualKey::left, VirtualKey::space};
  input.pollKeyboard(devices);
  EXPECT_TRUE(input.left);
  EXPECT_TRUE(input.right);
  EXPECT_TRUE(input.fire);
}

TEST_F(InputStateTest, LeavingThePadBringsBackTheDeviceThatSteeredBefore) {
  for (std::int32_t mode : {keyboardMode, mouseMode, joystickMode}) {
    InputState state;
    state.inputMode = mode;
    state.useGamepad();
    state.useGamepad();  // a second pad changes nothing more
    devices.gamepad = GamepadState{};
    devices.gamepad->a = true;
    state.pollKeyboard(devices);
    EXPECT_TRUE(state.fire);
    state.leaveGamepad();
    EXPECT_EQ(state.inputMode, mode);
    EXPECT_FALSE(state.fire) << "the pad's button no longer holds fire";
    state.leaveGamepad();
    EXPECT_EQ(state.inputMode, mode);
  }
  // Back on the keyboard the pad, were it still there, does not steer.
  startIn(keyboardMode);
  devices.gamepad->leftX = -30000;
  input.pollKeyboard(devices);
  EXPECT_FALSE(input.left);
  EXPECT_FALSE(input.fire);
}
