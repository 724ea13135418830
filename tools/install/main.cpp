// zirrow-install DIR: what an installer of the game does. Writes the bundled demo
// level and its sound effects into DIR and creates the game's settings key when it
// does not exist yet; settings already there are kept.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "DemoWriter.h"
#include "RegistryFile.h"
#include "RegistryKey.h"
#include "RegularFile.h"
#include "Settings.h"

namespace {

constexpr int success = 0;
constexpr int failure = 1;
constexpr int usageError = 2;

void printUsage(std::FILE* out) {
  std::fprintf(out,
               "usage: zirrow-install DIR\n"
               "Writes the demo level (DIR/%s) and its sounds into DIR and creates the\n"
               "game's settings key in %s when it is missing.\n",
               DemoWriter::sceneFileName, RegistryFile::settingsPath().c_str());
}

// Why the settings key can't be created in the settings file at `path`; `error` is
// the system's error code of the failed write, if any.
std::string whyNoSettingsKey(const std::string& path, int error) {
  if (path.empty()) {
    return "no settings file is known: ZIRROW_SETTINGS, XDG_CONFIG_HOME and HOME are all unset";
  }
  std::string whyNot;
  switch (RegistryFile::load(path).state()) {
    case RegistryFile::State::malformed:
      return "it is not a settings file (its first line is neither \"REGEDIT4\" nor "
             "\"Windows Registry Editor Version 5.00\")";
    case RegistryFile::State::tooLarge:
      return "it is larger than " + std::to_string(RegistryFile::maximumFileSize) + " bytes";
    case RegistryFile::State::unreadable:
      if (std::FILE* stream = openRegularFile(path, whyNot)) {
        std::fclose(stream);
        whyNot = "it can't be read";
      }
      return whyNot;
    default:
      return error != 0 ? std::strerror(error) : "it can't be written";
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    printUsage(stdout);
    return success;
  }
  if (argc != 2 || argv[1][0] == '\0') {
    printUsage(stderr);
    return usageError;
  }
  const std::string failed = DemoWriter::write(argv[1]);
  if (!failed.empty()) {
    std::fprintf(stderr, "zirrow-install: %s\n", failed.c_str());
    return failure;
  }
  errno = 0;
  if (RegistryKey::create(settingsKey) != RegistryResult::success) {
    const int error = errno;
    const std::string path = RegistryFile::settingsPath();
    const std::string where = path.empty() ? "" : " in " + path;
    std::fprintf(stderr, "zirrow-install: can't create the settings key%s: %s\n", where.c_str(),
                 whyNoSettingsKey(path, error).c_str());
    return failure;
  }
  std::printf("installed the demo in %s; settings in %s\n", argv[1],
              RegistryFile::settingsPath().c_str());
  return success;
}
