#include "GameWindow.h"

#include <SDL.h>

#include <algorithm>

#include "DisplayMode.h"

namespace {

constexpr int modeDisplay = 0;  // the display that requestDisplayMode chooses for
constexpr Uint32 waitPeriodMs = 100;

int bitsPerPixelOf(Uint32 format) {
  const int bytes = SDL_BYTESPERPIXEL(format);
  return bytes > 0 ? bytes * 8 : static_cast<int>(SDL_BITSPERPIXEL(format));
}

// The display's own mode that the request chose; when the display no longer lists it,
// its size and rate in the desktop's pixel format.
SDL_DisplayMode displayModeOf(const DisplayMode& mode) {
  const int count = SDL_GetNumDisplayModes(modeDisplay);
  for (int index = 0; index < count; ++index) {
    SDL_DisplayMode candidate{};
    if (SDL_GetDisplayMode(modeDisplay, index, &candidate) != 0) continue;
    if (candidate.w == mode.width && candidate.h == mode.height &&
        candidate.refresh_rate == mode.refreshRate &&
        bitsPerPixelOf(candidate.format) == mode.bitsPerPixel) {
      return candidate;
    }
  }
  return {0, mode.width, mode.height, mode.refreshRate, nullptr};
}

}  // namespace

GameWindow::GameWindow() {
  translator_.setJoystick(&joystick_);
  translator_.setGamepads(&gamepads_);
}

GameWindow::~GameWindow() {
  release();
}

bool GameWindow::create(const char* title, int x, int y, int width, int height, bool popup) {
  if (window_) {
    creationError_ = "the window exists already";
    return false;
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    creationError_ = SDL_GetError();
    return false;
  }
  const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI |
                       (popup ? SDL_WINDOW_BORDERLESS : SDL_WINDOW_RESIZABLE);
  window_ = SDL_CreateWindow(title ? title : "", x, y, width, height, flags);
  if (!window_) {
    creationError_ = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  popup_ = popup;
  translator_ = WindowEventTranslator();
  translator_.setJoystick(&joystick_);
  translator_.setGamepads(&gamepads_);
  translator_.setWindowId(SDL_GetWindowID(window_));
  gamepadProblem_ = gamepads_.open();
  screenSaverWasEnabled_ = SDL_IsScreenSaverEnabled();
  SDL_DisableScreenSaver();
  if (popup && requestedDisplayMode()) applyFullScreenMode();
  return true;
}

std::uint32_t GameWindow::id() const {
  return window_ ? SDL_GetWindowID(window_) : 0;
}

bool GameWindow::isFullScreen() const {
  return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
}

bool GameWindow::setIcon(int width, int height, const std::uint8_t* rgba) {
  if (!window_ || width <= 0 || height <= 0 || !rgba) return false;
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<std::uint8_t*>(rgba), width, height, 32, width * 4, SDL_PIXELFORMAT_RGBA32);
  if (!icon) return false;
  SDL_SetWindowIcon(window_, icon);
  SDL_FreeSurface(icon);
  return true;
}

void GameWindow::show() {
  if (!window_) return;
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);
}

void GameWindow::minimise() {
  if (window_) SDL_MinimizeWindow(window_);
}

void GameWindow::restore() {
  if (!window_) return;
  if (popup_) applyFullScreenMode();
  SDL_RestoreWindow(window_);
}

void GameWindow::hide() {
  if (window_) SDL_HideWindow(window_);
}

void GameWindow::destroy() {
  if (!window_) return;
  release();
  queue_.post({WindowMessages::destroy, 0, 0});
}

ScreenRect GameWindow::windowRect() const {
  if (!window_) return {};
  int x = 0, y = 0, width = 0, height = 0;
  SDL_GetWindowPosition(window_, &x, &y);
  SDL_GetWindowSize(window_, &width, &height);
  const Borders border = borders();
  return {x - border.left, y - border.top, x + width + border.right, y + height + border.bottom};
}

ScreenRect GameWindow::clientRect() const {
  if (!window_) return {};
  int width = 0, height = 0;
  SDL_GetWindowSize(window_, &width, &height);
  return {0, 0, width, height};
}

ScreenPoint GameWindow::drawableSize() const {
  if (!window_) return {};
  ScreenPoint size;
  SDL_GL_GetDrawableSize(window_, &size.x, &size.y);
  return size;
}

bool GameWindow::setDesktopFullScreen(bool fullScreen) {
  if (!window_) return false;
  if (fullScreen) return SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
  if (SDL_SetWindowFullscreen(window_, 0) != 0) return false;
  // A popup made full screen at start becomes a window like any other.
  if (popup_) {
    popup_ = false;
    restoreDesktopMode();
    SDL_SetWindowBordered(window_, SDL_TRUE);
    SDL_SetWindowResizable(window_, SDL_TRUE);
  }
  return true;
}

int GameWindow::captionHeight() const {
  return borders().top;
}

int GameWindow::frameWidth() const {
  return borders().left;
}

int GameWindow::frameHeight() const {
  return borders().bottom;
}

bool GameWindow::peekMessage() {
  pumpEvents();
  return !queue_.empty();
}

bool GameWindow::getMessage(WindowMessage& message) {
  while (!queue_.take(message)) {
    if (!window_) {
      message = {WindowMessages::quit, 0, 0};
      return false;
    }
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, waitPeriodMs)) translateEvent(event);
  }
  return message.message != WindowMessages::quit;
}

void GameWindow::waitForMessage(int milliseconds) {
  if (!queue_.empty() || !window_) return;
  SDL_Event event;
  if (SDL_WaitEventTimeout(&event, milliseconds)) translateEvent(event);
}

void GameWindow::postMessage(const WindowMessage& message) {
  queue_.post(message);
}

void GameWindow::postQuit(int exitCode) {
  queue_.postQuit(exitCode);
}

// Full screen in the requested mode; a borderless window when there is none or the
// display refuses it.
void GameWindow::applyFullScreenMode() {
  const auto mode = requestedDisplayMode();
  if (mode) {
    const SDL_DisplayMode displayMode = displayModeOf(*mode);
    if (SDL_SetWindowDisplayMode(window_, &displayMode) == 0 &&
        SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN) == 0) {
      return;
    }
  }
  SDL_SetWindowFullscreen(window_, 0);
}

GameWindow::Borders GameWindow::borders() const {
  Borders border;
  if (!window_ || SDL_GetWindowBordersSize(window_, &border.top, &border.left, &border.bottom,
                                           &border.right) != 0) {
    return {};
  }
  return border;
}

void GameWindow::pumpEvents() {
  if (!window_) return;
  ScreenPoint origin;
  SDL_GetWindowPosition(window_, &origin.x, &origin.y);
  translator_.setClientOrigin(origin);
  SDL_Event event;
  while (SDL_PollEvent(&event)) translateEvent(event);
}

void GameWindow::translateEvent(const SDL_Event& event) {
  for (WindowMessage message : translator_.translate(event)) {
    if (message.message == WindowMessages::size) {
      const ScreenPoint drawable = drawableSize();
      message.lParam = makeLParam(static_cast<std::uint16_t>(std::clamp(drawable.x, 0, 0xFFFF)),
                                  static_cast<std::uint16_t>(std::clamp(drawable.y, 0, 0xFFFF)));
    }
    queue_.post(message);
  }
}

void GameWindow::release() {
  if (!window_) return;
  if (GlDriver::currentDeviceContext() == window_) GlDriver::makeCurrent(nullptr, nullptr);
  gamepads_.close();
  SDL_DestroyWindow(window_);
  window_ = nullptr;
  translator_.setWindowId(0);
  if (screenSaverWasEnabled_) SDL_EnableScreenSaver();
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
