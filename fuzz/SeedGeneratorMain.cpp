// zirrow-fuzz-seeds SEEDFOLDER DICTIONARY PLAYFOLDER: writes the scene-file seeds
// into the folder, the format's dictionary into the named file and the small
// playable levels into the play folder (the folders are created when needed).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "SceneSeeds.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: zirrow-fuzz-seeds SEEDFOLDER DICTIONARY PLAYFOLDER\n");
    return 2;
  }
  for (const char* folder : {argv[1], argv[3]}) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
      std::fprintf(stderr, "cannot create %s: %s\n", folder, error.message().c_str());
      return 1;
    }
  }
  if (const std::string problem = SceneSeeds::writeAll(argv[1], argv[3]); !problem.empty()) {
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
