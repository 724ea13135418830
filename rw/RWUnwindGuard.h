#pragma once

#include <exception>
#include <utility>

// Runs an action when its scope is left by an exception, and only then. Readers use it
// instead of catching and rethrowing: a file can nest records hundreds deep, and a
// rethrow at every level starts the exception's search (and, under AddressSanitizer,
// the clearing of the whole stack's shadow) again, where cleanups all run in one pass.
// The action must not throw.
template <class Action>
class RWUnwindGuard {
public:
  explicit RWUnwindGuard(Action action)
      : action_(std::move(action)), exceptionsBefore_(std::uncaught_exceptions()) {}
  ~RWUnwindGuard() {
    if (std::uncaught_exceptions() > exceptionsBefore_) action_();
  }
  RWUnwindGuard(const RWUnwindGuard&) = delete;
  RWUnwindGuard& operator=(const RWUnwindGuard&) = delete;

private:
  Action action_;
  int exceptionsBefore_;
};
