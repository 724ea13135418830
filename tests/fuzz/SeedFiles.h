#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FmEngine.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWObjectProtocol.h"
#include "TempFile.h"

// The committed seed files of a fuzz target, in name order.
inline std::vector<std::filesystem::path> seedFiles(const std::string& target) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(
           std::filesystem::path(ZIRROW_FUZZ_DIR) / "seeds" / target)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

inline std::filesystem::path seedFile(const std::string& name) {
  return std::filesystem::path(ZIRROW_FUZZ_DIR) / "seeds" / "level-file" / (name + ".zrw");
}

inline std::vector<unsigned char> fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The bytes of the object written as a file's top-level record.
inline std::vector<unsigned char> writtenBytes(const RWCollectable* object) {
  const TempFile file("written");
  {
    RWBinaryFile out(file.c_str(), "wb");
    writeObject(out, object);
  }
  return file.bytes();
}

// The message of the error that loading raises, or "loaded".
inline std::string loadOutcome(FmEngine& engine, const std::string& path) {
  try {
    engine.loadScene(path.c_str());
  } catch (const RWxmsg& error) {
    return error.why();
  }
  return "loaded";
}
