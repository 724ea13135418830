#include "WindowMessageQueue.h"

#include <algorithm>

void WindowMessageQueue::post(const WindowMessage& message) {
  if (message.message == WindowMessages::paint && holds(WindowMessages::paint)) return;
  messages_.push_back(message);
}

void WindowMessageQueue::postQuit(int exitCode) {
  quitRequested_ = true;
  exitCode_ = exitCode;
}

bool WindowMessageQueue::take(WindowMessage& message) {
  if (!messages_.empty()) {
    message = messages_.front();
    messages_.pop_front();
    return true;
  }
  if (!quitRequested_) return false;
  quitRequested_ = false;
  message = {WindowMessages::quit, static_cast<std::uint32_t>(exitCode_), 0};
  return true;
}

bool WindowMessageQueue::holds(std::uint32_t messageValue) const {
  return std::any_of(messages_.begin(), messages_.end(),
                     [messageValue](const WindowMessage& m) { return m.message == messageValue; });
}
