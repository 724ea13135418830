// zirrow-install DIR: what an installer of the game does. Writes the bundled demo
// level and its sound effects into DIR and creates the game's settings key when it
// does not exist yet; settings already there are kept.
#include <cstdio>
#include <cstring>
#include <string>

#include "DemoWriter.h"
#include "RegistryFile.h"
#include "RegistryKey.h"
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
  if (RegistryKey::create(settingsKey) != RegistryResult::success) {
    std::fprintf(stderr, "zirrow-install: can't create the settings key in %s\n",
                 RegistryFile::settingsPath().c_str());
    return failure;
  }
  std::printf("installed the demo in %s; settings in %s\n", argv[1],
              RegistryFile::settingsPath().c_str());
  return success;
}
