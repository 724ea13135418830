#pragma once

#include <optional>

// A display mode; in a request, a field of 0 keeps the desktop's value.
struct DisplayMode {
  int bitsPerPixel = 0;
  int width = 0;
  int height = 0;
  int refreshRate = 0;  // 0 when the display does not say
};

// The first display's desktop mode. False when video can't be started; the mode is then
// left as it was.
bool queryDesktopMode(DisplayMode& desktop);

// Chooses the mode closest to the request that the first display offers, for the
// full-screen window to use when it goes full screen. False when there is no display or
// no such mode; no mode is then requested.
bool requestDisplayMode(const DisplayMode& request);

// Withdraws the requested mode, so the display keeps (or returns to) the desktop's mode.
void restoreDesktopMode();

// The mode chosen by the last request still in force.
std::optional<DisplayMode> requestedDisplayMode();
