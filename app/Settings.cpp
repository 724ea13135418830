#include "Settings.h"

#include <cstdint>
#include <string>

#include "DisplayMode.h"
#include "RegistryKey.h"

DisplaySettings displaySettings;
DesktopCapabilities desktopCapabilities;
RWCString sceneDir;
RWCString snapshotDir;

namespace {

// The first four bytes of a number or a byte value are taken; a string or an unreadable
// value is as good as missing.
void readNumber(const RegistryKey& key, const char* name, int& field) {
  std::uint32_t value = 0;
  if (key.queryNumber(name, value) == RegistryResult::success) field = static_cast<int>(value);
}

// A string too long for the settings' buffer is not read.
void readString(const RegistryKey& key, const char* name, RWCString& field) {
  std::string value;
  if (key.queryString(name, settingsStringSize, value) == RegistryResult::success) {
    field = RWCString(value.data(), value.size());
  }
}

}  // namespace

int queryDesktop() {
  DisplayMode desktop;
  if (!queryDesktopMode(desktop)) return 0;
  desktopCapabilities = {desktop.bitsPerPixel, desktop.width, desktop.height, desktop.refreshRate};
  return 1;
}

int readDisplaySettings() {
  displaySettings = DisplaySettings{};
  RegistryKey key;
  if (key.open(settingsKey, RegistryAccess::all) != RegistryResult::success) return 1;
  RegistryKey display;
  if (display.open(key, displaySubkey, RegistryAccess::query) != RegistryResult::success) {
    return 1;
  }
  readNumber(display, "fullScreen", displaySettings.fullScreen);
  readNumber(display, "bitsPerPixel", displaySettings.bitsPerPixel);
  readNumber(display, "width", displaySettings.width);
  readNumber(display, "height", displaySettings.height);
  readNumber(display, "useGL", displaySettings.useGL);
  readNumber(display, "vsync", displaySettings.vsync);
  readString(display, "sceneDir", sceneDir);
  readString(display, "snapshotDir", snapshotDir);
  return 1;
}

bool readGameSettings(GameValues& values) {
  values.level = 0;
  RegistryKey key;
  if (key.open(settingsKey, RegistryAccess::query) != RegistryResult::success) return false;
  readNumber(key, "level", values.level);
  readNumber(key, "useLevel", values.useLevel);
  readNumber(key, "playEffects", values.playEffects);
  readNumber(key, "joyStick", values.joyStick);
  return true;
}

bool writeGameSettings(const GameValues& values) {
  RegistryKey key;
  if (key.open(settingsKey, RegistryAccess::setValue) != RegistryResult::success) return false;
  const auto write = [&key](const char* name, int value) {
    return key.setDword(name, static_cast<std::uint32_t>(value)) == RegistryResult::success;
  };
  return write("level", values.level) && write("useLevel", values.useLevel) &&
         write("playEffects", values.playEffects) && write("joyStick", values.joyStick);
}

bool writeFullScreenSetting(int fullScreen) {
  RegistryKey key;
  if (key.open(settingsKey, RegistryAccess::setValue) != RegistryResult::success) return false;
  key.close();
  const std::string displayPath = std::string(settingsKey) + "\\" + displaySubkey;
  RegistryKey display;
  if (display.open(displayPath, RegistryAccess::setValue) == RegistryResult::keyDoesNotExist &&
      (RegistryKey::create(displayPath) != RegistryResult::success ||
       display.open(displayPath, RegistryAccess::setValue) != RegistryResult::success)) {
    return false;
  }
  return display.isOpen() &&
         display.setDword("fullScreen", static_cast<std::uint32_t>(fullScreen)) ==
             RegistryResult::success;
}

int isFullScreenSized() {
  if (displaySettings.fullScreen != 0) return 1;
  return displaySettings.width == desktopCapabilities.width &&
                 displaySettings.height == desktopCapabilities.height
             ? 1
             : 0;
}

int setDisplayMode() {
  DisplayMode request;
  bool changeNeeded = false;
  // The refresh rate alone never asks for a change.
  if (desktopCapabilities.refreshRate != -1) request.refreshRate = desktopCapabilities.refreshRate;
  if (displaySettings.bitsPerPixel != desktopCapabilities.bitsPerPixel) {
    request.bitsPerPixel = displaySettings.bitsPerPixel;
    changeNeeded = true;
  }
  if (displaySettings.fullScreen != 0 && (displaySettings.width != desktopCapabilities.width ||
                                          displaySettings.height != desktopCapabilities.height)) {
    request.width = displaySettings.width;
    request.height = displaySettings.height;
    changeNeeded = true;
  }
  if (changeNeeded) requestDisplayMode(request);
  return 1;
}

int restoreDisplayMode() {
  restoreDesktopMode();
  return 1;
}
