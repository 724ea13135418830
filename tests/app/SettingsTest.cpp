#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "DisplayMode.h"
#include "Settings.h"
#include "SettingsSandbox.h"

namespace {

const std::string fullSettings =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo]\r\n"
    "\"level\"=dword:0000000b\r\n"
    "\"useLevel\"=dword:00000001\r\n"
    "\"playEffects\"=dword:00000000\r\n"
    "\"joyStick\"=dword:00000002\r\n"
    "\"note\"=\"kept\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo\\Display]\r\n"
    "\"fullScreen\"=dword:00000001\r\n"
    "\"bitsPerPixel\"=dword:00000020\r\n"
    "\"width\"=dword:00000400\r\n"
    "\"height\"=dword:00000300\r\n"
    "\"useGL\"=dword:00000003\r\n"
    "\"vsync\"=dword:00000000\r\n"
    "\"sceneDir\"=\"levels\\\\\"\r\n"
    "\"snapshotDir\"=\"shots/\"\r\n";

std::string withValue(const std::string& name, const std::string& data) {
  return "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo\\Display]\n\"" + name +
         "\"=" + data + "\n";
}

void expectDefaultDisplay() {
  EXPECT_EQ(displaySettings.fullScreen, 0);
  EXPECT_EQ(displaySettings.bitsPerPixel, 16);
  EXPECT_EQ(displaySettings.width, 800);
  EXPECT_EQ(displaySettings.height, 600);
  EXPECT_EQ(displaySettings.useGL, 1);
  EXPECT_EQ(displaySettings.vsync, 1);
}

class Settings : public ::testing::Test {
protected:
  Settings() {
    displaySettings = {1, 32, 1, 1, 9, 0};  // anything but the defaults
    desktopCapabilities = {};
    sceneDir = "";
    snapshotDir = "";
    restoreDisplayMode();
  }
  ~Settings() override {
    unsetenv("SDL_VIDEODRIVER");
    restoreDisplayMode();
  }

  SettingsSandbox sandbox;
};

}  // namespace

TEST_F(Settings, WithoutAFileTheDefaultsHold) {
  EXPECT_EQ(readDisplaySettings(), 1);
  expectDefaultDisplay();
  EXPECT_TRUE(sceneDir.isNull());
  EXPECT_TRUE(snapshotDir.isNull());

  GameValues values{7, 1, 0, 2};
  EXPECT_FALSE(readGameSettings(values));
  EXPECT_EQ(values.level, 0);
  EXPECT_EQ(values.useLevel, 1);
  EXPECT_EQ(values.playEffects, 0);
  EXPECT_EQ(values.joyStick, 2);
}

TEST_F(Settings, ReadsEveryValue) {
  sandbox.write(fullSettings);
  EXPECT_EQ(readDisplaySettings(), 1);
  EXPECT_EQ(displaySettings.fullScreen, 1);
  EXPECT_EQ(displaySettings.bitsPerPixel, 32);
  EXPECT_EQ(displaySettings.width, 1024);
  EXPECT_EQ(displaySettings.height, 768);
  EXPECT_EQ(displaySettings.useGL, 3);
  EXPECT_EQ(displaySettings.vsync, 0);
  EXPECT_EQ(sceneDir, "levels\\");
  EXPECT_EQ(snapshotDir, "shots/");

  GameValues values;
  EXPECT_TRUE(readGameSettings(values));
  EXPECT_EQ(values.level, 11);
  EXPECT_EQ(values.useLevel, 1);
  EXPECT_EQ(values.playEffects, 0);
  EXPECT_EQ(values.joyStick, 2);
}

TEST_F(Settings, UnreadableValuesKeepTheirDefaults) {
  // Strings, values too long for their buffer and malformed values are as good as missing.
  sandbox.write(withValue("width", "\"1024\"") + "\"height\"=hex:00,03,zz\n" +
                "\"useGL\"=dword:xyz\n" + "\"vsync\"=\"0\"\n" + "\"snapshotDir\"=\"" +
                std::string(199, 's') + "\"\n" + "\"sceneDir\"=\"" + std::string(198, 'd') +
                "\"\n");
  readDisplaySettings();
  expectDefaultDisplay();
  EXPECT_TRUE(snapshotDir.isNull());
  EXPECT_EQ(sceneDir.length(), 198u);

  sandbox.write(withValue("fullScreen", "dword:ffffffff"));
  readDisplaySettings();
  EXPECT_EQ(displaySettings.fullScreen, -1);
}

TEST_F(Settings, NumbersWrittenAsBytesGiveTheirFirstFourBytes) {
  sandbox.write(withValue("height", "hex:00,03,00,00") + "\"width\"=hex(4):00,04,00,00\n" +
                "\"bitsPerPixel\"=hex(b):20,00,00,00,\\\n  01,00,00,00\n" + "\"useGL\"=hex:02\n" +
                "\"fullScreen\"=hex:\n");
  readDisplaySettings();
  EXPECT_EQ(displaySettings.height, 768);
  EXPECT_EQ(displaySettings.width, 1024);
  EXPECT_EQ(displaySettings.bitsPerPixel, 32);
  EXPECT_EQ(displaySettings.useGL, 2);
  EXPECT_EQ(displaySettings.fullScreen, 0);

  sandbox.write(
      "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo]\n"
      "\"level\"=hex:0b,00,00,00\n\"joyStick\"=hex(4):02,00,00,00\n");
  GameValues values;
  EXPECT_TRUE(readGameSettings(values));
  EXPECT_EQ(values.level, 11);
  EXPECT_EQ(values.joyStick, 2);
}

TEST_F(Settings, AMalformedFileGivesTheDefaults) {
  for (const std::string& text :
       {fullSettings.substr(fullSettings.find("\r\n")),
        std::string("\xFF\xFEW\0i\0n\0", 8) + fullSettings, std::string(5000, '\0'),
        std::string("[[[[\n\"\"\"\"\"=====\n\\\\\\")}) {
    sandbox.write(text);
    displaySettings = {1, 32, 1, 1, 9, 0};
    EXPECT_EQ(readDisplaySettings(), 1);
    expectDefaultDisplay();
    GameValues values{5, 1, 1, 1};
    EXPECT_FALSE(readGameSettings(values));
    EXPECT_EQ(values.level, 0);
  }
}

TEST_F(Settings, LeavingWithoutTheKeyWritesNothing) {
  EXPECT_FALSE(writeGameSettings({16, 0, 1, 1}));
  EXPECT_FALSE(sandbox.exists());

  const std::string otherKeyOnly = "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Fenmarrow]\n";
  sandbox.write(otherKeyOnly);
  EXPECT_FALSE(writeGameSettings({16, 0, 1, 1}));
  EXPECT_EQ(sandbox.read(), otherKeyOnly);
  EXPECT_EQ(sandbox.folderEntries(), std::vector<std::string>{"settings.reg"});
}

TEST_F(Settings, WritingKeepsTheOtherValues) {
  sandbox.write(fullSettings);
  ASSERT_TRUE(writeGameSettings({16, 0, 1, 1}));

  std::string expected = fullSettings;
  expected.replace(expected.find("dword:0000000b"), 14, "dword:00000010");
  expected.replace(expected.find("dword:00000001"), 14, "dword:00000000");
  expected.replace(expected.find("\"playEffects\"=dword:00000000"), 28,
                   "\"playEffects\"=dword:00000001");
  expected.replace(expected.find("\"joyStick\"=dword:00000002"), 25, "\"joyStick\"=dword:00000001");
  EXPECT_EQ(sandbox.read(), expected);

  GameValues values;
  ASSERT_TRUE(readGameSettings(values));
  EXPECT_EQ(values.level, 16);
  EXPECT_EQ(values.useLevel, 0);
  readDisplaySettings();
  EXPECT_EQ(displaySettings.width, 1024);
}

TEST_F(Settings, WritingIntoAnEmptyKeyAddsTheValues) {
  sandbox.write("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo\\Display]\n");
  ASSERT_TRUE(writeGameSettings({-3, 0, 0, 7}));
  GameValues values;
  ASSERT_TRUE(readGameSettings(values));
  EXPECT_EQ(values.level, -3);
  EXPECT_EQ(values.playEffects, 0);
  EXPECT_EQ(values.joyStick, 7);
}

TEST_F(Settings, FullScreenSizedWhenConfiguredOrAsLargeAsTheDesktop) {
  desktopCapabilities = {32, 1024, 768, 60};
  displaySettings = {0, 16, 800, 600, 1};
  EXPECT_EQ(isFullScreenSized(), 0);
  displaySettings.fullScreen = 1;
  EXPECT_EQ(isFullScreenSized(), 1);
  displaySettings = {0, 16, 1024, 768, 1};
  EXPECT_EQ(isFullScreenSized(), 1);
  displaySettings.height = 600;
  EXPECT_EQ(isFullScreenSized(), 0);
  displaySettings = {0, 16, 800, 768, 1};
  EXPECT_EQ(isFullScreenSized(), 0);
}

TEST_F(Settings, DisplayModesOnTheOffscreenDriver) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  ASSERT_EQ(queryDesktop(), 1);
  EXPECT_GT(desktopCapabilities.bitsPerPixel, 0);
  EXPECT_GT(desktopCapabilities.width, 0);
  EXPECT_GT(desktopCapabilities.height, 0);

  // Full screen at the desktop's size and depth needs no change.
  displaySettings = {1, desktopCapabilities.bitsPerPixel, desktopCapabilities.width,
                     desktopCapabilities.height, 1};
  EXPECT_EQ(setDisplayMode(), 1);
  EXPECT_FALSE(requestedDisplayMode());

  // Another depth asks for a change, at the desktop's size.
  displaySettings.bitsPerPixel = desktopCapabilities.bitsPerPixel == 16 ? 32 : 16;
  EXPECT_EQ(setDisplayMode(), 1);
  const auto requested = requestedDisplayMode();
  ASSERT_TRUE(requested);
  EXPECT_EQ(requested->width, desktopCapabilities.width);
  EXPECT_EQ(requested->height, desktopCapabilities.height);

  EXPECT_EQ(restoreDisplayMode(), 1);
  EXPECT_FALSE(requestedDisplayMode());
}

TEST_F(Settings, DisplayModesWithoutVideo) {
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  desktopCapabilities = {16, 640, 480, 0};
  EXPECT_EQ(queryDesktop(), 0);
  EXPECT_EQ(desktopCapabilities.width, 640);

  displaySettings = {1, 32, 800, 600, 1};
  EXPECT_EQ(setDisplayMode(), 1);
  EXPECT_FALSE(requestedDisplayMode());
  EXPECT_EQ(restoreDisplayMode(), 1);
}

TEST_F(Settings, TheFullScreenChoiceGoesIntoTheDisplaySubkey) {
  EXPECT_FALSE(writeFullScreenSetting(1));
  EXPECT_FALSE(sandbox.exists()) << "the game never creates the settings key";

  sandbox.write(
      "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo]\n"
      "\"level\"=dword:00000003\n");
  EXPECT_TRUE(writeFullScreenSetting(1));
  readDisplaySettings();
  EXPECT_EQ(displaySettings.fullScreen, 1);
  EXPECT_EQ(displaySettings.width, 800);
  GameValues values;
  EXPECT_TRUE(readGameSettings(values));
  EXPECT_EQ(values.level, 3);

  sandbox.write(fullSettings);
  EXPECT_TRUE(writeFullScreenSetting(0));
  readDisplaySettings();
  EXPECT_EQ(displaySettings.fullScreen, 0);
  EXPECT_EQ(displaySettings.width, 1024);
  EXPECT_EQ(displaySettings.useGL, 3);
  EXPECT_EQ(snapshotDir, "shots/");
}
