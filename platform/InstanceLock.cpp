#include "InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

std::string environmentValue(const char* variable) {
  const char* value = std::getenv(variable);
  return value ? value : "";
}

// The name must stay one file name inside the lock directory.
std::string fileNameOf(const char* name) {
  std::string fileName = name ? name : "";
  for (char& c : fileName) {
    if (c == '/') c = '_';
  }
  return fileName;
}

std::vector<std::string> lockFileCandidates(const std::string& fileName) {
  std::vector<std::string> paths;
  // The runtime directory is the user's own; a relative value is invalid and ignored.
  const std::string runtime = environmentValue("XDG_RUNTIME_DIR");
  if (!runtime.empty() && runtime.front() == '/')
    paths.push_back(runtime + "/" + fileName + ".lock");
  std::string temporary = environmentValue("TMPDIR");
  if (temporary.empty()) temporary = "/tmp";
  // Every user shares the temporary directory and runs a copy of his own.
  paths.push_back(temporary + "/" + fileName + "-" + std::to_string(getuid()) + ".lock");
  return paths;
}

// Another user's file, or a file that is not a plain file, could be held by anyone.
bool isOwnPlainFile(int descriptor) {
  struct stat status {};
  return fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == getuid();
}

int lockExclusively(int descriptor) {
  int result;
  do {
    result = flock(descriptor, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  return result;
}

}  // namespace

InstanceLock::~InstanceLock() {
  release();
}

bool InstanceLock::acquire(const char* name) {
  release();
  for (const std::string& path : lockFileCandidates(fileNameOf(name))) {
    switch (lockAt(path)) {
      case Attempt::taken:
        return true;
      case Attempt::heldElsewhere:
        return false;
      case Attempt::unusable:
        break;
    }
  }
  return true;
}

void InstanceLock::release() {
  if (descriptor_ >= 0) close(descriptor_);
  descriptor_ = -1;
  path_.clear();
}

InstanceLock::Attempt InstanceLock::lockAt(const std::string& path) {
  // Without O_NOFOLLOW a link planted in a shared directory would choose the file.
  const int descriptor =
      open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (descriptor < 0) return Attempt::unusable;
  if (!isOwnPlainFile(descriptor)) {
    close(descriptor);
    return Attempt::unusable;
  }
  if (lockExclusively(descriptor) != 0) {
    const bool contended = errno == EWOULDBLOCK;
    close(descriptor);
    return contended ? Attempt::heldElsewhere : Attempt::unusable;
  }
  descriptor_ = descriptor;
  path_ = path;
  return Attempt::taken;
}
