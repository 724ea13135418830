#pragma once

#include <deque>

#include "WindowMessage.h"

// The window's message queue: posted messages come out in the order they were posted; a
// quit request comes out as the quit message once no other message waits, as it does on
// the system the game was written for. A paint message that is already waiting is not
// queued a second time.
class WindowMessageQueue {
public:
  void post(const WindowMessage& message);
  void postQuit(int exitCode);

  bool empty() const { return messages_.empty() && !quitRequested_; }
  // Takes the next message into message; false when none waits.
  bool take(WindowMessage& message);

private:
  bool holds(std::uint32_t messageValue) const;

  std::deque<WindowMessage> messages_;
  bool quitRequested_ = false;
  int exitCode_ = 0;
};
