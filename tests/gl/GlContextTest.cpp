#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "GlBinding.h"
#include "HiddenGlWindow.h"

namespace {

// An offscreen window with a rendering context made through the binding, as the
// program makes its own at window creation.
class GlContextTest : public testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_EQ(setenv("SDL_VIDEODRIVER", "offscreen", 1), 0); }

  void SetUp() override { ASSERT_EQ(bindOpenGL("opengl32.dll"), 1) << GlDriver::lastError(); }

  void TearDown() override {
    deleteContext(context_);
    window_.reset();
    unbindOpenGL();
  }

  void openContext(int colourBits) {
    ASSERT_TRUE(GlDriver::setPixelFormat(colourBits)) << GlDriver::lastError();
    window_ = std::make_unique<HiddenGlWindow>(width, height);
    ASSERT_NE(window_->deviceContext(), nullptr) << window_->error();
    context_ = createContext(window_->deviceContext());
    ASSERT_NE(context_, nullptr) << GlDriver::lastError();
  }

  std::array<GLubyte, 4> pixelAt(int x, int y) {
    std::array<GLubyte, 4> pixel{};
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
    return pixel;
  }

  static std::string text(GLenum name) {
    const GLubyte* value = gl.glGetString(name);
    return value ? reinterpret_cast<const char*>(value) : "";
  }

  static constexpr int width = 32;
  static constexpr int height = 16;
  std::unique_ptr<HiddenGlWindow> window_;
  GlContextHandle context_ = nullptr;
};

}  // namespace

TEST_F(GlContextTest, ClearsAndReadsBackThroughTheTable) {
  openContext(32);
  EXPECT_EQ(GlDriver::currentContext(), context_);
  const auto renderer = text(GL_RENDERER);
  EXPECT_FALSE(renderer.empty());
  RecordProperty("renderer", renderer);
  std::printf("OpenGL renderer: %s, version %s\n", renderer.c_str(), text(GL_VERSION).c_str());

  gl.glViewport(0, 0, width, height);
  gl.glClearColor(1.0f, 0.5f, 0.25f, 1.0f);
  gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  gl.glFinish();
  EXPECT_EQ(gl.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{width - 1, height - 1}}) {
    const auto pixel = pixelAt(x, y);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_NEAR(pixel[1], 128, 1);
    EXPECT_NEAR(pixel[2], 64, 1);
  }
}

TEST_F(GlContextTest, ColourDepthChoosesThePixelFormat) {
  openContext(24);
  const auto trueColour = GlDriver::currentPixelFormat();
  EXPECT_EQ(trueColour.redBits, 8);
  EXPECT_EQ(trueColour.greenBits, 8);
  EXPECT_EQ(trueColour.blueBits, 8);
  EXPECT_GE(trueColour.depthBits, 24);
}

TEST_F(GlContextTest, HighColourAsksForSixteenDepthBits) {
  openContext(16);
  const auto highColour = GlDriver::currentPixelFormat();
  EXPECT_GE(highColour.redBits, 5);
  EXPECT_EQ(highColour.depthBits, 16);
  std::printf("16-bit colour depth gives %d-%d-%d, depth %d\n", highColour.redBits,
              highColour.greenBits, highColour.blueBits, highColour.depthBits);
}

TEST_F(GlContextTest, MakeCurrentAndDeleteContext) {
  openContext(32);
  EXPECT_EQ(makeCurrent(nullptr, nullptr), 1);
  EXPECT_EQ(GlDriver::currentContext(), nullptr);
  EXPECT_EQ(makeCurrent(window_->deviceContext(), context_), 1);
  EXPECT_EQ(GlDriver::currentContext(), context_);
  EXPECT_EQ(GlDriver::currentDeviceContext(), window_->deviceContext());

  gl.glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
  gl.glClear(GL_COLOR_BUFFER_BIT);
  swapBuffers();
  EXPECT_EQ(gl.glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  EXPECT_EQ(deleteContext(context_), 0);
  context_ = nullptr;
  EXPECT_EQ(GlDriver::currentContext(), nullptr);
  EXPECT_EQ(deleteContext(nullptr), 0);
}
