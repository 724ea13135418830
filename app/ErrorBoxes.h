#pragma once

// The game's message boxes for the failures that the engine and the persistence library
// report through their hooks: an error of the JPEG writer under "JPEG Fatal Error" (and a
// screenshot that can't be written under its own title), then the game goes on; a fatal
// error under "Fatal Error", then the game ends with exit status 1. The tools keep the
// hooks' defaults, which write to standard error.
namespace ErrorBoxes {

// Shows a box with the title and text and waits for the player to close it.
using Presenter = bool (*)(const char* title, const char* text, bool isError);

// Installs the boxes in both hooks, shown through the presenter: the platform's message
// box when nil.
void install(Presenter presenter = nullptr);

}  // namespace ErrorBoxes
