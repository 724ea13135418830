#pragma once

#include <string>

// Headless runs draw through SDL's offscreen video driver: selects it unless the
// environment already names a video driver. Call before the video subsystem starts.
void preferOffscreenVideo();

// The name of the video driver that SDL starts with ("offscreen" or "dummy") when it is
// one that shows no window, as SDL chooses when no display is there; empty when the
// driver shows windows, or when none starts (the window's creation then says why).
std::string windowlessVideoDriver();
