#include "FmTypedList.h"

bool startsNewRecord(RWBinaryFile& file) {
  const std::uint64_t offset = file.currentOffset();
  std::uint16_t marker = 0;
  const bool read = file.read(marker);
  file.seekTo(offset);
  return read && marker != referenceMarker;
}
