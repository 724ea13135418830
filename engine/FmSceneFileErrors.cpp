#include "FmSceneFileErrors.h"

#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWMessages.h"

namespace FmSceneFileErrors {

bool incomplete(const RWBinaryFile& file) {
  return file.error() || file.firstShortRead() >= 0 || file.eof();
}

std::string incompleteness(RWBinaryFile& file) {
  if (file.error()) return RWMessages::readError.format;
  const std::int64_t offset = file.firstShortRead() >= 0
                                  ? file.firstShortRead()
                                  : static_cast<std::int64_t>(file.currentOffset());
  file.seekTo(0);
  const std::uint64_t size = file.bytesLeft();
  return "[EOF] File ends early: a read at offset " + std::to_string(offset) +
         " runs past its end (" + std::to_string(size) + (size == 1 ? " byte)" : " bytes)");
}

void raiseIfIncomplete(RWBinaryFile& file) {
  if (incomplete(file)) throw RWExternalErr(incompleteness(file).c_str());
}

std::string missingLevel(std::int32_t level, std::int32_t levels) {
  return "[LEVEL] Level " + std::to_string(level) + " does not exist: the file holds " +
         std::to_string(levels) + (levels == 1 ? " level" : " levels");
}

}  // namespace FmSceneFileErrors
