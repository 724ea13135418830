#pragma once

// SDL for the length of a program: made first and ended last, it shuts every SDL
// subsystem down at the end, whichever part of the program started it.
class SdlSession {
public:
  SdlSession() = default;
  ~SdlSession();
  SdlSession(const SdlSession&) = delete;
  SdlSession& operator=(const SdlSession&) = delete;
};
