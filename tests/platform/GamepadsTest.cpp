#include <gtest/gtest.h>

#include <SDL.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Gamepads.h"
#include "Joystick.h"
#include "VirtualGamepad.h"

namespace {

using Change = Gamepads::Change;

// Gamepads with their configuration folder in a fresh temporary folder.
class GamepadsTest : public testing::Test {
protected:
  void SetUp() override {
    config_ = std::filesystem::temp_directory_path() /
              ("zirrow-gamepads-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(config_ / "zirrow");
    setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
    unsetenv("SDL_GAMECONTROLLERCONFIG");
  }
  void TearDown() override {
    pads.close();
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("SDL_GAMECONTROLLERCONFIG");
    std::error_code ignored;
    std::filesystem::remove_all(config_, ignored);
  }

  std::filesystem::path mappingFile() const { return config_ / "zirrow" / "gamecontrollerdb.txt"; }
  void writeMappings(const std::string& text) const { std::ofstream(mappingFile()) << text; }

  // Hands every waiting event to the pads; the changes they report, in order.
  std::vector<Change> pump() {
    std::vector<Change> changes;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      if (pads.commandOf(event) == Gamepads::Command::leave) leaves++;
      const Change change = pads.handleEvent(event);
      if (change != Change::none) changes.push_back(change);
    }
    return changes;
  }

  Gamepads pads;
  int leaves = 0;

private:
  std::filesystem::path config_;
};

std::string mappingFor(const std::string& guid, const std::string& name) {
  return guid + "," + name +
         ",a:b0,b:b1,back:b4,start:b6,dpup:b11,dpdown:b12,dpleft:b13,dpright:b14,"
         "leftx:a1,lefty:a0,righttrigger:a5,platform:Linux,\n";
}

}  // namespace

TEST_F(GamepadsTest, APadPluggedInIsUsedAtOnceAndReadAsItIsHeld) {
  ASSERT_EQ(pads.open(), "");
  EXPECT_FALSE(pads.state());
  VirtualGamepad pad;
  ASSERT_TRUE(pad.pluggedIn()) << pad.error();
  EXPECT_EQ(pump(), std::vector<Change>{Change::attached});
  ASSERT_TRUE(pads.inUse());

  pad.setAxis(VirtualGamepad::Axis::leftX, -20000);
  pad.setAxis(VirtualGamepad::Axis::leftY, 12345);
  pad.setButton(VirtualGamepad::Button::a, true);
  pad.setButton(VirtualGamepad::Button::dpadUp, true);
  pad.setAxis(VirtualGamepad::Axis::rightTrigger, 32767);
  pump();
  const auto state = pads.state();
  ASSERT_TRUE(state);
  EXPECT_EQ(state->leftX, -20000);
  EXPECT_EQ(state->leftY, 12345);
  EXPECT_TRUE(state->a);
  EXPECT_TRUE(state->dpadUp);
  EXPECT_FALSE(state->dpadDown);
  EXPECT_FALSE(state->dpadLeft);
  EXPECT_EQ(state->rightTrigger, 32767);

  EXPECT_TRUE(pads.rumble());
  EXPECT_EQ(pad.rumbleCount(), 1);

  pad.unplug();
  EXPECT_EQ(pump(), std::vector<Change>{Change::detached});
  EXPECT_FALSE(pads.state());
  EXPECT_FALSE(pads.rumble());
}

TEST_F(GamepadsTest, APadPresentBeforeTheGameStartedIsReportedByTheFirstEvents) {
  VirtualGamepad pad;
  ASSERT_TRUE(pad.pluggedIn()) << pad.error();
  ASSERT_EQ(pads.open(), "");
  EXPECT_EQ(pump(), std::vector<Change>{Change::attached});
  EXPECT_TRUE(pads.inUse());
}

TEST_F(GamepadsTest, TheNewestPadTakesOverAndTheOneBeforeComesBackWhenItGoes) {
  ASSERT_EQ(pads.open(), "");
  VirtualGamepad first(VirtualGamepad::Layout::mapped, "first pad");
  first.setAxis(VirtualGamepad::Axis::leftX, 1000);
  EXPECT_EQ(pump(), std::vector<Change>{Change::attached});
  VirtualGamepad second(VirtualGamepad::Layout::mapped, "second pad");
  second.setAxis(VirtualGamepad::Axis::leftX, 2000);
  EXPECT_EQ(pump(), std::vector<Change>{Change::attached});
  ASSERT_TRUE(pads.state());
  EXPECT_EQ(pads.state()->leftX, 2000);

  second.unplug();
  EXPECT_TRUE(pump().empty()) << "a pad is still there";
  ASSERT_TRUE(pads.state());
  EXPECT_EQ(pads.state()->leftX, 1000);
  first.unplug();
  EXPECT_EQ(pump(), std::vector<Change>{Change::detached});
}

TEST_F(GamepadsTest, StartOrBackOfThePadInUseLeave) {
  ASSERT_EQ(pads.open(), "");
  VirtualGamepad pad;
  pump();
  pad.setButton(VirtualGamepad::Button::start, true);
  pump();
  EXPECT_EQ(leaves, 1);
  pad.setButton(VirtualGamepad::Button::start, false);
  pad.setButton(VirtualGamepad::Button::a, true);
  pump();
  EXPECT_EQ(leaves, 1) << "releasing Start and pressing A do not leave";
  pad.setButton(VirtualGamepad::Button::back, true);
  pump();
  EXPECT_EQ(leaves, 2);
}

TEST_F(GamepadsTest, AJoystickWithoutAMappingIsNoPadButJoystickOne) {
  ASSERT_EQ(pads.open(), "");
  VirtualGamepad plain(VirtualGamepad::Layout::unmapped, "plain stick");
  ASSERT_TRUE(plain.pluggedIn()) << plain.error();
  VirtualGamepad pad;
  EXPECT_EQ(pump(), std::vector<Change>{Change::attached});
  Joystick joystick;
  ASSERT_TRUE(joystick.capture());
  SDL_Event move{};
  move.type = SDL_JOYAXISMOTION;
  move.jaxis.axis = 0;
  move.jaxis.value = 30000;
  // The plain stick came first: it is joystick 1, whatever index the pad has.
  move.jaxis.which = SDL_JoystickGetDeviceInstanceID(0);
  EXPECT_TRUE(joystick.translate(move));
  move.jaxis.which = SDL_JoystickGetDeviceInstanceID(1);
  EXPECT_FALSE(joystick.translate(move));
  joystick.release();
}

TEST_F(GamepadsTest, TheMappingFileAndTheEnvironmentMakeJoysticksPads) {
  std::string guid;
  {
    VirtualGamepad probe(VirtualGamepad::Layout::unmapped, "file pad");
    guid = probe.guid();
  }
  ASSERT_FALSE(guid.empty());
  writeMappings("# pads of this player\n" + mappingFor(guid, "File Pad"));
  ASSERT_EQ(pads.open(), "");
  {
    VirtualGamepad pad(VirtualGamepad::Layout::unmapped, "file pad");
    EXPECT_EQ(pump(), std::vector<Change>{Change::attached});
    pad.setAxis(VirtualGamepad::Axis::leftY, -15000);  // the file maps leftx to axis 1
    pump();
    ASSERT_TRUE(pads.state());
    EXPECT_EQ(pads.state()->leftX, -15000);
  }
  pump();
  // SDL forgets the mappings it was given once nothing uses joysticks any more.
  pads.close();

  std::filesystem::remove(mappingFile());
  ASSERT_EQ(pads.open(), "");
  {
    VirtualGamepad unknown(VirtualGamepad::Layout::unmapped, "file pad");
    EXPECT_TRUE(pump().empty()) << "without its mapping the joystick is no pad";
  }
  pump();
  pads.close();

  setenv("SDL_GAMECONTROLLERCONFIG", mappingFor(guid, "Env Pad").c_str(), 1);
  ASSERT_EQ(pads.open(), "");
  VirtualGamepad fromEnvironment(VirtualGamepad::Layout::unmapped, "file pad");
  EXPECT_EQ(pump(), std::vector<Change>{Change::attached});
}

TEST_F(GamepadsTest, AMappingFileThatCantBeReadIsReportedAndThePadsStillWork) {
  std::filesystem::create_directory(mappingFile());
  std::string problem = pads.open();
  EXPECT_NE(problem.find(mappingFile().string()), std::string::npos) << problem;
  EXPECT_NE(problem.find("not a plain file"), std::string::npos) << problem;
  VirtualGamepad pad;
  EXPECT_EQ(pump(), std::vector<Change>{Change::attached});
  pad.unplug();
  pump();
  pads.close();
  std::filesystem::remove(mappingFile());

  // A named pipe in the file's place would never end: it is not read at all.
  ASSERT_EQ(mkfifo(mappingFile().c_str(), 0600), 0);
  problem = pads.open();
  EXPECT_NE(problem.find("not a plain file"), std::string::npos) << problem;
  pads.close();
  std::filesystem::remove(mappingFile());

  writeMappings("");
  std::filesystem::resize_file(mappingFile(), Gamepads::largestMappingFile + 1);
  problem = pads.open();
  EXPECT_NE(problem.find("larger than"), std::string::npos) << problem;
  pads.close();

  writeMappings("not a mapping at all\n\n,,,\n");
  EXPECT_EQ(pads.open(), "") << "lines that are no mappings are passed over";
}

TEST_F(GamepadsTest, TheMappingFileLivesInTheConfigurationFolder) {
  setenv("XDG_CONFIG_HOME", "/somewhere", 1);
  EXPECT_EQ(Gamepads::mappingFilePath(), "/somewhere/zirrow/gamecontrollerdb.txt");
  setenv("XDG_CONFIG_HOME", "relative", 1);
  const char* home = std::getenv("HOME");
  if (home) {
    EXPECT_EQ(Gamepads::mappingFilePath(),
              std::string(home) + "/.config/zirrow/gamecontrollerdb.txt");
  }
}
