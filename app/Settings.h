#pragma once

#include <cstddef>
#include <string>

#include "RWCString.h"

// The display settings, read once at start from the "Display" subkey and never written.
struct DisplaySettings {
  int fullScreen = 0;  // not 0: full-screen window in a display mode of the configured size
  int bitsPerPixel = 16;
  int width = 800;
  int height = 600;
  int useGL = 1;  // which OpenGL driver library to bind
  int vsync = 1;  // not 0: each frame waits for the display's refresh
};

// What the desktop offers, read once at start; all 0 until then.
struct DesktopCapabilities {
  int bitsPerPixel = 0;
  int width = 0;
  int height = 0;
  int refreshRate = 0;
};

// The game values that the game session keeps between runs, with the session's defaults.
struct GameValues {
  int level = 0;        // saved level progress
  int useLevel = 0;     // not 0: start at the saved level
  int playEffects = 1;  // not 0: load the sound effects
  int joyStick = 0;     // 1 joystick, 2 mouse, anything else keyboard
};

extern DisplaySettings displaySettings;
extern DesktopCapabilities desktopCapabilities;
extern RWCString sceneDir;
extern RWCString snapshotDir;  // prefix of screenshot file names

// The registry key of the game values; its "Display" subkey holds the display settings.
constexpr const char* settingsKey = "Software\\Fenmarrow\\ZirrowDemo";
constexpr const char* displaySubkey = "Display";
// The largest string value read, in bytes with its terminating zero.
constexpr std::size_t settingsStringSize = 199;

// 1, or 0 when the desktop can't be asked (the capabilities are then left as they were).
int queryDesktop();
// Resets the display numbers to their defaults, then takes what the registry holds.
int readDisplaySettings();
// Sets level to 0, then takes the values the key holds; false when the key can't be opened.
bool readGameSettings(GameValues& values);
// Writes the four game values into the existing key; writes nothing and returns false when
// the key does not exist or can't be written, and then puts into problem (when given)
// the settings file's name and why.
bool writeGameSettings(const GameValues& values, std::string* problem = nullptr);
// Writes "fullScreen" into the "Display" subkey, making the subkey when only it is
// missing; writes nothing and returns false when the key does not exist or can't be
// written, with the problem as above.
bool writeFullScreenSetting(int fullScreen, std::string* problem = nullptr);
// 1 when full screen is configured or the configured size is the desktop's size.
int isFullScreenSized();
// Asks for the configured colour depth, and in full screen for the configured size, when
// they differ from the desktop's. A change that can't be made goes unnoticed; returns 1.
int setDisplayMode();
// Returns the display to the desktop's own mode; returns 1.
int restoreDisplayMode();
