#include "FmSeaObject.h"

#include "FmEngine.h"
#include "RWBinaryFile.h"
#include "RWFactory.h"

FmSeaObject::~FmSeaObject() = default;

RWCollectable* FmSeaObject::newInstance() const {
  return new FmSeaObject;
}

RWCollectable* FmSeaObject::clone() const {
  return new FmSeaObject(*this);
}

RWClassID FmSeaObject::classId() const {
  return id;
}

std::uint32_t FmSeaObject::storeSize() const {
  return FmObject::storeSize() + 16;
}

void FmSeaObject::restoreFields(RWBinaryFile& file) {
  FmObject::clear();
  expiryTime_ = neverExpires;
  currentFog_ = aboveFog_ = belowFog_ = noFog;
  std::int32_t version = 0;
  if (!file.read(version) || version != storedVersion) return;
  FmObject::restoreFields(file);
  file.read(currentFog_);
  file.read(aboveFog_);
  file.read(belowFog_);
}

void FmSeaObject::saveFields(RWBinaryFile& file) const {
  file.write(storedVersion);
  FmObject::saveFields(file);
  file.write(currentFog_);
  file.write(aboveFog_);
  file.write(belowFog_);
}

int FmSeaObject::formatVersion() const {
  return storedVersion;
}

bool FmSeaObject::updateVisibility(float time, const FmViewer& viewer) {
  FmObject::updateVisibility(time, viewer);
  const std::int32_t wanted = wantedFog(viewer);
  if (wanted == currentFog_) return true;
  currentFog_ = wanted;
  if (FmEngine* engine = FmEngine::instance()) engine->setFog(wanted);
  return true;
}

// The surface's world height is the translation height of its controller's matrix.
std::int32_t FmSeaObject::wantedFog(const FmViewer& viewer) const {
  if (!controller_) return noFog;
  const float height = controller_->matrix()[13];
  return height >= viewer.position.y ? belowFog_ : aboveFog_;
}

namespace {
const RWClassRegistration registration{createDefault<FmSeaObject>, FmSeaObject::id, "FmSeaObject"};
}  // namespace
