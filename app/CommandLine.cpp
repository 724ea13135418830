#include "CommandLine.h"

#ifndef ZIRROW_VERSION
#error "ZIRROW_VERSION names the program's version"
#endif

CommandLine::CommandLine(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line_ += ' ';
    line_ += argv[i];
  }
}

CommandLine::Request CommandLine::request() const {
  if (line_ == helpOption) return Request::help;
  if (line_ == versionOption) return Request::version;
  return Request::play;
}

std::string CommandLine::usage() {
  return "usage: zirrow LEVELFILE\n"
         "       zirrow --help | --version\n"
         "Plays the level file in the game window. The whole command line is the file's\n"
         "name, spaces included; the game finds its sound effects under sounds/ in the\n"
         "current directory.\n"
         "\n"
         "Keys: arrows steer, space fires, F1/F2 change the camera, F3 takes a screenshot,\n"
         "F4 records every frame, F5 shows the frame statistics, Alt+Enter or F11 switches\n"
         "between the window and full screen, Escape saves the progress and quits.\n"
         "A gamepad steers with its left stick or d-pad and fires with A or the right\n"
         "trigger; Start or Back does what Escape does.\n"
         "\n"
         "Settings: $XDG_CONFIG_HOME/zirrow/settings.reg (ZIRROW_SETTINGS names another).\n"
         "Gamepad mappings beside SDL's own: $XDG_CONFIG_HOME/zirrow/gamecontrollerdb.txt\n"
         "and SDL_GAMECONTROLLERCONFIG.\n";
}

std::string CommandLine::version() {
  return std::string("zirrow ") + ZIRROW_VERSION + "\n";
}
