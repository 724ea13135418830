#pragma once

#include <string>

#include "GameSession.h"
#include "GameWindow.h"
#include "GameWindowHost.h"
#include "GameWindowProcedure.h"
#include "InstanceLock.h"
#include "SdlClock.h"
#include "SdlInputDevices.h"
#include "SdlSession.h"
#include "SoundPlayer.h"

// The program: one running copy, the settings, the level named on the command line,
// the game window with its rendering context, and the loop that drains the window's
// messages, runs a game frame and plays the frame's sound effects.
class GameProgram {
public:
  static constexpr const char* instanceName = "FenmarrowSaver";
  static constexpr const char* windowTitle = "Fenmarrow - Go Zirrow! - DemoVersion";
  // The titles of the message boxes of a second copy and of a level that can't be loaded.
  static constexpr const char* alreadyRunningTitle = "Zirrow is already running";
  static constexpr const char* levelTitle = "Level";
  // Exit statuses: a normal end and another copy already running give 0.
  static constexpr int alreadyRunning = 0;
  static constexpr int startFailed = 1;
  static constexpr int frameFailed = 1;

  GameProgram();
  ~GameProgram();
  GameProgram(const GameProgram&) = delete;
  GameProgram& operator=(const GameProgram&) = delete;

  // Runs the game on the scene file of that name; the exit status.
  int run(const std::string& sceneFile);

private:
  void readSettings();
  bool prepareDrawing();
  bool openWindow();
  int runLoop();

  SdlSession sdl_;
  InstanceLock lock_;
  SdlClock clock_;
  GameSession game_{clock_};
  SoundPlayer sound_;
  SdlInputDevices devices_;
  GameWindow window_;
  GameWindowHost host_{window_};
  GameWindowProcedure procedure_{game_, sound_, devices_, host_};
};
