#pragma once

#include <string>

// Allows one running copy of the program per user: an exclusive lock on a file named after
// the instance name, in $XDG_RUNTIME_DIR or, when that is unset or unusable, in the
// temporary directory ($TMPDIR, else /tmp) with the user id in the file name. The lock is
// held until release(), the object's end or the process's end, whichever comes first.
class InstanceLock {
public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // False only when another holder has the lock of that name. When no lock file can be
  // opened or locked anywhere, the program can't tell whether another copy runs and is
  // let run: the result is then true while held() stays false.
  bool acquire(const char* name);
  void release();

  bool held() const { return descriptor_ >= 0; }
  // The lock file in use; empty while no lock is held.
  const std::string& path() const { return path_; }

private:
  enum class Attempt { taken, heldElsewhere, unusable };
  Attempt lockAt(const std::string& path);

  int descriptor_ = -1;
  std::string path_;
};
