// Runs files through a fuzz target's entry without libFuzzer, so that the normal
// and the sanitizer builds check every seed and regression file:
//   zirrow-fuzz-replay TARGET PATH...
// where each path is a file or a folder of files. Exits 0 when every file ran,
// 1 on a usage error or an unreadable path; an entry that finds a broken promise
// aborts.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FuzzEntries.h"

namespace {

std::vector<std::filesystem::path> filesUnder(const std::filesystem::path& path) {
  std::vector<std::filesystem::path> files;
  if (std::filesystem::is_directory(path)) {
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
  } else if (std::filesystem::is_regular_file(path)) {
    files.push_back(path);
  }
  std::sort(files.begin(), files.end());
  return files;
}

bool replay(FuzzEntries::Entry entry, const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                        std::istreambuf_iterator<char>()};
  std::printf("%s (%zu bytes)\n", file.string().c_str(), bytes.size());
  std::fflush(stdout);
  entry(bytes.data(), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const FuzzEntries::Entry entry = argc >= 3 ? FuzzEntries::entryNamed(argv[1]) : nullptr;
  if (!entry) {
    std::fprintf(stderr,
                 "usage: zirrow-fuzz-replay level-file|scene-round-trip|settings-file|level-play "
                 "PATH...\n");
    return 1;
  }
  int files = 0;
  for (int i = 2; i < argc; ++i) {
    if (!std::filesystem::exists(argv[i])) {
      std::fprintf(stderr, "no such file or folder: %s\n", argv[i]);
      return 1;
    }
    for (const auto& file : filesUnder(argv[i])) {
      if (!replay(entry, file)) {
        std::fprintf(stderr, "can't read %s\n", file.string().c_str());
        return 1;
      }
      ++files;
    }
  }
  std::printf("%d files replayed through %s\n", files, argv[1]);
  return 0;
}
