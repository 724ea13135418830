#include "GameWindowHost.h"

#include "GameWindow.h"
#include "MessageBox.h"
#include "WindowMessage.h"

GlDeviceContext GameWindowHost::deviceContext() const {
  return window_.deviceContext();
}

std::uint32_t GameWindowHost::windowId() const {
  return window_.id();
}

ScreenRect GameWindowHost::windowRect() const {
  return window_.windowRect();
}

int GameWindowHost::clientWidth() const {
  return window_.drawableSize().x;
}

int GameWindowHost::clientHeight() const {
  return window_.drawableSize().y;
}

bool GameWindowHost::isFullScreen() const {
  return window_.isFullScreen();
}

bool GameWindowHost::setFullScreen(bool fullScreen) {
  return window_.setDesktopFullScreen(fullScreen);
}

int GameWindowHost::menuHeight() const {
  return window_.captionHeight();
}

int GameWindowHost::frameWidth() const {
  return window_.frameWidth();
}

int GameWindowHost::frameHeight() const {
  return window_.frameHeight();
}

void GameWindowHost::minimise() {
  window_.minimise();
}

void GameWindowHost::restore() {
  window_.restore();
}

void GameWindowHost::hide() {
  window_.hide();
}

void GameWindowHost::destroy() {
  window_.destroy();
}

void GameWindowHost::postClose() {
  window_.postMessage(WindowMessage{WindowMessages::close, 0, 0});
}

void GameWindowHost::postQuit(int exitCode) {
  window_.postQuit(exitCode);
}

bool GameWindowHost::rumbleGamepad() {
  return window_.gamepads().rumble();
}

void GameWindowHost::setJoystickThreshold(int units) {
  window_.joystick().setThreshold(units);
}

bool GameWindowHost::captureJoystick() {
  return window_.joystick().capture();
}

void GameWindowHost::releaseJoystick() {
  window_.joystick().release();
}

void GameWindowHost::showMessage(const std::string& title, const std::string& text) {
  showMessageBox(title.c_str(), text.c_str(), true);
}
