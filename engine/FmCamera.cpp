#include "FmCamera.h"

#include "RWBinaryFile.h"
#include "RWFactory.h"

FmCamera::FmCamera(const RWCString& name, FmNode* parent, float expiryTime)
    : FmNode(name, parent, expiryTime) {}

RWCollectable* FmCamera::newInstance() const {
  return new FmCamera;
}

RWCollectable* FmCamera::clone() const {
  return new FmCamera(*this);
}

RWClassID FmCamera::classId() const {
  return id;
}

std::uint32_t FmCamera::storeSize() const {
  return 4 + FmNode::storeSize() + 3 * 4;
}

void FmCamera::restoreFields(RWBinaryFile& file) {
  fieldOfView_ = defaultFieldOfView;
  nearClip_ = defaultNearClip;
  farClip_ = defaultFarClip;
  std::uint32_t version = 0;
  if (!file.read(version)) return;
  FmNode::restoreFields(file);
  file.read(fieldOfView_);
  file.read(nearClip_);
  file.read(farClip_);
}

void FmCamera::saveFields(RWBinaryFile& file) const {
  file.write(storedVersion);
  FmNode::saveFields(file);
  file.write(fieldOfView_);
  file.write(nearClip_);
  file.write(farClip_);
}

int FmCamera::formatVersion() const {
  return storedVersion;
}

FmNode* FmCamera::duplicate() const {
  auto* copy = new FmCamera;
  duplicateInto(*copy);
  copy->fieldOfView_ = fieldOfView_;
  copy->nearClip_ = nearClip_;
  copy->farClip_ = farClip_;
  return copy;
}

void FmCamera::scalePositions(const FmPoint& factors) {
  FmNode::scalePositions(factors);
  nearClip_ *= factors.z;
  if (nearClip_ < minScaledNearClip) nearClip_ = minScaledNearClip;
  farClip_ *= factors.z;
}

namespace {
const RWClassRegistration registration{createDefault<FmCamera>, FmCamera::id, "FmCamera"};
}  // namespace
