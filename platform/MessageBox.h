#pragma once

// Shows a message box with the title and text, an error icon when isError is set,
// and waits for the user to close it. Without a display (SDL_VIDEODRIVER names the
// offscreen or dummy driver, or no X11 or Wayland display is named) or when the
// box can't be shown, writes "title: text" on standard error instead. True when
// the box was shown.
bool showMessageBox(const char* title, const char* text, bool isError);
