#include "FmTransformController.h"

#include <algorithm>

#include "RWBinaryFile.h"
#include "RWFactory.h"
#include "RWObjectProtocol.h"

FmTransformController::FmTransformController(const FmTransformController& other)
    : RWCollectable(other),
      lastTime_(other.lastTime_),
      position_(other.position_),
      scale_(other.scale_),
      rotation_(other.rotation_),
      loop_(other.loop_) {}

FmTransformController::~FmTransformController() = default;

RWCollectable* FmTransformController::newInstance() const {
  return new FmTransformController;
}

RWCollectable* FmTransformController::clone() const {
  return new FmTransformController(*this);
}

RWClassID FmTransformController::classId() const {
  return id;
}

std::uint32_t FmTransformController::storeSize() const {
  return 4 + recursiveStoreSize(&position_) + recursiveStoreSize(&rotation_) +
         recursiveStoreSize(&scale_);
}

void FmTransformController::restoreFields(RWBinaryFile& file) {
  position_.clearKeys();
  rotation_.clearKeys();
  scale_.clearKeys();
  loop_ = 1;
  std::int32_t stored = 0;
  file.read(stored);
  readObject(file, &position_);
  readObject(file, &rotation_);
  readObject(file, &scale_);
}

void FmTransformController::saveFields(RWBinaryFile& file) const {
  file.write(version);
  writeObject(file, &position_);
  writeObject(file, &rotation_);
  writeObject(file, &scale_);
}

int FmTransformController::formatVersion() const {
  return version;
}

int FmTransformController::compact() {
  position_.compact();
  scale_.compact();
  return rotation_.compact();
}

int FmTransformController::isController() const {
  return 1;
}

int FmTransformController::hasKeys() const {
  return position_.hasKeys() || scale_.hasKeys() || rotation_.hasKeys();
}

int FmTransformController::getLoop() const {
  return loop_;
}

void FmTransformController::setLoop(int loop) {
  loop_ = loop;
}

void FmTransformController::clearKeys() {
  position_.clearKeys();
  scale_.clearKeys();
  rotation_.clearKeys();
}

float FmTransformController::duration() const {
  bool found = false;
  float longest = 0;
  auto consider = [&](bool hasKeys, float duration) {
    if (!hasKeys) return;
    longest = found ? std::max(longest, duration) : duration;
    found = true;
  };
  consider(position_.hasKeys(), position_.duration());
  consider(scale_.hasKeys(), scale_.duration());
  consider(rotation_.hasKeys(), rotation_.duration());
  return longest;
}

int FmTransformController::getInverseMatrix(FmMatrix& inverse) const {
  return matrix_.inverse(inverse) ? 1 : 0;
}

void FmTransformController::rotateKeys(const FmQuat& q) {
  rotation_.rotateKeys(q);
}

int FmTransformController::getAxisAngle(FmPoint& position, FmPoint& scale, FmPoint& axis,
                                        float& degrees) const {
  position = position_.value();
  scale = scale_.value();
  rotation_.value().toAxisAngle(axis, degrees);
  return 1;
}

int FmTransformController::getTransform(FmPoint& position, FmPoint& scale, FmQuat& rotation) const {
  position = position_.value();
  scale = scale_.value();
  rotation = rotation_.value();
  return 1;
}

int FmTransformController::update(float time, const FmMatrix& parent) {
  rotation_.evaluate(time, loop_);
  scale_.evaluate(time, loop_);
  position_.evaluate(time, loop_);
  matrix_ = parent * FmMatrix::translation(position_.value()) * rotation_.value().toMatrix() *
            FmMatrix::scaling(scale_.value());
  return 1;
}

int FmTransformController::addRotationKey(const FmQuat& rotation, float time) {
  return rotation_.addKey(rotation, time);
}

int FmTransformController::addPositionKey(const FmPoint& position, float time) {
  return position_.addKey(position, time);
}

int FmTransformController::addScaleKey(const FmPoint& scale, float time) {
  return scale_.addKey(scale, time);
}

void FmTransformController::scalePositions(const FmPoint& factors) {
  position_.scaleKeys(factors);
}

void FmTransformController::offsetPositions(const FmPoint& offset) {
  position_.offsetKeys(offset);
}

void FmTransformController::alignRotations() {
  rotation_.alignKeys();
}

namespace {
const RWClassRegistration registration{createDefault<FmTransformController>,
                                       FmTransformController::id, "FmTransformController"};
}  // namespace
