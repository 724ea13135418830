#include "GameWindowProcedure.h"

#include <string>
#include <utility>

#include "FileNames.h"
#include "GameSession.h"
#include "GlBinding.h"
#include "InputDevices.h"
#include "Settings.h"
#include "SoundDevice.h"
#include "WindowHost.h"

namespace {

bool fullScreenConfigured() {
  return displaySettings.fullScreen != 0;
}

}  // namespace

GameWindowProcedure::GameWindowProcedure(GameSession& game, SoundDevice& sound,
                                         InputDevices& devices, WindowHost& host)
    : game_(game), sound_(sound), devices_(devices), host_(host) {}

std::int64_t GameWindowProcedure::handle(const WindowMessage& message) {
  namespace wm = WindowMessages;
  switch (message.message) {
    case wm::create:
      create();
      return 0;
    case wm::destroy:
      host_.releaseJoystick();
      host_.postQuit(0);
      return 0;
    case wm::move:
      if (windowOpen_) updateWindowRect();
      return 1;
    case wm::size:
      game_.resize(lowWord(message.lParam), highWord(message.lParam));
      if (windowOpen_) updateWindowRect();
      return 0;
    case wm::activate:
      activate(lowWord(message.wParam) != 0);
      return 1;
    case wm::setFocus:
      setFocus();
      return 0;
    case wm::killFocus:
      killFocus();
      return 0;
    case wm::paint:
      paint();
      return 0;
    case wm::close:
      close();
      return 0;
    case wm::eraseBackground:
      return 1;
    case wm::keyDown:
      keyDown(message.wParam, message.lParam);
      return 0;
    case wm::systemKeyDown:
      return systemKeyDown(message.wParam, message.lParam);
    case wm::systemCommand:
      // The screen saver does not start while the game runs.
      if ((message.wParam & ~0xFu) == SystemCommands::screenSave) return 0;
      return defaultResult;
    case wm::mouseMove:
      mouseMove(message.lParam);
      return 0;
    case wm::leftButtonDown:
      game_.input().mouseButton(true);
      return 0;
    case wm::leftButtonUp:
      game_.input().mouseButton(false);
      return 0;
    case wm::joystick1Move:
      game_.input().joystickMove(lowWord(message.lParam), highWord(message.lParam));
      return 1;
    case wm::joystick1ZMove:
      return 1;
    case wm::joystick1ButtonDown:
      joystickButtonDown(message.wParam);
      return 1;
    case wm::joystick1ButtonUp:
      game_.input().joystickButton(false);
      return 1;
    case wm::waveDone:
      return 1;
    case wm::gamepadAttached:
      game_.input().useGamepad();
      return 0;
    case wm::gamepadDetached:
      game_.input().leaveGamepad();
      return 0;
    default:
      return defaultResult;
  }
}

void GameWindowProcedure::create() {
  if (pixelFormatReady_) startDrawing();
  captureInputDevice();
  if (!fullScreenConfigured()) {
    menuHeight_ = host_.menuHeight();
    frameWidth_ = host_.frameWidth();
    frameHeight_ = host_.frameHeight();
  }
  updateWindowRect();
  game_.input().centreCursor(devices_);
  loadSoundEffects();
}

void GameWindowProcedure::startDrawing() {
  renderingContext_ = createContext(host_.deviceContext());
  if (renderingContext_ == nullptr) return;
  makeCurrent(host_.deviceContext(), renderingContext_);
  // Without vsync the loop draws as fast as it can; a driver that can't wait does too.
  setSwapInterval(displaySettings.vsync != 0 ? 1 : 0);
  game_.start(host_.clientWidth(), host_.clientHeight());
}

void GameWindowProcedure::captureInputDevice() {
  host_.setJoystickThreshold(joystickThreshold);
  const int joyStick = game_.values().joyStick;
  if (joyStick == 1 && host_.captureJoystick()) {
    game_.input().inputMode = joystickMode;
  } else if (joyStick == 2) {
    game_.input().inputMode = mouseMode;
  }
}

// Without a sound device the game is silent as designed; a sound file that can't be
// loaded is the player's to know of, once, and the game plays on without it.
void GameWindowProcedure::loadSoundEffects() {
  const bool mixerOpen = sound_.init() == 0;
  if (game_.values().playEffects == 0) return;
  std::string unloaded;
  for (const auto& [file, key] :
       {std::pair{gunSoundFile, gunKey}, {failSoundFile, failKey}, {winSoundFile, winKey}}) {
    if (sound_.loadWave(file, key) < 0 && mixerOpen) {
      unloaded += "\n" + nativeFileName(file) + ": " + sound_.loadError();
    }
  }
  if (unloaded.empty()) return;
  host_.showMessage(soundTitle,
                    "These sound effects can't be loaded, and the game plays without them "
                    "(the game looks for them in the folder it was started from):" +
                        unloaded);
}

void GameWindowProcedure::close() {
  sound_.shutdown();
  if (renderingContext_ != nullptr) {
    game_.releaseResources();
  } else {
    game_.scene().clear();
  }
  deleteContext(renderingContext_);
  renderingContext_ = nullptr;
  windowOpen_ = false;
  host_.hide();
  host_.destroy();
}

// The input state takes the client area: the window rectangle without its frame.
void GameWindowProcedure::updateWindowRect() {
  ScreenRect rect = host_.windowRect();
  rect.left += frameWidth_;
  rect.top += menuHeight_;
  rect.right -= frameWidth_;
  rect.bottom -= frameHeight_;
  game_.input().setWindowRect(rect);
}

void GameWindowProcedure::activate(bool activated) {
  if (windowActivated_) {
    if (!activated) deactivate();
    return;
  }
  reactivate();
}

void GameWindowProcedure::deactivate() {
  windowActivated_ = false;
  if (!game_.paused()) game_.togglePause();
  if (isFullScreenSized() == 0) return;
  makeCurrent(nullptr, nullptr);
  host_.minimise();
  restoreDisplayMode();
  displayModeSet_ = false;
}

void GameWindowProcedure::reactivate() {
  windowActivated_ = true;
  if (!displayModeSet_ && isFullScreenSized() != 0) {
    displayModeSet_ = true;
    setDisplayMode();
    host_.restore();
    makeCurrent(host_.deviceContext(), renderingContext_);
  }
  if (game_.paused()) game_.togglePause();
}

void GameWindowProcedure::setFocus() {
  game_.input().setActive();
  sound_.restart(-1);
  if (game_.paused()) game_.togglePause();
}

void GameWindowProcedure::killFocus() {
  game_.input().clearActive();
  sound_.pause(-1);
  if (!game_.paused()) game_.togglePause();
}

void GameWindowProcedure::paint() {
  if (game_.paused() && renderingContext_ != nullptr && game_.started()) game_.drawFrame();
}

void GameWindowProcedure::keyDown(std::uint32_t virtualKey, std::int64_t keyFlags) {
  switch (virtualKey) {
    case VirtualKeys::escape:
      escape();
      break;
    case VirtualKeys::f1:
      game_.previousCamera();
      break;
    case VirtualKeys::f2:
      game_.nextCamera();
      break;
    case VirtualKeys::f3:
      if (renderingContext_ != nullptr) game_.takeSnapshot(snapshotDir.data());
      break;
    case VirtualKeys::f4:
      if (renderingContext_ != nullptr) game_.toggleRecording(snapshotDir.data());
      break;
    case VirtualKeys::f5:
      game_.setShowStats(!game_.showStats());
      break;
    case VirtualKeys::f11:
      if ((keyFlags & keyRepeatFlag) == 0) toggleFullScreen();
      break;
    default:
      break;
  }
}

// Alt+Enter toggles full screen; every other key with Alt goes to the default handling.
std::int64_t GameWindowProcedure::systemKeyDown(std::uint32_t virtualKey, std::int64_t keyFlags) {
  if (virtualKey != VirtualKeys::enter) return defaultResult;
  if ((keyFlags & keyRepeatFlag) == 0) toggleFullScreen();
  return 0;
}

// Between the window and full screen at the desktop's size, on the same rendering
// context; the window system's size and move messages follow.
void GameWindowProcedure::toggleFullScreen() {
  const bool fullScreen = !host_.isFullScreen();
  if (!host_.setFullScreen(fullScreen)) return;
  displaySettings.fullScreen = fullScreen ? 1 : 0;
  fullScreenChosen_ = true;
  menuHeight_ = fullScreen ? 0 : host_.menuHeight();
  frameWidth_ = fullScreen ? 0 : host_.frameWidth();
  frameHeight_ = fullScreen ? 0 : host_.frameHeight();
  if (windowOpen_) updateWindowRect();
}

void GameWindowProcedure::escape() {
  game_.saveProgress();
  game_.values().useLevel = 0;
  std::string progressProblem;
  const bool progressSaved = writeGameSettings(game_.values(), &progressProblem);
  std::string fullScreenProblem;
  const bool fullScreenSaved =
      !fullScreenChosen_ || writeFullScreenSetting(displaySettings.fullScreen, &fullScreenProblem);
  // One box: the reason is the same file's for both.
  if (!progressSaved) {
    host_.showMessage(settingsTitle, "Your progress can't be saved: " + progressProblem + ".");
  } else if (!fullScreenSaved) {
    host_.showMessage(settingsTitle,
                      "Your full-screen choice can't be saved: " + fullScreenProblem + ".");
  }
  host_.postClose();
}

void GameWindowProcedure::mouseMove(std::int64_t position) {
  // Screen positions left of or above the first display are negative.
  const ScreenPoint point{static_cast<std::int16_t>(lowWord(position)),
                          static_cast<std::int16_t>(highWord(position))};
  if (firstMouseMove_) {
    game_.input().recordMousePosition(point);
    firstMouseMove_ = false;
    return;
  }
  game_.input().mouseMove(point.x, point.y);
}

void GameWindowProcedure::joystickButtonDown(std::uint32_t buttons) {
  if (buttons != releasedButtonChange) game_.input().joystickButton(true);
}

void GameWindowProcedure::serveSoundRequests() {
  const std::uint32_t window = host_.windowId();
  switch (game_.soundRequest()) {
    case GameSession::failSound:
      sound_.flush(gunKey);
      sound_.play(failKey, 0, window);
      break;
    case GameSession::winSound:
      sound_.flush(gunKey);
      sound_.play(winKey, 0, window);
      break;
    default:
      if (game_.gunSoundRequest()) sound_.play(gunKey, 0, 0);
      break;
  }
  if (game_.hitsThisFrame() > 0) host_.rumbleGamepad();
}
