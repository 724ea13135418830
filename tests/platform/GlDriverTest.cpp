#include <gtest/gtest.h>

#include <cstdlib>

#include "GlDriver.h"
#include "HiddenGlWindow.h"

namespace {

class GlDriverTest : public testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_EQ(setenv("SDL_VIDEODRIVER", "offscreen", 1), 0); }
  void TearDown() override { GlDriver::unloadLibrary(); }
};

}  // namespace

TEST_F(GlDriverTest, LoadsTheSystemLibraryAndFindsItsEntryPoints) {
  ASSERT_TRUE(GlDriver::loadLibrary(nullptr)) << GlDriver::lastError();
  EXPECT_TRUE(GlDriver::libraryLoaded());
  EXPECT_NE(GlDriver::procAddress("glClear"), nullptr);
  GlDriver::unloadLibrary();
  EXPECT_FALSE(GlDriver::libraryLoaded());
  EXPECT_EQ(GlDriver::procAddress("glClear"), nullptr);
}

TEST_F(GlDriverTest, ALibraryThatDoesNotExistIsNotLoaded) {
  ASSERT_TRUE(GlDriver::loadLibrary(nullptr));
  EXPECT_FALSE(GlDriver::loadLibrary("3dfxvgl.dll"));
  EXPECT_FALSE(GlDriver::libraryLoaded());
  EXPECT_FALSE(GlDriver::lastError().empty());
  // The failed load released the library before it.
  EXPECT_TRUE(GlDriver::loadLibrary(nullptr)) << GlDriver::lastError();
}

TEST_F(GlDriverTest, ContextsNeedAWindow) {
  EXPECT_FALSE(GlDriver::setPixelFormat(32));
  EXPECT_EQ(GlDriver::createContext(nullptr), nullptr);
  EXPECT_FALSE(GlDriver::swapBuffers(nullptr));
  EXPECT_TRUE(GlDriver::makeCurrent(nullptr, nullptr));
  GlDriver::deleteContext(nullptr);
  EXPECT_EQ(GlDriver::currentPixelFormat().depthBits, 0);
}

TEST_F(GlDriverTest, AHiddenWindowCarriesAContext) {
  ASSERT_TRUE(GlDriver::loadLibrary(nullptr));
  ASSERT_TRUE(GlDriver::setPixelFormat(32));
  HiddenGlWindow window(8, 8);
  ASSERT_NE(window.deviceContext(), nullptr) << window.error();
  GlContextHandle context = GlDriver::createContext(window.deviceContext());
  ASSERT_NE(context, nullptr) << GlDriver::lastError();
  EXPECT_EQ(GlDriver::currentContext(), context);
  EXPECT_TRUE(GlDriver::swapBuffers(window.deviceContext()));
  GlDriver::deleteContext(context);
  EXPECT_EQ(GlDriver::currentContext(), nullptr);
}

TEST_F(GlDriverTest, TheSwapIntervalBelongsToTheCurrentContext) {
  EXPECT_FALSE(GlDriver::setSwapInterval(1));
  EXPECT_EQ(GlDriver::swapInterval(), 0);
  ASSERT_TRUE(GlDriver::loadLibrary(nullptr));
  ASSERT_TRUE(GlDriver::setPixelFormat(32));
  HiddenGlWindow window(8, 8);
  ASSERT_NE(window.deviceContext(), nullptr) << window.error();
  GlContextHandle context = GlDriver::createContext(window.deviceContext());
  ASSERT_NE(context, nullptr) << GlDriver::lastError();
  for (int interval : {1, 0, 1}) {
    EXPECT_TRUE(GlDriver::setSwapInterval(interval)) << GlDriver::lastError();
    EXPECT_EQ(GlDriver::swapInterval(), interval);
  }
  GlDriver::deleteContext(context);
  EXPECT_FALSE(GlDriver::setSwapInterval(0));
}
