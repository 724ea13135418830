#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "DemoWriter.h"
#include "FakeWindow.h"
#include "GameSession.h"
#include "GameWindow.h"
#include "GameWindowHost.h"
#include "GameWindowProcedure.h"
#include "GlBinding.h"
#include "SdlInputDevices.h"
#include "Settings.h"
#include "SettingsSandbox.h"
#include "VirtualGamepad.h"
#include "engine/FakeClock.h"

namespace {

// The demo played in a real game window on SDL's offscreen driver, its messages drained
// into the window procedure before every frame as the game's loop does, with gamepads made
// in software plugged in and out during the run.
class GamepadPlayTest : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("zirrow-pad-play-" + std::to_string(std::random_device{}()));
    ASSERT_EQ(DemoWriter::write(folder_.string()), "");
    // No gamepad mappings of the player's own.
    setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    // SDL hands on gamepad input only to a window with the keyboard focus, which the
    // offscreen driver's windows never get.
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    displaySettings = DisplaySettings{};
    ASSERT_EQ(bindOpenGL("opengl32.dll"), 1);
    ASSERT_EQ(FmGLEngine::setPixelFormat(32), 1);
    ASSERT_TRUE(window_.create("Zirrow gamepad test", 0, 0, 320, 240, false));
    ASSERT_EQ(window_.gamepadProblem(), "");
    devices_.setGamepads(&window_.gamepads());
    ASSERT_EQ(game_.loadLevel(RWCString((folder_ / DemoWriter::sceneFileName).c_str())), 1);
    procedure_.setPixelFormatReady(true);
    procedure_.handle({WindowMessages::create, 0, 0});
    procedure_.setWindowOpen(true);
    window_.show();
    ASSERT_TRUE(game_.started());
    game_.input().setActive();
  }
  void TearDown() override {
    if (window_.exists()) procedure_.handle({WindowMessages::close, 0, 0});
    unbindOpenGL();
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // One pass of the game's loop: the waiting messages, then a frame 20 ms on.
  void playFrame() {
    WindowMessage message;
    while (window_.peekMessage() && window_.getMessage(message)) procedure_.handle(message);
    clock_.advanceMilliseconds(20);
    game_.tick(devices_);
    procedure_.serveSoundRequests();
    gunSounds_ += game_.gunSoundRequest() ? 1 : 0;
    game_.clearSoundRequests();
  }

  FakeClock clock_;
  GameSession game_{clock_};
  FakeSoundDevice sound_;
  SdlInputDevices devices_;
  GameWindow window_;
  GameWindowHost host_{window_};
  GameWindowProcedure procedure_{game_, sound_, devices_, host_};
  int gunSounds_ = 0;

private:
  std::filesystem::path folder_;
};

}  // namespace

TEST_F(GamepadPlayTest, APadPluggedInDuringTheRunSteersAndFiresAndUnpluggingHandsBack) {
  playFrame();
  ASSERT_EQ(game_.input().inputMode, keyboardMode);
  ASSERT_TRUE(game_.input().cursorActive()) << "the cursor must be over the window";

  VirtualGamepad pad;
  ASSERT_TRUE(pad.pluggedIn()) << pad.error();
  pad.setAxis(VirtualGamepad::Axis::leftX, -20000);
  playFrame();
  EXPECT_EQ(game_.input().inputMode, gamepadMode);
  playFrame();
  EXPECT_FLOAT_EQ(game_.lastYawRate(), GameSession::turnRate);
  EXPECT_FLOAT_EQ(game_.lastPitchRate(), 0.0f);
  EXPECT_TRUE(game_.firstInputSeen());

  pad.setAxis(VirtualGamepad::Axis::leftX, 0);
  pad.setButton(VirtualGamepad::Button::dpadUp, true);
  playFrame();
  EXPECT_FLOAT_EQ(game_.lastYawRate(), 0.0f);
  EXPECT_FLOAT_EQ(game_.lastPitchRate(), GameSession::turnRate);
  pad.setButton(VirtualGamepad::Button::dpadUp, false);

  // Holding A fires as the space bar does, and hits make the pad rumble.
  pad.setButton(VirtualGamepad::Button::a, true);
  for (int frame = 0; frame < 600 && pad.rumbleCount() == 0; ++frame) playFrame();
  EXPECT_GT(gunSounds_, 1);
  EXPECT_GT(pad.rumbleCount(), 0) << "no hit rumbled the pad";
  pad.setButton(VirtualGamepad::Button::a, false);
  pad.setAxis(VirtualGamepad::Axis::rightTrigger, 32767);
  gunSounds_ = 0;
  for (int frame = 0; frame < 20; ++frame) playFrame();
  EXPECT_GT(gunSounds_, 0) << "the right trigger fires";

  pad.setAxis(VirtualGamepad::Axis::leftX, 25000);
  pad.unplug();
  playFrame();
  EXPECT_EQ(game_.input().inputMode, keyboardMode);
  // A shot asked for during the cooldown still leaves once the cooldown is over.
  for (int frame = 0; frame < 10; ++frame) playFrame();
  gunSounds_ = 0;
  for (int frame = 0; frame < 20; ++frame) playFrame();
  EXPECT_FLOAT_EQ(game_.lastYawRate(), 0.0f);
  EXPECT_EQ(gunSounds_, 0) << "nothing holds fire once the pad is gone";
}

TEST_F(GamepadPlayTest, StartLeavesAsEscapeDoes) {
  SettingsSandbox sandbox;
  sandbox.write(
      "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo]\n"
      "\"useLevel\"=dword:00000001\n");
  VirtualGamepad pad;
  playFrame();
  pad.setButton(VirtualGamepad::Button::start, true);
  for (int pass = 0; pass < 5 && window_.exists(); ++pass) playFrame();
  EXPECT_FALSE(window_.exists()) << "the window was not closed";
  EXPECT_NE(sandbox.read().find("\"useLevel\"=dword:00000000"), std::string::npos)
      << sandbox.read();
}
