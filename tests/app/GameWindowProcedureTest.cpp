#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "DemoWriter.h"
#include "FakeInputDevices.h"
#include "FileSizeLimit.h"
#include "FakeWindow.h"
#include "GameLoop.h"
#include "GameSession.h"
#include "GameWindowProcedure.h"
#include "GlBinding.h"
#include "HiddenGlWindow.h"
#include "Settings.h"
#include "SettingsSandbox.h"
#include "engine/FakeClock.h"

namespace {

WindowMessage message(std::uint32_t value, std::uint32_t wParam = 0, std::int64_t lParam = 0) {
  return WindowMessage{value, wParam, lParam};
}

// Hands out the scripted messages; once they are gone and the loop has run the given
// number of further passes, the quit message. Each wait lets the clock run on by
// the time waited, as the real queue does when nothing arrives.
class ScriptedMessages : public MessageSource {
public:
  ScriptedMessages(FakeClock& clock, std::deque<WindowMessage> script, int idlePasses)
      : clock_(clock), script_(std::move(script)), idlePasses_(idlePasses) {}

  bool peekMessage() override {
    if (!script_.empty()) return true;
    ++idlePeeks;
    return idlePeeks > idlePasses_;
  }
  bool getMessage(WindowMessage& message) override {
    if (script_.empty()) {
      message = WindowMessage{WindowMessages::quit, 7, 0};
      return false;
    }
    message = script_.front();
    script_.pop_front();
    return true;
  }
  void waitForMessage(int milliseconds) override {
    waits.push_back(milliseconds);
    clock_.advanceMilliseconds(static_cast<std::uint64_t>(milliseconds));
  }

  int idlePeeks = 0;
  std::vector<int> waits;

private:
  FakeClock& clock_;
  std::deque<WindowMessage> script_;
  int idlePasses_;
};

// The procedure of a windowed 800x600 game without a rendering context.
class GameWindowProcedureTest : public ::testing::Test {
protected:
  void SetUp() override {
    displaySettings = DisplaySettings{};
    desktopCapabilities = DesktopCapabilities{1, 1920, 1080, 60};
  }
  void TearDown() override {
    displaySettings = DisplaySettings{};
    desktopCapabilities = DesktopCapabilities{};
  }
  std::int64_t send(std::uint32_t value, std::uint32_t wParam = 0, std::int64_t lParam = 0) {
    return procedure.handle(message(value, wParam, lParam));
  }
  void createWindow() {
    send(WindowMessages::create);
    procedure.setWindowOpen(true);
    send(WindowMessages::activate, 1);
    send(WindowMessages::setFocus);
  }

  FakeClock clock;
  GameSession game{clock};
  FakeSoundDevice sound;
  FakeInputDevices devices;
  FakeWindowHost host;
  GameWindowProcedure procedure{game, sound, devices, host};
};

TEST_F(GameWindowProcedureTest, CreatingTheWindowLoadsTheEffectsInOrderAndSetsTheInputArea) {
  createWindow();
  EXPECT_EQ(sound.calls,
            (std::vector<std::string>{"init", "load sounds\\Bgun.wav 2", "load sounds\\fail.wav 3",
                                      "load sounds\\winner.wav 4", "restart -1"}));
  EXPECT_EQ(game.input().windowRect(), (ScreenRect{104, 74, 904, 674}));
  EXPECT_EQ(devices.cursor, (ScreenPoint{504, 374}));
  EXPECT_EQ(host.calls.front(), "threshold 999");
  EXPECT_EQ(procedure.renderingContext(), nullptr);
  EXPECT_FALSE(game.started());
}

TEST_F(GameWindowProcedureTest, SoundFilesThatCantBeLoadedAreNamedInOneBox) {
  sound.brokenFiles = {"sounds\\Bgun.wav", "sounds\\winner.wav"};
  createWindow();
  send(WindowMessages::paint);
  send(WindowMessages::keyDown, VirtualKeys::f5);
  EXPECT_EQ(host.messages,
            (std::vector<std::string>{
                "Sound: These sound effects can't be loaded, and the game plays without them (the "
                "game looks for them in the folder it was started from):\nsounds/Bgun.wav: "
                "Unrecognized audio format\nsounds/winner.wav: Unrecognized audio format"}));
}

TEST_F(GameWindowProcedureTest, WithoutASoundDeviceTheGameIsSilentWithoutABox) {
  sound.initResult = 1;
  sound.brokenFiles = {"sounds\\Bgun.wav", "sounds\\fail.wav", "sounds\\winner.wav"};
  createWindow();
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(GameWindowProcedureTest, WithoutEffectsTheMixerStillOpensButNoWaveLoads) {
  game.values().playEffects = 0;
  send(WindowMessages::create);
  EXPECT_EQ(sound.calls, (std::vector<std::string>{"init"}));
}

TEST_F(GameWindowProcedureTest, FullScreenUsesTheWholeWindowAsInputArea) {
  displaySettings.fullScreen = 1;
  createWindow();
  EXPECT_EQ(game.input().windowRect(), host.rect);
  host.rect = {0, 0, 640, 480};
  send(WindowMessages::move);
  EXPECT_EQ(game.input().windowRect(), host.rect);
}

TEST_F(GameWindowProcedureTest, TheInputDeviceFollowsTheJoystickSetting) {
  struct Case {
    int joyStick;
    bool present;
    std::int32_t mode;
  };
  for (const Case& c : std::vector<Case>{{0, true, keyboardMode},
                                         {1, true, joystickMode},
                                         {1, false, keyboardMode},
                                         {2, false, mouseMode},
                                         {3, true, keyboardMode}}) {
    FakeClock ownClock;
    GameSession session(ownClock);
    FakeWindowHost ownHost;
    ownHost.joystickPresent = c.present;
    GameWindowProcedure ownProcedure(session, sound, devices, ownHost);
    session.values().joyStick = c.joyStick;
    ownProcedure.handle(message(WindowMessages::create));
    EXPECT_EQ(session.input().inputMode, c.mode) << c.joyStick << " " << c.present;
  }
}

TEST_F(GameWindowProcedureTest, MovesBeforeTheWindowIsOpenAreIgnored) {
  send(WindowMessages::move);
  EXPECT_EQ(game.input().windowRect(), ScreenRect{});
  procedure.setWindowOpen(true);
  EXPECT_EQ(send(WindowMessages::move), 1);
  EXPECT_EQ(game.input().windowRect(), (ScreenRect{100, 50, 908, 680}));
}

TEST_F(GameWindowProcedureTest, F5TwiceRestoresTheOverlayAndOtherKeysDoNothing) {
  createWindow();
  EXPECT_FALSE(game.showStats());
  EXPECT_EQ(send(WindowMessages::keyDown, VirtualKeys::f5), 0);
  EXPECT_TRUE(game.showStats());
  send(WindowMessages::keyDown, VirtualKeys::f5);
  EXPECT_FALSE(game.showStats());
  host.calls.clear();
  for (std::uint32_t key : {0x41u, 0x20u, 117u, 118u}) send(WindowMessages::keyDown, key);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_FALSE(game.showStats());
}

TEST_F(GameWindowProcedureTest, TheScreenSaverIsSwallowedAndOtherCommandsGoOn) {
  EXPECT_EQ(send(WindowMessages::systemCommand, SystemCommands::screenSave), 0);
  EXPECT_EQ(send(WindowMessages::systemCommand, SystemCommands::screenSave | 0x2), 0);
  EXPECT_EQ(send(WindowMessages::systemCommand, SystemCommands::minimize),
            GameWindowProcedure::defaultResult);
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(GameWindowProcedureTest, JoystickButtonsFireExceptTheReleasedButtonChange) {
  game.input().inputMode = joystickMode;
  EXPECT_EQ(send(WindowMessages::joystick1ButtonDown, 0x100), 1);
  EXPECT_FALSE(game.input().fire);
  send(WindowMessages::joystick1ButtonDown, 0x101);
  EXPECT_TRUE(game.input().fire);
  send(WindowMessages::joystick1ButtonUp, 0x100);
  EXPECT_FALSE(game.input().fire);
  EXPECT_EQ(send(WindowMessages::joystick1ZMove), 1);
  EXPECT_EQ(send(WindowMessages::waveDone), 1);
  EXPECT_EQ(send(WindowMessages::eraseBackground), 1);
}

TEST_F(GameWindowProcedureTest, TheFirstMouseMoveOnlyRecordsThePosition) {
  createWindow();
  game.input().inputMode = mouseMode;
  send(WindowMessages::mouseMove, 0, makeLParam(560, 374));
  EXPECT_EQ(game.input().lastMousePosition(), (ScreenPoint{560, 374}));
  EXPECT_FALSE(game.input().right);
  send(WindowMessages::mouseMove, 0, makeLParam(572, 374));
  EXPECT_TRUE(game.input().right);
}

TEST_F(GameWindowProcedureTest, LosingFocusFreezesTimeAndSoundAndRegainingItDoesNotJump) {
  createWindow();
  game.beginTime();
  clock.advanceMilliseconds(100);
  const float before = game.currentTime();
  sound.calls.clear();
  send(WindowMessages::activate, 0);
  send(WindowMessages::killFocus);
  EXPECT_TRUE(game.paused());
  EXPECT_FALSE(game.input().cursorActive());
  clock.advanceMilliseconds(5000);
  EXPECT_FLOAT_EQ(game.currentTime(), before);
  send(WindowMessages::activate, 1);
  send(WindowMessages::setFocus);
  EXPECT_FALSE(game.paused());
  EXPECT_TRUE(game.input().cursorActive());
  clock.advanceMilliseconds(20);
  EXPECT_NEAR(game.currentTime(), before + 0.02f, 1e-4f);
  EXPECT_EQ(sound.calls, (std::vector<std::string>{"pause -1", "restart -1"}));
  EXPECT_TRUE(host.calls.back() != "minimise");
}

TEST_F(GameWindowProcedureTest, AFullScreenGameMinimisesWhenLeftAndComesBackInItsMode) {
  displaySettings.fullScreen = 1;
  procedure.setDisplayModeSet(true);
  createWindow();
  send(WindowMessages::activate, 0);
  EXPECT_EQ(host.calls.back(), "minimise");
  EXPECT_FALSE(procedure.displayModeSet());
  EXPECT_FALSE(procedure.windowActivated());
  EXPECT_TRUE(game.paused());
  send(WindowMessages::activate, 1);
  EXPECT_EQ(host.calls.back(), "restore");
  EXPECT_TRUE(procedure.displayModeSet());
  EXPECT_TRUE(procedure.windowActivated());
  EXPECT_FALSE(game.paused());
}

TEST_F(GameWindowProcedureTest, EscapeSavesTheProgressWithoutTheStartChoiceThenCloses) {
  SettingsSandbox sandbox;
  sandbox.write(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo]\r\n");
  game.values() = GameValues{12, 1, 1, 0};
  game.setCurrentLevel(4);
  send(WindowMessages::keyDown, VirtualKeys::escape);
  EXPECT_EQ(host.calls.back(), "postClose");
  GameValues stored;
  ASSERT_TRUE(readGameSettings(stored));
  EXPECT_EQ(stored.level, 16);
  EXPECT_EQ(stored.useLevel, 0);
  EXPECT_EQ(stored.playEffects, 1);
}

TEST_F(GameWindowProcedureTest, EscapeWithoutTheSettingsKeyWritesNoFileAndSaysWhy) {
  SettingsSandbox sandbox;
  send(WindowMessages::keyDown, VirtualKeys::escape);
  EXPECT_FALSE(sandbox.exists());
  EXPECT_EQ(host.calls.back(), "postClose");
  EXPECT_EQ(host.messages,
            (std::vector<std::string>{"Settings: Your progress can't be saved: the settings file " +
                                      sandbox.file().string() +
                                      " does not exist (zirrow-install creates the settings)."}));
}

// Sets or removes environment variables for the test's time.
class EnvironmentChange {
public:
  void unset(const char* name) {
    remember(name);
    unsetenv(name);
  }
  ~EnvironmentChange() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

private:
  void remember(const char* name) {
    const char* value = std::getenv(name);
    saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(GameWindowProcedureTest, EscapeWhoseSaveFailsSaysWhatAndWhyThenCloses) {
  const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
  const std::string gameKey = "[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo]\r\n";
  struct Case {
    const char* what;
    std::function<void(const SettingsSandbox&)> prepare;
    std::string reason;
  };
  const std::vector<Case> cases{
      {"malformed", [](const SettingsSandbox& s) { s.write("[not a registry file]\n"); },
       " is not a registry file: its first line is not \"Windows Registry Editor Version 5.00\""},
      {"oversized",
       [&](const SettingsSandbox& s) {
         s.write(header + gameKey + std::string(1024 * 1024, ';') + "\r\n");
       },
       " is larger than the 1048576 bytes a settings file may take"},
      {"without the key", [&](const SettingsSandbox& s) { s.write(header); },
       " has no key [HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo] (zirrow-install "
       "creates the settings)"},
      {"a folder", [](const SettingsSandbox& s) { std::filesystem::create_directory(s.file()); },
       " can't be read: it is a folder, not a file"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    SettingsSandbox sandbox;
    test.prepare(sandbox);
    host.messages.clear();
    send(WindowMessages::keyDown, VirtualKeys::escape);
    EXPECT_EQ(host.calls.back(), "postClose");
    EXPECT_EQ(
        host.messages,
        (std::vector<std::string>{"Settings: Your progress can't be saved: the settings file " +
                                  sandbox.file().string() + test.reason + "."}));
  }
}

TEST_F(GameWindowProcedureTest, EscapeInAReadOnlyFolderSaysTheWriteFailed) {
  SettingsSandbox sandbox;
  sandbox.write(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo]\r\n");
  std::filesystem::permissions(
      sandbox.folder(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const bool folderWritable = std::ofstream(sandbox.folder() / "probe").good();
  std::filesystem::permissions(sandbox.folder(), std::filesystem::perms::owner_all);
  if (folderWritable) GTEST_SKIP() << "this user writes into read-only folders";
  std::filesystem::permissions(
      sandbox.folder(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  send(WindowMessages::keyDown, VirtualKeys::escape);
  std::filesystem::permissions(sandbox.folder(), std::filesystem::perms::owner_all);
  EXPECT_EQ(host.messages, (std::vector<std::string>{
                               "Settings: Your progress can't be saved: the settings file " +
                               sandbox.file().string() + " can't be written: Permission denied."}));
}

TEST_F(GameWindowProcedureTest, EscapeOnAFullDiskSaysTheWriteFailed) {
  SettingsSandbox sandbox;
  const std::string settings =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo]\r\n";
  sandbox.write(settings);
  {
    const FileSizeLimit full(16);
    send(WindowMessages::keyDown, VirtualKeys::escape);
  }
  EXPECT_EQ(host.calls.back(), "postClose");
  EXPECT_EQ(host.messages,
            (std::vector<std::string>{"Settings: Your progress can't be saved: the settings file " +
                                      sandbox.file().string() +
                                      " can't be written: File too large."}));
  EXPECT_EQ(sandbox.read(), settings);
  EXPECT_EQ(sandbox.folderEntries(), (std::vector<std::string>{"settings.reg"}));
}

TEST_F(GameWindowProcedureTest, EscapeWithoutAnyHomeSaysNoSettingsFileIsKnown) {
  EnvironmentChange environment;
  for (const char* name : {"ZIRROW_SETTINGS", "XDG_CONFIG_HOME", "HOME"}) environment.unset(name);
  send(WindowMessages::keyDown, VirtualKeys::escape);
  EXPECT_EQ(host.calls.back(), "postClose");
  EXPECT_EQ(host.messages,
            (std::vector<std::string>{"Settings: Your progress can't be saved: no settings file is "
                                      "known: none of ZIRROW_SETTINGS, XDG_CONFIG_HOME and HOME "
                                      "is set."}));
}

TEST_F(GameWindowProcedureTest, ClosingReleasesSoundAndWindowAndDestroyEndsTheLoop) {
  createWindow();
  sound.calls.clear();
  host.calls.clear();
  send(WindowMessages::close);
  EXPECT_EQ(sound.calls, (std::vector<std::string>{"shutdown"}));
  EXPECT_EQ(host.calls, (std::vector<std::string>{"hide", "destroy"}));
  send(WindowMessages::destroy);
  EXPECT_EQ(host.calls.back(), "postQuit");
  EXPECT_EQ(host.quitCode, 0);
  EXPECT_EQ(host.calls[host.calls.size() - 2], "releaseJoystick");
}

TEST_F(GameWindowProcedureTest, F11AndAltEnterSwitchBetweenWindowAndFullScreen) {
  createWindow();
  const ScreenRect windowed = game.input().windowRect();
  EXPECT_EQ(send(WindowMessages::keyDown, VirtualKeys::f11), 0);
  EXPECT_EQ(host.calls.back(), "fullScreen on");
  EXPECT_TRUE(host.fullScreen);
  EXPECT_EQ(displaySettings.fullScreen, 1);
  EXPECT_EQ(isFullScreenSized(), 1);
  EXPECT_EQ(game.input().windowRect(), host.rect) << "full screen has no frame";

  EXPECT_EQ(send(WindowMessages::systemKeyDown, VirtualKeys::enter), 0);
  EXPECT_EQ(host.calls.back(), "fullScreen off");
  EXPECT_FALSE(host.fullScreen);
  EXPECT_EQ(displaySettings.fullScreen, 0);
  EXPECT_EQ(game.input().windowRect(), windowed);
  EXPECT_TRUE(procedure.fullScreenChosen());
}

TEST_F(GameWindowProcedureTest, HeldTogglesAndOtherAltKeysDoNotSwitch) {
  createWindow();
  host.calls.clear();
  send(WindowMessages::keyDown, VirtualKeys::f11, keyRepeatFlag);
  send(WindowMessages::systemKeyDown, VirtualKeys::enter, keyRepeatFlag);
  EXPECT_TRUE(host.calls.empty());
  // Alt+F4, Alt+F3 and Alt+F5 are the window system's, not the game's keys.
  EXPECT_EQ(send(WindowMessages::systemKeyDown, VirtualKeys::f4),
            GameWindowProcedure::defaultResult);
  send(WindowMessages::systemKeyDown, VirtualKeys::f5);
  EXPECT_FALSE(game.showStats());
  EXPECT_FALSE(game.recording());
  EXPECT_TRUE(host.calls.empty());
  EXPECT_FALSE(procedure.fullScreenChosen());
}

TEST_F(GameWindowProcedureTest, ARefusedSwitchChangesNothing) {
  createWindow();
  host.fullScreenAllowed = false;
  send(WindowMessages::keyDown, VirtualKeys::f11);
  EXPECT_EQ(host.calls.back(), "fullScreen on");
  EXPECT_EQ(displaySettings.fullScreen, 0);
  EXPECT_FALSE(procedure.fullScreenChosen());
}

TEST_F(GameWindowProcedureTest, EscapeWritesTheFullScreenChoiceOnlyWhenThePlayerMadeOne) {
  SettingsSandbox sandbox;
  const std::string key =
      "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo]\n\"level\"=dword:00000002\n";
  sandbox.write(key);
  createWindow();
  send(WindowMessages::keyDown, VirtualKeys::escape);
  EXPECT_EQ(sandbox.read().find("Display"), std::string::npos);

  sandbox.write(key +
                "[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo\\Display]\n"
                "\"width\"=dword:00000400\n");
  send(WindowMessages::keyDown, VirtualKeys::f11);
  send(WindowMessages::keyDown, VirtualKeys::escape);
  readDisplaySettings();
  EXPECT_EQ(displaySettings.fullScreen, 1);
  EXPECT_EQ(displaySettings.width, 1024);

  send(WindowMessages::systemKeyDown, VirtualKeys::enter);
  send(WindowMessages::keyDown, VirtualKeys::escape);
  readDisplaySettings();
  EXPECT_EQ(displaySettings.fullScreen, 0);
}

TEST_F(GameWindowProcedureTest, APadPluggedInSteersAndTheLastOneGoneHandsBack) {
  game.values().joyStick = 2;
  createWindow();
  ASSERT_EQ(game.input().inputMode, mouseMode);
  EXPECT_EQ(send(WindowMessages::gamepadAttached), 0);
  EXPECT_EQ(game.input().inputMode, gamepadMode);
  EXPECT_EQ(send(WindowMessages::gamepadDetached), 0);
  EXPECT_EQ(game.input().inputMode, mouseMode);
}

TEST_F(GameWindowProcedureTest, NoRumbleWithoutAHit) {
  createWindow();
  host.calls.clear();
  procedure.serveSoundRequests();
  EXPECT_TRUE(host.calls.empty());
}

// The procedure of a window that OpenGL draws into.
class DrawingWindowProcedureTest : public GameWindowProcedureTest {
protected:
  void SetUp() override {
    GameWindowProcedureTest::SetUp();
    ASSERT_EQ(bindOpenGL("opengl32.dll"), 1);
    ASSERT_EQ(FmGLEngine::setPixelFormat(32), 1);
    window = std::make_unique<HiddenGlWindow>(64, 48);
    ASSERT_NE(window->deviceContext(), nullptr) << window->error();
    host.window = window->deviceContext();
    procedure.setPixelFormatReady(true);
  }
  void TearDown() override {
    if (procedure.renderingContext() != nullptr) send(WindowMessages::close);
    window.reset();
    unbindOpenGL();
    GameWindowProcedureTest::TearDown();
  }

  std::unique_ptr<HiddenGlWindow> window;
};

TEST_F(DrawingWindowProcedureTest, CreatingStartsTheEngineOnTheClientArea) {
  createWindow();
  ASSERT_NE(procedure.renderingContext(), nullptr);
  EXPECT_TRUE(game.started());
  EXPECT_EQ(game.width(), host.clientWidth());
  EXPECT_EQ(game.height(), host.clientHeight());
}

TEST_F(DrawingWindowProcedureTest, ResizingSetsViewportAndAspectAndFullScreenKeepsTheContext) {
  createWindow();
  GlContextHandle context = procedure.renderingContext();
  ASSERT_NE(context, nullptr);
  send(WindowMessages::size, 0, makeLParam(1280, 540));
  EXPECT_EQ(game.width(), 1280);
  EXPECT_EQ(game.height(), 540);
  EXPECT_FLOAT_EQ(game.aspect(), 1280.0f / 540.0f);

  send(WindowMessages::keyDown, VirtualKeys::f11);
  send(WindowMessages::systemKeyDown, VirtualKeys::enter);
  EXPECT_EQ(procedure.renderingContext(), context);
  EXPECT_EQ(GlDriver::currentContext(), context);
  EXPECT_TRUE(game.started());
}

TEST_F(DrawingWindowProcedureTest, TheViewportTakesTheDrawableSizeNotTheWindowSize) {
  host.pixelScale = 2;
  createWindow();
  EXPECT_EQ(game.width(), 2 * 800);
  EXPECT_EQ(game.height(), 2 * 600);
}

TEST_F(DrawingWindowProcedureTest, AHitRumblesThePad) {
  const auto folder = std::filesystem::temp_directory_path() /
                      ("zirrow-rumble-" + std::to_string(std::random_device{}()));
  ASSERT_EQ(DemoWriter::write(folder.string()), "");
  ASSERT_EQ(game.loadLevel(RWCString((folder / DemoWriter::sceneFileName).c_str())), 1);
  createWindow();
  ASSERT_TRUE(game.started());
  devices.keysDown = {VirtualKey::space};
  int hitFrames = 0;
  int rumbles = 0;
  for (int frame = 0; frame < 600 && hitFrames < 2; ++frame) {
    clock.advanceMilliseconds(20);
    host.calls.clear();
    game.tick(devices);
    procedure.serveSoundRequests();
    game.clearSoundRequests();
    if (game.hitsThisFrame() > 0) ++hitFrames;
    rumbles += static_cast<int>(std::count(host.calls.begin(), host.calls.end(), "rumble"));
  }
  EXPECT_GE(hitFrames, 1) << "the demo's flock flies in the line of fire";
  EXPECT_EQ(rumbles, hitFrames);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

TEST_F(DrawingWindowProcedureTest, TheVsyncSettingChoosesTheSwapInterval) {
  for (int vsync : {0, 1, 7, 0}) {
    displaySettings.vsync = vsync;
    createWindow();
    ASSERT_NE(procedure.renderingContext(), nullptr);
    EXPECT_EQ(GlDriver::swapInterval(), vsync != 0 ? 1 : 0) << "vsync " << vsync;
    send(WindowMessages::close);
  }
}

}  // namespace

TEST_F(GameWindowProcedureTest, ThePausedLoopWaitsForMessagesInsteadOfSpinning) {
  createWindow();
  game.beginTime();
  clock.advanceMilliseconds(250);
  const float before = game.currentTime();
  ScriptedMessages paused(
      clock, {message(WindowMessages::activate, 0), message(WindowMessages::killFocus)}, 1000);
  GameLoop pausedLoop(paused, procedure, game, devices);
  EXPECT_EQ(pausedLoop.run(), 7);
  EXPECT_TRUE(pausedLoop.failure().empty());
  // Every pass of the paused loop waited, and the waiting was no game time.
  EXPECT_EQ(paused.waits, std::vector<int>(1000, GameLoop::pausedWaitMilliseconds));
  EXPECT_FLOAT_EQ(game.currentTime(), before);

  ScriptedMessages running(
      clock, {message(WindowMessages::activate, 1), message(WindowMessages::setFocus)}, 20);
  GameLoop runningLoop(running, procedure, game, devices);
  EXPECT_EQ(runningLoop.run(), 7);
  EXPECT_FALSE(game.paused());
  EXPECT_TRUE(running.waits.empty());
}
