#include "FmRotationKey.h"

#include "FmKeyTime.h"
#include "RWBinaryFile.h"
#include "RWFactory.h"
#include "RWObjectProtocol.h"

RWCollectable* FmRotationKey::newInstance() const {
  return new FmRotationKey;
}

RWCollectable* FmRotationKey::clone() const {
  return new FmRotationKey(*this);
}

RWClassID FmRotationKey::classId() const {
  return id;
}

std::uint32_t FmRotationKey::storeSize() const {
  return 8 + recursiveStoreSize(&rotation);
}

int FmRotationKey::compare(const RWCollectable* other) const {
  const auto* key = dynamic_cast<const FmRotationKey*>(other);
  if (!key) return RWCollectable::compare(other);
  return compareKeyTimes(time, key->time, 1);
}

bool FmRotationKey::equals(const RWCollectable* other) const {
  return compare(other) == 0;
}

void FmRotationKey::restoreFields(RWBinaryFile& file) {
  std::int32_t stored = 0;
  file.read(stored);
  readObject(file, &rotation);
  file.read(time);
}

void FmRotationKey::saveFields(RWBinaryFile& file) const {
  file.write(version);
  writeObject(file, &rotation);
  file.write(time);
}

int FmRotationKey::formatVersion() const {
  return version;
}

namespace {
const RWClassRegistration registration{createDefault<FmRotationKey>, FmRotationKey::id,
                                       "FmRotationKey"};
}  // namespace
