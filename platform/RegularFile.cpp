#include "RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

const char* kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "of an unknown kind";
}

}  // namespace

std::FILE* openRegularFile(const std::string& path, std::string& problem, bool* missing) {
  if (missing) *missing = false;
  // Non-blocking, so that opening a named pipe without a writer returns at once.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    const int error = errno;
    problem = std::strerror(error);
    if (missing) *missing = error == ENOENT || error == ENOTDIR;
    return nullptr;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    problem = std::strerror(errno);
    ::close(fd);
    return nullptr;
  }
  if (!S_ISREG(info.st_mode)) {
    problem = std::string("not a regular file (") + kindOf(info.st_mode) + ")";
    ::close(fd);
    return nullptr;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  std::FILE* stream = ::fdopen(fd, "rb");
  if (!stream) {
    problem = std::strerror(errno);
    ::close(fd);
  }
  return stream;
}
