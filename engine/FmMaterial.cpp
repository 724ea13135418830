#include "FmMaterial.h"

#include "RWBinaryFile.h"
#include "RWFactory.h"

RWCollectable* FmMaterial::newInstance() const {
  return new FmMaterial;
}

RWCollectable* FmMaterial::clone() const {
  return new FmMaterial(*this);
}

RWClassID FmMaterial::classId() const {
  return id;
}

std::uint32_t FmMaterial::storeSize() const {
  return 4 + 4 * 3 * 4 + 4 + 4;
}

void FmMaterial::restoreFields(RWBinaryFile& file) {
  *this = FmMaterial();
  std::uint32_t version = 0;
  if (!file.read(version) || version != storedVersion) return;
  ambient_.restoreFrom(file);
  diffuse_.restoreFrom(file);
  specular_.restoreFrom(file);
  file.read(shininess_);
  emission_.restoreFrom(file);
  file.read(twoSided_);
}

void FmMaterial::saveFields(RWBinaryFile& file) const {
  file.write(storedVersion);
  ambient_.saveOn(file);
  diffuse_.saveOn(file);
  specular_.saveOn(file);
  file.write(shininess_);
  emission_.saveOn(file);
  file.write(twoSided_);
}

int FmMaterial::formatVersion() const {
  return storedVersion;
}

namespace {
const RWClassRegistration registration{createDefault<FmMaterial>, FmMaterial::id, "FmMaterial"};
}  // namespace
