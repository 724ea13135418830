#include <gtest/gtest.h>

#include "SdlInputDevices.h"

namespace {

// Nothing here starts SDL's video subsystem, as in a run without a display.
TEST(SdlInputDevicesTest, WithoutVideoTheCursorIsUnavailableAndNoKeyIsDown) {
  SdlInputDevices devices;
  EXPECT_EQ(devices.cursorPosition(), std::nullopt);
  EXPECT_FALSE(devices.setCursorPosition({10, 10}));
  EXPECT_EQ(devices.hideCursor(), Cursor::none);
  devices.showCursor(Cursor::normal);
  for (int key : {VirtualKey::left, VirtualKey::up, VirtualKey::right, VirtualKey::down,
                  VirtualKey::space, 0x1b, -1, 100000}) {
    EXPECT_FALSE(devices.keyDown(key)) << key;
  }
}

}  // namespace
