#pragma once

#include "WindowHost.h"

class GameWindow;

// The game window of the platform as the window procedure sees it.
class GameWindowHost : public WindowHost {
public:
  explicit GameWindowHost(GameWindow& window) : window_(window) {}

  GlDeviceContext deviceContext() const override;
  std::uint32_t windowId() const override;
  ScreenRect windowRect() const override;
  int clientWidth() const override;
  int clientHeight() const override;
  int menuHeight() const override;
  int frameWidth() const override;
  int frameHeight() const override;
  bool isFullScreen() const override;
  bool setFullScreen(bool fullScreen) override;
  void minimise() override;
  void restore() override;
  void hide() override;
  void destroy() override;
  void postClose() override;
  void postQuit(int exitCode) override;
  bool rumbleGamepad() override;
  void setJoystickThreshold(int units) override;
  bool captureJoystick() override;
  void releaseJoystick() override;
  void showMessage(const std::string& title, const std::string& text) override;

private:
  GameWindow& window_;
};
