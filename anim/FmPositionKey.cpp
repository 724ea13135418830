#include "FmPositionKey.h"

#include "FmKeyTime.h"
#include "RWBinaryFile.h"
#include "RWFactory.h"

RWCollectable* FmPositionKey::newInstance() const {
  return new FmPositionKey;
}

RWCollectable* FmPositionKey::clone() const {
  return new FmPositionKey(*this);
}

RWClassID FmPositionKey::classId() const {
  return id;
}

std::uint32_t FmPositionKey::storeSize() const {
  return 20;
}

int FmPositionKey::compare(const RWCollectable* other) const {
  const auto* key = dynamic_cast<const FmPositionKey*>(other);
  if (!key) return RWCollectable::compare(other);
  return compareKeyTimes(time, key->time, 100);
}

bool FmPositionKey::equals(const RWCollectable* other) const {
  return compare(other) == 0;
}

void FmPositionKey::restoreFields(RWBinaryFile& file) {
  std::int32_t stored = 0;
  file.read(stored);
  position.restoreFrom(file);
  file.read(time);
}

void FmPositionKey::saveFields(RWBinaryFile& file) const {
  file.write(version);
  position.saveOn(file);
  file.write(time);
}

int FmPositionKey::formatVersion() const {
  return version;
}

namespace {
const RWClassRegistration registration{createDefault<FmPositionKey>, FmPositionKey::id,
                                       "FmPositionKey"};
}  // namespace
