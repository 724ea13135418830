#include <gtest/gtest.h>

#include <cstdlib>

#include "HiddenGlWindow.h"

namespace {

// Mesa leaves allocations behind in the memory of its driver modules, which it unloads
// when the last user of the OpenGL library lets go; the leak checker then reports them
// as the program's. A hidden window kept until the process ends keeps the library in
// use, while the tests still bind, unbind and make contexts as the game does. It also
// makes every test of the program that links it run on SDL's offscreen driver.
class ResidentGlDriver : public testing::Environment {
public:
  void SetUp() override {
    ASSERT_EQ(setenv("SDL_VIDEODRIVER", "offscreen", 1), 0);
    if (!window) window = new HiddenGlWindow(1, 1);
    ASSERT_NE(window->deviceContext(), nullptr) << window->error();
  }

private:
  // Never destroyed: releasing it at exit would unload the driver before the leak check.
  static inline HiddenGlWindow* window = nullptr;
};

const auto* const residentGlDriver = testing::AddGlobalTestEnvironment(new ResidentGlDriver);

}  // namespace
