#include "FmTypedList.h"

bool startsNewRecord(RWBinaryFile& file) {
  std::uint16_t marker = 0;
  return file.peek(marker) && marker != referenceMarker;
}
