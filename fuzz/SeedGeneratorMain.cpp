// zirrow-fuzz-seeds SEEDFOLDER DICTIONARY: writes the scene-file seeds into the
// folder (created when needed) and the format's dictionary into the named file.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "SceneSeeds.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: zirrow-fuzz-seeds SEEDFOLDER DICTIONARY\n");
    return 2;
  }
  std::error_code error;
  std::filesystem::create_directories(argv[1], error);
  if (error) {
    std::fprintf(stderr, "cannot create %s: %s\n", argv[1], error.message().c_str());
    return 1;
  }
  if (const std::string problem = SceneSeeds::writeAll(argv[1]); !problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 1;
  }
  std::ofstream dictionary(argv[2], std::ios::trunc);
  dictionary << SceneSeeds::dictionary();
  if (!dictionary.flush()) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
