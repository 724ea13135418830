#pragma once

#include <string>

#include "WindowMessage.h"

class GameSession;
class GameWindowProcedure;
class InputDevices;

// Where the game's loop takes its window messages from.
class MessageSource {
public:
  virtual ~MessageSource() = default;

  // True when a message waits.
  virtual bool peekMessage() = 0;
  // Takes the next message, waiting for one; false for the quit message.
  virtual bool getMessage(WindowMessage& message) = 0;
  // Returns once a message waits, or after the milliseconds at the latest.
  virtual void waitForMessage(int milliseconds) = 0;
};

// The program's main loop: drains the waiting window messages into the window
// procedure, runs one game frame and serves its sound requests, for ever, until the
// quit message. While the game is paused nothing is drawn, so the loop waits for
// the next message instead of running flat out.
class GameLoop {
public:
  static constexpr int frameFailed = 1;
  // Short enough that the paused game still notices its window in time.
  static constexpr int pausedWaitMilliseconds = 100;

  GameLoop(MessageSource& messages, GameWindowProcedure& procedure, GameSession& game,
           InputDevices& devices);

  // The quit message's exit code, or frameFailed when a frame failed (failure()
  // then says why).
  int run();
  const std::string& failure() const { return failure_; }

private:
  bool runFrame();

  MessageSource& messages_;
  GameWindowProcedure& procedure_;
  GameSession& game_;
  InputDevices& devices_;
  std::string failure_;
};
