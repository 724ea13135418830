#include "LevelFile.h"

#include <new>

#include "FmSceneFileErrors.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWMessages.h"
#include "RegularFile.h"

namespace {

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
  std::string whyNot;
  RWBinaryFile file(openRegularFile(path, whyNot), path.c_str());
  if (!file.isValid()) {
    problem_ = formatMessage(RWMessages::openError, path.c_str()) + ": " + whyNot;
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
    // An error met after the file ran out comes from the bytes it lacks.
    problem_ =
        FmSceneFileErrors::incomplete(file) ? FmSceneFileErrors::incompleteness(file) : error.why();
    return;
  } catch (const std::bad_alloc&) {
    problem_ = RWMessages::noMemory.format;
    return;
  }
  if (FmSceneFileErrors::incomplete(file)) {
    problem_ = FmSceneFileErrors::incompleteness(file);
  } else if (!top_) {
    problem_ = "[NIL] The top-level object is nil: the file holds nothing to load";
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
  problem_ = FmSceneFileErrors::missingLevel(level, scene_->levelCount());
}
