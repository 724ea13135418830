#include "FmFog.h"

#include "RWBinaryFile.h"
#include "RWFactory.h"

FmFog::FmFog(const RWCString& name) : name_(name) {}

RWCollectable* FmFog::newInstance() const {
  return new FmFog;
}

RWCollectable* FmFog::clone() const {
  return new FmFog(*this);
}

RWClassID FmFog::classId() const {
  return id;
}

std::uint32_t FmFog::storeSize() const {
  return 4 + 4 + static_cast<std::uint32_t>(name_.length()) + 4 + 3 * 4 + 4 + 4;
}

void FmFog::restoreFields(RWBinaryFile& file) {
  *this = FmFog();
  std::uint32_t version = 0;
  if (!file.read(version) || version != storedVersion) return;
  name_.restoreFrom(file);
  file.read(fogMode_);
  colour_.restoreFrom(file);
  file.read(fogStart_);
  file.read(fogEnd_);
}

void FmFog::saveFields(RWBinaryFile& file) const {
  file.write(storedVersion);
  name_.saveOn(file);
  file.write(fogMode_);
  colour_.saveOn(file);
  file.write(fogStart_);
  file.write(fogEnd_);
}

int FmFog::formatVersion() const {
  return storedVersion;
}

void FmFog::scaleDistances(const FmPoint& factors) {
  fogStart_ *= factors.z;
  fogEnd_ *= factors.z;
}

namespace {
const RWClassRegistration registration{createDefault<FmFog>, FmFog::id, "FmFog"};
}  // namespace
