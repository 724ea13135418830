#include "LevelFile.h"

#include <new>

#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWMessages.h"

namespace {

std::string endsEarly(std::int64_t offset, std::uint64_t size) {
  return "[EOF] File ends early: a read at offset " + std::to_string(offset) +
         " runs past its end (" + std::to_string(size) + " bytes)";
}

std::uint64_t sizeOf(RWBinaryFile& file) {
  file.seekTo(0);
  return file.bytesLeft();
}

// Whether the file's top-level record is a scene: the magic number, then the
// scene's class identifier.
bool holdsScene(RWBinaryFile& file) {
  std::uint32_t magic = 0;
  std::uint16_t classId = 0;
  const bool scene =
      file.read(magic) && magic == fileMagic && file.read(classId) && classId == FmScene::id;
  file.seekTo(0);
  return scene;
}

}  // namespace

LevelFile::LevelFile(const std::string& path, std::int32_t level) {
  RWBinaryFile file(path.c_str(), "rb");
  if (!file.isValid()) {
    problem_ = formatMessage(RWMessages::openError, path.c_str());
    return;
  }
  read(file, level);
}

LevelFile::LevelFile(std::vector<std::uint8_t> bytes, const std::string& name, std::int32_t level) {
  RWBinaryFile file(std::move(bytes), name.c_str());
  read(file, level);
}

LevelFile::~LevelFile() {
  scene_.reset();  // takes what it owns with it; the log forgets those
  log_.destroyCreated();
}

void LevelFile::read(RWBinaryFile& file, std::int32_t level) {
  try {
    readTopLevel(file, level);
  } catch (const RWxmsg& error) {
    problem_ = error.why();
    return;
  } catch (const std::bad_alloc&) {
    problem_ = RWMessages::noMemory.format;
    return;
  }
  if (file.error()) {
    problem_ = RWMessages::readError.format;
  } else if (file.firstShortRead() >= 0 || file.eof()) {
    const std::int64_t offset = file.firstShortRead() >= 0
                                    ? file.firstShortRead()
                                    : static_cast<std::int64_t>(file.currentOffset());
    problem_ = endsEarly(offset, sizeOf(file));
  } else {
    checkLevel(level);
  }
}

void LevelFile::readTopLevel(RWBinaryFile& file, std::int32_t level) {
  if (!holdsScene(file)) {
    top_ = readObject(file);
    return;
  }
  scene_ = std::make_unique<FmScene>();
  scene_->setLevel(level);
  top_ = readObject(file, scene_.get());
}

void LevelFile::checkLevel(std::int32_t level) {
  if (!scene_ || (level >= 1 && level <= scene_->levelCount())) return;
  problem_ = "[LEVEL] Level " + std::to_string(level) + " does not exist: the file holds " +
             std::to_string(scene_->levelCount()) + " levels";
}
