#include "FmFloatKey.h"

#include "FmKeyTime.h"
#include "RWBinaryFile.h"
#include "RWFactory.h"

RWCollectable* FmFloatKey::newInstance() const {
  return new FmFloatKey;
}

RWCollectable* FmFloatKey::clone() const {
  return new FmFloatKey(*this);
}

RWClassID FmFloatKey::classId() const {
  return id;
}

std::uint32_t FmFloatKey::storeSize() const {
  return 12;
}

int FmFloatKey::compare(const RWCollectable* other) const {
  const auto* key = dynamic_cast<const FmFloatKey*>(other);
  if (!key) return RWCollectable::compare(other);
  return compareKeyTimes(time, key->time, 100);
}

bool FmFloatKey::equals(const RWCollectable* other) const {
  return compare(other) == 0;
}

void FmFloatKey::restoreFields(RWBinaryFile& file) {
  std::int32_t stored = 0;
  file.read(stored);
  file.read(value);
  file.read(time);
}

void FmFloatKey::saveFields(RWBinaryFile& file) const {
  file.write(version);
  file.write(value);
  file.write(time);
}

int FmFloatKey::formatVersion() const {
  return version;
}

namespace {
const RWClassRegistration registration{createDefault<FmFloatKey>, FmFloatKey::id, "FmFloatKey"};
}  // namespace
