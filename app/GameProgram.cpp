#include "GameProgram.h"

#include <cstdio>

#include "ErrorBoxes.h"
#include "GameIcon.h"
#include "GameLoop.h"
#include "GlBinding.h"
#include "MessageBox.h"
#include "OffscreenVideo.h"
#include "Settings.h"

namespace {

// Without a display there is nowhere to show a box: standard error is where the player
// looks then.
void reportFailure(const std::string& reason) {
  std::fprintf(stderr, "zirrow: %s\n", reason.c_str());
}

void showError(const char* title, const std::string& text) {
  showMessageBox(title, text.c_str(), true);
}

// The game window's queue as the loop takes it.
class GameWindowMessages : public MessageSource {
public:
  explicit GameWindowMessages(GameWindow& window) : window_(window) {}

  bool peekMessage() override { return window_.peekMessage(); }
  bool getMessage(WindowMessage& message) override { return window_.getMessage(message); }
  void waitForMessage(int milliseconds) override { window_.waitForMessage(milliseconds); }

private:
  GameWindow& window_;
};

}  // namespace

GameProgram::GameProgram() {
  devices_.setGamepads(&window_.gamepads());
}

// A loop ended by a failed frame leaves the window open: close it in order, without
// saving the game values, which only Escape does.
GameProgram::~GameProgram() {
  if (window_.exists()) procedure_.handle(WindowMessage{WindowMessages::close, 0, 0});
  unbindOpenGL();
}

int GameProgram::run(const std::string& sceneFile) {
  // Without a display SDL falls back to a driver that draws nowhere: the game would
  // run unseen, and nothing could end it.
  if (const std::string driver = windowlessVideoDriver(); !driver.empty()) {
    reportFailure("there is no display to show the game on (SDL's \"" + driver +
                  "\" video driver shows no window); run it in a graphical session, with "
                  "DISPLAY or WAYLAND_DISPLAY set");
    return startFailed;
  }
  ErrorBoxes::install();
  if (!lock_.acquire(instanceName)) {
    showError(alreadyRunningTitle,
              "Zirrow is already running: only one copy plays at a time. Switch to its window "
              "to play on.");
    return alreadyRunning;
  }
  readSettings();
  game_.setMode(0);
  // The game goes on with whatever the scene holds when the level can't be loaded.
  if (game_.loadLevel(RWCString(sceneFile.c_str())) == 0) {
    showError(levelTitle, "The level \"" + sceneFile + "\" can't be loaded: " +
                              game_.loadProblem() + ".\nThe game opens without it.");
  }
  setDisplayMode();
  procedure_.setDisplayModeSet(true);
  if (!prepareDrawing() || !openWindow()) return startFailed;
  return runLoop();
}

void GameProgram::readSettings() {
  queryDesktop();
  readDisplaySettings();
  readGameSettings(game_.values());
}

// Binds the OpenGL driver and sets the pixel format, both before the window is made:
// the window takes its drawing library and format when it is created.
bool GameProgram::prepareDrawing() {
  const std::string failure = bindDriverFor(displaySettings.useGL, displaySettings.fullScreen != 0);
  if (!failure.empty()) {
    showMessageBox("Error", failure.c_str(), true);
    return false;
  }
  procedure_.setPixelFormatReady(FmGLEngine::setPixelFormat(displaySettings.bitsPerPixel) == 1);
  return true;
}

bool GameProgram::openWindow() {
  const bool popup = isFullScreenSized() != 0;
  if (!window_.create(windowTitle, 0, 0, displaySettings.width, displaySettings.height, popup)) {
    showError("Error", "The game window can't be created: " + window_.creationError());
    return false;
  }
  if (!window_.gamepadProblem().empty()) {
    showMessageBox("Gamepads", window_.gamepadProblem().c_str(), false);
  }
  const GameIcon::Image icon = GameIcon::draw(GameIcon::windowSize);
  window_.setIcon(icon.width, icon.height, icon.rgba.data());
  procedure_.handle(WindowMessage{WindowMessages::create, 0, 0});
  procedure_.setWindowOpen(true);
  window_.show();
  game_.input().setActive();
  game_.input().hideCursor(devices_);
  return true;
}

int GameProgram::runLoop() {
  GameWindowMessages messages(window_);
  GameLoop loop(messages, procedure_, game_, devices_);
  const int status = loop.run();
  if (!loop.failure().empty()) showError("Error", loop.failure());
  return status;
}
