#include "FileReplacement.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A name beside `path` that does not exist yet.
fs::path temporaryBeside(const fs::path& path) {
  std::random_device random;
  for (;;) {
    fs::path candidate =
        path.parent_path() / ("." + path.filename().string() + ".tmp-" + std::to_string(random()));
    std::error_code error;
    if (!fs::exists(candidate, error)) return candidate;
  }
}

}  // namespace

std::string replaceFile(const fs::path& path,
                        const std::function<bool(const std::string& temporary)>& write) {
  const fs::path temporary = temporaryBeside(path);
  errno = 0;
  const bool written = write(temporary.string());
  const int writeError = errno;
  std::error_code error;
  if (written) fs::rename(temporary, path, error);
  if (written && !error) return {};
  std::error_code ignored;
  fs::remove(temporary, ignored);
  std::string why =
      error ? error.message() : (writeError != 0 ? std::strerror(writeError) : "write failed");
  return "cannot write " + path.string() + ": " + why;
}
