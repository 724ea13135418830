#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <vector>

#include "AudioMixer.h"
#include "DisplayMode.h"
#include "GameWindow.h"
#include "GlDriver.h"

namespace {

class GameWindowTest : public testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_EQ(setenv("SDL_VIDEODRIVER", "offscreen", 1), 0); }
  void SetUp() override {
    ASSERT_TRUE(GlDriver::loadLibrary(nullptr)) << GlDriver::lastError();
    ASSERT_TRUE(GlDriver::setPixelFormat(32));
  }
  void TearDown() override {
    window_.destroy();
    restoreDesktopMode();
    GlDriver::unloadLibrary();
  }

  void createWindowed() {
    ASSERT_TRUE(window_.create("Zirrow test", 20, 30, 320, 240, false)) << SDL_GetError();
  }

  // Every message that waits now.
  std::vector<WindowMessage> drain() {
    std::vector<WindowMessage> messages;
    WindowMessage message;
    while (window_.peekMessage()) {
      if (!window_.getMessage(message)) break;
      messages.push_back(message);
    }
    return messages;
  }

  void push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

  SDL_Event keyDown(SDL_Keycode key, std::uint32_t window) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.windowID = window;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    return event;
  }

  GameWindow window_;
};

TEST_F(GameWindowTest, AWindowHasItsClientSizeAndPosition) {
  createWindowed();
  EXPECT_TRUE(window_.exists());
  EXPECT_NE(window_.deviceContext(), nullptr);
  EXPECT_NE(window_.id(), 0u);
  EXPECT_FALSE(window_.isFullScreen());
  EXPECT_EQ(window_.clientRect(), (ScreenRect{0, 0, 320, 240}));

  // The offscreen driver draws no borders, so the window is its client area.
  EXPECT_EQ(window_.captionHeight(), 0);
  EXPECT_EQ(window_.frameWidth(), 0);
  EXPECT_EQ(window_.frameHeight(), 0);
  EXPECT_EQ(window_.windowRect(), (ScreenRect{20, 30, 340, 270}));

  EXPECT_FALSE(window_.create("Second", 0, 0, 8, 8, false));
}

TEST_F(GameWindowTest, ARenderingContextDrawsIntoTheWindow) {
  createWindowed();
  const GlContextHandle context = GlDriver::createContext(window_.deviceContext());
  ASSERT_NE(context, nullptr) << GlDriver::lastError();
  EXPECT_EQ(GlDriver::currentDeviceContext(), window_.deviceContext());
  EXPECT_TRUE(GlDriver::swapBuffers(window_.deviceContext()));
  GlDriver::deleteContext(context);
}

TEST_F(GameWindowTest, TheScreenSaverIsOffWhileTheWindowExists) {
  // Let the screen saver run as far as SDL is concerned; the loaded library keeps video up.
  GlDriver::unloadLibrary();
  ASSERT_TRUE(SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1"));
  ASSERT_TRUE(GlDriver::loadLibrary(nullptr));
  ASSERT_TRUE(SDL_IsScreenSaverEnabled());

  createWindowed();
  EXPECT_FALSE(SDL_IsScreenSaverEnabled());
  window_.destroy();
  EXPECT_TRUE(SDL_IsScreenSaverEnabled());
  SDL_ResetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER);
}

TEST_F(GameWindowTest, DestroyingPostsTheDestroyMessageAndThenNothingCanCome) {
  createWindowed();
  drain();
  window_.destroy();
  EXPECT_FALSE(window_.exists());
  EXPECT_EQ(window_.deviceContext(), nullptr);
  EXPECT_EQ(window_.id(), 0u);
  EXPECT_EQ(window_.clientRect(), ScreenRect{});

  ASSERT_TRUE(window_.peekMessage());
  WindowMessage message;
  ASSERT_TRUE(window_.getMessage(message));
  EXPECT_EQ(message.message, WindowMessages::destroy);
  EXPECT_FALSE(window_.peekMessage());

  window_.destroy();
  EXPECT_FALSE(window_.peekMessage());
  // No window is left to send anything: waiting would never end.
  EXPECT_FALSE(window_.getMessage(message));
  EXPECT_EQ(message.message, WindowMessages::quit);
}

TEST_F(GameWindowTest, TheQuitMessageEndsTheLoopAfterTheOtherMessages) {
  createWindowed();
  drain();
  window_.postQuit(4);
  window_.postMessage({WindowMessages::close, 0, 0});
  WindowMessage message;
  ASSERT_TRUE(window_.peekMessage());
  ASSERT_TRUE(window_.getMessage(message));
  EXPECT_EQ(message.message, WindowMessages::close);
  ASSERT_TRUE(window_.peekMessage());
  EXPECT_FALSE(window_.getMessage(message));
  EXPECT_EQ(message.message, WindowMessages::quit);
  EXPECT_EQ(message.wParam, 4u);
}

TEST_F(GameWindowTest, SdlEventsOfTheWindowBecomeMessages) {
  createWindowed();
  window_.show();
  drain();
  push(keyDown(SDLK_ESCAPE, window_.id()));
  push(keyDown(SDLK_F1, window_.id() + 1));
  SDL_Event done{};
  done.type = waveDoneEventType;
  done.user.windowID = window_.id();
  done.user.code = 3;
  push(done);

  const auto messages = drain();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].message, WindowMessages::keyDown);
  EXPECT_EQ(messages[0].wParam, VirtualKeys::escape);
  EXPECT_EQ(messages[1].message, WindowMessages::waveDone);
  EXPECT_EQ(messages[1].wParam, 3u);
}

TEST_F(GameWindowTest, GetMessageWaitsForTheNextEvent) {
  createWindowed();
  drain();
  push(keyDown(SDLK_F5, window_.id()));
  WindowMessage message;
  ASSERT_TRUE(window_.getMessage(message));
  EXPECT_EQ(message.message, WindowMessages::keyDown);
  EXPECT_EQ(message.wParam, VirtualKeys::f5);
}

TEST_F(GameWindowTest, MousePositionsCountFromTheScreen) {
  createWindowed();
  drain();
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.windowID = window_.id();
  motion.motion.x = 5;
  motion.motion.y = 6;
  push(motion);
  const auto messages = drain();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].message, WindowMessages::mouseMove);
  EXPECT_EQ(messages[0].lParam, makeLParam(25, 36));
}

TEST_F(GameWindowTest, APopupGoesFullScreenOnlyInARequestedMode) {
  ASSERT_TRUE(window_.create("Popup", 0, 0, 320, 240, true));
  EXPECT_FALSE(window_.isFullScreen());
  window_.destroy();

  DisplayMode desktop;
  ASSERT_TRUE(queryDesktopMode(desktop));
  ASSERT_TRUE(requestDisplayMode(desktop));
  ASSERT_TRUE(window_.create("Popup", 0, 0, desktop.width, desktop.height, true));
  EXPECT_TRUE(window_.isFullScreen());

  // Restored after the desktop's mode came back, the popup is a plain borderless window.
  window_.minimise();
  restoreDesktopMode();
  window_.restore();
  EXPECT_FALSE(window_.isFullScreen());
  ASSERT_TRUE(requestDisplayMode(desktop));
  window_.restore();
  EXPECT_TRUE(window_.isFullScreen());
}

TEST_F(GameWindowTest, AWindowedWindowIgnoresTheRequestedMode) {
  DisplayMode desktop;
  ASSERT_TRUE(queryDesktopMode(desktop));
  ASSERT_TRUE(requestDisplayMode(desktop));
  createWindowed();
  EXPECT_FALSE(window_.isFullScreen());
}

TEST_F(GameWindowTest, FullScreenOnDemandKeepsTheRenderingContext) {
  createWindowed();
  GlContextHandle context = GlDriver::createContext(window_.deviceContext());
  ASSERT_NE(context, nullptr) << GlDriver::lastError();
  ASSERT_TRUE(window_.setDesktopFullScreen(true)) << SDL_GetError();
  EXPECT_TRUE(window_.isFullScreen());
  EXPECT_EQ(GlDriver::currentContext(), context);
  ASSERT_TRUE(window_.setDesktopFullScreen(false)) << SDL_GetError();
  EXPECT_FALSE(window_.isFullScreen());
  EXPECT_EQ(GlDriver::currentContext(), context);
  EXPECT_TRUE(GlDriver::swapBuffers(window_.deviceContext()));
  GlDriver::deleteContext(context);
  window_.destroy();
  EXPECT_FALSE(window_.setDesktopFullScreen(true));
}

TEST_F(GameWindowTest, APopupLeftForAWindowCanBeResized) {
  DisplayMode desktop;
  ASSERT_TRUE(queryDesktopMode(desktop));
  ASSERT_TRUE(requestDisplayMode(desktop));
  ASSERT_TRUE(window_.create("Popup", 0, 0, desktop.width, desktop.height, true));
  ASSERT_TRUE(window_.isFullScreen());
  ASSERT_TRUE(window_.setDesktopFullScreen(false));
  EXPECT_FALSE(window_.isFullScreen());
  EXPECT_FALSE(requestedDisplayMode()) << "the desktop keeps its own mode";
  // Restoring it no longer brings the display mode back.
  ASSERT_TRUE(requestDisplayMode(desktop));
  window_.minimise();
  window_.restore();
  EXPECT_FALSE(window_.isFullScreen());
}

TEST_F(GameWindowTest, SizeMessagesCarryTheDrawableSize) {
  createWindowed();
  window_.show();
  drain();
  EXPECT_EQ(window_.drawableSize(), (ScreenPoint{320, 240}));
  SDL_SetWindowSize(window_.deviceContext(), 500, 280);
  std::vector<WindowMessage> sizes;
  for (const WindowMessage& message : drain()) {
    if (message.message == WindowMessages::size) sizes.push_back(message);
  }
  ASSERT_FALSE(sizes.empty());
  int width = 0, height = 0;
  SDL_GL_GetDrawableSize(window_.deviceContext(), &width, &height);
  EXPECT_EQ(width, 500);
  EXPECT_EQ(sizes.back().lParam,
            makeLParam(static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height)));
  EXPECT_EQ(window_.drawableSize(), (ScreenPoint{width, height}));
}

}  // namespace
