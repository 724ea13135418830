#include "Settings.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
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

std::string whyUnreadable(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return "it is a folder, not a file";
  if (!std::filesystem::is_regular_file(path, error)) return "it is not a regular file";
  return "it can't be opened for reading";
}

// The settings file's name and what keeps the game key from being opened or written.
// errno holds the reason of a failed write; 0 when the write was refused before any.
std::string describeFailure(RegistryResult result, int writeError) {
  const std::string path = RegistryFile::settingsPath();
  if (path.empty()) {
    return "no settings file is known: none of ZIRROW_SETTINGS, XDG_CONFIG_HOME and HOME is set";
  }
  if (result == RegistryResult::writeFailed) {
    const std::string why = writeError != 0
                                ? std::strerror(writeError)
                                : "the settings would grow beyond " +
                                      std::to_string(RegistryFile::maximumFileSize) + " bytes";
    return "the settings file " + path + " can't be written: " + why;
  }
  const std::string installHint = " (zirrow-install creates the settings)";
  switch (RegistryFile::load(path).state()) {
    case RegistryFile::State::missing:
      return "the settings file " + path + " does not exist" + installHint;
    case RegistryFile::State::malformed:
      return "the settings file " + path +
             " is not a registry file: its first line is not \"Windows Registry Editor Version "
             "5.00\"";
    case RegistryFile::State::tooLarge:
      return "the settings file " + path + " is larger than the " +
             std::to_string(RegistryFile::maximumFileSize) + " bytes a settings file may take";
    case RegistryFile::State::unreadable:
      return "the settings file " + path + " can't be read: " + whyUnreadable(path);
    case RegistryFile::State::loaded:
      break;
  }
  if (result == RegistryResult::keyDoesNotExist) {
    return "the settings file " + path + " has no key [" +
           std::string(RegistryKey::currentUserRoot) + "\\" + settingsKey + "]" + installHint;
  }
  return "the settings file " + path + " refused the value";
}

// Keeps the first failure of a series of writes, with its reason.
class WriteProblem {
public:
  explicit WriteProblem(std::string* problem) : problem_(problem) {}

  bool check(RegistryResult result) {
    if (result == RegistryResult::success) return true;
    if (problem_) *problem_ = describeFailure(result, errno);
    return false;
  }

private:
  std::string* problem_;
};

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

bool writeGameSettings(const GameValues& values, std::string* problem) {
  WriteProblem failure(problem);
  RegistryKey key;
  if (!failure.check(key.open(settingsKey, RegistryAccess::setValue))) return false;
  const auto write = [&key, &failure](const char* name, int value) {
    errno = 0;
    return failure.check(key.setDword(name, static_cast<std::uint32_t>(value)));
  };
  return write("level", values.level) && write("useLevel", values.useLevel) &&
         write("playEffects", values.playEffects) && write("joyStick", values.joyStick);
}

bool writeFullScreenSetting(int fullScreen, std::string* problem) {
  WriteProblem failure(problem);
  RegistryKey key;
  if (!failure.check(key.open(settingsKey, RegistryAccess::setValue))) return false;
  key.close();
  const std::string displayPath = std::string(settingsKey) + "\\" + displaySubkey;
  RegistryKey display;
  if (display.open(displayPath, RegistryAccess::setValue) == RegistryResult::keyDoesNotExist) {
    errno = 0;
    if (!failure.check(RegistryKey::create(displayPath)) ||
        !failure.check(display.open(displayPath, RegistryAccess::setValue))) {
      return false;
    }
  }
  errno = 0;
  return display.isOpen() &&
         failure.check(display.setDword("fullScreen", static_cast<std::uint32_t>(fullScreen)));
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
