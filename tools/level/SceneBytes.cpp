#include "SceneBytes.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include "RWBinaryFile.h"
#include "RWObjectProtocol.h"
#include "SceneText.h"

namespace {

namespace fs = std::filesystem;

class ScratchFile {
public:
  ScratchFile()
      : path_((fs::temp_directory_path() /
               ("zirrow-scene-" + std::to_string(std::random_device{}()) + ".zrw"))
                  .string()) {}
  ~ScratchFile() {
    std::error_code ignored;
    fs::remove(path_, ignored);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  const std::string& path() const { return path_; }

private:
  std::string path_;
};

}  // namespace

std::vector<std::uint8_t> sceneBytes(const RWCollectable& object) {
  const ScratchFile scratch;
  {
    RWBinaryFile file(scratch.path().c_str(), "wb");
    if (!file.isValid()) throw SceneText::Error("can't open the scratch file " + scratch.path());
    writeObject(file, &object);
    if (!file.flush() || file.error()) {
      throw SceneText::Error("can't write the scratch file " + scratch.path());
    }
  }
  std::ifstream in(scratch.path(), std::ios::binary);
  std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
  if (in.bad()) throw SceneText::Error("can't read the scratch file " + scratch.path());
  return bytes;
}
