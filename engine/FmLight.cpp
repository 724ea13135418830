#include "FmLight.h"

#include "RWBinaryFile.h"
#include "RWFactory.h"
#include "RWObjectProtocol.h"

FmLight::FmLight(const RWCString& name, FmNode* parent, float expiryTime)
    : FmNode(name, parent, expiryTime) {}

RWCollectable* FmLight::newInstance() const {
  return new FmLight;
}

RWCollectable* FmLight::clone() const {
  return new FmLight(*this);
}

RWClassID FmLight::classId() const {
  return id;
}

std::uint32_t FmLight::storeSize() const {
  return 4 + FmNode::storeSize() + 4 + 4 + recursiveStoreSize(&colourTrack_) + 4 + 3 * 4;
}

void FmLight::restoreFields(RWBinaryFile& file) {
  resetFields();
  std::uint32_t version = 0;
  if (!file.read(version)) return;
  FmNode::restoreFields(file);
  file.read(lightType_);
  file.read(storedValue_);
  readObject(file, &colourTrack_);
  file.read(spotCutoff_);
  storedVector_.restoreFrom(file);
}

void FmLight::resetFields() {
  const FmLight defaults;
  lightType_ = defaults.lightType_;
  storedValue_ = defaults.storedValue_;
  colourTrack_ = defaults.colourTrack_;
  storedVector_ = defaults.storedVector_;
  spotCutoff_ = defaults.spotCutoff_;
}

void FmLight::saveFields(RWBinaryFile& file) const {
  file.write(storedVersion);
  FmNode::saveFields(file);
  file.write(lightType_);
  file.write(storedValue_);
  writeObject(file, &colourTrack_);
  file.write(spotCutoff_);
  storedVector_.saveOn(file);
}

int FmLight::formatVersion() const {
  return storedVersion;
}

void FmLight::compact() {
  colourTrack_.compact();
}

int FmLight::update(float time, const FmMatrix& parentMatrix) {
  colourTrack_.evaluate(time, 0);
  return FmNode::update(time, parentMatrix);
}

namespace {
const RWClassRegistration registration{createDefault<FmLight>, FmLight::id, "FmLight"};
}  // namespace
