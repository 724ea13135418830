#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "SoundDevice.h"
#include "WindowHost.h"

// A window that records what the procedure asks of it.
class FakeWindowHost : public WindowHost {
public:
  ScreenRect rect{100, 50, 908, 680};
  int menu = 24;
  int frame = 4;
  int bottom = 6;
  bool joystickPresent = false;
  std::vector<std::string> calls;
  int quitCode = -1;
  GlDeviceContext window = nullptr;  // the window that OpenGL draws into, if any
  bool fullScreen = false;
  int pixelScale = 1;  // drawing pixels per window unit: 2 on a high-resolution display
  bool fullScreenAllowed = true;

  GlDeviceContext deviceContext() const override { return window; }
  std::uint32_t windowId() const override { return 9; }
  ScreenRect windowRect() const override { return rect; }
  int clientWidth() const override { return pixelScale * (rect.right - rect.left - 2 * frame); }
  int clientHeight() const override {
    return pixelScale * (rect.bottom - rect.top - menu - bottom);
  }
  int menuHeight() const override { return menu; }
  int frameWidth() const override { return frame; }
  int frameHeight() const override { return bottom; }
  bool isFullScreen() const override { return fullScreen; }
  bool setFullScreen(bool on) override {
    calls.push_back(on ? "fullScreen on" : "fullScreen off");
    if (!fullScreenAllowed) return false;
    fullScreen = on;
    return true;
  }
  void minimise() override { calls.push_back("minimise"); }
  void restore() override { calls.push_back("restore"); }
  void hide() override { calls.push_back("hide"); }
  void destroy() override { calls.push_back("destroy"); }
  void postClose() override { calls.push_back("postClose"); }
  void postQuit(int exitCode) override {
    calls.push_back("postQuit");
    quitCode = exitCode;
  }
  void setJoystickThreshold(int units) override {
    calls.push_back("threshold " + std::to_string(units));
  }
  bool captureJoystick() override { return joystickPresent; }
  bool rumbleGamepad() override {
    calls.push_back("rumble");
    return true;
  }
  void releaseJoystick() override { calls.push_back("releaseJoystick"); }
  void showMessage(const std::string& title, const std::string& text) override {
    messages.push_back(title + ": " + text);
  }

  // The message boxes shown, as "title: text".
  std::vector<std::string> messages;
};

// A sound device that records each request as text.
class FakeSoundDevice : public SoundDevice {
public:
  std::vector<std::string> calls;
  // Files whose load fails.
  std::vector<std::string> brokenFiles;
  int initResult = 0;

  int init() override { return record("init", initResult); }
  int shutdown() override { return record("shutdown", 0); }
  int loadWave(const char* fileName, int key) override {
    const std::string name = fileName;
    const bool broken =
        std::find(brokenFiles.begin(), brokenFiles.end(), name) != brokenFiles.end();
    return record("load " + name + " " + std::to_string(key), broken ? -1 : key);
  }
  std::string loadError() const override { return "Unrecognized audio format"; }
  int play(int key, int loops, std::uint32_t window) override {
    return record(
        "play " + std::to_string(key) + " " + std::to_string(loops) + " " + std::to_string(window),
        0);
  }
  int playAndWait(int key, int) override { return record("wait " + std::to_string(key), 0); }
  void flush(int key) override { record("flush " + std::to_string(key), 0); }
  void pause(int key) override { record("pause " + std::to_string(key), 0); }
  void restart(int key) override { record("restart " + std::to_string(key), 0); }
  int isPlaying(int) override { return 0; }

private:
  int record(const std::string& call, int result) {
    calls.push_back(call);
    return result;
  }
};
