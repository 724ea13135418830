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

}  // namespace

LevelFile::LevelFile(const std::string& path) {
  read(path);
}

LevelFile::~LevelFile() {
  log_.destroyCreated();
}

void LevelFile::read(const std::string& path) {
  RWBinaryFile file(path.c_str(), "rb");
  if (!file.isValid()) {
    problem_ = formatMessage(RWMessages::openError, path.c_str());
    return;
  }
  try {
    top_ = readObject(file);
  } catch (const RWxmsg& error) {
    problem_ = error.why();
    return;
  } catch (const std::bad_alloc&) {
    problem_ = RWMessages::noMemory.format;
    return;
  }
  if (file.firstShortRead() >= 0 || file.eof()) {
    const std::int64_t offset = file.firstShortRead() >= 0
                                    ? file.firstShortRead()
                                    : static_cast<std::int64_t>(file.currentOffset());
    problem_ = endsEarly(offset, sizeOf(file));
  } else if (file.error()) {
    problem_ = RWMessages::readError.format;
  }
}
