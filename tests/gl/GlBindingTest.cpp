#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "GlBinding.h"

namespace {

class GlBindingTest : public testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_EQ(setenv("SDL_VIDEODRIVER", "offscreen", 1), 0); }
  void TearDown() override { unbindOpenGL(); }
};

// A lookup that finds every name except the given ones, recording the names asked for.
struct FakeLibrary {
  explicit FakeLibrary(std::set<std::string> absentNames = {}) : absent(std::move(absentNames)) {}

  std::set<std::string> absent;
  std::vector<std::string> asked;
  char symbol = 0;

  void* operator()(const char* name) {
    asked.emplace_back(name);
    return absent.count(name) ? nullptr : &symbol;
  }
};

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

TEST(GlDriverChoice, UseGLChoosesTheLabelAndTheLibrary) {
  struct Case {
    int useGL;
    bool fullScreen;
    const char* label;
    const char* library;
  };
  const Case cases[] = {
      {1, false, "System OpenGL", "opengl32.dll"},    {1, true, "System OpenGL", "opengl32.dll"},
      {2, false, "Voodoo OpenGL", "opengl32.dll"},    {2, true, "Voodoo OpenGL", "3dfxvgl.dll"},
      {3, false, "OpenGL via DirectX", "altogl.dll"}, {3, true, "OpenGL via DirectX", "altogl.dll"},
      {0, false, "System OpenGL", "opengl32.dll"},    {7, true, "System OpenGL", "opengl32.dll"},
      {-1, true, "System OpenGL", "opengl32.dll"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "useGL " << c.useGL << " fullScreen " << c.fullScreen);
    EXPECT_STREQ(driverLabel(c.useGL), c.label);
    EXPECT_STREQ(driverLibraryName(c.useGL, c.fullScreen), c.library);
  }
}

TEST(GlDriverChoice, OnlyALowerCaseOpengl32NameIsTheSystemLibrary) {
  EXPECT_TRUE(namesSystemLibrary("opengl32.dll"));
  EXPECT_TRUE(namesSystemLibrary("C:\\Windows\\opengl32.dll"));
  EXPECT_FALSE(namesSystemLibrary("OPENGL32.DLL"));
  EXPECT_FALSE(namesSystemLibrary("3dfxvgl.dll"));
  EXPECT_FALSE(namesSystemLibrary("altogl.dll"));
  EXPECT_FALSE(namesSystemLibrary(nullptr));
}

TEST_F(GlBindingTest, BindsEveryNameInTableOrder) {
  FakeLibrary library;
  bindEntryPoints(std::ref(library));
  ASSERT_EQ(library.asked.size(), 69u);
  EXPECT_EQ(library.asked.front(), "glArrayElement");
  EXPECT_EQ(library.asked[library.asked.size() - 3], "glViewport");
  EXPECT_EQ(library.asked[library.asked.size() - 2], "glBitmap");
  EXPECT_EQ(library.asked.back(), "glDrawArrays");
  EXPECT_TRUE(allEntryPointsFound());
  EXPECT_TRUE(missingEntryPoints().empty());
  EXPECT_EQ(missingEntryPointsMessage("System OpenGL", "opengl32.dll"), "");
  EXPECT_NE(gl.glClear, nullptr);
  EXPECT_NE(gl.glBitmap, nullptr);
}

TEST_F(GlBindingTest, NamesThatCantBeFoundStayNullAndAreNamedInTheMessage) {
  FakeLibrary library({"glBitmap", "glFogi", "glArrayElement"});
  bindEntryPoints(std::ref(library));
  EXPECT_FALSE(allEntryPointsFound());
  EXPECT_EQ(gl.glFogi, nullptr);
  EXPECT_EQ(gl.glBitmap, nullptr);
  EXPECT_NE(gl.glFogf, nullptr);
  EXPECT_EQ(missingEntryPoints(),
            (std::vector<std::string>{"glArrayElement", "glFogi", "glBitmap"}));

  const auto message = missingEntryPointsMessage("Voodoo OpenGL", "3dfxvgl.dll");
  EXPECT_TRUE(contains(message, "Voodoo OpenGL")) << message;
  EXPECT_TRUE(contains(message, "3dfxvgl.dll")) << message;
  EXPECT_TRUE(contains(message, "glArrayElement, glFogi, glBitmap")) << message;
}

TEST_F(GlBindingTest, RebindingForgetsNamesTheNewLibraryLacks) {
  FakeLibrary complete;
  bindEntryPoints(std::ref(complete));
  FakeLibrary partial({"glViewport"});
  bindEntryPoints(std::ref(partial));
  EXPECT_EQ(gl.glViewport, nullptr);
  EXPECT_EQ(missingEntryPoints(), std::vector<std::string>{"glViewport"});
}

TEST_F(GlBindingTest, AMissingDriverLibraryLeavesTheTableUnbound) {
  FakeLibrary library;
  bindEntryPoints(std::ref(library));
  for (const char* name : {"3dfxvgl.dll", "altogl.dll", "OPENGL32.DLL"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(bindOpenGL(name), 0);
    EXPECT_FALSE(usesSystemLibrary());
    EXPECT_FALSE(allEntryPointsFound());
    EXPECT_EQ(missingEntryPoints().size(), glEntryPointNames.size());
    EXPECT_EQ(gl.glClear, nullptr);
  }
  EXPECT_EQ(bindOpenGL(nullptr), 0);
}

TEST_F(GlBindingTest, AMissingDriverEndsWithAMessageNamingItsLabelAndLibrary) {
  const auto voodoo = bindDriverFor(2, true);
  EXPECT_TRUE(contains(voodoo, "\"Voodoo OpenGL\"")) << voodoo;
  EXPECT_TRUE(contains(voodoo, "3dfxvgl.dll")) << voodoo;
  EXPECT_TRUE(contains(voodoo, "can't be loaded")) << voodoo;

  const auto directX = bindDriverFor(3, false);
  EXPECT_TRUE(contains(directX, "\"OpenGL via DirectX\"")) << directX;
  EXPECT_TRUE(contains(directX, "altogl.dll")) << directX;
}

TEST_F(GlBindingTest, TheSystemLibraryBindsEveryEntryPoint) {
  ASSERT_EQ(bindOpenGL("opengl32.dll"), 1);
  EXPECT_TRUE(usesSystemLibrary());
  EXPECT_TRUE(allEntryPointsFound());
  EXPECT_EQ(missingEntryPoints(), std::vector<std::string>{});
  EXPECT_EQ(bindDriverFor(2, false), "");
  EXPECT_TRUE(usesSystemLibrary());
}

TEST_F(GlBindingTest, DeletingNoContextIsHarmless) {
  EXPECT_EQ(deleteContext(nullptr), 0);
  EXPECT_EQ(makeCurrent(nullptr, nullptr), 1);
  swapBuffers();
  EXPECT_EQ(createContext(nullptr), nullptr);
}

namespace {

GLbitfield clearedMask = 0;
void driverClear(GLbitfield mask) {
  clearedMask = mask;
}
GLenum driverGetError() {
  return GL_OUT_OF_MEMORY;
}

// A driver of two functions; every other name is missing.
void* twoFunctionDriver(const char* name) {
  if (std::string(name) == "glClear") return reinterpret_cast<void*>(&driverClear);
  if (std::string(name) == "glGetError") return reinterpret_cast<void*>(&driverGetError);
  return nullptr;
}

}  // namespace

TEST_F(GlBindingTest, CountedCallsReachTheDriverWithTheirArgumentsAndResults) {
  bindEntryPoints(twoFunctionDriver);
  const std::size_t missing = missingEntryPoints().size();
  countGlCalls(true);
  EXPECT_TRUE(countingGlCalls());
  EXPECT_NE(gl.glClear, &driverClear);
  const std::uint64_t before = glCallsCounted();
  const std::uint64_t clearsBefore = glCallsCountedTo("glClear");
  const std::uint64_t errorsBefore = glCallsCountedTo("glGetError");
  gl.glClear(GL_DEPTH_BUFFER_BIT);
  EXPECT_EQ(gl.glGetError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
  EXPECT_EQ(clearedMask, static_cast<GLbitfield>(GL_DEPTH_BUFFER_BIT));
  EXPECT_EQ(glCallsCounted() - before, 2u);
  // Each entry keeps its own count beside the total.
  gl.glClear(GL_DEPTH_BUFFER_BIT);
  EXPECT_EQ(glCallsCountedTo("glClear") - clearsBefore, 2u);
  EXPECT_EQ(glCallsCountedTo("glGetError") - errorsBefore, 1u);
  EXPECT_EQ(glCallsCountedTo("glNoSuchCall"), 0u);
  EXPECT_EQ(glCallsCounted() - before, 3u);
  EXPECT_EQ(missingEntryPoints().size(), missing) << "a missing name stays missing";

  // A new bind while counting counts as well.
  unbindOpenGL();
  bindEntryPoints(twoFunctionDriver);
  gl.glClear(GL_COLOR_BUFFER_BIT);
  EXPECT_EQ(clearedMask, static_cast<GLbitfield>(GL_COLOR_BUFFER_BIT));
  EXPECT_EQ(glCallsCounted() - before, 4u);

  countGlCalls(false);
  EXPECT_FALSE(countingGlCalls());
  EXPECT_EQ(gl.glClear, &driverClear);
  gl.glClear(GL_STENCIL_BUFFER_BIT);
  EXPECT_EQ(clearedMask, static_cast<GLbitfield>(GL_STENCIL_BUFFER_BIT));
  EXPECT_EQ(glCallsCounted() - before, 4u);
  EXPECT_EQ(glCallsCountedTo("glClear") - clearsBefore, 3u);
}
